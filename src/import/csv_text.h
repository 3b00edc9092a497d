#pragma once

#include <QByteArray>
#include <QStringList>

class QIODevice;

// Rows of CSV as spreadsheets read them: UTF-8, fields separated by commas,
// a field in double quotes (inner quotes doubled) when it holds a comma, a
// quote, a line break or blanks at either end, and rows ended by CR LF.
QByteArray csvLine(const QStringList& fields);

// The byte-order mark a UTF-8 CSV file starts with, so that spreadsheets do
// not take it for the Western code page.
inline constexpr char Utf8ByteOrderMark[] = "\xEF\xBB\xBF";
