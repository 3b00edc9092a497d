#include "../report_fixture.h"
#include "catalogue/book_session.h"
#include "reports/gui/frm_output.h"
#include "reports/gui/frm_rpt_sel.h"
#include "reports/gui/reports_menu.h"
#include "support/catalogue_folder.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_modals.h"

#include <QAction>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;
using catalogue_test::CatalogueFolder;

// The Reports menu over a session on the five-book collection, its items
// plain actions named as the main window's are, in a window of their own.
class TestReportsMenu : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void runsFromTheMenu_data();
    void runsFromTheMenu();

private:
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<CatalogueFolder> m_folder;
    std::unique_ptr<BookSession> m_session;
    std::unique_ptr<QWidget> m_window;
    ReportsMenu* m_menu = nullptr; // owned by m_window
};

void TestReportsMenu::init()
{
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    m_folder = std::make_unique<CatalogueFolder>();
    m_folder->addCollection();
    m_session = std::make_unique<BookSession>();
    QVERIFY(m_session->open(m_folder->path()));
    m_window = std::make_unique<QWidget>();
    const auto action = [this](const QString& name) {
        auto* item = new QAction(name, m_window.get());
        item->setObjectName(name);
        return item;
    };
    ReportsMenu::Actions actions;
    actions.viewPrint = action(u"mnuFormat_1"_s);
    actions.saveToFile = action(u"mnuFormat_2"_s);
    for (size_t index = 1; index <= actions.lists.size(); ++index)
        actions.lists[index - 1] = action(u"mnuReport_%1"_s.arg(index));
    actions.quickCount = action(u"mnuQuickCount"_s);
    actions.countByCategory = action(u"mnuCountByCat"_s);
    BookSession& session = *m_session;
    m_menu = new ReportsMenu(m_window.get(), actions,
                             [&session] { return session.isOpen() ? &session.database() : nullptr; });
    m_window->show();
}

void TestReportsMenu::cleanup()
{
    m_window.reset();
    m_session.reset();
    m_folder.reset();
    m_dialogs.reset();
}

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
    const QString file = QDir(m_folder->path()).filePath(u"BookRpt.txt"_s);
    m_dialogs->setNextFileName(file);
    ScopedScriptedModals modals;
    modals.enqueue([](QDialog& dialog) {
        auto& selection = dynamic_cast<frmRptSel&>(dialog);
        selection.optSelected->click();
        selection.List1->setCurrentRow(0); // Adams, Ann
        selection.cmdOk->click();
        return dialog.result();
    });

    for (const QString& name : actions.split(u' '))
        m_window->findChild<QAction*>(name)->trigger();
    QTEST(m_dialogs->takeMessages(), "messages");
    QCOMPARE(report_test::fileContents(file),
             fileLines.isEmpty() ? QByteArray("<no file>") : report_test::crlfLines(fileLines));
    frmOutput* output = m_menu->output();
    QCOMPARE(output != nullptr, !previewHeader.isEmpty());
    if (output) {
        QVERIFY(output->isVisible());
        QVERIFY(output->document()->pageHeader().contains(u'|' + previewHeader + u'|'));
        QVERIFY(m_window->isEnabled());
    }
}

QTEST_MAIN(TestReportsMenu)
#include "tst_reports_menu.moc"
