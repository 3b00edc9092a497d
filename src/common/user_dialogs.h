#pragma once

#include <QString>
#include <QStringList>

// Every message box, question, file dialog and beep of the program goes
// through this interface. The GUI installs WidgetDialogs; tests install
// ScriptedDialogs, which answers from a queue and records what was shown.
class UserDialogs
{
public:
    enum class Answer { Yes, No };

    virtual ~UserDialogs() = default;

    // A message box with an OK button and no icon. An empty title shows the
    // program's title, "Quillary".
    virtual void message(const QString& text, const QString& title = QString()) = 0;
    // A Yes/No question with the question icon.
    virtual Answer question(const QString& text, const QString& title = QString()) = 0;
    // File dialogs; an empty result means the user cancelled. The filter is
    // given as description and pattern pairs separated by "|" (FileFilters).
    virtual QString openFileName(const QString& caption, const QString& directory, const QString& filter) = 0;
    virtual QString saveFileName(const QString& caption, const QString& suggestedPath,
                                 const QString& filter) = 0;
    // A folder chooser starting in startFolder; empty when the user cancelled.
    // Dialogs that offer no chooser answer as if it were cancelled.
    virtual QString directory(const QString& caption, const QString& startFolder);
    virtual void beep() = 0;
};

inline const QString ProgramTitle = QStringLiteral("Quillary");

UserDialogs& userDialogs();
// Installs the dialogs used from now on (not owned); nullptr restores the
// default, which records nothing and answers No / cancel.
void setUserDialogs(UserDialogs* dialogs);
