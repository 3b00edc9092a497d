#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

// A report written as a text file: one line per report line, the fields
// separated by one TAB and each line ended by CR LF, in UTF-8, with no
// header. The lines go to a temporary file beside the chosen one, which
// replaces it only at commit(): a run that ends early or fails leaves an
// existing file as it was and no partial file behind.
//
// Failures throw DbError (3051 when the file cannot be written, 3026 when the
// disk is full), for the shared error routine.
class TextReportFile
{
public:
    explicit TextReportFile(const QString& path);
    ~TextReportFile();
    TextReportFile(const TextReportFile&) = delete;
    TextReportFile& operator=(const TextReportFile&) = delete;

    void writeLine(const QStringList& fields);
    void commit();

private:
    void flush();
    [[noreturn]] void fail() const;

    QSaveFile m_file;
    QStringEncoder m_utf8{QStringEncoder::Utf8};
    QByteArray m_pending;
};
