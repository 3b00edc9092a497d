// The main window worked from the keyboard: access keys, Alt combinations,
// Cancel out of a refused value, and the commands held back while a book is
// being added or edited.

#include "editor/gui/main_window_fixture.h"

#include <QMenuBar>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

namespace {

const QString invalidPrice = u"Invalid Price: You must enter a number for the price"_s;
const QString invalidVolume =
    u"Invalid Volume: You must enter a number for the volume number or leave the field blank"_s;

// A key combination as the user presses it, on whatever has the focus.
void press(const QString& keys)
{
    const QKeyCombination combination = QKeySequence::fromString(keys)[0];
    QTest::keyClick(QApplication::focusWidget(), combination.key(), combination.keyboardModifiers());
}

QWidget* control(frmMain& w, const QString& name)
{
    auto* widget = w.findChild<QWidget*>(name);
    Q_ASSERT(widget);
    return widget;
}

// The window in its edit state on Banana, or adding a book titled Dune.
void startEditing(MainWindowFixture& f, bool adding)
{
    frmMain& w = f.window();
    if (adding) {
        w.cmdAdd->click();
        f.typeInto(w.txtTitle, u"Dune"_s);
    } else {
        f.showTitle(u"Banana"_s);
    }
}

} // namespace

class TestFrmMainKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        f.setUp();
        f.folder().addCollection();
        QVERIFY(f.openWindow());
    }
    void cleanup() { f.tearDownChecked(); }

    void accessKeyLeavesTheFieldFirst_data();
    void accessKeyLeavesTheFieldFirst();
    void cancelDropsARefusedValue_data();
    void cancelDropsARefusedValue();
    void catalogueCommandsWaitForTheBook_data();
    void catalogueCommandsWaitForTheBook();
    void altKeysTypeNothing_data();
    void altKeysTypeNothing();
    void sortMenuReachedFromTheMenuBar();
    void authorRewriteTakesOnlyAWholeEntry_data();
    void authorRewriteTakesOnlyAWholeEntry();

private:
    MainWindowFixture f;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

void TestFrmMainKeyboard::accessKeyLeavesTheFieldFirst_data()
{
    QTest::addColumn<bool>("adding");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("refusal"); // empty when the book is stored

    const QByteArray banana = "select a.LastName, a.FirstName, b.CoverPrice from Books b "
                              "left join Authors a on a.AuthID = b.AuthID where b.Title = 'Banana'";
    const QByteArray dune = "select Vol, CoverPrice, BuyPrice from Books where Title = 'Dune'";
    QTest::newRow("Update rewrites the author") << false << u"cmbAuthID"_s << u"Mark Twain"_s << u"Alt+U"_s
                                                << banana << QStringList{u"Twain|Mark|<null>"_s} << QString();
    QTest::newRow("Add Another copies the cover price")
        << true << u"txtCoverPrice"_s << u"12.50"_s << u"Alt+A"_s << dune
        << QStringList{u"<null>|12.5|12.5"_s} << QString();
    QTest::newRow("Update stopped by a refused price")
        << false << u"txtCoverPrice"_s << u"12abc"_s << u"Alt+U"_s << banana
        << QStringList{u"Adams|Ann|<null>"_s} << invalidPrice;
    QTest::newRow("Add Another stopped by a refused volume")
        << true << u"txtVol"_s << u"12a"_s << u"Alt+A"_s << dune << QStringList{} << invalidVolume;
}

void TestFrmMainKeyboard::accessKeyLeavesTheFieldFirst()
{
    QFETCH(bool, adding);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, keys);
    QFETCH(QByteArray, query);
    QFETCH(QString, refusal);
    frmMain& w = f.window();
    startEditing(f, adding);

    QWidget* edited = control(w, field);
    f.typeInto(edited, typed);
    press(keys);

    QTEST(f.rows(query), "stored");
    if (refusal.isEmpty()) {
        QVERIFY(f.takeMessages().isEmpty());
        QCOMPARE(w.Adding, adding); // Add Another goes on adding, Update ends editing
        QVERIFY(adding || browseButtonsShown(w));
    } else {
        QCOMPARE(f.takeMessages(), QStringList{refusal});
        QCOMPARE(f.focused(), edited);
        QVERIFY(w.Adding || w.Editing);
    }
}

void TestFrmMainKeyboard::cancelDropsARefusedValue_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("byKey");

    for (const bool byKey : {false, true}) {
        const char* how = byKey ? "Alt+C" : "click";
        QTest::addRow("volume, %s", how) << u"txtVol"_s << u"12a"_s << byKey;
        QTest::addRow("price, %s", how) << u"txtCoverPrice"_s << u"12abc"_s << byKey;
        QTest::addRow("date, %s", how) << u"dcReadDate"_s << u"31/02/1999"_s << byKey;
    }
}

void TestFrmMainKeyboard::cancelDropsARefusedValue()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(bool, byKey);
    frmMain& w = f.window();
    f.showTitle(u"Banana"_s);

    f.typeInto(control(w, field), typed);
    if (byKey)
        press(u"Alt+C"_s);
    else
        QTest::mouseClick(w.cmdCancel, Qt::LeftButton);

    QVERIFY(f.takeMessages().isEmpty());
    QVERIFY(browseButtonsShown(w) && !w.Editing);
    QCOMPARE(control(w, field)->property("text").toString(), QString());
    QCOMPARE(w.txtTitle->text(), u"Banana"_s);
}

void TestFrmMainKeyboard::catalogueCommandsWaitForTheBook_data()
{
    QTest::addColumn<bool>("adding");
    QTest::addColumn<bool>("store"); // Update, or else Cancel
    QTest::addColumn<QStringList>("titlesByAuthorAfter");

    const QStringList collection{u"Moon"_s, u"Banana"_s, u"Zoo Life"_s, u"Apple Pie"_s, u"The Cat"_s};
    QTest::newRow("adding, stored") << true << true << (QStringList{u"Dune"_s} + collection);
    QTest::newRow("adding, cancelled") << true << false << collection;
    QTest::newRow("editing, stored") << false << true << collection;
    QTest::newRow("editing, cancelled") << false << false << collection;
}

void TestFrmMainKeyboard::catalogueCommandsWaitForTheBook()
{
    QFETCH(bool, adding);
    QFETCH(bool, store);
    frmMain& w = f.window();
    startEditing(f, adding);
    if (!adding)
        f.typeInto(w.txtYear, u"1990"_s);

    const QList<QAction*> commands{w.mnuSortMenu->menuAction(), w.mnuSort[2], w.mnuBackup,
                                   w.mnuDelete->menuAction(), w.mnuPack};
    for (QAction* command : commands)
        QVERIFY2(!command->isEnabled(), qPrintable(command->text()));
    // Choosing an order now would replace the book being typed.
    w.mnuSort[2]->trigger();
    QCOMPARE(static_cast<int>(w.SortOrder), 1);
    // The reports only read the catalogue: they run beside the typing.
    QVERIFY(w.mnuReports->menuAction()->isEnabled());
    w.mnuQuickCount->trigger();
    w.mnuReport[1]->trigger();
    QCOMPARE(f.takeMessages().size(), 1);
    QCOMPARE(w.txtTitle->text(), adding ? u"Dune"_s : u"Banana"_s);

    (store ? w.cmdUpdate : w.cmdCancel)->click();
    for (QAction* command : commands)
        QVERIFY2(command->isEnabled(), qPrintable(command->text()));
    w.mnuSort[2]->trigger();
    QCOMPARE(static_cast<int>(w.SortOrder), 2);
    QTEST(f.titlesInOrder(), "titlesByAuthorAfter");
    QCOMPARE(f.rows("select count(*) from Books where Year = 1990"),
             QStringList{!adding && store ? u"1"_s : u"0"_s});
}

void TestFrmMainKeyboard::altKeysTypeNothing_data()
{
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("keys");

    // Alt+N and Alt+D name Next and Delete, hidden while editing.
    QTest::newRow("title, Alt+Q") << false << u"txtTitle"_s << u"Alt+Q"_s;
    QTest::newRow("author, Alt+Q") << false << u"cmbAuthID"_s << u"Alt+Q"_s;
    QTest::newRow("notes, Alt+Shift+Q") << false << u"txtNotes"_s << u"Alt+Shift+Q"_s;
    QTest::newRow("editing, Alt+N") << true << u"txtTitle"_s << u"Alt+N"_s;
    QTest::newRow("editing, Alt+D") << true << u"txtISBN"_s << u"Alt+D"_s;
}

void TestFrmMainKeyboard::altKeysTypeNothing()
{
    QFETCH(bool, editing);
    QFETCH(QString, field);
    QFETCH(QString, keys);
    frmMain& w = f.window();
    f.showTitle(u"Banana"_s);
    if (editing)
        f.typeInto(w.txtYear, u"1990"_s);

    QWidget* target = control(w, field);
    target->setFocus(Qt::MouseFocusReason);
    const QString before = target->property(field == u"txtNotes"_s ? "plainText" : "text").toString();
    press(keys);

    QCOMPARE(target->property(field == u"txtNotes"_s ? "plainText" : "text").toString(), before);
    QCOMPARE(w.Editing, editing);
    QCOMPARE(w.txtTitle->text(), u"Banana"_s); // nothing pressed Next either
}

void TestFrmMainKeyboard::sortMenuReachedFromTheMenuBar()
{
    frmMain& w = f.window();
    w.cmdLast->click();

    // Alt+S presses First, with the focus in a field or on a button.
    w.txtTitle->setFocus(Qt::MouseFocusReason);
    press(u"Alt+S"_s);
    QCOMPARE(w.txtTitle->text(), u"Apple Pie"_s);
    QVERIFY(!w.Editing);

    // F10 enters the menu bar, the arrows move on to Sort.
    press(u"F10"_s);
    QCOMPARE(w.menuBar()->activeAction(), w.mnuFile->menuAction());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
    QCOMPARE(w.menuBar()->activeAction(), w.mnuSortMenu->menuAction());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
}

void TestFrmMainKeyboard::authorRewriteTakesOnlyAWholeEntry_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("stored"); // last and first name, and the number of authors

    // "Smith, John" and "Adams, Ann" are in the list.
    QTest::newRow("beginning of an entry") << u"Jo Smith"_s << u"Smith, Jo"_s << u"Smith|Jo|3"_s;
    QTest::newRow("whole entry, other case") << u"john smith"_s << u"Smith, John"_s << u"Smith|John|2"_s;
    QTest::newRow("no entry") << u"Ann Lee"_s << u"Lee, Ann"_s << u"Lee|Ann|3"_s;
}

void TestFrmMainKeyboard::authorRewriteTakesOnlyAWholeEntry()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    frmMain& w = f.window();
    f.showTitle(u"Moon"_s);

    f.typeInto(w.cmbAuthID, typed);
    f.tabTo(w.cmbPubID);
    QTEST(w.cmbAuthID->currentText(), "shown");
    w.cmdUpdate->click();
    QCOMPARE(f.rows("select a.LastName, a.FirstName, (select count(*) from Authors) from Books b "
                    "join Authors a on a.AuthID = b.AuthID where b.Title = 'Moon'"),
             QStringList{stored});
}

QTEST_MAIN(TestFrmMainKeyboard)
#include "tst_frm_main_keyboard.moc"
