#pragma once

#include <QFile>
#include <QString>
#include <QStringDecoder>
#include <QStringList>
#include <exception>

// Reading a table of books written as text: CSV as spreadsheets write it
// (fields in double quotes may hold the delimiter, doubled quotes and line
// breaks) with commas, semicolons or TABs between the fields. The file is
// read in pieces, so a file of any size takes the same memory.

enum class TextEncoding { Utf8, Utf8WithBom, Utf16LittleEndian, Utf16BigEndian, Windows1252 };

// "UTF-8", "UTF-8 with byte-order mark", ..., as the preview names it.
QString encodingName(TextEncoding encoding);

// The file cannot be read as a table at all; the text says why.
class TableFileError : public std::exception
{
public:
    explicit TableFileError(QString text);
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

// One row of the table. A row that cannot be taken as it stands keeps what
// could be read and says why in problem.
struct TableRecord
{
    QStringList cells;
    qint64 line = 0; // the line of the file the row starts on, from 1
    QString problem;
};

class TextTableReader
{
public:
    // Rows whose text or cell count goes beyond these are refused (their
    // text read on to the row's end but not kept).
    static constexpr qsizetype MaxRowLength = 1 << 20;
    static constexpr qsizetype MaxCells = 1000;

    // Opens the file and finds its encoding and delimiter. Throws
    // TableFileError for a file that cannot be opened, is empty or is no text.
    explicit TextTableReader(const QString& path);

    TextEncoding encoding() const { return m_encoding; }
    QChar delimiter() const { return m_delimiter; }
    // The next row; false after the last. Empty lines are passed over.
    bool next(TableRecord& record);
    // Back to the first row.
    void rewind();

    qint64 bytesRead() const { return m_file.pos(); }
    qint64 size() const { return m_size; }

private:
    void detectEncoding();
    void detectDelimiter();
    bool fill();
    bool get(QChar& c);
    bool peekIs(QChar c);
    bool readRecord(TableRecord& record);

    QFile m_file;
    qint64 m_size = 0;
    qint64 m_start = 0; // the first byte after a byte-order mark
    TextEncoding m_encoding = TextEncoding::Utf8;
    QChar m_delimiter = u',';
    QStringDecoder m_decoder;
    QString m_buffer;
    qsizetype m_pos = 0;
    qint64 m_line = 1;
};
