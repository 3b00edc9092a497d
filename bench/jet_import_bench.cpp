// Converting a Jet file into a new SQLite file, beside mdbtools' own
// mdb-export writing the same tables as CSV (the SQLite column shows
// mdb-export for these). The only Jet file at hand is the shared sample: nine
// tables, the largest 2,155 rows; no Jet file of 100,000 rows can be made
// here. The operations are left out when the sample is not there.
#include "bench_registry.h"

#include "import/jet_conversion.h"
#include "import/mdb_file_source.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

const QString LargestTable = QStringLiteral("Order Details");

// QUILLARY_BENCH_JET, or where the tests find it: <checkout>/../shared/testdata,
// seen from the benchmark in <checkout>/build/bench (asked of the system, as
// the registration runs before the application object exists).
QString samplePath()
{
    const QString overridden = qEnvironmentVariable("QUILLARY_BENCH_JET");
    if (!overridden.isEmpty())
        return overridden;
    const QDir benchFolder = QFileInfo(QFileInfo(u"/proc/self/exe"_s).canonicalFilePath()).dir();
    return QDir::cleanPath(benchFolder.filePath(u"../../../shared/testdata/jet/nwind.mdb"_s));
}

QString output(const QString& name)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(name);
    QFile::remove(path); // a conversion only ever writes a new file
    return path;
}

// The sample file with its largest table only.
class LargestTableSource : public JetSource
{
public:
    LargestTableSource() : m_file(samplePath())
    {
        for (const JetTable& table : m_file.tables()) {
            if (table.name == LargestTable)
                m_tables.push_back(table);
        }
        if (m_tables.empty())
            throw std::runtime_error("the Jet sample has no table Order Details");
    }
    const std::vector<JetTable>& tables() const override { return m_tables; }
    std::unique_ptr<JetRows> rows(const JetTable& table) override
    {
        for (const JetTable& candidate : m_file.tables()) {
            if (candidate.name == table.name)
                return m_file.rows(candidate);
        }
        throw std::runtime_error("no such table");
    }

private:
    MdbFileSource m_file;
    std::vector<JetTable> m_tables;
};

void convertSample(BenchCatalogue&)
{
    convertJetFile(samplePath(), output(u"converted.sqlite"_s), ConversionTarget::AllTables);
}

void convertLargestTable(BenchCatalogue&)
{
    LargestTableSource source;
    convertJetSource(source, samplePath(), output(u"largest.sqlite"_s), ConversionTarget::AllTables);
}

void exportWithMdbtools(const QStringList& tables)
{
    static const QString exporter = QStandardPaths::findExecutable(u"mdb-export"_s);
    for (const QString& table : tables) {
        QProcess process;
        process.setStandardOutputFile(output(u"export.csv"_s));
        process.start(exporter, {samplePath(), table});
        if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            throw std::runtime_error("mdb-export failed: " + process.readAllStandardError().toStdString());
    }
}

void exportSampleWithMdbtools(BenchCatalogue&)
{
    QStringList names;
    const MdbFileSource sample(samplePath());
    for (const JetTable& table : sample.tables())
        names << table.name;
    exportWithMdbtools(names);
}

void exportLargestTableWithMdbtools(BenchCatalogue&)
{
    exportWithMdbtools({LargestTable});
}

BenchOperation beside(BenchOperation operation, const std::function<void(BenchCatalogue&)>& exporter)
{
    if (!QStandardPaths::findExecutable(u"mdb-export"_s).isEmpty())
        operation.baseline = exporter;
    return operation;
}

const BenchRegistration registration =
    QFileInfo::exists(samplePath())
        ? BenchRegistration(
              {beside({u"convert Jet sample (9 tables)"_s, convertSample, {}, false},
                      exportSampleWithMdbtools),
               beside({u"convert its largest table (2,155 rows)"_s, convertLargestTable, {}, false},
                      exportLargestTableWithMdbtools)})
        : BenchRegistration({});

} // namespace
