#include "catalogue/catalogue_state.h"
#include "catalogue/db_error_handler.h"
#include "catalogue/schema.h"
#include "database/catalogue_fixture.h"
#include "database/native_sql.h"
#include "database/recordset.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList contentsOf(const TemporaryCatalogue& catalogue)
{
    return catalogueContents(*catalogue.open());
}

// The columns every existing book had before the upgrade, which it must keep.
const QByteArray EarlierColumns =
    "SELECT BookID, Title, SortTitle, AuthID, PubID, CatID, OwnerID, LocID, Year, ISBN, "
    "Fiction, New, Paperback, Read, BuyDate, ReadDate, CoverPrice, BuyPrice, Notes, "
    "OnLoan, LoanedTo, LoanDate FROM Books ORDER BY BookID";

} // namespace

class TestSchemaUpgrade : public QObject
{
    Q_OBJECT
private slots:

    void upgradesEarlierLayout();
    void currentLayoutIsLeftUnchanged();
    void failedUpgradeLeavesFileUntouched();
};

void TestSchemaUpgrade::upgradesEarlierLayout()
{
    // Five hardcovers (one whose flag was never set) and one paperback.
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::EarlierWithBooks);
    const QStringList booksBefore = nativeRows(*catalogue.open(), EarlierColumns);

    catalogue.install();
    UpgradeCatalogue();

    Database& db = *catalogueState().dbCatalogue;
    QCOMPARE(nativeRows(db, "SELECT ForID, ForDesc FROM Formats ORDER BY ForID"),
             QStringList({u"1|Paperback"_s, u"2|Hardcover"_s, u"3|Tape"_s, u"4|CD"_s, u"5|MP3"_s}));
    QCOMPARE(nativeRows(db, "SELECT count(*) FROM Series"), QStringList{u"0"_s});
    QCOMPARE(
        nativeRows(db, "SELECT ForID, SerID, Vol, Issue FROM Books ORDER BY BookID"),
        QStringList({u"2|<null>|<null>|<null>"_s, u"2|<null>|<null>|<null>"_s, u"2|<null>|<null>|<null>"_s,
                     u"2|<null>|<null>|<null>"_s, u"1|<null>|<null>|<null>"_s, u"2|<null>|<null>|<null>"_s}));
    QCOMPARE(nativeRows(db, EarlierColumns), booksBefore);
    const QByteArray indexes =
        "SELECT name FROM sqlite_master WHERE type = 'index' AND name NOT LIKE 'sqlite_%' "
        "ORDER BY name";
    QCOMPARE(nativeRows(db, indexes), nativeRows(*TemporaryCatalogue().open(), indexes));
    // Its text is declared and indexed as in a new file.
    QCOMPARE(nativeRows(db, "SELECT count(*) FROM sqlite_master WHERE sql LIKE '%nocase%'"),
             QStringList{u"0"_s});
    QCOMPARE(nativeRows(db, "PRAGMA integrity_check"), QStringList{u"ok"_s});

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

void TestSchemaUpgrade::failedUpgradeLeavesFileUntouched()
{
    // Fails while carrying the paperback flag over, after all the data
    // definition and the seeding of the formats.
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::EarlierWithBooks);
    catalogue.executeNative("CREATE TRIGGER ReadOnlyShelf BEFORE UPDATE ON Books "
                            "BEGIN SELECT RAISE(ABORT, 'the shelf is read-only'); END");
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

QTEST_GUILESS_MAIN(TestSchemaUpgrade)
#include "tst_schema_upgrade.moc"
