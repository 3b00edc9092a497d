#pragma once

#include "common/user_dialogs.h"

// The dialogs of the running program: real message boxes and file dialogs,
// parented to the active window. The only code that may open them directly.
class WidgetDialogs final : public UserDialogs
{
public:
    void message(const QString& text, const QString& title = QString()) override;
    Answer question(const QString& text, const QString& title = QString()) override;
    QString openFileName(const QString& caption, const QString& directory, const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& suggestedPath,
                         const QString& filter) override;
    QString directory(const QString& caption, const QString& startFolder) override;
    void beep() override;
};
