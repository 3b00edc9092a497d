#include "catalogue/repaired_catalogue.h"

#include "catalogue/schema.h"
#include "database/database.h"
#include "database/native_sql.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

bool isBooks(const TableRecovery& table)
{
    return table.table.compare(u"Books"_s, Qt::CaseInsensitive) == 0;
}

// A file of the earlier layout had no formats or series: their tables were
// never there to be lost, and its books' formats come from their flags.
bool fromEarlierLayout(const RepairResult& repair)
{
    for (const TableRecovery& table : repair.tables)
        if (isBooks(table) && table.found)
            return table.columnsNotFound.contains(u"ForID"_s, Qt::CaseInsensitive);
    return false;
}

bool neverInEarlierLayout(const TableRecovery& table)
{
    return table.table.compare(u"Formats"_s, Qt::CaseInsensitive) == 0 ||
           table.table.compare(u"Series"_s, Qt::CaseInsensitive) == 0;
}

QString shortfall(const TableRecovery& table)
{
    QStringList losses;
    if (!table.found)
        losses << u"the table itself was not found"_s;
    if (table.unreadableRows > 0)
        losses << u"%1 rows on its pages could not be read"_s.arg(table.unreadableRows);
    if (table.damagedPages > 0)
        losses << u"%1 of its pages could not be read at all"_s.arg(table.damagedPages);
    QString text = u"%1: %2 recovered"_s.arg(table.table).arg(table.rows);
    if (!losses.isEmpty())
        text += u"; "_s + losses.join(u", "_s);
    if (table.rowsFromIndexes > 0)
        text +=
            u"; %1 rows came back from an index, with only the columns it keeps"_s.arg(table.rowsFromIndexes);
    return text + u"."_s;
}

bool hasFormats(Database& db)
{
    NativeStatement formats(db, "SELECT count(*) FROM Formats");
    return formats.step() && formats.columnInt(0) > 0;
}

} // namespace

QString repairedCatalogueMessage(const RepairResult& repair)
{
    qint64 books = 0;
    qint64 entries = 0;
    QStringList shortTables;
    const bool earlier = fromEarlierLayout(repair);
    for (const TableRecovery& table : repair.tables) {
        (isBooks(table) ? books : entries) += table.rows;
        if (table.cameBackShort() && !(earlier && !table.found && neverInEarlierLayout(table)))
            shortTables << shortfall(table);
    }
    QString message =
        u"The catalogue was damaged and has been repaired: %1 books and %2 other entries (authors, "
        u"publishers, categories and the like) were recovered."_s.arg(books)
            .arg(entries);
    if (!shortTables.isEmpty())
        message += u"\n\nSome tables came back short:\n"_s + shortTables.join(u"\n"_s) +
                   u"\nA book whose author, publisher or other entry was lost shows that field empty."_s;
    return message + u"\n\nThe damaged file was kept unchanged as '%1'."_s.arg(
                         QDir::toNativeSeparators(repair.damagedCopyPath));
}

void completeRepairedCatalogue(Database& db, const RepairResult& repair)
{
    db.transaction([&] {
        if (fromEarlierLayout(repair) && !hasFormats(db))
            seedFormatsFromPaperbackFlags(db);
        executeNative(db, "UPDATE Books SET Title = SortTitle WHERE coalesce(Title, '') = '' AND "
                          "coalesce(SortTitle, '') <> ''");
    });
}
