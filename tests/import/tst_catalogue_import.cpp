#include "catalogue/database.h"
#include "catalogue/native_sql.h"
#include "catalogue/schema.h"
#include "import/fake_jet_source.h"
#include "import/jet_conversion.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QVariant utc(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(0, 0), Qt::UTC);
}

QVariant text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

using Row = std::vector<QVariant>;

// A catalogue file of the earlier program as the reader hands it over: keys
// with gaps, a book without author (-1), a date before 1899, four-decimal
// prices, a note with a line break, accented names, a column and a table the
// user added. `omit` leaves out tables ("Authors") or columns ("Books.Title").
FakeJetSource catalogueSource(bool currentLayout, const QStringList& omit = {})
{
    struct Spec
    {
        QString name;
        QStringList columns;
        std::vector<Row> rows;
    };
    QStringList bookColumns{
        u"BookID:Counter"_s,      u"Title:Text"_s,        u"SortTitle:Text"_s,   u"AuthID:Long"_s,
        u"PubID:Long"_s,          u"CatID:Long"_s,        u"OwnerID:Long"_s,     u"LocID:Long"_s,
        u"Year:Integer"_s,        u"ISBN:Text"_s,         u"Fiction:YesNo"_s,    u"New:YesNo"_s,
        u"Paperback:YesNo"_s,     u"Read:YesNo"_s,        u"BuyDate:DateTime"_s, u"ReadDate:DateTime"_s,
        u"CoverPrice:Currency"_s, u"BuyPrice:Currency"_s, u"Notes:Memo"_s,       u"OnLoan:YesNo"_s,
        u"LoanedTo:Text"_s,       u"LoanDate:DateTime"_s, u"Signed:YesNo"_s};
    std::vector<Row> books{
        {7LL,
         text("Nana"),
         text("NANA"),
         4LL,
         2LL,
         5LL,
         1LL,
         3LL,
         1880LL,
         text("2-07-036"),
         true,
         false,
         true,
         true,
         utc(1850, 3, 1),
         QVariant(),
         12.3456,
         0.5,
         text("first line\r\nsecond line"),
         false,
         text(""),
         QVariant(),
         true},
        {12LL,           text("The Hobbit"),
         text("HOBBIT"), 9LL,
         -1LL,           -1LL,
         -1LL,           -1LL,
         QVariant(),     text(""),
         true,           true,
         false,          false,
         QVariant(),     utc(2001, 2, 28),
         QVariant(),     7.0,
         text(""),       true,
         text("Ann"),    utc(2024, 6, 1),
         false},
    };
    std::vector<Spec> specs{
        {u"Authors"_s,
         {u"AuthID:Counter"_s, u"LastName:Text"_s, u"FirstName:Text"_s},
         {{4LL, text("Zola"), text("Émile")}, {9LL, text("Tolkien"), text("J. R. R.")}}},
        {u"Publishers"_s, {u"PubID:Counter"_s, u"PubName:Text"_s}, {{2LL, text("Charpentier")}}},
        {u"Categories"_s, {u"CatID:Counter"_s, u"CatName:Text"_s}, {{5LL, text("Roman")}}},
        {u"Owners"_s, {u"OwnID:Counter"_s, u"OwnName:Text"_s}, {{1LL, text("Me")}}},
        {u"Locations"_s, {u"LocID:Counter"_s, u"LocName:Text"_s}, {{3LL, text("Grenier")}}},
        {u"Wishlist"_s,
         {u"WishID:Counter"_s, u"Wish:Text"_s, u"Price:Currency"_s},
         {{1LL, text("Ulysses"), 9.99}}},
    };
    if (currentLayout) {
        bookColumns << u"ForID:Long"_s << u"SerID:Long"_s << u"Vol:Long"_s << u"Issue:Long"_s;
        books[0].insert(books[0].end(), {QVariant(6LL), QVariant(2LL), QVariant(3LL), QVariant()});
        books[1].insert(books[1].end(), {QVariant(-1LL), QVariant(-1LL), QVariant(), QVariant()});
        specs.push_back({u"Formats"_s,
                         {u"ForID:Counter"_s, u"ForDesc:Text"_s},
                         {{1LL, text("Paperback")}, {6LL, text("Vinyl")}}});
        specs.push_back(
            {u"Series"_s, {u"SerID:Counter"_s, u"SerDesc:Text"_s}, {{2LL, text("Rougon-Macquart")}}});
    }
    specs.insert(specs.begin(), {u"Books"_s, bookColumns, books});

    FakeJetSource source;
    for (Spec& spec : specs) {
        if (omit.contains(spec.name))
            continue;
        for (qsizetype c = spec.columns.size() - 1; c >= 0; --c) {
            if (omit.contains(spec.name + u'.' + spec.columns[c].section(u':', 0, 0))) {
                spec.columns.removeAt(c);
                for (Row& row : spec.rows)
                    row.erase(row.begin() + c);
            }
        }
        source.addTable(spec.name, spec.columns);
        for (Row& row : spec.rows)
            source.addRow(spec.name, row);
    }
    return source;
}

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
    QFETCH(QStringList, rows);
    auto db = Database::open(current ? m_current : m_earlier);
    QCOMPARE(nativeRows(*db, sql), rows);
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
    QVERIFY(m_earlierReport.tables == counted);
    QVERIFY(m_earlierReport.text().contains(u"earlier layout"_s));
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
