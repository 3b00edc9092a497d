// The maintenance, help and about commands without the main window: what
// each opens, and which of them close the catalogue around their work.

#include "catalogue/book_session.h"
#include "maintenance/gui/maintenance_menu.h"
#include "maintenance/help_page.h"
#include "support/recording_desktop_opener.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_modals.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

class TestMaintenanceMenu : public QObject
{
    Q_OBJECT

private slots:
    void commandsOpenAndRestart_data();
    void commandsOpenAndRestart();
};

void TestMaintenanceMenu::commandsOpenAndRestart_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("answerYes"); // to the packing's question
    QTest::addColumn<QList<QUrl>>("opened");
    QTest::addColumn<QStringList>("modals");
    QTest::addColumn<int>("restarts");
    const QList<QUrl> help{helpPageUrl()};
    QTest::newRow("Contents") << u"help 1"_s << false << help << QStringList{} << 0;
    QTest::newRow("Search for Help on") << u"help 2"_s << false << help << QStringList{} << 0;
    QTest::newRow("Using Help") << u"help 3"_s << false << help << QStringList{} << 0;
    QTest::newRow("the Help button") << u"button"_s << false << help << QStringList{} << 0;
    QTest::newRow("About") << u"about"_s << false << QList<QUrl>{} << QStringList{u"About Quillary"_s} << 0;
    QTest::newRow("backup") << u"backup"_s << false << QList<QUrl>{}
                            << QStringList{u"Backup the Quillary Database"_s} << 1;
    QTest::newRow("packing refused") << u"pack"_s << false << QList<QUrl>{} << QStringList{} << 0;
    // Nothing to remove from without a catalogue.
    QTest::newRow("unused authors, no catalogue")
        << u"unused"_s << false << QList<QUrl>{} << QStringList{} << 0;
}

void TestMaintenanceMenu::commandsOpenAndRestart()
{
    QFETCH(QString, command);
    QFETCH(bool, answerYes);
    ScopedScriptedDialogs dialogs;
    RecordingDesktopOpener desktop;
    ScopedScriptedModals modals;
    QWidget window;
    MaintenanceMenu::Actions actions;
    for (QAction** action : {&actions.backup, &actions.pack, &actions.deleteUnusedMenu, &actions.about})
        *action = new QAction(&window);
    for (QAction*& action : actions.deleteUnused)
        action = new QAction(&window);
    for (QAction*& action : actions.help)
        action = new QAction(&window);
    actions.helpButton = new QPushButton(&window);
    BookSession session;
    int restarts = 0;
    MaintenanceMenu menu(&window, actions, session, [&](const std::function<void()>& whileClosed) {
        ++restarts;
        whileClosed();
    });
    int listsChanged = 0;
    connect(&menu, &MaintenanceMenu::lookupListChanged, this, [&] { ++listsChanged; });
    if (command == u"pack"_s)
        dialogs.setNextAnswer(answerYes ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);
    if (command == u"about"_s || command == u"backup"_s)
        modals.enqueue(ScriptedModals::reject());
    if (command.startsWith(u"help"_s))
        actions.help[std::size_t(command.back().digitValue() - 1)]->trigger();
    else if (command == u"button"_s)
        actions.helpButton->click();
    else if (command == u"about"_s)
        actions.about->trigger();
    else if (command == u"backup"_s)
        actions.backup->trigger();
    else if (command == u"pack"_s)
        actions.pack->trigger();
    else
        actions.deleteUnused[0]->trigger();

    QTEST(desktop.opened, "opened");
    QStringList titles;
    for (const ScriptedModals::Shown& shown : modals.shown())
        titles << shown.title;
    QTEST(titles, "modals");
    QTEST(restarts, "restarts");
    QCOMPARE(listsChanged, 0);
    QCOMPARE(modals.unusedHandlers(), 0);
    QCOMPARE(dialogs.unusedAnswers(), 0);
}

QTEST_MAIN(TestMaintenanceMenu)
#include "tst_maintenance_menu.moc"
