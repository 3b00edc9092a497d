#include "common/shared_state.h"
#include "custom_reports/gui/frm_rptspec.h"
#include "custom_reports/report_fixture.h"
#include "editor/gui/main_window_fixture.h"
#include "reports/gui/frm_output.h"
#include "reports/gui/reports_menu.h"
#include "reports/report_document.h"
#include "support/file_contents.h"
#include "support/locale_guard.h"

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
    void generateReportToEachDestination_data();
    void generateReportToEachDestination();

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
    m_fixture.folder().addCollection();
    m_fixture.folder().addBook(u"Tab\tand\r\nline\nends"_s, {{u"AuthID"_s, 2}});
    writeFieldCatalogue(
        readFieldCatalogueSource(QStringLiteral(QUILLARY_SOURCE_DIR "/data/rptspec.csv")).rows,
        QDir(m_fixture.folder().path()).filePath(FieldCatalogueFileName));
    QVERIFY(m_fixture.openWindow());
    frmMain& main = m_fixture.window();
    main.mnuRptCustom->trigger();
    auto* designer = main.findChild<frmRptSpec*>();
    QVERIFY(designer);
    for (const QString& field : {u"Title"_s, u"Author Last Name"_s}) {
        designer->List1->setCurrentItem(designer->List1->findItems(field, Qt::MatchExactly).value(0));
        designer->cmdAdd_Click();
    }
    designer->fieldSettings()[2].StartsWith = u"Adams"_s;
    designer->cmbSort1->setCurrentIndex(designer->cmbSort1->findText(u"Title"_s));
    designer->optReportTo[destination]->setChecked(true);
    const QString path = file.isEmpty() ? QString() : QDir(m_fixture.folder().path()).filePath(file);
    m_fixture.dialogs().setNextFileName(path);

    QTest::mouseClick(designer->cmdGenerate, Qt::LeftButton);
    QCOMPARE(m_fixture.dialogs().texts(), QStringList());
    if (destination == 1) {
        frmOutput* output = main.reports().output();
        QVERIFY(output && output->isVisible());
        output->finishBuilding();
        QCOMPARE(output->document()->rowCount(), 4); // the header row and three books
        return;
    }
    QVERIFY2(fileBytes(path).contains(contents), fileBytes(path).constData());
}

QTEST_MAIN(TestCustomReportsMenu)
#include "tst_custom_reports_menu.moc"
