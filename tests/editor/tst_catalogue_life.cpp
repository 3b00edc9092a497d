// The catalogue's life without a window: what the start-up asks the window to
// show, a catalogue set aside by a stopped packing, and the restart around
// backup and compaction.

#include "catalogue/book_session.h"
#include "catalogue/catalogue_state.h"
#include "database/database.h"
#include "database/db_error.h"
#include "editor/catalogue_events.h"
#include "editor/catalogue_life.h"
#include "maintenance/maintenance_files.h"
#include "support/file_contents.h"
#include "support/scripted_dialogs.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool fileFree(const QString& path)
{
    try {
        Database::open(path, Database::OpenMode::Exclusive)->close();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

QStringList sortedFiles(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    // The open catalogue's marker of an unfinished run is no data file.
    names.removeIf([](const QString& name) { return name.endsWith(u"-open"_s); });
    return names;
}

} // namespace

class TestCatalogueLife : public QObject
{
    Q_OBJECT

private slots:
    void startUpAndRestart_data();
    void startUpAndRestart();
};

void TestCatalogueLife::startUpAndRestart_data()
{
    QTest::addColumn<QString>(
        "folderHolds");                  // "catalogue", "set aside" (as a stopped packing left it), "nothing"
    QTest::addColumn<bool>("answerYes"); // to every question asked
    QTest::addColumn<int>("questions");
    QTest::addColumn<QStringList>("shown"); // the view's steps, start-up then restart
    QTest::addColumn<QStringList>("filesAfter");

    const QString cat = CatalogueFileName;
    const QString copy = CompactedCopyFileName;
    const QStringList twice{u"catalogue"_s, u"designed"_s, u"catalogue"_s};
    const QStringList without{u"without"_s, u"designed"_s, u"without"_s};
    QTest::newRow("catalogue there") << u"catalogue"_s << false << 0 << twice << QStringList{cat};
    // The packing's copy goes once a sound catalogue is back, not before.
    QTest::newRow("set aside, taken back") << u"set aside"_s << true << 1 << twice << QStringList{cat};
    QTest::newRow("set aside, left alone, no new one")
        << u"set aside"_s << false << 4 << without
        << QStringList{SetAsideFileName, copy, copy + u"-journal"_s};
    QTest::newRow("nothing, no new one") << u"nothing"_s << false << 2 << without << QStringList{};
}

void TestCatalogueLife::startUpAndRestart()
{
    QFETCH(QString, folderHolds);
    QFETCH(bool, answerYes);
    QFETCH(int, questions);
    TemporaryCatalogue catalogue(folderHolds == u"nothing"_s ? TemporaryCatalogue::Layout::NoFile
                                                             : TemporaryCatalogue::Layout::Current);
    const QDir folder(catalogue.folder());
    if (folderHolds == u"set aside"_s) {
        QVERIFY(QFile::rename(catalogue.path(), folder.filePath(SetAsideFileName)));
        QVERIFY(QFile::copy(folder.filePath(SetAsideFileName), folder.filePath(CompactedCopyFileName)));
        QVERIFY(writeFile(folder.filePath(CompactedCopyFileName + u"-journal"_s), "journal"));
    }
    ScopedScriptedDialogs dialogs;
    dialogs.setNextAnswers(QList<UserDialogs::Answer>(questions, answerYes ? UserDialogs::Answer::Yes
                                                                           : UserDialogs::Answer::No));

    BookSession session;
    CatalogueEvents events;
    QSignalSpy reopened(&events, &CatalogueEvents::catalogueReopened);
    QStringList shown;
    CatalogueLife life(
        session, catalogue.folder(),
        {[&] { shown << u"catalogue"_s; }, [&] { shown << u"without"_s; }, [&] { shown << u"designed"_s; }},
        events);
    life.start();
    const bool opened = session.isOpen();
    bool freeMeanwhile = false;
    life.restart([&] { freeMeanwhile = !session.isOpen() && (!opened || fileFree(catalogue.path())); });

    QVERIFY(freeMeanwhile);
    QTEST(shown, "shown");
    QCOMPARE(session.isOpen(), opened);
    QCOMPARE(reopened.size(), 1);
    QTEST(sortedFiles(catalogue.folder()), "filesAfter");
    QCOMPARE(dialogs.unusedAnswers(), 0);
    life.stop();
    life.stop(); // a second shutdown does nothing
    QVERIFY(!life.isStarted() && !session.isOpen());
}

QTEST_GUILESS_MAIN(TestCatalogueLife)
#include "tst_catalogue_life.moc"
