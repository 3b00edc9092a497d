#pragma once

#include "common/user_dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

// A UserDialogs test double: answers questions and file dialogs from queues
// the test fills beforehand and records everything shown, in order.
//
// A question asked with no answer queued fails the running test (and answers
// No), so a forgotten answer never passes unnoticed. A file dialog with no
// name queued is recorded and answers as if cancelled.
class ScriptedDialogs : public UserDialogs
{
public:
    enum class Kind { Message, Question, OpenFile, SaveFile, Folder };

    // What one dialog showed. For file and folder dialogs, title is the
    // caption and text the suggested directory or path.
    struct Shown
    {
        Kind kind;
        QString title;
        QString text;
    };

    void setNextAnswer(Answer answer) { answers_.enqueue(answer); }
    void setNextAnswers(const QList<Answer>& answers);
    // Empty means the user cancels the dialog. Folder choosers take their
    // answers from the same queue.
    void setNextFileName(const QString& fileName) { fileNames_.enqueue(fileName); }

    void message(const QString& text, const QString& title = QString()) override;
    Answer question(const QString& text, const QString& title = QString()) override;
    QString openFileName(const QString& caption, const QString& directory, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& suggestedPath,
                         const QString& filter) override;
    QString directory(const QString& caption, const QString& startFolder) override;
    void beep() override { ++beeps_; }

    // Everything shown, in order; titles as the user saw them ("Quillary" for
    // an empty title).
    const QList<Shown>& shown() const { return shown_; }
    QList<Shown> messages() const { return ofKind(Kind::Message); }
    QList<Shown> questions() const { return ofKind(Kind::Question); }
    // The texts of the messages and questions, in order.
    QStringList texts() const;
    int beepCount() const { return beeps_; }
    // Answers and file names queued but never asked for.
    qsizetype unusedAnswers() const { return answers_.size(); }
    qsizetype unusedFileNames() const { return fileNames_.size(); }

    void clear();
    // The messages shown, as "title: text", then clear().
    QStringList takeMessages();

private:
    QList<Shown> ofKind(Kind kind) const;

    QQueue<Answer> answers_;
    QQueue<QString> fileNames_;
    QList<Shown> shown_;
    int beeps_ = 0;
};

// Installs a dialogs object for the lifetime of the installer and puts back
// the one installed before.
class DialogsInstaller
{
public:
    explicit DialogsInstaller(UserDialogs& dialogs);
    ~DialogsInstaller();
    DialogsInstaller(const DialogsInstaller&) = delete;
    DialogsInstaller& operator=(const DialogsInstaller&) = delete;

private:
    UserDialogs* previous_;
};

// ScriptedDialogs installed for the scope: `ScopedScriptedDialogs dialogs;`.
class ScopedScriptedDialogs : public ScriptedDialogs
{
public:
    ScopedScriptedDialogs() : installer_(*this) {}

private:
    DialogsInstaller installer_;
};

const char* toString(ScriptedDialogs::Kind kind);
