#include "dates/date_entry_state.h"
#include "dates/date_format.h"
#include "dates/gui/date_picker.h"
#include "dates/gui/frm_date_ent.h"
#include "support/scripted_modals.h"

#include "support/fixed_clock.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace Qt::StringLiterals;

// The calendar window on the offscreen platform, worked with the mouse and
// the keyboard as a user works it.
class TestFrmDateEnt : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        ChkDateFmt();
        m_dialogs.clear();
    }
    void cleanup() { QCOMPARE(m_modals.unusedHandlers(), 0); }
    void drawsTheMonth_data();
    void drawsTheMonth();
    void worked_data();
    void worked();
    void monthAndYearPassTheFocusOn();
    void pickerAnswersItsCaller_data();
    void pickerAnswersItsCaller();

private:
    ScopedScriptedModals m_modals;
    LocaleGuard m_locale{u"en_US"_s};
    ScopedScriptedDialogs m_dialogs;
};

namespace {

const QDate NoDate;

std::unique_ptr<frmDateEnt> openOn(const QDate& start)
{
    dateEntry().PickerDate = start;
    auto calendar = std::make_unique<frmDateEnt>();
    calendar->show();
    return calendar;
}

// "Right", "Ctrl+PgUp": a key pressed in the grid; "spin1 up": an arrow of a
// stepper clicked; "click 1 2": a click on the cell of row 1, column 2.
void act(frmDateEnt& calendar, const QString& action)
{
    const QStringList words = action.split(u' ');
    if (words.first() == u"click"_s) {
        const QModelIndex cell = calendar.Grid1->model()->index(words.at(1).toInt(), words.at(2).toInt());
        QTest::mouseClick(calendar.Grid1->viewport(), Qt::LeftButton, {},
                          calendar.Grid1->visualRect(cell).center());
    } else if (words.first().startsWith(u"spin"_s)) {
        SpinButton* spin = words.first() == u"spin1"_s ? calendar.Spin1 : calendar.Spin2;
        QTest::mouseClick(words.last() == u"up"_s ? spin->upArrow() : spin->downArrow(), Qt::LeftButton);
    } else {
        const QKeyCombination key = QKeySequence::fromString(action)[0];
        QTest::keyClick(calendar.Grid1, key.key(), key.keyboardModifiers());
    }
}

} // namespace

void TestFrmDateEnt::drawsTheMonth_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QString>("locale");
    // Month and year, then rows 0 to 6 joined by "/", their cells by "|".
    QTest::addColumn<QString>("shown");

    QTest::newRow("February 2000")
        << QDate(2000, 2, 10) << u"en_US"_s
        << u"February 2000/ Sun | Mon | Tue | Wed | Thu | Fri | Sat /||1|2|3|4|5/6|7|8|9|10|11|12/"
           u"13|14|15|16|17|18|19/20|21|22|23|24|25|26/27|28|29||||/||||||"_s;
    // German weeks start on Monday; the calendar's still start on Sunday.
    QTest::newRow("August 2020, de_DE, six rows")
        << QDate(2020, 8, 31) << u"de_DE"_s
        << u"August 2020/ So | Mo | Di | Mi | Do | Fr | Sa /||||||1/2|3|4|5|6|7|8/9|10|11|12|13|14|15/"
           u"16|17|18|19|20|21|22/23|24|25|26|27|28|29/30|31|||||"_s;
}

void TestFrmDateEnt::drawsTheMonth()
{
    QFETCH(QDate, start);
    QFETCH(QString, locale);
    LocaleGuard guard(locale);
    ChkDateFmt();
    const auto calendar = openOn(start);

    QStringList drawn{calendar->txtMonth->text() + u' ' + calendar->txtYear->text()};
    for (int row = 0; row < CalendarRows; ++row) {
        QStringList cells;
        for (int column = 0; column < CalendarColumns; ++column)
            cells << calendar->Grid1->item(row, column)->text();
        drawn << cells.join(u'|');
    }
    QTEST(drawn.join(u'/'), "shown");
    QCOMPARE(calendar->Grid1->currentItem()->text(), QString::number(start.day()));
    QCOMPARE(calendar->Grid1->selectedItems(), QList{calendar->Grid1->currentItem()});
}

void TestFrmDateEnt::worked_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QDate>("shown"); // the highlighted day afterwards
    QTest::addColumn<int>("beeps");
    QTest::addColumn<QDate>("chosen"); // no date: none chosen, PickerDate as it was

    const QDate feb10(2000, 2, 10), jan31(2001, 1, 31);
    // February 2000: the 1st in row 1, column 2; nothing in columns 0 and 1.
    QTest::newRow("click on a day") << feb10 << QStringList{u"click 1 2"_s} << QDate(2000, 2, 1) << 0
                                    << QDate(2000, 2, 1);
    QTest::newRow("clicks on an empty cell and a weekday")
        << feb10 << QStringList{u"click 1 0"_s, u"click 0 2"_s} << feb10 << 0 << NoDate;
    QTest::newRow("arrows into the next month, Enter")
        << QDate(2001, 1, 30) << QStringList{u"Right"_s, u"Right"_s, u"Return"_s} << QDate(2001, 2, 1) << 0
        << QDate(2001, 2, 1);
    QTest::newRow("a week up into last year") << QDate(2001, 1, 3) << QStringList{u"Up"_s, u"Enter"_s}
                                              << QDate(2000, 12, 27) << 0 << QDate(2000, 12, 27);
    QTest::newRow("month up from 31 January")
        << jan31 << QStringList{u"PgDown"_s} << QDate(2001, 2, 1) << 0 << NoDate;
    QTest::newRow("month down from 15 January")
        << QDate(2001, 1, 15) << QStringList{u"spin1 down"_s} << QDate(2000, 12, 15) << 0 << NoDate;
    // 31 December, then 1 November: November has no 31st.
    QTest::newRow("Page Up twice, Down, Left")
        << jan31 << QStringList{u"PgUp"_s, u"PgUp"_s, u"Down"_s, u"Left"_s} << QDate(2000, 11, 7) << 0
        << NoDate;
    QTest::newRow("year up and down from 29 February")
        << QDate(2000, 2, 29) << QStringList{u"spin2 up"_s, u"spin2 down"_s} << QDate(2000, 2, 1) << 0
        << NoDate;
    QTest::newRow("Ctrl+Page Down steps the year")
        << QDate(2000, 2, 29) << QStringList{u"Ctrl+PgDown"_s} << QDate(2001, 2, 1) << 0 << NoDate;
    QTest::newRow("beeps past 9999") << QDate(9999, 12, 31)
                                     << QStringList{u"spin1 up"_s, u"spin2 up"_s, u"Right"_s, u"PgDown"_s}
                                     << QDate(9999, 12, 31) << 4 << NoDate;
    QTest::newRow("beeps before 100")
        << QDate(100, 1, 1) << QStringList{u"spin1 down"_s, u"spin2 down"_s, u"Up"_s, u"Ctrl+PgUp"_s}
        << QDate(100, 1, 1) << 4 << NoDate;
    QTest::newRow("three-digit years") << QDate(101, 3, 9) << QStringList{u"spin2 down"_s, u"Enter"_s}
                                       << QDate(100, 3, 9) << 0 << QDate(100, 3, 9);
    QTest::newRow("Escape chooses nothing")
        << jan31 << QStringList{u"Right"_s, u"Escape"_s} << QDate(2001, 2, 1) << 0 << NoDate;
}

void TestFrmDateEnt::worked()
{
    QFETCH(QDate, start);
    QFETCH(QStringList, actions);
    QFETCH(QDate, shown);
    QFETCH(QDate, chosen);
    const auto calendar = openOn(start);
    for (const QString& action : actions)
        act(*calendar, action);

    QCOMPARE(calendar->CurDate, shown);
    QCOMPARE(calendar->Grid1->currentItem()->text(), QString::number(shown.day()));
    QCOMPARE(calendar->txtYear->text(), QString::number(shown.year()));
    QTEST(m_dialogs.beepCount(), "beeps");
    QCOMPARE(calendar->dayChosen(), chosen.isValid());
    QCOMPARE(dateEntry().PickerDate, chosen.isValid() ? chosen : start);
    QCOMPARE(calendar->isVisible(), !chosen.isValid() && actions.last() != u"Escape"_s);
}

void TestFrmDateEnt::monthAndYearPassTheFocusOn()
{
    const auto calendar = openOn(QDate(2001, 1, 31));
    QApplication::setActiveWindow(calendar.get());
    for (QLineEdit* shownOnly : {calendar->txtMonth, calendar->txtYear}) {
        shownOnly->setFocus(Qt::MouseFocusReason);
        QCOMPARE(QApplication::focusWidget(), calendar->Grid1);
    }
}

void TestFrmDateEnt::pickerAnswersItsCaller_data()
{
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QDate>("opensOn");
    QTest::addColumn<QDate>("answer"); // no date: closed without a choice

    QTest::newRow("a day chosen") << QDate(2010, 3, 9) << u"Enter"_s << QDate(2010, 3, 9)
                                  << QDate(2010, 3, 9);
    QTest::newRow("closed") << QDate(2010, 3, 9) << u"Escape"_s << QDate(2010, 3, 9) << NoDate;
    QTest::newRow("no start, today") << NoDate << u"Escape"_s << QDate(2024, 6, 15) << NoDate;
}

// As the report designer asks for its start and end dates.
void TestFrmDateEnt::pickerAnswersItsCaller()
{
    QFETCH(QDate, start);
    QFETCH(QString, action);
    QFETCH(QDate, opensOn);
    QFETCH(QDate, answer);
    FixedClock clock(QDate(2024, 6, 15));
    QString seen;
    m_modals.enqueue([&](QDialog& dialog) {
        auto& calendar = static_cast<frmDateEnt&>(dialog);
        seen = calendar.windowTitle() + u' ' + calendar.CurDate.toString(Qt::ISODate);
        act(calendar, action);
        return calendar.result();
    });

    QCOMPARE(pickDateWithCalendar(nullptr, u"Select Start Date"_s, start),
             answer.isValid() ? std::optional(answer) : std::nullopt);
    QCOMPARE(seen, u"Select Start Date "_s + opensOn.toString(Qt::ISODate));
    QCOMPARE(dateEntry().PickerDate, answer.isValid() ? answer : start);
}

QTEST_MAIN(TestFrmDateEnt)
#include "tst_frm_date_ent.moc"
