#include "dates/date_entry_state.h"
#include "dates/date_format.h"

#include "support/locale_guard.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

// The short date's order and separator as the locale writes 30 May 1998, and
// the calendar's dates built from them and read back.
class TestDateFormat : public QObject
{
    Q_OBJECT
private slots:
    void readsTheLocalesOrder_data();
    void readsTheLocalesOrder();
    void everyLocaleReadsTheDatesItIsGiven_data();
    void everyLocaleReadsTheDatesItIsGiven();
};

void TestDateFormat::readsTheLocalesOrder_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("formatted"); // FormatDate(5, 30, 1998)

    QTest::newRow("en_US") << u"en_US"_s << u"/"_s << u"mdy"_s << u"5 30 1998"_s;
    QTest::newRow("de_DE points") << u"de_DE"_s << u"."_s << u"dmy"_s << u"30 5 1998"_s;
    QTest::newRow("sv_SE year first") << u"sv_SE"_s << u"-"_s << u"ymd"_s << u"1998 5 30"_s;
    QTest::newRow("ko_KR point and blank") << u"ko_KR"_s << u"."_s << u"ymd"_s << u"1998 5 30"_s;
    QTest::newRow("bg_BG era after the year") << u"bg_BG"_s << u"."_s << u"dmy"_s << u"30 5 1998"_s;
    // Digits of other scripts, with direction marks between the numbers.
    QTest::newRow("ar_EG Arabic digits") << u"ar_EG"_s << u"/"_s << u"dmy"_s << u"30 5 1998"_s;
    QTest::newRow("fa_IR Persian digits") << u"fa_IR"_s << u"/"_s << u"ymd"_s << u"1998 5 30"_s;
    // "30 May 1998": the month is a name, so the order the locale declares.
    QTest::newRow("C month name") << u"C"_s << u" "_s << u"dmy"_s << u"30 5 1998"_s;
}

void TestDateFormat::readsTheLocalesOrder()
{
    QFETCH(QString, locale);
    LocaleGuard guard(locale);
    dateEntry() = DateEntryState();
    ChkDateFmt();
    QTEST(dateEntry().DateSep, "separator");
    QTEST(dateEntry().DateOrder, "order");
    QTEST(FormatDate(5, 30, 1998), "formatted");
    QCOMPARE(dateFromParts(5, 30, 1998), std::optional(QDate(1998, 5, 30)));
    QCOMPARE(dateFromParts(2, 30, 1998), std::nullopt);
}

void TestDateFormat::everyLocaleReadsTheDatesItIsGiven_data()
{
    QTest::addColumn<QLocale>("locale");
    for (const QLocale& locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory))
        QTest::newRow(qPrintable(locale.name())) << locale;
}

// 5 November could be read as 11 May: the order must be the one the locale
// reads numbers back in, at both ends of the calendar's years too.
void TestDateFormat::everyLocaleReadsTheDatesItIsGiven()
{
    QFETCH(QLocale, locale);
    LocaleGuard guard(locale);
    ChkDateFmt();
    for (const QDate& date : {QDate(1987, 11, 5), QDate(2000, 2, 29), QDate(100, 1, 1), QDate(9999, 12, 31)})
        QCOMPARE(dateFromParts(date.month(), date.day(), date.year()), std::optional(date));
}

QTEST_GUILESS_MAIN(TestDateFormat)
#include "tst_date_format.moc"
