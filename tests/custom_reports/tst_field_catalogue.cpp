#include "catalogue/catalogue_state.h"
#include "catalogue/native_sql.h"
#include "catalogue/recordset.h"
#include "catalogue/sample_catalogue.h"
#include "custom_reports/field_catalogue.h"
#include "custom_reports/field_catalogue_source.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString SourcePath = QStringLiteral(QUILLARY_SOURCE_DIR "/data/rptspec.csv");
const QString ProgramKey = u"books"_s;

// The base table's column and the lookup table's column a field is joined on.
std::pair<QString, QString> joinColumns(const FieldSpecRow& field)
{
    const QStringList parts = field.linkfield.split(u';');
    return parts.size() == 2 ? std::pair{parts.at(0), parts.at(1)}
                             : std::pair{field.linkfield, field.linkfield};
}

// The FROM text a custom report builds for its chosen fields: one left join
// per lookup table not yet named in it.
QString reportFrom(const QList<FieldSpecRow>& fields)
{
    QString from = ProgramKey;
    for (const FieldSpecRow& field : fields) {
        const QString& table = field.fileName;
        if (table.isEmpty() || table == ProgramKey || from.contains(table))
            continue;
        const auto [baseColumn, lookupColumn] = joinColumns(field);
        from = u"("_s + from + u" left join "_s + table + u" on "_s + ProgramKey + u"."_s + baseColumn +
               u" = "_s + table + u"."_s + lookupColumn + u")"_s;
    }
    return from;
}

// A condition of the field's kind that some generated books meet.
QString conditionOn(const FieldSpecRow& field)
{
    const QString& f = field.fieldname;
    switch (field.datatype) {
    case 1:
        return f + u" like '*'"_s;
    case 2:
        return f + u" > 0"_s;
    case 3:
        return f + u" >= #1/1/1900#"_s;
    case 4:
        return f;
    default:
        return {};
    }
}

bool valueHasKind(const QVariant& value, int datatype)
{
    switch (datatype) {
    case 1:
        return value.typeId() == QMetaType::QString;
    case 2:
        return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double ||
               value.typeId() == QMetaType::Int;
    case 3:
    case 5:
        return value.typeId() == QMetaType::QDateTime;
    case 4:
        return value.typeId() == QMetaType::Bool;
    default:
        return false;
    }
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QByteArray ValidHeader =
    "specid,usewith,Desc,fieldname,datatype,FileName,linkfield,ismemo,defwidth,IsCurrency\n";

} // namespace

class TestFieldCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void sourceOffersEveryBookField();
    void fieldWorksInReportsAndSearches_data();
    void fieldWorksInReportsAndSearches();
    void everyFieldInOneReport();
    void builtFileAnswersTheProgramsStatements();

    void locatesTheCatalogue_data();
    void locatesTheCatalogue();
    void opensSharedOrSaysWhatIsMissing();

    void sourceReaderRefusesBadLines_data();
    void sourceReaderRefusesBadLines();
    void sourceReaderReadsQuotedValues();

private:
    QList<FieldSpecRow> m_fields;
    std::unique_ptr<TemporaryCatalogue> m_catalogue;
};

void TestFieldCatalogue::initTestCase()
{
    const FieldCatalogueSource source = readFieldCatalogueSource(SourcePath);
    QVERIFY2(source.error.isEmpty(), qPrintable(source.error));
    m_fields = source.rows;
    m_catalogue = std::make_unique<TemporaryCatalogue>(SampleOptions{600, 0, 4, false});
    m_catalogue->install();
}

void TestFieldCatalogue::cleanupTestCase()
{
    m_catalogue.reset();
}

void TestFieldCatalogue::sourceOffersEveryBookField()
{
    QStringList fieldnames;
    for (const FieldSpecRow& field : m_fields) {
        QCOMPARE(field.usewith, ProgramKey);
        fieldnames.append(field.fieldname);
    }
    fieldnames.sort();
    QStringList expected{u"Title"_s,   u"LastName"_s, u"FirstName"_s, u"PubName"_s,    u"CatName"_s,
                         u"ForDesc"_s, u"SerDesc"_s,  u"Vol"_s,       u"Issue"_s,      u"Year"_s,
                         u"ISBN"_s,    u"Fiction"_s,  u"New"_s,       u"Paperback"_s,  u"Read"_s,
                         u"BuyDate"_s, u"ReadDate"_s, u"LoanDate"_s,  u"CoverPrice"_s, u"BuyPrice"_s,
                         u"Notes"_s,   u"OnLoan"_s,   u"LoanedTo"_s,  u"OwnName"_s,    u"LocName"_s};
    expected.sort();
    QCOMPARE(fieldnames, expected);
}

void TestFieldCatalogue::fieldWorksInReportsAndSearches_data()
{
    QTest::addColumn<int>("index");
    for (qsizetype i = 0; i < m_fields.size(); ++i)
        QTest::newRow(qPrintable(m_fields.at(i).desc)) << int(i);
}

void TestFieldCatalogue::fieldWorksInReportsAndSearches()
{
    QFETCH(int, index);
    const FieldSpecRow& field = m_fields.at(index);
    Database& db = *catalogueState().dbCatalogue;

    // As a custom report's only field, with a condition of its kind and,
    // unless it is long text, as the sort key.
    QString report = u"Select "_s + field.fieldname + u" from "_s + reportFrom({field}) + u" where "_s +
                     conditionOn(field);
    if (!field.ismemo.value_or(true))
        report += u" order by "_s + field.fieldname;
    auto rows = db.openRecordset(report, RecordsetType::Snapshot);
    QVERIFY2(rows->recordCount() > 0, qPrintable(report));
    QVERIFY2(valueHasKind(rows->value(0), field.datatype),
             qPrintable(report + u" gives "_s + QString::fromLatin1(rows->value(0).typeName())));
    if (field.datatype == 4) {
        const QString negated = u"Select "_s + field.fieldname + u" from "_s + reportFrom({field}) +
                                u" where not "_s + field.fieldname;
        QVERIFY2(db.openRecordset(negated, RecordsetType::Snapshot)->recordCount() > 0, qPrintable(negated));
    }

    // In the search window, on the browse recordset.
    auto books = db.openRecordset(u"Select * from Books order by SortTitle"_s, RecordsetType::Snapshot);
    if (field.linkfield.isEmpty()) {
        QCOMPARE(field.fileName, ProgramKey);
        books->findFirst(conditionOn(field));
        QVERIFY2(!books->noMatch(), qPrintable(conditionOn(field)));
        return;
    }
    // A lookup field: its values listed from the lookup table, a book found by key.
    const auto [baseColumn, lookupColumn] = joinColumns(field);
    const QString values = u"select "_s + lookupColumn + u" as id, "_s + field.fieldname +
                           u" as descr from "_s + field.fileName + u" order by "_s + field.fieldname;
    auto list = db.openRecordset(values, RecordsetType::Snapshot);
    QVERIFY2(list->recordCount() > 0, qPrintable(values));
    QVERIFY(valueHasKind(list->value(u"descr"_s), field.datatype));
    NativeStatement usedKey(db, "SELECT " + baseColumn.toUtf8() + " FROM Books WHERE " + baseColumn.toUtf8() +
                                    " > 0 LIMIT 1");
    QVERIFY(usedKey.step());
    books->findFirst(baseColumn + u" = "_s + QString::number(usedKey.columnInt(0)));
    QVERIFY(!books->noMatch());
}

void TestFieldCatalogue::everyFieldInOneReport()
{
    // All fields chosen together: the joins must not clash and must keep
    // every book, also those without a value in some lookup.
    QStringList selectList;
    for (const FieldSpecRow& field : m_fields)
        selectList.append(field.fieldname);
    const QString from = reportFrom(m_fields);
    const QString sql = u"Select "_s + selectList.join(u", "_s) + u" from "_s + from + u" order by "_s +
                        m_fields.at(1).fieldname + u", "_s + m_fields.at(0).fieldname;
    auto rows = catalogueState().dbCatalogue->openRecordset(sql, RecordsetType::Snapshot);
    rows->moveLast();
    QCOMPARE(rows->recordCount(), 600);
    QCOMPARE(rows->fieldCount(), m_fields.size());
    QCOMPARE(from.count(u" left join "_s), 7);
}

void TestFieldCatalogue::builtFileAnswersTheProgramsStatements()
{
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(FieldCatalogueFileName);
    writeFieldCatalogue(m_fields, path);
    // Built again over the old one, as a rebuild after an edit of the source does.
    writeFieldCatalogue(m_fields, path);
    auto spec = Database::open(path, Database::OpenMode::Shared);

    auto designer = spec->openRecordset(
        u"Select * from RptSpec where usewith like '*books*' order by [desc]"_s, RecordsetType::Snapshot);
    designer->moveLast();
    QCOMPARE(designer->recordCount(), m_fields.size());
    QCOMPARE(
        spec->openRecordset(u"select usewith from rptspec where usewith = 'books'"_s, RecordsetType::Snapshot)
                ->recordCount() > 0,
        true);

    auto search = spec->openRecordset(u"Select * from RptSpec where usewith = 'books' order by specid"_s,
                                      RecordsetType::Snapshot);
    for (const FieldSpecRow& field : m_fields) {
        QVERIFY(!search->eof());
        QCOMPARE(search->value(u"specid"_s).toInt(), field.specid);
        QCOMPARE(search->value(u"Desc"_s).toString(), field.desc);
        QCOMPARE(search->value(u"fieldname"_s).toString(), field.fieldname);
        QCOMPARE(search->value(u"datatype"_s).toInt(), field.datatype);
        QCOMPARE(search->value(u"FileName"_s).toString(), field.fileName);
        QCOMPARE(search->value(u"linkfield"_s).toString(), field.linkfield);
        QCOMPARE(search->value(u"ismemo"_s), field.ismemo ? QVariant(*field.ismemo) : QVariant());
        QCOMPARE(search->value(u"defwidth"_s).toDouble(), field.defwidth.value_or(0));
        QCOMPARE(search->value(u"IsCurrency"_s), QVariant(field.isCurrency));
        search->moveNext();
    }
    QVERIFY(search->eof());
    QVERIFY(!QFile::exists(path + u".partial"_s));
}

void TestFieldCatalogue::locatesTheCatalogue_data()
{
    QTest::addColumn<bool>("inDataDir");
    QTest::addColumn<bool>("besideProgram");
    QTest::addColumn<QString>("expected");

    QTest::newRow("the data folder's copy first") << true << true << u"data"_s;
    QTest::newRow("the shipped copy otherwise") << false << true << u"program"_s;
    QTest::newRow("only in the data folder") << true << false << u"data"_s;
    QTest::newRow("none") << false << false << QString();
}

void TestFieldCatalogue::locatesTheCatalogue()
{
    QFETCH(bool, inDataDir);
    QFETCH(bool, besideProgram);
    QFETCH(QString, expected);
    QTemporaryDir dataDir;
    QTemporaryDir programDir;
    if (inDataDir)
        writeFile(QDir(dataDir.path()).filePath(FieldCatalogueFileName), "data");
    if (besideProgram)
        writeFile(QDir(programDir.path()).filePath(FieldCatalogueFileName), "program");
    // DataDir ends in the separator; the program's folder does not.
    const QString found = locateFieldCatalogue(dataDir.path() + QDir::separator(), programDir.path());
    if (expected.isEmpty()) {
        QVERIFY(found.isEmpty());
        return;
    }
    QFile file(found);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromLatin1(file.readAll()), expected);
}

void TestFieldCatalogue::opensSharedOrSaysWhatIsMissing()
{
    CatalogueState& state = catalogueState();
    const QString savedDataDir = state.DataDir;
    QTemporaryDir dataDir;
    state.DataDir = dataDir.path() + QDir::separator();

    const QString expectedPath = state.DataDir + FieldCatalogueFileName;
    if (locateFieldCatalogue().isEmpty()) { // no copy beside the test program either
        try {
            openFieldCatalogue();
            QFAIL("opened a field catalogue that does not exist");
        } catch (const DbError& error) {
            QCOMPARE(error.number(), int(DbErrorNumber::FileNotFound));
            QVERIFY2(error.text().contains(expectedPath), qPrintable(error.text()));
        }
    }

    writeFieldCatalogue(m_fields, expectedPath);
    auto spec = openFieldCatalogue();
    QCOMPARE(spec->path(), expectedPath);
    QCOMPARE(spec->mode(), Database::OpenMode::Shared);
    // Shared: the search window and the designer may both hold it.
    auto second = openFieldCatalogue();
    QVERIFY(second->isOpen());
    state.DataDir = savedDataDir;
}

void TestFieldCatalogue::sourceReaderRefusesBadLines_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("where");

    const QByteArray good = "1,books,Title,Title,1,books,,false,3,false\n";
    QTest::newRow("header without IsCurrency")
        << QByteArray("specid,usewith,Desc,fieldname,datatype,FileName,linkfield,ismemo,defwidth\n")
        << u":1:"_s;
    QTest::newRow("too few values") << ValidHeader + good + "2,books,Year,Year,2,books\n" << u":3:"_s;
    QTest::newRow("datatype out of range") << ValidHeader + "1,books,Title,Title,6,books,,false,3,false\n"
                                           << u":2:"_s;
    QTest::newRow("specid not a number") << ValidHeader + "one,books,Title,Title,1,books,,false,3,false\n"
                                         << u":2:"_s;
    QTest::newRow("specid beyond 16 bits") << ValidHeader + "40000,books,Title,Title,1,books,,false,3,false\n"
                                           << u":2:"_s;
    QTest::newRow("empty Desc") << ValidHeader + "1,books,,Title,1,books,,false,3,false\n" << u":2:"_s;
    QTest::newRow("empty IsCurrency") << ValidHeader + "1,books,Title,Title,1,books,,false,3,\n" << u":2:"_s;
    QTest::newRow("ismemo not yes/no") << ValidHeader + "1,books,Title,Title,1,books,,maybe,3,false\n"
                                       << u":2:"_s;
    QTest::newRow("width not a number") << ValidHeader + "1,books,Title,Title,1,books,,false,wide,false\n"
                                        << u":2:"_s;
    QTest::newRow("specid twice") << ValidHeader + good + good << u":3:"_s;
    QTest::newRow("unterminated quote") << ValidHeader + "1,books,\"Title,Title,1,books,,false,3,false\n"
                                        << u":2:"_s;
}

void TestFieldCatalogue::sourceReaderRefusesBadLines()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, where);
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(u"rptspec.csv"_s);
    writeFile(path, csv);
    const FieldCatalogueSource source = readFieldCatalogueSource(path);
    QVERIFY2(source.error.contains(path + where), qPrintable(source.error));
    QVERIFY(source.rows.isEmpty());
}

void TestFieldCatalogue::sourceReaderReadsQuotedValues()
{
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(u"rptspec.csv"_s);
    // Columns in another order, Windows line ends, a quoted comma and quote,
    // an empty ismemo and defwidth, and the same specid under another key.
    writeFile(path, "Desc,specid,usewith,fieldname,datatype,FileName,linkfield,ismemo,defwidth,IsCurrency\r\n"
                    "\"Owner, \"\"main\"\"\",24,books,OwnName,1,Owners,OwnerID;OwnID,,,No\r\n"
                    "Owner,24,books;other,OwnName,1,Owners,OwnerID;OwnID,yes,2.5,1\r\n");
    const FieldCatalogueSource source = readFieldCatalogueSource(path);
    QVERIFY2(source.error.isEmpty(), qPrintable(source.error));
    QCOMPARE(source.rows.size(), 2);
    const FieldSpecRow& first = source.rows.at(0);
    QCOMPARE(first.desc, u"Owner, \"main\""_s);
    QCOMPARE(first.specid, 24);
    QCOMPARE(first.linkfield, u"OwnerID;OwnID"_s);
    QVERIFY(!first.ismemo.has_value());
    QVERIFY(!first.defwidth.has_value());
    QVERIFY(!first.isCurrency);
    QCOMPARE(source.rows.at(1).ismemo, std::optional<bool>(true));
    QCOMPARE(source.rows.at(1).defwidth, std::optional<double>(2.5));
    QVERIFY(source.rows.at(1).isCurrency);
}

QTEST_GUILESS_MAIN(TestFieldCatalogue)
#include "tst_field_catalogue.moc"
