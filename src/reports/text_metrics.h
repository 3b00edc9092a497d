#pragma once

#include <QStringView>

// The three kinds of text a printed report draws.
enum class TextStyle {
    Body,       // table cells
    Emphasised, // table rows added with emphasis on (header rows)
    PageHeader, // the page header and footer
};

// How much room text takes, in twips. The layout of a document depends on
// nothing else, so the windows give it the metrics of the fonts they draw
// with and tests give it simple numbers.
class TextMetrics
{
public:
    virtual ~TextMetrics() = default;
    // The height of one line, its spacing included.
    virtual double lineHeight(TextStyle style) const = 0;
    // The advance of a text drawn on one line.
    virtual double width(QStringView text, TextStyle style) const = 0;
};
