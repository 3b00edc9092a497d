#pragma once

#include "reports/text_metrics.h"

#include <QList>
#include <QStringView>

// One line of a wrapped text: a piece of the original.
struct TextLine
{
    qsizetype start = 0;
    qsizetype length = 0;

    friend bool operator==(const TextLine&, const TextLine&) = default;
};

// Breaks text into lines no wider than width: at blanks where it can (the
// blanks at a break are dropped), inside a word only when the word alone is
// wider than a line, and always at a line feed. An empty text is one empty
// line; every line holds at least one character, so a width too narrow for
// any still ends.
QList<TextLine> wrapText(QStringView text, double width, const TextMetrics& metrics, TextStyle style);

// How much smaller a text kept whole on one line is drawn so that it fits
// width: 1 when it fits as it is.
double oneLineScale(QStringView text, double width, const TextMetrics& metrics, TextStyle style);
