// Backup, packing and removal of unused entries through the main window: the
// catalogue closed and opened again around them, the lists and the book on
// screen afterwards.

#include "editor/gui/main_window_fixture.h"
#include "maintenance/gui/frm_backup.h"
#include "maintenance/maintenance_files.h"
#include "support/scripted_modals.h"

#include <QDialog>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

namespace {

enum class Command { Backup, Pack };

QStringList sortedFiles(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    // The open catalogue's marker of an unfinished run is no data file.
    names.removeIf([](const QString& name) { return name.endsWith(u"-open"_s); });
    names.sort();
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Command)

class TestFrmMainMaintenance : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        f.setUp();
        m_modals = std::make_unique<ScopedScriptedModals>();
    }
    void cleanup();

    void catalogueClosedAndOpenedAgain_data();
    void catalogueClosedAndOpenedAgain();
    void unusedEntriesLeaveTheListsAndTheBook_data();
    void unusedEntriesLeaveTheListsAndTheBook();
    void unavailableWhileABookIsChanged_data();
    void unavailableWhileABookIsChanged();

private:
    MainWindowFixture f;
    std::unique_ptr<ScopedScriptedModals> m_modals;

    QStringList modalTitles() const
    {
        QStringList titles;
        for (const ScriptedModals::Shown& shown : m_modals->shown())
            titles << shown.title;
        return titles;
    }
};

void TestFrmMainMaintenance::cleanup()
{
    QCOMPARE(m_modals->unusedHandlers(), 0);
    m_modals.reset();
    const auto unusedAnswers = f.dialogs().unusedAnswers();
    f.tearDown();
    QCOMPARE(unusedAnswers, 0);
}

void TestFrmMainMaintenance::catalogueClosedAndOpenedAgain_data()
{
    QTest::addColumn<Command>("command");
    QTest::addColumn<QString>("answer");     // pack: "yes" or "no"; backup: the folder, below a temporary one
    QTest::addColumn<bool>("copyNameTaken"); // a folder "booknew.mdb" lies beside the catalogue
    QTest::addColumn<QString>("messagePart");
    QTest::addColumn<QStringList>("dataFiles");
    QTest::addColumn<QString>("titleAfter");

    const QString cat = CatalogueFileName;
    QTest::newRow("backup into a folder")
        << Command::Backup << u"medium"_s << false << QString() << QStringList{cat} << u"Apple Pie"_s;
    QTest::newRow("backup to a folder that is gone")
        << Command::Backup << u"gone"_s << false << u"Quillary: "_s + frmBackup::FailureMessage
        << QStringList{cat} << u"Apple Pie"_s;
    QTest::newRow("pack") << Command::Pack << u"yes"_s << false << QString()
                          << QStringList{cat, SetAsideFileName} << u"Apple Pie"_s;
    QTest::newRow("pack refused") << Command::Pack << u"no"_s << false << QString() << QStringList{cat}
                                  << u"Moon"_s;
    QTest::newRow("pack failing") << Command::Pack << u"yes"_s << true
                                  << u"Compact Database: The database could not be compacted"_s
                                  << QStringList{cat, CompactedCopyFileName} << u"Apple Pie"_s;
}

// The window starts again on the first book by title, whatever was shown;
// a refused packing leaves it alone.
void TestFrmMainMaintenance::catalogueClosedAndOpenedAgain()
{
    QFETCH(Command, command);
    QFETCH(QString, answer);
    QFETCH(bool, copyNameTaken);
    QFETCH(QString, messagePart);
    QFETCH(QStringList, dataFiles);

    f.folder().addCollection();
    if (copyNameTaken)
        QVERIFY(QDir(f.folder().path()).mkpath(CompactedCopyFileName + u"/inside"_s));
    QTemporaryDir media;
    QVERIFY(QDir(media.path()).mkpath(u"medium"_s));
    QVERIFY(f.openWindow());
    f.showTitle(u"Moon"_s);

    if (command == Command::Backup) {
        f.dialogs().setNextFileName(media.filePath(answer));
        m_modals->enqueue([](QDialog& dialog) {
            auto& backup = dynamic_cast<frmBackup&>(dialog);
            backup.Drive1->setCurrentIndex(backup.Drive1->findText(OtherFolderLabel));
            backup.cmdOk->click();
            return backup.result();
        });
        f.window().mnuBackup->trigger();
        QCOMPARE(modalTitles(), QStringList{u"Backup the Quillary Database"_s});
        QCOMPARE(QFileInfo::exists(QDir(media.filePath(answer)).filePath(BackupFileName)),
                 messagePart.isEmpty());
    } else {
        f.dialogs().setNextAnswer(answer == u"yes"_s ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);
        f.window().mnuPack->trigger();
        QCOMPARE(f.dialogs().questions().first().title, u"Compact Database"_s);
    }
    const QStringList messages = f.takeMessages();
    QCOMPARE(messages.size(), messagePart.isEmpty() ? 0 : 1);
    if (!messagePart.isEmpty())
        QVERIFY2(messages.first().startsWith(messagePart), qPrintable(messages.first()));
    dataFiles.sort();
    QCOMPARE(sortedFiles(f.folder().path()), dataFiles);
    QTEST(f.window().txtTitle->text(), "titleAfter");
    QCOMPARE(f.titlesInOrder().size(), 5);
}

void TestFrmMainMaintenance::unusedEntriesLeaveTheListsAndTheBook_data()
{
    QTest::addColumn<int>("item");            // of "Delete Unused..."
    QTest::addColumn<QString>("authorAdded"); // with a book of its own, deleted again
    QTest::addColumn<QString>("comboName");
    QTest::addColumn<QStringList>("entriesLeft");
    QTest::newRow("Doe, Jane after her only book")
        << 1 << u"Doe, Jane"_s << u"cmbAuthID"_s << QStringList{u"Adams, Ann"_s, u"Smith, John"_s};
    QTest::newRow("formats, on a book without one")
        << 6 << QString() << u"cmbForID"_s << QStringList{u"Paperback"_s};
    QTest::newRow("categories all in use")
        << 3 << QString() << u"cmbCatID"_s << QStringList{u"Animals"_s, u"Cooking"_s, u"Travel"_s};
}

void TestFrmMainMaintenance::unusedEntriesLeaveTheListsAndTheBook()
{
    QFETCH(int, item);
    QFETCH(QString, authorAdded);
    QFETCH(QString, comboName);

    f.folder().addCollection();
    f.folder().addLookup(u"Formats"_s, u"ForID, ForDesc"_s, 1, u"Paperback"_s);
    f.folder().addLookup(u"Formats"_s, u"ForID, ForDesc"_s, 2, u"Comic"_s);
    f.folder().execute(u"update Books set ForID = 1 where Title = 'Apple Pie'"_s);
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    if (!authorAdded.isEmpty()) {
        w.cmdAdd->click();
        f.typeInto(w.txtTitle, u"A Book of Her Own"_s);
        f.typeInto(w.cmbAuthID, authorAdded);
        w.cmdUpdate->click();
        QVERIFY(entries(w.cmbAuthID).contains(authorAdded));
        f.dialogs().setNextAnswer(UserDialogs::Answer::Yes);
        w.cmdDelete->click();
        f.dialogs().clear();
    }
    f.showTitle(u"Banana"_s);
    const QString authorShown = w.cmbAuthID->currentText();

    w.mnuDelUnused[std::size_t(item)]->trigger();
    auto* combo = w.findChild<QComboBox*>(comboName);
    QTEST(entries(combo), "entriesLeft");
    QCOMPARE(w.txtTitle->text(), u"Banana"_s);
    QCOMPARE(w.cmbAuthID->currentText(), authorShown);
    QCOMPARE(w.cmbForID->currentText(), QString());
    QVERIFY(browseButtonsShown(w));
    QCOMPARE(f.takeMessages(), QStringList{});
}

void TestFrmMainMaintenance::unavailableWhileABookIsChanged_data()
{
    QTest::addColumn<bool>("adding");
    QTest::newRow("a book changed") << false;
    QTest::newRow("a book added") << true;
}

void TestFrmMainMaintenance::unavailableWhileABookIsChanged()
{
    QFETCH(bool, adding);
    f.folder().addCollection();
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    const auto available = [&w] {
        return w.mnuBackup->isEnabled() && w.mnuPack->isEnabled() && w.mnuDelete->menuAction()->isEnabled();
    };
    const auto unavailable = [&w] {
        return !w.mnuBackup->isEnabled() && !w.mnuPack->isEnabled() &&
               !w.mnuDelete->menuAction()->isEnabled();
    };
    QVERIFY(available());
    if (adding)
        w.cmdAdd->click();
    else
        f.typeInto(w.txtTitle, u"Changed"_s);
    QVERIFY(unavailable());
    w.cmdCancel->click();
    QVERIFY(available());
}

QTEST_MAIN(TestFrmMainMaintenance)
#include "tst_frm_main_maintenance.moc"
