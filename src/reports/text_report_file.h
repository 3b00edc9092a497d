#pragma once

#include "common/safe_file_writer.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

// A report written as a text file: one line per report line, the fields
// separated by one TAB and each line ended by CR LF, in UTF-8, with no
// header. The file is saved through the one safe writer: it replaces the
// chosen one only at commit(), so a run that ends early or fails leaves an
// existing file as it was and no partial file behind.
//
// Failures throw DbError (3051 when the file cannot be written, 3026 when the
// disk is full), for the shared error routine.
class ReportLines;

class TextReportFile
{
public:
    explicit TextReportFile(const QString& path);
    TextReportFile(const TextReportFile&) = delete;
    TextReportFile& operator=(const TextReportFile&) = delete;

    void writeLine(const QStringList& fields);
    void commit();

private:
    void flush();
    [[noreturn]] void fail() const;

    SafeFileWriter m_file;
    QStringEncoder m_utf8{QStringEncoder::Utf8};
    QByteArray m_pending;
};

// Every line of the report, its fields made fit for the file, then its
// closing lines, then the commit.
void writeReportFile(TextReportFile& file, ReportLines& lines);
