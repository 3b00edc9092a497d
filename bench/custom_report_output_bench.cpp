// A custom report of five fields (one from a lookup table), one condition and
// two sort keys, written to a text file and to an HTML page beside the sqlite3
// shell exporting the same query (-tabs, -html), and shown in the preview
// (first page, whole document) beside SQLite reading its rows.
#include "bare_connection.h"
#include "bench_registry.h"
#include "report_doubles.h"
#include "sqlite_reads.h"

#include "common/user_dialogs.h"
#include "custom_reports/field_catalogue.h"
#include "custom_reports/report_generation.h"
#include "custom_reports/report_query.h"
#include "database/database.h"
#include "database/jet_sql.h"
#include "database/native_sql.h"
#include "reports/document_build.h"
#include "reports/gui/frm_output.h"
#include "reports/gui/program_report_windows.h"
#include "reports/gui/report_fonts.h"
#include "reports/report_document.h"
#include "reports/report_windows.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

QString outputPath(const QString& name)
{
    static QTemporaryDir folder;
    return folder.filePath(name);
}

FieldSpecRow field(qint16 specid, const QString& desc, const QString& fieldname, qint16 datatype,
                   const QString& table = u"books"_s, const QString& link = QString())
{
    FieldSpecRow row;
    row.specid = specid;
    row.usewith = u"books"_s;
    row.desc = desc;
    row.fieldname = fieldname;
    row.datatype = datatype;
    row.fileName = table;
    row.linkfield = link;
    row.ismemo = false;
    row.isCurrency = fieldname == u"CoverPrice"_s;
    return row;
}

// The fields as the shipped catalogue describes them, in name order.
const ReportFields& fields()
{
    static const ReportFields shipped{
        u"books"_s,
        19,
        {field(2, u"Author Last Name"_s, u"LastName"_s, 1, u"Authors"_s, u"AuthID"_s),
         field(19, u"Cover Price"_s, u"CoverPrice"_s, 2), field(16, u"Date Purchased"_s, u"BuyDate"_s, 3),
         field(1, u"Title"_s, u"Title"_s, 1), field(10, u"Year"_s, u"Year"_s, 2)}};
    return shipped;
}

// Title, author, year, price and date bought of the books above 5, by author
// and title.
ReportDefinition report(int destination)
{
    ReportDefinition report = clearedReport(fields(), 0);
    report.destination = destination;
    report.chosenFields = {1, 2, 10, 19, 16};
    report.settings[19].GreaterThan = u"5"_s;
    report.primarySort = 0;   // Author Last Name
    report.secondarySort = 3; // Title
    return report;
}

QString reportSql()
{
    return translateJetSql(buildReportQuery(report(1), fields()).sql);
}

void generate(Database& db, int destination, const QString& file, ReportWindows& windows)
{
    withAnswers(file, UserDialogs::Answer::Yes,
                [&] { GenerateReport(report(destination), fields(), db, windows); });
}

std::function<void(BenchCatalogue&)> toFile(int destination, const QString& name)
{
    return [destination, name](BenchCatalogue& catalogue) {
        BenchWindows windows;
        const QString file = outputPath(name);
        generate(*catalogue.db, destination, file, windows);
        if (QFileInfo(file).size() == 0)
            throw std::runtime_error("the report wrote nothing");
    };
}

// The sqlite3 shell exporting the report's query to a file (-tabs or
// -html), with the program's collation loaded from the shipped extension.
std::function<void(BenchCatalogue&)> shellExport(const QString& mode, const QString& name)
{
    return [mode, name](BenchCatalogue& catalogue) {
        QProcess shell;
        shell.start(u"sqlite3"_s,
                    {mode, u"-cmd"_s, u".load "_s + QStringLiteral(QUILLARY_COLLATION_EXTENSION),
                     catalogue.barePath, u".once "_s + outputPath(name), reportSql()});
        if (!shell.waitForFinished(600000) || shell.exitCode() != 0)
            throw std::runtime_error("the sqlite3 shell failed: " +
                                     shell.readAllStandardError().toStdString());
    };
}

void wholeDocument(BenchCatalogue& catalogue)
{
    BenchWindows windows;
    generate(*catalogue.db, CustomDestination::ScreenPrinter, QString(), windows);
    if (!windows.shown || windows.shown->document().rowCount() < 2)
        throw std::runtime_error("no document");
}

void readWholeQuery(BenchCatalogue& catalogue)
{
    readAll(bareConnection(catalogue), reportSql().toUtf8());
}

void firstPageShown(BenchCatalogue& catalogue)
{
    static QWidget* owner = new QWidget; // lives with the process
    ProgramReportWindows windows(owner, [&catalogue] { return catalogue.db.get(); });
    generate(*catalogue.db, CustomDestination::ScreenPrinter, QString(), windows);
    frmOutput* output = windows.output();
    if (!output || output->document()->pageCount() < 1)
        throw std::runtime_error("no preview");
    QCoreApplication::processEvents();
    output->close();
}

void firstPageRows(BenchCatalogue& catalogue)
{
    readAll(bareConnection(catalogue), reportSql().toUtf8() + " LIMIT 45");
}

const BenchRegistration registration{
    {u"custom report to text file"_s, toFile(CustomDestination::TextFile, u"custom.txt"_s),
     shellExport(u"-tabs"_s, u"sqlite.txt"_s), false, u"<= 1.5x"_s, u"sqlite3 shell"_s},
    {u"custom report to HTML file"_s, toFile(CustomDestination::WebTable, u"custom.htm"_s),
     shellExport(u"-html"_s, u"sqlite.htm"_s), false, u"<= 2x"_s, u"sqlite3 shell"_s},
    {u"custom report document, whole"_s, wholeDocument, readWholeQuery, false},
    {u"custom report, first page shown"_s, firstPageShown, firstPageRows, false},
};

} // namespace
