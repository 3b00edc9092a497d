#pragma once

#include "common/progress.h"

#include <QElapsedTimer>
#include <memory>

class QLabel;
class QProgressBar;
class QWidget;

// The progress of the windowed program: a small window with the work's text
// and a bar (moving on its own when the work's length is not known), shown
// once the work has taken showAfterMs, so that quick work never flashes one.
// While it is shown the user cannot act on the other windows; it keeps itself
// painted as the work goes on.
class ProgressWindow final : public ProgressReporter
{
public:
    explicit ProgressWindow(int showAfterMs = 500);
    ~ProgressWindow() override;

    void begin(const QString& text) override;
    void advance(qint64 done, qint64 total) override;
    void end() override;

    // The window while it is shown, else nullptr.
    QWidget* window() const { return m_window.get(); }

private:
    void show();

    int m_showAfterMs;
    int m_depth = 0; // work begun inside other work shares its window
    QString m_text;
    QElapsedTimer m_started;
    QElapsedTimer m_painted;
    std::unique_ptr<QWidget> m_window;
    QLabel* m_label = nullptr;
    QProgressBar* m_bar = nullptr;
};
