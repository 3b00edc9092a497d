#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class Database;
class Recordset;

// The seven lookup fields, in the order a book's values are resolved when it
// is stored.
enum class LookupField { Format, Series, Author, Publisher, Category, Owner, Location };

inline constexpr std::array AllLookupFields{
    LookupField::Format,   LookupField::Series, LookupField::Author,  LookupField::Publisher,
    LookupField::Category, LookupField::Owner,  LookupField::Location};

// The order the shared lookup recordsets are opened and the window's lists
// filled in, and the order of the File > Delete Unused menu.
inline constexpr std::array LookupOpenOrder{
    LookupField::Author,   LookupField::Publisher, LookupField::Category, LookupField::Owner,
    LookupField::Location, LookupField::Format,    LookupField::Series};

// Everything the program knows about one lookup table. The SQL texts are kept
// exactly as the program has always issued them, spelling included.
struct LookupTable
{
    LookupField field;
    QString table;                // "Authors"
    QString keyColumn;            // "AuthID": the table's key
    QString booksColumn;          // the column of Books that holds the key ("OwnerID" for owners)
    QStringList nameColumns;      // "LastName", "FirstName" for authors; one name otherwise
    QStringList criterionColumns; // the name columns as a stored book's search criterion spells them
    QString recordsetSql;         // the shared dynaset a store searches and extends
    QString listSql;              // the snapshot a list is filled from
    QString comboName;            // the window's combo box for the field
    int width;                    // the longest name the program writes into a name column
};

// The description of field's table.
const LookupTable& lookupTable(LookupField field);

// A row's name as the field's list shows it: an author as "Last, First" (a
// missing first name leaves "Last, "), any other field its one name.
QString lookupEntryText(LookupField field, const Recordset& row);

// Every entry of field's list, in the list's order, as its key and the text
// lookupEntryText gives it: one pass over the list's query, nothing kept.
void readLookupList(Database& db, LookupField field,
                    const std::function<void(qlonglong key, const QString& text)>& entry);
