#include "import/column_mapping.h"

std::optional<ColumnMapping> recogniseOwnExport(const QStringList& header)
{
    if (header.size() != BookFieldCount)
        return std::nullopt;
    ColumnMapping mapping;
    mapping.format = TableFormat::OwnExport;
    mapping.headers = header;
    for (const BookFieldInfo& info : bookFields()) {
        const int column = int(info.field);
        if (header[column] != info.caption)
            return std::nullopt;
        mapping[info.field] = {column};
    }
    return mapping;
}
