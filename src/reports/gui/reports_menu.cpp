#include "reports/gui/reports_menu.h"

#include "reports/report_run.h"
#include "reports/report_state.h"

#include <QAction>
#include <QWidget>

ReportsMenu::ReportsMenu(QWidget* window, const Actions& actions, std::function<Database*()> database)
    : QObject(window), m_format(actions.viewPrint, actions.saveToFile), m_database(std::move(database)),
      m_windows(window, m_database)
{
    for (int index = 1; index <= int(actions.lists.size()); ++index)
        connect(actions.lists[size_t(index) - 1], &QAction::triggered, this,
                [this, index] { mnuReport_Click(index); });
    connect(actions.quickCount, &QAction::triggered, this, &ReportsMenu::mnuQuickCount_Click);
    connect(actions.countByCategory, &QAction::triggered, this, &ReportsMenu::mnuCountByCat_Click);
}

void ReportsMenu::mnuReport_Click(int index)
{
    Database* db = m_database();
    if (!db)
        return;
    reportState().ReportIndex = qint16(index);
    RunBookReport({*db, m_format.destination(), m_windows});
}

void ReportsMenu::mnuQuickCount_Click()
{
    if (Database* db = m_database())
        QuickCount(*db);
}

void ReportsMenu::mnuCountByCat_Click()
{
    if (Database* db = m_database())
        CountByCategory({*db, m_format.destination(), m_windows});
}
