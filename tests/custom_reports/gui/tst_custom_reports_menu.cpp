#include "catalogue/book_session.h"
#include "common/shared_state.h"
#include "custom_reports/gui/custom_reports_menu.h"
#include "custom_reports/gui/frm_rptspec.h"
#include "custom_reports/report_fixture.h"
#include "reports/gui/frm_output.h"
#include "reports/gui/program_report_windows.h"
#include "reports/report_document.h"
#include "support/catalogue_folder.h"
#include "support/file_contents.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"

#include <QAction>
#include <QTest>
#include <QWidget>

using catalogue_test::CatalogueFolder;
using namespace report_test;

Q_DECLARE_METATYPE(UserDialogs::Answer)

// The designer as the custom reports entry opens it: a plain action in a
// window of its own, over a session on the test's catalogue, its previews in
// the program's report windows.
class TestCustomReportsMenu : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void menuOpensOneDesignerAndClosingAsksFirst_data();
    void menuOpensOneDesignerAndClosingAsksFirst();
    void generateReportToEachDestination_data();
    void generateReportToEachDestination();

private:
    // Opens the session on the folder as it is now and builds the menu over it.
    bool openMenu();
    QString inFolder(const QString& name) const { return QDir(m_folder->path()).filePath(name); }

    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<CatalogueFolder> m_folder;
    std::unique_ptr<BookSession> m_session;
    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<ProgramReportWindows> m_reportWindows;
    QAction* m_open = nullptr;           // owned by m_window
    CustomReportsMenu* m_menu = nullptr; // owned by m_window
};

void TestCustomReportsMenu::init()
{
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    m_folder = std::make_unique<CatalogueFolder>();
}

void TestCustomReportsMenu::cleanup()
{
    m_reportWindows.reset();
    m_window.reset();
    m_session.reset();
    m_folder.reset();
    m_dialogs.reset();
}

bool TestCustomReportsMenu::openMenu()
{
    m_session = std::make_unique<BookSession>();
    if (!m_session->open(m_folder->path()))
        return false;
    m_window = std::make_unique<QWidget>();
    BookSession& session = *m_session;
    m_reportWindows = std::make_unique<ProgramReportWindows>(
        m_window.get(), [&session] { return session.isOpen() ? &session.database() : nullptr; });
    m_open = new QAction(u"Custom Reports"_s, m_window.get());
    m_menu = new CustomReportsMenu(m_window.get(), m_open, session, *m_reportWindows);
    m_window->show();
    m_window->activateWindow();
    return QTest::qWaitForWindowActive(m_window.get());
}

void TestCustomReportsMenu::menuOpensOneDesignerAndClosingAsksFirst_data()
{
    QTest::addColumn<UserDialogs::Answer>("saveAnswer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("not saved: closes") << UserDialogs::Answer::No << true;
    QTest::newRow("save cancelled: stays") << UserDialogs::Answer::Yes << false;
}

void TestCustomReportsMenu::menuOpensOneDesignerAndClosingAsksFirst()
{
    QFETCH(UserDialogs::Answer, saveAnswer);
    QFETCH(bool, closed);
    writeFieldCatalogue(catalogueRows(), inFolder(FieldCatalogueFileName));
    QVERIFY(openMenu());
    sharedState().CatalogueKey = u"journals"_s;

    m_open->trigger();
    auto* designer = m_window->findChild<frmRptSpec*>();
    QVERIFY(designer && designer->isVisible() && designer->isWindow());
    QCOMPARE(m_menu->designer(), designer);
    QCOMPARE(sharedState().CatalogueKey, u"books"_s);
    QCOMPARE(designer->List1->count(), 6);
    designer->List1->setCurrentRow(0);
    designer->cmdAdd_Click();

    // Again: the same designer, its report as it was.
    m_window->activateWindow();
    m_open->trigger();
    QCOMPARE(m_window->findChildren<frmRptSpec*>().size(), 1);
    QCOMPARE(designer->List2->count(), 1);
    QVERIFY(designer->isVisible());

    m_dialogs->setNextAnswer(saveAnswer);
    if (saveAnswer == UserDialogs::Answer::Yes)
        m_dialogs->setNextFileName(QString());
    QCOMPARE(m_menu->closeDesigner(), closed);
    QCOMPARE(m_dialogs->questions().size(), 1);
    QCOMPARE(designer->isVisible(), !closed);
}

void TestCustomReportsMenu::generateReportToEachDestination_data()
{
    QTest::addColumn<int>("destination");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("preview") << 1 << QString() << QByteArray();
    QTest::newRow("text file") << 2 << u"out.txt"_s
                               << QByteArray(
                                      "Banana\tAdams\r\nTab and line ends\tAdams\r\nZoo Life\tAdams\r\n");
    QTest::newRow("web table") << 3 << u"out.htm"_s
                               << QByteArray("<tr><td>Banana</td><td>Adams</td></tr>\r\n");
}

// The shipped fields, Title and the author's last name chosen, books by
// Adams only, to each destination through the designer's own button. A TAB
// and line ends stored inside a title (by another tool) are spaces in a text
// file, where they would start a new column or line.
void TestCustomReportsMenu::generateReportToEachDestination()
{
    QFETCH(int, destination);
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);
    LocaleGuard locale(QLocale(QLocale::English, QLocale::UnitedStates));
    m_folder->addCollection();
    m_folder->addBook(u"Tab\tand\r\nline\nends"_s, {{u"AuthID"_s, 2}});
    writeFieldCatalogue(
        readFieldCatalogueSource(QStringLiteral(QUILLARY_SOURCE_DIR "/data/rptspec.csv")).rows,
        inFolder(FieldCatalogueFileName));
    QVERIFY(openMenu());
    m_open->trigger();
    auto* designer = m_window->findChild<frmRptSpec*>();
    QVERIFY(designer);
    for (const QString& field : {u"Title"_s, u"Author Last Name"_s}) {
        designer->List1->setCurrentItem(designer->List1->findItems(field, Qt::MatchExactly).value(0));
        designer->cmdAdd_Click();
    }
    designer->fieldSettings()[2].StartsWith = u"Adams"_s;
    designer->cmbSort1->setCurrentIndex(designer->cmbSort1->findText(u"Title"_s));
    designer->optReportTo[destination]->setChecked(true);
    const QString path = file.isEmpty() ? QString() : inFolder(file);
    m_dialogs->setNextFileName(path);

    QTest::mouseClick(designer->cmdGenerate, Qt::LeftButton);
    QCOMPARE(m_dialogs->texts(), QStringList());
    if (destination == 1) {
        frmOutput* output = m_reportWindows->output();
        QVERIFY(output && output->isVisible());
        output->finishBuilding();
        QCOMPARE(output->document()->rowCount(), 4); // the header row and three books
        return;
    }
    QVERIFY2(fileBytes(path).contains(contents), fileBytes(path).constData());
}

QTEST_MAIN(TestCustomReportsMenu)
#include "tst_custom_reports_menu.moc"
