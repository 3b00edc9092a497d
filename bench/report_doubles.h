#pragma once

// What the report benchmarks answer with: the save dialog gives the file the
// run writes, a question gets a fixed answer, and documents are laid out with
// the report fonts and completed at once, as the preview would.
#include "common/shared_state.h"
#include "common/user_dialogs.h"
#include "reports/document_build.h"
#include "reports/gui/report_fonts.h"
#include "reports/page_geometry.h"
#include "reports/report_document.h"
#include "reports/report_state.h"
#include "reports/report_windows.h"

#include <memory>
#include <stdexcept>

class BenchDialogs final : public UserDialogs
{
public:
    QString fileName;
    Answer answer = Answer::No;
    void message(const QString& text, const QString&) override
    {
        throw std::runtime_error("unexpected message: " + text.toStdString());
    }
    Answer question(const QString&, const QString&) override { return answer; }
    QString openFileName(const QString&, const QString&, const QString&) override { return QString(); }
    QString saveFileName(const QString&, const QString&, const QString&) override { return fileName; }
    void beep() override {}
};

// All books, read books.
class BenchWindows final : public ReportWindows
{
public:
    std::unique_ptr<DocumentBuild> shown;
    void showReadDialog() override
    {
        sharedState().DialogCancelled = false;
        reportState().ReadSelected = true;
    }
    void showSelectionDialog() override
    {
        sharedState().DialogCancelled = false;
        reportState().RptSelID = -1;
    }
    std::unique_ptr<ReportDocument> newDocument() override
    {
        return std::make_unique<ReportDocument>(reportFontMetrics(), PageGeometry::letter());
    }
    void showPreview(std::unique_ptr<DocumentBuild> build) override
    {
        build->complete();
        shown = std::move(build);
    }
    void setBusy(bool) override {}
};

// Runs one report with the benchmark's answers installed.
template <typename Run> void withAnswers(const QString& file, UserDialogs::Answer answer, Run run)
{
    BenchDialogs dialogs;
    dialogs.fileName = file;
    dialogs.answer = answer;
    UserDialogs& previous = userDialogs();
    setUserDialogs(&dialogs);
    try {
        run();
    } catch (...) {
        setUserDialogs(&previous);
        throw;
    }
    setUserDialogs(&previous);
}
