#include "custom_reports/report_file.h"
#include "custom_reports/report_fixture.h"
#include "database/database.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace report_test;

// The designer's view of the field catalogue: the rows of a program key, its
// highest identifier, its sort choices and a new report's widths.
class TestReportFields : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void rowsOfAKey_data();
    void rowsOfAKey();
    void shippedExampleReadsWithTheShippedCatalogue();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_catalogue;
};

void TestReportFields::initTestCase()
{
    FieldSpecRow unsure = fieldRow(7, u"books;other"_s, u"Shared"_s, 2);
    unsure.ismemo.reset(); // counts as long text
    const QList<FieldSpecRow> rows{
        fieldRow(3, u"books"_s, u"Title"_s, 1, 3.0), unsure,
        fieldRow(5, u"Books"_s, u"Upper"_s, 1, 2.0), fieldRow(0, u"books"_s, u"Zero"_s, 1),
        fieldRow(2, u"other"_s, u"Other only"_s, 1), fieldRow(4, u"o'k"_s, u"Quoted"_s, 1),
        fieldRow(9, u"b*x"_s, u"Starred"_s, 1),
    };
    const QString path = m_dir.filePath(FieldCatalogueFileName);
    writeFieldCatalogue(rows, path);
    m_catalogue = Database::open(path, Database::OpenMode::Shared);
}

void TestReportFields::rowsOfAKey_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("maxSpecId");
    QTest::addColumn<QStringList>("sortChoices");
    QTest::addColumn<QString>("widths"); // line 19 of a new report's file
    QTest::addColumn<bool>("known");     // a report file may name it

    QTest::newRow("books") << u"books"_s << QStringList{u"Shared"_s, u"Title"_s, u"Upper"_s} << 7
                           << QStringList{u"Title"_s, u"Upper"_s} << u"1;1;3;1;2;1;1"_s << true;
    QTest::newRow("other") << u"other"_s << QStringList{u"Other only"_s, u"Shared"_s} << 7
                           << QStringList{u"Other only"_s} << u"1;1;1;1;1;1;1"_s << true;
    QTest::newRow("part of a key") << u"book"_s << QStringList{u"Shared"_s, u"Title"_s, u"Upper"_s} << 7
                                   << QStringList{u"Title"_s, u"Upper"_s} << u"1;1;3;1;2;1;1"_s << false;
    QTest::newRow("wildcard") << u"*"_s << QStringList{u"Starred"_s} << 9 << QStringList{u"Starred"_s}
                              << u"1;1;1;1;1;1;1;1;1"_s << false;
    QTest::newRow("quote") << u"o'k"_s << QStringList{u"Quoted"_s} << 4 << QStringList{u"Quoted"_s}
                           << u"1;1;1;1"_s << true;
    QTest::newRow("no rows") << u"none"_s << QStringList() << 0 << QStringList() << QString() << false;
}

void TestReportFields::rowsOfAKey()
{
    QFETCH(QString, key);
    const ReportFields fields = readReportFields(*m_catalogue, key);
    const auto descs = [](const QList<FieldSpecRow>& list) {
        QStringList names;
        for (const FieldSpecRow& row : list)
            names.append(row.desc);
        return names;
    };
    QTEST(descs(fields.rows), "rows");
    QTEST(int(fields.MaxSpecID), "maxSpecId");
    QTEST(descs(fields.sortChoices()), "sortChoices");
    QTEST(reportFileLines(clearedReport(fields, 0)).at(18), "widths");
    QTEST(isKnownProgramKey(*m_catalogue, key), "known");
}

void TestReportFields::shippedExampleReadsWithTheShippedCatalogue()
{
    const QString source = QStringLiteral(QUILLARY_SOURCE_DIR);
    const QString path = m_dir.filePath(u"shipped.mdb"_s);
    writeFieldCatalogue(readFieldCatalogueSource(source + u"/data/rptspec.csv"_s).rows, path);
    auto shipped = Database::open(path, Database::OpenMode::Shared);
    CatalogueFieldSource catalogue(*shipped);
    QFile example(source + u"/doc/examples/purchases.rpt"_s);
    QVERIFY(example.open(QIODevice::ReadOnly));
    const ReportFileReading reading = readReportFile(example, u"books"_s, 0, catalogue);
    QVERIFY(reading.valid);
    QCOMPARE(reading.definition->chosenFields, (QList<qint16>{1, 2, 5, 16, 20}));
    QCOMPARE(reading.definition->primarySort, 1);
    example.seek(0);
    QCOMPARE(reportFileBytes(*reading.definition), example.readAll());
}

QTEST_GUILESS_MAIN(TestReportFields)
#include "tst_report_fields.moc"
