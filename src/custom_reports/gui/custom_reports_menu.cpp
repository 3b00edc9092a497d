#include "custom_reports/gui/custom_reports_menu.h"

#include "catalogue/book_session.h"
#include "common/shared_state.h"
#include "custom_reports/gui/frm_rptspec.h"
#include "custom_reports/report_generation.h"

#include <QAction>

using namespace Qt::StringLiterals;

CustomReportsMenu::CustomReportsMenu(QWidget* window, QAction* open, BookSession& session,
                                     ReportWindows& windows)
    : QObject(window), m_window(window), m_session(session), m_windows(windows)
{
    connect(open, &QAction::triggered, this, &CustomReportsMenu::openDesigner);
}

void CustomReportsMenu::openDesigner()
{
    sharedState().CatalogueKey = u"books"_s;
    if (m_designer) {
        m_designer->showNormal();
        m_designer->raise();
        m_designer->activateWindow();
        return;
    }
    m_designer = new frmRptSpec(m_window);
    connect(m_designer, &frmRptSpec::generateRequested, this, &CustomReportsMenu::generate);
    m_designer->Form_Load();
    m_designer->show();
}

bool CustomReportsMenu::closeDesigner()
{
    return !m_designer || m_designer->close();
}

frmRptSpec* CustomReportsMenu::designer() const
{
    return m_designer;
}

void CustomReportsMenu::generate()
{
    if (m_designer && m_session.isOpen())
        GenerateReport(m_designer->currentDefinition(), m_designer->reportFields(), m_session.database(),
                       m_windows);
}
