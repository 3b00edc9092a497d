#include "reports/row_string.h"

RowString RowString::parse(const QString& text)
{
    RowString result;
    QList<QStringView> parts = QStringView(text).split(u';');
    // The last ";" ends a part rather than starting an empty one.
    if (parts.size() > 1 && parts.last().isEmpty())
        parts.removeLast();
    if (parts.isEmpty())
        return result;
    result.format = ColumnFormat::parse(parts.first());
    const qsizetype width = result.format.size();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        QStringList cells = splitRowCells(parts[i]);
        // A missing trailing cell is empty; cells beyond the columns have no
        // place to go.
        while (cells.size() < width)
            cells.append(QString());
        if (cells.size() > width)
            cells.resize(width);
        result.rows.append(cells);
    }
    return result;
}

QString joinRowString(const ColumnFormat& format, const QStringList& cells)
{
    return format.text() + cells.join(u'|') + u';';
}

QStringList splitRowCells(QStringView row)
{
    if (row.endsWith(u';'))
        row.chop(1);
    QStringList cells;
    for (QStringView cell : row.split(u'|'))
        cells.append(cell.toString());
    return cells;
}
