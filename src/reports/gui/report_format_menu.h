#pragma once

#include "reports/report_run.h"

#include <array>

class QAction;

// The destination choice of the Reports menu: mnuFormat(1) "View/Print
// Report" and mnuFormat(2) "Save Report to File", exactly one of them
// checked. The check mark is the only record of the choice; the preview is
// checked at start.
class ReportFormatMenu
{
public:
    ReportFormatMenu(QAction* viewPrint, QAction* saveToFile);

    // Moves the check mark to item index (1 or 2).
    void mnuFormat_Click(int index);
    // What the next report run produces: the preview when item 1 is checked.
    ReportDestination destination() const;

private:
    std::array<QAction*, 3> m_items{}; // from 1, as the menu numbers them
};
