#include "reports/report_run.h"

#include "catalogue/db_error_handler.h"
#include "common/clock.h"
#include "common/file_filters.h"
#include "common/shared_state.h"
#include "common/user_dialogs.h"
#include "database/database.h"
#include "database/recordset.h"
#include "reports/book_lists.h"
#include "reports/category_count.h"
#include "reports/document_build.h"
#include "reports/page_header.h"
#include "reports/report_document.h"
#include "reports/report_state.h"
#include "reports/report_windows.h"
#include "reports/text_report_file.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The save dialog; an empty name means the user cancelled.
QString askTextFileName(const QString& defaultName)
{
    return userDialogs().saveFileName(u"Save As"_s, defaultName, FileFilters::TextFiles);
}

// A printed document started as every standard report starts it: no
// repeated header, the report's title in the page header and its header row
// emphasised at the top of the first page.
std::unique_ptr<ReportDocument> startDocument(ReportWindows& windows, const QString& title,
                                              const QString& headerRowString)
{
    ReportState& state = reportState();
    state.RepeatTableHeader = false;
    state.TableHeaderText = headerRowString;
    std::unique_ptr<ReportDocument> document = windows.newDocument();
    document->setPageHeader(standardPageHeader(title, Clock::today()));
    document->setPreviewMode(true);
    document->StartDoc();
    document->setRowEmphasis(true);
    document->AddTableRow(state.TableHeaderText);
    document->setRowEmphasis(false);
    return document;
}

void showDocument(ReportWindows& windows, std::unique_ptr<ReportDocument> document,
                  const ColumnFormat& format, std::unique_ptr<ReportLines> lines)
{
    auto build = std::make_unique<DocumentBuild>(std::move(document), format, std::move(lines));
    build->fillFirstPage();
    windows.showPreview(std::move(build));
}

// Raises DialogCancelled, shows the dialog and tells whether the user went on.
template <typename Show> bool askedAndAnswered(Show show)
{
    sharedState().DialogCancelled = true;
    show();
    return !sharedState().DialogCancelled;
}

void runBookList(const ReportRun& run)
{
    ReportState& state = reportState();
    const bool toPreview = run.destination == ReportDestination::Preview;
    std::optional<TextReportFile> file;
    if (!toPreview) {
        const QString fileName = askTextFileName(u"BookRpt.txt"_s);
        if (fileName.isEmpty())
            return;
        file.emplace(fileName);
    }
    const int index = state.ReportIndex;
    bool read = true;
    if (BookLists::definition(index).choice == BookLists::Choice::ReadOrUnreadDialog) {
        if (!askedAndAnswered([&] { run.windows.showReadDialog(); }))
            return;
        read = state.ReadSelected;
    }
    BusyPointer busy(run.windows);
    const BookLists::Definition list = BookLists::definition(index, read);
    if (list.title.isEmpty())
        return;
    std::unique_ptr<ReportDocument> document;
    if (toPreview)
        document = startDocument(run.windows, list.title, list.headerRowString());
    qint32 key = -1;
    if (list.selection) {
        state.RptSelKind = qint16(*list.selection);
        run.windows.setBusy(false);
        const bool chosen = askedAndAnswered([&] { run.windows.showSelectionDialog(); });
        run.windows.setBusy(true);
        if (!chosen)
            return;
        key = state.RptSelID;
    }
    auto lines = std::make_unique<BookListLines>(run.db, list, list.sql(key));
    if (lines->isEmpty()) {
        userDialogs().message(u"You have not entered any books!"_s);
        return;
    }
    if (toPreview)
        showDocument(run.windows, std::move(document), list.columns(), std::move(lines));
    else
        writeReportFile(*file, *lines);
}

void runCategoryCount(const ReportRun& run)
{
    const bool toPreview = run.destination == ReportDestination::Preview;
    std::optional<TextReportFile> file;
    if (!toPreview) {
        const QString fileName = askTextFileName(u"CountCat.txt"_s);
        if (fileName.isEmpty())
            return;
        file.emplace(fileName);
    }
    BusyPointer busy(run.windows);
    std::unique_ptr<ReportDocument> document;
    if (toPreview)
        document = startDocument(run.windows, CategoryCount::Title,
                                 CategoryCount::Format + CategoryCount::HeaderRow);
    auto lines = std::make_unique<CategoryCountLines>(run.db);
    if (toPreview)
        showDocument(run.windows, std::move(document),
                     ColumnFormat::parse(CategoryCount::Format).withWholeCells({1}), std::move(lines));
    else
        writeReportFile(*file, *lines);
}

} // namespace

void RunBookReport(const ReportRun& run)
{
    runStep([&] { runBookList(run); });
}

void CountByCategory(const ReportRun& run)
{
    runStep([&] { runCategoryCount(run); });
}

void QuickCount(Database& db)
{
    qint64 books = 0;
    const bool counted = runStep([&] {
        auto rows = db.openRecordset(u"Select BookID from Books"_s, RecordsetType::Snapshot);
        if (!rows->eof())
            rows->moveLast();
        books = rows->recordCount();
    });
    if (counted)
        userDialogs().message(quickCountMessage(books));
}
