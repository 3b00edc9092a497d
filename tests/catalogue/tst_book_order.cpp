#include "catalogue/book_order.h"
#include "catalogue/sample_catalogue.h"
#include "database/native_sql.h"
#include "database/recordset.h"
#include "support/temporary_catalogue.h"

#include <QRandomGenerator>
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
    void movedBooksLandWhereAFullReadPutsThem_data();
    void movedBooksLandWhereAFullReadPutsThem();
    void keysThatCouldBeStaleAreReadInFull_data();
    void keysThatCouldBeStaleAreReadInFull();

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

namespace {

// Values chosen so that ties abound: sort titles equal but for case and
// accents, empty and Null; authors and categories of one name under several
// keys, Null names, and keys no row has (until a step adds it).
const QByteArrayList SortTitles{"'APPLE'",  "'apple'",  "'ÄPPLE'", "'ZEBRA'",      "''",    "NULL",
                                "'ØRSTED'", "'ORSTED'", "'MANGO'", "'MANGO TREE'", "'ÆRØ'", "'AERO'"};
const QByteArrayList Names{"'Smith'", "'smith'", "'Émile'", "'Emile'", "NULL", "''", "'Adams'", "'Øst'"};
const QList<int> LookupKeys{1, 2, 3, 4, 5, 6, 7, 8, -1, 99};

QByteArray pick(QRandomGenerator& random, const QByteArrayList& values)
{
    return values[random.bounded(int(values.size()))];
}

QByteArray pickKey(QRandomGenerator& random, bool orNull = true)
{
    if (orNull && random.bounded(12) == 0)
        return "NULL";
    return QByteArray::number(LookupKeys[random.bounded(int(LookupKeys.size()))]);
}

QByteArray tiedCatalogue(QRandomGenerator& random, int books)
{
    QByteArray sql = "BEGIN;";
    for (int key = 1; key <= 8; ++key) {
        sql += "INSERT INTO Authors (AuthID, LastName, FirstName) VALUES (" + QByteArray::number(key) + ", " +
               pick(random, Names) + ", " + pick(random, Names) + ");";
        sql += "INSERT INTO Categories (CatID, CatName) VALUES (" + QByteArray::number(key) + ", " +
               pick(random, Names) + ");";
    }
    for (int book = 0; book < books; ++book)
        sql += "INSERT INTO Books (Title, SortTitle, AuthID, CatID) VALUES ('t', " +
               pick(random, SortTitles) + ", " + pickKey(random) + ", " + pickKey(random) + ");";
    return sql + "COMMIT;";
}

qint64 someBook(Database& db, QRandomGenerator& random)
{
    NativeStatement count(db, "SELECT count(*) FROM Books");
    count.step();
    NativeStatement book(db, "SELECT BookID FROM Books ORDER BY BookID LIMIT 1 OFFSET ?");
    book.bindInt(1, random.bounded(qMax(1, int(count.columnInt(0)))));
    return book.step() ? book.columnInt(0) : 0;
}

// One change of the kind the program and other tools make: stores,
// additions and deletions of books, renamed, added and removed authors and
// categories, changes that move nothing, and nothing at all.
void changeSomething(Database& db, QRandomGenerator& random)
{
    const QByteArray book = QByteArray::number(someBook(db, random));
    const QByteArray lookup = random.bounded(2) ? "Authors SET LastName" : "Categories SET CatName";
    const QByteArray key = random.bounded(2) ? "AuthID" : "CatID";
    switch (random.bounded(9)) {
    case 0:
        executeNative(db, "UPDATE Books SET SortTitle = " + pick(random, SortTitles) + ", AuthID = " +
                              pickKey(random) + ", CatID = " + pickKey(random) + " WHERE BookID = " + book);
        break;
    case 1:
        executeNative(db, "INSERT INTO Books (Title, SortTitle, AuthID, CatID) VALUES ('new', " +
                              pick(random, SortTitles) + ", " + pickKey(random) + ", " + pickKey(random) +
                              ")");
        break;
    case 2:
        executeNative(db, "DELETE FROM Books WHERE BookID = " + book);
        break;
    case 3:
        executeNative(db, "UPDATE " + lookup + " = " + pick(random, Names) +
                              " WHERE rowid = " + pickKey(random, false));
        break;
    case 4: // a key books refer to comes to exist, or goes
        executeNative(db, "INSERT OR IGNORE INTO Authors (AuthID, LastName) VALUES (99, " +
                              pick(random, Names) +
                              "); INSERT OR IGNORE INTO Categories (CatID, CatName) VALUES (99, 'Zed')");
        break;
    case 5:
        executeNative(db, "DELETE FROM Authors WHERE AuthID IN (99, " + pickKey(random, false) +
                              "); DELETE FROM Categories WHERE CatID = 99");
        break;
    case 6: // a store in one transaction with new lookup rows, as the window's
        executeNative(db, "BEGIN; INSERT INTO Authors (LastName, FirstName) VALUES (" + pick(random, Names) +
                              ", 'New'); UPDATE Books SET " + key +
                              " = last_insert_rowid(), Notes = 'n' "
                              "WHERE BookID = " +
                              book + "; COMMIT");
        break;
    case 7:
        executeNative(db, "UPDATE Books SET Notes = 'changed' WHERE BookID = " + book);
        break;
    default:
        break;
    }
}

} // namespace

void TestBookOrder::movedBooksLandWhereAFullReadPutsThem_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<quint32>("seed");
    for (quint32 seed : {1U, 2U, 3U}) {
        QTest::addRow("title, seed %u", seed) << BookOrder::ByTitle << seed;
        QTest::addRow("author, seed %u", seed) << BookOrder::ByAuthor << seed;
        QTest::addRow("category, seed %u", seed) << BookOrder::ByCategory << seed;
    }
}

// After each change, rsBooks reopened with the kept keys lists the books
// exactly as a full read does, and never needs the full read.
void TestBookOrder::movedBooksLandWhereAFullReadPutsThem()
{
    QFETCH(int, order);
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    TemporaryCatalogue catalogue;
    catalogue.executeNative(tiedCatalogue(random, 150));
    auto db = catalogue.open();
    executeNative(*db, "PRAGMA synchronous = OFF"); // many small writes follow
    BookOrder::KeptOrder kept;
    auto books =
        db->openRecordset(BookOrder::query(order), RecordsetType::Snapshot, kept.readAll(*db, order));
    for (int step = 0; step < 60; ++step) {
        const int changes = 1 + random.bounded(3);
        for (int c = 0; c < changes; ++c)
            changeSomething(*db, random);
        std::optional<std::vector<qint64>> keys = kept.keysAfterChanges(*db, order, *books);
        QVERIFY2(keys, qPrintable(u"step %1"_s.arg(step)));
        QCOMPARE(*keys, BookOrder::orderedKeys(*db, order));
        books = db->openRecordset(BookOrder::query(order), RecordsetType::Snapshot, std::move(*keys));
    }
}

void TestBookOrder::keysThatCouldBeStaleAreReadInFull_data()
{
    QTest::addColumn<int>("otherOrder");
    QTest::addColumn<QByteArray>("changes");
    QTest::addColumn<bool>("closeRecordset");
    QTest::newRow("another order") << BookOrder::ByCategory << QByteArray() << false;
    QTest::newRow("recordset closed meanwhile") << 0 << QByteArray() << true;
    QTest::newRow("too many books changed") << 0 << QByteArray("UPDATE Books SET Notes = 'all'") << false;
    QTest::newRow("an author of too many books renamed")
        << 0 << QByteArray("UPDATE Authors SET LastName = 'Renamed' WHERE AuthID = 1") << false;
    QTest::newRow("notes gone") << 0 << QByteArray("DROP TABLE temp.quillary_moved_books") << false;
}

void TestBookOrder::keysThatCouldBeStaleAreReadInFull()
{
    QFETCH(int, otherOrder);
    QFETCH(QByteArray, changes);
    QFETCH(bool, closeRecordset);
    TemporaryCatalogue catalogue;
    catalogue.executeNative("INSERT INTO Authors (AuthID, LastName) VALUES (1, 'Smith');"
                            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1200) "
                            "INSERT INTO Books (Title, SortTitle, AuthID) SELECT 't', 'T' || i, 1 FROM n;");
    auto db = catalogue.open();
    BookOrder::KeptOrder kept;
    const int order = BookOrder::ByAuthor;
    auto books =
        db->openRecordset(BookOrder::query(order), RecordsetType::Snapshot, kept.readAll(*db, order));
    if (!changes.isEmpty())
        executeNative(*db, changes);
    if (closeRecordset)
        books->close();
    QVERIFY(!kept.keysAfterChanges(*db, otherOrder ? otherOrder : order, *books));
    // Read in full again, the keys are kept once more.
    books = db->openRecordset(BookOrder::query(order), RecordsetType::Snapshot, kept.readAll(*db, order));
    executeNative(*db, "UPDATE Books SET SortTitle = 'A' WHERE BookID = 600");
    const std::optional<std::vector<qint64>> keys = kept.keysAfterChanges(*db, order, *books);
    QVERIFY(keys && keys->front() == 600);
}

QTEST_GUILESS_MAIN(TestBookOrder)
#include "tst_book_order.moc"
