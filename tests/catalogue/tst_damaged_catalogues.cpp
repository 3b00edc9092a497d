// Damaged, truncated and foreign files where the catalogue should be: the
// start-up must end (no endless repair), keep the file it found byte for byte
// (in place or beside the repaired one), and either show the books it could
// recover or say truly why it cannot.

#include "catalogue/book_session.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/sample_catalogue.h"
#include "database/database.h"
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
