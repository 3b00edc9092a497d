#include "catalogue/book_store.h"

#include "catalogue/book_columns.h"
#include "catalogue/db_error_handler.h"
#include "catalogue/sort_title.h"
#include "common/user_dialogs.h"
#include "common/year_rules.h"
#include "database/database.h"
#include "database/recordset.h"

#include <QVariant>

using namespace Qt::StringLiterals;

namespace {

// The values of the columns made from typed text, ready to be written, or
// the first field whose text its column cannot take.
struct ConvertedValues
{
    QVariantHash made;
    std::optional<NumberField> refused;
};

// Null for an empty text; nothing when the text cannot be converted.
std::optional<QVariant> numberValue(NumberField field, const QString& text)
{
    if (text.isEmpty())
        return QVariant();
    switch (field) {
    case NumberField::CoverPrice:
    case NumberField::BuyPrice:
        if (const auto price = toCurrencyValue(text))
            return QVariant(*price);
        return std::nullopt;
    case NumberField::Volume:
    case NumberField::Issue:
        if (const auto number = toLongValue(text))
            return QVariant(qlonglong(*number));
        return std::nullopt;
    case NumberField::Year:
        if (const auto number = toIntegerValue(text))
            return QVariant(qlonglong(*number));
        return std::nullopt;
    }
    return std::nullopt;
}

QVariant dateColumn(const QString& text)
{
    const std::optional<QDate> date = storedDate(text);
    return date ? QVariant(*date) : QVariant();
}

ConvertedValues convertEntry(const BookEntry& entry)
{
    ConvertedValues values;
    for (const BookColumn& column : bookColumns()) {
        const QVariant& typed = entry.values.value(column.name);
        switch (column.kind) {
        case BookColumnKind::WholeNumber:
        case BookColumnKind::Currency:
            if (const auto value = numberValue(*column.number, typed.toString()))
                values.made.insert(column.name, *value);
            else if (!values.refused)
                values.refused = column.number;
            break;
        case BookColumnKind::Date:
            values.made.insert(column.name, dateColumn(typed.toString()));
            break;
        case BookColumnKind::Flag:
        case BookColumnKind::OptionPair:
            values.made.insert(column.name, typed.toBool());
            break;
        case BookColumnKind::Text:
            values.made.insert(column.name, typed.toString());
            break;
        case BookColumnKind::Lookup:
            break; // resolved while the row is written
        }
    }
    return values;
}

// What the row receives for each column: the value made from the entry, or
// the value read when the user left the field as it was shown.
class RowValues
{
public:
    RowValues(Recordset& row, const BookEntry& entry, const BookAsRead* asRead)
        : m_row(row), m_entry(entry), m_asRead(asRead)
    {
    }

    // Writes column and returns what it wrote.
    QVariant put(const QString& column, const QVariant& made)
    {
        const QVariant value = unchanged(column) ? readValue(column, made) : made;
        m_row.setValue(column, value);
        return value;
    }

    // The key read for a lookup field left as it was shown.
    std::optional<QVariant> keptKey(const QString& column) const
    {
        if (!unchanged(column) || !m_asRead->columns.contains(column))
            return std::nullopt;
        return m_asRead->columns.value(column);
    }

private:
    bool unchanged(const QString& column) const
    {
        return m_asRead && m_entry.values.value(column) == m_asRead->shown.values.value(column);
    }

    QVariant readValue(const QString& column, const QVariant& made) const
    {
        const auto read = m_asRead->columns.constFind(column);
        return read == m_asRead->columns.constEnd() ? made : read.value();
    }

    Recordset& m_row;
    const BookEntry& m_entry;
    const BookAsRead* m_asRead;
};

// Writes every column of the row in the order the window has always written
// them, resolving the lookup texts on the way, and stores it. Returns the
// book's key.
qint32 writeRow(Recordset& row, const BookEntry& entry, const ConvertedValues& values,
                LookupResolver& lookups, std::optional<qint32> existingBookId, const BookAsRead* asRead,
                std::vector<LookupAddition>& added)
{
    if (existingBookId) {
        row.findFirst(u"bookid = "_s + QString::number(*existingBookId));
        if (row.noMatch())
            throw DbError(DbErrorNumber::NoCurrentRecord, u"No current record."_s);
        row.edit();
    } else {
        row.addNew();
    }
    const qint32 bookId = row.value(u"BookID"_s).toInt();
    // What was read belongs to this book only.
    RowValues columns(row, entry,
                      asRead && existingBookId && asRead->bookId == *existingBookId ? asRead : nullptr);

    QVariant title;
    for (const BookColumn& column : bookColumns()) {
        if (column.kind != BookColumnKind::Lookup) {
            const QVariant written = columns.put(column.name, values.made.value(column.name));
            if (column.name == u"Title"_s)
                title = written;
            continue;
        }
        if (const std::optional<QVariant> kept = columns.keptKey(column.name)) {
            row.setValue(column.name, *kept);
            continue;
        }
        const QString text = entry.text(column.name);
        const LookupResolver::Resolution resolution = lookups.ResolveLookupValue(*column.lookup, text);
        if (resolution.added)
            added.push_back({*column.lookup, text, resolution.key});
        row.setValue(column.name, resolution.key);
    }
    // Made from the title as stored.
    row.setValue(u"SortTitle"_s, MakeSortTitle(title.toString()));
    row.update();
    return bookId;
}

// The row leaves add or edit mode after a failed attempt; a row that is in
// neither has nothing to drop.
void abandonRow(Recordset& row)
{
    try {
        row.cancelUpdate();
    } catch (const DbError&) {
    }
}

void rollBack(Database& db)
{
    try {
        db.rollback();
    } catch (const DbError&) {
    }
}

} // namespace

BookEntry::BookEntry()
{
    for (const BookColumn& column : bookColumns()) {
        const bool flag = column.kind == BookColumnKind::Flag || column.kind == BookColumnKind::OptionPair;
        values.insert(column.name, flag ? QVariant(column.newBookFlag) : QVariant(QString()));
    }
}

BookAsRead readBookAsRead(const Recordset& books, const BookEntry& shown)
{
    BookAsRead read;
    read.bookId = books.value(u"BookID"_s).toInt();
    read.shown = shown;
    for (const BookColumn& column : bookColumns())
        read.columns.insert(column.name, books.value(column.name));
    return read;
}

StoreResult writeBook(Database& db, Recordset& rsBookEdit, const BookEntry& entry, LookupResolver& lookups,
                      std::optional<qint32> existingBookId, const BookAsRead* asRead)
{
    StoreResult result;
    const ConvertedValues values = convertEntry(entry);
    if (values.refused) {
        const FieldRefusal refusal = refusalFor(*values.refused);
        userDialogs().message(refusal.text, refusal.title);
        result.refusedField = values.refused;
        return result;
    }

    // The lookup rows a book brings and the book itself are stored together
    // or not at all, so a failed store leaves no stray lookup rows behind. A
    // locked row repeats the whole attempt.
    std::vector<LookupAddition> added;
    qint32 bookId = -1;
    const bool stored = writeWithRetry([&] {
        added.clear();
        db.beginTransaction();
        try {
            bookId = writeRow(rsBookEdit, entry, values, lookups, existingBookId, asRead, added);
            db.commit();
        } catch (...) {
            abandonRow(rsBookEdit);
            rollBack(db);
            throw;
        }
    });
    if (!stored)
        return result;

    db.idle();
    result.stored = true;
    result.bookId = bookId;
    result.listEntries = std::move(added);
    return result;
}
