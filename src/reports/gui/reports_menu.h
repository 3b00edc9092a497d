#pragma once

#include "reports/gui/program_report_windows.h"
#include "reports/gui/report_format_menu.h"

#include <QObject>
#include <array>
#include <functional>

class Database;
class QAction;
class QWidget;

// What the main window's Reports menu does: the destination choice, the
// seven book lists and the two counts, each run on the open catalogue.
class ReportsMenu : public QObject
{
    Q_OBJECT

public:
    struct Actions
    {
        QAction* viewPrint = nullptr;    // mnuFormat(1)
        QAction* saveToFile = nullptr;   // mnuFormat(2)
        std::array<QAction*, 7> lists{}; // mnuReport(1) to mnuReport(7)
        QAction* quickCount = nullptr;
        QAction* countByCategory = nullptr;
    };

    // database: the open catalogue, or nullptr when there is none.
    ReportsMenu(QWidget* window, const Actions& actions, std::function<Database*()> database);

    void mnuFormat_Click(int index) { m_format.mnuFormat_Click(index); }
    void mnuReport_Click(int index);
    void mnuQuickCount_Click();
    void mnuCountByCat_Click();

    const ReportFormatMenu& format() const { return m_format; }
    // The preview window while it is open.
    frmOutput* output() const { return m_windows.output(); }
    // The preview window and the hourglass, shared with the custom reports.
    ReportWindows& windows() { return m_windows; }

private:
    ReportFormatMenu m_format;
    std::function<Database*()> m_database;
    ProgramReportWindows m_windows;
};
