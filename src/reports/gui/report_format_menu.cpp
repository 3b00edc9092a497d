#include "reports/gui/report_format_menu.h"

#include <QAction>

ReportFormatMenu::ReportFormatMenu(QAction* viewPrint, QAction* saveToFile)
    : m_items{nullptr, viewPrint, saveToFile}
{
    for (int index : {1, 2}) {
        m_items[size_t(index)]->setCheckable(true);
        QObject::connect(m_items[size_t(index)], &QAction::triggered, m_items[size_t(index)],
                         [this, index] { mnuFormat_Click(index); });
    }
    mnuFormat_Click(1);
}

void ReportFormatMenu::mnuFormat_Click(int index)
{
    if (index < 1 || index > 2)
        return;
    m_items[1]->setChecked(false);
    m_items[2]->setChecked(false);
    m_items[size_t(index)]->setChecked(true);
}

ReportDestination ReportFormatMenu::destination() const
{
    return m_items[1]->isChecked() ? ReportDestination::Preview : ReportDestination::TextFile;
}
