#include "catalogue/catalogue_state.h"
#include "catalogue/sample_catalogue.h"
#include "custom_reports/field_catalogue.h"
#include "custom_reports/field_catalogue_source.h"
#include "database/native_sql.h"
#include "database/recordset.h"
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
    const QStringList conditions{u" like '*'"_s, u" > 0"_s, u" >= #1/1/1900#"_s, QString()};
    return field.fieldname + conditions.value(field.datatype - 1);
}

bool valueHasKind(const QVariant& value, int datatype)
{
    const QList<QList<int>> kinds{{QMetaType::QString},
                                  {QMetaType::LongLong, QMetaType::Double, QMetaType::Int},
                                  {QMetaType::QDateTime},
                                  {QMetaType::Bool},
                                  {QMetaType::QDateTime}};
    return kinds.value(datatype - 1).contains(value.typeId());
}

} // namespace

class TestFieldCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { m_catalogue.reset(); }
    void fieldWorksInReportsAndSearches_data();
    void fieldWorksInReportsAndSearches();
    void everyFieldInOneReport();
    void builtFileOpensSharedAndAnswersTheProgramsStatements();

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
    QCOMPARE(field.usewith, ProgramKey);

    // As a custom report's only field, with a condition of its kind and,
    // unless it is long text, as the sort key.
    const QString select = u"Select "_s + field.fieldname + u" from "_s + reportFrom({field});
    QString report = select + u" where "_s + conditionOn(field);
    if (!field.ismemo.value_or(true))
        report += u" order by "_s + field.fieldname;
    auto rows = db.openRecordset(report, RecordsetType::Snapshot);
    QVERIFY2(rows->recordCount() > 0, qPrintable(report));
    QVERIFY2(valueHasKind(rows->value(0), field.datatype),
             qPrintable(report + u" gives "_s + QString::fromLatin1(rows->value(0).typeName())));
    if (field.datatype == 4) {
        const QString negated = select + u" where not "_s + field.fieldname;
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
    // A lookup field: a book found by its key.
    const QString baseColumn = joinColumns(field).first;
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

// The data folder's copy comes first, the one shipped beside the program next.
// Built from the source (twice, as a rebuild after an edit does), opened shared
// from the data folder, and answering the search window's statement with every
// row as the source gives it.
void TestFieldCatalogue::builtFileOpensSharedAndAnswersTheProgramsStatements()
{
    CatalogueState& state = catalogueState();
    const QString savedDataDir = state.DataDir;
    QTemporaryDir dataDir;
    state.DataDir = dataDir.path() + QDir::separator();
    const QString path = state.DataDir + FieldCatalogueFileName;
    writeFieldCatalogue(m_fields, path);
    writeFieldCatalogue(m_fields, path);
    QVERIFY(!QFile::exists(path + u".partial"_s));
    auto spec = openFieldCatalogue();
    QVERIFY(openFieldCatalogue()->isOpen()); // the search window and the designer may both hold it
    state.DataDir = savedDataDir;
    QCOMPARE(spec->path(), path);
    QCOMPARE(spec->mode(), Database::OpenMode::Shared);

    auto search = spec->openRecordset(u"Select * from RptSpec where usewith = 'books' order by specid"_s,
                                      RecordsetType::Snapshot);
    for (const FieldSpecRow& field : m_fields) {
        QVERIFY(!search->eof());
        const auto text = [&](const char* column) {
            return search->value(QString::fromLatin1(column)).toString();
        };
        QCOMPARE(QStringList({text("specid"), text("Desc"), text("fieldname"), text("datatype"),
                              text("FileName"), text("linkfield")}),
                 QStringList({QString::number(field.specid), field.desc, field.fieldname,
                              QString::number(field.datatype), field.fileName, field.linkfield}));
        QCOMPARE(search->value(u"ismemo"_s), field.ismemo ? QVariant(*field.ismemo) : QVariant());
        QCOMPARE(search->value(u"defwidth"_s).toDouble(), field.defwidth.value_or(0));
        QCOMPARE(search->value(u"IsCurrency"_s), QVariant(field.isCurrency));
        search->moveNext();
    }
    QVERIFY(search->eof());
}

QTEST_GUILESS_MAIN(TestFieldCatalogue)
#include "tst_field_catalogue.moc"
