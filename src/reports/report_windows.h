#pragma once

#include <memory>

class DocumentBuild;
class ReportDocument;

// The windows and the mouse pointer a report run uses, so that the runs
// themselves need no widgets. The program's implementation shows frmRead,
// frmRptSel and frmOutput; tests answer from a script.
class ReportWindows
{
public:
    virtual ~ReportWindows() = default;

    // frmRead, modal. Answers through DialogCancelled (lowered by its OK
    // button) and ReadSelected.
    virtual void showReadDialog() = 0;
    // frmRptSel for RptSelKind, modal. Answers through DialogCancelled and
    // RptSelID.
    virtual void showSelectionDialog() = 0;

    // An empty document laid out on the preview's paper and fonts, with the
    // preview window's page-start rule installed.
    virtual std::unique_ptr<ReportDocument> newDocument() = 0;
    // frmOutput, not modal: shows the document (replacing the one shown
    // before) and completes it with what `build` still has to add.
    virtual void showPreview(std::unique_ptr<DocumentBuild> build) = 0;

    // The hourglass while a report is being made.
    virtual void setBusy(bool busy) = 0;
};

// The hourglass for the scope of a run, whichever way it ends.
class BusyPointer
{
public:
    explicit BusyPointer(ReportWindows& windows) : m_windows(windows) { m_windows.setBusy(true); }
    ~BusyPointer() { m_windows.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    ReportWindows& m_windows;
};
