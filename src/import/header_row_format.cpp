#include "import/column_mapping.h"

std::optional<ColumnMapping> recogniseHeaderRow(const QStringList& header)
{
    ColumnMapping mapping;
    mapping.format = TableFormat::HeaderRow;
    mapping.headers = header;
    for (qsizetype i = 0; i < header.size(); ++i) {
        const std::optional<BookField> field = fieldForHeader(header[i]);
        if (!field)
            continue;
        // Notes gather every column that names them; any other field takes
        // the first column naming it.
        if (mapping[*field].isEmpty() || *field == BookField::Notes)
            mapping[*field].append(int(i));
    }
    if (mapping[BookField::Title].isEmpty())
        return std::nullopt;
    return mapping;
}
