#include "import/column_mapping.h"

using namespace Qt::StringLiterals;

QString tableFormatName(TableFormat format)
{
    switch (format) {
    case TableFormat::Goodreads:
        return u"Goodreads library export"_s;
    case TableFormat::LibraryThing:
        return u"LibraryThing export"_s;
    case TableFormat::OwnExport:
        return u"Quillary export"_s;
    case TableFormat::HeaderRow:
        return u"Table with a header row"_s;
    case TableFormat::NoHeader:
        return u"Table without a header row"_s;
    }
    return QString();
}

int columnNamed(const QStringList& header, const QString& name)
{
    const QString wanted = foldedHeader(name);
    for (qsizetype i = 0; i < header.size(); ++i) {
        if (foldedHeader(header[i]) == wanted)
            return int(i);
    }
    return -1;
}

ColumnMapping mappingByName(TableFormat format, const QStringList& header,
                            std::initializer_list<NamedColumns> fields)
{
    ColumnMapping mapping;
    mapping.format = format;
    mapping.headers = header;
    for (const NamedColumns& named : fields) {
        for (const QString& name : named.names) {
            if (const int column = columnNamed(header, name); column >= 0)
                mapping[named.field].append(column);
        }
    }
    return mapping;
}

ColumnMapping recogniseTable(const QStringList& firstRow)
{
    for (const auto recognise :
         {recogniseGoodreads, recogniseLibraryThing, recogniseOwnExport, recogniseHeaderRow}) {
        if (std::optional<ColumnMapping> mapping = recognise(firstRow))
            return *mapping;
    }
    ColumnMapping byPosition;
    for (int i = 0; i < BookFieldCount && i < firstRow.size(); ++i)
        byPosition.columns[size_t(i)] = {i};
    return byPosition;
}
