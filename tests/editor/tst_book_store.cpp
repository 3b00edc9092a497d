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

    void dateRule_data();
    void dateRule();

    void namesCutToWidthWhileTheListKeepsTheText();
    void authorSplitAtTheComma_data();
    void authorSplitAtTheComma();

    void numberOutOfItsColumnsRangeRefused_data();
    void numberOutOfItsColumnsRangeRefused();
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

void TestBookStore::numberOutOfItsColumnsRangeRefused_data()
{
    QTest::addColumn<NumberField>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("year above 16 bits") << NumberField::Year << u"99999"_s;
    QTest::newRow("year rounding past 16 bits") << NumberField::Year << u"32767.5"_s;
    QTest::newRow("volume above 32 bits") << NumberField::Volume << u"2147483648"_s;
    QTest::newRow("issue below 32 bits") << NumberField::Issue << u"-99999999999"_s;
}

// Numbers the window's fields let through but the columns cannot hold; a
// year with a fraction is rounded, as the classic conversion does.
void TestBookStore::numberOutOfItsColumnsRangeRefused()
{
    QFETCH(NumberField, field);
    QFETCH(QString, text);
    BookEntry entry = titled(u"Refused"_s);
    entry.lookups.publisher = u"New House"_s;
    entry.year = field == NumberField::Year ? text : u"1.5"_s;
    entry.vol = field == NumberField::Volume ? text : QString();
    entry.issue = field == NumberField::Issue ? text : QString();

    const StoreResult result = m_catalogue->add(entry);
    QVERIFY(!result.stored);
    QCOMPARE(result.refusedField, std::optional<NumberField>(field));
    QCOMPARE(m_dialogs->messages().size(), 1);
    QCOMPARE(m_dialogs->messages().front().text, refusalFor(field).text);
    QCOMPARE(m_catalogue->rowCount(u"Books"_s) + m_catalogue->rowCount(u"Publishers"_s), 0);

    entry.year = u"1.5"_s;
    entry.vol = entry.issue = QString();
    const StoreResult stored = m_catalogue->add(entry);
    QVERIFY(stored.stored);
    QCOMPARE(m_catalogue->book(stored.bookId)->value(u"Year"_s).toLongLong(), 2);
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
