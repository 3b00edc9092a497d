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

// Writes every column of the row in the order the window has always written
// them, resolving the lookup texts on the way, and stores it. Returns the
// book's key.
qint32 writeRow(Recordset& row, const BookEntry& entry, const ConvertedValues& values,
                LookupResolver& lookups, std::optional<qint32> existingBookId,
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

    row.setValue(u"Title"_s, entry.title);
    row.setValue(u"vol"_s, values.vol);
    row.setValue(u"issue"_s, values.issue);
    for (const LookupField field : AllLookupFields) {
        const QString& text = entry.lookups[field];
        const LookupResolver::Resolution resolution = lookups.ResolveLookupValue(field, text);
        if (resolution.added)
            added.push_back({field, text, resolution.key});
        row.setValue(lookupTable(field).booksColumn, resolution.key);
    }
    row.setValue(u"Fiction"_s, entry.fiction);
    row.setValue(u"New"_s, entry.boughtNew);
    row.setValue(u"paperback"_s, entry.paperback);
    row.setValue(u"ISBN"_s, entry.isbn);
    row.setValue(u"Year"_s, values.year);
    row.setValue(u"CoverPrice"_s, values.coverPrice);
    row.setValue(u"BuyPrice"_s, values.buyPrice);
    row.setValue(u"BuyDate"_s, values.buyDate);
    row.setValue(u"ReadDate"_s, values.readDate);
    row.setValue(u"Read"_s, entry.read);
    row.setValue(u"Notes"_s, entry.notes);
    row.setValue(u"SortTitle"_s, MakeSortTitle(entry.title));
    row.setValue(u"OnLoan"_s, entry.onLoan);
    row.setValue(u"LoanedTo"_s, entry.loanedTo);
    row.setValue(u"LoanDate"_s, values.loanDate);
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

StoreResult writeBook(Database& db, Recordset& rsBookEdit, const BookEntry& entry, LookupResolver& lookups,
                      std::optional<qint32> existingBookId)
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
            bookId = writeRow(rsBookEdit, entry, values, lookups, existingBookId, added);
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
