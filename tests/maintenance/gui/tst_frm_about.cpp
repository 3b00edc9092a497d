#include "common/program_identity.h"
#include "maintenance/gui/frm_about.h"
#include "maintenance/help_page.h"
#include "support/recording_desktop_opener.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestFrmAbout : public QObject
{
    Q_OBJECT

private slots:
    void showsTheProgram();
    void addressOpensInTheBrowser_data();
    void addressOpensInTheBrowser();
};

void TestFrmAbout::showsTheProgram()
{
    frmAbout window;
    QCOMPARE(window.windowTitle(), u"About Quillary"_s);
    QCOMPARE(window.Label2->text(), u"Version 2.3"_s);
    QVERIFY2(!window.Picture1->pixmap().isNull(), "the program's icon is built in");
    QVERIFY(QUrl(window.Label8->text()).host().endsWith(u".example.org"_s));
}

void TestFrmAbout::addressOpensInTheBrowser_data()
{
    QTest::addColumn<int>("key"); // 0: a click on the address
    QTest::addColumn<QList<QUrl>>("opened");
    QTest::addColumn<bool>("closed");

    const QList<QUrl> home{QUrl(ProgramWebAddress)};
    QTest::newRow("clicked") << 0 << home << false;
    QTest::newRow("Space on the address") << int(Qt::Key_Space) << home << false;
    QTest::newRow("Return on the address") << int(Qt::Key_Return) << home << false;
    QTest::newRow("another key") << int(Qt::Key_A) << QList<QUrl>{} << false;
    QTest::newRow("Ok") << -1 << QList<QUrl>{} << true;
}

void TestFrmAbout::addressOpensInTheBrowser()
{
    QFETCH(int, key);
    QFETCH(bool, closed);

    RecordingDesktopOpener desktop;
    frmAbout window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    if (key == 0) {
        QTest::mouseClick(window.Label8, Qt::LeftButton);
    } else if (key > 0) {
        window.Label8->setFocus();
        QTest::keyClick(window.Label8, Qt::Key(key));
    } else {
        QTest::mouseClick(window.cmdOk, Qt::LeftButton);
    }
    QTEST(desktop.opened, "opened");
    QCOMPARE(window.isVisible(), !closed);
}

QTEST_MAIN(TestFrmAbout)
#include "tst_frm_about.moc"
