#include "support/scripted_dialogs.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString shownTitle(const QString& title)
{
    return title.isEmpty() ? ProgramTitle : title;
}

} // namespace

void ScriptedDialogs::setNextAnswers(const QList<Answer>& answers)
{
    for (Answer answer : answers) {
        answers_.enqueue(answer);
    }
}

void ScriptedDialogs::message(const QString& text, const QString& title)
{
    shown_.append({Kind::Message, shownTitle(title), text});
}

UserDialogs::Answer ScriptedDialogs::question(const QString& text, const QString& title)
{
    shown_.append({Kind::Question, shownTitle(title), text});
    if (answers_.isEmpty()) {
        const QByteArray failure = "Question asked with no answer queued: \"" + text.toUtf8() +
                                   "\" (title \"" + shownTitle(title).toUtf8() + "\"); answering No";
        QTest::qFail(failure.constData(), __FILE__, __LINE__);
        return Answer::No;
    }
    return answers_.dequeue();
}

QString ScriptedDialogs::openFileName(const QString& caption, const QString& directory, const QString&)
{
    shown_.append({Kind::OpenFile, caption, directory});
    return fileNames_.isEmpty() ? QString() : fileNames_.dequeue();
}

QString ScriptedDialogs::saveFileName(const QString& caption, const QString& suggestedPath, const QString&)
{
    shown_.append({Kind::SaveFile, caption, suggestedPath});
    return fileNames_.isEmpty() ? QString() : fileNames_.dequeue();
}

QString ScriptedDialogs::directory(const QString& caption, const QString& startFolder)
{
    shown_.append({Kind::Folder, caption, startFolder});
    return fileNames_.isEmpty() ? QString() : fileNames_.dequeue();
}

QStringList ScriptedDialogs::texts() const
{
    QStringList result;
    for (const Shown& dialog : shown_) {
        if (dialog.kind == Kind::Message || dialog.kind == Kind::Question) {
            result.append(dialog.text);
        }
    }
    return result;
}

void ScriptedDialogs::clear()
{
    answers_.clear();
    fileNames_.clear();
    shown_.clear();
    beeps_ = 0;
}

QStringList ScriptedDialogs::takeMessages()
{
    QStringList result;
    for (const Shown& message : messages())
        result.append(message.title + u": "_s + message.text);
    clear();
    return result;
}

QList<ScriptedDialogs::Shown> ScriptedDialogs::ofKind(Kind kind) const
{
    QList<Shown> result;
    for (const Shown& dialog : shown_) {
        if (dialog.kind == kind) {
            result.append(dialog);
        }
    }
    return result;
}

DialogsInstaller::DialogsInstaller(UserDialogs& dialogs) : previous_(&userDialogs())
{
    setUserDialogs(&dialogs);
}

DialogsInstaller::~DialogsInstaller()
{
    setUserDialogs(previous_);
}

const char* toString(ScriptedDialogs::Kind kind)
{
    switch (kind) {
    case ScriptedDialogs::Kind::Message:
        return "message";
    case ScriptedDialogs::Kind::Question:
        return "question";
    case ScriptedDialogs::Kind::OpenFile:
        return "open file dialog";
    case ScriptedDialogs::Kind::SaveFile:
        return "save file dialog";
    case ScriptedDialogs::Kind::Folder:
        return "folder dialog";
    }
    return "?";
}
