#include "database/stored_values.h"
#include "import/jet_values.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

class TestJetValues : public QObject
{
    Q_OBJECT
private slots:
    void dateTime_data();
    void dateTime();
    void numbers_data();
    void numbers();
};

void TestJetValues::dateTime_data()
{
    QTest::addColumn<double>("dayNumber");
    QTest::addColumn<QString>("stored"); // empty: left empty (Null)

    QTest::newRow("day zero") << 0.0 << u"1899-12-30"_s;
    QTest::newRow("the day after, at noon") << 1.5 << u"1899-12-31 12:00:00"_s;
    // Before day zero the fraction still counts forward from midnight.
    QTest::newRow("before day zero with a time") << -1.25 << u"1899-12-29 06:00:00"_s;
    QTest::newRow("1 March 1850") << -18201.0 << u"1850-03-01"_s;
    QTest::newRow("leap day 2000") << 36585.0 << u"2000-02-29"_s;
    QTest::newRow("first day the engine allows") << -657434.0 << u"0100-01-01"_s;
    QTest::newRow("last second the engine allows")
        << 2958465.0 + 86399.0 / 86400.0 << u"9999-12-31 23:59:59"_s;
    QTest::newRow("a hair before midnight rounds to the next day") << 36585.9999999999 << u"2000-03-01"_s;
    QTest::newRow("before year 100") << -657435.0 << QString();
    QTest::newRow("after year 9999") << 2958466.0 << QString();
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << QString();
}

void TestJetValues::dateTime()
{
    QFETCH(double, dayNumber);
    const QVariant value = JetValues::dateTime(dayNumber);
    QTEST(value.isNull() ? QString() : StoredValue::dateTimeText(value.toDateTime()), "stored");
}

void TestJetValues::numbers_data()
{
    QTest::addColumn<double>("converted");
    QTest::addColumn<double>("expected");

    // Currency: a count of ten-thousandths, exact to the fourth decimal.
    QTest::newRow("currency with four decimals") << JetValues::currency(123456789) << 12345.6789;
    QTest::newRow("smallest currency step") << JetValues::currency(-1) << -0.0001;
    QTest::newRow("whole currency") << JetValues::currency(140000) << 14.0;
    QTest::newRow("largest exact currency") << JetValues::currency(9007199254740991LL) << 900719925474.0991;
    // Single: the decimal the user typed, not the float's binary expansion.
    QTest::newRow("single 0.15") << JetValues::single(0.15f) << 0.15;
    QTest::newRow("single 1/3") << JetValues::single(1.0f / 3.0f) << 0.33333334;
    QTest::newRow("single large") << JetValues::single(3.4e38f) << 3.4e38;
    QTest::newRow("single negative tiny") << JetValues::single(-1.5e-7f) << -1.5e-7;
}

void TestJetValues::numbers()
{
    QFETCH(double, converted);
    QFETCH(double, expected);
    // Exact: the same double, not merely a close one.
    QVERIFY2(converted == expected,
             qPrintable(u"%1 != %2"_s.arg(converted, 0, 'g', 17).arg(expected, 0, 'g', 17)));
}

QTEST_GUILESS_MAIN(TestJetValues)
#include "tst_jet_values.moc"
