// Paging through the books, the switch to the edit state and the sort orders
// of the main window.

#include "editor/gui/main_window_fixture.h"

using namespace mainwin_test;
using namespace Qt::StringLiterals;

class TestFrmMainBrowse : public QObject
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

    void navigation_data();
    void navigation();
    void firstChangeEntersEditState_data();
    void firstChangeEntersEditState();
    void showingBooksNeverEntersEditState();
    void sortOrders();

private:
    MainWindowFixture f;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
};

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

// Each order's menu item shows the first book of its order at once and checks
// itself alone; which books come in what order is the session's concern.
void TestFrmMainBrowse::sortOrders()
{
    frmMain& w = f.window();
    const QList<std::pair<int, QString>> lastOfOrder{
        {2, u"The Cat"_s}, {3, u"Zoo Life"_s}, {1, u"Zoo Life"_s}};
    for (const auto& [order, last] : lastOfOrder) {
        w.cmdLast->click();
        w.mnuSort[order]->trigger();
        QCOMPARE(w.txtTitle->text(), order == 1 ? u"Apple Pie"_s : u"Moon"_s);
        QCOMPARE(static_cast<int>(w.SortOrder), order);
        for (int item = 1; item <= 3; ++item)
            QCOMPARE(w.mnuSort[item]->isChecked(), item == order);
        QCOMPARE(f.titlesInOrder().last(), last);
        // Every order shows the whole book (the second of each has an author
        // and a category).
        w.cmdFirst->click();
        w.cmdNext->click();
        QVERIFY(!w.cmbAuthID->currentText().isEmpty() && !w.cmbCatID->currentText().isEmpty());
    }
}

QTEST_MAIN(TestFrmMainBrowse)
#include "tst_frm_main_browse.moc"
