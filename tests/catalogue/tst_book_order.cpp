#include "catalogue/book_order.h"
#include "catalogue/sample_catalogue.h"
#include "database/native_sql.h"
#include "database/recordset.h"
#include "support/temporary_catalogue.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The author and category orders are worked out outside SQLite; they must list
// the books exactly as the order's query would.
class TestBookOrder : public QObject
{
    Q_OBJECT

private slots:
    void keysFollowTheQueryOrder_data();
    void keysFollowTheQueryOrder();
    void generatedCatalogueOrders();
    void recordsetShowsTheQueryColumns();

private:
    static QStringList sortTuples(Database& db, int order, const std::vector<qint64>& keys);
    static QStringList sortTuplesBySql(Database& db, int order);
};

namespace {

// Awkward cases for the order: names equal but for case or accents (one rank),
// authors with the same name under two keys (their books interleave by title),
// Null and empty first names, dangling and -1 keys, Null names.
const QByteArray Fixture = R"sql(
INSERT INTO Authors (AuthID, LastName, FirstName) VALUES
  (1, 'Smith', 'John'), (2, 'adams', 'Ann'), (3, 'Adams', 'ann'), (4, 'Smith', NULL),
  (5, 'Smith', ''), (6, NULL, NULL), (7, 'Émile', 'Zola'), (8, 'emile', 'zola'), (9, NULL, 'Solo');
INSERT INTO Categories (CatID, CatName) VALUES (1, 'Travel'), (2, 'art'), (3, 'Art'), (4, NULL), (5, 'Ésotérisme');
INSERT INTO Books (BookID, Title, SortTitle, AuthID, CatID) VALUES
  (1, 'Zebra', 'ZEBRA', 1, 1), (2, 'Apple', 'APPLE', 1, 2), (3, 'Mango', 'MANGO', 2, 3),
  (4, 'Banana', 'BANANA', 3, 3), (5, 'Cherry', 'CHERRY', -1, -1), (6, 'Date', 'DATE', 99, 99),
  (7, 'Elder', 'ELDER', 4, 4), (8, 'Fig', 'FIG', 5, 5), (9, 'Grape', 'GRAPE', 6, 2),
  (10, 'Kiwi', 'KIWI', 7, 1), (11, 'Lime', 'LIME', 8, 1), (12, 'Aardvark', 'AARDVARK', 8, NULL),
  (13, 'Nut', 'NUT', NULL, 3), (14, 'Olive', 'OLIVE', 9, 5), (15, 'Pear', NULL, 2, 2);
)sql";

} // namespace

// The values the order sorts by, row by row: what must come out the same.
QStringList TestBookOrder::sortTuples(Database& db, int order, const std::vector<qint64>& keys)
{
    const QByteArray sql = order == BookOrder::ByAuthor
                               ? "SELECT LastName, FirstName, SortTitle FROM Books LEFT JOIN Authors ON "
                                 "Books.AuthID = Authors.AuthID WHERE Books.BookID = ?"
                               : "SELECT CatName, SortTitle FROM Books LEFT JOIN Categories ON "
                                 "Books.CatID = Categories.CatID WHERE Books.BookID = ?";
    QStringList tuples;
    NativeStatement row(db,
                        order == BookOrder::ByTitle ? "SELECT SortTitle FROM Books WHERE BookID = ?" : sql);
    for (qint64 key : keys) {
        row.reset();
        row.bindInt(1, key);
        QStringList values;
        if (row.step()) {
            for (int c = 0; c < row.columnCount(); ++c) {
                const QVariant v = row.column(c);
                values << (v.isNull() ? u"<null>"_s : v.toString().toCaseFolded());
            }
        }
        tuples << values.join(u'|');
    }
    return tuples;
}

QStringList TestBookOrder::sortTuplesBySql(Database& db, int order)
{
    std::vector<qint64> keys;
    const QByteArray sql = order == BookOrder::ByAuthor
                               ? "SELECT Books.BookID FROM Books LEFT JOIN Authors ON Books.AuthID = "
                                 "Authors.AuthID ORDER BY LastName, FirstName, SortTitle"
                           : order == BookOrder::ByCategory
                               ? "SELECT Books.BookID FROM Books LEFT JOIN Categories ON Books.CatID = "
                                 "Categories.CatID ORDER BY CatName, SortTitle"
                               : "SELECT BookID FROM Books ORDER BY SortTitle";
    NativeStatement all(db, sql);
    while (all.step())
        keys.push_back(all.columnInt(0));
    return sortTuples(db, order, keys);
}

void TestBookOrder::keysFollowTheQueryOrder_data()
{
    QTest::addColumn<int>("order");
    QTest::newRow("title") << BookOrder::ByTitle;
    QTest::newRow("author") << BookOrder::ByAuthor;
    QTest::newRow("category") << BookOrder::ByCategory;
}

void TestBookOrder::keysFollowTheQueryOrder()
{
    QFETCH(int, order);
    TemporaryCatalogue catalogue;
    catalogue.executeNative(Fixture);
    auto db = catalogue.open();
    const std::vector<qint64> keys = BookOrder::orderedKeys(*db, order);
    QCOMPARE(keys.size(), size_t(15));
    QCOMPARE(sortTuples(*db, order, keys), sortTuplesBySql(*db, order));
    if (order == BookOrder::ByAuthor) {
        // Books without an author (none, -1, dangling, all-Null names) first, by title.
        QCOMPARE((std::vector<qint64>(keys.begin(), keys.begin() + 4)), (std::vector<qint64>{5, 6, 9, 13}));
    }
}

void TestBookOrder::generatedCatalogueOrders()
{
    SampleOptions options;
    options.books = 3000;
    options.authors = 400;
    TemporaryCatalogue catalogue(options);
    auto db = catalogue.open();
    for (int order : {BookOrder::ByTitle, BookOrder::ByAuthor, BookOrder::ByCategory})
        QCOMPARE(sortTuples(*db, order, BookOrder::orderedKeys(*db, order)), sortTuplesBySql(*db, order));
}

void TestBookOrder::recordsetShowsTheQueryColumns()
{
    TemporaryCatalogue catalogue;
    catalogue.executeNative(Fixture);
    auto db = catalogue.open();
    auto books = BookOrder::openBooks(*db, BookOrder::ByAuthor);
    QCOMPARE(books->recordCount(), 15);
    books->findFirst(u"bookid = 4"_s);
    QVERIFY(!books->noMatch());
    QCOMPARE(books->value(u"LastName"_s).toString(), u"Adams"_s);
    QCOMPARE(books->value(u"AuthID"_s).toLongLong(), 3);
    books->moveLast();
    // Émile sorts among the Es, before Smith, whose books by John come last.
    QCOMPARE(books->value(u"Title"_s).toString(), u"Zebra"_s);
}

QTEST_GUILESS_MAIN(TestBookOrder)
#include "tst_book_order.moc"
