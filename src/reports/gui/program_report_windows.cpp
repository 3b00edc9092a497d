#include "reports/gui/program_report_windows.h"

#include "common/gui/modal_runner.h"
#include "reports/document_build.h"
#include "reports/gui/frm_output.h"
#include "reports/gui/frm_read.h"
#include "reports/gui/frm_rpt_sel.h"
#include "reports/gui/report_fonts.h"
#include "reports/report_document.h"
#include "reports/report_state.h"

#include <QGuiApplication>
#include <QLocale>

namespace {

// Letter where the locale measures in inches, A4 elsewhere.
PageGeometry localPaper()
{
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? PageGeometry::letter()
                                                                      : PageGeometry::a4();
}

} // namespace

ProgramReportWindows::ProgramReportWindows(QWidget* parent, std::function<Database*()> database)
    : m_parent(parent), m_database(std::move(database))
{
}

ProgramReportWindows::~ProgramReportWindows()
{
    while (m_busy > 0)
        setBusy(false);
    delete m_output.data();
}

void ProgramReportWindows::showReadDialog()
{
    frmRead dialog(m_parent);
    modalRunner().exec(dialog);
}

void ProgramReportWindows::showSelectionDialog()
{
    Database* db = m_database();
    if (!db)
        return;
    frmRptSel dialog(*db, m_parent);
    modalRunner().exec(dialog);
}

std::unique_ptr<ReportDocument> ProgramReportWindows::newDocument()
{
    auto document = std::make_unique<ReportDocument>(reportFontMetrics(), localPaper());
    ReportDocument* shown = document.get();
    document->setPageStartedHandler([shown](int) { repeatTableHeader(*shown); });
    return document;
}

void ProgramReportWindows::showPreview(std::unique_ptr<DocumentBuild> build)
{
    if (!m_output) {
        m_output = new frmOutput(m_parent);
        m_output->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_output->showDocument(std::move(build));
    m_output->show();
    m_output->raise();
    m_output->activateWindow();
}

void ProgramReportWindows::setBusy(bool busy)
{
    if (busy) {
        ++m_busy;
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busy > 0) {
        --m_busy;
        QGuiApplication::restoreOverrideCursor();
    }
}

frmOutput* ProgramReportWindows::output() const
{
    return m_output;
}
