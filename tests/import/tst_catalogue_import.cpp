#include "catalogue/schema.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "import/fake_catalogue.h"
#include "import/jet_conversion.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

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

QTEST_GUILESS_MAIN(TestCatalogueImport)
#include "tst_catalogue_import.moc"
