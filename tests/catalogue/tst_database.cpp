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
#include <sqlite3.h>

using namespace Qt::StringLiterals;
using CatalogueFixture::contents;
using CatalogueFixture::errorNumberOf;
using CatalogueFixture::failureOf;

namespace {

// The test program doubles as the "other process" of the exclusive-open test:
// run with --try-open PATH it opens the file and reports how that went.
constexpr int ChildOpened = 0;
constexpr int ChildFoundFileInUse = 45;

int tryOpenAsChild(const QString& path)
{
    try {
        Database::open(path);
        return ChildOpened;
    } catch (const DbError& error) {
        return error.number() == DbErrorNumber::AlreadyInUse ? ChildFoundFileInUse : 1;
    }
}

int openInChildProcess(const QString& path)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {u"--try-open"_s, path});
    return child.waitForFinished(60000) ? child.exitCode() : -1;
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

QString jetSample()
{
    return QStringLiteral(QUILLARY_SHARED_TESTDATA) + u"/jet/nwind.mdb"_s;
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void runsEveryQueryOfTheProgram_data();
    void runsEveryQueryOfTheProgram();
    void sortsAccentedCapitalsWithTheirSmallLetters();
    void reportsQueryErrorsByNumber_data();
    void reportsQueryErrorsByNumber();
    void transactionRollsBackOnThrow();

    void refusesAndCannotRepairBadFilesWithoutChangingThem_data();
    void refusesAndCannotRepairBadFilesWithoutChangingThem();
    void refusesPathsItCannotUse();
    void exclusiveOpenKeepsOthersOut();
    void sharedOpenReadsOnly();
    void closedDatabaseAndRecordsetsReport3420();

    void compactsIntoNewFile();
    void repairRecoversReadableRowsAndKeepsDamagedFile();
    void openCatalogueIsNeitherRepairedNorCompacted();

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

// Every SQL text the program issues, as its windows build it. check names a
// column and the first row's value where the order or a criterion shows in it.
void TestDatabase::runsEveryQueryOfTheProgram_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("check");
    const auto q = [](const char* name, const QString& sql, int rows, const QString& check = {}) {
        QTest::newRow(name) << sql << rows << check;
    };

    const QString byAuthor = u" from Books left join Authors on Books.AuthID = Authors.AuthID"_s;
    const QString names = u"Select Title, FirstName, LastName"_s;
    const QString threeTables = names +
                                u", %1 from (Books left join Authors on Books.AuthID = Authors.AuthID) "
                                u"left join %2 on Books.%3 = %2.%3"_s;
    const QString byLocation = threeTables.arg(u"LocName"_s, u"Locations"_s, u"LocID"_s);
    const QString byCategory = threeTables.arg(u"CatName"_s, u"Categories"_s, u"CatID"_s);
    const QString authorThenTitle = u" order by LastName, FirstName, SortTitle"_s;
    const QString firstByTitle = u"Title=A Book of Days"_s;

    // start-up, upgrade and lookup lists
    q("upgrade probe", u"select forid from books"_s, 6);
    q("formats to seed", u"select * from formats"_s, 2);
    q("paperback carry-over", u"select paperback, forid from books"_s, 6, u"paperback=true"_s);
    q("rsBooks", u"Select * from Books order by SortTitle"_s, 6, firstByTitle);
    q("rsBookEdit", u"Select * from Books"_s, 6);
    q("authors", u"Select * from Authors order by LastName, FirstName"_s, 5, u"LastName=O'Brien"_s);
    q("publishers", u"Select * from Publishers order by PubName"_s, 2, u"pubname=Ace"_s);
    q("categories", u"Select * from Categories order by CatName"_s, 3, u"CatName=Fantasy"_s);
    q("categories, lower case", u"Select * from categories order by CatName"_s, 3);
    q("owners", u"Select * from Owners order by OwnName"_s, 1);
    q("locations", u"Select * from Locations order by LocName"_s, 2, u"LocName=Attic"_s);
    q("formats", u"Select * from formats order by fordesc"_s, 2, u"forID=2"_s);
    q("Formats", u"Select * from Formats order by fordesc"_s, 2);
    q("series", u"Select * from series order by serdesc"_s, 1);
    q("Series", u"Select * from Series order by serdesc"_s, 1, u"serdesc=Middle-earth"_s);

    // sort orders: books without an author or category come first
    q("sort by author",
      u"Select forid, serid, vol, issue, BookID, Title, Books.AuthID as AuthID, PubID, Year, Paperback, New, "
      u"Read, BuyDate, ReadDate, Fiction, CatID, ISBN, CoverPrice, BuyPrice, Notes, OwnerID, LocID, "
      u"SortTitle, LastName, OnLoan, LoanedTo, LoanDate"_s +
          byAuthor + authorThenTitle,
      6, firstByTitle);
    q("sort by category",
      u"Select forid, serid, vol, issue, BookID, Title, AuthID, PubID, Year, Paperback, New, Read, BuyDate, "
      u"ReadDate, Fiction, Books.CatID as CatID, ISBN, CoverPrice, BuyPrice, Notes, OwnerID, LocID, "
      u"SortTitle, CatName, OnLoan, LoanedTo, LoanDate from Books left join Categories on Books.CatID = "
      u"Categories.CatID order by CatName, SortTitle"_s,
      6, u"Title=Nana"_s);

    // search window
    q("search fields", u"Select * from RptSpec where usewith = 'books' order by specid"_s, 2,
      u"Desc=Title"_s);
    q("lookup values", u"select AuthID as id, LastName as descr from Authors order by LastName"_s, 5,
      u"descr=O'Brien"_s);

    // standard lists
    q("list 1", names + byAuthor + u" order by SortTitle, LastName, FirstName"_s, 6, firstByTitle);
    q("list 2, all", names + byAuthor + authorThenTitle, 6, firstByTitle);
    q("list 2, one", names + byAuthor + u" where Books.AuthID = 3 order by SortTitle"_s, 2,
      u"Title=The Hobbit"_s);
    q("list 3, all", byLocation + u" order by LocName, LastName, FirstName, SortTitle"_s, 6, firstByTitle);
    q("list 3, one", byLocation + u" where Books.LocID = 1"_s + authorThenTitle, 3, u"Title=The Hobbit"_s);
    q("list 4, all", byCategory + u" order by CatName, LastName, FirstName, SortTitle"_s, 6, u"Title=Nana"_s);
    q("list 4, one", byCategory + u" where Books.CatID = 2"_s + authorThenTitle, 3, firstByTitle);
    q("list 5", names + u", CoverPrice, BuyPrice"_s + byAuthor + authorThenTitle, 6, u"CoverPrice="_s);
    q("list 6, read", names + u", ReadDate"_s + byAuthor + u" where Read"_s + authorThenTitle, 2,
      u"Title=The Hobbit"_s);
    q("list 6, unread", names + byAuthor + u" where not Read"_s + authorThenTitle, 4, firstByTitle);
    q("list 7",
      names + u", LoanedTo, LoanDate"_s + byAuthor +
          u" where OnLoan order by LoanedTo, LastName, FirstName, SortTitle"_s,
      1, u"LoanedTo=Ann"_s);
    q("choose author", u"select LastName, FirstName, AuthID from Authors order by LastName, FirstName"_s, 5);
    q("choose category", u"select CatName, CatID from Categories order by CatName"_s, 3);
    q("choose location", u"select LocName, LocID from Locations order by LocName"_s, 2, u"LocID=2"_s);

    // counts
    q("quick count", u"Select BookID from Books"_s, 6);
    q("count by category", u"Select BookID from Books where CatID = 2"_s, 3);

    // field catalogue and custom reports
    q("designer, by specid", u"Select * from RptSpec where usewith like '*books*' order by specid"_s, 3);
    q("designer, by desc", u"Select * from RptSpec where usewith like '*books*' order by [desc]"_s, 3,
      u"Desc=Author Last Name"_s);
    q("report key check", u"select usewith from rptspec where usewith = 'books'"_s, 2);
    q("custom report",
      u"Select Title, LastName, CoverPrice from (books left join Authors on books.AuthID = Authors.AuthID) "
      u"where  Title like 'The*' and CoverPrice < 20 order by LastName"_s,
      1, u"Title=The Ring"_s);
    q("custom report, dates",
      u"Select Title from books where  BuyDate >= #3/7/2001# and BuyDate <= #3/31/2001# order by Title"_s, 2);
    q("custom report, times",
      u"Select Title from books where  BuyDate >= #12/31/1999 10:00:00 PM# and BuyDate <= "
      u"#12/31/1999 11:00:00 PM#"_s,
      1, u"Title=The Hobbit"_s);
    q("custom report, false", u"Select Title from books where  not Fiction order by SortTitle"_s, 2);

    // removal of unused entries
    q("authors in use", u"Select AuthID from Authors"_s, 5);
    q("books of author", u"Select BookID from Books where AuthID = 3"_s, 2);
    q("publishers in use", u"Select PubID from Publishers"_s, 2);
    q("books of publisher", u"Select BookID from Books where PubID = 1"_s, 2);
    q("categories in use", u"Select CatID from Categories"_s, 3);
    q("books of category", u"Select BookID from Books where CatID = 3"_s, 0);
    q("owners in use", u"Select OwnID from Owners"_s, 1);
    q("books of owner", u"Select BookID from Books where OwnerID = 1"_s, 3);
    q("locations in use", u"Select LocID from Locations"_s, 2);
    q("books of location", u"Select BookID from Books where LocID = 2"_s, 2);
    q("formats in use", u"Select forID from formats"_s, 2);
    q("books of format", u"Select BookID from Books where forID = 1"_s, 1);
    q("series in use", u"Select serID from series"_s, 1);
    q("books of series", u"Select BookID from Books where SerID = 1"_s, 2);

    // criteria as the windows write them
    const QString books = u"Select * from Books where "_s;
    q("by key", books + u"bookid = 5"_s, 1, u"Title=Nana"_s);
    q("apostrophe", u"Select * from Authors where LastName='O''Brien' and firstname='John'"_s, 1);
    q("contains", books + u"Title like \"*ring*\" order by SortTitle"_s, 3, u"Title=The Ring"_s);
    q("begins with", books + u"Title like \"ring*\""_s, 1, u"Title=Ringworld"_s);
    q("equals, other case", books + u"Title like \"the ring\""_s, 1);
    q("date from", books + u"BuyDate >= #3/7/2001# order by SortTitle"_s, 3, firstByTitle);
    q("yes", books + u"Read = true order by SortTitle"_s, 2, u"Title=The Hobbit"_s);
    q("no", books + u"Read = false order by SortTitle"_s, 4);
    q("= null matches nothing", books + u"BuyDate = null"_s, 0);
    q("Null first", u"Select Title, BuyDate from Books order by BuyDate"_s, 6, u"Title=String Theory"_s);
    q("Null last descending", u"Select Title from Books order by BuyDate desc"_s, 6, firstByTitle);
    q("accents without case", u"Select * from Authors where LastName = 'ÉCRIVAIN'"_s, 2, u"FirstName=Anne"_s);
    q("like ?", u"Select Title from Books where Title like 'R?ngworld'"_s, 1);
    q("like #", u"Select Title from Books where ISBN like '#-###'"_s, 1, u"Title=The Ring"_s);
    q("like [list]", u"Select Title from Books where Title like '[nr]*' order by Title"_s, 2,
      u"Title=Nana"_s);
    q("like [!range]", u"Select Title from Books where Title like '[!a-s]*' order by Title"_s, 2,
      u"Title=The Hobbit"_s);
    q("like on Null", u"Select Title from Books where LoanedTo like '*'"_s, 2);
    q("concatenation",
      u"Select LastName & \", \" & FirstName as Name"_s + byAuthor + u" order by SortTitle"_s, 6,
      u"Name=, "_s);
    q("count", u"Select count(*) as n from Books where Fiction"_s, 1, u"n=4"_s);
    q("distinct", u"Select distinct AuthID from Books order by AuthID"_s, 4, u"AuthID=-1"_s);
}

void TestDatabase::runsEveryQueryOfTheProgram()
{
    QFETCH(QString, sql);
    QFETCH(int, rows);
    QFETCH(QString, check);
    for (RecordsetType type : {RecordsetType::Snapshot, RecordsetType::Dynaset}) {
        std::unique_ptr<Recordset> rs = fixture().openRecordset(sql, type);
        QCOMPARE(rs->recordCount(), rows);
        if (!check.isEmpty())
            QCOMPARE(rs->value(check.section(u'=', 0, 0)).toString(), check.section(u'=', 1));
        int walked = 0;
        for (; !rs->eof(); rs->moveNext())
            ++walked;
        QCOMPARE(walked, rows);
    }
}

void TestDatabase::sortsAccentedCapitalsWithTheirSmallLetters()
{
    std::unique_ptr<Recordset> rs = fixture().openRecordset(
        u"Select LastName, FirstName from Authors order by LastName, FirstName"_s, RecordsetType::Snapshot);
    QStringList order;
    for (; !rs->eof(); rs->moveNext())
        order << rs->value(u"LastName"_s).toString() + u' ' + rs->value(u"FirstName"_s).toString();
    // É and é are one letter: the two authors sort together, by first name.
    QCOMPARE(order, (QStringList{u"O'Brien John"_s, u"Tolkien J. R. R."_s, u"Zola Émile"_s,
                                 u"Écrivain Anne"_s, u"écrivain Bob"_s}));
}

void TestDatabase::reportsQueryErrorsByNumber_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("number");
    const QString books = u"select * from Books where "_s;
    QTest::newRow("unknown table") << u"select * from Bookz"_s << DbErrorNumber::TableNotFound;
    QTest::newRow("unknown column") << books + u"Titel = 'x'"_s << DbErrorNumber::UnknownName;
    QTest::newRow("syntax") << u"select * from Books where"_s << DbErrorNumber::SyntaxError;
    QTest::newRow("apostrophe typed into a criterion")
        << books + u"Title like 'O'Brien*'"_s << DbErrorNumber::SyntaxError;
    QTest::newRow("value left to bind") << books + u"Vol = ?"_s << DbErrorNumber::SyntaxError;
    QTest::newRow("bad date") << books + u"BuyDate = #13/13/2001#"_s << DbErrorNumber::SyntaxError;
}

void TestDatabase::reportsQueryErrorsByNumber()
{
    QFETCH(QString, sql);
    QFETCH(int, number);
    const DbError error = failureOf([&] { fixture().openRecordset(sql, RecordsetType::Snapshot); });
    QCOMPARE(error.number(), number);
    QVERIFY(!error.text().isEmpty());
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

void TestDatabase::refusesAndCannotRepairBadFilesWithoutChangingThem_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("number");

    QByteArray random(8192, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char& byte : random)
        byte = char(generator.bounded(256));

    QTest::newRow("empty") << QByteArray() << DbErrorNumber::NotADatabase;
    QTest::newRow("random bytes") << random << DbErrorNumber::NotADatabase;
    QTest::newRow("text") << QByteArray("Title\tAuthor\r\nThe Hobbit\tTolkien\r\n")
                          << DbErrorNumber::NotADatabase;
    QTest::newRow("SQLite header, damaged rest")
        << QByteArray("SQLite format 3\0", 16) + random.left(4080) << DbErrorNumber::NotADatabase;
    QTest::newRow("Jet catalogue") << contents(jetSample()) << DbErrorNumber::UnrecognizedFormat;
    QTest::newRow("Access catalogue") << QByteArray(4, '\0') + "Standard ACE DB" + QByteArray(200, '\0')
                                      << DbErrorNumber::UnrecognizedFormat;
}

void TestDatabase::refusesAndCannotRepairBadFilesWithoutChangingThem()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, number);
    if (number == DbErrorNumber::UnrecognizedFormat)
        QVERIFY2(bytes.size() > 19, "the Jet sample file is missing");

    QTemporaryDir dir;
    const QString path = dir.filePath(u"Quillary.mdb"_s);
    QVERIFY(CatalogueFixture::write(path, bytes));
    for (Database::OpenMode mode : {Database::OpenMode::Exclusive, Database::OpenMode::Shared}) {
        const DbError error = failureOf([&] { Database::open(path, mode); });
        QCOMPARE(error.number(), number);
        QVERIFY2(error.text().contains(QDir::toNativeSeparators(path)), qPrintable(error.text()));
        if (number == DbErrorNumber::UnrecognizedFormat)
            QVERIFY2(error.text().contains(u"older kind"_s), qPrintable(error.text()));
    }
    const RepairResult result = repairDatabase(path);
    QVERIFY(!result.recovered);
    QVERIFY2(result.message.contains(u"Nothing could be recovered"_s), qPrintable(result.message));
    QCOMPARE(contents(path), bytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Quillary.mdb"_s});
}

// Missing, read-only or occupied paths are refused, and nothing on disk changes.
void TestDatabase::refusesPathsItCannotUse()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(u"missing.mdb"_s);
    const DbError notFound = failureOf([&] { Database::open(missing); });
    QCOMPARE(notFound.number(), DbErrorNumber::FileNotFound);
    QCOMPARE(notFound.text(), u"Could not find file '%1'."_s.arg(QDir::toNativeSeparators(missing)));
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(errorNumberOf([&] { Database::open(dir.path()); }), DbErrorNumber::CannotOpenFile);
    QCOMPARE(errorNumberOf([&] { Database::create(dir.filePath(u"no/such/folder.mdb"_s)); }), 3044);

    const QString path = CatalogueFixture::create(dir)->path();
    const QByteArray before = contents(path);
    QCOMPARE(errorNumberOf([&] { Database::create(path); }), 3204);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const DbError readOnlyFile = failureOf([&] { Database::open(path); });
    QCOMPARE(readOnlyFile.number(), DbErrorNumber::CannotOpenFile);
    QVERIFY(readOnlyFile.text().contains(u"read-only"_s));
    QCOMPARE(rowCount(*Database::open(path, Database::OpenMode::Shared), u"select * from Books"_s), 6);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

    const QFile::Permissions folderPermissions = QFile::permissions(dir.path());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const DbError readOnlyFolder = failureOf([&] { Database::open(path); });
    QFile::setPermissions(dir.path(), folderPermissions);
    QCOMPARE(readOnlyFolder.number(), DbErrorNumber::CannotOpenFile);
    QVERIFY2(readOnlyFolder.text().contains(u"folder"_s), qPrintable(readOnlyFolder.text()));
    QCOMPARE(contents(path), before);
}

void TestDatabase::exclusiveOpenKeepsOthersOut()
{
    QTemporaryDir dir;
    const QString path = CatalogueFixture::create(dir)->path();
    // A new file is held exclusively, like an opened one.
    QCOMPARE(openInChildProcess(Database::create(dir.filePath(u"new.mdb"_s))->path()), ChildFoundFileInUse);
    {
        std::unique_ptr<Database> first = Database::open(path);
        const DbError inUse = failureOf([&] { Database::open(path); });
        QCOMPARE(inUse.number(), DbErrorNumber::AlreadyInUse);
        QVERIFY(inUse.text().startsWith(
            u"Could not use '%1'; file already in use."_s.arg(QDir::toNativeSeparators(path))));
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
    }
    QCOMPARE(openInChildProcess(path), ChildOpened);
    QCOMPARE(rowCount(*Database::open(path), u"select * from Books where Notes = 'still mine'"_s), 1);
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
    QCOMPARE(errorNumberOf([&] {
                 rs->edit();
                 rs->setValue(u"Desc"_s, u"x"_s);
                 rs->update();
             }),
             DbErrorNumber::ReadOnly);
}

void TestDatabase::closedDatabaseAndRecordsetsReport3420()
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = CatalogueFixture::create(dir);
    std::unique_ptr<Recordset> rs = db->openRecordset(u"Select * from Books"_s, RecordsetType::Dynaset);
    std::unique_ptr<Recordset> closedEarly =
        db->openRecordset(u"Select * from Books"_s, RecordsetType::Snapshot);
    closedEarly->close();
    QCOMPARE(errorNumberOf([&] { closedEarly->moveNext(); }), DbErrorNumber::ObjectClosed);
    const QString path = db->path();
    db.reset(); // the recordset outlives its database
    QCOMPARE(errorNumberOf([&] { rs->value(u"Title"_s); }), DbErrorNumber::ObjectClosed);
    // The file is free again although the recordset still exists.
    QCOMPARE(openInChildProcess(path), ChildOpened);
}

void TestDatabase::compactsIntoNewFile()
{
    QTemporaryDir dir;
    const QString source = bigCatalogue(dir, 300);
    Database::open(source)->execute(u"DELETE FROM Books WHERE BookID > 10"_s);
    const QString destination = dir.filePath(u"booknew.mdb"_s);
    compactDatabase(source, destination);
    QVERIFY(QFileInfo(destination).size() < QFileInfo(source).size());
    {
        std::unique_ptr<Database> compacted = Database::open(destination);
        QCOMPARE(rowCount(*compacted, u"select * from Books"_s), 10);
        QCOMPARE(rowCount(*compacted, u"select * from Authors where LastName = 'écrivain'"_s), 2);
    }
    // Never over an existing file.
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
                 auto rs = db->openRecordset(u"select Notes from Books"_s, RecordsetType::Snapshot);
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
    QVERIFY2(result.message.contains(QString::number(result.rowsRecovered)), qPrintable(result.message));
    QVERIFY2(result.message.contains(QDir::toNativeSeparators(kept)), qPrintable(result.message));

    std::unique_ptr<Database> repaired = Database::open(path);
    QCOMPARE(
        repaired->openRecordset(u"PRAGMA integrity_check"_s, RecordsetType::Snapshot)->value(0).toString(),
        u"ok"_s);
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
