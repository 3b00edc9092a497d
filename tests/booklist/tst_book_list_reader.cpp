#include "booklist/book_list_reader.h"
#include "catalogue/sample_catalogue.h"
#include "database/native_sql.h"
#include "support/temporary_catalogue.h"

#include <QTest>

using namespace Qt::StringLiterals;

using Keys = std::vector<qint64>;

// The list's orders, its filter and its pages, checked against SQLite's own
// ORDER BY over the same file.
class TestBookListReader : public QObject
{
    Q_OBJECT

private slots:
    void ordersAsSqlite_data();
    void ordersAsSqlite();
    void filterWords_data();
    void filterWords();
    void pagesMatchSqliteRows();
};

namespace {

// Books with the values the list's orders and filter trip over: names equal
// but for case or accents, Null and missing lookups, equal sort titles, a
// sharp s and accented words in every searched field, and words that only a
// field the filter leaves out (category, location) holds.
inline const QByteArray BookListFixture = R"sql(
INSERT INTO Authors (AuthID, LastName, FirstName) VALUES
  (1, 'Smith', 'John'), (2, 'adams', 'Ann'), (3, 'Adams', 'ann'), (4, 'Émile', 'Zola'), (5, NULL, 'Solo');
INSERT INTO Categories (CatID, CatName) VALUES (1, 'Travel'), (2, 'art'), (3, 'Árt');
INSERT INTO Formats (ForID, ForDesc) VALUES (1, 'Paperback'), (2, 'Hardcover');
INSERT INTO Series (SerID, SerDesc) VALUES (1, 'Discworld'), (2, 'Straße der Könige');
INSERT INTO Publishers (PubID, PubName) VALUES (1, 'Gallimard'), (2, 'Penguin');
INSERT INTO Owners (OwnID, OwnName) VALUES (1, 'Me'), (2, 'you');
INSERT INTO Locations (LocID, LocName) VALUES (1, 'Attic'), (2, 'Study');
INSERT INTO Books (BookID, Title, SortTitle, AuthID, CatID, ForID, SerID, Vol, Issue, Year, PubID, OwnerID, LocID,
                   ISBN, Read, OnLoan, LoanedTo, BuyDate, CoverPrice, Notes) VALUES
  (1, 'The Zebra', 'ZEBRA', 1, 1, 1, 1, 2, NULL, 1999, 1, 1, 1, '0-306-40615-2', 1, 0, NULL,
   '2001-03-07 00:00:00', 12.5, 'Signed by the author'),
  (2, 'Apple', 'APPLE', 2, 2, 2, 1, 1, 3, 2005, 2, 2, 2, NULL, 0, 1, 'Ève', '1998-12-31 00:00:00', 7.25, NULL),
  (3, 'École des femmes', 'ECOLE DES FEMMES', 3, 3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, 0, 0,
   NULL, NULL, NULL, 'Attic copy'),
  (4, 'Banana', 'BANANA', 4, -1, 1, 2, 1, 1, 1850, 1, 1, 2, '978-3-16-148410-0', 1, 1, 'adam',
   '2010-06-01 00:00:00', 30, NULL),
  (5, 'apple', 'APPLE', 5, 99, 2, 2, 1, 2, 2005, 2, 2, 1, NULL, 0, 0, NULL, NULL, 0, 'Water-damaged'),
  (6, 'Cherry', NULL, NULL, 1, -1, -1, NULL, NULL, 1999, -1, -1, -1, NULL, 1, 0, NULL, '2001-03-07 00:00:00',
   12.5, NULL);
)sql";

Keys sqliteKeys(Database& db, const QByteArray& orderBy)
{
    Keys keys;
    NativeStatement rows(
        db, "SELECT Books.BookID FROM Books LEFT JOIN Authors ON Authors.AuthID = Books.AuthID "
            "LEFT JOIN Categories ON Categories.CatID = Books.CatID LEFT JOIN Series ON "
            "Series.SerID = Books.SerID LEFT JOIN Owners ON Owners.OwnID = Books.OwnerID ORDER BY " +
                orderBy);
    while (rows.step())
        keys.push_back(rows.columnInt(0));
    return keys;
}

} // namespace

void TestBookListReader::ordersAsSqlite_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QByteArray>("orderBy");
    QTest::addColumn<Keys>("expected"); // for the fixture; empty: only SQLite's order counts
    const QByteArray ties = ", Books.SortTitle, Books.BookID";
    QTest::newRow("title") << int(BookListColumn::Title) << "Books.SortTitle, Books.BookID"_ba
                           << Keys{6, 2, 5, 4, 3, 1};
    QTest::newRow("author") << int(BookListColumn::Author) << "LastName, FirstName" + ties
                            << Keys{6, 5, 2, 3, 4, 1};
    QTest::newRow("category: missing and dangling first, art and Árt side by side")
        << int(BookListColumn::Category) << "CatName" + ties << Keys{5, 4, 2, 3, 6, 1};
    QTest::newRow("series with volume and issue")
        << int(BookListColumn::Series) << "SerDesc, Vol, Issue" + ties << Keys{6, 3, 2, 1, 4, 5};
    QTest::newRow("year") << int(BookListColumn::Year) << "Year" + ties << Keys{3, 4, 6, 1, 2, 5};
    QTest::newRow("read flag") << int(BookListColumn::Read) << "Read" + ties << Keys{2, 5, 3, 6, 4, 1};
    QTest::newRow("loaned to, accents beside their letters")
        << int(BookListColumn::LoanedTo) << "LoanedTo" + ties << Keys{6, 5, 3, 1, 4, 2};
    QTest::newRow("date purchased") << int(BookListColumn::BuyDate) << "BuyDate" + ties
                                    << Keys{5, 3, 2, 6, 1, 4};
    QTest::newRow("cover price") << int(BookListColumn::CoverPrice) << "CoverPrice" + ties
                                 << Keys{3, 5, 2, 6, 1, 4};
}

void TestBookListReader::ordersAsSqlite()
{
    QFETCH(int, column);
    QFETCH(QByteArray, orderBy);
    QFETCH(Keys, expected);
    TemporaryCatalogue catalogue;
    catalogue.executeNative(BookListFixture);
    auto db = catalogue.open();
    BookListReader reader(*db);
    reader.setOrder(BookListColumn(column), false);
    const Keys ascending = reader.shownKeys();
    QCOMPARE(ascending, sqliteKeys(*db, orderBy));
    if (!expected.empty())
        QCOMPARE(ascending, expected);
    reader.setOrder(BookListColumn(column), true);
    QCOMPARE(reader.shownKeys(), Keys(ascending.rbegin(), ascending.rend()));
    // Another column and back gives the same order again.
    reader.setOrder(BookListColumn(column == 0 ? 1 : 0), false);
    reader.setOrder(BookListColumn(column), false);
    QCOMPARE(reader.shownKeys(), ascending);
}

void TestBookListReader::filterWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<Keys>("expected"); // in title order
    QTest::newRow("case ignored") << u"APPLE"_s << Keys{2, 5};
    QTest::newRow("accent typed, none stored") << u"Emile"_s << Keys{4};
    QTest::newRow("no accent typed, accent stored") << u"ecole"_s << Keys{3};
    QTest::newRow("sharp s as ss, in a series") << u"strasse"_s << Keys{5, 4};
    QTest::newRow("two words in two fields") << u"smith zebra"_s << Keys{1};
    QTest::newRow("every word must occur") << u"apple zebra"_s << Keys{};
    QTest::newRow("part of a word, publisher") << u"ngui"_s << Keys{2, 5};
    QTest::newRow("isbn with its hyphens") << u"148410"_s << Keys{4};
    QTest::newRow("notes") << u"signed"_s << Keys{1};
    QTest::newRow("category and location are not searched") << u"travel"_s << Keys{};
    QTest::newRow("words never span two fields") << u"zebrasmith"_s << Keys{};
    QTest::newRow("a word twice counts once") << u"apple Apple"_s << Keys{2, 5};
}

void TestBookListReader::filterWords()
{
    QFETCH(QString, text);
    QFETCH(Keys, expected);
    TemporaryCatalogue catalogue;
    catalogue.executeNative(BookListFixture);
    auto db = catalogue.open();
    BookListReader reader(*db);
    reader.setFilter(text);
    QCOMPARE(reader.shownKeys(), expected);
    // Typed letter by letter, each narrowing the one before.
    BookListReader typed(*db);
    for (qsizetype letters = 1; letters <= text.size(); ++letters)
        typed.setFilter(text.left(letters));
    QCOMPARE(typed.shownKeys(), expected);
    QCOMPARE(reader.totalBooks(), qsizetype(6));
}

// More rows than the cache keeps, read front to back, back to front and by
// jumps: each row is the row SQLite gives at that place.
void TestBookListReader::pagesMatchSqliteRows()
{
    SampleOptions options;
    options.books = 6000;
    TemporaryCatalogue catalogue(options);
    auto db = catalogue.open();
    BookListReader reader(*db);
    reader.setOrder(BookListColumn::Author, true);
    const Keys expected =
        sqliteKeys(*db, "LastName DESC, FirstName DESC, Books.SortTitle DESC, Books.BookID DESC");
    QCOMPARE(reader.shownKeys(), expected);
    NativeStatement titles(*db, "SELECT Title, Year FROM Books WHERE BookID = ?");
    auto check = [&](qsizetype index) {
        const BookListRow row = reader.row(index);
        QCOMPARE(row.key, expected[size_t(index)]);
        titles.reset();
        titles.bindInt(1, row.key);
        QVERIFY(titles.step());
        QCOMPARE(row.values[size_t(BookListColumn::Title)], titles.column(0));
        QCOMPARE(row.values[size_t(BookListColumn::Year)], titles.column(1));
    };
    for (qsizetype i = 0; i < reader.count(); i += 7)
        check(i);
    for (qsizetype i = reader.count() - 1; i >= 0; i -= 11)
        check(i);
    for (qsizetype i : {qsizetype(5999), qsizetype(0), qsizetype(3000), qsizetype(63), qsizetype(64)})
        check(i);

    // A first screen's keys are the title order's first keys; the rest follow.
    const Keys byTitle = sqliteKeys(*db, "Books.SortTitle, Books.BookID");
    BookListReader firstScreen(*db, 100);
    QVERIFY(!firstScreen.isComplete());
    QCOMPARE(firstScreen.shownKeys(), Keys(byTitle.begin(), byTitle.begin() + 100));
    QCOMPARE(firstScreen.row(99).key, byTitle[99]);
    firstScreen.completeOrder();
    QCOMPARE(firstScreen.shownKeys(), byTitle);
}

QTEST_GUILESS_MAIN(TestBookListReader)
#include "tst_book_list_reader.moc"
