// Paging through the books, the switch to the edit state and the sort orders
// of the main window.

#include "editor/gui/main_window_fixture.h"

using namespace mainwin_test;
using namespace Qt::StringLiterals;

class TestFrmMainBrowse : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { f.tearDownChecked(); }

    void navigation_data();
    void navigation();
    void firstChangeEntersEditState_data();
    void firstChangeEntersEditState();
    void showingBooksNeverEntersEditState();
    void sortOrders_data();
    void sortOrders();

private:
    MainWindowFixture f;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

void TestFrmMainBrowse::init()
{
    f.setUp();
    f.folder().addCollection();
    QVERIFY(f.openWindow());
}

void TestFrmMainBrowse::navigation_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("beeps");
    QTest::newRow("start") << QStringList() << u"Apple Pie"_s << 0;
    QTest::newRow("next, next, previous")
        << QStringList{u"cmdNext"_s, u"cmdNext"_s, u"cmdPrevious"_s} << u"Banana"_s << 0;
    QTest::newRow("last, first") << QStringList{u"cmdLast"_s, u"cmdFirst"_s} << u"Apple Pie"_s << 0;
    QTest::newRow("previous on the first beeps and stays")
        << QStringList{u"cmdPrevious"_s} << u"Apple Pie"_s << 1;
    QTest::newRow("past the start, then on")
        << QStringList{u"cmdPrevious"_s, u"cmdNext"_s} << u"Banana"_s << 1;
    QTest::newRow("twice past the end, then back")
        << QStringList{u"cmdLast"_s, u"cmdNext"_s, u"cmdNext"_s, u"cmdPrevious"_s} << u"Moon"_s << 2;
}

void TestFrmMainBrowse::navigation()
{
    QFETCH(QStringList, clicks);
    for (const QString& name : clicks) {
        auto* button = f.window().findChild<QPushButton*>(name);
        QVERIFY(button);
        button->click();
    }
    QTEST(f.window().txtTitle->text(), "title");
    QTEST(f.dialogs().beepCount(), "beeps");
    QVERIFY(browseButtonsShown(f.window()));
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
    frmMain& w = f.window();
    QWidget* widget = w.findChild<QWidget*>(control);
    QVERIFY(widget);
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        QTest::keyClick(combo->lineEdit(), Qt::Key_X);
    else if (auto* date = qobject_cast<DateField*>(widget))
        QTest::keyClick(date->lineEdit(), Qt::Key_1);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->click();
    else
        QTest::keyClick(widget, Qt::Key_1);

    QVERIFY(editButtonsShown(w) && w.Editing && !w.Adding);
}

void TestFrmMainBrowse::showingBooksNeverEntersEditState()
{
    frmMain& w = f.window();
    const auto step = [&w](const std::function<void()>& action, const char* what) {
        action();
        QVERIFY2(browseButtonsShown(w) && !w.Editing, what);
    };
    step([&] { w.cmdLast->click(); }, "Last");
    step([&] { w.cmdNext->click(); }, "Next at the end");
    step([&] { w.ShowRecord(); }, "ShowRecord");
    step([&] { w.mnuSort[2]->trigger(); }, "a change of order");
}

void TestFrmMainBrowse::sortOrders_data()
{
    QTest::addColumn<QList<int>>("choices");
    QTest::addColumn<QStringList>("titles");
    const QStringList byTitle{u"Apple Pie"_s, u"Banana"_s, u"The Cat"_s, u"Moon"_s, u"Zoo Life"_s};
    // No author first, then Adams, Ann before Smith, John, each by sort title.
    const QStringList byAuthor{u"Moon"_s, u"Banana"_s, u"Zoo Life"_s, u"Apple Pie"_s, u"The Cat"_s};
    const QStringList byCategory{u"Moon"_s, u"The Cat"_s, u"Apple Pie"_s, u"Banana"_s, u"Zoo Life"_s};
    QTest::newRow("author") << QList<int>{2} << byAuthor;
    QTest::newRow("category") << QList<int>{3} << byCategory;
    QTest::newRow("author, then title again") << QList<int>{2, 1} << byTitle;
    QTest::newRow("category, then author") << QList<int>{3, 2} << byAuthor;
}

void TestFrmMainBrowse::sortOrders()
{
    QFETCH(QList<int>, choices);
    QFETCH(QStringList, titles);
    frmMain& w = f.window();
    w.cmdLast->click();
    for (int index : choices)
        w.mnuSort[index]->trigger();

    // The first book of the new order is shown at once, the menu checks its
    // order alone.
    QCOMPARE(w.txtTitle->text(), titles.first());
    QCOMPARE(static_cast<int>(w.SortOrder), choices.last());
    for (int item = 1; item <= 3; ++item)
        QCOMPARE(w.mnuSort[item]->isChecked(), item == choices.last());
    QCOMPARE(f.titlesInOrder().last(), titles.last());
    // Every order shows the whole book (the second book of each order has
    // an author and a category).
    w.cmdFirst->click();
    w.cmdNext->click();
    QVERIFY(!w.cmbAuthID->currentText().isEmpty() && !w.cmbCatID->currentText().isEmpty());
}

QTEST_MAIN(TestFrmMainBrowse)
#include "tst_frm_main_browse.moc"
