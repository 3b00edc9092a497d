#pragma once

#include "catalogue/field_checks.h"
#include "catalogue/lookup_resolver.h"

#include <QString>
#include <QVariantHash>
#include <optional>
#include <vector>

class Database;
class Recordset;

// What the main window holds for one book, by column name (bookColumns()):
// the text of a typed field, a date field or a lookup field (an author as
// "Last, First"), and the state of a flag or an option pair. A new entry is
// a new book's: every text empty, every flag as a new book has it.
struct BookEntry
{
    BookEntry();

    QString text(const QString& column) const { return values.value(column).toString(); }
    bool flag(const QString& column) const { return values.value(column).toBool(); }

    QVariantHash values;
};

// A book as the window read it from its row: the key, the stored value of
// every column the window shows, and the entry as the window showed them. A
// field whose text or state is still the one shown is stored with the value
// read: the line ends of notes from another program, a price with more
// decimals than the currency shows, a date of the twenties, a Null flag, the
// key of a lookup row whose name another row shares.
struct BookAsRead
{
    qint32 bookId = -1;
    BookEntry shown;
    QVariantHash columns; // by the names readBookAsRead gives them
};

// The columns of the current row of books (a recordset over Books) that the
// window shows, with shown, the entry the window made of them.
BookAsRead readBookAsRead(const Recordset& books, const BookEntry& shown);

// An entry the window must add to a lookup field's list after a successful
// store: the field's full text, with the key of its new row.
struct LookupAddition
{
    LookupField field;
    QString text;
    qint32 key = -1;
};

struct StoreResult
{
    bool stored = false;
    qint32 bookId = -1;                      // key of the stored row
    std::vector<LookupAddition> listEntries; // only after a successful store
    // A text the book's column cannot hold (its message has been shown); the
    // window puts the focus there.
    std::optional<NumberField> refusedField;
};

// Stores entry into Books through rsBookEdit (a dynaset over Books): as a new
// row when existingBookId is empty, otherwise into the row with that key,
// which writeBook finds itself (a book that is gone is reported, never
// another row changed). Every text is converted before anything is written;
// a text that cannot be stored is reported with its field's message and
// nothing is written. The lookup rows added and the book's row are written in
// one transaction, the store under the locked-record retry; a failure is
// reported through HandleDbError, leaves the catalogue as it was and returns
// stored false, so the window can keep the values on screen. asRead, when
// it is the book with existingBookId, keeps what the user did not change as
// it was read.
StoreResult writeBook(Database& db, Recordset& rsBookEdit, const BookEntry& entry, LookupResolver& lookups,
                      std::optional<qint32> existingBookId, const BookAsRead* asRead = nullptr);
