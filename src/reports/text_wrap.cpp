#include "reports/text_wrap.h"

#include <algorithm>

namespace {

class LineBreaker
{
public:
    LineBreaker(QStringView text, double width, const TextMetrics& metrics, TextStyle style)
        : m_text(text), m_width(width), m_metrics(metrics), m_style(style)
    {
    }

    // The lines of the paragraph [start, end), which holds no line feed.
    void wrapParagraph(qsizetype start, qsizetype end, QList<TextLine>& lines) const
    {
        qsizetype at = start;
        do {
            const qsizetype lineStart = at;
            qsizetype lastBlank = -1;
            double used = 0;
            qsizetype next = at;
            while (next < end) {
                const qsizetype units = characterUnits(next, end);
                const double advance = m_metrics.width(m_text.sliced(next, units), m_style);
                if (used + advance > m_width && next > lineStart)
                    break;
                if (m_text[next] == u' ')
                    lastBlank = next;
                used += advance;
                next += units;
            }
            if (next >= end) {
                lines.append({lineStart, trimmedEnd(lineStart, end) - lineStart});
                return;
            }
            qsizetype lineEnd = next;
            if (m_text[next] == u' ') {
                lineEnd = next;
            } else if (lastBlank > lineStart) {
                lineEnd = lastBlank;
                next = lastBlank + 1;
            }
            lines.append({lineStart, trimmedEnd(lineStart, lineEnd) - lineStart});
            while (next < end && m_text[next] == u' ')
                ++next;
            at = next;
        } while (at < end);
    }

private:
    // A surrogate pair is one character.
    qsizetype characterUnits(qsizetype at, qsizetype end) const
    {
        return m_text[at].isHighSurrogate() && at + 1 < end && m_text[at + 1].isLowSurrogate() ? 2 : 1;
    }

    qsizetype trimmedEnd(qsizetype start, qsizetype end) const
    {
        while (end > start && m_text[end - 1] == u' ')
            --end;
        return end;
    }

    QStringView m_text;
    double m_width;
    const TextMetrics& m_metrics;
    TextStyle m_style;
};

} // namespace

QList<TextLine> wrapText(QStringView text, double width, const TextMetrics& metrics, TextStyle style)
{
    const bool oneParagraph = !text.contains(u'\n');
    if (oneParagraph && metrics.width(text, style) <= width)
        return {TextLine{0, text.size()}};
    QList<TextLine> lines;
    const LineBreaker breaker(text, width, metrics, style);
    qsizetype start = 0;
    while (true) {
        qsizetype end = text.indexOf(u'\n', start);
        const bool last = end < 0;
        if (last)
            end = text.size();
        qsizetype paragraphEnd = end;
        if (paragraphEnd > start && text[paragraphEnd - 1] == u'\r')
            --paragraphEnd;
        if (paragraphEnd == start)
            lines.append({start, 0});
        else
            breaker.wrapParagraph(start, paragraphEnd, lines);
        if (last)
            break;
        start = end + 1;
    }
    return lines;
}

double oneLineScale(QStringView text, double width, const TextMetrics& metrics, TextStyle style)
{
    const double needed = metrics.width(text, style);
    return needed > width && needed > 0 ? std::max(width, 0.0) / needed : 1.0;
}
