#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <memory>

class QProgressBar;
class QPushButton;
class QWidget;

// The progress of work the user may stop: a small window with the work's
// text, a bar and Cancel, shown once the work has taken showAfterMs (quick
// work never flashes one). While it is shown the other windows wait.
class CancellableProgress
{
public:
    CancellableProgress(QWidget* parent, const QString& text, int showAfterMs = 500);
    ~CancellableProgress();

    // Called as the work goes on; false once Cancel was clicked.
    bool keepGoing(qint64 done, qint64 total);
    // The window while it is shown, else nullptr.
    QWidget* window() const { return m_window.get(); }

private:
    void show();

    QPointer<QWidget> m_parent;
    QString m_text;
    int m_showAfterMs;
    QElapsedTimer m_started;
    std::unique_ptr<QWidget> m_window;
    QProgressBar* m_bar = nullptr;
    bool m_cancelled = false;
};
