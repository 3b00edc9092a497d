#pragma once

#include "reports/report_windows.h"

#include <QPointer>
#include <functional>

class Database;
class QWidget;
class frmOutput;

// The report windows of the running program: frmRead and frmRptSel as modal
// dialogs over the main window, and the one preview window frmOutput, made
// on first use and shared by every report until the user closes it.
class ProgramReportWindows final : public ReportWindows
{
public:
    // database: the open catalogue, asked for when frmRptSel fills its list.
    ProgramReportWindows(QWidget* parent, std::function<Database*()> database);
    ~ProgramReportWindows() override;

    void showReadDialog() override;
    void showSelectionDialog() override;
    std::unique_ptr<ReportDocument> newDocument() override;
    void showPreview(std::unique_ptr<DocumentBuild> build) override;
    void setBusy(bool busy) override;

    // The preview window while it is open.
    frmOutput* output() const;

private:
    QWidget* m_parent;
    std::function<Database*()> m_database;
    QPointer<frmOutput> m_output;
    int m_busy = 0;
};
