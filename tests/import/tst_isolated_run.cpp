#include "import/isolated_run.h"
#include "import/jet_source.h"

#include <QTest>
#include <csignal>
#include <stdexcept>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

enum class Work { Answer, ManyHeartbeats, Refusal, Exception, Crash, Stall };

const IsolationTexts Texts{u"crashed"_s, u"stalled"_s};
const QByteArray Large(300000, 'x'); // more than a pipe holds at once

QByteArray run(Work work, const Heartbeat& heartbeat)
{
    switch (work) {
    case Work::Answer:
        return QByteArray("answer");
    case Work::ManyHeartbeats:
        for (int i = 0; i < 100000; ++i)
            heartbeat();
        return Large;
    case Work::Refusal:
        throw ConversionError(u"refused: ü"_s);
    case Work::Exception:
        throw std::runtime_error("plain failure");
    case Work::Crash:
        std::raise(SIGSEGV);
        break;
    case Work::Stall:
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(1));
    }
    return QByteArray();
}

} // namespace

class TestIsolatedRun : public QObject
{
    Q_OBJECT
private slots:
    void outcomes_data();
    void outcomes();
};

void TestIsolatedRun::outcomes_data()
{
    QTest::addColumn<int>("work");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("failure"); // empty when the work answers

    QTest::newRow("answer") << int(Work::Answer) << QByteArray("answer") << QString();
    QTest::newRow("long work, long answer") << int(Work::ManyHeartbeats) << Large << QString();
    QTest::newRow("refusal keeps its text") << int(Work::Refusal) << QByteArray() << u"refused: ü"_s;
    QTest::newRow("other exception") << int(Work::Exception) << QByteArray() << u"plain failure"_s;
    QTest::newRow("crash") << int(Work::Crash) << QByteArray() << u"crashed"_s;
    QTest::newRow("stall") << int(Work::Stall) << QByteArray() << u"stalled"_s;
}

void TestIsolatedRun::outcomes()
{
    QFETCH(int, work);
    QFETCH(QString, failure);
    // The stalled work never beats; any limit finds it out.
    const auto limit = std::chrono::milliseconds(Work(work) == Work::Stall ? 300 : 60000);
    try {
        const QByteArray got =
            runIsolated([work](const Heartbeat& beat) { return run(Work(work), beat); }, limit, Texts);
        QVERIFY(failure.isEmpty());
        QTEST(got, "answer");
    } catch (const ConversionError& error) {
        QCOMPARE(error.message(), failure);
    }
}

QTEST_GUILESS_MAIN(TestIsolatedRun)
#include "tst_isolated_run.moc"
