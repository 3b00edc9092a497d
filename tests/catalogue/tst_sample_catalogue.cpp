#include "catalogue/catalogue_fixture.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/native_sql.h"
#include "catalogue/recordset.h"
#include "catalogue/sample_catalogue.h"
#include "catalogue/schema.h"
#include "editor/sort_title.h"
#include "support/temporary_catalogue.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

qint64 count(Database& db, const QByteArray& sql)
{
    NativeStatement query(db, sql);
    return query.step() ? query.columnInt(0) : -1;
}

// One generated catalogue shared by the tests that only read it.
const SampleOptions Shared{2000, 0, 11, false};

} // namespace

class TestSampleCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void sameSeedSameCatalogue();
    void sizesFollowTheOptions_data();
    void sizesFollowTheOptions();
    void neverReplacesAFile();

    void holdsTheAwkwardCases_data();
    void holdsTheAwkwardCases();
    void storedValuesFollowTheConventions_data();
    void storedValuesFollowTheConventions();
    void programReadsItsValues();
    void earlierLayoutIsUpgradeable();

private:
    std::unique_ptr<TemporaryCatalogue> m_shared;
    std::unique_ptr<Database> m_db;
};

void TestSampleCatalogue::initTestCase()
{
    m_shared = std::make_unique<TemporaryCatalogue>(Shared);
    m_db = m_shared->open();
}

void TestSampleCatalogue::cleanupTestCase()
{
    m_db.reset();
    m_shared.reset();
}

void TestSampleCatalogue::sameSeedSameCatalogue()
{
    const TemporaryCatalogue first(SampleOptions{300, 0, 7, false});
    const TemporaryCatalogue again(SampleOptions{300, 0, 7, false});
    const TemporaryCatalogue otherSeed(SampleOptions{300, 0, 8, false});
    const QStringList contents = catalogueContents(*first.open());
    QCOMPARE(catalogueContents(*again.open()), contents);
    QVERIFY(catalogueContents(*otherSeed.open()) != contents);
}

void TestSampleCatalogue::sizesFollowTheOptions_data()
{
    QTest::addColumn<int>("books");
    QTest::addColumn<int>("authors");
    QTest::addColumn<int>("expectedAuthors");

    QTest::newRow("one book, a dozen authors") << 1 << 0 << 12;
    QTest::newRow("fewer authors than the notable ones") << 10 << 3 << 3;
    // Beyond every plain combination of the name lists: middle initials.
    QTest::newRow("more authors than name combinations") << 100 << 5000 << 5000;
}

void TestSampleCatalogue::sizesFollowTheOptions()
{
    QFETCH(int, books);
    QFETCH(int, authors);
    QFETCH(int, expectedAuthors);
    const TemporaryCatalogue catalogue(SampleOptions{books, authors, 1, false});
    auto db = catalogue.open();
    QCOMPARE(count(*db, "SELECT count(*) FROM Books"), books);
    QCOMPARE(count(*db, "SELECT count(*) FROM Authors"), expectedAuthors);
    // The editor finds an author by name: no two may share one.
    QCOMPARE(count(*db, "SELECT count(*) FROM (SELECT DISTINCT LastName, FirstName FROM Authors)"),
             expectedAuthors);
    QCOMPARE(count(*db, "SELECT count(*) FROM Books WHERE AuthID > (SELECT max(AuthID) FROM Authors)"), 0);
}

void TestSampleCatalogue::neverReplacesAFile()
{
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::NoFile);
    QVERIFY(CatalogueFixture::write(catalogue.path(), "somebody's catalogue"));
    QVERIFY_THROWS_EXCEPTION(DbError, generateSampleCatalogue(catalogue.path(), SampleOptions{10, 0, 1, false}));
    QCOMPARE(CatalogueFixture::contents(catalogue.path()), QByteArray("somebody's catalogue"));
}

void TestSampleCatalogue::holdsTheAwkwardCases_data()
{
    QTest::addColumn<QByteArray>("sql");

    QTest::newRow("author with an apostrophe")
        << QByteArray("SELECT count(*) FROM Authors WHERE instr(LastName, '''') > 0");
    QTest::newRow("author with accents") << QByteArray(
        "SELECT count(*) FROM Authors WHERE LastName = 'García Márquez' OR LastName = 'Brontë'");
    QTest::newRow("author without first names")
        << QByteArray("SELECT count(*) FROM Authors WHERE FirstName = ''");
    QTest::newRow("book without author") << QByteArray("SELECT count(*) FROM Books WHERE AuthID = -1");
    QTest::newRow("book without format") << QByteArray("SELECT count(*) FROM Books WHERE ForID = -1");
    QTest::newRow("book in a series with volume and issue")
        << QByteArray("SELECT count(*) FROM Books WHERE SerID > 0 AND Vol IS NOT NULL AND Issue IS NOT NULL");
    QTest::newRow("every format in use")
        << QByteArray("SELECT count(DISTINCT ForID) = 5 FROM Books WHERE ForID > 0");
    QTest::newRow("book without year") << QByteArray("SELECT count(*) FROM Books WHERE Year IS NULL");
    QTest::newRow("book without purchase date")
        << QByteArray("SELECT count(*) FROM Books WHERE BuyDate IS NULL");
    QTest::newRow("read book with date")
        << QByteArray("SELECT count(*) FROM Books WHERE Read AND ReadDate IS NOT NULL");
    QTest::newRow("book without price") << QByteArray("SELECT count(*) FROM Books WHERE CoverPrice IS NULL");
    QTest::newRow("book on loan") << QByteArray("SELECT count(*) FROM Books WHERE OnLoan AND LoanedTo <> ''");
    QTest::newRow("title with an article")
        << QByteArray("SELECT count(*) FROM Books WHERE substr(Title, 1, 4) = 'The '");
}

void TestSampleCatalogue::holdsTheAwkwardCases()
{
    QFETCH(QByteArray, sql);
    QVERIFY(count(*m_db, sql) > 0);
}

void TestSampleCatalogue::storedValuesFollowTheConventions_data()
{
    // Each query counts the books that break one convention every reader relies on.
    QTest::addColumn<QByteArray>("violations");

    QTest::newRow("lookup keys are -1 or a row")
        << QByteArray("SELECT count(*) FROM Books WHERE "
                      "(AuthID <> -1 AND AuthID NOT IN (SELECT AuthID FROM Authors)) OR "
                      "(PubID <> -1 AND PubID NOT IN (SELECT PubID FROM Publishers)) OR "
                      "(CatID <> -1 AND CatID NOT IN (SELECT CatID FROM Categories)) OR "
                      "(OwnerID <> -1 AND OwnerID NOT IN (SELECT OwnID FROM Owners)) OR "
                      "(LocID <> -1 AND LocID NOT IN (SELECT LocID FROM Locations)) OR "
                      "(ForID <> -1 AND ForID NOT IN (SELECT ForID FROM Formats)) OR "
                      "(SerID <> -1 AND SerID NOT IN (SELECT SerID FROM Series)) OR "
                      "coalesce(AuthID, PubID, CatID, OwnerID, LocID, ForID, SerID) IS NULL");
    QTest::newRow("flags are 0 or 1, never Null")
        << QByteArray("SELECT count(*) FROM Books WHERE Fiction NOT IN (0, 1) OR New NOT IN (0, 1) OR "
                      "Paperback NOT IN (0, 1) OR Read NOT IN (0, 1) OR OnLoan NOT IN (0, 1) OR "
                      "typeof(Fiction) || typeof(New) || typeof(Paperback) || typeof(Read) || typeof(OnLoan) "
                      "<> 'integerintegerintegerintegerinteger'");
    QTest::newRow("dates are ISO text or Null")
        << QByteArray("SELECT count(*) FROM Books WHERE "
                      "coalesce(date(BuyDate) = BuyDate, 1) + coalesce(date(ReadDate) = ReadDate, 1) + "
                      "coalesce(date(LoanDate) = LoanDate, 1) < 3");
    // CURRENCY has numeric affinity: SQLite keeps whole amounts as integers.
    QTest::newRow("prices are numbers of four decimals or Null")
        << QByteArray("SELECT count(*) FROM Books WHERE "
                      "(CoverPrice IS NOT NULL AND (typeof(CoverPrice) NOT IN ('real', 'integer') OR "
                      "  abs(round(CoverPrice * 10000) - CoverPrice * 10000) > 1e-6)) OR "
                      "(BuyPrice IS NOT NULL AND (typeof(BuyPrice) NOT IN ('real', 'integer') OR "
                      "  abs(round(BuyPrice * 10000) - BuyPrice * 10000) > 1e-6))");
    QTest::newRow("texts are never Null")
        << QByteArray("SELECT count(*) FROM Books WHERE Title IS NULL OR Title = '' OR SortTitle IS NULL OR "
                      "ISBN IS NULL OR Notes IS NULL OR LoanedTo IS NULL");
    QTest::newRow("paperback flag follows the format")
        << QByteArray("SELECT count(*) FROM Books WHERE ForID <> -1 AND Paperback <> (ForID = 1)");
    QTest::newRow("volume and issue only in a series") << QByteArray(
        "SELECT count(*) FROM Books WHERE SerID = -1 AND (Vol IS NOT NULL OR Issue IS NOT NULL)");
    QTest::newRow("read date only when read")
        << QByteArray("SELECT count(*) FROM Books WHERE NOT Read AND ReadDate IS NOT NULL");
    QTest::newRow("borrower and loan date only when on loan") << QByteArray(
        "SELECT count(*) FROM Books WHERE NOT OnLoan AND (LoanedTo <> '' OR LoanDate IS NOT NULL)");
    QTest::newRow("years are plausible")
        << QByteArray("SELECT count(*) FROM Books WHERE Year IS NOT NULL AND (Year < 1000 OR Year > 2100)");
}

void TestSampleCatalogue::storedValuesFollowTheConventions()
{
    QFETCH(QByteArray, violations);
    QCOMPARE(count(*m_db, violations), 0);
}

void TestSampleCatalogue::programReadsItsValues()
{
    // Sort titles are the editor's own, so the title order is the one a user
    // who typed these books would see.
    NativeStatement titles(*m_db, "SELECT Title, SortTitle FROM Books");
    while (titles.step())
        QCOMPARE(titles.columnText(1), MakeSortTitle(titles.columnText(0)));

    auto books = m_db->openRecordset(u"Select * from Books order by SortTitle"_s, RecordsetType::Snapshot);
    books->findFirst(u"BuyDate >= #1/1/1900# and CoverPrice > 0 and Read"_s);
    QVERIFY(!books->noMatch());
    QCOMPARE(books->value(u"BuyDate"_s).typeId(), QMetaType::QDateTime);
    QCOMPARE(books->value(u"CoverPrice"_s).typeId(), QMetaType::Double);
    QCOMPARE(books->value(u"Read"_s).typeId(), QMetaType::Bool);
    QVERIFY(books->value(u"Read"_s).toBool());
    QVERIFY(books->value(u"BuyDate"_s).toDateTime().date() >= QDate(1985, 1, 1));
}

void TestSampleCatalogue::earlierLayoutIsUpgradeable()
{
    const TemporaryCatalogue catalogue(SampleOptions{300, 0, 2, true});
    QCOMPARE(count(*catalogue.open(), "SELECT count(*) FROM pragma_table_info('Books') WHERE name = 'ForID'"),
             0);
    catalogue.install();
    UpgradeCatalogue();
    Database& db = *catalogueState().dbCatalogue;
    QCOMPARE(count(db, "SELECT count(*) FROM Books WHERE ForID = (CASE WHEN Paperback THEN 1 ELSE 2 END)"),
             300);
}

QTEST_GUILESS_MAIN(TestSampleCatalogue)
#include "tst_sample_catalogue.moc"
