#include "custom_reports/report_generation.h"

#include "catalogue/db_error_handler.h"
#include "common/clock.h"
#include "common/file_filters.h"
#include "common/locale_formats.h"
#include "common/shared_state.h"
#include "common/user_dialogs.h"
#include "custom_reports/custom_report_writers.h"
#include "custom_reports/report_definition.h"
#include "custom_reports/report_query.h"
#include "reports/document_build.h"
#include "reports/report_document.h"
#include "reports/report_state.h"
#include "reports/report_windows.h"

#include <QFileInfo>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The file chosen for a file destination; empty when the user cancelled or
// would not replace the file.
QString chosenFile(const ReportDefinition& report)
{
    const bool html = report.destination == CustomDestination::WebTable;
    const QString suggested = report.ProgramKey + (html ? u".htm"_s : u".txt"_s);
    const QString path = userDialogs().saveFileName(u"Save As"_s, suggested,
                                                    html ? FileFilters::HtmlFiles : FileFilters::TextFiles);
    if (path.isEmpty() || ConfirmFileReplace(path))
        return QString();
    return path;
}

QString pageHeader(const ReportDefinition& report)
{
    const QString date = report.showDate ? LocaleFormats::shortDate(Clock::today()) : QString();
    const QString page = report.pageNumbers == PageNumbers::InHeader ? u"Page %d"_s : QString();
    return date + u'|' + report.title + u'|' + page;
}

void toPreview(const ReportDefinition& report, const ReportQuery& query,
               std::unique_ptr<CustomReportLines> lines, ReportWindows& windows)
{
    ReportState& state = reportState();
    state.TableFormatText = query.tableFormat;
    state.TableHeaderText = query.tableHeader;
    state.RepeatTableHeader = true;
    std::unique_ptr<ReportDocument> document = windows.newDocument();
    document->setPreviewMode(true);
    document->setPageOrientation(report.orientation == 1 ? PageOrientation::Landscape
                                                         : PageOrientation::Portrait);
    document->setPageFooter(report.pageNumbers == PageNumbers::AtBottom ? u"|Page %d|"_s : QString());
    document->setPageHeader(pageHeader(report));
    document->StartDoc();
    auto build = std::make_unique<DocumentBuild>(std::move(document), query.tableColumns(), std::move(lines));
    build->fillFirstPage();
    windows.showPreview(std::move(build));
}

void toTextFile(const QString& path, CustomReportLines& lines)
{
    TextReportFile file(path);
    if (lines.isEmpty())
        file.commit();
    else
        writeReportFile(file, lines);
}

void toHtmlFile(const ReportDefinition& report, const ReportQuery& query, const QString& path,
                CustomReportLines& lines)
{
    HtmlReportFile file(path);
    file.writeStart(report.title, query.tableHeader.chopped(1).split(u'|'));
    // A report without rows is still a whole page: the heading row, then the
    // table and the page closed.
    if (!lines.isEmpty()) {
        QStringList cells;
        while (lines.next(cells))
            file.writeRow(cells, lines.numberColumns());
        if (const QStringList totals = lines.totals(); !totals.isEmpty())
            file.writeTotals(totals);
    }
    file.writeEnd();
    file.commit();
}

} // namespace

bool ConfirmFileReplace(const QString& path, const QString& noun)
{
    sharedState().ReplaceRefused = false;
    if (QFileInfo::exists(path)) {
        const QString question =
            u"The %1 '"_s.arg(noun) + path + u"' already exists.  Do you wish to replace it?"_s;
        sharedState().ReplaceRefused =
            userDialogs().question(question, u"File Exists"_s) == UserDialogs::Answer::No;
    }
    return sharedState().ReplaceRefused;
}

void GenerateReport(const ReportDefinition& report, const ReportFields& fields, Database& db,
                    ReportWindows& windows)
{
    std::optional<ReportQuery> query;
    try {
        query = buildReportQuery(report, fields);
    } catch (const ReportQueryRefusal& refusal) {
        userDialogs().message(refusal.message);
        return;
    }
    QString path;
    if (report.destination == CustomDestination::TextFile ||
        report.destination == CustomDestination::WebTable) {
        path = chosenFile(report);
        if (path.isEmpty())
            return;
    }
    BusyPointer busy(windows);
    std::unique_ptr<CustomReportLines> lines;
    if (!runStep([&] { lines = std::make_unique<CustomReportLines>(db, *query); }))
        return;
    const bool empty = lines->isEmpty();
    if (empty)
        userDialogs().message(NoRecordsMessage);
    runStep([&] {
        switch (report.destination) {
        case CustomDestination::TextFile:
            toTextFile(path, *lines);
            break;
        case CustomDestination::WebTable:
            toHtmlFile(report, *query, path, *lines);
            break;
        default:
            if (!empty)
                toPreview(report, *query, std::move(lines), windows);
            break;
        }
    });
}
