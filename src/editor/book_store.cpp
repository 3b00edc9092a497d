#include "editor/book_store.h"

#include "catalogue/db_error_handler.h"
#include "catalogue/sort_title.h"
#include "common/locale_formats.h"
#include "common/user_dialogs.h"
#include "database/database.h"
#include "database/recordset.h"

#include <QVariant>

using namespace Qt::StringLiterals;

namespace {

// The values of the columns that are converted from typed text, ready to be
// written, or the first field whose text the column cannot take.
struct ConvertedValues
{
    QVariant vol;
    QVariant issue;
    QVariant year;
    QVariant coverPrice;
    QVariant buyPrice;
    QVariant buyDate;
    QVariant readDate;
    QVariant loanDate;
    std::optional<NumberField> refused;
};

// Null for an empty text; nothing when the text cannot be converted.
template <typename Convert> std::optional<QVariant> numberColumn(const QString& text, Convert convert)
{
    if (text.isEmpty())
        return QVariant();
    if (const auto value = convert(text))
        return QVariant(*value);
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
    const auto convert = [&values](QVariant& column, NumberField field,
                                   const std::optional<QVariant>& value) {
        if (value)
            column = *value;
        else if (!values.refused)
            values.refused = field;
    };
    const auto asLong = [](const QString& text) -> std::optional<qlonglong> {
        if (const auto number = toLongValue(text))
            return *number;
        return std::nullopt;
    };
    const auto asInteger = [](const QString& text) -> std::optional<qlonglong> {
        if (const auto number = toIntegerValue(text))
            return *number;
        return std::nullopt;
    };
    convert(values.vol, NumberField::Volume, numberColumn(entry.vol, asLong));
    convert(values.issue, NumberField::Issue, numberColumn(entry.issue, asLong));
    convert(values.year, NumberField::Year, numberColumn(entry.year, asInteger));
    convert(values.coverPrice, NumberField::CoverPrice, numberColumn(entry.coverPrice, toCurrencyValue));
    convert(values.buyPrice, NumberField::BuyPrice, numberColumn(entry.buyPrice, toCurrencyValue));
    values.buyDate = dateColumn(entry.buyDate);
    values.readDate = dateColumn(entry.readDate);
    values.loanDate = dateColumn(entry.loanDate);
    return values;
}

// The columns the window shows, apart from the lookup keys.
const QStringList ShownColumns{u"Title"_s,     u"vol"_s,      u"issue"_s, u"Fiction"_s,    u"New"_s,
                               u"paperback"_s, u"ISBN"_s,     u"Year"_s,  u"CoverPrice"_s, u"BuyPrice"_s,
                               u"BuyDate"_s,   u"ReadDate"_s, u"Read"_s,  u"Notes"_s,      u"OnLoan"_s,
                               u"LoanedTo"_s,  u"LoanDate"_s};

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
    template <typename T> QVariant put(const QString& column, T BookEntry::*field, const QVariant& made)
    {
        const bool unchanged = m_asRead && m_entry.*field == m_asRead->shown.*field;
        const QVariant value = unchanged ? readValue(column, made) : made;
        m_row.setValue(column, value);
        return value;
    }

    // The key read for a lookup field left as it was shown.
    std::optional<QVariant> keptKey(LookupField field) const
    {
        const QString& column = lookupTable(field).booksColumn;
        if (!m_asRead || m_entry.lookups[field] != m_asRead->shown.lookups[field] ||
            !m_asRead->columns.contains(column))
            return std::nullopt;
        return m_asRead->columns.value(column);
    }

private:
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

    const QVariant title = columns.put(u"Title"_s, &BookEntry::title, entry.title);
    columns.put(u"vol"_s, &BookEntry::vol, values.vol);
    columns.put(u"issue"_s, &BookEntry::issue, values.issue);
    for (const LookupField field : AllLookupFields) {
        const QString& column = lookupTable(field).booksColumn;
        if (const std::optional<QVariant> kept = columns.keptKey(field)) {
            row.setValue(column, *kept);
            continue;
        }
        const QString& text = entry.lookups[field];
        const LookupResolver::Resolution resolution = lookups.ResolveLookupValue(field, text);
        if (resolution.added)
            added.push_back({field, text, resolution.key});
        row.setValue(column, resolution.key);
    }
    columns.put(u"Fiction"_s, &BookEntry::fiction, entry.fiction);
    columns.put(u"New"_s, &BookEntry::boughtNew, entry.boughtNew);
    columns.put(u"paperback"_s, &BookEntry::paperback, entry.paperback);
    columns.put(u"ISBN"_s, &BookEntry::isbn, entry.isbn);
    columns.put(u"Year"_s, &BookEntry::year, values.year);
    columns.put(u"CoverPrice"_s, &BookEntry::coverPrice, values.coverPrice);
    columns.put(u"BuyPrice"_s, &BookEntry::buyPrice, values.buyPrice);
    columns.put(u"BuyDate"_s, &BookEntry::buyDate, values.buyDate);
    columns.put(u"ReadDate"_s, &BookEntry::readDate, values.readDate);
    columns.put(u"Read"_s, &BookEntry::read, entry.read);
    columns.put(u"Notes"_s, &BookEntry::notes, entry.notes);
    // Made from the title as stored.
    row.setValue(u"SortTitle"_s, MakeSortTitle(title.toString()));
    columns.put(u"OnLoan"_s, &BookEntry::onLoan, entry.onLoan);
    columns.put(u"LoanedTo"_s, &BookEntry::loanedTo, entry.loanedTo);
    columns.put(u"LoanDate"_s, &BookEntry::loanDate, values.loanDate);
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

const QString& LookupTexts::operator[](LookupField field) const
{
    switch (field) {
    case LookupField::Format:
        return format;
    case LookupField::Series:
        return series;
    case LookupField::Author:
        return author;
    case LookupField::Publisher:
        return publisher;
    case LookupField::Category:
        return category;
    case LookupField::Owner:
        return owner;
    case LookupField::Location:
        return location;
    }
    return format;
}

QString& LookupTexts::operator[](LookupField field)
{
    return const_cast<QString&>(std::as_const(*this)[field]);
}

BookAsRead readBookAsRead(const Recordset& books, const BookEntry& shown)
{
    BookAsRead read;
    read.bookId = books.value(u"BookID"_s).toInt();
    read.shown = shown;
    for (const QString& column : ShownColumns)
        read.columns.insert(column, books.value(column));
    for (const LookupField field : AllLookupFields) {
        const QString& column = lookupTable(field).booksColumn;
        read.columns.insert(column, books.value(column));
    }
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

std::optional<QDate> storedDate(const QString& text)
{
    if (!LocaleFormats::isDate(text))
        return std::nullopt;
    const std::optional<QDate> date = LocaleFormats::toDate(text);
    if (!date || !date->isValid())
        return std::nullopt;
    if (date->year() < 1900 || date->year() > 1929)
        return date;
    // Rebuilt as "<month> <day>, <year + 100>", a form the locale always reads.
    const QString later = LocaleFormats::monthName(date->month()) + u' ' + QString::number(date->day()) +
                          u", "_s + QString::number(date->year() + 100);
    const std::optional<QDate> rebuilt = LocaleFormats::toDate(later);
    return rebuilt && rebuilt->isValid() ? rebuilt : date->addYears(100);
}
