#include "catalogue/sample_catalogue.h"
#include "catalogue/sort_title.h"
#include "database/native_sql.h"
#include "database/recordset.h"
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
    void initTestCase()
    {
        m_shared = std::make_unique<TemporaryCatalogue>(Shared);
        m_db = m_shared->open();
    }
    void cleanupTestCase()
    {
        m_db.reset();
        m_shared.reset();
    }

    void storedValuesFollowTheConventions();
    void programReadsItsValues();

private:
    std::unique_ptr<TemporaryCatalogue> m_shared;
    std::unique_ptr<Database> m_db;
};

// Each query counts the books that break one convention every reader relies on.
void TestSampleCatalogue::storedValuesFollowTheConventions()
{
    const std::pair<const char*, const char*> conventions[] = {
        {"lookup keys are -1 or a row",
         "SELECT count(*) FROM Books WHERE "
         "(AuthID <> -1 AND AuthID NOT IN (SELECT AuthID FROM Authors)) OR "
         "(PubID <> -1 AND PubID NOT IN (SELECT PubID FROM Publishers)) OR "
         "(CatID <> -1 AND CatID NOT IN (SELECT CatID FROM Categories)) OR "
         "(OwnerID <> -1 AND OwnerID NOT IN (SELECT OwnID FROM Owners)) OR "
         "(LocID <> -1 AND LocID NOT IN (SELECT LocID FROM Locations)) OR "
         "(ForID <> -1 AND ForID NOT IN (SELECT ForID FROM Formats)) OR "
         "(SerID <> -1 AND SerID NOT IN (SELECT SerID FROM Series)) OR "
         "coalesce(AuthID, PubID, CatID, OwnerID, LocID, ForID, SerID) IS NULL"},
        {"flags are 0 or 1, never Null",
         "SELECT count(*) FROM Books WHERE Fiction NOT IN (0, 1) OR New NOT IN (0, 1) OR "
         "Paperback NOT IN (0, 1) OR Read NOT IN (0, 1) OR OnLoan NOT IN (0, 1) OR "
         "typeof(Fiction) || typeof(New) || typeof(Paperback) || typeof(Read) || typeof(OnLoan) "
         "<> 'integerintegerintegerintegerinteger'"},
        {"dates are ISO text or Null",
         "SELECT count(*) FROM Books WHERE "
         "coalesce(date(BuyDate) = BuyDate, 1) + coalesce(date(ReadDate) = ReadDate, 1) + "
         "coalesce(date(LoanDate) = LoanDate, 1) < 3"},
        // CURRENCY has numeric affinity: SQLite keeps whole amounts as integers.
        {"prices are numbers of four decimals or Null",
         "SELECT count(*) FROM Books WHERE "
         "(CoverPrice IS NOT NULL AND (typeof(CoverPrice) NOT IN ('real', 'integer') OR "
         "  abs(round(CoverPrice * 10000) - CoverPrice * 10000) > 1e-6)) OR "
         "(BuyPrice IS NOT NULL AND (typeof(BuyPrice) NOT IN ('real', 'integer') OR "
         "  abs(round(BuyPrice * 10000) - BuyPrice * 10000) > 1e-6))"},
        {"texts are never Null",
         "SELECT count(*) FROM Books WHERE Title IS NULL OR Title = '' OR SortTitle IS NULL OR "
         "ISBN IS NULL OR Notes IS NULL OR LoanedTo IS NULL"},
        {"paperback flag follows the format",
         "SELECT count(*) FROM Books WHERE ForID <> -1 AND Paperback <> (ForID = 1)"},
        {"volume and issue only in a series",
         "SELECT count(*) FROM Books WHERE SerID = -1 AND (Vol IS NOT NULL OR Issue IS NOT NULL)"},
        {"read date only when read", "SELECT count(*) FROM Books WHERE NOT Read AND ReadDate IS NOT NULL"},
        {"borrower and loan date only when on loan",
         "SELECT count(*) FROM Books WHERE NOT OnLoan AND (LoanedTo <> '' OR LoanDate IS NOT NULL)"},
        {"years are plausible",
         "SELECT count(*) FROM Books WHERE Year IS NOT NULL AND (Year < 1000 OR Year > 2100)"},
    };
    for (const auto& [convention, violations] : conventions)
        QVERIFY2(count(*m_db, violations) == 0, convention);
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

QTEST_GUILESS_MAIN(TestSampleCatalogue)
#include "tst_sample_catalogue.moc"
