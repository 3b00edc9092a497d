#include "common/locale_formats.h"

#include "support/locale_guard.h"

#include <QHash>
#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;
using namespace LocaleFormats;

// Rows pin en_US or de_DE (day first, "," decimals, trailing "€"); reading back
// adds fr_FR (narrow no-break groups), sv_SE (true minus sign), ja_JP (no decimals).
class TestLocaleFormats : public QObject
{
    Q_OBJECT
private slots:
    void namedFormats_data();
    void namedFormats();
    void readsNumbersAndAmounts_data();
    void readsNumbersAndAmounts();
    void readsDatesAndTimes_data();
    void readsDatesAndTimes();
    void shownValuesReadBack_data();
    void shownValuesReadBack();
    void serialNumbers_data();
    void serialNumbers();
    void everyLocaleReadsBack_data();
    void everyLocaleReadsBack();
};

namespace {

const QString us = u"en_US"_s, de = u"de_DE"_s;
const QString NoBreak = QString(QChar(0x00A0));
const QVariant None;
const QDate NoDate;
const QTime NoTime;

// The text of a named format; "order" gives the short date's order and separator.
QString formatted(const QString& format, const QVariant& v)
{
    const QHash<QString, QString> texts{
        {u"short date"_s, shortDate(v.toDate())}, {u"medium time"_s, mediumTime(v.toTime())},
        {u"currency"_s, currency(v.toDouble())},  {u"mmmm"_s, monthName(v.toInt())},
        {u"ddd"_s, shortWeekdayName(v.toInt())},  {u"###,###"_s, groupedNumber(v.toLongLong())},
        {u"plain"_s, plainNumber(v.toDouble())},  {u"order"_s, shortDateOrder() + shortDateSeparator()}};
    return texts.value(format);
}

} // namespace

void TestLocaleFormats::namedFormats_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");

    const QString date = u"short date"_s, time = u"medium time"_s, money = u"currency"_s, plain = u"plain"_s;
    QTest::newRow("date en_US") << us << date << QVariant(QDate(2001, 3, 7)) << u"3/7/2001"_s;
    QTest::newRow("date 1905 keeps its century")
        << us << date << QVariant(QDate(1905, 12, 31)) << u"12/31/1905"_s;
    QTest::newRow("date de_DE") << de << date << QVariant(QDate(1998, 5, 30)) << u"30.05.1998"_s;
    QTest::newRow("time drops seconds") << us << time << QVariant(QTime(22, 30, 59)) << u"10:30 PM"_s;
    QTest::newRow("time midnight") << us << time << QVariant(QTime(0, 0)) << u"12:00 AM"_s;
    QTest::newRow("currency grouped") << us << money << QVariant(1234.5) << u"$1,234.50"_s;
    QTest::newRow("currency negative") << us << money << QVariant(-12.5) << u"($12.50)"_s;
    QTest::newRow("currency rounds to cents") << us << money << QVariant(0.1275) << u"$0.13"_s;
    QTest::newRow("currency no negative zero") << us << money << QVariant(-0.001) << u"$0.00"_s;
    QTest::newRow("currency de_DE") << de << money << QVariant(-1234.5)
                                    << QString(u"-1.234,50"_s + NoBreak + u"€");
    QTest::newRow("currency of NaN") << us << money << QVariant(std::nan("")) << QString();
    QTest::newRow("mmmm") << de << u"mmmm"_s << QVariant(3) << u"März"_s;
    QTest::newRow("mmmm 13") << us << u"mmmm"_s << QVariant(13) << QString();
    QTest::newRow("ddd 1 is Monday") << us << u"ddd"_s << QVariant(1) << u"Mon"_s;
    QTest::newRow("ddd 7 is Sunday") << us << u"ddd"_s << QVariant(7) << u"Sun"_s;
    QTest::newRow("ddd 0") << us << u"ddd"_s << QVariant(0) << QString();
    QTest::newRow("###,### zero is empty") << us << u"###,###"_s << QVariant(0LL) << QString();
    QTest::newRow("###,### negative") << us << u"###,###"_s << QVariant(-1234567LL) << u"-1,234,567"_s;
    QTest::newRow("plain no binary noise") << us << plain << QVariant(0.1 + 0.2) << u"0.3"_s;
    QTest::newRow("plain no exponent, no grouping")
        << us << plain << QVariant(1e16) << u"10000000000000000"_s;
    QTest::newRow("plain negative zero") << us << plain << QVariant(-0.0) << u"0"_s;
    QTest::newRow("plain serial, 15 digits")
        << us << plain << QVariant(36526.0 + 6.5 / 24) << u"36526.2708333333"_s;
    QTest::newRow("plain de_DE") << de << plain << QVariant(561.6) << u"561,6"_s;
    QTest::newRow("order en_US") << us << u"order"_s << None << u"MDY/"_s;
    QTest::newRow("order de_DE") << de << u"order"_s << None << u"DMY."_s;
    QTest::newRow("order sv_SE") << u"sv_SE"_s << u"order"_s << None << u"YMD-"_s;
}

void TestLocaleFormats::namedFormats()
{
    QFETCH(QString, locale);
    QFETCH(QString, format);
    QFETCH(QVariant, value);
    LocaleGuard guard(locale);
    QTEST(formatted(format, value), "text");
}

void TestLocaleFormats::readsNumbersAndAmounts_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("number"); // null: not numeric
    QTest::addColumn<QVariant>("amount"); // null: not a currency amount

    QTest::newRow("blanks and sign") << us << u" -3 "_s << QVariant(-3.0) << QVariant(-3.0);
    QTest::newRow("grouped decimals")
        << us << u"1,234,567.25"_s << QVariant(1234567.25) << QVariant(1234567.25);
    QTest::newRow("amount keeps four decimals")
        << us << u"1.23456"_s << QVariant(1.23456) << QVariant(1.2346);
    QTest::newRow("letters") << us << u"12a"_s << None << None;
    QTest::newRow("empty") << us << QString() << None << None;
    QTest::newRow("two points") << us << u"1.2.3"_s << None << None;
    QTest::newRow("comma for point") << us << u"1,5"_s << None << None;
    QTest::newRow("leading group") << us << u",123"_s << None << None;
    QTest::newRow("symbol") << us << u"$1,234.50"_s << None << QVariant(1234.5);
    QTest::newRow("minus before symbol") << us << u"-$12.50"_s << None << QVariant(-12.5);
    QTest::newRow("minus after symbol") << us << u"$-12.50"_s << None << QVariant(-12.5);
    QTest::newRow("parentheses") << us << u"($12.50)"_s << None << QVariant(-12.5);
    QTest::newRow("symbol alone") << us << u"$"_s << None << None;
    QTest::newRow("two symbols") << us << u"$$5"_s << None << None;
    QTest::newRow("sign in parentheses") << us << u"(-5)"_s << None << None;
    QTest::newRow("beyond currency range") << us << u"1,000,000,000,000,000"_s << QVariant(1e15) << None;
    QTest::newRow("largest amount kept exactly")
        << us << u"$99,999,999,999.9999"_s << None << QVariant(99999999999.9999);
    QTest::newRow("amount that would come back changed")
        << us << u"$922,337,203,685,477.58"_s << None << None;
    QTest::newRow("just beyond the exact range") << us << u"$100,000,000,000.00"_s << None << None;
    QTest::newRow("de_DE grouped") << de << u"-1.234,5"_s << QVariant(-1234.5) << QVariant(-1234.5);
    QTest::newRow("de_DE point for comma") << de << u"1.5"_s << None << None;
    QTest::newRow("de_DE as typed") << de << u"1.234,50€"_s << None << QVariant(1234.5);
    QTest::newRow("blank after sign") << us << u"- 5"_s << None << None;
    QTest::newRow("ccp half a digit") << u"ccp_BD"_s << u"𑄷"_s + QChar(0xD804) << None << None;
}

void TestLocaleFormats::readsNumbersAndAmounts()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QVariant, number);
    QFETCH(QVariant, amount);
    LocaleGuard guard(locale);
    QCOMPARE(isNumeric(text), number.isValid());
    QCOMPARE(toNumber(text), number.isValid() ? std::optional(number.toDouble()) : std::nullopt);
    QCOMPARE(toCurrency(text), amount.isValid() ? std::optional(amount.toDouble()) : std::nullopt);
}

void TestLocaleFormats::readsDatesAndTimes_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date"); // invalid: not a date
    QTest::addColumn<QTime>("time"); // invalid: not a time

    QTest::newRow("short date") << us << u"03/07/2001"_s << QDate(2001, 3, 7) << NoTime;
    QTest::newRow("two-digit year 29") << us << u"1/1/29"_s << QDate(2029, 1, 1) << NoTime;
    QTest::newRow("two-digit year 30") << us << u"1/1/30"_s << QDate(1930, 1, 1) << NoTime;
    QTest::newRow("four-digit 1925 kept") << us << u"1/1/1925"_s << QDate(1925, 1, 1) << NoTime;
    QTest::newRow("year 99 written long") << us << u"1/1/0099"_s << NoDate << NoTime;
    QTest::newRow("calendar's blanks") << us << u"5 30 1998"_s << QDate(1998, 5, 30) << NoTime;
    QTest::newRow("long date") << us << u"Monday, January 1, 2029"_s << QDate(2029, 1, 1) << NoTime;
    QTest::newRow("leap day") << us << u"2/29/2000"_s << QDate(2000, 2, 29) << NoTime;
    QTest::newRow("no leap day 1900") << us << u"2/29/1900"_s << NoDate << NoTime;
    QTest::newRow("month 13") << us << u"13/1/2001"_s << NoDate << NoTime;
    QTest::newRow("January 32") << us << u"January 32, 2001"_s << NoDate << NoTime;
    QTest::newRow("de_DE two-digit year") << de << u"7.3.01"_s << QDate(2001, 3, 7) << NoTime;
    QTest::newRow("de_DE month first") << de << u"12.31.1999"_s << NoDate << NoTime;
    QTest::newRow("de_DE long date") << de << u"Montag, 1. Januar 2029"_s << QDate(2029, 1, 1) << NoTime;
    QTest::newRow("de_DE month name first") << de << u"März 5, 2029"_s << QDate(2029, 3, 5) << NoTime;
    QTest::newRow("de_DE English month") << de << u"March 5, 2029"_s << NoDate << NoTime;
    QTest::newRow("PM lower case") << us << u"10:30 pm"_s << NoDate << QTime(22, 30);
    QTest::newRow("PM, seconds") << us << u"10:30:15PM"_s << NoDate << QTime(22, 30, 15);
    QTest::newRow("midnight") << us << u"12:00 AM"_s << NoDate << QTime(0, 0);
    QTest::newRow("24-hour") << us << u"0:00:59"_s << NoDate << QTime(0, 0, 59);
    QTest::newRow("bare hour") << us << u"3"_s << NoDate << NoTime;
    QTest::newRow("minute 60") << us << u"10:60"_s << NoDate << NoTime;
    QTest::newRow("13 PM") << us << u"13:00 PM"_s << NoDate << NoTime;
    QTest::newRow("unknown mark") << us << u"10:30 XM"_s << NoDate << NoTime;
    QTest::newRow("empty") << us << QString() << NoDate << NoTime;
    QTest::newRow("ar_EG digits, no marks") << u"ar_EG"_s << u"٣١/١٢/٢٠٢٤"_s << QDate(2024, 12, 31) << NoTime;
    QTest::newRow("ar_EG time") << u"ar_EG"_s << u"١:٠٥ م"_s << NoDate << QTime(13, 5);
}

void TestLocaleFormats::readsDatesAndTimes()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    LocaleGuard guard(locale);
    QCOMPARE(isDate(text), date.isValid());
    QCOMPARE(toDate(text).value_or(QDate()), date);
    QCOMPARE(isTime(text), time.isValid());
    QCOMPARE(toTime(text).value_or(QTime()), time);
}

void TestLocaleFormats::shownValuesReadBack_data()
{
    QTest::addColumn<QString>("locale");
    for (const char* locale : {"en_US", "de_DE", "fr_FR", "sv_SE", "ja_JP"})
        QTest::newRow(locale) << QString::fromLatin1(locale);
}

// What the program shows it reads back: a price rewritten as currency, a total
// in a report file, a shown date or time, and the "<month> <day>, <year>" text
// the 1900-1929 date rule builds.
void TestLocaleFormats::shownValuesReadBack()
{
    QFETCH(QString, locale);
    LocaleGuard guard(locale);
    const bool wholeUnits = !currency(0.0).contains(QLocale().decimalPoint()); // yen
    for (double amount : {0.0, -12.5, 1234567.5}) {
        const QString shown = currency(amount);
        QVERIFY2(toCurrency(shown) == (wholeUnits ? std::round(amount) : amount), qPrintable(shown));
    }
    for (double value : {-1.25, 36526.27083333333, 1234567.125}) {
        const QString written = plainNumber(value);
        QVERIFY2(std::abs(toNumber(written).value_or(0) - value) < 1e-9, qPrintable(written));
    }
    QCOMPARE(toNumber(groupedNumber(123456789)), std::optional(123456789.0));
    for (const QDate& date :
         {QDate(1905, 12, 31), QDate(2000, 2, 29), QDate(9999, 12, 31), QDate(100, 1, 1)}) {
        QCOMPARE(toDate(shortDate(date)).value_or(QDate()), date);
        const QString longDate = QLocale().toString(date, QLocale::LongFormat);
        QVERIFY2(toDate(longDate) == date, qPrintable(longDate));
    }
    QCOMPARE(toTime(mediumTime(QTime(15, 45, 10))).value_or(QTime()), QTime(15, 45));
    for (int month = 1; month <= 12; ++month) {
        const QString text = monthName(month) + u' ' + QString::number(month + 15) + u", 2029";
        QVERIFY2(toDate(text) == QDate(2029, month, month + 15), qPrintable(text));
    }
}

void TestLocaleFormats::serialNumbers_data()
{
    QTest::addColumn<double>("serial");
    QTest::addColumn<QDateTime>("value"); // invalid: no date-time
    QTest::addColumn<bool>("exact");      // the value converts back to exactly this serial

    const auto at = [](int y, int m, int d, int h = 0, int min = 0) {
        return QDateTime(QDate(y, m, d), QTime(h, min));
    };
    QTest::newRow("day zero") << 0.0 << at(1899, 12, 30) << true;
    QTest::newRow("day before, fraction counts forward") << -1.25 << at(1899, 12, 29, 6) << true;
    QTest::newRow("between -1 and 0 is day zero") << -0.5 << at(1899, 12, 30, 12) << false;
    QTest::newRow("15 digits give whole seconds") << 36526.2708333333 << at(2000, 1, 1, 6, 30) << false;
    QTest::newRow("just before midnight") << 36526.99999999999 << at(2000, 1, 2) << false;
    QTest::newRow("negative just before midnight") << -1.99999999999 << at(1899, 12, 30) << false;
    QTest::newRow("last day") << 2958465.5 << at(9999, 12, 31, 12) << true;
    QTest::newRow("first day") << -657434.0 << at(100, 1, 1) << true;
    QTest::newRow("after 9999") << 2958466.0 << QDateTime() << false;
    QTest::newRow("NaN") << std::nan("") << QDateTime() << false;
}

void TestLocaleFormats::serialNumbers()
{
    QFETCH(double, serial);
    QFETCH(QDateTime, value);
    QFETCH(bool, exact);
    const QDateTime converted = fromSerial(serial);
    QCOMPARE(converted.isValid(), value.isValid());
    QCOMPARE(converted.date(), value.date());
    QCOMPARE(converted.time(), value.time());
    if (exact)
        QCOMPARE(toSerial(value), serial);
}

// Whatever the program writes in a field it must read back, in every locale
// the user may have: a price, a date, a time or a number shown in the locale's
// own form (its digits, signs, symbols and order) is accepted as typed.
void TestLocaleFormats::everyLocaleReadsBack_data()
{
    QTest::addColumn<QLocale>("locale");
    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    QVERIFY(locales.size() > 300);
    for (const QLocale& locale : locales)
        QTest::newRow(
            qPrintable(locale.bcp47Name() + u" "_s + QLocale::territoryToString(locale.territory())))
            << locale;
}

void TestLocaleFormats::everyLocaleReadsBack()
{
    QFETCH(QLocale, locale);
    const LocaleGuard guard(locale);
    const QLocale current;
    QStringList failures;
    for (const double amount : {0.0, 7.5, -12.25, 1234.56, 987654321.0}) {
        // Shown with the locale's own decimals, so read back at that precision.
        const QString shown = currency(amount);
        const std::optional<double> read = toCurrency(shown);
        if (!read || std::fabs(*read - amount) > 0.5)
            failures << u"currency %1 -> \"%2\""_s.arg(amount).arg(shown);
    }
    for (const QDate date : {QDate(2024, 12, 31), QDate(1999, 1, 5), QDate(2031, 7, 4)}) {
        const QString shown = shortDate(date);
        if (toDate(shown) != date)
            failures << u"date %1 -> \"%2\""_s.arg(date.toString(Qt::ISODate), shown);
    }
    for (const double number : {0.0, -3.0, 42.5, 1234567.0}) {
        const QString shown = current.toString(number, 'f', 1);
        const std::optional<double> read = toNumber(shown);
        if (!read || *read != number)
            failures << u"number %1 -> \"%2\""_s.arg(number).arg(shown);
    }
    for (const QTime time : {QTime(0, 0), QTime(9, 5), QTime(23, 59)}) {
        const QString shown = mediumTime(time);
        if (toTime(shown) != time)
            failures << u"time %1 -> \"%2\""_s.arg(time.toString(u"HH:mm"_s), shown);
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u"; "_s)));
}

QTEST_GUILESS_MAIN(TestLocaleFormats)
#include "tst_locale_formats.moc"
