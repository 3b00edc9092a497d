#include "database/catalogue_fixture.h"
#include "database/database.h"
#include "database/database_repair.h"
#include "database/recordset.h"
#include "support/fixed_clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
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

// The shared Jet sample, or just the header of one where the sample is missing.
QByteArray jetCatalogue()
{
    const QByteArray sample = fileBytes(QStringLiteral(QUILLARY_SHARED_TESTDATA) + u"/jet/nwind.mdb"_s);
    return sample.isEmpty() ? QByteArray(4, '\0') + "Standard Jet DB" + QByteArray(2028, '\0') : sample;
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void runsEveryQueryOfTheProgram_data();
    void runsEveryQueryOfTheProgram();
    void reportsQueryErrorsByNumber_data();
    void reportsQueryErrorsByNumber();
    void transactionRollsBackOnThrow();

    void refusesAndCannotRepairBadFilesWithoutChangingThem_data();
    void refusesAndCannotRepairBadFilesWithoutChangingThem();
    void refusesPathsItCannotUse();
    void exclusiveOpenKeepsOthersOut();
    void closedDatabaseAndRecordsetsReport3420();

    void compactsIntoNewFile();
    void repairRecoversReadableRowsAndKeepsDamagedFile();

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

    const QString names = u"Select Title, FirstName, LastName"_s;
    const QString threeTables = names +
                                u", %1 from (Books left join Authors on Books.AuthID = Authors.AuthID) "
                                u"left join %2 on Books.%3 = %2.%3"_s;
    const QString byLocation = threeTables.arg(u"LocName"_s, u"Locations"_s, u"LocID"_s);
    const QString authorThenTitle = u" order by LastName, FirstName, SortTitle"_s;
    const QString firstByTitle = u"Title=A Book of Days"_s;

    // start-up, upgrade and lookup lists
    q("upgrade probe", u"select forid from books"_s, 6);
    q("formats to seed", u"select * from formats"_s, 2);
    q("paperback carry-over", u"select paperback, forid from books"_s, 6, u"paperback=true"_s);
    q("rsBooks", u"Select * from Books order by SortTitle"_s, 6, firstByTitle);
    q("rsBookEdit", u"Select * from Books"_s, 6);
    // the lookup lists, each in both spellings the program uses (Écrivain
    // among the Es, before O'Brien)
    for (const auto& [table, order, rows, check] :
         {std::tuple{"Authors", "LastName, FirstName", 5, "FirstName=Anne"},
          {"Publishers", "PubName", 2, "pubname=Ace"},
          {"Categories", "CatName", 3, "CatName=Fantasy"},
          {"categories", "CatName", 3, ""},
          {"Owners", "OwnName", 1, ""},
          {"Locations", "LocName", 2, "LocName=Attic"},
          {"formats", "fordesc", 2, "forID=2"},
          {"Formats", "fordesc", 2, ""},
          {"series", "serdesc", 1, ""},
          {"Series", "serdesc", 1, "serdesc=Middle-earth"}})
        QTest::addRow("list of %s", table)
            << u"Select * from %1 order by %2"_s.arg(QLatin1String(table), QLatin1String(order)) << rows
            << QString::fromUtf8(check);

    // search window
    q("search fields", u"Select * from RptSpec where usewith = 'books' order by specid"_s, 2,
      u"Desc=Title"_s);

    // standard lists; the other lists, the sort orders and the selection lists run,
    // row for row, in the tests of the windows and the session that issue them
    q("list 3, all", byLocation + u" order by LocName, LastName, FirstName, SortTitle"_s, 6, firstByTitle);
    q("list 3, one", byLocation + u" where Books.LocID = 1"_s + authorThenTitle, 3, u"Title=The Hobbit"_s);

    // counts
    q("quick count", u"Select BookID from Books"_s, 6);

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

    // removal of unused entries: a lookup's keys, then the books using key 1
    for (const auto& [table, key, bookKey, keys, books] : {std::tuple{"Authors", "AuthID", "AuthID", 5, 1},
                                                           {"Publishers", "PubID", "PubID", 2, 2},
                                                           {"Categories", "CatID", "CatID", 3, 2},
                                                           {"Owners", "OwnID", "OwnerID", 1, 3},
                                                           {"Locations", "LocID", "LocID", 2, 3},
                                                           {"formats", "forID", "forID", 2, 1},
                                                           {"series", "serID", "SerID", 1, 2}}) {
        QTest::addRow("keys of %s", table)
            << u"Select %1 from %2"_s.arg(QLatin1String(key), QLatin1String(table)) << keys << QString();
        QTest::addRow("books of %s", table)
            << u"Select BookID from Books where %1 = 1"_s.arg(QLatin1String(bookKey)) << books << QString();
    }

    // criteria as the windows write them
    const QString books = u"Select * from Books where "_s;
    q("apostrophe", u"Select * from Authors where LastName='O''Brien' and firstname='John'"_s, 1);
    q("contains", books + u"Title like \"*ring*\" order by SortTitle"_s, 3, u"Title=The Ring"_s);
    q("yes", books + u"Read = true order by SortTitle"_s, 2, u"Title=The Hobbit"_s);
    q("= null matches nothing", books + u"BuyDate = null"_s, 0);
    q("Null first", u"Select Title, BuyDate from Books order by BuyDate"_s, 6, u"Title=String Theory"_s);
    q("accents without case", u"Select * from Authors where LastName = 'ÉCRIVAIN'"_s, 2, u"FirstName=Anne"_s);
    q("like ?", u"Select Title from Books where Title like 'R?ngworld'"_s, 1);
    q("like #", u"Select Title from Books where ISBN like '#-###'"_s, 1, u"Title=The Ring"_s);
    q("like [!range]", u"Select Title from Books where Title like '[!a-s]*' order by Title"_s, 2,
      u"Title=The Hobbit"_s);
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

void TestDatabase::reportsQueryErrorsByNumber_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<int>("number");
    const QString books = u"select * from Books where "_s;
    QTest::newRow("unknown column") << books + u"Titel = 'x'"_s << DbErrorNumber::UnknownName;
    QTest::newRow("syntax") << u"select * from Books where"_s << DbErrorNumber::SyntaxError;
    QTest::newRow("apostrophe typed into a criterion")
        << books + u"Title like 'O'Brien*'"_s << DbErrorNumber::SyntaxError;
}

void TestDatabase::reportsQueryErrorsByNumber()
{
    QFETCH(QString, sql);
    const DbError error = failureOf([&] { fixture().openRecordset(sql, RecordsetType::Snapshot); });
    QTEST(error.number(), "number");
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
    QTest::newRow("Jet catalogue") << jetCatalogue() << DbErrorNumber::UnrecognizedFormat;
}

void TestDatabase::refusesAndCannotRepairBadFilesWithoutChangingThem()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, number);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Quillary.mdb"_s);
    QVERIFY(writeFile(path, bytes));
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
    QCOMPARE(fileBytes(path), bytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Quillary.mdb"_s});
}

// Missing or occupied paths are refused, and nothing on disk changes.
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
    const QByteArray before = fileBytes(path);
    QCOMPARE(errorNumberOf([&] { Database::create(path); }), 3204);
    QCOMPARE(fileBytes(path), before);
}

void TestDatabase::exclusiveOpenKeepsOthersOut()
{
    QTemporaryDir dir;
    const QString path = CatalogueFixture::create(dir)->path();
    {
        std::unique_ptr<Database> first = Database::open(path);
        const DbError inUse = failureOf([&] { Database::open(path); });
        QCOMPARE(inUse.number(), DbErrorNumber::AlreadyInUse);
        QVERIFY(inUse.text().startsWith(
            u"Could not use '%1'; file already in use."_s.arg(QDir::toNativeSeparators(path))));
        QCOMPARE(errorNumberOf([&] { Database::open(path, Database::OpenMode::Shared); }),
                 DbErrorNumber::AlreadyInUse);
        QCOMPARE(openInChildProcess(path), ChildFoundFileInUse);

        // The holder itself goes on working.
        first->execute(u"UPDATE Books SET Notes = 'still mine' WHERE BookID = 1"_s);
    }
    QCOMPARE(openInChildProcess(path), ChildOpened);
    QCOMPARE(rowCount(*Database::open(path), u"select * from Books where Notes = 'still mine'"_s), 1);
}

void TestDatabase::closedDatabaseAndRecordsetsReport3420()
{
    QTemporaryDir dir;
    std::unique_ptr<Database> db = CatalogueFixture::create(dir);
    std::unique_ptr<Recordset> rs = db->openRecordset(u"Select * from Books"_s, RecordsetType::Dynaset);
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
    const QByteArray before = fileBytes(destination);
    QCOMPARE(errorNumberOf([&] { compactDatabase(source, destination); }), 3204);
    QCOMPARE(fileBytes(destination), before);
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
    const QByteArray damaged = fileBytes(path);
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
    QCOMPARE(fileBytes(kept), damaged);
    QVERIFY(result.rowsRecovered > total / 2);
    QVERIFY2(result.message.contains(QDir::toNativeSeparators(kept)), qPrintable(result.message));

    std::unique_ptr<Database> repaired = Database::open(path);
    const int books = rowCount(*repaired, u"select * from Books"_s);
    QVERIFY(books > total / 2);
    const auto booksTable = std::find_if(result.tables.begin(), result.tables.end(),
                                         [](const TableRecovery& table) { return table.table == u"Books"; });
    QVERIFY(booksTable != result.tables.end());
    QCOMPARE(booksTable->rows, books);
    QVERIFY(books == total || booksTable->cameBackShort());
    QCOMPARE(rowCount(*repaired, u"select * from Authors"_s), 5);
    // The counter goes on above every key the damaged file had used.
    std::unique_ptr<Recordset> rs = repaired->openRecordset(u"select * from Books"_s, RecordsetType::Dynaset);
    rs->addNew();
    QCOMPARE(rs->value(u"BookID"_s).toLongLong(), qlonglong(total + 1));
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
