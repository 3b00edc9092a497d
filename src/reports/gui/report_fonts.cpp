#include "reports/gui/report_fonts.h"

using namespace Qt::StringLiterals;

namespace ReportFonts {

QFont font(TextStyle style)
{
    QFont font;
    font.setFamilies({u"Arial"_s, u"Liberation Sans"_s});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(style == TextStyle::PageHeader ? 285 : 225); // 14.25 and 11.25 point
    font.setBold(style != TextStyle::Body);
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace ReportFonts

ReportFontMetrics::Face::Face(const QFont& f) : font(f), metrics(f)
{
    latin1.fill(-1);
}

double ReportFontMetrics::Face::advance(QChar c) const
{
    const char16_t unit = c.unicode();
    if (unit < latin1.size()) {
        double& cached = latin1[unit];
        if (cached < 0)
            cached = metrics.horizontalAdvance(c);
        return cached;
    }
    const auto found = others.constFind(unit);
    if (found != others.constEnd())
        return found.value();
    const double measured = metrics.horizontalAdvance(c);
    others.insert(unit, measured);
    return measured;
}

ReportFontMetrics::ReportFontMetrics()
    : m_body(ReportFonts::font(TextStyle::Body)), m_emphasised(ReportFonts::font(TextStyle::Emphasised)),
      m_header(ReportFonts::font(TextStyle::PageHeader))
{
}

const ReportFontMetrics::Face& ReportFontMetrics::face(TextStyle style) const
{
    switch (style) {
    case TextStyle::Body:
        return m_body;
    case TextStyle::Emphasised:
        return m_emphasised;
    case TextStyle::PageHeader:
        break;
    }
    return m_header;
}

double ReportFontMetrics::lineHeight(TextStyle style) const
{
    return face(style).metrics.lineSpacing();
}

double ReportFontMetrics::ascent(TextStyle style) const
{
    return face(style).metrics.ascent();
}

double ReportFontMetrics::width(QStringView text, TextStyle style) const
{
    const Face& f = face(style);
    double total = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A character outside the first plane is measured as the pair it is.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            total += f.metrics.horizontalAdvance(text.sliced(i, 2).toString());
            ++i;
            continue;
        }
        total += f.advance(c);
    }
    return total;
}

const ReportFontMetrics& reportFontMetrics()
{
    static const ReportFontMetrics metrics;
    return metrics;
}
