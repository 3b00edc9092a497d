#include <QTest>

class TestSkeleton : public QObject
{
    Q_OBJECT
private slots:
    void builds() { QVERIFY(true); }
};

QTEST_GUILESS_MAIN(TestSkeleton)
#include "tst_skeleton.moc"
