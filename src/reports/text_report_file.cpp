#include "reports/text_report_file.h"

#include "database/db_error.h"
#include "reports/report_lines.h"
#include "reports/tab_separated_fields.h"

#include <cerrno>

namespace {

constexpr qsizetype FlushSize = 1 << 16;

} // namespace

TextReportFile::TextReportFile(const QString& path) : m_file(path)
{
    if (!m_file.open(QIODevice::WriteOnly))
        fail();
    m_pending.reserve(FlushSize + 1024);
}

void TextReportFile::writeLine(const QStringList& fields)
{
    qsizetype room = 2 + fields.size();
    for (const QString& field : fields)
        room += m_utf8.requiredSpace(field.size());
    const qsizetype start = m_pending.size();
    m_pending.resize(start + room);
    char* out = m_pending.data() + start;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            *out++ = '\t';
        out = m_utf8.appendToBuffer(out, fields[i]);
    }
    *out++ = '\r';
    *out++ = '\n';
    m_pending.resize(out - m_pending.data());
    if (m_pending.size() >= FlushSize)
        flush();
}

void TextReportFile::commit()
{
    flush();
    try {
        m_file.commit();
    } catch (const FileSaveError& error) {
        throw fileSaveDbError(error);
    }
}

void TextReportFile::flush()
{
    if (m_pending.isEmpty())
        return;
    if (m_file.write(m_pending) != m_pending.size())
        fail();
    m_pending.clear();
}

void TextReportFile::fail() const
{
    throw fileSaveDbError(m_file.failure().value_or(FileSaveError(m_file.path(), EIO)));
}

void writeReportFile(TextReportFile& file, ReportLines& lines)
{
    QStringList cells;
    while (lines.next(cells)) {
        makeTabSeparatedFields(cells);
        file.writeLine(cells);
    }
    for (const QStringList& closing : lines.closingTextLines())
        file.writeLine(closing);
    file.commit();
}
