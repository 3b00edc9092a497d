#pragma once

#include "import/conversion_report.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>

// Reading a damaged file, the reading library may crash or loop for ever.
// Work that uses it therefore runs in a child process of its own: whatever
// happens there, the program itself carries on and can tell the user.

struct IsolationTexts
{
    QString crashed; // the work ended the child process without an answer
    QString stalled; // the work made no progress for the silence limit
};

// Runs `work` in a child process (where the system has them; elsewhere in
// this one). `work` calls the heartbeat it is given while it makes progress
// and returns bytes for the caller. A ConversionError (or any other
// exception) it throws comes back as a ConversionError with the same text.
// When the child dies without an answer, or is silent for `silenceLimit`
// (it is then stopped), throws ConversionError with the matching text.
QByteArray runIsolated(const std::function<QByteArray(const Heartbeat&)>& work,
                       std::chrono::milliseconds silenceLimit, const IsolationTexts& texts);
