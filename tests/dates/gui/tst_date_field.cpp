#include "common/locale_formats.h"
#include "dates/date_entry_state.h"
#include "dates/date_format.h"
#include "dates/gui/calendar_runner.h"
#include "dates/gui/date_field.h"
#include "dates/gui/frm_date_ent.h"

#include "support/fixed_clock.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"

#include <QApplication>
#include <QFormLayout>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

// Three date fields set up as the main window sets up its purchase, reading
// and loan dates, each followed by a text box, on the offscreen platform.
class TestDateField : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void opensTheCalendar_data();
    void opensTheCalendar();
    void calendarOpensBesideTheField_data();
    void calendarOpensBesideTheField();
    void changesAndOpeningsMarkTheFieldEdited();

private:
    DateField* dateField(const QString& name) const { return m_form->findChild<DateField*>(name); }
    QWidget* after(const DateField* date) const { return m_next.value(date); }

    std::unique_ptr<LocaleGuard> m_locale;
    std::unique_ptr<ScopedScriptedDialogs> m_dialogs;
    std::unique_ptr<FixedClock> m_clock;
    std::unique_ptr<QWidget> m_form;
    QHash<const DateField*, QWidget*> m_next;
};

namespace {

const QDate Today(2024, 6, 15);

// What one showing of the calendar saw.
struct CalendarSeen
{
    QString caption;
    QDate openedOn;
    QPoint topLeft;
    QSize size;
};

// Works the calendar with keys ("Right Enter", "Escape") instead of a user.
CalendarSeen* installKeys(const QString& keys)
{
    static CalendarSeen seen;
    seen = CalendarSeen();
    setCalendarRunner([keys](QDialog& dialog) {
        auto& calendar = static_cast<frmDateEnt&>(dialog);
        seen = {calendar.windowTitle(), calendar.CurDate, calendar.pos(), calendar.frameGeometry().size()};
        for (const QString& key : keys.split(u' ', Qt::SkipEmptyParts)) {
            const QKeySequence sequence = QKeySequence::fromString(key);
            QTest::keyClick(calendar.Grid1, sequence[0].key(), sequence[0].keyboardModifiers());
        }
        return calendar.result();
    });
    return &seen;
}

} // namespace

void TestDateField::init()
{
    m_locale = std::make_unique<LocaleGuard>(u"en_US"_s);
    m_dialogs = std::make_unique<ScopedScriptedDialogs>();
    m_clock = std::make_unique<FixedClock>(Today);
    ChkDateFmt();
    m_form = std::make_unique<QWidget>();
    auto* layout = new QFormLayout(m_form.get());
    const auto addField = [&](const QString& name, CalendarPlacement::Edge edge, bool movesOldDates) {
        auto* date = new DateField(m_form.get());
        date->setObjectName(name);
        date->setCalendarOptions({u"Select Date"_s, edge, 3, movesOldDates});
        auto* next = new QLineEdit(m_form.get());
        layout->addRow(name, date);
        layout->addRow(u"next"_s, next);
        m_next.insert(date, next);
    };
    addField(u"dcBuyDate"_s, CalendarPlacement::Edge::Left, true);
    addField(u"dcReadDate"_s, CalendarPlacement::Edge::Right, true);
    addField(u"dcLoanDate"_s, CalendarPlacement::Edge::Right, false);
    m_form->move(200, 100);
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

void TestDateField::cleanup()
{
    setCalendarRunner({});
    m_next.clear();
    m_form.reset();
    m_clock.reset();
    m_dialogs.reset();
    m_locale.reset();
}

void TestDateField::opensTheCalendar_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("opener"); // a key, or "arrow" for a click on the arrow
    QTest::addColumn<QString>("keys");   // worked in the calendar
    QTest::addColumn<QDate>("openedOn");
    QTest::addColumn<QString>("textAfter");

    const QString buy = u"dcBuyDate"_s, read = u"dcReadDate"_s, loan = u"dcLoanDate"_s;
    const QString closed = u"Escape"_s, nextDay = u"Right Enter"_s;
    QTest::newRow("1925 purchase opens in 2025") << buy << u"4/3/1925"_s << u"F4"_s << closed
                                                 << QDate(2025, 4, 3) << u"4/3/2025"_s;
    QTest::newRow("1930 reading opens in 2030") << read << u"12/31/1930"_s << u"Alt+Down"_s << closed
                                                << QDate(2030, 12, 31) << u"12/31/2030"_s;
    QTest::newRow("1925 loan stays") << loan << u"4/3/1925"_s << u"F4"_s << closed << QDate(1925, 4, 3)
                                     << u"4/3/1925"_s;
    QTest::newRow("1900 purchase opens in 2000") << buy << u"1/1/1900"_s << u"F4"_s << closed
                                                 << QDate(2000, 1, 1) << u"1/1/2000"_s;
    QTest::newRow("1931 purchase stays") << buy << u"1/1/1931"_s << u"F4"_s << closed << QDate(1931, 1, 1)
                                         << u"1/1/1931"_s;
    QTest::newRow("empty gets today") << loan << QString() << u"arrow"_s << closed << Today << u"6/15/2024"_s;
    QTest::newRow("no date gets today") << read << u"2/30/2001"_s << u"F4"_s << closed << Today
                                        << u"6/15/2024"_s;
    QTest::newRow("day chosen with the keys") << loan << u"1/31/2001"_s << u"arrow"_s << nextDay
                                              << QDate(2001, 1, 31) << u"2/1/2001"_s;
    QTest::newRow("next month chosen, moved year kept")
        << buy << u"12/31/1929"_s << u"Alt+Down"_s << u"PgDown Enter"_s << QDate(2029, 12, 31)
        << u"1/31/2030"_s;
}

void TestDateField::opensTheCalendar()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, opener);
    QFETCH(QString, keys);
    QFETCH(QDate, openedOn);
    QFETCH(QString, textAfter);
    DateField* date = dateField(field);
    date->setText(text);
    date->setFocus(Qt::MouseFocusReason);
    const CalendarSeen* seen = installKeys(keys);

    if (opener == u"arrow"_s) {
        QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(date->width() - 4, date->height() / 2));
    } else {
        const QKeySequence sequence = QKeySequence::fromString(opener);
        QTest::keyClick(date, sequence[0].key(), sequence[0].keyboardModifiers());
    }

    QCOMPARE(seen->caption, u"Select Date"_s);
    QCOMPARE(seen->openedOn, openedOn);
    QCOMPARE(date->text(), textAfter);
    QCOMPARE(QApplication::focusWidget(), after(date));
    QVERIFY(m_dialogs->shown().isEmpty());
}

void TestDateField::calendarOpensBesideTheField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("nearTheRightEdge");
    QTest::newRow("purchase, left edges") << u"dcBuyDate"_s << false;
    QTest::newRow("loan, right edges") << u"dcLoanDate"_s << false;
    QTest::newRow("kept on the screen") << u"dcBuyDate"_s << true;
}

void TestDateField::calendarOpensBesideTheField()
{
    QFETCH(QString, field);
    QFETCH(bool, nearTheRightEdge);
    DateField* date = dateField(field);
    const QRect screen = m_form->screen()->availableGeometry();
    if (nearTheRightEdge)
        m_form->move(screen.right() - date->width() / 2, screen.top() + 10);
    const CalendarSeen* seen = installKeys(u"Escape"_s);
    date->showPopup();

    const QPoint fieldInForm = date->mapTo(m_form.get(), QPoint(0, 0));
    const QPoint frame = m_form->frameGeometry().topLeft();
    const bool leftAligned = date->calendarOptions().alignedWith == CalendarPlacement::Edge::Left;
    const int left = frame.x() + fieldInForm.x() + (leftAligned ? 0 : date->width() - seen->size.width());
    const QPoint expected(left, frame.y() + fieldInForm.y() + 3 * date->height());
    if (nearTheRightEdge) {
        QCOMPARE(seen->topLeft.x() + seen->size.width(), screen.right() + 1);
        QCOMPARE(seen->topLeft.y(), expected.y());
    } else {
        QCOMPARE(seen->topLeft, expected);
    }
}

void TestDateField::changesAndOpeningsMarkTheFieldEdited()
{
    DateField* date = dateField(u"dcLoanDate"_s);
    QSignalSpy edited(date, &DateField::edited);
    date->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(date->lineEdit(), Qt::Key_1);
    QCOMPARE(edited.size(), 1);
    // Closed on today: one for the opening, one for the text written back.
    installKeys(u"Escape"_s);
    date->showPopup();
    QCOMPARE(edited.size(), 3);
    date->setFocus(Qt::MouseFocusReason);
    installKeys(u"Escape"_s);
    date->showPopup();
    QCOMPARE(edited.size(), 4);
}

QTEST_MAIN(TestDateField)
#include "tst_date_field.moc"
