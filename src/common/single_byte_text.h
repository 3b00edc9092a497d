#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The single-byte character set the program's text files are written in: the
// Western code page 1252 (Latin-1 with printable characters such as the euro
// sign and curly quotes in 0x80 to 0x9F).
namespace SingleByteText {

// A character the code page cannot hold is written as "?".
QByteArray encode(const QString& text);

// Nothing when the bytes hold anything that is not text: a control character
// other than TAB, or one of the five byte values the code page leaves unused.
std::optional<QString> decodeText(const QByteArray& bytes);

} // namespace SingleByteText
