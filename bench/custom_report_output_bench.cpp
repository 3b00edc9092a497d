// A custom report of five fields (one from a lookup table), one condition and
// two sort keys, written to a text file and to an HTML page beside SQLite
// exporting the same query to a file as its shell does (-tabs, -html), and
// shown in the preview (first page, whole document) beside SQLite reading its
// rows.
#include "bench_registry.h"
#include "report_doubles.h"

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

// What the sqlite3 shell does for -tabs and -html, on the catalogue's own
// connection (its collation orders the rows as the report's do): each row's
// column texts written to a file, TAB-separated or as HTML cells with
// "<", ">" and "&" escaped.
std::function<void(BenchCatalogue&)> sqliteExport(bool html, const QString& name)
{
    return [html, name](BenchCatalogue& catalogue) {
        const QByteArray sql = reportSql().toUtf8();
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(catalogue.db->handle(), sql.constData(), int(sql.size()), &statement,
                               nullptr) != SQLITE_OK)
            throw std::runtime_error("the report's query did not prepare");
        QFile file(outputPath(name));
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot write the export");
        QByteArray out;
        const int columns = sqlite3_column_count(statement);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            if (html)
                out += "<TR>";
            for (int i = 0; i < columns; ++i) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
                const QByteArray value(text ? text : "");
                if (!html) {
                    if (i > 0)
                        out += '\t';
                    out += value;
                    continue;
                }
                out += "<TD>";
                for (char c : value) {
                    if (c == '<')
                        out += "&lt;";
                    else if (c == '>')
                        out += "&gt;";
                    else if (c == '&')
                        out += "&amp;";
                    else
                        out += c;
                }
                out += "</TD>";
            }
            out += html ? "</TR>\n" : "\n";
            if (out.size() > (1 << 16)) {
                file.write(out);
                out.clear();
            }
        }
        sqlite3_finalize(statement);
        file.write(out);
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
    NativeStatement rows(*catalogue.db, reportSql().toUtf8());
    while (rows.step()) {
    }
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
    NativeStatement rows(*catalogue.db, reportSql().toUtf8());
    for (int i = 0; i < 45 && rows.step(); ++i) {
    }
}

const BenchRegistration registration{
    {u"custom report to text file"_s, toFile(CustomDestination::TextFile, u"custom.txt"_s),
     sqliteExport(false, u"sqlite.txt"_s), false},
    {u"custom report to HTML file"_s, toFile(CustomDestination::WebTable, u"custom.htm"_s),
     sqliteExport(true, u"sqlite.htm"_s), false},
    {u"custom report document, whole"_s, wholeDocument, readWholeQuery, false},
    {u"custom report, first page shown"_s, firstPageShown, firstPageRows, false},
};

} // namespace
