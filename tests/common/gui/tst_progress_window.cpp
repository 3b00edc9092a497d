#include "common/gui/progress_window.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

using namespace Qt::StringLiterals;

// The window long work shows: not for work that ends quickly, then with the
// work's text and a bar that tells how far it is, or moves on its own when
// that is not known; work begun inside other work shares its window.
class TestProgressWindow : public QObject
{
    Q_OBJECT
private slots:
    void showsLongWork_data();
    void showsLongWork();
};

void TestProgressWindow::showsLongWork_data()
{
    QTest::addColumn<int>("showAfterMs");
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("barValue"); // -1: no window; of 1000, or 0 with no maximum for unknown length
    QTest::newRow("quick work shows nothing") << 60000 << qint64(5) << qint64(10) << -1;
    QTest::newRow("known length") << 0 << qint64(250) << qint64(1000) << 250;
    QTest::newRow("past its total") << 0 << qint64(1200) << qint64(1000) << 1000;
    QTest::newRow("unknown length") << 0 << qint64(0) << qint64(0) << 0;
}

void TestProgressWindow::showsLongWork()
{
    QFETCH(int, showAfterMs);
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(int, barValue);
    ProgressWindow progress(showAfterMs);
    progress.begin(u"Checking the catalogue..."_s);
    progress.begin(u"Rebuilding its indexes..."_s);
    progress.advance(done, total);
    QCOMPARE(progress.window() != nullptr, barValue >= 0);
    if (barValue >= 0) {
        QVERIFY(progress.window()->isVisible());
        QCOMPARE(progress.window()->findChild<QLabel*>()->text(), u"Rebuilding its indexes..."_s);
        const auto* bar = progress.window()->findChild<QProgressBar*>();
        QCOMPARE(bar->value() < 0 ? 0 : bar->value(), barValue);
        QCOMPARE(bar->maximum(), total > 0 ? 1000 : 0);
    }
    progress.end();
    QCOMPARE(progress.window() != nullptr, barValue >= 0);
    progress.end();
    QVERIFY(!progress.window());
}

QTEST_MAIN(TestProgressWindow)
#include "tst_progress_window.moc"
