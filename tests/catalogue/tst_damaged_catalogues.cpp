// Damaged, truncated and foreign files where the catalogue should be: the
// start-up must end (no endless repair), keep the file it found byte for byte
// (in place or beside the repaired one), and either show the books it could
// recover or say truly why it cannot.

#include "catalogue/book_session.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/sample_catalogue.h"
#include "common/progress.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/recordset.h"
#include "support/file_contents.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>
#include <random>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype PageSize = 4096;

// A random run of bytes replaced by another random run of another length.
QByteArray randomRun(QByteArray bytes, quint32 seed)
{
    std::mt19937 random(seed);
    const auto between = [&random](qsizetype low, qsizetype high) {
        return std::uniform_int_distribution<qsizetype>(low, high)(random);
    };
    const qsizetype offset = between(0, bytes.size() - 1);
    const qsizetype removed = between(1, 500);
    QByteArray inserted(between(1, 500), '\0');
    for (char& byte : inserted)
        byte = char(between(0, 255));
    return bytes.replace(offset, removed, inserted);
}

// Every CREATE statement of the schema overwritten with blanks but its first
// letter: the tables' pages are intact, their definitions unreadable.
QByteArray schemaTextDamaged(QByteArray bytes)
{
    const QByteArray page1 = bytes.left(PageSize);
    for (qsizetype at = page1.indexOf("CREATE "); at >= 0; at = page1.indexOf("CREATE ", at + 1))
        for (qsizetype i = at + 1; i < at + 7; ++i)
            bytes[i] = '#';
    return bytes;
}

QByteArray damaged(const QString& how, int parameter, const QByteArray& sample)
{
    QByteArray bytes = sample;
    if (how == u"zero pages") {
        const qsizetype middle = bytes.size() / PageSize / 2 * PageSize;
        bytes.replace(middle, parameter * PageSize, QByteArray(parameter * PageSize, '\0'));
    } else if (how == u"scribble") {
        for (qsizetype i = parameter; i < 2 * PageSize; ++i)
            bytes[i] = char(0xAB);
    } else if (how == u"random run") {
        bytes = randomRun(bytes, quint32(parameter));
    } else if (how == u"truncate") {
        bytes.truncate(parameter);
    } else if (how == u"cut pages") {
        bytes.truncate(bytes.size() - parameter * PageSize);
    } else if (how == u"schema text") {
        bytes = schemaTextDamaged(bytes);
    }
    return bytes;
}

bool passesIntegrityCheck(const QByteArray& bytes)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"check.db"_s);
    if (!writeFile(path, bytes))
        return false;
    sqlite3* db = nullptr;
    bool ok = false;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            ok = qstrcmp(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "ok") == 0;
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return ok;
}

int booksIn(const QString& path)
{
    auto db = Database::open(path, Database::OpenMode::Shared);
    auto rs = db->openRecordset(u"select count(*) from Books"_s, RecordsetType::Snapshot);
    return rs->value(0).toInt();
}

void putBigEndian(QByteArray& bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (24 - 8 * i));
}

// A rollback journal as SQLite writes it before a commit: a header (one
// sector), then the original pages 1..pages of source, each with its number
// and checksum.
QByteArray rollbackJournal(const QByteArray& source, int pages)
{
    constexpr qsizetype Sector = 512;
    constexpr quint32 Nonce = 0x1234567;
    QByteArray journal(Sector, '\0');
    journal.replace(0, 8, QByteArray("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8));
    putBigEndian(journal, 8, quint32(pages));
    putBigEndian(journal, 12, Nonce);
    putBigEndian(journal, 16, quint32(source.size() / PageSize));
    putBigEndian(journal, 20, quint32(Sector));
    putBigEndian(journal, 24, quint32(PageSize));
    for (int page = 1; page <= pages; ++page) {
        const QByteArray data = source.mid((page - 1) * PageSize, PageSize);
        quint32 checksum = Nonce;
        for (qsizetype i = PageSize - 200; i > 0; i -= 200)
            checksum += quint8(data[i]);
        QByteArray record(4, '\0');
        putBigEndian(record, 0, quint32(page));
        record += data;
        record += QByteArray(4, '\0');
        putBigEndian(record, 4 + PageSize, checksum);
        journal += record;
    }
    return journal;
}

// Every table with its columns and every index: what a repaired file must
// have whatever the damaged one lost.
QStringList layoutOf(const QString& path)
{
    auto db = Database::open(path, Database::OpenMode::Shared);
    return nativeRows(*db, "SELECT m.type, m.name, group_concat(c.name) FROM sqlite_master m "
                           "LEFT JOIN pragma_table_info(m.name) c WHERE m.sql IS NOT NULL "
                           "GROUP BY m.type, m.name ORDER BY m.type, m.name");
}

QByteArray replacedOnce(QByteArray bytes, const QByteArray& from, const QByteArray& to)
{
    const qsizetype at = bytes.indexOf(from);
    return at < 0 ? QByteArray() : bytes.replace(at, from.size(), to);
}

// A change made through the schema of the file itself (SQL run with the
// schema writable), one connection per step so each sees the last.
void throughSchema(const TemporaryCatalogue& catalogue, const QList<QByteArray>& steps)
{
    for (const QByteArray& step : steps)
        catalogue.executeNative("PRAGMA writable_schema = ON; " + step);
}

// What the progress reporter was told: each piece of work's text.
class RecordedProgress final : public ProgressReporter
{
public:
    RecordedProgress() { setProgressReporter(this); }
    ~RecordedProgress() override { setProgressReporter(nullptr); }
    void begin(const QString& text) override { begun << text; }
    void advance(qint64, qint64) override {}
    void end() override { ++ended; }
    QStringList begun;
    int ended = 0;
};

} // namespace

class TestDamagedCatalogues : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TemporaryCatalogue source(SampleOptions{150, 0, 9, false});
        m_sample = fileBytes(source.path());
        QVERIFY(m_sample.size() > 8 * PageSize);
    }
    void startupEndsKeepsTheFileAndTellsTheTruth_data();
    void startupEndsKeepsTheFileAndTellsTheTruth();
    void journalOfAnotherFileIsSetAside_data();
    void journalOfAnotherFileIsSetAside();
    void repairGivesTheWholeLayoutAndEveryRow_data();
    void repairGivesTheWholeLayoutAndEveryRow();
    void checkAtOpenFindsWhatQuickCheckMisses_data();
    void checkAtOpenFindsWhatQuickCheckMisses();
    void unfinishedRepairIsToldOnce();
    void foreignDatabaseIsToldOnceAndLeftAlone();
    void newCatalogueInReadOnlyFolderNamesTheFile();

private:
    QByteArray m_sample; // 150 books
};

void TestDamagedCatalogues::startupEndsKeepsTheFileAndTellsTheTruth_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("parameter");
    QTest::addColumn<bool>("mustRecover"); // the books must come back, not only a true message
    // Damaged by another program after this one had closed the sound file cleanly.
    QTest::addColumn<bool>("afterCleanClose");
    QTest::newRow("two pages zeroed") << u"zero pages"_s << 2 << true << false;
    QTest::newRow("scribbled over page 2") << u"scribble"_s << 4196 << true << false;
    QTest::newRow("last page cut off") << u"cut pages"_s << 1 << true << false;
    QTest::newRow("four pages cut off") << u"cut pages"_s << 4 << true << false;
    QTest::newRow("schema text unreadable") << u"schema text"_s << 0 << true << false;
    QTest::newRow("two pages zeroed after a clean close") << u"zero pages"_s << 2 << true << true;
    QTest::newRow("scribbled over page 2 after a clean close") << u"scribble"_s << 4196 << true << true;
    for (const int length : {24, 50, 95, 100, 1000, 4095, 4096, 5000})
        QTest::addRow("truncated to %d bytes", length) << u"truncate"_s << length << false << false;
    for (int seed = 1; seed <= 40; ++seed)
        QTest::addRow("random run, seed %d", seed) << u"random run"_s << seed << false << false;
}

void TestDamagedCatalogues::startupEndsKeepsTheFileAndTellsTheTruth()
{
    QFETCH(QString, how);
    QFETCH(int, parameter);
    QFETCH(bool, mustRecover);
    QFETCH(bool, afterCleanClose);
    const QByteArray bytes = damaged(how, parameter, m_sample);
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::NoFile);
    ScopedScriptedDialogs dialogs;
    if (afterCleanClose) {
        QVERIFY(writeFile(catalogue.path(), m_sample));
        BookSession earlier;
        QVERIFY(earlier.open(catalogue.folder()));
        earlier.close();
        QVERIFY(dialogs.texts().isEmpty());
    }
    const QDateTime lastWritten = QFileInfo(catalogue.path()).lastModified();
    QVERIFY(writeFile(catalogue.path(), bytes));
    if (afterCleanClose) {
        // Written later than the close, however coarse the file system's clock.
        QFile file(catalogue.path());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(lastWritten.addSecs(2), QFileDevice::FileModificationTime));
    }
    const bool intact = passesIntegrityCheck(bytes);

    BookSession session;
    const bool opened = session.open(catalogue.folder());
    const QString said = dialogs.texts().join(u"\n"_s);
    const QDir folder(catalogue.folder());
    const QStringList damagedCopies = folder.entryList({u"Quillary (damaged*"_s}, QDir::Files);

    // No leftover of the repair, at most one copy kept, and never a flood.
    QVERIFY2(folder.entryList({u"*repairing*"_s}, QDir::Files).isEmpty(),
             qPrintable(folder.entryList().join(u", "_s)));
    QVERIFY(damagedCopies.size() <= 1);
    QVERIFY2(dialogs.messages().size() <= 2, qPrintable(said));
    // The file found is kept byte for byte, in place or beside the repaired one.
    const QString kept = damagedCopies.isEmpty() ? catalogue.path() : folder.filePath(damagedCopies.first());
    QVERIFY2(fileBytes(kept) == bytes, qPrintable(said));

    if (!damagedCopies.isEmpty()) {
        // Repaired: the start-up goes on with every recordset on the new file.
        QVERIFY2(opened, qPrintable(said));
        QVERIFY(session.rsBooks() && session.rsBookEdit());
        for (const LookupField field : LookupOpenOrder)
            QVERIFY(session.lookupRecordset(field));
        session.close();
        const int books = booksIn(catalogue.path());
        QVERIFY2(said.contains(QDir::toNativeSeparators(kept)), qPrintable(said));
        QVERIFY2(said.contains(u" %1 book"_s.arg(books)), qPrintable(said));
        if (mustRecover)
            QVERIFY2(books > 0, qPrintable(said));
    } else if (opened) {
        // Opened as it was: only a file SQLite finds sound may open without a word.
        QVERIFY2(intact || !said.isEmpty(), qPrintable(said));
        QVERIFY(!mustRecover || !said.isEmpty());
    } else {
        QVERIFY2(!mustRecover, qPrintable(said));
        QVERIFY2(said.contains(QDir::toNativeSeparators(catalogue.path())), qPrintable(said));
        QVERIFY2(said.contains(u"kept"_s) || said.contains(u"left as it was"_s) ||
                     said.contains(u"not changed"_s),
                 qPrintable(said));
    }
}

void TestDamagedCatalogues::journalOfAnotherFileIsSetAside_data()
{
    QTest::addColumn<bool>("ofAnotherFile");
    QTest::newRow("journal of a later state, the backup put back") << true;
    QTest::newRow("journal of this catalogue") << false;
}

void TestDamagedCatalogues::journalOfAnotherFileIsSetAside()
{
    QFETCH(bool, ofAnotherFile);
    // The catalogue went on after the backup was taken; the crash left a
    // journal of that later state.
    TemporaryCatalogue later(TemporaryCatalogue::Layout::NoFile);
    QVERIFY(writeFile(later.path(), m_sample));
    later.executeNative("UPDATE Books SET Title = Title || ' (2nd edition)' WHERE rowid % 3 = 0;");
    const QByteArray journalSource = ofAnotherFile ? fileBytes(later.path()) : m_sample;
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::NoFile);
    QVERIFY(writeFile(catalogue.path(), m_sample));
    const QByteArray journal = rollbackJournal(journalSource, 3);
    QVERIFY(writeFile(catalogue.path() + u"-journal"_s, journal));
    ScopedScriptedDialogs dialogs;

    BookSession session;
    QVERIFY(session.open(catalogue.folder()));
    session.close();

    // The catalogue is as it was either way: the foreign journal was never
    // applied, and this file's own journal only put back what it held.
    QCOMPARE(fileBytes(catalogue.path()), m_sample);
    QVERIFY(!QFile::exists(catalogue.path() + u"-journal"_s));
    const QStringList kept = QDir(catalogue.folder()).entryList({u"*set aside*"_s}, QDir::Files);
    QCOMPARE(kept.size(), ofAnotherFile ? 1 : 0);
    QCOMPARE(dialogs.messages().size(), ofAnotherFile ? 1 : 0);
    if (ofAnotherFile) {
        QCOMPARE(fileBytes(QDir(catalogue.folder()).filePath(kept.first())), journal);
        QVERIFY(dialogs.texts().first().contains(
            QDir::toNativeSeparators(QDir(catalogue.folder()).filePath(kept.first()))));
    }
}

void TestDamagedCatalogues::repairGivesTheWholeLayoutAndEveryRow_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("earlierLayout");
    QTest::addColumn<int>("booksLost");      // -1: some, as many as the damage took
    QTest::addColumn<QString>("shortTable"); // named in the message as come back short
    QTest::newRow("a collation and a keyword of the schema text")
        << u"schema bytes"_s << false << 0 << QString();
    QTest::newRow("page 2 overwritten, the authors' table with it")
        << u"page 2"_s << false << 0 << u"Authors"_s;
    QTest::newRow("first page destroyed") << u"first page"_s << false << 0 << QString();
    QTest::newRow("the publishers' table gone from the schema")
        << u"table entry"_s << false << 0 << QString();
    QTest::newRow("a column name damaged") << u"column name"_s << false << 0 << QString();
    QTest::newRow("earlier layout, schema text damaged") << u"schema bytes"_s << true << 0 << QString();
}

// Whatever the damage took, the repaired catalogue has every table, column
// and index of the current layout, every book the damaged file still held,
// and a message whose counts are the file's.
void TestDamagedCatalogues::repairGivesTheWholeLayoutAndEveryRow()
{
    QFETCH(QString, how);
    QFETCH(bool, earlierLayout);
    QFETCH(int, booksLost);
    QFETCH(QString, shortTable);
    TemporaryCatalogue fresh;
    const QStringList currentLayout = layoutOf(fresh.path());
    TemporaryCatalogue catalogue(SampleOptions{300, 60, 4, earlierLayout});
    const QStringList authorsBefore =
        nativeRows(*catalogue.open(), "SELECT AuthID, LastName, FirstName FROM Authors ORDER BY AuthID");
    const QStringList paperbacksBefore =
        nativeRows(*catalogue.open(), "SELECT BookID FROM Books WHERE Paperback ORDER BY BookID");
    QByteArray bytes = fileBytes(catalogue.path());
    if (how == u"schema bytes") {
        // The earlier layout still names SQLite's own rule.
        bytes = earlierLayout
                    ? replacedOnce(bytes, "Title TEXT COLLATE NOCASE", "Title TEXT COLLATE NOGASE")
                    : replacedOnce(bytes, "Title TEXT COLLATE QUILLARY", "Title TEXT COLLATE QUILLAGY");
        bytes = replacedOnce(bytes, "CREATE INDEX Owners_OwnName", "CREAUE INDEX Owners_OwnName");
    } else if (how == u"page 2") {
        bytes.replace(4196, 8192 - 4196, QByteArray(8192 - 4196, char(0xAB)));
    } else if (how == u"first page") {
        bytes.replace(0, PageSize, QByteArray(PageSize, '\0'));
    }
    if (how == u"table entry")
        throughSchema(catalogue,
                      {"DELETE FROM sqlite_master WHERE name IN ('Publishers', 'Publishers_PubName')"});
    else if (how == u"column name")
        throughSchema(catalogue,
                      {"UPDATE sqlite_master SET sql = replace(sql, 'FirstName TEXT', 'FirstNaxe TEXT') "
                       "WHERE name = 'Authors'"});
    else
        QVERIFY(writeFile(catalogue.path(), bytes));
    ScopedScriptedDialogs dialogs;

    BookSession session;
    QVERIFY(session.open(catalogue.folder()));
    session.close();
    const QString said = dialogs.texts().join(u"\n"_s);
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(!said.contains(u"Nothing was changed"_s) && !said.contains(u"not a catalogue"_s),
             qPrintable(said));
    QCOMPARE(layoutOf(catalogue.path()), currentLayout);
    auto repaired = catalogue.open();
    const int books = nativeRows(*repaired, "SELECT count(*) FROM Books").first().toInt();
    QVERIFY2(booksLost < 0 ? books > 0 : books == 300 - booksLost, qPrintable(said));
    QVERIFY2(said.contains(u": %1 books and"_s.arg(books)), qPrintable(said));
    // A table whose rows came back from an index is named, with its counts.
    QVERIFY2(shortTable.isEmpty() || said.contains(shortTable + u": "_s), qPrintable(said));
    QCOMPARE(nativeRows(*repaired, "SELECT AuthID, LastName, FirstName FROM Authors ORDER BY AuthID"),
             authorsBefore);
    QCOMPARE(nativeRows(*repaired, "SELECT count(*) FROM Books WHERE coalesce(Title, '') = ''"),
             QStringList{u"0"_s});
    if (earlierLayout) {
        // As the upgrade would have made them: paperbacks 1, the others 2.
        QCOMPARE(nativeRows(*repaired, "SELECT BookID FROM Books WHERE ForID = 1 ORDER BY BookID"),
                 paperbacksBefore);
        QCOMPARE(nativeRows(*repaired, "SELECT count(*) FROM Formats"), QStringList{u"5"_s});
    }
}

void TestDamagedCatalogues::checkAtOpenFindsWhatQuickCheckMisses_data()
{
    QTest::addColumn<QList<QByteArray>>("steps");
    QTest::addColumn<bool>("repaired"); // else the indexes were rebuilt in place
    const QByteArray partial =
        "UPDATE sqlite_master SET sql = 'CREATE INDEX Books_PubID ON Books (PubID) WHERE 0' "
        "WHERE name = 'Books_PubID'";
    const QByteArray whole = "UPDATE sqlite_master SET sql = 'CREATE INDEX Books_PubID ON Books (PubID)' "
                             "WHERE name = 'Books_PubID'";
    // While the index is partial, changes to the table pass it by.
    QTest::newRow("an index misses new books")
        << QList<QByteArray>{partial, "INSERT INTO Books (Title, SortTitle) VALUES ('Added', 'ADDED')", whole}
        << false;
    QTest::newRow("the table lost books its index still lists")
        << QList<QByteArray>{partial, "DELETE FROM Books WHERE BookID IN (3, 4)", whole} << true;
}

// Rows missing from an index pass SQLite's quick check; the walk over every
// tree at open finds them, and rebuilds an index from its table or, when the
// table is what lost rows, repairs the file with the rows the index holds.
void TestDamagedCatalogues::checkAtOpenFindsWhatQuickCheckMisses()
{
    QFETCH(QList<QByteArray>, steps);
    QFETCH(bool, repaired);
    TemporaryCatalogue catalogue(SampleOptions{150, 0, 9, false});
    const QStringList pubIdsBefore =
        nativeRows(*catalogue.open(), "SELECT BookID, PubID FROM Books ORDER BY 1");
    throughSchema(catalogue, steps);
    QVERIFY(isSoundDatabase(*catalogue.open(), IntegrityCheck::Quick));
    ScopedScriptedDialogs dialogs;
    RecordedProgress progress;

    BookSession session;
    QVERIFY(session.open(catalogue.folder()));
    session.close();

    QCOMPARE(dialogs.messages().size(), 1);
    const QString said = dialogs.texts().first();
    QVERIFY2(said.contains(repaired ? u"repaired"_s : u"Books_PubID"_s), qPrintable(said));
    QVERIFY(progress.begun.first().startsWith(u"Checking the catalogue"_s));
    QCOMPARE(progress.begun.size() == 2, repaired);
    QCOMPARE(progress.ended, progress.begun.size());
    auto db = catalogue.open();
    QCOMPARE(nativeRows(*db, "PRAGMA integrity_check"), QStringList{u"ok"_s});
    if (repaired)
        QCOMPARE(nativeRows(*db, "SELECT BookID, PubID FROM Books ORDER BY 1"), pubIdsBefore);
}

// The half-built file of a repair cut short and its journal are one leftover.
void TestDamagedCatalogues::unfinishedRepairIsToldOnce()
{
    TemporaryCatalogue catalogue(SampleOptions{20, 0, 1, false});
    const QString leftover = catalogue.folder() + u"Quillary (repairing).mdb"_s;
    QVERIFY(writeFile(leftover, "half"));
    QVERIFY(writeFile(leftover + u"-journal"_s, "journal"));
    ScopedScriptedDialogs dialogs;

    BookSession session;
    QVERIFY(session.open(catalogue.folder()));
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.texts().first().contains(QDir::toNativeSeparators(leftover) + u"'"_s));
    QVERIFY(!QFile::exists(leftover) && !QFile::exists(leftover + u"-journal"_s));
}

void TestDamagedCatalogues::foreignDatabaseIsToldOnceAndLeftAlone()
{
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::NoFile);
    {
        auto db = Database::create(catalogue.path());
        db->execute(u"create table Recipes (Name text, Minutes integer)"_s);
        db->execute(u"insert into Recipes values ('Soup', 20)"_s);
    }
    const QByteArray before = fileBytes(catalogue.path());
    ScopedScriptedDialogs dialogs;

    BookSession session;
    QVERIFY(!session.open(catalogue.folder()));
    QCOMPARE(dialogs.texts().size(), 1);
    QVERIFY(dialogs.texts().first().contains(u"is not a catalogue"_s));
    QVERIFY(dialogs.texts().first().contains(u"Nothing was changed"_s));
    QCOMPARE(fileBytes(catalogue.path()), before);
    QCOMPARE(QDir(catalogue.folder()).entryList(QDir::Files), QStringList{CatalogueFileName});
}

void TestDamagedCatalogues::newCatalogueInReadOnlyFolderNamesTheFile()
{
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::NoFile);
    QFile folder(catalogue.folder());
    const auto permissions = folder.permissions();
    QVERIFY(folder.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
    const auto restore = qScopeGuard([&] { folder.setPermissions(permissions); });
    ScopedScriptedDialogs dialogs;
    dialogs.setNextAnswer(UserDialogs::Answer::Yes);

    BookSession session;
    QVERIFY(!session.open(catalogue.folder()));
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().text.contains(QDir::toNativeSeparators(catalogue.path())),
             qPrintable(dialogs.messages().first().text));
    QVERIFY(!QFile::exists(catalogue.path()));
}

QTEST_GUILESS_MAIN(TestDamagedCatalogues)
#include "tst_damaged_catalogues.moc"
