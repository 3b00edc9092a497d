#include "../../editor/gui/main_window_fixture.h"
#include "../report_fixture.h"
#include "reports/gui/frm_output.h"
#include "reports/gui/frm_rpt_sel.h"
#include "reports/gui/reports_menu.h"
#include "support/scripted_modals.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace mainwin_test;

// The Reports menu of the running main window, on its five-book collection.
class TestReportsMenu : public QObject, public MainWindowFixture
{
    Q_OBJECT
private slots:
    void init()
    {
        setUp();
        folder().addCollection();
        QVERIFY(openWindow());
    }
    void cleanup() { tearDown(); }
    void runsFromTheMenu_data();
    void runsFromTheMenu();
};

void TestReportsMenu::runsFromTheMenu_data()
{
    QTest::addColumn<QString>("actions"); // object names of the menu items, in order
    QTest::addColumn<QStringList>("fileLines");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("previewHeader"); // the centre of the shown document's page header

    QTest::newRow("a list to a file")
        << u"mnuFormat_2 mnuReport_1"_s
        << QStringList{u"Apple Pie\tJohn Smith"_s, u"Banana\tAnn Adams"_s, u"The Cat\tJohn Smith"_s,
                       u"Moon\t"_s, u"Zoo Life\tAnn Adams"_s}
        << QStringList{} << QString();
    QTest::newRow("one author, chosen in frmRptSel")
        << u"mnuFormat_2 mnuReport_2"_s << QStringList{u"Ann Adams\tBanana"_s, u"Ann Adams\tZoo Life"_s}
        << QStringList{} << QString();
    QTest::newRow("count by category to a file")
        << u"mnuFormat_2 mnuCountByCat"_s
        << QStringList{u"No Category Entered\t1"_s, u"Animals\t1"_s, u"Cooking\t2"_s, u"Travel\t1"_s,
                       u"Total Number of Books\t5"_s}
        << QStringList{} << QString();
    QTest::newRow("preview unless told otherwise")
        << u"mnuReport_5"_s << QStringList{} << QStringList{} << u"Books Price List"_s;
    QTest::newRow("back to the preview") << u"mnuFormat_2 mnuFormat_1 mnuCountByCat"_s << QStringList{}
                                         << QStringList{} << u"Book Count by Category"_s;
    QTest::newRow("quick count")
        << u"mnuQuickCount"_s << QStringList{}
        << QStringList{u"Quillary: You have now entered 5 books in The Quillary Program."_s} << QString();
}

void TestReportsMenu::runsFromTheMenu()
{
    QFETCH(QString, actions);
    QFETCH(QStringList, fileLines);
    QFETCH(QString, previewHeader);
    const QString file = QDir(folder().path()).filePath(u"BookRpt.txt"_s);
    dialogs().setNextFileName(file);
    ScopedScriptedModals modals;
    modals.enqueue([](QDialog& dialog) {
        auto& selection = dynamic_cast<frmRptSel&>(dialog);
        selection.optSelected->click();
        selection.List1->setCurrentRow(0); // Adams, Ann
        selection.cmdOk->click();
        return dialog.result();
    });

    for (const QString& name : actions.split(u' '))
        window().findChild<QAction*>(name)->trigger();
    QTEST(takeMessages(), "messages");
    QCOMPARE(report_test::fileContents(file),
             fileLines.isEmpty() ? QByteArray("<no file>") : report_test::crlfLines(fileLines));
    frmOutput* output = window().reports().output();
    QCOMPARE(output != nullptr, !previewHeader.isEmpty());
    if (output) {
        QVERIFY(output->isVisible());
        QVERIFY(output->document()->pageHeader().contains(u'|' + previewHeader + u'|'));
        QVERIFY(window().isEnabled());
    }
}

QTEST_MAIN(TestReportsMenu)
#include "tst_reports_menu.moc"
