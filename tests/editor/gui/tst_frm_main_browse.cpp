// Paging through the books, the switch to the edit state and the sort orders
// of the main window.

#include "editor/gui/main_window_fixture.h"

#include "support/locale_guard.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

class TestFrmMainBrowse : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void navigation_data();
    void navigation();
    void emptyCatalogueNavigationDoesNothing();
    void firstChangeEntersEditState_data();
    void firstChangeEntersEditState();
    void furtherChangesChangeNothing();
    void changeWhileAddingKeepsAddButton();
    void showingBooksNeverEntersEditState();
    void sortOrders_data();
    void sortOrders();
    void sortOnEmptyCatalogueKeepsFieldsDisabled();

private:
    void createCollection();

    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<CatalogueFolder> m_folder;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

void TestFrmMainBrowse::init()
{
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    m_folder = std::make_unique<CatalogueFolder>();
    m_folder->create();
}

void TestFrmMainBrowse::cleanup()
{
    QVERIFY2(m_dialogs->messages().isEmpty(),
             m_dialogs->messages().isEmpty() ? "" : qPrintable(m_dialogs->messages().first().text));
    m_folder.reset();
    m_dialogs.reset();
}

// Five books; title order Apple Pie, Banana, The Cat, Moon, Zoo Life.
void TestFrmMainBrowse::createCollection()
{
    m_folder->addAuthor(1, u"Smith"_s, u"John"_s);
    m_folder->addAuthor(2, u"Adams"_s, u"Ann"_s);
    m_folder->addLookup(u"Categories"_s, u"CatID"_s, u"CatName"_s, 1, u"Travel"_s);
    m_folder->addLookup(u"Categories"_s, u"CatID"_s, u"CatName"_s, 2, u"Cooking"_s);
    m_folder->addLookup(u"Categories"_s, u"CatID"_s, u"CatName"_s, 3, u"Animals"_s);
    m_folder->addBook(u"Zoo Life"_s, {{u"AuthID"_s, 2}, {u"CatID"_s, 1}});
    m_folder->addBook(u"Apple Pie"_s, {{u"AuthID"_s, 1}, {u"CatID"_s, 2}});
    m_folder->addBook(u"Moon"_s);
    m_folder->addBook(u"Banana"_s, {{u"AuthID"_s, 2}, {u"CatID"_s, 2}});
    m_folder->addBook(u"The Cat"_s, {{u"SortTitle"_s, u"CAT"_s}, {u"AuthID"_s, 1}, {u"CatID"_s, 3}});
}

void TestFrmMainBrowse::navigation_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("beeps");
    QTest::newRow("start") << QStringList() << u"Apple Pie"_s << 0;
    QTest::newRow("next") << QStringList{u"cmdNext"_s} << u"Banana"_s << 0;
    QTest::newRow("next, next, previous")
        << QStringList{u"cmdNext"_s, u"cmdNext"_s, u"cmdPrevious"_s} << u"Banana"_s << 0;
    QTest::newRow("last") << QStringList{u"cmdLast"_s} << u"Zoo Life"_s << 0;
    QTest::newRow("last, first") << QStringList{u"cmdLast"_s, u"cmdFirst"_s} << u"Apple Pie"_s << 0;
    QTest::newRow("previous on the first beeps and stays")
        << QStringList{u"cmdPrevious"_s} << u"Apple Pie"_s << 1;
    QTest::newRow("next on the last beeps and stays")
        << QStringList{u"cmdLast"_s, u"cmdNext"_s} << u"Zoo Life"_s << 1;
    QTest::newRow("twice past the end, then back")
        << QStringList{u"cmdLast"_s, u"cmdNext"_s, u"cmdNext"_s, u"cmdPrevious"_s} << u"Moon"_s << 2;
    QTest::newRow("past the start, then on")
        << QStringList{u"cmdPrevious"_s, u"cmdNext"_s} << u"Banana"_s << 1;
}

void TestFrmMainBrowse::navigation()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, title);
    QFETCH(int, beeps);
    createCollection();
    auto w = loadWindow(m_folder->path());

    for (const QString& name : clicks) {
        auto* button = w->findChild<QPushButton*>(name);
        QVERIFY(button);
        button->click();
    }
    QCOMPARE(w->txtTitle->text(), title);
    QCOMPARE(m_dialogs->beepCount(), beeps);
    QVERIFY(browseButtonsShown(*w));
}

void TestFrmMainBrowse::emptyCatalogueNavigationDoesNothing()
{
    auto w = loadWindow(m_folder->path());
    for (QPushButton* button :
         {w->cmdFirst, w->cmdPrevious, w->cmdNext, w->cmdLast, w->cmdNext, w->cmdPrevious})
        button->click();
    QCOMPARE(m_dialogs->beepCount(), 0);
    QVERIFY(w->txtTitle->text().isEmpty());
    QVERIFY(!w->txtTitle->isEnabled());
    QVERIFY(browseButtonsShown(*w));
    QVERIFY(!w->Editing);
}

void TestFrmMainBrowse::firstChangeEntersEditState_data()
{
    QTest::addColumn<QString>("control");
    for (const char* name :
         {"txtTitle",    "txtVol",   "txtIssue",    "txtYear",      "txtISBN",   "txtCoverPrice",
          "txtBuyPrice", "txtNotes", "txtLoanedTo", "cmbAuthID",    "cmbPubID",  "cmbCatID",
          "cmbOwnerID",  "cmbLocID", "cmbForID",    "cmbSerID",     "dcBuyDate", "dcReadDate",
          "dcLoanDate",  "chkRead",  "chkOnLoan",   "optFiction_0", "optNew_0"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// One typed character (or one click) is enough. The books of the collection
// are nonfiction and used, so the Fiction and New buttons are a change.
void TestFrmMainBrowse::firstChangeEntersEditState()
{
    QFETCH(QString, control);
    createCollection();
    auto w = loadWindow(m_folder->path());
    QVERIFY(browseButtonsShown(*w));

    QWidget* widget = w->findChild<QWidget*>(control);
    QVERIFY(widget);
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        QTest::keyClick(combo->lineEdit(), Qt::Key_X);
    else if (auto* date = qobject_cast<DateField*>(widget))
        QTest::keyClick(date->lineEdit(), Qt::Key_1);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->click();
    else
        QTest::keyClick(widget, Qt::Key_1);

    QVERIFY(editButtonsShown(*w));
    QVERIFY(w->Editing);
    QVERIFY(!w->Adding);
}

void TestFrmMainBrowse::furtherChangesChangeNothing()
{
    createCollection();
    auto w = loadWindow(m_folder->path());
    QTest::keyClicks(w->txtTitle, u"ab"_s);
    w->chkRead->click();
    QTest::keyClick(w->cmbAuthID->lineEdit(), Qt::Key_Z);
    QVERIFY(editButtonsShown(*w));
    QVERIFY(w->Editing);
}

void TestFrmMainBrowse::changeWhileAddingKeepsAddButton()
{
    createCollection();
    auto w = loadWindow(m_folder->path());
    // The state "Add New" leaves the window in.
    w->Adding = true;
    w->ShowEditButtons();
    w->cmdAdd->setText(u"&Add Another"_s);

    QTest::keyClick(w->txtTitle, Qt::Key_Q);

    QVERIFY(shown(w->cmdAdd));
    QVERIFY(shown(w->cmdCancel));
    QVERIFY(shown(w->cmdUpdate));
    QVERIFY(!shown(w->cmdNext));
    QVERIFY(!w->Editing);
}

void TestFrmMainBrowse::showingBooksNeverEntersEditState()
{
    createCollection();
    auto w = loadWindow(m_folder->path());
    const auto checkBrowsing = [&w](const char* after) {
        QVERIFY2(browseButtonsShown(*w), after);
        QVERIFY2(!w->Editing, after);
    };
    checkBrowsing("start-up");
    w->cmdNext->click();
    checkBrowsing("Next");
    w->cmdLast->click();
    checkBrowsing("Last");
    w->cmdNext->click();
    checkBrowsing("Next at the end");
    w->ShowRecord();
    checkBrowsing("ShowRecord");
    for (int index : {2, 3, 1}) {
        w->mnuSort[index]->trigger();
        checkBrowsing("a change of order");
    }
}

void TestFrmMainBrowse::sortOrders_data()
{
    QTest::addColumn<QList<int>>("choices");
    QTest::addColumn<QStringList>("titles");
    const QStringList byTitle{u"Apple Pie"_s, u"Banana"_s, u"The Cat"_s, u"Moon"_s, u"Zoo Life"_s};
    // No author first, then Adams, Ann before Smith, John, each by sort title.
    const QStringList byAuthor{u"Moon"_s, u"Banana"_s, u"Zoo Life"_s, u"Apple Pie"_s, u"The Cat"_s};
    const QStringList byCategory{u"Moon"_s, u"The Cat"_s, u"Apple Pie"_s, u"Banana"_s, u"Zoo Life"_s};
    QTest::newRow("title") << QList<int>{1} << byTitle;
    QTest::newRow("author") << QList<int>{2} << byAuthor;
    QTest::newRow("category") << QList<int>{3} << byCategory;
    QTest::newRow("author, then title again") << QList<int>{2, 1} << byTitle;
    QTest::newRow("category, then author") << QList<int>{3, 2} << byAuthor;
    QTest::newRow("author chosen twice") << QList<int>{2, 2} << byAuthor;
}

void TestFrmMainBrowse::sortOrders()
{
    QFETCH(QList<int>, choices);
    QFETCH(QStringList, titles);
    createCollection();
    auto w = loadWindow(m_folder->path());
    w->cmdLast->click();

    for (int index : choices)
        w->mnuSort[index]->trigger();
    const int order = choices.last();

    // The first book of the new order is shown at once.
    QCOMPARE(w->txtTitle->text(), titles.first());
    QCOMPARE(w->SortOrder, order);
    for (int item = 1; item <= 3; ++item)
        QCOMPARE(w->mnuSort[item]->isChecked(), item == order);
    QCOMPARE(titlesInOrder(*w, *m_dialogs), titles);
    // Every order shows the whole book, its author and category included
    // (the second book of each order has both).
    w->cmdFirst->click();
    w->cmdNext->click();
    QVERIFY(!w->cmbAuthID->currentText().isEmpty());
    QVERIFY(!w->cmbCatID->currentText().isEmpty());
}

void TestFrmMainBrowse::sortOnEmptyCatalogueKeepsFieldsDisabled()
{
    auto w = loadWindow(m_folder->path());
    w->mnuSort[2]->trigger();
    QVERIFY(!w->txtTitle->isEnabled());
    QVERIFY(w->txtTitle->text().isEmpty());
    QVERIFY(w->mnuSort[2]->isChecked());
    QVERIFY(!w->mnuSort[1]->isChecked());
    w->cmdNext->click();
    QCOMPARE(m_dialogs->beepCount(), 0);
}

QTEST_MAIN(TestFrmMainBrowse)
#include "tst_frm_main_browse.moc"
