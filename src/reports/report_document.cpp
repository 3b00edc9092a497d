#include "reports/report_document.h"

#include "reports/row_string.h"
#include "reports/text_wrap.h"

#include <algorithm>
#include <cstring>

ReportDocument::ReportDocument(const TextMetrics& metrics, const PageGeometry& geometry)
    : m_metrics(metrics), m_geometry(geometry)
{
}

void ReportDocument::StartDoc()
{
    m_orientation = m_nextOrientation;
    m_tableHeight = tableArea().height();
    m_rows.clear();
    m_text.clear();
    m_formats.clear();
    m_pageStarts.clear();
    m_started = true;
    m_finished = false;
    startPage();
}

void ReportDocument::AddTableRow(const QString& rowString)
{
    const RowString parsed = RowString::parse(rowString);
    for (const QStringList& cells : parsed.rows)
        addRow(parsed.format, cells);
}

void ReportDocument::addRow(const ColumnFormat& format, const QStringList& cells)
{
    if (!m_started)
        StartDoc();
    Row row;
    row.cells = cells;
    if (row.cells.size() > format.size())
        row.cells.resize(format.size());
    row.format = formatIndex(format);
    row.emphasised = m_rowEmphasis;
    row.height = float(rowHeight(format, row.cells, styleOf(row)));
    place(std::move(row));
}

void ReportDocument::AddTable(const QString& columnFormat, const QString& headerRow, const QString& body)
{
    const ColumnFormat format = ColumnFormat::parse(columnFormat);
    if (!headerRow.isEmpty()) {
        const bool emphasised = m_rowEmphasis;
        m_rowEmphasis = true;
        addRow(format, splitRowCells(headerRow));
        m_rowEmphasis = emphasised;
    }
    QList<QStringView> rows = QStringView(body).split(u';');
    if (rows.size() > 1 && rows.last().isEmpty())
        rows.removeLast();
    for (QStringView row : rows)
        addRow(format, splitRowCells(row));
}

std::vector<ReportDocument::Row> ReportDocument::rowsOfPage(int pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= pageCount())
        return {};
    const qsizetype first = m_pageStarts[size_t(pageIndex)];
    const qsizetype end = pageIndex + 1 < pageCount() ? m_pageStarts[size_t(pageIndex) + 1] : rowCount();
    std::vector<Row> rows;
    rows.reserve(size_t(end - first));
    for (qsizetype i = first; i < end; ++i)
        rows.push_back(unpack(m_rows[size_t(i)]));
    return rows;
}

ReportDocument::KeptRow ReportDocument::keep(const Row& row)
{
    constexpr size_t ChunkSize = 1 << 20;
    std::vector<QByteArray> cells;
    size_t bytes = 0;
    for (const QString& cell : row.cells) {
        cells.push_back(cell.toUtf8());
        bytes += sizeof(quint32) + size_t(cells.back().size());
    }
    if (m_text.empty() || m_text.back().size() + bytes > m_text.back().capacity()) {
        m_text.emplace_back();
        m_text.back().reserve(std::max(ChunkSize, bytes));
    }
    std::string& chunk = m_text.back();
    KeptRow kept;
    kept.chunk = quint32(m_text.size() - 1);
    kept.offset = quint32(chunk.size());
    kept.format = row.format;
    kept.top = row.top;
    kept.height = row.height;
    kept.cellCount = quint16(cells.size());
    kept.emphasised = row.emphasised;
    for (const QByteArray& cell : cells) {
        const quint32 length = quint32(cell.size());
        chunk.append(reinterpret_cast<const char*>(&length), sizeof length);
        chunk.append(cell.constData(), size_t(cell.size()));
    }
    return kept;
}

ReportDocument::Row ReportDocument::unpack(const KeptRow& kept) const
{
    Row row;
    row.format = kept.format;
    row.top = kept.top;
    row.height = kept.height;
    row.emphasised = kept.emphasised;
    const char* at = m_text[kept.chunk].data() + kept.offset;
    row.cells.reserve(kept.cellCount);
    for (quint16 i = 0; i < kept.cellCount; ++i) {
        quint32 length = 0;
        std::memcpy(&length, at, sizeof length);
        at += sizeof length;
        row.cells.append(QString::fromUtf8(at, qsizetype(length)));
        at += length;
    }
    return row;
}

QRectF ReportDocument::headerArea() const
{
    const QRectF printable = m_geometry.printableRect(m_orientation);
    return QRectF(printable.left(), printable.top(), printable.width(),
                  m_metrics.lineHeight(TextStyle::PageHeader));
}

QRectF ReportDocument::footerArea() const
{
    const QRectF printable = m_geometry.printableRect(m_orientation);
    const double height = m_metrics.lineHeight(TextStyle::PageHeader);
    return QRectF(printable.left(), printable.bottom() - height, printable.width(), height);
}

QRectF ReportDocument::tableArea() const
{
    const QRectF printable = m_geometry.printableRect(m_orientation);
    const double top = headerArea().bottom() + HeaderGap;
    const double bottom = footerArea().top() - FooterGap;
    return QRectF(printable.left(), top, printable.width(), std::max(0.0, bottom - top));
}

quint32 ReportDocument::formatIndex(const ColumnFormat& format)
{
    // Reports use a handful of formats, most rows the last one.
    for (size_t i = m_formats.size(); i-- > 0;) {
        if (m_formats[i] == format)
            return quint32(i);
    }
    m_formats.push_back(format);
    return quint32(m_formats.size() - 1);
}

double ReportDocument::rowHeight(const ColumnFormat& format, const QStringList& cells, TextStyle style) const
{
    qsizetype lines = 1;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        // A cell kept whole is one line, drawn smaller when it must be.
        if (cells[i].isEmpty() || format.columns[i].keepWhole)
            continue;
        const double room = format.columns[i].width - 2 * CellPaddingX;
        lines = std::max(lines, wrapText(cells[i], std::max(room, 1.0), m_metrics, style).size());
    }
    const double height = double(lines) * m_metrics.lineHeight(style) + 2 * CellPaddingY;
    // A row taller than a whole page is cut at the page's end rather than
    // left without a page that holds it.
    return std::min(height, m_tableHeight);
}

void ReportDocument::place(Row row)
{
    const bool pageHoldsRows = rowCount() > m_pageStarts.back();
    if (!m_inPageStart && pageHoldsRows && m_pageFilled + row.height > m_tableHeight)
        startPage();
    row.top = float(m_pageFilled);
    m_pageFilled += row.height;
    m_rows.push_back(keep(row));
}

void ReportDocument::startPage()
{
    m_pageStarts.push_back(rowCount());
    m_pageFilled = 0;
    if (!m_pageStarted)
        return;
    m_inPageStart = true;
    try {
        m_pageStarted(pageCount());
    } catch (...) {
        m_inPageStart = false;
        throw;
    }
    m_inPageStart = false;
}
