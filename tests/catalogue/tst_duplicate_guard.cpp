#include "catalogue/duplicate_guard.h"
#include "catalogue/sort_title.h"
#include "database/native_sql.h"
#include "support/temporary_catalogue.h"

#include <QTest>

using namespace Qt::StringLiterals;

// A book about to be added is looked up through the title index and the
// ISBNs the connection keeps; it must find exactly what a pass over every
// book finds.
class TestDuplicateGuard : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void findsWhatAFullPassFinds_data();
    void findsWhatAFullPassFinds();
    void keptIsbnsFollowEveryWrite_data();
    void keptIsbnsFollowEveryWrite();

private:
    std::unique_ptr<TemporaryCatalogue> m_catalogue;
    std::unique_ptr<Database> m_db;
};

namespace {

struct StoredBook
{
    int id;
    QString title;
    QString isbn;
    int author;
};

const QList<StoredBook> StoredBooks{
    {1, u"Les Misérables"_s, u"0-14-044430-0"_s, 1},
    {2, u"The Hobbit"_s, u"978-0-261-10221-7"_s, 2},
    {3, u"Ørsted's Notebooks"_s, QString(), 3},
    {4, u"Οδύσσεια"_s, QString(), 4},
    {5, u"A"_s, u"OLD-1234"_s, 5},
    {6, u"Hobbit Houses"_s, QString(), 2},
    {7, u"Éclair  Recipes"_s, QString(), 5},
    {8, u"1984"_s, u"9780451524935"_s, 6},
    {9, u"東京物語"_s, QString(), 6},
};

const QByteArray Authors = R"sql(
INSERT INTO Authors (AuthID, LastName, FirstName) VALUES
  (1, 'Hugo', 'Victor'), (2, 'Tolkien', 'J. R. R.'), (3, 'Ørsted', 'Hans'), (4, 'Ὅμηρος', ''),
  (5, 'Anon', ''), (6, 'Orwell', 'George');
)sql";

void storeBooks(Database& db)
{
    executeNative(db, Authors);
    NativeStatement insert(
        db, "INSERT INTO Books (BookID, Title, SortTitle, ISBN, AuthID) VALUES (?, ?, ?, ?, ?)");
    for (const StoredBook& book : StoredBooks) {
        insert.bindInt(1, book.id);
        insert.bindText(2, book.title);
        insert.bindText(3, MakeSortTitle(book.title));
        insert.bindText(4, book.isbn);
        insert.bindInt(5, book.author);
        insert.run();
    }
}

} // namespace

void TestDuplicateGuard::init()
{
    m_catalogue = std::make_unique<TemporaryCatalogue>();
    m_db = m_catalogue->open();
    storeBooks(*m_db);
}

void TestDuplicateGuard::cleanup()
{
    m_db.reset();
    m_catalogue.reset();
}

void TestDuplicateGuard::findsWhatAFullPassFinds_data()
{
    QTest::addColumn<QString>("isbn");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("author");
    QTest::addColumn<int>("expected"); // 0: none

    QTest::newRow("ISBN-13 of a stored ISBN-10") << u"978-0140444308"_s << u"Other"_s << QString() << 1;
    QTest::newRow("ISBN-10 of a stored ISBN-13") << u"0 261 10221 4"_s << u"Other"_s << QString() << 2;
    QTest::newRow("older book number") << u"old 1234"_s << u"Other"_s << QString() << 5;
    QTest::newRow("ISBN of no book") << u"0-306-40615-2"_s << u"Other"_s << QString() << 0;
    QTest::newRow("case and accents") << QString() << u"LES MISERABLES"_s << u"hugo, victor"_s << 1;
    QTest::newRow("other author") << QString() << u"Les Misérables"_s << u"Hugo, Adèle"_s << 0;
    QTest::newRow("article kept") << QString() << u"the hobbit"_s << u"Tolkien, J. R. R."_s << 2;
    QTest::newRow("title begun by another") << QString() << u"Hobbit"_s << u"Tolkien, J. R. R."_s << 0;
    QTest::newRow("longer title") << QString() << u"Hobbit Houses"_s << u"TOLKIEN, j. r. r."_s << 6;
    QTest::newRow("letter without decomposition")
        << QString() << u"ørsted's notebooks"_s << u"Ørsted, Hans"_s << 3;
    QTest::newRow("Greek, accents dropped") << QString() << u"ΟΔΥΣΣΕΙΑ"_s << u"Ὅμηρος"_s << 4;
    QTest::newRow("one letter") << QString() << u"a"_s << u"anon"_s << 5;
    QTest::newRow("blanks made one") << QString() << u"eclair recipes"_s << u"Anon"_s << 7;
    QTest::newRow("digits") << QString() << u"1984"_s << u"Orwell, George"_s << 8;
    QTest::newRow("no letters of any case") << QString() << u"東京物語"_s << u"Orwell, George"_s << 9;
    QTest::newRow("empty title") << QString() << QString() << u"Anon"_s << 0;
}

void TestDuplicateGuard::findsWhatAFullPassFinds()
{
    QFETCH(QString, isbn);
    QFETCH(QString, title);
    QFETCH(QString, author);
    QFETCH(int, expected);
    const std::optional<qint64> everyBook = DuplicateGuard(*m_db).match(isbn, title, author);
    QCOMPARE(everyBook.value_or(0), expected);
    QCOMPARE(findDuplicateBook(*m_db, isbn, title, author).value_or(0), expected);
}

void TestDuplicateGuard::keptIsbnsFollowEveryWrite_data()
{
    QTest::addColumn<QByteArray>("write");
    QTest::addColumn<QString>("isbn");
    QTest::addColumn<int>("expected");

    QTest::newRow("ISBN changed") << QByteArray("UPDATE Books SET ISBN = '0-306-40615-2' WHERE BookID = 2")
                                  << u"9780306406157"_s << 2;
    QTest::newRow("old ISBN gone") << QByteArray("UPDATE Books SET ISBN = '0-306-40615-2' WHERE BookID = 2")
                                   << u"0261102214"_s << 0;
    QTest::newRow("ISBN cleared") << QByteArray("UPDATE Books SET ISBN = NULL WHERE BookID = 8")
                                  << u"9780451524935"_s << 0;
    QTest::newRow("book added") << QByteArray("INSERT INTO Books (BookID, Title, ISBN) VALUES (20, 'New', "
                                              "'030640615X')")
                                << u"978-0-306-40615-7"_s << 20;
    QTest::newRow("book deleted") << QByteArray("DELETE FROM Books WHERE BookID = 1") << u"0140444300"_s << 0;
    QTest::newRow("write rolled back")
        << QByteArray("BEGIN; DELETE FROM Books WHERE BookID = 1; ROLLBACK") << u"0140444300"_s << 1;
}

void TestDuplicateGuard::keptIsbnsFollowEveryWrite()
{
    QFETCH(QByteArray, write);
    QFETCH(QString, isbn);
    QFETCH(int, expected);
    // The first lookup makes the kept ISBNs; the write comes after it.
    QVERIFY(findDuplicateBook(*m_db, u"0-14-044430-0"_s, u"Other"_s, QString()));
    executeNative(*m_db, write);
    QCOMPARE(findDuplicateBook(*m_db, isbn, u"Other"_s, QString()).value_or(0), expected);
    QCOMPARE(DuplicateGuard(*m_db).match(isbn, u"Other"_s, QString()).value_or(0), expected);
}

QTEST_GUILESS_MAIN(TestDuplicateGuard)
#include "tst_duplicate_guard.moc"
