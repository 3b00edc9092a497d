#include "import/text_table_reader.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 PieceSize = 1 << 16;

// The code page's characters for 0x80 to 0x9F; the five it leaves unused are
// read as the control characters of the same value, as Latin-1 has them.
constexpr char16_t Windows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(Windows1252High[b - 0x80]) : QChar(char16_t(b));
    }
    return text;
}

QString shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

QString encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return u"UTF-8"_s;
    case TextEncoding::Utf8WithBom:
        return u"UTF-8 with byte-order mark"_s;
    case TextEncoding::Utf16LittleEndian:
        return u"UTF-16 (little-endian)"_s;
    case TextEncoding::Utf16BigEndian:
        return u"UTF-16 (big-endian)"_s;
    case TextEncoding::Windows1252:
        return u"Windows-1252 (Western)"_s;
    }
    return QString();
}

TableFileError::TableFileError(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}

TextTableReader::TextTableReader(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::ReadOnly))
        throw TableFileError(u"Could not read '%1': %2."_s.arg(shownPath(path), m_file.errorString()));
    m_size = m_file.size();
    detectEncoding();
    if (m_size <= m_start)
        throw TableFileError(u"'%1' is empty."_s.arg(shownPath(path)));
    rewind();
    // Text holds few control characters; a picture or a spreadsheet's own
    // binary file holds many (a stray one only refuses its row).
    fill();
    qsizetype controls = 0;
    for (const QChar c : std::as_const(m_buffer)) {
        if (c.isNull() || (c.unicode() < 0x20 && c != u'\t' && c != u'\r' && c != u'\n'))
            ++controls;
    }
    if (controls * 10 > m_buffer.size())
        throw TableFileError(
            u"'%1' is not a text file: export it as CSV or as TAB-separated text."_s.arg(shownPath(path)));
    detectDelimiter();
    rewind();
}

void TextTableReader::detectEncoding()
{
    const QByteArray head = m_file.peek(3);
    if (head.startsWith("\xEF\xBB\xBF")) {
        m_encoding = TextEncoding::Utf8WithBom;
        m_start = 3;
    } else if (head.startsWith("\xFF\xFE")) {
        m_encoding = TextEncoding::Utf16LittleEndian;
        m_start = 2;
    } else if (head.startsWith("\xFE\xFF")) {
        m_encoding = TextEncoding::Utf16BigEndian;
        m_start = 2;
    } else {
        // Bytes that are not UTF-8 anywhere in the file make it the
        // Western code page, which every byte sequence is.
        QStringDecoder check(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        m_encoding = TextEncoding::Utf8;
        while (!m_file.atEnd()) {
            const QString piece = check.decode(m_file.read(PieceSize));
            if (check.hasError()) {
                m_encoding = TextEncoding::Windows1252;
                break;
            }
        }
    }
}

void TextTableReader::detectDelimiter()
{
    // Counted in the header row outside quotes: the most frequent of TAB,
    // semicolon and comma; a comma when none is there.
    qsizetype tabs = 0, semicolons = 0, commas = 0;
    bool quoted = false;
    QChar c;
    qsizetype seen = 0;
    while (seen++ < MaxRowLength && get(c)) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted && c == u'\t')
            ++tabs;
        else if (!quoted && c == u';')
            ++semicolons;
        else if (!quoted && c == u',')
            ++commas;
    }
    if (tabs > commas && tabs >= semicolons)
        m_delimiter = u'\t';
    else if (semicolons > commas)
        m_delimiter = u';';
    else
        m_delimiter = u',';
}

void TextTableReader::rewind()
{
    m_file.seek(m_start);
    switch (m_encoding) {
    case TextEncoding::Utf16LittleEndian:
        m_decoder = QStringDecoder(QStringConverter::Utf16LE);
        break;
    case TextEncoding::Utf16BigEndian:
        m_decoder = QStringDecoder(QStringConverter::Utf16BE);
        break;
    default:
        m_decoder = QStringDecoder(QStringConverter::Utf8);
    }
    m_buffer.clear();
    m_pos = 0;
    m_line = 1;
}

bool TextTableReader::fill()
{
    while (m_pos >= m_buffer.size()) {
        if (m_file.atEnd())
            return false;
        const QByteArray piece = m_file.read(PieceSize);
        if (piece.isEmpty())
            return false;
        m_buffer = m_encoding == TextEncoding::Windows1252 ? fromWindows1252(piece) : m_decoder.decode(piece);
        m_pos = 0;
    }
    return true;
}

bool TextTableReader::get(QChar& c)
{
    if (m_pos >= m_buffer.size() && !fill())
        return false;
    c = m_buffer.at(m_pos++);
    return true;
}

bool TextTableReader::peekIs(QChar c)
{
    if (m_pos >= m_buffer.size() && !fill())
        return false;
    if (m_buffer.at(m_pos) != c)
        return false;
    ++m_pos;
    return true;
}

bool TextTableReader::next(TableRecord& record)
{
    while (readRecord(record)) {
        const bool emptyLine = record.cells.size() == 1 && record.cells.front().isEmpty();
        if (!emptyLine || !record.problem.isEmpty())
            return true;
    }
    return false;
}

bool TextTableReader::readRecord(TableRecord& record)
{
    record.cells.clear();
    record.problem.clear();
    record.line = m_line;
    QChar c;
    if (!get(c))
        return false;
    QString field;
    qsizetype length = 0;
    bool quoted = false;
    bool fieldWasQuoted = false;
    bool tooLong = false;
    bool tooWide = false;
    bool holdsNul = false;
    const auto endField = [&] {
        if (record.cells.size() >= MaxCells)
            tooWide = true;
        else
            record.cells.append(field);
        field.clear();
        fieldWasQuoted = false;
    };
    const auto keep = [&](QChar k) {
        if (k.isNull())
            holdsNul = true;
        if (++length > MaxRowLength)
            tooLong = true;
        else
            field += k;
    };
    for (bool more = true; more; more = get(c)) {
        if (quoted) {
            if (c == u'"') {
                if (peekIs(u'"'))
                    keep(c);
                else
                    quoted = false;
                continue;
            }
            if (c == u'\n' || (c == u'\r' && m_pos < m_buffer.size() && m_buffer.at(m_pos) != u'\n'))
                ++m_line;
            keep(c);
            continue;
        }
        if (c == m_delimiter) {
            endField();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r')
                peekIs(u'\n');
            ++m_line;
            break;
        } else if (c == u'"' && field.isEmpty() && !fieldWasQuoted) {
            quoted = true;
            fieldWasQuoted = true;
        } else {
            keep(c);
            // The rest of a plain field up to its end, taken at once.
            qsizetype end = m_pos;
            while (end < m_buffer.size()) {
                const QChar next = m_buffer.at(end);
                if (next == m_delimiter || next == u'\r' || next == u'\n' || next.isNull())
                    break;
                ++end;
            }
            // A row past its limit is only counted: it is refused whole.
            length += end - m_pos;
            if (length > MaxRowLength)
                tooLong = true;
            else
                field += QStringView(m_buffer).mid(m_pos, end - m_pos);
            m_pos = end;
        }
    }
    endField();
    if (quoted)
        record.problem = u"a quoted text is never closed"_s;
    else if (tooLong)
        record.problem = u"the row is longer than %1 characters"_s.arg(MaxRowLength);
    else if (tooWide)
        record.problem = u"the row has more than %1 columns"_s.arg(MaxCells);
    else if (holdsNul)
        record.problem = u"the row holds a NUL character"_s;
    if (tooLong)
        record.cells.clear();
    return true;
}
