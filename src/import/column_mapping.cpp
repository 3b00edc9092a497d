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
