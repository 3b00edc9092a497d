// The custom report designer's work outside the catalogue: reading the field
// catalogue rows of a key (each New and Open) and a report file written and
// read back (each Save and Open).
#include "bench_registry.h"

#include "custom_reports/field_catalogue.h"
#include "custom_reports/report_file.h"
#include "database/database.h"
#include "database/native_sql.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

constexpr int Fields = 25; // as many as the shipped catalogue offers

// A field catalogue of the shipped size in a folder of its own, built once.
Database& fieldCatalogue()
{
    static QTemporaryDir dir;
    static std::unique_ptr<Database> db;
    if (!db) {
        QList<FieldSpecRow> rows;
        for (int id = 1; id <= Fields; ++id) {
            FieldSpecRow row;
            row.specid = qint16(id);
            row.usewith = u"books"_s;
            row.desc = u"Field %1"_s.arg(Fields + 1 - id, 2, 10, QChar(u'0'));
            row.fieldname = row.desc;
            row.datatype = qint16(1 + id % 5);
            row.fileName = u"books"_s;
            row.ismemo = id == Fields;
            row.defwidth = 1.5;
            rows.append(row);
        }
        const QString path = dir.filePath(FieldCatalogueFileName);
        writeFieldCatalogue(rows, path);
        db = Database::open(path, Database::OpenMode::Shared);
    }
    return *db;
}

void readFields(BenchCatalogue&)
{
    if (readReportFields(fieldCatalogue(), u"books"_s).rows.size() != Fields)
        throw std::runtime_error("the field rows are missing");
}

// The same two reads straight from SQLite.
void readFieldsWithSqlite(BenchCatalogue&)
{
    NativeStatement highest(
        fieldCatalogue(),
        "SELECT specid FROM RptSpec WHERE instr(usewith, 'books') > 0 ORDER BY specid DESC LIMIT 1");
    highest.step();
    NativeStatement rows(fieldCatalogue(),
                         "SELECT * FROM RptSpec WHERE instr(usewith, 'books') > 0 ORDER BY \"Desc\"");
    int count = 0;
    while (rows.step())
        ++count;
    if (count != Fields)
        throw std::runtime_error("the field rows are missing");
}

class BenchFieldSource final : public ReportFieldSource
{
public:
    bool isKnownProgramKey(const QString&) override { return true; }
    ReportFields fieldsOf(const QString& key) override { return readReportFields(fieldCatalogue(), key); }
};

void saveAndOpenReport(BenchCatalogue&)
{
    static QTemporaryDir dir;
    BenchFieldSource source;
    ReportDefinition report = clearedReport(source.fieldsOf(u"books"_s), 0);
    for (qint16 id = 1; id <= 10; ++id) {
        report.chosenFields.append(id);
        report.settings[id].StartsWith = u"Text %1"_s.arg(id);
    }
    const QString path = dir.filePath(u"bench.rpt"_s);
    WriteReportFile(report, path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the report file was not written");
    const ReportFileReading reading = readReportFile(file, u"books"_s, 0, source);
    if (!reading.valid || !(*reading.definition == report))
        throw std::runtime_error("the report file did not read back");
}

const BenchRegistration registration{
    {u"custom report: field rows of a key"_s, readFields, readFieldsWithSqlite},
    {u"custom report: save + open a file"_s, saveAndOpenReport, {}},
};

} // namespace
