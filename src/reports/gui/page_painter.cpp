#include "reports/gui/page_painter.h"

#include "reports/gui/report_fonts.h"
#include "reports/page_header.h"
#include "reports/report_document.h"
#include "reports/text_wrap.h"

#include <QPainter>

void paintPageInto(QPainter& painter, const PagePainter& pages, int pageIndex, const QRectF& target)
{
    const QSizeF paper = pages.paperSize();
    if (paper.isEmpty() || target.isEmpty())
        return;
    const double scale = std::min(target.width() / paper.width(), target.height() / paper.height());
    const QSizeF drawn = paper * scale;
    painter.save();
    painter.translate(target.left() + (target.width() - drawn.width()) / 2,
                      target.top() + (target.height() - drawn.height()) / 2);
    painter.scale(scale, scale);
    pages.paintPage(painter, pageIndex);
    painter.restore();
}

int DocumentPagePainter::pageCount() const
{
    return m_document.pageCount();
}

QSizeF DocumentPagePainter::paperSize() const
{
    return m_document.paperSize();
}

void DocumentPagePainter::paintPage(QPainter& painter, int pageIndex) const
{
    if (pageIndex < 0 || pageIndex >= m_document.pageCount())
        return;
    painter.save();
    painter.setPen(Qt::black);
    paintHeader(painter, m_document.pageHeader(), m_document.headerArea(), pageIndex + 1);
    paintHeader(painter, m_document.pageFooter(), m_document.footerArea(), pageIndex + 1);

    const TextMetrics& metrics = m_document.metrics();
    const ReportFontMetrics& fonts = reportFontMetrics();
    const QRectF table = m_document.tableArea();
    TextStyle currentStyle = TextStyle::PageHeader;
    for (const ReportDocument::Row& row : m_document.rowsOfPage(pageIndex)) {
        const TextStyle style = ReportDocument::styleOf(row);
        if (style != currentStyle) {
            painter.setFont(ReportFonts::font(style));
            currentStyle = style;
        }
        const double lineHeight = metrics.lineHeight(style);
        const double ascent = fonts.ascent(style);
        const double rowTop = table.top() + row.top;
        const double rowBottom = rowTop + row.height;
        const ColumnFormat& format = m_document.format(row.format);
        double left = table.left();
        for (qsizetype column = 0; column < format.size(); ++column) {
            const ColumnSpec& spec = format.columns[column];
            const QString cell = column < row.cells.size() ? row.cells[column] : QString();
            const double room = std::max(spec.width - 2 * ReportDocument::CellPaddingX, 1.0);
            double top = rowTop + ReportDocument::CellPaddingY;
            if (spec.keepWhole) {
                paintWholeCell(painter, cell, QRectF(left, top, spec.width, lineHeight), spec.rightAligned,
                               style);
                left += spec.width;
                continue;
            }
            for (const TextLine& line : wrapText(cell, room, metrics, style)) {
                if (top + lineHeight > rowBottom + 0.5)
                    break; // a row cut at the page's end
                const QStringView text = QStringView(cell).sliced(line.start, line.length);
                const double x = spec.rightAligned ? left + spec.width - ReportDocument::CellPaddingX -
                                                         metrics.width(text, style)
                                                   : left + ReportDocument::CellPaddingX;
                painter.drawText(QPointF(x, top + ascent), text.toString());
                top += lineHeight;
            }
            left += spec.width;
        }
        if (row.emphasised) {
            // A hairline under a header row.
            painter.setPen(QPen(Qt::black, 10));
            painter.drawLine(QPointF(table.left(), rowBottom), QPointF(left, rowBottom));
        }
    }
    painter.restore();
}

// A value on one line, drawn smaller when it is wider than its column, on the
// baseline it would have at its full size.
void DocumentPagePainter::paintWholeCell(QPainter& painter, const QString& cell, const QRectF& line,
                                         bool rightAligned, TextStyle style) const
{
    if (cell.isEmpty())
        return;
    const TextMetrics& metrics = m_document.metrics();
    const double room = std::max(line.width() - 2 * ReportDocument::CellPaddingX, 1.0);
    const double scale = oneLineScale(cell, room, metrics, style);
    const double width = metrics.width(cell, style) * scale;
    const double x = rightAligned ? line.right() - ReportDocument::CellPaddingX - width
                                  : line.left() + ReportDocument::CellPaddingX;
    const double baseline = line.top() + reportFontMetrics().ascent(style);
    if (scale >= 1) {
        painter.drawText(QPointF(x, baseline), cell);
        return;
    }
    painter.save();
    painter.translate(x, baseline);
    painter.scale(scale, scale);
    painter.drawText(QPointF(0, 0), cell);
    painter.restore();
}

void DocumentPagePainter::paintHeader(QPainter& painter, const QString& text, const QRectF& area,
                                      int pageNumber) const
{
    if (text.isEmpty())
        return;
    const PageHeaderText parts = PageHeaderText::parse(text).forPage(pageNumber);
    const ReportFontMetrics& fonts = reportFontMetrics();
    const TextMetrics& metrics = m_document.metrics();
    painter.setFont(ReportFonts::font(TextStyle::PageHeader));
    const double baseline = area.top() + fonts.ascent(TextStyle::PageHeader);
    painter.drawText(QPointF(area.left(), baseline), parts.left);
    const double centreWidth = metrics.width(parts.centre, TextStyle::PageHeader);
    painter.drawText(QPointF(area.center().x() - centreWidth / 2, baseline), parts.centre);
    const double rightWidth = metrics.width(parts.right, TextStyle::PageHeader);
    painter.drawText(QPointF(area.right() - rightWidth, baseline), parts.right);
}
