// The three date fields of the main window opening the calendar, and the day
// chosen or kept reaching the catalogue.

#include "dates/date_entry_state.h"
#include "dates/gui/frm_date_ent.h"
#include "editor/gui/main_window_fixture.h"
#include "support/fixed_clock.h"
#include "support/scripted_modals.h"

#include <QScreen>

using namespace mainwin_test;
using namespace Qt::StringLiterals;

class TestFrmMainDates : public QObject
{
    Q_OBJECT

private slots:
    void init() { f.setUp(); }
    void cleanup() { f.tearDownChecked(); }
    void pickedOrKeptDateIsStored_data();
    void pickedOrKeptDateIsStored();
    void calendarOpensUnderTheField_data();
    void calendarOpensUnderTheField();

private:
    ScopedScriptedModals m_modals;
    MainWindowFixture f;
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    FixedClock m_clock{QDate(2024, 6, 15)};
};

void TestFrmMainDates::pickedOrKeptDateIsStored_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("column"); // BuyDate, ReadDate or LoanDate
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("opener"); // F4, Alt+Down, or "arrow" for a click on the field's arrow
    QTest::addColumn<QString>("action"); // in the calendar: "Escape", "Right Enter", "click 3 1"
    QTest::addColumn<QString>("shown");  // the field's text when the calendar has closed
    QTest::addColumn<QString>("focusOn");
    QTest::addColumn<QDate>("storedAfter"); // none: the date shown kept, the book unchanged

    const QString us = u"en_US"_s, f4 = u"F4"_s, altDown = u"Alt+Down"_s, arrow = u"arrow"_s;
    QTest::newRow("purchase in 1925 opens in 2025")
        << us << u"BuyDate"_s << QVariant(QDate(1925, 4, 3)) << f4 << u"Escape"_s << u"4/3/2025"_s
        << u"optNew_0"_s << QDate(2025, 4, 3);
    QTest::newRow("loan in 1925 stays") << us << u"LoanDate"_s << QVariant(QDate(1925, 4, 3)) << altDown
                                        << u"Escape"_s << u"4/3/1925"_s << u"txtLoanedTo"_s << QDate();
    QTest::newRow("empty reading date gets today")
        << us << u"ReadDate"_s << QVariant() << arrow << u"Escape"_s << u"6/15/2024"_s << u"chkOnLoan"_s
        << QDate(2024, 6, 15);
    // January 2001 starts on a Monday: the 15th is in row 3, column 1.
    QTest::newRow("day picked with the mouse")
        << us << u"LoanDate"_s << QVariant(QDate(2001, 1, 31)) << f4 << u"click 3 1"_s << u"1/15/2001"_s
        << u"txtLoanedTo"_s << QDate(2001, 1, 15);
    QTest::newRow("day picked with the keyboard")
        << us << u"ReadDate"_s << QVariant(QDate(2001, 1, 31)) << altDown << u"Right Enter"_s << u"2/1/2001"_s
        << u"chkOnLoan"_s << QDate(2001, 2, 1);
    // The order read at start-up: 2 January if the calendar wrote month first.
    QTest::newRow("1930 reading opens in 2030")
        << us << u"ReadDate"_s << QVariant(QDate(1930, 12, 31)) << f4 << u"Escape"_s << u"12/31/2030"_s
        << u"chkOnLoan"_s << QDate(2030, 12, 31);
    QTest::newRow("1931 purchase stays") << us << u"BuyDate"_s << QVariant(QDate(1931, 1, 1)) << arrow
                                         << u"Escape"_s << u"1/1/1931"_s << u"optNew_0"_s << QDate();
    QTest::newRow("day first, read at start-up")
        << u"de_DE"_s << u"BuyDate"_s << QVariant(QDate(2001, 1, 31)) << f4 << u"Right Enter"_s
        << u"01.02.2001"_s << u"optNew_0"_s << QDate(2001, 2, 1);
}

void TestFrmMainDates::pickedOrKeptDateIsStored()
{
    QFETCH(QString, locale);
    QFETCH(QString, column);
    QFETCH(QVariant, stored);
    QFETCH(QString, opener);
    QFETCH(QString, action);
    QFETCH(QString, focusOn);
    QFETCH(QDate, storedAfter);
    LocaleGuard guard(locale);
    f.folder().addBook(u"Dated"_s, {{column, stored}});
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    auto* field = w.findChild<DateField*>(u"dc"_s + column);
    m_modals.enqueue([&action](QDialog& dialog) {
        auto& calendar = static_cast<frmDateEnt&>(dialog);
        const QStringList words = action.split(u' ');
        if (words.first() == u"click"_s) {
            calendar.show();
            const QModelIndex cell = calendar.Grid1->model()->index(words.at(1).toInt(), words.at(2).toInt());
            QTest::mouseClick(calendar.Grid1->viewport(), Qt::LeftButton, {},
                              calendar.Grid1->visualRect(cell).center());
        } else {
            for (const QString& key : words)
                QTest::keyClick(calendar.Grid1, QKeySequence::fromString(key)[0].key());
        }
        return calendar.result();
    });

    field->setFocus(Qt::MouseFocusReason);

    if (opener == u"arrow"_s) {
        field->showPopup(); // what a click on the arrow calls
    } else {
        const QKeyCombination key = QKeySequence::fromString(opener)[0];
        QTest::keyClick(field, key.key(), key.keyboardModifiers());
    }
    QTEST(field->text(), "shown");
    QCOMPARE(f.focused(), w.findChild<QWidget*>(focusOn));
    QCOMPARE(editButtonsShown(w), storedAfter.isValid());
    if (!storedAfter.isValid())
        return;

    w.cmdUpdate->click();
    const QStringList rows = f.rows("select BuyDate, ReadDate, LoanDate from Books");
    QCOMPARE(rows.size(), 1);
    QVERIFY2(rows.front().contains(storedAfter.toString(Qt::ISODate)), qPrintable(rows.front()));
}

void TestFrmMainDates::calendarOpensUnderTheField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("atTheScreensRightEdge");
    QTest::newRow("purchase: left edges") << u"dcBuyDate"_s << false;
    QTest::newRow("loan: right edges") << u"dcLoanDate"_s << false;
    QTest::newRow("window at the right edge") << u"dcBuyDate"_s << true;
}

// Three field heights below the field's top, counted from the window's outer
// corner, its left or right edge lined up with the field's; never off the screen.
void TestFrmMainDates::calendarOpensUnderTheField()
{
    QFETCH(QString, field);
    QFETCH(bool, atTheScreensRightEdge);
    QVERIFY(f.openWindow());
    frmMain& w = f.window();
    auto* date = w.findChild<DateField*>(field);
    const QRect screen = w.screen()->availableGeometry();
    // The field in the middle of the screen, or its left end near the right edge.
    const int fieldLeft =
        atTheScreensRightEdge ? screen.right() - 10 : screen.center().x() - date->width() / 2;
    w.move(fieldLeft - date->mapTo(&w, QPoint()).x(), screen.top());
    QRect seen;
    m_modals.enqueue([&seen](QDialog& calendar) {
        // Where the program placed it: the frame's corner and the window's own size.
        seen = QRect(calendar.pos(), calendar.size());
        return calendar.result();
    });
    date->showPopup();

    const QPoint fieldAt = w.frameGeometry().topLeft() + date->mapTo(&w, QPoint());
    const bool leftEdge = field == u"dcBuyDate"_s;
    const QPoint aligned(leftEdge ? fieldAt.x() : fieldAt.x() + date->width() - seen.width(),
                         fieldAt.y() + 3 * date->height());
    QVERIFY(screen.contains(seen));
    if (atTheScreensRightEdge)
        QCOMPARE(seen.topLeft(), QPoint(screen.right() + 1 - seen.width(), aligned.y()));
    else
        QCOMPARE(seen.topLeft(), aligned);
}

QTEST_MAIN(TestFrmMainDates)
#include "tst_frm_main_dates.moc"
