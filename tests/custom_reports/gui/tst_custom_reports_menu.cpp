#include "common/shared_state.h"
#include "custom_reports/gui/frm_rptspec.h"
#include "custom_reports/report_fixture.h"
#include "editor/gui/main_window_fixture.h"

using namespace mainwin_test;
using namespace report_test;

Q_DECLARE_METATYPE(UserDialogs::Answer)

// The designer as the main window's Reports menu opens it.
class TestCustomReportsMenu : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_fixture.setUp(); }
    void cleanup() { m_fixture.tearDown(); }
    void menuOpensOneDesignerAndClosingAsksFirst_data();
    void menuOpensOneDesignerAndClosingAsksFirst();

private:
    MainWindowFixture m_fixture;
};

void TestCustomReportsMenu::menuOpensOneDesignerAndClosingAsksFirst_data()
{
    QTest::addColumn<UserDialogs::Answer>("saveAnswer");
    QTest::addColumn<bool>("closed");
    QTest::newRow("not saved: both close") << UserDialogs::Answer::No << true;
    QTest::newRow("save cancelled: both stay") << UserDialogs::Answer::Yes << false;
}

void TestCustomReportsMenu::menuOpensOneDesignerAndClosingAsksFirst()
{
    QFETCH(UserDialogs::Answer, saveAnswer);
    QFETCH(bool, closed);
    writeFieldCatalogue(catalogueRows(), QDir(m_fixture.folder().path()).filePath(FieldCatalogueFileName));
    QVERIFY(m_fixture.openWindow());
    frmMain& main = m_fixture.window();
    sharedState().CatalogueKey = u"journals"_s;

    main.mnuRptCustom->trigger();
    auto* designer = main.findChild<frmRptSpec*>();
    QVERIFY(designer && designer->isVisible() && designer->isWindow());
    QCOMPARE(sharedState().CatalogueKey, u"books"_s);
    QCOMPARE(designer->List1->count(), 6);
    designer->List1->setCurrentRow(0);
    designer->cmdAdd_Click();

    // Again: the same designer, its report as it was.
    main.activateWindow();
    main.mnuRptCustom->trigger();
    QCOMPARE(main.findChildren<frmRptSpec*>().size(), 1);
    QCOMPARE(designer->List2->count(), 1);
    QVERIFY(designer->isVisible());

    m_fixture.dialogs().setNextAnswer(saveAnswer);
    if (saveAnswer == UserDialogs::Answer::Yes)
        m_fixture.dialogs().setNextFileName(QString());
    QCOMPARE(main.close(), closed);
    QCOMPARE(m_fixture.dialogs().questions().size(), 1);
    QCOMPARE(designer->isVisible(), !closed);
    QCOMPARE(catalogueState().dbCatalogue != nullptr, !closed);
}

QTEST_MAIN(TestCustomReportsMenu)
#include "tst_custom_reports_menu.moc"
