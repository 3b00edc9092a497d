#include "common/gui/progress_window.h"

#include "common/user_dialogs.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// Often enough for the bar to move smoothly, seldom enough to cost nothing.
constexpr int RepaintEveryMs = 50;

} // namespace

ProgressWindow::ProgressWindow(int showAfterMs) : m_showAfterMs(showAfterMs) {}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::begin(const QString& text)
{
    m_text = text;
    if (m_label)
        m_label->setText(text);
    if (m_depth++ == 0)
        m_started.start();
}

void ProgressWindow::advance(qint64 done, qint64 total)
{
    if (m_depth == 0)
        return;
    if (!m_window) {
        if (m_started.elapsed() < m_showAfterMs)
            return;
        show();
    }
    if (total > 0) {
        m_bar->setRange(0, 1000);
        m_bar->setValue(int(std::min<qint64>(1000, done * 1000 / total)));
    } else {
        m_bar->setRange(0, 0);
    }
    if (m_painted.isValid() && m_painted.elapsed() < RepaintEveryMs)
        return;
    m_painted.start();
    // Paints the window, leaving what the user does, and a request to end
    // the program, until the work is done.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
}

void ProgressWindow::end()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    m_window.reset();
    m_label = nullptr;
    m_bar = nullptr;
    m_painted.invalidate();
}

void ProgressWindow::show()
{
    m_window = std::make_unique<QWidget>(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_window->setWindowTitle(ProgramTitle);
    m_window->setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(m_window.get());
    m_label = new QLabel(m_text, m_window.get());
    m_label->setWordWrap(true);
    m_bar = new QProgressBar(m_window.get());
    m_bar->setTextVisible(false);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    m_window->setMinimumWidth(420);
    m_window->show();
}
