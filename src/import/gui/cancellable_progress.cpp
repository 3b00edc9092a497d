#include "import/gui/cancellable_progress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

CancellableProgress::CancellableProgress(QWidget* parent, const QString& text, int showAfterMs)
    : m_parent(parent), m_text(text), m_showAfterMs(showAfterMs)
{
    m_started.start();
}

CancellableProgress::~CancellableProgress() = default;

void CancellableProgress::show()
{
    m_window = std::make_unique<QWidget>(m_parent, Qt::Dialog);
    m_window->setObjectName(u"frmImportProgress"_s);
    m_window->setWindowTitle(u"Quillary"_s);
    m_window->setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(m_window.get());
    layout->addWidget(new QLabel(m_text, m_window.get()));
    m_bar = new QProgressBar(m_window.get());
    layout->addWidget(m_bar);
    auto* cancel = new QPushButton(u"Cancel"_s, m_window.get());
    cancel->setObjectName(u"cmdCancel"_s);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    QObject::connect(cancel, &QPushButton::clicked, [this] { m_cancelled = true; });
    m_window->show();
}

bool CancellableProgress::keepGoing(qint64 done, qint64 total)
{
    if (!m_window && m_started.elapsed() >= m_showAfterMs)
        show();
    if (m_window) {
        // Counted in thousandths, so that files beyond 2 GB fit the bar.
        m_bar->setRange(0, total > 0 ? 1000 : 0);
        if (total > 0)
            m_bar->setValue(int(done * 1000 / total));
        QApplication::processEvents();
    }
    return !m_cancelled;
}
