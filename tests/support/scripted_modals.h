#pragma once

#include "common/gui/modal_runner.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <functional>

class QDialog;

// A ModalRunner test double: each modal window the program runs is shown
// without a modal loop and handed to the next handler the test queued, which
// acts on it as a user would (selects a row, types, clicks OK) and returns its
// result. Every window shown is recorded.
//
// A window shown with no handler queued fails the running test and is
// rejected, so a forgotten handler never passes unnoticed.
class ScriptedModals : public ModalRunner
{
public:
    using Handler = std::function<int(QDialog&)>;

    struct Shown
    {
        QString objectName;
        QString title;
    };

    void enqueue(Handler handler) { handlers_.enqueue(std::move(handler)); }
    // Handlers that close the window with OK or Cancel, touching nothing else.
    static Handler accept();
    static Handler reject();

    int exec(QDialog& dialog) override;

    const QList<Shown>& shown() const { return shown_; }
    qsizetype unusedHandlers() const { return handlers_.size(); }

private:
    QQueue<Handler> handlers_;
    QList<Shown> shown_;
};

// ScriptedModals installed for the scope; the runner installed before comes
// back afterwards.
class ScopedScriptedModals : public ScriptedModals
{
public:
    ScopedScriptedModals() : previous_(&modalRunner()) { setModalRunner(this); }
    ~ScopedScriptedModals() override { setModalRunner(previous_); }
    ScopedScriptedModals(const ScopedScriptedModals&) = delete;
    ScopedScriptedModals& operator=(const ScopedScriptedModals&) = delete;

private:
    ModalRunner* previous_;
};
