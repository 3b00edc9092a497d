#include "catalogue/catalogue_fixture.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/db_error_handler.h"
#include "catalogue/native_sql.h"
#include "catalogue/recordset.h"
#include "catalogue/schema.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Adds one book per flag to a catalogue in the earlier layout; a null QVariant
// leaves the flag Null.
void addEarlierBooks(const TemporaryCatalogue& catalogue, const QVariantList& paperbackFlags)
{
    auto db = catalogue.open();
    NativeStatement insert(
        *db, "INSERT INTO Books (Title, SortTitle, AuthID, Paperback, Notes) VALUES (?, ?, -1, ?, ?)");
    for (qsizetype i = 0; i < paperbackFlags.size(); ++i) {
        insert.bindText(1, u"Book "_s + QString::number(i + 1));
        insert.bindText(2, u"BOOK "_s + QString::number(i + 1));
        insert.bind(3, paperbackFlags.at(i));
        insert.bindText(4, u"note "_s + QString::number(i + 1));
        insert.run();
    }
}

QStringList contentsOf(const TemporaryCatalogue& catalogue)
{
    return catalogueContents(*catalogue.open());
}

// The columns every existing book had before the upgrade, which it must keep.
const QByteArray EarlierColumns =
    "SELECT BookID, Title, SortTitle, AuthID, PubID, CatID, OwnerID, LocID, Year, ISBN, "
    "Fiction, New, Paperback, Read, BuyDate, ReadDate, CoverPrice, BuyPrice, Notes, "
    "OnLoan, LoanedTo, LoanDate FROM Books ORDER BY BookID";

QStringList queryPlan(Database& db, const QByteArray& sql)
{
    QStringList steps;
    NativeStatement plan(db, "EXPLAIN QUERY PLAN " + sql);
    while (plan.step())
        steps.append(plan.columnText(3));
    return steps;
}

} // namespace

class TestSchemaUpgrade : public QObject
{
    Q_OBJECT
private slots:
    void newCatalogueHasCurrentLayout();
    void createCatalogueNeverReplacesAFile();
    void ordersAndLookupsUseIndexes_data();
    void ordersAndLookupsUseIndexes();

    void upgradesEarlierLayout_data();
    void upgradesEarlierLayout();
    void currentLayoutIsLeftUnchanged();
    void failedUpgradeLeavesFileUntouched_data();
    void failedUpgradeLeavesFileUntouched();
    void upgradeWithoutCatalogueDoesNothing();
};

void TestSchemaUpgrade::newCatalogueHasCurrentLayout()
{
    TemporaryCatalogue catalogue;
    auto db = catalogue.open();
    // Column order and declared types are the file's contract with every reader.
    QCOMPARE(nativeRows(*db, "SELECT name || ' ' || type FROM pragma_table_info('Books') ORDER BY cid").join(u", "_s),
             u"BookID INTEGER, Title TEXT, SortTitle TEXT, AuthID INTEGER, PubID INTEGER, CatID INTEGER, "
             u"OwnerID INTEGER, LocID INTEGER, ForID INTEGER, SerID INTEGER, Vol INTEGER, Issue INTEGER, "
             u"Year SMALLINT, ISBN TEXT, Fiction BOOLEAN, New BOOLEAN, Paperback BOOLEAN, Read BOOLEAN, "
             u"BuyDate DATETIME, ReadDate DATETIME, CoverPrice CURRENCY, BuyPrice CURRENCY, Notes TEXT, "
             u"OnLoan BOOLEAN, LoanedTo TEXT, LoanDate DATETIME"_s);
    QCOMPARE(nativeRows(*db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name <> 'sqlite_sequence' "
                             "ORDER BY name").join(u' '),
             u"Authors Books Categories Formats Locations Owners Publishers Series"_s);
}

void TestSchemaUpgrade::createCatalogueNeverReplacesAFile()
{
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::NoFile);
    QVERIFY(CatalogueFixture::write(catalogue.path(), "my old notes"));
    QVERIFY_THROWS_EXCEPTION(DbError, createCatalogue(catalogue.path()));
    QCOMPARE(CatalogueFixture::contents(catalogue.path()), QByteArray("my old notes"));
}

void TestSchemaUpgrade::ordersAndLookupsUseIndexes_data()
{
    QTest::addColumn<QByteArray>("sql");
    QTest::addColumn<QString>("expectedStep");

    // The browse orders: the keys in order, as the browse recordset reads them.
    QTest::newRow("title order needs no sort") << QByteArray("SELECT BookID FROM Books ORDER BY SortTitle")
                                               << u"SCAN Books USING COVERING INDEX Books_SortTitle"_s;
    QTest::newRow("author order reads the narrow index")
        << QByteArray("SELECT Books.BookID FROM Books LEFT JOIN Authors ON Books.AuthID = Authors.AuthID "
                      "ORDER BY LastName, FirstName, SortTitle")
        << u"SCAN Books USING COVERING INDEX Books_AuthID"_s;
    QTest::newRow("category order reads the narrow index")
        << QByteArray("SELECT Books.BookID FROM Books LEFT JOIN Categories ON Books.CatID = Categories.CatID "
                      "ORDER BY CatName, SortTitle")
        << u"SCAN Books USING COVERING INDEX Books_CatID"_s;
    // Books found by a lookup key.
    QTest::newRow("books of an author") << QByteArray("SELECT BookID FROM Books WHERE AuthID = 5 ORDER BY SortTitle")
                                        << u"SEARCH Books USING COVERING INDEX Books_AuthID (AuthID=?)"_s;
}

void TestSchemaUpgrade::ordersAndLookupsUseIndexes()
{
    QFETCH(QByteArray, sql);
    QFETCH(QString, expectedStep);
    TemporaryCatalogue catalogue;
    auto db = catalogue.open();
    const QStringList plan = queryPlan(*db, sql);
    const bool found = std::any_of(plan.begin(), plan.end(),
                                   [&](const QString& step) { return step.contains(expectedStep); });
    QVERIFY2(found, qPrintable(plan.join(u"; "_s)));
    if (!sql.contains("LEFT JOIN")) // a left join must sort; nothing else may
        QVERIFY2(!plan.join(u' ').contains(u"TEMP B-TREE"_s), qPrintable(plan.join(u"; "_s)));
}

void TestSchemaUpgrade::upgradesEarlierLayout_data()
{
    QTest::addColumn<QVariantList>("paperbackFlags");
    QTest::addColumn<QList<int>>("expectedFormats");

    QTest::newRow("paperback, hardcover and Null")
        << QVariantList{true, false, QVariant()} << QList<int>{1, 2, 2};
    QTest::newRow("no books") << QVariantList{} << QList<int>{};
    QTest::newRow("flag written as -1 by another tool") << QVariantList{-1, 0} << QList<int>{1, 2};
}

void TestSchemaUpgrade::upgradesEarlierLayout()
{
    QFETCH(QVariantList, paperbackFlags);
    QFETCH(QList<int>, expectedFormats);
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::Earlier);
    addEarlierBooks(catalogue, paperbackFlags);
    const QStringList booksBefore = nativeRows(*catalogue.open(), EarlierColumns);

    catalogue.install();
    UpgradeCatalogue();

    Database& db = *catalogueState().dbCatalogue;
    QCOMPARE(nativeRows(db, "SELECT ForID, ForDesc FROM Formats ORDER BY ForID"),
             QStringList({u"1|Paperback"_s, u"2|Hardcover"_s, u"3|Tape"_s, u"4|CD"_s, u"5|MP3"_s}));
    QCOMPARE(nativeRows(db, "SELECT count(*) FROM Series"), QStringList{u"0"_s});
    QStringList expectedNewColumns;
    for (int format : expectedFormats)
        expectedNewColumns.append(QString::number(format) + u"|<null>|<null>|<null>"_s);
    QCOMPARE(nativeRows(db, "SELECT ForID, SerID, Vol, Issue FROM Books ORDER BY BookID"),
             expectedNewColumns);
    QCOMPARE(nativeRows(db, EarlierColumns), booksBefore);
    const QByteArray indexes = "SELECT name FROM sqlite_master WHERE type = 'index' AND name NOT LIKE 'sqlite_%' "
                               "ORDER BY name";
    QCOMPARE(nativeRows(db, indexes), nativeRows(*TemporaryCatalogue().open(), indexes));

    // The probe now finds ForID: a second start-up changes nothing.
    const QStringList upgraded = catalogueContents(db);
    UpgradeCatalogue();
    QCOMPARE(catalogueContents(*catalogueState().dbCatalogue), upgraded);

    // The program works with the upgraded file as with a new one.
    auto formats = db.openRecordset(u"Select * from formats order by fordesc"_s, RecordsetType::Dynaset);
    formats->addNew();
    formats->setValue(u"fordesc"_s, u"Vinyl"_s);
    formats->update();
    QCOMPARE(nativeRows(db, "SELECT ForID FROM Formats WHERE ForDesc = 'Vinyl'"), QStringList{u"6"_s});
}

void TestSchemaUpgrade::currentLayoutIsLeftUnchanged()
{
    TemporaryCatalogue catalogue;
    catalogue.executeNative(
        "INSERT INTO Formats (ForDesc) VALUES ('Vinyl'), ('Paperback');"
        "INSERT INTO Series (SerDesc) VALUES ('Garden Monthly');"
        "INSERT INTO Books (Title, SortTitle, ForID, SerID, Vol, Issue, Paperback) "
        "VALUES ('The Hobbit', 'HOBBIT', 1, 1, 3, 12, 1), ('Emma', 'EMMA', -1, -1, NULL, NULL, 0)");
    const QStringList before = contentsOf(catalogue);

    catalogue.install();
    UpgradeCatalogue();
    TemporaryCatalogue::uninstall();

    QCOMPARE(contentsOf(catalogue), before);
}

void TestSchemaUpgrade::failedUpgradeLeavesFileUntouched_data()
{
    QTest::addColumn<QByteArray>("fixture");

    // Fails at the fifth statement, after two tables and two columns were added.
    QTest::newRow("a column of the upgrade exists already")
        << QByteArray("ALTER TABLE Books ADD COLUMN Vol INTEGER");
    // Fails while carrying the paperback flag over, after all the data
    // definition and the seeding of the formats.
    QTest::newRow("books refuse the new format")
        << QByteArray("CREATE TRIGGER ReadOnlyShelf BEFORE UPDATE ON Books "
                      "BEGIN SELECT RAISE(ABORT, 'the shelf is read-only'); END");
}

void TestSchemaUpgrade::failedUpgradeLeavesFileUntouched()
{
    QFETCH(QByteArray, fixture);
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::Earlier);
    addEarlierBooks(catalogue, {true, false});
    catalogue.executeNative(fixture);
    const QStringList before = contentsOf(catalogue);

    catalogue.install();
    QVERIFY_THROWS_EXCEPTION(DbError, UpgradeCatalogue());
    QCOMPARE(catalogueContents(*catalogueState().dbCatalogue), before);

    // As the start-up meets it: reported once, and the start-up goes on.
    ScopedScriptedDialogs dialogs;
    QVERIFY(!runStep([] { UpgradeCatalogue(); }));
    QCOMPARE(dialogs.messages().size(), 1);

    // What reached the disk, read afresh.
    TemporaryCatalogue::uninstall();
    QCOMPARE(contentsOf(catalogue), before);
}

void TestSchemaUpgrade::upgradeWithoutCatalogueDoesNothing()
{
    // The start-up goes on after a failed open; the upgrade must not add a
    // second message or fail.
    catalogueState().dbCatalogue.reset();
    ScopedScriptedDialogs dialogs;
    QVERIFY(runStep([] { UpgradeCatalogue(); }));
    QVERIFY(dialogs.shown().isEmpty());
}

QTEST_GUILESS_MAIN(TestSchemaUpgrade)
#include "tst_schema_upgrade.moc"
