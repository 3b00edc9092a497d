#include "editor/book_store.h"

#include "catalogue/database.h"
#include "catalogue/native_sql.h"
#include "catalogue/recordset.h"
#include "catalogue/schema.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(NumberField)

namespace {

// A catalogue of its own with the recordsets the main window keeps open.
struct Catalogue
{
    QTemporaryDir folder;
    std::unique_ptr<Database> db;
    std::unique_ptr<Recordset> rsBookEdit;
    std::unique_ptr<Recordset> rsAuthors;
    std::unique_ptr<Recordset> rsPublishers;
    std::unique_ptr<Recordset> rsCategories;
    std::unique_ptr<Recordset> rsOwners;
    std::unique_ptr<Recordset> rsLocations;
    std::unique_ptr<Recordset> rsFormats;
    std::unique_ptr<Recordset> rsSeries;
    std::unique_ptr<LookupResolver> lookups;

    Catalogue()
    {
        const QString path = folder.filePath(u"Quillary.mdb"_s);
        createCatalogue(path);
        db = Database::open(path);
        rsBookEdit = dynaset(u"Select * from Books"_s);
        rsAuthors = dynaset(u"Select * from Authors order by LastName, FirstName"_s);
        rsPublishers = dynaset(u"Select * from Publishers order by PubName"_s);
        rsCategories = dynaset(u"Select * from Categories order by CatName"_s);
        rsOwners = dynaset(u"Select * from Owners order by OwnName"_s);
        rsLocations = dynaset(u"Select * from Locations order by LocName"_s);
        rsFormats = dynaset(u"Select * from formats order by fordesc"_s);
        rsSeries = dynaset(u"Select * from series order by serdesc"_s);
        lookups = std::make_unique<LookupResolver>(LookupResolver::Recordsets{
            *rsFormats, *rsSeries, *rsAuthors, *rsPublishers, *rsCategories, *rsOwners, *rsLocations});
    }

    std::unique_ptr<Recordset> dynaset(const QString& sql)
    {
        return db->openRecordset(sql, RecordsetType::Dynaset);
    }

    StoreResult add(const BookEntry& entry)
    {
        return writeBook(*db, *rsBookEdit, entry, *lookups, std::nullopt);
    }

    StoreResult change(qint32 bookId, const BookEntry& entry)
    {
        return writeBook(*db, *rsBookEdit, entry, *lookups, bookId);
    }

    int rowCount(const QString& table)
    {
        return db->openRecordset(u"Select * from "_s + table, RecordsetType::Snapshot)->recordCount();
    }

    // The stored row of a table whose key column is keyColumn.
    std::unique_ptr<Recordset> row(const QString& table, const QString& keyColumn, qint32 key)
    {
        auto rows = db->openRecordset(u"Select * from "_s + table, RecordsetType::Snapshot);
        rows->findFirst(keyColumn + u" = "_s + QString::number(key));
        if (rows->noMatch())
            return nullptr;
        return rows;
    }

    std::unique_ptr<Recordset> book(qint32 bookId) { return row(u"Books"_s, u"BookID"_s, bookId); }
};

BookEntry titled(const QString& title)
{
    BookEntry entry;
    entry.title = title;
    return entry;
}

bool isEmptyText(const QVariant& value)
{
    return !value.isNull() && value.typeId() == QMetaType::QString && value.toString().isEmpty();
}

} // namespace

class TestBookStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void storesEveryColumn();
    void emptyFieldsStoredAsNullMinusOneOrEmptyText();
    void changesTheBookWithTheKey();
    void dateRule_data();
    void dateRule();
    void storedDatesFollowTheRule();
    void yearRoundedAsTheClassicConversionDoes();

    void newLookupValueAddedOnceAndFoundIgnoringCase();
    void namesCutToWidthWhileTheListKeepsTheText();
    void authorSplitAtTheComma_data();
    void authorSplitAtTheComma();
    void authorsOfOneLastNameStayApart();

    void unconvertibleTextRefusesTheWholeBook_data();
    void unconvertibleTextRefusesTheWholeBook();
    void failedAddLeavesNothingHalfWritten();
    void failedChangeKeepsTheStoredBook();
    void bookGoneMeanwhileChangesNothing();

private:
    std::unique_ptr<LocaleGuard> m_locale;
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<Catalogue> m_catalogue;
};

void TestBookStore::init()
{
    m_locale = std::make_unique<LocaleGuard>(u"en_US"_s);
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    m_catalogue = std::make_unique<Catalogue>();
}

void TestBookStore::cleanup()
{
    m_catalogue.reset();
    m_dialogs.reset();
    m_locale.reset();
}

void TestBookStore::storesEveryColumn()
{
    BookEntry entry = titled(u"The Hobbit"_s);
    entry.vol = u"3"_s;
    entry.issue = u"12"_s;
    entry.year = u"1937"_s;
    entry.isbn = u"0-04-823070-9"_s;
    entry.coverPrice = u"$12.50"_s;
    entry.buyPrice = u"$1,000.25"_s;
    entry.buyDate = u"5/6/2001"_s;
    entry.readDate = u"7/8/2002"_s;
    entry.notes = u"First edition"_s;
    entry.loanedTo = u"Bob"_s;
    entry.loanDate = u"1/2/2003"_s;
    entry.fiction = false;
    entry.boughtNew = false;
    entry.paperback = true;
    entry.read = true;
    entry.onLoan = true;
    entry.lookups = {u"Paperback"_s, u"Middle Earth"_s, u"Tolkien, J.R.R."_s, u"Allen & Unwin"_s,
                     u"Fantasy"_s,   u"Me"_s,           u"Shelf 1"_s};

    const StoreResult result = m_catalogue->add(entry);
    QVERIFY(result.stored);
    QVERIFY(m_dialogs->shown().isEmpty());
    QCOMPARE(m_catalogue->rowCount(u"Books"_s), 1);
    const auto book = m_catalogue->book(result.bookId);
    QVERIFY(book);

    QCOMPARE(book->value(u"Title"_s).toString(), u"The Hobbit"_s);
    QCOMPARE(book->value(u"SortTitle"_s).toString(), u"HOBBIT"_s);
    QCOMPARE(book->value(u"Vol"_s).toLongLong(), 3);
    QCOMPARE(book->value(u"Issue"_s).toLongLong(), 12);
    QCOMPARE(book->value(u"Year"_s).toLongLong(), 1937);
    QCOMPARE(book->value(u"ISBN"_s).toString(), u"0-04-823070-9"_s);
    QCOMPARE(book->value(u"CoverPrice"_s).toDouble(), 12.5);
    QCOMPARE(book->value(u"BuyPrice"_s).toDouble(), 1000.25);
    QCOMPARE(book->value(u"BuyDate"_s).toDateTime().date(), QDate(2001, 5, 6));
    QCOMPARE(book->value(u"ReadDate"_s).toDateTime().date(), QDate(2002, 7, 8));
    QCOMPARE(book->value(u"LoanDate"_s).toDateTime().date(), QDate(2003, 1, 2));
    QCOMPARE(book->value(u"Notes"_s).toString(), u"First edition"_s);
    QCOMPARE(book->value(u"LoanedTo"_s).toString(), u"Bob"_s);
    QCOMPARE(book->value(u"Fiction"_s).toBool(), false);
    QCOMPARE(book->value(u"New"_s).toBool(), false);
    QCOMPARE(book->value(u"Paperback"_s).toBool(), true);
    QCOMPARE(book->value(u"Read"_s).toBool(), true);
    QCOMPARE(book->value(u"OnLoan"_s).toBool(), true);

    // Each lookup text became a row of its table, and the window is told to
    // list it, in the order the fields are resolved.
    QCOMPARE(result.listEntries.size(), size_t(7));
    const QStringList idColumns{u"ForID"_s, u"SerID"_s,   u"AuthID"_s, u"PubID"_s,
                                u"CatID"_s, u"OwnerID"_s, u"LocID"_s};
    for (size_t i = 0; i < AllLookupFields.size(); ++i) {
        const LookupAddition& added = result.listEntries[i];
        QCOMPARE(added.field, AllLookupFields[i]);
        QCOMPARE(added.text, entry.lookups[added.field]);
        QCOMPARE(book->value(idColumns[int(i)]).toInt(), added.key);
    }
    const auto author = m_catalogue->row(u"Authors"_s, u"AuthID"_s, result.listEntries[2].key);
    QVERIFY(author);
    QCOMPARE(author->value(u"LastName"_s).toString(), u"Tolkien"_s);
    QCOMPARE(author->value(u"FirstName"_s).toString(), u"J.R.R."_s);
    const auto owner = m_catalogue->row(u"Owners"_s, u"OwnID"_s, result.listEntries[5].key);
    QVERIFY(owner);
    QCOMPARE(owner->value(u"OwnName"_s).toString(), u"Me"_s);
}

void TestBookStore::emptyFieldsStoredAsNullMinusOneOrEmptyText()
{
    const StoreResult result = m_catalogue->add(titled(u"Untitled"_s));
    QVERIFY(result.stored);
    QVERIFY(result.listEntries.empty());
    const auto book = m_catalogue->book(result.bookId);
    QVERIFY(book);

    for (const QString& column : {u"Vol"_s, u"Issue"_s, u"Year"_s, u"CoverPrice"_s, u"BuyPrice"_s,
                                  u"BuyDate"_s, u"ReadDate"_s, u"LoanDate"_s})
        QVERIFY2(book->value(column).isNull(), qPrintable(column));
    for (const QString& column :
         {u"ForID"_s, u"SerID"_s, u"AuthID"_s, u"PubID"_s, u"CatID"_s, u"OwnerID"_s, u"LocID"_s})
        QVERIFY2(book->value(column).toInt() == -1 && !book->value(column).isNull(), qPrintable(column));
    for (const QString& column : {u"ISBN"_s, u"Notes"_s, u"LoanedTo"_s})
        QVERIFY2(isEmptyText(book->value(column)), qPrintable(column));
    for (const QString& table : {u"Authors"_s, u"Publishers"_s, u"Categories"_s, u"Owners"_s, u"Locations"_s,
                                 u"Formats"_s, u"Series"_s})
        QCOMPARE(m_catalogue->rowCount(table), 0);
}

void TestBookStore::changesTheBookWithTheKey()
{
    const StoreResult first = m_catalogue->add(titled(u"A Tale of Two Cities"_s));
    const StoreResult second = m_catalogue->add(titled(u"Of Mice and Men"_s));
    QVERIFY(first.stored && second.stored);
    QVERIFY(first.bookId != second.bookId);

    BookEntry changed = titled(u"An Of Book"_s);
    changed.year = u"1999"_s;
    const StoreResult result = m_catalogue->change(first.bookId, changed);
    QVERIFY(result.stored);
    QCOMPARE(result.bookId, first.bookId);
    QCOMPARE(m_catalogue->rowCount(u"Books"_s), 2);
    QCOMPARE(m_catalogue->book(first.bookId)->value(u"SortTitle"_s).toString(), u"BOOK"_s);
    QCOMPARE(m_catalogue->book(first.bookId)->value(u"Year"_s).toLongLong(), 1999);
    QCOMPARE(m_catalogue->book(second.bookId)->value(u"Title"_s).toString(), u"Of Mice and Men"_s);
}

void TestBookStore::dateRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("stored"); // invalid: Null

    QTest::newRow("1929 becomes 2029") << u"1/1/1929"_s << QDate(2029, 1, 1);
    QTest::newRow("1930 unchanged") << u"12/31/1930"_s << QDate(1930, 12, 31);
    QTest::newRow("1900 becomes 2000") << u"1/1/1900"_s << QDate(2000, 1, 1);
    QTest::newRow("1899 unchanged") << u"12/31/1899"_s << QDate(1899, 12, 31);
    QTest::newRow("leap day") << u"2/29/1904"_s << QDate(2004, 2, 29);
    QTest::newRow("two-digit year") << u"3/5/05"_s << QDate(2005, 3, 5);
    QTest::newRow("long form") << u"March 5, 1925"_s << QDate(2025, 3, 5);
    QTest::newRow("not a date") << u"soon"_s << QDate();
    QTest::newRow("impossible day") << u"2/30/2001"_s << QDate();
    QTest::newRow("empty") << QString() << QDate();
}

void TestBookStore::dateRule()
{
    QFETCH(QString, typed);
    QFETCH(QDate, stored);
    const std::optional<QDate> date = storedDate(typed);
    QCOMPARE(date.has_value(), stored.isValid());
    if (date)
        QCOMPARE(*date, stored);
}

void TestBookStore::storedDatesFollowTheRule()
{
    BookEntry entry = titled(u"Dated"_s);
    entry.buyDate = u"1/1/1929"_s;
    entry.readDate = u"12/31/1930"_s;
    entry.loanDate = u"someday"_s;
    const StoreResult result = m_catalogue->add(entry);
    QVERIFY(result.stored);
    const auto book = m_catalogue->book(result.bookId);
    QCOMPARE(book->value(u"BuyDate"_s).toDateTime().date(), QDate(2029, 1, 1));
    QCOMPARE(book->value(u"ReadDate"_s).toDateTime().date(), QDate(1930, 12, 31));
    QVERIFY(book->value(u"LoanDate"_s).isNull());
}

void TestBookStore::yearRoundedAsTheClassicConversionDoes()
{
    BookEntry entry = titled(u"Rounded"_s);
    entry.year = u"1.5"_s;
    entry.vol = u"-3"_s;
    entry.issue = u"2.5"_s;
    const StoreResult result = m_catalogue->add(entry);
    QVERIFY(result.stored);
    const auto book = m_catalogue->book(result.bookId);
    QCOMPARE(book->value(u"Year"_s).toLongLong(), 2);
    QCOMPARE(book->value(u"Vol"_s).toLongLong(), -3);
    QCOMPARE(book->value(u"Issue"_s).toLongLong(), 2);
}

void TestBookStore::newLookupValueAddedOnceAndFoundIgnoringCase()
{
    BookEntry first = titled(u"First"_s);
    first.lookups.publisher = u"O'Brien Press"_s;
    const StoreResult stored = m_catalogue->add(first);
    QVERIFY(stored.stored);
    QCOMPARE(stored.listEntries.size(), size_t(1));
    QCOMPARE(stored.listEntries.front().field, LookupField::Publisher);
    QCOMPARE(stored.listEntries.front().text, u"O'Brien Press"_s);
    QCOMPARE(m_catalogue->rowCount(u"Publishers"_s), 1);
    const qint32 key = stored.listEntries.front().key;
    // The quote is doubled only in the criterion.
    QCOMPARE(m_catalogue->row(u"Publishers"_s, u"PubID"_s, key)->value(u"PubName"_s).toString(),
             u"O'Brien Press"_s);

    BookEntry second = titled(u"Second"_s);
    second.lookups.publisher = u"o'brien press"_s;
    const StoreResult again = m_catalogue->add(second);
    QVERIFY(again.stored);
    QVERIFY(again.listEntries.empty());
    QCOMPARE(m_catalogue->rowCount(u"Publishers"_s), 1);
    QCOMPARE(m_catalogue->book(again.bookId)->value(u"PubID"_s).toInt(), key);
}

void TestBookStore::namesCutToWidthWhileTheListKeepsTheText()
{
    const QString publisher = u"  "_s + QString(80, u'P') + u" "_s;
    const QString lastName = QString(45, u'L');
    const QString firstName = QString(41, u'F');
    BookEntry entry = titled(u"Long names"_s);
    entry.lookups.publisher = publisher;
    entry.lookups.author = lastName + u", "_s + firstName;
    entry.lookups.location = QString(39, u'x') + u"😀"_s; // 41 UTF-16 units, the last two one character

    const StoreResult result = m_catalogue->add(entry);
    QVERIFY(result.stored);
    QCOMPARE(result.listEntries.size(), size_t(3));
    for (const LookupAddition& added : result.listEntries)
        QCOMPARE(added.text, entry.lookups[added.field]);

    const auto book = m_catalogue->book(result.bookId);
    QCOMPARE(
        m_catalogue->row(u"Publishers"_s, u"PubID"_s, book->value(u"PubID"_s).toInt())->value(u"PubName"_s),
        QVariant(QString(75, u'P')));
    const auto author = m_catalogue->row(u"Authors"_s, u"AuthID"_s, book->value(u"AuthID"_s).toInt());
    QCOMPARE(author->value(u"LastName"_s).toString(), QString(40, u'L'));
    QCOMPARE(author->value(u"FirstName"_s).toString(), QString(40, u'F'));
    QCOMPARE(
        m_catalogue->row(u"Locations"_s, u"LocID"_s, book->value(u"LocID"_s).toInt())->value(u"LocName"_s),
        QVariant(QString(39, u'x')));

    // The same long text finds its cut row again.
    BookEntry again = titled(u"Long names again"_s);
    again.lookups = entry.lookups;
    const StoreResult second = m_catalogue->add(again);
    QVERIFY(second.stored);
    QVERIFY(second.listEntries.empty());
}

void TestBookStore::authorSplitAtTheComma_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<QString>("firstName");

    QTest::newRow("last, first") << u"Smith, John"_s << u"Smith"_s << u"John"_s;
    QTest::newRow("last name alone") << u"Smith"_s << u"Smith"_s << QString();
    QTest::newRow("blanks around the parts") << u"  Smith ,  John  "_s << u"Smith"_s << u"John"_s;
    QTest::newRow("second comma ends the first names") << u"Smith, John, Jr."_s << u"Smith"_s << u"John"_s;
    QTest::newRow("quotes in both names") << u"O'Brien, D'Arcy"_s << u"O'Brien"_s << u"D'Arcy"_s;
    QTest::newRow("trailing comma") << u"Smith,"_s << u"Smith"_s << QString();
}

void TestBookStore::authorSplitAtTheComma()
{
    QFETCH(QString, typed);
    QFETCH(QString, lastName);
    QFETCH(QString, firstName);

    BookEntry entry = titled(u"By someone"_s);
    entry.lookups.author = typed;
    const StoreResult result = m_catalogue->add(entry);
    QVERIFY(result.stored);
    QCOMPARE(result.listEntries.size(), size_t(1));
    const auto author = m_catalogue->row(u"Authors"_s, u"AuthID"_s, result.listEntries.front().key);
    QVERIFY(author);
    QCOMPARE(author->value(u"LastName"_s).toString(), lastName);
    QVERIFY(isEmptyText(author->value(u"FirstName"_s)) == firstName.isEmpty());
    QCOMPARE(author->value(u"FirstName"_s).toString(), firstName);

    // Typed again, in another case, it is found.
    BookEntry again = titled(u"By the same"_s);
    again.lookups.author = typed.toUpper();
    const StoreResult second = m_catalogue->add(again);
    QVERIFY(second.listEntries.empty());
    QCOMPARE(m_catalogue->book(second.bookId)->value(u"AuthID"_s).toInt(), result.listEntries.front().key);
    QCOMPARE(m_catalogue->rowCount(u"Authors"_s), 1);
}

void TestBookStore::authorsOfOneLastNameStayApart()
{
    BookEntry john = titled(u"By John"_s);
    john.lookups.author = u"Smith, John"_s;
    BookEntry plain = titled(u"By Smith"_s);
    plain.lookups.author = u"Smith"_s;

    const StoreResult first = m_catalogue->add(john);
    const StoreResult second = m_catalogue->add(plain);
    QCOMPARE(second.listEntries.size(), size_t(1));
    QVERIFY(second.listEntries.front().key != first.listEntries.front().key);
    QCOMPARE(m_catalogue->rowCount(u"Authors"_s), 2);
    QCOMPARE(m_catalogue->book(second.bookId)->value(u"AuthID"_s).toInt(), second.listEntries.front().key);
}

void TestBookStore::unconvertibleTextRefusesTheWholeBook_data()
{
    QTest::addColumn<NumberField>("field");
    QTest::addColumn<QString>("text");

    QTest::newRow("year above 16 bits") << NumberField::Year << u"99999"_s;
    QTest::newRow("year below 16 bits") << NumberField::Year << u"-40000"_s;
    QTest::newRow("year rounding past 16 bits") << NumberField::Year << u"32767.5"_s;
    QTest::newRow("year not numeric") << NumberField::Year << u"19x5"_s;
    QTest::newRow("volume above 32 bits") << NumberField::Volume << u"2147483648"_s;
    QTest::newRow("volume not numeric") << NumberField::Volume << u"12a"_s;
    QTest::newRow("issue above 32 bits") << NumberField::Issue << u"99999999999"_s;
    QTest::newRow("cover price") << NumberField::CoverPrice << u"12abc"_s;
    QTest::newRow("buy price") << NumberField::BuyPrice << u"abc"_s;
}

void TestBookStore::unconvertibleTextRefusesTheWholeBook()
{
    QFETCH(NumberField, field);
    QFETCH(QString, text);

    BookEntry entry = titled(u"Refused"_s);
    entry.lookups.publisher = u"New House"_s;
    entry.lookups.author = u"Doe, Jane"_s;
    switch (field) {
    case NumberField::Year:
        entry.year = text;
        break;
    case NumberField::Volume:
        entry.vol = text;
        break;
    case NumberField::Issue:
        entry.issue = text;
        break;
    case NumberField::CoverPrice:
        entry.coverPrice = text;
        break;
    case NumberField::BuyPrice:
        entry.buyPrice = text;
        break;
    }

    const StoreResult result = m_catalogue->add(entry);
    QVERIFY(!result.stored);
    QCOMPARE(result.refusedField, std::optional<NumberField>(field));
    QVERIFY(result.listEntries.empty());
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_dialogs->messages().front().title, refusalFor(field).title);
    QCOMPARE(m_dialogs->messages().front().text, refusalFor(field).text);
    QCOMPARE(m_catalogue->rowCount(u"Books"_s), 0);
    QCOMPARE(m_catalogue->rowCount(u"Publishers"_s), 0);
    QCOMPARE(m_catalogue->rowCount(u"Authors"_s), 0);

    // Nothing was left in the middle of an addition: the book goes in once
    // the text is put right.
    entry.year = entry.vol = entry.issue = entry.coverPrice = entry.buyPrice = QString();
    QVERIFY(m_catalogue->add(entry).stored);
    QCOMPARE(m_catalogue->rowCount(u"Books"_s), 1);
}

void TestBookStore::failedAddLeavesNothingHalfWritten()
{
    executeNative(
        *m_catalogue->db,
        "CREATE TRIGGER no_books BEFORE INSERT ON Books BEGIN SELECT RAISE(ABORT, 'disk says no'); END");
    BookEntry entry = titled(u"Doomed"_s);
    entry.lookups.publisher = u"O'Brien Press"_s;
    entry.lookups.author = u"Doe, Jane"_s;

    const StoreResult failed = m_catalogue->add(entry);
    QVERIFY(!failed.stored);
    QVERIFY(!failed.refusedField);
    QVERIFY(failed.listEntries.empty());
    QCOMPARE(m_dialogs->messages().size(), 1);
    QVERIFY2(m_dialogs->messages().front().text.contains(u"disk says no"_s),
             qPrintable(m_dialogs->messages().front().text));
    QCOMPARE(m_catalogue->rowCount(u"Books"_s), 0);
    QCOMPARE(m_catalogue->rowCount(u"Publishers"_s), 0);
    QCOMPARE(m_catalogue->rowCount(u"Authors"_s), 0);

    // Tried again once the cause is gone, the same recordsets store the book
    // and its lookup rows exactly once.
    executeNative(*m_catalogue->db, "DROP TRIGGER no_books");
    const StoreResult stored = m_catalogue->add(entry);
    QVERIFY(stored.stored);
    QCOMPARE(stored.listEntries.size(), size_t(2));
    QCOMPARE(m_catalogue->rowCount(u"Books"_s), 1);
    QCOMPARE(m_catalogue->rowCount(u"Publishers"_s), 1);
    QCOMPARE(m_catalogue->rowCount(u"Authors"_s), 1);
    const auto book = m_catalogue->book(stored.bookId);
    QVERIFY(book);
    QCOMPARE(book->value(u"Title"_s).toString(), u"Doomed"_s);
    QCOMPARE(book->value(u"PubID"_s).toInt(), stored.listEntries[1].key);
}

void TestBookStore::failedChangeKeepsTheStoredBook()
{
    const StoreResult original = m_catalogue->add(titled(u"Kept"_s));
    QVERIFY(original.stored);
    executeNative(
        *m_catalogue->db,
        "CREATE TRIGGER no_changes BEFORE UPDATE ON Books BEGIN SELECT RAISE(ABORT, 'read-only'); END");

    BookEntry changed = titled(u"Lost?"_s);
    changed.lookups.category = u"Essays"_s;
    const StoreResult failed = m_catalogue->change(original.bookId, changed);
    QVERIFY(!failed.stored);
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_catalogue->book(original.bookId)->value(u"Title"_s).toString(), u"Kept"_s);
    QCOMPARE(m_catalogue->rowCount(u"Categories"_s), 0);

    executeNative(*m_catalogue->db, "DROP TRIGGER no_changes");
    QVERIFY(m_catalogue->change(original.bookId, changed).stored);
    QCOMPARE(m_catalogue->book(original.bookId)->value(u"Title"_s).toString(), u"Lost?"_s);
    QCOMPARE(m_catalogue->rowCount(u"Categories"_s), 1);
}

void TestBookStore::bookGoneMeanwhileChangesNothing()
{
    const StoreResult kept = m_catalogue->add(titled(u"Kept"_s));
    const StoreResult gone = m_catalogue->add(titled(u"Gone"_s));
    executeNative(*m_catalogue->db, "DELETE FROM Books WHERE Title = 'Gone'");

    BookEntry changed = titled(u"Changed"_s);
    changed.lookups.owner = u"Me"_s;
    const StoreResult result = m_catalogue->change(gone.bookId, changed);
    QVERIFY(!result.stored);
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_catalogue->rowCount(u"Books"_s), 1);
    QCOMPARE(m_catalogue->book(kept.bookId)->value(u"Title"_s).toString(), u"Kept"_s);
    QCOMPARE(m_catalogue->rowCount(u"Owners"_s), 0);
}

QTEST_GUILESS_MAIN(TestBookStore)
#include "tst_book_store.moc"
