#pragma once

#include "reports/report_document.h"
#include "reports/text_metrics.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <array>

// The fonts of printed reports: Arial 11.25 point for the table (bold for
// emphasised rows) and Arial 14.25 point bold for the page header, or the
// metric-compatible Liberation Sans where Arial is missing. Sizes are in
// twips (20 to the point) so that pages are laid out and drawn in twips on
// every device alike; kerning and hinting are off, which makes the width of a
// text the sum of its characters' widths.
namespace ReportFonts {
QFont font(TextStyle style);
} // namespace ReportFonts

// TextMetrics of the report fonts, with each character's advance measured
// once.
class ReportFontMetrics final : public TextMetrics
{
public:
    ReportFontMetrics();

    double lineHeight(TextStyle style) const override;
    double width(QStringView text, TextStyle style) const override;
    double ascent(TextStyle style) const;

private:
    struct Face
    {
        QFont font;
        QFontMetricsF metrics;
        mutable std::array<double, 256> latin1; // negative: not measured yet
        mutable QHash<char16_t, double> others;
        explicit Face(const QFont& f);
        double advance(QChar c) const;
    };
    const Face& face(TextStyle style) const;

    Face m_body;
    Face m_emphasised;
    Face m_header;
};

// The metrics every report document is laid out with.
const ReportFontMetrics& reportFontMetrics();
