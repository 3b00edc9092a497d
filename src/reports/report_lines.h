#pragma once

#include <QList>
#include <QStringList>

class ReportDocument;

// The lines of one report, produced one at a time in report order, each as
// its cells in column order; the same cells become a table row or a line of a
// text file. Reading may throw DbError.
class ReportLines
{
public:
    virtual ~ReportLines() = default;

    // The next line's cells; false after the last line.
    virtual bool next(QStringList& cells) = 0;
    // What follows the last line (totals): as table rows, each on columns of
    // its own, and as text file lines.
    virtual void addClosingRows(ReportDocument&) {}
    virtual QList<QStringList> closingTextLines() { return {}; }
};
