#include "catalogue/catalogue_fixture.h"
#include "catalogue/database.h"
#include "catalogue/recordset.h"
#include "support/fixed_clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// The test program doubles as the "other process" of the exclusive-open test:
// run with --try-open PATH it opens the file and reports how that went.
constexpr int ChildOpened = 0;
constexpr int ChildFoundFileInUse = 45;
constexpr int ChildFailedOtherwise = 1;

int tryOpenAsChild(const QString& path)
{
    try {
        Database::open(path);
        return ChildOpened;
    } catch (const DbError& error) {
        return error.number() == DbErrorNumber::AlreadyInUse ? ChildFoundFileInUse : ChildFailedOtherwise;
    }
}

int openInChildProcess(const QString& path)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {u"--try-open"_s, path});
    if (!child.waitForFinished(60000))
        return -1;
    return child.exitCode();
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

int errorNumberOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DbError& error) {
        return error.number();
    }
    return 0;
}

QString errorTextOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DbError& error) {
        return error.text();
    }
    return QString();
}

// A catalogue with enough books to span many pages, closed again.
QString bigCatalogue(const QTemporaryDir& dir, int books)
{
    std::unique_ptr<Database> db = CatalogueFixture::create(dir);
    db->transaction([&] {
        std::unique_ptr<Recordset> rs = db->openRecordset(u"Select * from Books"_s, RecordsetType::Dynaset);
        for (int i = 0; i < books; ++i) {
            rs->addNew();
            rs->setValue(u"Title"_s, u"Book %1"_s.arg(i));
            rs->setValue(u"SortTitle"_s, u"BOOK %1"_s.arg(i));
            rs->setValue(u"Notes"_s, QString(300, QChar(u'a' + i % 26)));
            rs->update();
        }
    });
    const QString path = db->path();
    db->close();
    return path;
}

int rowCount(Database& db, const QString& sql)
{
    return db.openRecordset(sql, RecordsetType::Snapshot)->recordCount();
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void runsEveryQueryOfTheProgram_data();
    void runsEveryQueryOfTheProgram();
    void upgradeStatementsGiveTheStoredTypes();
    void textComparesWithoutCaseInEveryLanguage();
    void reportsQueryErrorsByNumber_data();
    void reportsQueryErrorsByNumber();
    void transactionRollsBackOnThrow();

    void refusesBadFilesWithoutChangingThem_data();
    void refusesBadFilesWithoutChangingThem();
    void refusesReadOnlyFileForChanges();
    void refusesFileInReadOnlyFolder();
    void refusesMissingFileAndFolder();
    void exclusiveOpenKeepsOthersOut();
    void sharedOpenReadsOnly();
    void createRefusesExistingFile();
    void closedDatabaseAndRecordsetsReport3420();

    void compactsIntoNewFile();
    void repairRecoversReadableRowsAndKeepsDamagedFile();
    void openCatalogueIsNeitherRepairedNorCompacted();
    void repairLeavesUnrecoverableFileAlone_data();
    void repairLeavesUnrecoverableFileAlone();

private:
    QTemporaryDir m_fixtureDir;
    std::unique_ptr<Database> m_fixture;
    Database& fixture();
};

Database& TestDatabase::fixture()
{
    if (!m_fixture)
        m_fixture = CatalogueFixture::create(m_fixtureDir);
    return *m_fixture;
}

// Every SQL text the program issues, as its windows build it, with the rows the
// fixture gives and the first row's value of one column.
void TestDatabase::runsEveryQueryOfTheProgram_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("first");

    const QString authorsJoin = u" from Books left join Authors on Books.AuthID = Authors.AuthID"_s;
    const QString threeTables = u"Select Title, FirstName, LastName, %1 from (Books left join Authors on "
                                u"Books.AuthID = Authors.AuthID) left join %2 on Books.%3 = %2.%3"_s;

    // start-up, upgrade and lookup lists
    QTest::newRow("upgrade probe") << u"select forid from books"_s << 6 << u"ForID"_s << u"1"_s;
    QTest::newRow("formats to seed") << u"select * from formats"_s << 2 << u"fordesc"_s << u"Paperback"_s;
    QTest::newRow("paperback carry-over") << u"select paperback, forid from books"_s << 6 << u"paperback"_s
                                          << u"true"_s;
    QTest::newRow("rsBooks") << u"Select * from Books order by SortTitle"_s << 6 << u"Title"_s
                             << u"A Book of Days"_s;
    QTest::newRow("rsBookEdit") << u"Select * from Books"_s << 6 << u"bookid"_s << u"1"_s;
    QTest::newRow("authors") << u"Select * from Authors order by LastName, FirstName"_s << 5 << u"LastName"_s
                             << u"O'Brien"_s;
    QTest::newRow("publishers") << u"Select * from Publishers order by PubName"_s << 2 << u"pubname"_s << u"Ace"_s;
    QTest::newRow("categories") << u"Select * from Categories order by CatName"_s << 3 << u"CatName"_s
                                << u"Fantasy"_s;
    QTest::newRow("categories, lower case") << u"Select * from categories order by CatName"_s << 3 << u"CatID"_s
                                            << u"1"_s;
    QTest::newRow("owners") << u"Select * from Owners order by OwnName"_s << 1 << u"ownname"_s << u"Me"_s;
    QTest::newRow("locations") << u"Select * from Locations order by LocName"_s << 2 << u"LocName"_s
                               << u"Attic"_s;
    QTest::newRow("formats") << u"Select * from formats order by fordesc"_s << 2 << u"forID"_s << u"2"_s;
    QTest::newRow("Formats") << u"Select * from Formats order by fordesc"_s << 2 << u"fordesc"_s
                             << u"Hardcover"_s;
    QTest::newRow("series") << u"Select * from series order by serdesc"_s << 1 << u"serID"_s << u"1"_s;
    QTest::newRow("Series") << u"Select * from Series order by serdesc"_s << 1 << u"serdesc"_s
                            << u"Middle-earth"_s;

    // sort orders
    QTest::newRow("sort by author")
        << u"Select forid, serid, vol, issue, BookID, Title, Books.AuthID as AuthID, PubID, Year, Paperback, New, "
           u"Read, BuyDate, ReadDate, Fiction, CatID, ISBN, CoverPrice, BuyPrice, Notes, OwnerID, LocID, "
           u"SortTitle, LastName, OnLoan, LoanedTo, LoanDate from Books left join Authors on Books.AuthID = "
           u"Authors.AuthID order by LastName, FirstName, SortTitle"_s
        << 6 << u"Title"_s << u"A Book of Days"_s;
    QTest::newRow("sort by category")
        << u"Select forid, serid, vol, issue, BookID, Title, AuthID, PubID, Year, Paperback, New, Read, BuyDate, "
           u"ReadDate, Fiction, Books.CatID as CatID, ISBN, CoverPrice, BuyPrice, Notes, OwnerID, LocID, "
           u"SortTitle, CatName, OnLoan, LoanedTo, LoanDate from Books left join Categories on Books.CatID = "
           u"Categories.CatID order by CatName, SortTitle"_s
        << 6 << u"Title"_s << u"Nana"_s;

    // search window
    QTest::newRow("search fields") << u"Select * from RptSpec where usewith = 'books' order by specid"_s << 2
                                   << u"Desc"_s << u"Title"_s;
    QTest::newRow("lookup values") << u"select AuthID as id, LastName as descr from Authors order by LastName"_s
                                   << 5 << u"descr"_s << u"O'Brien"_s;

    // standard lists
    QTest::newRow("list 1") << u"Select Title, FirstName, LastName"_s + authorsJoin +
                                   u" order by SortTitle, LastName, FirstName"_s
                            << 6 << u"Title"_s << u"A Book of Days"_s;
    QTest::newRow("list 2, all") << u"Select Title, FirstName, LastName"_s + authorsJoin +
                                        u" order by LastName, FirstName, SortTitle"_s
                                 << 6 << u"Title"_s << u"A Book of Days"_s;
    QTest::newRow("list 2, one") << u"Select Title, FirstName, LastName"_s + authorsJoin +
                                        u" where Books.AuthID = 3 order by SortTitle"_s
                                 << 2 << u"Title"_s << u"The Hobbit"_s;
    QTest::newRow("list 3, all") << threeTables.arg(u"LocName"_s, u"Locations"_s, u"LocID"_s) +
                                        u" order by LocName, LastName, FirstName, SortTitle"_s
                                 << 6 << u"Title"_s << u"A Book of Days"_s;
    QTest::newRow("list 3, one") << threeTables.arg(u"LocName"_s, u"Locations"_s, u"LocID"_s) +
                                        u" where Books.LocID = 1 order by LastName, FirstName, SortTitle"_s
                                 << 3 << u"Title"_s << u"The Hobbit"_s;
    QTest::newRow("list 4, all") << threeTables.arg(u"CatName"_s, u"Categories"_s, u"CatID"_s) +
                                        u" order by CatName, LastName, FirstName, SortTitle"_s
                                 << 6 << u"Title"_s << u"Nana"_s;
    QTest::newRow("list 4, one") << threeTables.arg(u"CatName"_s, u"Categories"_s, u"CatID"_s) +
                                        u" where Books.CatID = 2 order by LastName, FirstName, SortTitle"_s
                                 << 3 << u"Title"_s << u"A Book of Days"_s;
    QTest::newRow("list 5") << u"Select Title, FirstName, LastName, CoverPrice, BuyPrice"_s + authorsJoin +
                                   u" order by LastName, FirstName, SortTitle"_s
                            << 6 << u"CoverPrice"_s << QString();
    QTest::newRow("list 6, read") << u"Select Title, FirstName, LastName, ReadDate"_s + authorsJoin +
                                         u" where Read order by LastName, FirstName, SortTitle"_s
                                  << 2 << u"Title"_s << u"The Hobbit"_s;
    QTest::newRow("list 6, unread") << u"Select Title, FirstName, LastName"_s + authorsJoin +
                                           u" where not Read order by LastName, FirstName, SortTitle"_s
                                    << 4 << u"Title"_s << u"A Book of Days"_s;
    QTest::newRow("list 7") << u"Select Title, FirstName, LastName, LoanedTo, LoanDate"_s + authorsJoin +
                                   u" where OnLoan order by LoanedTo, LastName, FirstName, SortTitle"_s
                            << 1 << u"LoanedTo"_s << u"Ann"_s;
    QTest::newRow("choose author") << u"select LastName, FirstName, AuthID from Authors order by LastName, FirstName"_s
                                   << 5 << u"AuthID"_s << u"1"_s;
    QTest::newRow("choose category") << u"select CatName, CatID from Categories order by CatName"_s << 3
                                     << u"CatName"_s << u"Fantasy"_s;
    QTest::newRow("choose location") << u"select LocName, LocID from Locations order by LocName"_s << 2
                                     << u"LocID"_s << u"2"_s;

    // counts
    QTest::newRow("quick count") << u"Select BookID from Books"_s << 6 << u"BookID"_s << u"1"_s;
    QTest::newRow("count by category") << u"Select BookID from Books where CatID = 2"_s << 3 << u"BookID"_s
                                       << u"2"_s;

    // field catalogue and custom reports
    QTest::newRow("designer, by specid") << u"Select * from RptSpec where usewith like '*books*' order by specid"_s
                                         << 3 << u"specid"_s << u"1"_s;
    QTest::newRow("designer, by desc") << u"Select * from RptSpec where usewith like '*books*' order by [desc]"_s
                                       << 3 << u"Desc"_s << u"Author Last Name"_s;
    QTest::newRow("report key check") << u"select usewith from rptspec where usewith = 'books'"_s << 2
                                      << u"usewith"_s << u"books"_s;
    QTest::newRow("custom report")
        << u"Select Title, LastName, CoverPrice from (books left join Authors on books.AuthID = Authors.AuthID) "
           u"where  Title like 'The*' and CoverPrice < 20 order by LastName"_s
        << 1 << u"Title"_s << u"The Ring"_s;
    QTest::newRow("custom report, dates")
        << u"Select Title from books where  BuyDate >= #3/7/2001# and BuyDate <= #3/31/2001# order by Title"_s << 2
        << u"Title"_s << u"Nana"_s;
    QTest::newRow("custom report, times")
        << u"Select Title from books where  BuyDate >= #12/31/1999 10:00:00 PM# and BuyDate <= "
           u"#12/31/1999 11:00:00 PM#"_s
        << 1 << u"Title"_s << u"The Hobbit"_s;
    QTest::newRow("custom report, false") << u"Select Title from books where  not Fiction order by SortTitle"_s << 2
                                          << u"Title"_s << u"A Book of Days"_s;

    // removal of unused entries
    QTest::newRow("authors in use") << u"Select AuthID from Authors"_s << 5 << u"AuthID"_s << u"1"_s;
    QTest::newRow("books of author") << u"Select BookID from Books where AuthID = 3"_s << 2 << u"BookID"_s
                                     << u"1"_s;
    QTest::newRow("publishers in use") << u"Select PubID from Publishers"_s << 2 << u"PubID"_s << u"1"_s;
    QTest::newRow("books of publisher") << u"Select BookID from Books where PubID = 1"_s << 2 << u"BookID"_s
                                        << u"1"_s;
    QTest::newRow("categories in use") << u"Select CatID from Categories"_s << 3 << u"CatID"_s << u"1"_s;
    QTest::newRow("books of category") << u"Select BookID from Books where CatID = 3"_s << 0 << QString()
                                       << QString();
    QTest::newRow("owners in use") << u"Select OwnID from Owners"_s << 1 << u"OwnID"_s << u"1"_s;
    QTest::newRow("books of owner") << u"Select BookID from Books where OwnerID = 1"_s << 3 << u"BookID"_s
                                    << u"1"_s;
    QTest::newRow("locations in use") << u"Select LocID from Locations"_s << 2 << u"LocID"_s << u"1"_s;
    QTest::newRow("books of location") << u"Select BookID from Books where LocID = 2"_s << 2 << u"BookID"_s
                                       << u"3"_s;
    QTest::newRow("formats in use") << u"Select forID from formats"_s << 2 << u"forID"_s << u"1"_s;
    QTest::newRow("books of format") << u"Select BookID from Books where forID = 1"_s << 1 << u"BookID"_s
                                     << u"1"_s;
    QTest::newRow("series in use") << u"Select serID from series"_s << 1 << u"serID"_s << u"1"_s;
    QTest::newRow("books of series") << u"Select BookID from Books where SerID = 1"_s << 2 << u"BookID"_s
                                     << u"1"_s;

    // criteria as the windows write them
    QTest::newRow("by key") << u"Select * from Books where bookid = 5"_s << 1 << u"Title"_s << u"Nana"_s;
    QTest::newRow("apostrophe") << u"Select * from Authors where LastName='O''Brien' and firstname='John'"_s << 1
                                << u"AuthID"_s << u"1"_s;
    QTest::newRow("contains") << u"Select * from Books where Title like \"*ring*\" order by SortTitle"_s << 3
                              << u"Title"_s << u"The Ring"_s;
    QTest::newRow("begins with") << u"Select * from Books where Title like \"ring*\""_s << 1 << u"Title"_s
                                 << u"Ringworld"_s;
    QTest::newRow("equals, other case") << u"Select * from Books where Title like \"the ring\""_s << 1
                                        << u"Title"_s << u"The Ring"_s;
    QTest::newRow("date from") << u"Select * from Books where BuyDate >= #3/7/2001# order by SortTitle"_s << 3
                               << u"Title"_s << u"A Book of Days"_s;
    QTest::newRow("yes") << u"Select * from Books where Read = true order by SortTitle"_s << 2 << u"Title"_s
                         << u"The Hobbit"_s;
    QTest::newRow("no") << u"Select * from Books where Read = false order by SortTitle"_s << 4 << u"Title"_s
                        << u"A Book of Days"_s;
    QTest::newRow("= null matches nothing") << u"Select * from Books where BuyDate = null"_s << 0 << QString()
                                            << QString();
    QTest::newRow("Null first") << u"Select Title, BuyDate from Books order by BuyDate"_s << 6 << u"Title"_s
                                << u"String Theory"_s;
    QTest::newRow("Null last descending") << u"Select Title from Books order by BuyDate desc"_s << 6 << u"Title"_s
                                          << u"A Book of Days"_s;
    QTest::newRow("accents without case") << u"Select * from Authors where LastName = 'ÉCRIVAIN'"_s << 2
                                          << u"FirstName"_s << u"Anne"_s;
    QTest::newRow("like ?") << u"Select Title from Books where Title like 'R?ngworld'"_s << 1 << u"Title"_s
                            << u"Ringworld"_s;
    QTest::newRow("like #") << u"Select Title from Books where ISBN like '#-###'"_s << 1 << u"Title"_s
                            << u"The Ring"_s;
    QTest::newRow("like [list]") << u"Select Title from Books where Title like '[nr]*' order by Title"_s << 2
                                 << u"Title"_s << u"Nana"_s;
    QTest::newRow("like [!range]") << u"Select Title from Books where Title like '[!a-s]*' order by Title"_s << 2
                                   << u"Title"_s << u"The Hobbit"_s;
    QTest::newRow("like on Null") << u"Select Title from Books where LoanedTo like '*'"_s << 2 << QString()
                                  << QString();
    QTest::newRow("concatenation") << u"Select LastName & \", \" & FirstName as Name from Books left join Authors "
                                      u"on Books.AuthID = Authors.AuthID order by SortTitle"_s
                                   << 6 << u"Name"_s << u", "_s;
    QTest::newRow("count") << u"Select count(*) as n from Books where Fiction"_s << 1 << u"n"_s << u"4"_s;
    QTest::newRow("distinct") << u"Select distinct AuthID from Books order by AuthID"_s << 4 << u"AuthID"_s
                              << u"-1"_s;
}

void TestDatabase::runsEveryQueryOfTheProgram()
{
    QFETCH(QString, sql);
    QFETCH(int, rows);
    QFETCH(QString, column);
    QFETCH(QString, first);

    for (RecordsetType type : {RecordsetType::Snapshot, RecordsetType::Dynaset}) {
        std::unique_ptr<Recordset> rs = fixture().openRecordset(sql, type);
        QCOMPARE(rs->recordCount(), rows);
        if (!column.isEmpty())
            QCOMPARE(rs->value(column).toString(), first);
        int walked = 0;
        for (; !rs->eof(); rs->moveNext())
            ++walked;
        QCOMPARE(walked, rows);
    }
}

void TestDatabase::upgradeStatementsGiveTheStoredTypes()
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = Database::create(dir.filePath(u"Quillary.mdb"_s));
    db->execute(u"CREATE TABLE Books (BookID COUNTER, Title TEXT (255), Paperback YESNO)"_s);
    db->execute(u"INSERT INTO Books (Title, Paperback) VALUES (\"Dune\", true)"_s);
    QCOMPARE(errorNumberOf([&] { db->openRecordset(u"select forid from books"_s, RecordsetType::Snapshot); }),
             DbErrorNumber::UnknownName);

    for (const QString& statement : {u"CREATE TABLE Formats (ForID COUNTER,ForDesc TEXT (40))"_s,
                                     u"CREATE TABLE Series (SerID COUNTER,SerDesc TEXT (40))"_s,
                                     u"ALTER TABLE books ADD COLUMN ForID LONG;"_s,
                                     u"ALTER TABLE books ADD COLUMN SerID LONG;"_s,
                                     u"ALTER TABLE books ADD COLUMN Vol LONG;"_s,
                                     u"ALTER TABLE books ADD COLUMN Issue LONG;"_s})
        db->execute(statement);

    std::unique_ptr<Recordset> formats = db->openRecordset(u"select * from formats"_s, RecordsetType::Dynaset);
    for (const QString& name : {u"Paperback"_s, u"Hardcover"_s}) {
        formats->addNew();
        formats->setValue(u"fordesc"_s, name);
        formats->update();
    }
    std::unique_ptr<Recordset> probe = db->openRecordset(u"select forid, vol from books"_s, RecordsetType::Snapshot);
    QCOMPARE(probe->recordCount(), 1);
    QVERIFY(probe->value(u"ForID"_s).isNull());

    std::unique_ptr<Recordset> check =
        db->openRecordset(u"select * from Formats where fordesc = 'HARDCOVER'"_s, RecordsetType::Snapshot);
    QCOMPARE(check->value(u"forid"_s), QVariant(qlonglong(2)));
    QCOMPARE(check->value(u"forid"_s).typeId(), QMetaType::LongLong);
}

void TestDatabase::textComparesWithoutCaseInEveryLanguage()
{
    std::unique_ptr<Recordset> rs =
        fixture().openRecordset(u"Select LastName, FirstName from Authors order by LastName, FirstName"_s,
                                RecordsetType::Snapshot);
    QStringList order;
    for (; !rs->eof(); rs->moveNext())
        order << rs->value(u"LastName"_s).toString() + u' ' + rs->value(u"FirstName"_s).toString();
    // É and é are one letter: the two authors sort together, by first name.
    QCOMPARE(order, (QStringList{u"O'Brien John"_s, u"Tolkien J. R. R."_s, u"Zola Émile"_s, u"Écrivain Anne"_s,
                                 u"écrivain Bob"_s}));
}

void TestDatabase::reportsQueryErrorsByNumber_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("number");
    QTest::newRow("unknown table") << u"select * from Bookz"_s << DbErrorNumber::TableNotFound;
    QTest::newRow("unknown column") << u"select * from Books where Titel = 'x'"_s << DbErrorNumber::UnknownName;
    QTest::newRow("syntax") << u"select * from Books where"_s << DbErrorNumber::SyntaxError;
    QTest::newRow("apostrophe typed into a criterion") << u"select * from Books where Title like 'O'Brien*'"_s
                                                       << DbErrorNumber::SyntaxError;
    QTest::newRow("value left to bind") << u"select * from Books where Vol = ?"_s << DbErrorNumber::SyntaxError;
    QTest::newRow("bad date") << u"select * from Books where BuyDate = #13/13/2001#"_s << DbErrorNumber::SyntaxError;
}

void TestDatabase::reportsQueryErrorsByNumber()
{
    QFETCH(QString, sql);
    QFETCH(int, number);
    QCOMPARE(errorNumberOf([&] { fixture().openRecordset(sql, RecordsetType::Snapshot); }), number);
    QVERIFY(!errorTextOf([&] { fixture().openRecordset(sql, RecordsetType::Snapshot); }).isEmpty());
}

void TestDatabase::transactionRollsBackOnThrow()
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = CatalogueFixture::create(dir);
    QVERIFY_THROWS_EXCEPTION(DbError, db->transaction([&] {
        db->execute(u"DELETE FROM Books"_s);
        db->execute(u"select * from nowhere"_s);
    }));
    QCOMPARE(rowCount(*db, u"Select BookID from Books"_s), 6);
    db->transaction([&] { db->execute(u"DELETE FROM Books WHERE BookID = 1"_s); });
    QCOMPARE(rowCount(*db, u"Select BookID from Books"_s), 5);
}

void TestDatabase::refusesBadFilesWithoutChangingThem_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("number");

    QByteArray random(8192, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char& byte : random)
        byte = char(generator.bounded(256));
    QByteArray sqliteHeaderThenGarbage = QByteArray("SQLite format 3\0", 16) + random.left(4080);

    QTest::newRow("empty") << QByteArray() << DbErrorNumber::NotADatabase;
    QTest::newRow("random bytes") << random << DbErrorNumber::NotADatabase;
    QTest::newRow("text") << QByteArray("Title\tAuthor\r\nThe Hobbit\tTolkien\r\n") << DbErrorNumber::NotADatabase;
    QTest::newRow("one byte") << QByteArray("S") << DbErrorNumber::NotADatabase;
    QTest::newRow("SQLite header, damaged rest") << sqliteHeaderThenGarbage << DbErrorNumber::NotADatabase;
    QTest::newRow("Jet catalogue")
        << contents(QStringLiteral(QUILLARY_SHARED_TESTDATA) + u"/jet/nwind.mdb"_s) << DbErrorNumber::UnrecognizedFormat;
    QByteArray ace = QByteArray(4, '\0') + "Standard ACE DB" + QByteArray(200, '\0');
    QTest::newRow("Access catalogue") << ace << DbErrorNumber::UnrecognizedFormat;
}

void TestDatabase::refusesBadFilesWithoutChangingThem()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, number);
    if (number == DbErrorNumber::UnrecognizedFormat)
        QVERIFY2(bytes.size() > 19, "the Jet sample file is missing");

    QTemporaryDir dir;
    const QString path = dir.filePath(u"Quillary.mdb"_s);
    write(path, bytes);
    for (Database::OpenMode mode : {Database::OpenMode::Exclusive, Database::OpenMode::Shared}) {
        const QString text = errorTextOf([&] { Database::open(path, mode); });
        QCOMPARE(errorNumberOf([&] { Database::open(path, mode); }), number);
        QVERIFY2(text.contains(QDir::toNativeSeparators(path)), qPrintable(text));
    }
    if (number == DbErrorNumber::UnrecognizedFormat)
        QVERIFY(errorTextOf([&] { Database::open(path); }).contains(u"older kind"_s));
    QCOMPARE(contents(path), bytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Quillary.mdb"_s});
}

void TestDatabase::refusesReadOnlyFileForChanges()
{
    QTemporaryDir dir;
    const QString path = CatalogueFixture::create(dir)->path();
    const QByteArray before = contents(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);

    QCOMPARE(errorNumberOf([&] { Database::open(path); }), DbErrorNumber::CannotOpenFile);
    QVERIFY(errorTextOf([&] { Database::open(path); }).contains(u"read-only"_s));
    // Reading it is fine.
    QCOMPARE(rowCount(*Database::open(path, Database::OpenMode::Shared), u"select * from Books"_s), 6);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(contents(path), before);
}

void TestDatabase::refusesFileInReadOnlyFolder()
{
    QTemporaryDir dir;
    const QString path = CatalogueFixture::create(dir)->path();
    const QByteArray before = contents(path);
    const QFile::Permissions folderPermissions = QFile::permissions(dir.path());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);

    const int number = errorNumberOf([&] { Database::open(path); });
    const QString text = errorTextOf([&] { Database::open(path); });
    QFile::setPermissions(dir.path(), folderPermissions);
    QCOMPARE(number, DbErrorNumber::CannotOpenFile);
    QVERIFY2(text.contains(u"folder"_s), qPrintable(text));
    QCOMPARE(contents(path), before);
}

void TestDatabase::refusesMissingFileAndFolder()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(u"Quillary.mdb"_s);
    QCOMPARE(errorNumberOf([&] { Database::open(missing); }), DbErrorNumber::FileNotFound);
    QCOMPARE(errorTextOf([&] { Database::open(missing); }),
             u"Could not find file '%1'."_s.arg(QDir::toNativeSeparators(missing)));
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(errorNumberOf([&] { Database::open(dir.path()); }), DbErrorNumber::CannotOpenFile);
    QCOMPARE(errorNumberOf([&] { Database::create(dir.filePath(u"no/such/folder.mdb"_s)); }), 3044);
}

void TestDatabase::exclusiveOpenKeepsOthersOut()
{
    QTemporaryDir dir;
    const QString path = CatalogueFixture::create(dir)->path();
    {
        std::unique_ptr<Database> first = Database::open(path);
        QCOMPARE(errorNumberOf([&] { Database::open(path); }), DbErrorNumber::AlreadyInUse);
        QVERIFY(errorTextOf([&] { Database::open(path); })
                    .startsWith(u"Could not use '%1'; file already in use."_s.arg(QDir::toNativeSeparators(path))));
        QCOMPARE(errorNumberOf([&] { Database::open(path, Database::OpenMode::Shared); }),
                 DbErrorNumber::AlreadyInUse);
        QCOMPARE(openInChildProcess(path), ChildFoundFileInUse);

        // A plain SQLite connection can neither read nor write it.
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &other, SQLITE_OPEN_READWRITE, nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "select count(*) from Books", nullptr, nullptr, nullptr), SQLITE_BUSY);
        sqlite3_close(other);

        // The holder itself goes on working.
        first->execute(u"UPDATE Books SET Notes = 'still mine' WHERE BookID = 1"_s);
        first->close();
    }
    QCOMPARE(openInChildProcess(path), ChildOpened);
    std::unique_ptr<Database> again = Database::open(path);
    QCOMPARE(rowCount(*again, u"select * from Books where Notes = 'still mine'"_s), 1);
}

void TestDatabase::sharedOpenReadsOnly()
{
    QTemporaryDir dir;
    const QString path = CatalogueFixture::create(dir)->path();
    std::unique_ptr<Database> reader = Database::open(path, Database::OpenMode::Shared);
    std::unique_ptr<Database> second = Database::open(path, Database::OpenMode::Shared);
    QCOMPARE(rowCount(*second, u"select * from RptSpec"_s), 4);
    QCOMPARE(errorNumberOf([&] { reader->execute(u"DELETE FROM RptSpec"_s); }), DbErrorNumber::ReadOnly);
    std::unique_ptr<Recordset> rs = reader->openRecordset(u"select * from RptSpec"_s, RecordsetType::Dynaset);
    QCOMPARE(errorNumberOf([&] { rs->edit(); rs->setValue(u"Desc"_s, u"x"_s); rs->update(); }),
             DbErrorNumber::ReadOnly);
}

void TestDatabase::createRefusesExistingFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Quillary.mdb"_s);
    write(path, "precious");
    QCOMPARE(errorNumberOf([&] { Database::create(path); }), 3204);
    QCOMPARE(contents(path), QByteArray("precious"));

    const QString fresh = dir.filePath(u"new.mdb"_s);
    std::unique_ptr<Database> db = Database::create(fresh);
    QVERIFY(db->isOpen());
    QCOMPARE(db->mode(), Database::OpenMode::Exclusive);
    QCOMPARE(openInChildProcess(fresh), ChildFoundFileInUse);
    db->close();
    QCOMPARE(rowCount(*Database::open(fresh), u"select * from sqlite_master"_s), 0);
}

void TestDatabase::closedDatabaseAndRecordsetsReport3420()
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = CatalogueFixture::create(dir);
    std::unique_ptr<Recordset> rs = db->openRecordset(u"Select * from Books"_s, RecordsetType::Dynaset);
    std::unique_ptr<Recordset> closedEarly = db->openRecordset(u"Select * from Books"_s, RecordsetType::Snapshot);
    closedEarly->close();
    QCOMPARE(errorNumberOf([&] { closedEarly->moveNext(); }), DbErrorNumber::ObjectClosed);
    const QString path = db->path();
    db.reset(); // the recordset outlives its database
    QCOMPARE(errorNumberOf([&] { rs->value(u"Title"_s); }), DbErrorNumber::ObjectClosed);
    QCOMPARE(errorNumberOf([&] { rs->recordCount(); }), DbErrorNumber::ObjectClosed);
    // The file is free again although the recordset still exists.
    QCOMPARE(openInChildProcess(path), ChildOpened);
}

void TestDatabase::compactsIntoNewFile()
{
    QTemporaryDir dir;
    const QString source = bigCatalogue(dir, 300);
    {
        std::unique_ptr<Database> db = Database::open(source);
        db->execute(u"DELETE FROM Books WHERE BookID > 10"_s);
    }
    const QString destination = dir.filePath(u"booknew.mdb"_s);
    compactDatabase(source, destination);
    QVERIFY(QFileInfo(destination).size() < QFileInfo(source).size());
    std::unique_ptr<Database> compacted = Database::open(destination);
    QCOMPARE(rowCount(*compacted, u"select * from Books"_s), 10);
    QCOMPARE(rowCount(*compacted, u"select * from Authors where LastName = 'écrivain'"_s), 2);
    compacted->close();

    const QByteArray before = contents(destination);
    QCOMPARE(errorNumberOf([&] { compactDatabase(source, destination); }), 3204);
    QCOMPARE(contents(destination), before);
}

void TestDatabase::repairRecoversReadableRowsAndKeepsDamagedFile()
{
    QTemporaryDir dir;
    const QString path = bigCatalogue(dir, 2000);
    const int total = 2000 + 6;
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.seek(file.size() / 2);
        file.write(QByteArray(3 * 4096, '\xa5'));
    }
    const QByteArray damaged = contents(path);
    QCOMPARE(errorNumberOf([&] {
                 std::unique_ptr<Database> db = Database::open(path);
                 std::unique_ptr<Recordset> rs =
                     db->openRecordset(u"select Notes from Books"_s, RecordsetType::Snapshot);
                 for (; !rs->eof(); rs->moveNext())
                     rs->value(u"Notes"_s);
             }),
             DbErrorNumber::NotADatabase);

    FixedClock clock(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    const RepairResult result = repairDatabase(path);
    QVERIFY2(result.recovered, qPrintable(result.message));
    const QString kept = dir.filePath(u"Quillary (damaged 2026-01-02 03-04-05).mdb"_s);
    QCOMPARE(result.damagedCopyPath, kept);
    QCOMPARE(contents(kept), damaged);
    QVERIFY(result.rowsRecovered > total / 2);
    QVERIFY(result.rowsRecovered < total + 5 + 2 + 3 + 1 + 2 + 2 + 1 + 4);
    QVERIFY2(result.message.contains(QString::number(result.rowsRecovered)), qPrintable(result.message));
    QVERIFY2(result.message.contains(QDir::toNativeSeparators(kept)), qPrintable(result.message));

    std::unique_ptr<Database> repaired = Database::open(path);
    std::unique_ptr<Recordset> check = repaired->openRecordset(u"PRAGMA integrity_check"_s, RecordsetType::Snapshot);
    QCOMPARE(check->value(0).toString(), u"ok"_s);
    const int books = rowCount(*repaired, u"select * from Books"_s);
    QVERIFY(books > 0 && books < total);
    QCOMPARE(rowCount(*repaired, u"select * from Authors"_s), 5);
    // The counter goes on above every key the damaged file had used.
    std::unique_ptr<Recordset> rs = repaired->openRecordset(u"select * from Books"_s, RecordsetType::Dynaset);
    rs->addNew();
    QCOMPARE(rs->value(u"BookID"_s).toLongLong(), qlonglong(total + 1));
}

void TestDatabase::openCatalogueIsNeitherRepairedNorCompacted()
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = CatalogueFixture::create(dir);
    const RepairResult result = repairDatabase(db->path());
    QVERIFY(!result.recovered);
    QVERIFY2(result.message.contains(u"open"_s), qPrintable(result.message));
    QCOMPARE(errorNumberOf([&] { compactDatabase(db->path(), dir.filePath(u"copy.mdb"_s)); }),
             DbErrorNumber::AlreadyInUse);
    QVERIFY(!QFile::exists(dir.filePath(u"copy.mdb"_s)));
    // Both left the holder's lock in place.
    QCOMPARE(openInChildProcess(db->path()), ChildFoundFileInUse);
}

void TestDatabase::repairLeavesUnrecoverableFileAlone_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("not a catalogue at all\r\n");
    QTest::newRow("SQLite header, nothing else readable")
        << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x5a');
    QTest::newRow("Jet catalogue") << contents(QStringLiteral(QUILLARY_SHARED_TESTDATA) + u"/jet/nwind.mdb"_s);
}

void TestDatabase::repairLeavesUnrecoverableFileAlone()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Quillary.mdb"_s);
    write(path, bytes);
    const RepairResult result = repairDatabase(path);
    QVERIFY(!result.recovered);
    QVERIFY2(result.message.contains(u"Nothing could be recovered"_s), qPrintable(result.message));
    QCOMPARE(contents(path), bytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Quillary.mdb"_s});
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--try-open") == 0)
        return tryOpenAsChild(QString::fromLocal8Bit(argv[2]));
    TestDatabase test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_database.moc"
