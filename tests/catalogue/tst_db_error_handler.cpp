#include "catalogue/catalogue_state.h"
#include "catalogue/db_error_handler.h"
#include "catalogue/recordset.h"
#include "catalogue/sample_catalogue.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString LockedQuestion = u"Could not update locked record.  Do you wish to try again?"_s;
const QString LockedTitle = u"Locked Record"_s;

DbError lockedError(int number = DbErrorNumber::RecordLocked)
{
    return DbError(number, u"Couldn't update; currently locked."_s);
}

void startWrite()
{
    catalogueState().LockRetries = 0;
    catalogueState().LockPending = true;
}

QByteArray contentsOfFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every file of the folder whose bytes equal the given ones.
QStringList filesHolding(const QString& folder, const QByteArray& bytes)
{
    QStringList found;
    for (const QString& name : QDir(folder).entryList(QDir::Files))
        if (contentsOfFile(QDir(folder).filePath(name)) == bytes)
            found.append(name);
    return found;
}

int bookCount(Database& db)
{
    auto books = db.openRecordset(u"Select * from Books order by SortTitle"_s, RecordsetType::Snapshot);
    if (books->recordCount() == 0)
        return 0;
    books->moveLast();
    return books->recordCount();
}

} // namespace

class TestDbErrorHandler : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void lockedRecordAsksAtTheHundredthFailure_data();
    void lockedRecordAsksAtTheHundredthFailure();
    void yesRestartsTheCountAtOne();
    void noEndsTheProgram();
    void writeWithRetryRetriesUntilWritten_data();
    void writeWithRetryRetriesUntilWritten();
    void writeWithRetryCountsEachWriteAfresh();
    void otherErrorsAreShownAndTheCallerGoesOn_data();
    void otherErrorsAreShownAndTheCallerGoesOn();

    void damagedCatalogueIsRepairedBesideTheOriginal();
    void openCatalogueIsClosedForTheRepair();
    void unrecoverableFileIsLeftAndReported();

private:
    int m_terminations = 0;
};

void TestDbErrorHandler::init()
{
    m_terminations = 0;
    setProgramTerminator([this] { ++m_terminations; });
    catalogueState().LockRetries = 0;
    catalogueState().LockPending = false;
}

void TestDbErrorHandler::cleanup()
{
    setProgramTerminator({});
    catalogueState().dbCatalogue.reset();
}

void TestDbErrorHandler::lockedRecordAsksAtTheHundredthFailure_data()
{
    QTest::addColumn<int>("number");
    QTest::newRow("3260 currently locked") << int(DbErrorNumber::RecordLocked);
    QTest::newRow("3168 locked by another") << int(DbErrorNumber::LockedByOther);
}

void TestDbErrorHandler::lockedRecordAsksAtTheHundredthFailure()
{
    QFETCH(int, number);
    ScopedScriptedDialogs dialogs;
    CatalogueState& state = catalogueState();
    startWrite();
    for (int failure = 1; failure <= 99; ++failure) {
        state.LockPending = false; // the caller's loop lowers it before each write
        HandleDbError(lockedError(number));
        QVERIFY(state.LockPending);
        QCOMPARE(state.LockRetries, failure);
    }
    QVERIFY(dialogs.shown().isEmpty());

    dialogs.setNextAnswer(UserDialogs::Answer::Yes);
    HandleDbError(lockedError(number));
    QCOMPARE(dialogs.questions().size(), 1);
    QCOMPARE(dialogs.questions().first().text, LockedQuestion);
    QCOMPARE(dialogs.questions().first().title, LockedTitle);
    QVERIFY(state.LockPending);
    QCOMPARE(m_terminations, 0);
}

void TestDbErrorHandler::yesRestartsTheCountAtOne()
{
    ScopedScriptedDialogs dialogs;
    CatalogueState& state = catalogueState();
    startWrite();
    for (int failure = 1; failure < 100; ++failure)
        HandleDbError(lockedError());
    dialogs.setNextAnswer(UserDialogs::Answer::Yes);
    HandleDbError(lockedError());
    QCOMPARE(state.LockRetries, 1);

    // The question comes back at the 99th further failure, not the 100th.
    for (int further = 1; further < 99; ++further)
        HandleDbError(lockedError());
    QCOMPARE(dialogs.questions().size(), 1);
    dialogs.setNextAnswer(UserDialogs::Answer::Yes);
    HandleDbError(lockedError());
    QCOMPARE(dialogs.questions().size(), 2);
    QCOMPARE(m_terminations, 0);
}

void TestDbErrorHandler::noEndsTheProgram()
{
    ScopedScriptedDialogs dialogs;
    dialogs.setNextAnswer(UserDialogs::Answer::No);
    int writes = 0;
    const bool written = writeWithRetry([&] {
        ++writes;
        throw lockedError();
    });
    QCOMPARE(m_terminations, 1);
    QVERIFY(!written);
    // No further write once the user gave up.
    QCOMPARE(writes, 100);
    QVERIFY(!catalogueState().LockPending);
    QCOMPARE(dialogs.questions().size(), 1);
}

void TestDbErrorHandler::writeWithRetryRetriesUntilWritten_data()
{
    QTest::addColumn<int>("lockedAttempts");
    QTest::addColumn<int>("questions");

    QTest::newRow("written at once") << 0 << 0;
    QTest::newRow("one locked attempt") << 1 << 0;
    QTest::newRow("99 locked attempts, silently") << 99 << 0;
    QTest::newRow("100 locked attempts, asked once") << 100 << 1;
    QTest::newRow("198 locked attempts, asked once") << 198 << 1;
    QTest::newRow("199 locked attempts, asked twice") << 199 << 2;
}

void TestDbErrorHandler::writeWithRetryRetriesUntilWritten()
{
    QFETCH(int, lockedAttempts);
    QFETCH(int, questions);
    ScopedScriptedDialogs dialogs;
    for (int i = 0; i < questions; ++i)
        dialogs.setNextAnswer(UserDialogs::Answer::Yes);
    int writes = 0;
    const bool written = writeWithRetry([&] {
        if (++writes <= lockedAttempts)
            throw lockedError(DbErrorNumber::LockedByOther);
    });
    QVERIFY(written);
    QCOMPARE(writes, lockedAttempts + 1);
    QCOMPARE(dialogs.questions().size(), questions);
    QCOMPARE(dialogs.unusedAnswers(), 0);
    QCOMPARE(dialogs.messages().size(), 0);
    QVERIFY(!catalogueState().LockPending);
}

void TestDbErrorHandler::writeWithRetryCountsEachWriteAfresh()
{
    ScopedScriptedDialogs dialogs;
    int writes = 0;
    // 60 locked attempts, then 60 more in the next write: 120 in a row, but no
    // write met 100 failures, so nobody is asked.
    for (int write = 0; write < 2; ++write) {
        int attempts = 0;
        QVERIFY(writeWithRetry([&] {
            ++writes;
            if (++attempts <= 60)
                throw lockedError();
        }));
    }
    QCOMPARE(writes, 122);
    QVERIFY(dialogs.shown().isEmpty());
}

void TestDbErrorHandler::otherErrorsAreShownAndTheCallerGoesOn_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("missing file") << int(DbErrorNumber::FileNotFound)
                                  << u"Could not find file '/x/Quillary.mdb'."_s
                                  << u"3024  Could not find file '/x/Quillary.mdb'."_s;
    QTest::newRow("duplicate value") << int(DbErrorNumber::DuplicateValue)
                                     << u"The changes were not successful."_s
                                     << u"3022  The changes were not successful."_s;
    QTest::newRow("Jet file") << int(DbErrorNumber::UnrecognizedFormat)
                              << u"Unrecognized database format 'Quillary.mdb'."_s
                              << u"3343  Unrecognized database format 'Quillary.mdb'."_s;
    QTest::newRow("empty text") << 3000 << QString() << u"3000  "_s;
}

void TestDbErrorHandler::otherErrorsAreShownAndTheCallerGoesOn()
{
    QFETCH(int, number);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    ScopedScriptedDialogs dialogs;

    int writes = 0;
    const bool written = writeWithRetry([&] {
        ++writes;
        throw DbError(number, text);
    });
    QVERIFY(!written);
    QCOMPARE(writes, 1); // not retried: only a locked record is
    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.messages().first().text, shown);
    QCOMPARE(dialogs.messages().first().title, ProgramTitle);
    QCOMPARE(catalogueState().LockRetries, 0);

    bool nextStepRan = false;
    QVERIFY(!runStep([&] { throw DbError(number, text); }));
    QVERIFY(runStep([&] { nextStepRan = true; }));
    QVERIFY(nextStepRan);
    QCOMPARE(dialogs.messages().size(), 2);
}

void TestDbErrorHandler::damagedCatalogueIsRepairedBesideTheOriginal()
{
    TemporaryCatalogue catalogue(SampleOptions{400, 0, 3, false});
    QByteArray bytes = contentsOfFile(catalogue.path());
    // Scribble over the last pages, as a crash in the middle of a write might.
    const qsizetype damaged = std::min<qsizetype>(3 * 4096, bytes.size() / 4);
    for (qsizetype i = bytes.size() - damaged; i < bytes.size(); ++i)
        bytes[i] = char((i * 37) & 0xff);
    writeFile(catalogue.path(), bytes);

    // As after the start-up's failed open: the paths are set, nothing is open.
    catalogueState().DataDir = catalogue.folder();
    catalogueState().CataloguePath = catalogue.path();
    ScopedScriptedDialogs dialogs;
    HandleDbError(DbError(DbErrorNumber::NotADatabase, u"Cannot open database."_s));

    QVERIFY(catalogueState().dbCatalogue);
    QVERIFY(catalogueState().dbCatalogue->isOpen());
    QCOMPARE(catalogueState().dbCatalogue->mode(), Database::OpenMode::Exclusive);
    QVERIFY(bookCount(*catalogueState().dbCatalogue) > 0);
    // The damaged file lies untouched beside the repaired one, and the user is told.
    const QStringList keptCopies = filesHolding(catalogue.folder(), bytes);
    QCOMPARE(keptCopies.size(), 1);
    QVERIFY(keptCopies.first() != CatalogueFileName);
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().text.contains(keptCopies.first()),
             qPrintable(dialogs.messages().first().text));
}

void TestDbErrorHandler::openCatalogueIsClosedForTheRepair()
{
    // A damaged page met in the middle of a run: the catalogue is still open
    // and must be let go before the file can be repaired and reopened.
    TemporaryCatalogue catalogue(SampleOptions{120, 0, 5, false});
    catalogue.install();
    const int books = bookCount(*catalogueState().dbCatalogue);

    ScopedScriptedDialogs dialogs;
    HandleDbError(DbError(DbErrorNumber::NotADatabase, u"Database disk image is malformed."_s));

    QVERIFY(catalogueState().dbCatalogue);
    QCOMPARE(bookCount(*catalogueState().dbCatalogue), books);
    QCOMPARE(dialogs.messages().size(), 1);
}

void TestDbErrorHandler::unrecoverableFileIsLeftAndReported()
{
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::NoFile);
    QByteArray noise(64 * 1024, '\0');
    for (qsizetype i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    writeFile(catalogue.path(), noise);
    catalogueState().DataDir = catalogue.folder();
    catalogueState().CataloguePath = catalogue.path();

    ScopedScriptedDialogs dialogs;
    HandleDbError(DbError(DbErrorNumber::NotADatabase, u"Cannot open database."_s));

    QVERIFY(!catalogueState().dbCatalogue);
    QCOMPARE(contentsOfFile(catalogue.path()), noise);
    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.questions().size(), 0);
}

QTEST_GUILESS_MAIN(TestDbErrorHandler)
#include "tst_db_error_handler.moc"
