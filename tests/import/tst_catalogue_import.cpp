#include "catalogue/schema.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/stored_values.h"
#include "import/fake_catalogue.h"
#include "import/jet_conversion.h"
#include "import/jet_values.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

using namespace FakeCatalogue;

namespace {

QStringList folderContents(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class TestCatalogueImport : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void storedValues_data();
    void storedValues();
    void layoutMatchesNewCatalogue();
    void refused_data();
    void refused();
    void jetDateTimes_data();
    void jetDateTimes();
    void jetNumbers_data();
    void jetNumbers();

private:
    QTemporaryDir m_dir;
    QString m_earlier;
    QString m_current;
    ConversionReport m_earlierReport;
};

void TestCatalogueImport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_earlier = m_dir.filePath(u"earlier.mdb"_s);
    m_current = m_dir.filePath(u"current.mdb"_s);
    FakeJetSource earlier = catalogueSource(false);
    FakeJetSource current = catalogueSource(true);
    try {
        m_earlierReport = convertJetSource(earlier, u"Old.mdb"_s, m_earlier, ConversionTarget::Catalogue);
        convertJetSource(current, u"Newer.mdb"_s, m_current, ConversionTarget::Catalogue);
    } catch (const ConversionError& error) {
        QFAIL(qPrintable(error.message()));
    }
}

void TestCatalogueImport::storedValues_data()
{
    QTest::addColumn<bool>("current");
    QTest::addColumn<QByteArray>("sql");
    QTest::addColumn<QStringList>("rows");

    const QByteArray bookValues =
        "SELECT BookID, Title, Year, Fiction, New, Paperback, Read, BuyDate, ReadDate, CoverPrice, BuyPrice, "
        "OnLoan, LoanedTo, LoanDate, Signed FROM Books ORDER BY BookID";
    const QStringList books{u"7|Nana|1880|1|0|1|1|1850-03-01|<null>|12.3456|0.5|0||<null>|1"_s,
                            u"12|The Hobbit|<null>|1|1|0|0|<null>|2001-02-28|<null>|7|1|Ann|2024-06-01|0"_s};
    // Every book keeps its lookups through the keys it had.
    const QByteArray lookups =
        "SELECT Title, LastName, FirstName, PubName, CatName, OwnName, LocName FROM Books "
        "LEFT JOIN Authors ON Books.AuthID = Authors.AuthID LEFT JOIN Publishers ON Books.PubID = "
        "Publishers.PubID "
        "LEFT JOIN Categories ON Books.CatID = Categories.CatID LEFT JOIN Owners ON Books.OwnerID = "
        "Owners.OwnID "
        "LEFT JOIN Locations ON Books.LocID = Locations.LocID ORDER BY Books.BookID";
    const QStringList joined{u"Nana|Zola|Émile|Charpentier|Roman|Me|Grenier"_s,
                             u"The Hobbit|Tolkien|J. R. R.|<null>|<null>|<null>|<null>"_s};

    for (const bool current : {false, true}) {
        const char* layout = current ? "current: " : "earlier: ";
        QTest::addRow("%sbook values", layout) << current << bookValues << books;
        QTest::addRow("%slookups by key", layout) << current << lookups << joined;
        QTest::addRow("%snote with line break", layout)
            << current << QByteArray("SELECT hex(Notes) FROM Books WHERE BookID = 7")
            << QStringList{QString::fromLatin1(QByteArray("first line\r\nsecond line").toHex().toUpper())};
        QTest::addRow("%sadded table", layout)
            << current << QByteArray("SELECT * FROM Wishlist") << QStringList{u"1|Ulysses|9.99"_s};
        QTest::addRow("%snext keys follow the copied ones", layout)
            << current
            << QByteArray("SELECT name, seq FROM sqlite_sequence WHERE name IN ('Books', 'Authors') "
                          "ORDER BY name")
            << QStringList{u"Authors|9"_s, u"Books|12"_s};
    }
    // The upgrade gave the earlier file formats from the paperback flags and
    // an empty series list; the current file keeps its own.
    QTest::newRow("earlier: formats and series")
        << false
        << QByteArray("SELECT BookID, ForID, SerID, Vol, Issue, (SELECT count(*) FROM Formats), "
                      "(SELECT count(*) FROM Series) FROM Books ORDER BY BookID")
        << QStringList{u"7|1|<null>|<null>|<null>|5|0"_s, u"12|2|<null>|<null>|<null>|5|0"_s};
    QTest::newRow("current: formats and series")
        << true
        << QByteArray("SELECT BookID, ForID, SerDesc, Vol, Issue FROM Books LEFT JOIN Series "
                      "ON Books.SerID = Series.SerID ORDER BY BookID")
        << QStringList{u"7|6|Rougon-Macquart|3|<null>"_s, u"12|-1|<null>|<null>|<null>"_s};
}

void TestCatalogueImport::storedValues()
{
    QFETCH(bool, current);
    QFETCH(QByteArray, sql);
    auto db = Database::open(current ? m_current : m_earlier);
    QTEST(nativeRows(*db, sql), "rows");
}

void TestCatalogueImport::layoutMatchesNewCatalogue()
{
    // The same indexes as a catalogue the program creates, so that every
    // order and lookup is as fast; and the report counts what was copied.
    const QByteArray indexes =
        "SELECT name FROM sqlite_master WHERE type = 'index' AND substr(name, 1, 7) <> 'sqlite_' "
        "AND tbl_name <> 'Wishlist' ORDER BY name";
    QCOMPARE(nativeRows(*Database::open(m_earlier), indexes),
             nativeRows(*TemporaryCatalogue().open(), indexes));
    QCOMPARE(nativeRows(*Database::open(m_current), indexes),
             nativeRows(*TemporaryCatalogue().open(), indexes));
    const std::vector<ConvertedTable> counted{{u"Books"_s, 2},      {u"Authors"_s, 2}, {u"Publishers"_s, 1},
                                              {u"Categories"_s, 1}, {u"Owners"_s, 1},  {u"Locations"_s, 1},
                                              {u"Wishlist"_s, 1}};
    QVERIFY(m_earlierReport.tables == counted && m_earlierReport.text().contains(u"earlier layout"_s));
}

void TestCatalogueImport::refused_data()
{
    QTest::addColumn<bool>("current");
    QTest::addColumn<QStringList>("omit");
    QTest::addColumn<QString>("change"); // a value changed before converting
    QTest::addColumn<QString>("message");

    QTest::newRow("no books") << false << QStringList{u"Books"_s} << QString()
                              << u"'Old.mdb' is not a catalogue: it lacks the table Books."_s;
    QTest::newRow("no authors, no title")
        << false << QStringList{u"Authors"_s, u"Books.Title"_s} << QString()
        << u"'Old.mdb' is not a catalogue: it lacks the column Books.Title, the table Authors."_s;
    QTest::newRow("current layout without series")
        << true << QStringList{u"Series"_s, u"Formats.ForDesc"_s} << QString()
        << u"'Old.mdb' is not a catalogue: it lacks the column Formats.ForDesc, the table Series."_s;
    QTest::newRow("a year that is not a number") << false << QStringList() << u"year"_s
                                                 << u"The table 'Books' cannot be converted: in row 3, Data "
                                                    u"type conversion error: 'unknown' cannot be "
                                                    u"stored in the field 'Year'."_s;
    QTest::newRow("two books with one key")
        << false << QStringList() << u"key"_s << u"The table 'Books' cannot be converted: "_s;
}

void TestCatalogueImport::refused()
{
    QFETCH(bool, current);
    QFETCH(QStringList, omit);
    QFETCH(QString, change);
    QFETCH(QString, message);
    FakeJetSource source = catalogueSource(current, omit);
    if (change == u"year"_s)
        source.addRow(u"Books"_s,
                      {99LL,     text("Later"), text("LATER"),   -1LL,       -1LL,       -1LL,
                       -1LL,     -1LL,          text("unknown"), text(""),   false,      false,
                       false,    false,         QVariant(),      QVariant(), QVariant(), QVariant(),
                       text(""), false,         text(""),        QVariant(), false});
    if (change == u"key"_s)
        source.addRow(u"Books"_s, {7LL,      text("Twin"), text("TWIN"), -1LL,       -1LL,       -1LL,
                                   -1LL,     -1LL,         QVariant(),   text(""),   false,      false,
                                   false,    false,        QVariant(),   QVariant(), QVariant(), QVariant(),
                                   text(""), false,        text(""),     QVariant(), false});
    QTemporaryDir dir;
    const QString out = dir.filePath(u"Quillary.mdb"_s);
    try {
        convertJetSource(source, u"Old.mdb"_s, out, ConversionTarget::Catalogue);
        QFAIL("the conversion was not refused");
    } catch (const ConversionError& error) {
        QVERIFY2(error.message().startsWith(message), qPrintable(error.message()));
    }
    QCOMPARE(folderContents(dir.path()), QStringList()); // nothing half-written left
}

// Single values as the older files hold them: day numbers, currency counts
// and single-precision numbers.
void TestCatalogueImport::jetDateTimes_data()
{
    QTest::addColumn<double>("dayNumber");
    QTest::addColumn<QString>("stored"); // empty: left empty (Null)

    QTest::newRow("day zero") << 0.0 << u"1899-12-30"_s;
    QTest::newRow("the day after, at noon") << 1.5 << u"1899-12-31 12:00:00"_s;
    // Before day zero the fraction still counts forward from midnight.
    QTest::newRow("before day zero with a time") << -1.25 << u"1899-12-29 06:00:00"_s;
    QTest::newRow("1 March 1850") << -18201.0 << u"1850-03-01"_s;
    QTest::newRow("leap day 2000") << 36585.0 << u"2000-02-29"_s;
    QTest::newRow("first day the engine allows") << -657434.0 << u"0100-01-01"_s;
    QTest::newRow("last second the engine allows")
        << 2958465.0 + 86399.0 / 86400.0 << u"9999-12-31 23:59:59"_s;
    QTest::newRow("a hair before midnight rounds to the next day") << 36585.9999999999 << u"2000-03-01"_s;
    QTest::newRow("before year 100") << -657435.0 << QString();
    QTest::newRow("after year 9999") << 2958466.0 << QString();
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << QString();
}

void TestCatalogueImport::jetDateTimes()
{
    QFETCH(double, dayNumber);
    const QVariant value = JetValues::dateTime(dayNumber);
    QTEST(value.isNull() ? QString() : StoredValue::dateTimeText(value.toDateTime()), "stored");
}

void TestCatalogueImport::jetNumbers_data()
{
    QTest::addColumn<double>("converted");
    QTest::addColumn<double>("expected");

    // Currency: a count of ten-thousandths, exact to the fourth decimal.
    QTest::newRow("currency with four decimals") << JetValues::currency(123456789) << 12345.6789;
    QTest::newRow("smallest currency step") << JetValues::currency(-1) << -0.0001;
    QTest::newRow("whole currency") << JetValues::currency(140000) << 14.0;
    QTest::newRow("largest exact currency") << JetValues::currency(9007199254740991LL) << 900719925474.0991;
    // Single: the decimal the user typed, not the float's binary expansion.
    QTest::newRow("single 0.15") << JetValues::single(0.15f) << 0.15;
    QTest::newRow("single 1/3") << JetValues::single(1.0f / 3.0f) << 0.33333334;
    QTest::newRow("single large") << JetValues::single(3.4e38f) << 3.4e38;
    QTest::newRow("single negative tiny") << JetValues::single(-1.5e-7f) << -1.5e-7;
}

void TestCatalogueImport::jetNumbers()
{
    QFETCH(double, converted);
    QFETCH(double, expected);
    // Exact: the same double, not merely a close one.
    QVERIFY2(converted == expected,
             qPrintable(u"%1 != %2"_s.arg(converted, 0, 'g', 17).arg(expected, 0, 'g', 17)));
}

QTEST_GUILESS_MAIN(TestCatalogueImport)
#include "tst_catalogue_import.moc"
