#include "catalogue/catalogue_state.h"
#include "catalogue/db_error_handler.h"
#include "catalogue/sample_catalogue.h"
#include "database/catalogue_fixture.h"
#include "database/recordset.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

DbError lockedError(int number = DbErrorNumber::RecordLocked)
{
    return DbError(number, u"Couldn't update; currently locked."_s);
}

int bookCount(Database& db)
{
    return db.openRecordset(u"Select * from Books order by SortTitle"_s, RecordsetType::Snapshot)
        ->recordCount();
}

// As after the start-up's failed open of a file holding bytes: the paths are set, nothing is open.
void failedOpen(const TemporaryCatalogue& catalogue, const QByteArray& bytes)
{
    QVERIFY(writeFile(catalogue.path(), bytes));
    catalogueState().DataDir = catalogue.folder();
    catalogueState().CataloguePath = catalogue.path();
}

} // namespace

class TestDbErrorHandler : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup()
    {
        setProgramTerminator({});
        catalogueState().dbCatalogue.reset();
    }

    void lockedWriteIsRetriedAndAskedAboutEveryHundredFailures_data();
    void lockedWriteIsRetriedAndAskedAboutEveryHundredFailures();
    void otherErrorsAreShownAsNumberAndTextAndTheCallerGoesOn();

    void damagedCatalogueIsRepairedBesideTheOriginal();
    void unrecoverableFileIsLeftAsItWas();

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

// 99 failures pass silently; the 100th asks, and Yes starts the count again at
// 1, so the next question comes 99 failures later (at the 199th). No gives up
// and ends the program.
void TestDbErrorHandler::lockedWriteIsRetriedAndAskedAboutEveryHundredFailures_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("lockedAttempts"); // -1: locked for good
    QTest::addColumn<QString>("answers");

    QTest::newRow("99 locked attempts, silently") << int(DbErrorNumber::RecordLocked) << 99 << QString();
    QTest::newRow("198 locked by another, asked once") << int(DbErrorNumber::LockedByOther) << 198 << u"Y"_s;
    QTest::newRow("199 locked attempts, asked twice") << int(DbErrorNumber::RecordLocked) << 199 << u"YY"_s;
    QTest::newRow("no at the second question") << int(DbErrorNumber::RecordLocked) << -1 << u"YN"_s;
}

void TestDbErrorHandler::lockedWriteIsRetriedAndAskedAboutEveryHundredFailures()
{
    QFETCH(int, number);
    QFETCH(int, lockedAttempts);
    QFETCH(QString, answers);
    const bool givesUp = answers.endsWith(u'N');
    ScopedScriptedDialogs dialogs;
    for (QChar answer : answers)
        dialogs.setNextAnswer(answer == u'Y' ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);
    int writes = 0;
    QCOMPARE(writeWithRetry([&] {
                 if (++writes <= lockedAttempts || lockedAttempts < 0)
                     throw lockedError(number);
             }),
             !givesUp);
    // No further write once the user gave up.
    QCOMPARE(writes, givesUp ? 100 + 99 * int(answers.size() - 1) : lockedAttempts + 1);
    QCOMPARE(dialogs.questions().size(), answers.size());
    QCOMPARE(dialogs.unusedAnswers(), 0);
    QCOMPARE(dialogs.messages().size(), 0);
    for (const auto& question : dialogs.questions()) {
        QCOMPARE(question.text, u"Could not update locked record.  Do you wish to try again?"_s);
        QCOMPARE(question.title, u"Locked Record"_s);
    }
    QVERIFY(!catalogueState().LockPending);
    QCOMPARE(m_terminations, givesUp ? 1 : 0);
}

void TestDbErrorHandler::otherErrorsAreShownAsNumberAndTextAndTheCallerGoesOn()
{
    const int number = DbErrorNumber::FileNotFound;
    const QString text = u"Could not find file '/x/Quillary.mdb'."_s;
    ScopedScriptedDialogs dialogs;
    int writes = 0;
    QVERIFY(!writeWithRetry([&] {
        ++writes;
        throw DbError(number, text);
    }));
    QCOMPARE(writes, 1); // not retried: only a locked record is
    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.messages().first().text, u"3024  "_s + text);
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
    QByteArray bytes = fileBytes(catalogue.path());
    // Scribble over the last pages, as a crash in the middle of a write might.
    const qsizetype damaged = std::min<qsizetype>(3 * 4096, bytes.size() / 4);
    for (qsizetype i = bytes.size() - damaged; i < bytes.size(); ++i)
        bytes[i] = char((i * 37) & 0xff);
    failedOpen(catalogue, bytes);
    ScopedScriptedDialogs dialogs;
    HandleDbError(DbError(DbErrorNumber::NotADatabase, u"Cannot open database."_s));

    QVERIFY(catalogueState().dbCatalogue && catalogueState().dbCatalogue->isOpen());
    QVERIFY(bookCount(*catalogueState().dbCatalogue) > 0);
    // The damaged file lies untouched beside the repaired one, and the user is told.
    QStringList keptCopies;
    for (const QString& name : QDir(catalogue.folder()).entryList(QDir::Files))
        if (fileBytes(QDir(catalogue.folder()).filePath(name)) == bytes)
            keptCopies.append(name);
    QCOMPARE(keptCopies.size(), 1);
    QVERIFY(keptCopies.first() != CatalogueFileName);
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().text.contains(keptCopies.first()),
             qPrintable(dialogs.messages().first().text));
}

void TestDbErrorHandler::unrecoverableFileIsLeftAsItWas()
{
    TemporaryCatalogue catalogue(TemporaryCatalogue::Layout::NoFile);
    const QByteArray bytes = QByteArray("not a catalogue at all\r\n").repeated(200);
    failedOpen(catalogue, bytes);
    ScopedScriptedDialogs dialogs;
    HandleDbError(DbError(DbErrorNumber::NotADatabase, u"Cannot open database."_s));

    QVERIFY(!catalogueState().dbCatalogue);
    QCOMPARE(QDir(catalogue.folder()).entryList(QDir::Files), QStringList{CatalogueFileName});
    QCOMPARE(fileBytes(catalogue.path()), bytes);
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY2(dialogs.messages().first().text.contains(u"nothing"_s, Qt::CaseInsensitive),
             qPrintable(dialogs.messages().first().text));
}

QTEST_GUILESS_MAIN(TestDbErrorHandler)
#include "tst_db_error_handler.moc"
