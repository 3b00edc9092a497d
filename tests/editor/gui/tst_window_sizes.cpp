// Every window of the program, opened as the user opens it on a laptop screen
// of 1366 by 768, lies within the screen with all of its buttons.

#include "editor/gui/main_window_fixture.h"

#include "common/gui/windows_on_screen.h"
#include "custom_reports/field_catalogue.h"
#include "custom_reports/field_catalogue_source.h"
#include "custom_reports/gui/frm_rptspec.h"
#include "reports/gui/frm_output.h"
#include "reports/gui/reports_menu.h"
#include "support/scripted_modals.h"

#include <QAbstractButton>
#include <QDialog>
#include <QScreen>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

namespace {

// The parts of window that lie outside the screen's available area: the
// window itself and its buttons, by name.
QStringList outsideTheScreen(QWidget& window)
{
    const QRect area = window.screen()->availableGeometry();
    QStringList outside;
    if (!area.contains(window.frameGeometry()))
        outside << window.objectName();
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&window))
            continue;
        if (!area.contains(QRect(button->mapToGlobal(QPoint(0, 0)), button->size())))
            outside << button->objectName();
    }
    return outside;
}

// How a window is opened from the main window: modal ones are looked at
// while they are shown, the others once they are.
using Opening = std::function<QWidget*(frmMain&, ScriptedModals&, QStringList& outside)>;

Opening modal(std::function<void(frmMain&)> open)
{
    return [open](frmMain& main, ScriptedModals& modals, QStringList& outside) -> QWidget* {
        modals.enqueue([&outside](QDialog& dialog) {
            outside = outsideTheScreen(dialog);
            dialog.reject();
            return dialog.result();
        });
        open(main);
        return nullptr;
    };
}

} // namespace

Q_DECLARE_METATYPE(Opening)

class TestWindowSizes : public QObject
{
    Q_OBJECT

public:
    // The laptop's screen, before the application starts.
    static void initMain()
    {
        qputenv("QT_QPA_PLATFORM",
                "offscreen:configfile=" QUILLARY_SOURCE_DIR "/tests/fixtures/screen_1366x768.json");
    }

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->size(), QSize(1366, 768));
        qApp->installEventFilter(&m_windowsOnScreen);
    }
    void init()
    {
        m_fixture.setUp();
        m_fixture.folder().addCollection();
        writeFieldCatalogue(
            readFieldCatalogueSource(QStringLiteral(QUILLARY_SOURCE_DIR "/data/rptspec.csv")).rows,
            QDir(m_fixture.folder().path()).filePath(FieldCatalogueFileName));
        QVERIFY(m_fixture.openWindow());
    }
    void cleanup() { m_fixture.tearDown(); }

    void windowLiesWithinTheScreen_data();
    void windowLiesWithinTheScreen();

private:
    WindowsOnScreen m_windowsOnScreen;
    MainWindowFixture m_fixture;
};

void TestWindowSizes::windowLiesWithinTheScreen_data()
{
    QTest::addColumn<Opening>("open");
    QTest::newRow("main window") << Opening(
        [](frmMain& main, ScriptedModals&, QStringList&) -> QWidget* { return &main; });
    QTest::newRow("report output") << Opening([](frmMain& main, ScriptedModals&, QStringList&) -> QWidget* {
        main.mnuReport_1->trigger();
        return main.reports().output();
    });
    QTest::newRow("designer") << Opening([](frmMain& main, ScriptedModals&, QStringList&) -> QWidget* {
        main.mnuRptCustom->trigger();
        return main.findChild<frmRptSpec*>();
    });
    QTest::newRow("find") << modal([](frmMain& main) { main.cmdFind->click(); });
    QTest::newRow("author choice") << modal([](frmMain& main) { main.mnuReport_2->trigger(); });
    QTest::newRow("read or unread") << modal([](frmMain& main) { main.mnuReport_6->trigger(); });
    QTest::newRow("backup") << modal([](frmMain& main) { main.mnuBackup->trigger(); });
    QTest::newRow("about") << modal([](frmMain& main) { main.mnuAbout->trigger(); });
}

void TestWindowSizes::windowLiesWithinTheScreen()
{
    QFETCH(Opening, open);
    ScopedScriptedModals modals;
    QStringList outside;
    QWidget* window = open(m_fixture.window(), modals, outside);
    if (window) {
        QVERIFY(window->isVisible());
        outside = outsideTheScreen(*window);
    } else {
        QCOMPARE(modals.shown().size(), 1);
    }
    QCOMPARE(outside, QStringList());
    QCOMPARE(m_fixture.dialogs().texts(), QStringList());
}

QTEST_MAIN(TestWindowSizes)
#include "tst_window_sizes.moc"
