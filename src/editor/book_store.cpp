#include "editor/book_store.h"

#include "database/database.h"
#include "catalogue/db_error_handler.h"
#include "database/recordset.h"
#include "common/locale_formats.h"
#include "common/text_routines.h"
#include "common/user_dialogs.h"
#include "common/blank_trim.h"
#include "catalogue/sort_title.h"

#include <QVariant>

using namespace Qt::StringLiterals;

namespace {

// Where each lookup field's names live. Authors have two name columns and are
// handled apart.
struct LookupTable
{
    QString criterionPrefix; // the name column, as the criterion names it
    QString nameColumn;
    QString idColumn;
    QString booksColumn; // the column of Books that takes the key
    int width;           // longest name the program writes
};

const LookupTable& tableOf(LookupField field)
{
    static const LookupTable formats{u"fordesc='"_s, u"ForDesc"_s, u"ForID"_s, u"ForID"_s, 40};
    static const LookupTable series{u"serdesc='"_s, u"SerDesc"_s, u"SerID"_s, u"SerID"_s, 40};
    static const LookupTable authors{u"LastName='"_s, u"LastName"_s, u"AuthID"_s, u"AuthID"_s, 40};
    static const LookupTable publishers{u"pubname='"_s, u"PubName"_s, u"PubID"_s, u"PubID"_s, 75};
    static const LookupTable categories{u"catname='"_s, u"CatName"_s, u"CatID"_s, u"CatID"_s, 40};
    static const LookupTable owners{u"ownname='"_s, u"OwnName"_s, u"OwnID"_s, u"OwnerID"_s, 40};
    static const LookupTable locations{u"locname='"_s, u"LocName"_s, u"LocID"_s, u"LocID"_s, 40};
    switch (field) {
    case LookupField::Format:
        return formats;
    case LookupField::Series:
        return series;
    case LookupField::Author:
        return authors;
    case LookupField::Publisher:
        return publishers;
    case LookupField::Category:
        return categories;
    case LookupField::Owner:
        return owners;
    case LookupField::Location:
        return locations;
    }
    return formats;
}

// A name trimmed and cut to its column's width, without splitting a
// character that takes two UTF-16 units.
QString nameForColumn(const QString& text, int width)
{
    QString name = trimBlanks(text);
    if (name.size() > width)
        name.truncate(name.at(width - 1).isHighSurrogate() ? width - 1 : width);
    return name;
}

QString quoted(const QString& name)
{
    return QString(name).replace(u"'"_s, u"''"_s);
}

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
        row.setValue(tableOf(field).booksColumn, resolution.key);
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

LookupCriterion lookupCriterion(LookupField field, const QString& text)
{
    const LookupTable& table = tableOf(field);
    if (field != LookupField::Author) {
        const QString name = nameForColumn(text, table.width);
        return {table.criterionPrefix + quoted(name) + u"'"_s, name, QString()};
    }
    const QString comma = u","_s;
    const QString lastName = nameForColumn(GetField(text, comma, 1), table.width);
    const QString firstName = nameForColumn(GetField(text, comma, 2), table.width);
    return {u"LastName='"_s + quoted(lastName) + u"' and firstname='"_s + quoted(firstName) + u"'"_s,
            lastName, firstName};
}

LookupResolver::LookupResolver(Recordsets recordsets) : m_recordsets(recordsets) {}

Recordset& LookupResolver::recordsetFor(LookupField field) const
{
    switch (field) {
    case LookupField::Format:
        return m_recordsets.rsFormats;
    case LookupField::Series:
        return m_recordsets.rsSeries;
    case LookupField::Author:
        return m_recordsets.rsAuthors;
    case LookupField::Publisher:
        return m_recordsets.rsPublishers;
    case LookupField::Category:
        return m_recordsets.rsCategories;
    case LookupField::Owner:
        return m_recordsets.rsOwners;
    case LookupField::Location:
        return m_recordsets.rsLocations;
    }
    return m_recordsets.rsFormats;
}

LookupResolver::Resolution LookupResolver::ResolveLookupValue(LookupField field, const QString& text)
{
    if (text.isEmpty())
        return {-1, false};

    const LookupTable& table = tableOf(field);
    const LookupCriterion wanted = lookupCriterion(field, text);
    Recordset& rows = recordsetFor(field);
    rows.findFirst(wanted.criterion);
    if (!rows.noMatch())
        return {rows.value(table.idColumn).toInt(), false};

    rows.addNew();
    const qint32 newKey = rows.value(table.idColumn).toInt();
    rows.setValue(table.nameColumn, wanted.name);
    if (field == LookupField::Author)
        rows.setValue(u"FirstName"_s, wanted.firstName);
    rows.update();

    // Found again by the same criterion. Should that miss (a first name the
    // engine stored as Null), the new row's own key is the answer: looking
    // for the last name alone could land on another author of that name.
    rows.findFirst(wanted.criterion);
    return {rows.noMatch() ? newKey : rows.value(table.idColumn).toInt(), true};
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
