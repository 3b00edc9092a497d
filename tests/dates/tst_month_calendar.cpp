#include "dates/calendar_navigation.h"
#include "dates/calendar_placement.h"
#include "dates/date_format.h"
#include "dates/month_layout.h"

#include "support/fixed_clock.h"
#include "support/locale_guard.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The calendar's arithmetic: where the days stand, where the steppers and
// arrow keys go, which day a field opens on and where the window opens.
class TestMonthCalendar : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void laysOutTheMonth_data();
    void laysOutTheMonth();
    void headingStartsOnSunday_data();
    void headingStartsOnSunday();
    void steps_data();
    void steps();
    void opensOn_data();
    void opensOn();
    void placement_data();
    void placement();
};

namespace {
const QDate NoDate;
const QDate Today(2024, 6, 15);
} // namespace

void TestMonthCalendar::init()
{
    // A day-first locale: the calendar's dates go through the locale's order.
    QLocale::setDefault(QLocale(u"de_DE"_s));
    ChkDateFmt();
}

void TestMonthCalendar::laysOutTheMonth_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("lastDay");
    QTest::addColumn<GridCell>("first");
    QTest::addColumn<GridCell>("last");

    QTest::newRow("February 2000, leap, Tuesday") << QDate(2000, 2, 10) << 29 << GridCell{1, 2} << GridCell{5, 2};
    QTest::newRow("February 1900, not leap") << QDate(1900, 2, 1) << 28 << GridCell{1, 4} << GridCell{5, 3};
    QTest::newRow("starts on Sunday") << QDate(2015, 2, 28) << 28 << GridCell{1, 0} << GridCell{4, 6};
    QTest::newRow("needs the sixth row") << QDate(2020, 8, 31) << 31 << GridCell{1, 6} << GridCell{6, 1};
    QTest::newRow("last month shown") << QDate(9999, 12, 31) << 31 << GridCell{1, 3} << GridCell{5, 5};
}

void TestMonthCalendar::laysOutTheMonth()
{
    QFETCH(QDate, date);
    QFETCH(int, lastDay);
    QFETCH(GridCell, first);
    QFETCH(GridCell, last);
    const MonthLayout layout = layoutMonth(date);
    QCOMPARE(layout.lastDay, lastDay);
    QCOMPARE(layout.cellOf(1), first);
    QCOMPARE(layout.cellOf(lastDay), last);
    // Every cell holds its own day and nothing else holds one.
    int days = 0;
    for (int row = 0; row < CalendarRows; ++row) {
        for (int column = 0; column < CalendarColumns; ++column) {
            const int day = layout.dayAt({row, column});
            if (day == 0)
                continue;
            ++days;
            QCOMPARE(layout.cellOf(day), (GridCell{row, column}));
            QCOMPARE(QDate(date.year(), date.month(), day).dayOfWeek() % 7, column);
        }
    }
    QCOMPARE(days, lastDay);
    QCOMPARE(layout.dayAt({0, first.column}), 0);
}

void TestMonthCalendar::headingStartsOnSunday_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("headings");
    QTest::newRow("en_US") << u"en_US"_s << QStringList{u" Sun "_s, u" Mon "_s, u" Sat "_s};
    // Weeks start on Monday in Germany; the calendar's still starts on Sunday.
    QTest::newRow("de_DE") << u"de_DE"_s << QStringList{u" So "_s, u" Mo "_s, u" Sa "_s};
}

void TestMonthCalendar::headingStartsOnSunday()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, headings);
    LocaleGuard guard(locale);
    QCOMPARE((QStringList{weekdayHeading(0), weekdayHeading(1), weekdayHeading(6)}), headings);
}

void TestMonthCalendar::steps_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QString>("how"); // a stepper, or a number of days for the arrow keys
    QTest::addColumn<QDate>("to");    // no date: a beep, nothing changes

    const QString monthDown = u"month down"_s, monthUp = u"month up"_s, yearDown = u"year down"_s,
                  yearUp = u"year up"_s;
    QTest::newRow("31 January, month up") << QDate(2001, 1, 31) << monthUp << QDate(2001, 2, 1);
    QTest::newRow("15 January, month down") << QDate(2001, 1, 15) << monthDown << QDate(2000, 12, 15);
    QTest::newRow("31 March, month down") << QDate(2001, 3, 31) << monthDown << QDate(2001, 2, 1);
    QTest::newRow("December, month up") << QDate(2001, 12, 5) << monthUp << QDate(2002, 1, 5);
    QTest::newRow("29 February, year up") << QDate(2000, 2, 29) << yearUp << QDate(2001, 2, 1);
    QTest::newRow("29 February, year down") << QDate(2000, 2, 29) << yearDown << QDate(1999, 2, 1);
    QTest::newRow("three-digit year") << QDate(101, 6, 3) << yearDown << QDate(100, 6, 3);
    QTest::newRow("first year, year down") << QDate(100, 6, 3) << yearDown << NoDate;
    QTest::newRow("first month, month down") << QDate(100, 1, 31) << monthDown << NoDate;
    QTest::newRow("last year, year up") << QDate(9999, 6, 3) << yearUp << NoDate;
    QTest::newRow("last month, month up") << QDate(9999, 12, 1) << monthUp << NoDate;
    QTest::newRow("arrow across the month end") << QDate(2001, 1, 31) << u"1"_s << QDate(2001, 2, 1);
    QTest::newRow("week up across the year") << QDate(2001, 1, 3) << u"-7"_s << QDate(2000, 12, 27);
    QTest::newRow("arrow past the last day") << QDate(9999, 12, 31) << u"1"_s << NoDate;
    QTest::newRow("arrow before the first day") << QDate(100, 1, 1) << u"-1"_s << NoDate;
}

void TestMonthCalendar::steps()
{
    QFETCH(QDate, from);
    QFETCH(QString, how);
    QFETCH(QDate, to);
    const QHash<QString, CalendarStep> steppers{{u"month down"_s, CalendarStep::PreviousMonth},
                                                {u"month up"_s, CalendarStep::NextMonth},
                                                {u"year down"_s, CalendarStep::PreviousYear},
                                                {u"year up"_s, CalendarStep::NextYear}};
    const std::optional<QDate> reached =
        steppers.contains(how) ? steppedDate(from, steppers.value(how)) : movedByDays(from, how.toInt());
    QCOMPARE(reached, to.isValid() ? std::optional(to) : std::nullopt);
}

void TestMonthCalendar::opensOn_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("movesOldDates");
    QTest::addColumn<QDate>("start");

    QTest::newRow("1925 moved") << u"3.4.1925"_s << true << QDate(2025, 4, 3);
    QTest::newRow("1925 kept") << u"3.4.1925"_s << false << QDate(1925, 4, 3);
    QTest::newRow("1900 moved") << u"1.1.1900"_s << true << QDate(2000, 1, 1);
    QTest::newRow("1930 moved") << u"31.12.1930"_s << true << QDate(2030, 12, 31);
    QTest::newRow("1931 kept") << u"1.1.1931"_s << true << QDate(1931, 1, 1);
    QTest::newRow("1899 kept") << u"31.12.1899"_s << true << QDate(1899, 12, 31);
    QTest::newRow("leap day moved") << u"29.2.1904"_s << true << QDate(2004, 2, 29);
    QTest::newRow("empty") << QString() << true << Today;
    QTest::newRow("no date") << u"31.02.1999"_s << false << Today;
}

void TestMonthCalendar::opensOn()
{
    QFETCH(QString, text);
    QFETCH(bool, movesOldDates);
    QFETCH(QDate, start);
    FixedClock clock(Today);
    QCOMPARE(calendarStartDate(text, movesOldDates), start);
}

void TestMonthCalendar::placement_data()
{
    using Edge = CalendarPlacement::Edge;
    QTest::addColumn<CalendarPlacement>("placement");
    QTest::addColumn<QPoint>("topLeft");

    const QSize calendar(200, 180);
    const QRect field(50, 100, 120, 20);
    QTest::newRow("left edges") << CalendarPlacement{{300, 200}, field, calendar, Edge::Left, 3}
                                << QPoint(350, 360);
    QTest::newRow("right edges") << CalendarPlacement{{300, 200}, field, calendar, Edge::Right, 3}
                                 << QPoint(270, 360);
    QTest::newRow("two heights down") << CalendarPlacement{{300, 200}, field, calendar, Edge::Right, 2}
                                      << QPoint(270, 340);
    // The screen below is 1000 by 800 from (0, 0).
    QTest::newRow("kept off the right edge")
        << CalendarPlacement{{900, 200}, field, calendar, Edge::Left, 3} << QPoint(800, 360);
    QTest::newRow("kept off the left edge")
        << CalendarPlacement{{-40, 200}, field, calendar, Edge::Right, 3} << QPoint(0, 360);
    QTest::newRow("kept above the bottom")
        << CalendarPlacement{{300, 600}, field, calendar, Edge::Left, 3} << QPoint(350, 620);
}

void TestMonthCalendar::placement()
{
    QFETCH(CalendarPlacement, placement);
    QFETCH(QPoint, topLeft);
    QCOMPARE(keptOnScreen(placement.topLeft(), placement.calendar, QRect(0, 0, 1000, 800)), topLeft);
}

QTEST_GUILESS_MAIN(TestMonthCalendar)
#include "tst_month_calendar.moc"
