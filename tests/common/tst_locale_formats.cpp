#include "common/locale_formats.h"

#include "support/locale_guard.h"

#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;
using namespace LocaleFormats;

// Every test pins the locale of its row: en_US (month first, "$"), en_GB and
// de_DE (day first; de_DE with "," as the decimal separator), a few others
// where their writing differs in a way the parsers must handle, and C, the
// locale the test runner starts in.
class TestLocaleFormats : public QObject
{
    Q_OBJECT
private slots:
    void shortDate_data();
    void shortDate();
    void mediumTime_data();
    void mediumTime();
    void currency_data();
    void currency();
    void names_data();
    void names();
    void groupedNumber_data();
    void groupedNumber();
    void plainNumber_data();
    void plainNumber();

    void toNumber_data();
    void toNumber();
    void toCurrency_data();
    void toCurrency();
    void formattedValuesReadBack_data();
    void formattedValuesReadBack();

    void toDate_data();
    void toDate();
    void shownDatesReadBack_data();
    void shownDatesReadBack();
    void centuryTextReadsInEveryLocale_data();
    void centuryTextReadsInEveryLocale();
    void toTime_data();
    void toTime();

    void serialFromDateTime_data();
    void serialFromDateTime();
    void serialToDateTime_data();
    void serialToDateTime();
    void unusableSerials_data();
    void unusableSerials();

    void shortDateOrderAndSeparator_data();
    void shortDateOrderAndSeparator();
};

namespace {

// The texts Qt writes use the no-break spaces of the locale data.
const QString NoBreak = QString(QChar(0x00A0));
const QString NarrowNoBreak = QString(QChar(0x202F));

const QStringList SampleLocales = {u"en_US"_s, u"en_GB"_s, u"de_DE"_s, u"fr_FR"_s, u"de_CH"_s, u"sv_SE"_s,
                                   u"hu_HU"_s, u"pl_PL"_s, u"ja_JP"_s, u"ko_KR"_s, u"en_IN"_s, u"C"_s};

} // namespace

void TestLocaleFormats::shortDate_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("text");

    QTest::newRow("en_US four-digit year") << u"en_US"_s << QDate(2001, 3, 7) << u"3/7/2001"_s;
    QTest::newRow("en_US 1905 is not 05") << u"en_US"_s << QDate(1905, 12, 31) << u"12/31/1905"_s;
    QTest::newRow("en_GB") << u"en_GB"_s << QDate(2001, 3, 7) << u"07/03/2001"_s;
    QTest::newRow("de_DE four-digit year") << u"de_DE"_s << QDate(1998, 5, 30) << u"30.05.1998"_s;
    QTest::newRow("ko_KR four-digit year") << u"ko_KR"_s << QDate(1998, 5, 30) << u"1998. 5. 30."_s;
    QTest::newRow("invalid date") << u"en_US"_s << QDate() << QString();
}

void TestLocaleFormats::shortDate()
{
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    QFETCH(QString, text);
    LocaleGuard guard(locale);
    QCOMPARE(LocaleFormats::shortDate(date), text);
}

void TestLocaleFormats::mediumTime_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("text");

    QTest::newRow("en_US morning") << u"en_US"_s << QTime(9, 5) << u"9:05 AM"_s;
    QTest::newRow("en_US evening, seconds dropped") << u"en_US"_s << QTime(22, 30, 59) << u"10:30 PM"_s;
    QTest::newRow("en_US midnight") << u"en_US"_s << QTime(0, 0) << u"12:00 AM"_s;
    QTest::newRow("de_DE") << u"de_DE"_s << QTime(22, 30, 59) << u"22:30"_s;
    QTest::newRow("C keeps no seconds either") << u"C"_s << QTime(22, 30, 59) << u"22:30"_s;
    QTest::newRow("invalid time") << u"en_US"_s << QTime() << QString();
}

void TestLocaleFormats::mediumTime()
{
    QFETCH(QString, locale);
    QFETCH(QTime, time);
    QFETCH(QString, text);
    LocaleGuard guard(locale);
    QCOMPARE(LocaleFormats::mediumTime(time), text);
}

void TestLocaleFormats::currency_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("text");

    QTest::newRow("en_US two decimals") << u"en_US"_s << 12.5 << u"$12.50"_s;
    QTest::newRow("en_US grouping") << u"en_US"_s << 1234.5 << u"$1,234.50"_s;
    QTest::newRow("en_US negative") << u"en_US"_s << -12.5 << u"($12.50)"_s;
    QTest::newRow("en_US rounds four decimals to two") << u"en_US"_s << 0.1275 << u"$0.13"_s;
    QTest::newRow("en_US tiny negative is no negative zero") << u"en_US"_s << -0.001 << u"$0.00"_s;
    QTest::newRow("de_DE") << u"de_DE"_s << 1234.5 << QString(u"1.234,50"_s + NoBreak + u"€"_s);
    QTest::newRow("de_DE negative") << u"de_DE"_s << -12.5 << QString(u"-12,50"_s + NoBreak + u"€"_s);
    QTest::newRow("ja_JP no decimals") << u"ja_JP"_s << 1234.4 << u"￥1,234"_s;
    QTest::newRow("not a number") << u"en_US"_s << std::nan("") << QString();
}

void TestLocaleFormats::currency()
{
    QFETCH(QString, locale);
    QFETCH(double, amount);
    QFETCH(QString, text);
    LocaleGuard guard(locale);
    QCOMPARE(LocaleFormats::currency(amount), text);
}

void TestLocaleFormats::names_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("weekday");

    QTest::newRow("en_US January, Monday") << u"en_US"_s << 1 << u"January"_s << u"Mon"_s;
    QTest::newRow("en_US December, Sunday") << u"en_US"_s << 12 << QString(u"December"_s) << QString();
    QTest::newRow("en_US 7 is Sunday") << u"en_US"_s << 7 << u"July"_s << u"Sun"_s;
    QTest::newRow("de_DE") << u"de_DE"_s << 3 << u"März"_s << u"Mi"_s;
    QTest::newRow("pl_PL month alone, not in a date") << u"pl_PL"_s << 1 << u"styczeń"_s << u"pon."_s;
    QTest::newRow("zero") << u"en_US"_s << 0 << QString() << QString();
    QTest::newRow("thirteen") << u"en_US"_s << 13 << QString() << QString();
}

void TestLocaleFormats::names()
{
    QFETCH(QString, locale);
    QFETCH(int, number);
    QFETCH(QString, month);
    QFETCH(QString, weekday);
    LocaleGuard guard(locale);
    QCOMPARE(monthName(number), month);
    if (number <= 7) {
        QCOMPARE(shortWeekdayName(number), weekday);
    }
}

void TestLocaleFormats::groupedNumber_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero is empty") << u"en_US"_s << qint64(0) << QString();
    QTest::newRow("small") << u"en_US"_s << qint64(999) << u"999"_s;
    QTest::newRow("grouped") << u"en_US"_s << qint64(1234567) << u"1,234,567"_s;
    QTest::newRow("negative") << u"en_US"_s << qint64(-1234) << u"-1,234"_s;
    QTest::newRow("de_DE") << u"de_DE"_s << qint64(1234) << u"1.234"_s;
    QTest::newRow("C groups too") << u"C"_s << qint64(1234) << u"1,234"_s;
}

void TestLocaleFormats::groupedNumber()
{
    QFETCH(QString, locale);
    QFETCH(qint64, value);
    QFETCH(QString, text);
    LocaleGuard guard(locale);
    QCOMPARE(LocaleFormats::groupedNumber(value), text);
}

void TestLocaleFormats::plainNumber_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << u"en_US"_s << 1440.0 << u"1440"_s;
    QTest::newRow("fraction") << u"en_US"_s << 561.6 << u"561.6"_s;
    QTest::newRow("no binary noise") << u"en_US"_s << 0.1 + 0.2 << u"0.3"_s;
    QTest::newRow("negative") << u"en_US"_s << -1.25 << u"-1.25"_s;
    QTest::newRow("no grouping") << u"en_US"_s << 1234567.5 << u"1234567.5"_s;
    QTest::newRow("no exponent for large") << u"en_US"_s << 1e16 << u"10000000000000000"_s;
    QTest::newRow("no exponent for small") << u"en_US"_s << 0.00001 << u"0.00001"_s;
    QTest::newRow("negative zero") << u"en_US"_s << -0.0 << u"0"_s;
    QTest::newRow("serial of 2000-01-01 06:30") << u"en_US"_s << 36526.0 + 6.5 / 24 << u"36526.2708333333"_s;
    QTest::newRow("de_DE decimal comma") << u"de_DE"_s << 561.6 << u"561,6"_s;
    QTest::newRow("sv_SE minus sign") << u"sv_SE"_s << -1.5 << QString(QChar(0x2212) + u"1,5"_s);
}

void TestLocaleFormats::plainNumber()
{
    QFETCH(QString, locale);
    QFETCH(double, value);
    QFETCH(QString, text);
    LocaleGuard guard(locale);
    QCOMPARE(LocaleFormats::plainNumber(value), text);
}

void TestLocaleFormats::toNumber_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");

    QTest::newRow("en_US surrounding blanks and sign") << u"en_US"_s << u" -3 "_s << true << -3.0;
    QTest::newRow("en_US plus sign") << u"en_US"_s << u"+7"_s << true << 7.0;
    QTest::newRow("en_US decimal") << u"en_US"_s << u"1.5"_s << true << 1.5;
    QTest::newRow("en_US grouped") << u"en_US"_s << u"1,234"_s << true << 1234.0;
    QTest::newRow("en_US grouped with decimals") << u"en_US"_s << u"1,234,567.25"_s << true << 1234567.25;
    QTest::newRow("en_US leading point") << u"en_US"_s << u".5"_s << true << 0.5;
    QTest::newRow("en_US trailing point") << u"en_US"_s << u"5."_s << true << 5.0;
    QTest::newRow("en_US tab around") << u"en_US"_s << u"\t42\t"_s << true << 42.0;
    QTest::newRow("en_US letters") << u"en_US"_s << u"12a"_s << false << 0.0;
    QTest::newRow("en_US year with a letter") << u"en_US"_s << u"19x5"_s << false << 0.0;
    QTest::newRow("en_US empty") << u"en_US"_s << QString() << false << 0.0;
    QTest::newRow("en_US blanks only") << u"en_US"_s << u"   "_s << false << 0.0;
    QTest::newRow("en_US two decimal points") << u"en_US"_s << u"1.2.3"_s << false << 0.0;
    QTest::newRow("en_US comma where a point is meant") << u"en_US"_s << u"1,5"_s << false << 0.0;
    QTest::newRow("en_US group after the point") << u"en_US"_s << u"1.234,5"_s << false << 0.0;
    QTest::newRow("en_US leading group separator") << u"en_US"_s << u",123"_s << false << 0.0;
    QTest::newRow("en_US doubled group separator") << u"en_US"_s << u"1,,234"_s << false << 0.0;
    QTest::newRow("en_US exponent") << u"en_US"_s << u"1e5"_s << false << 0.0;
    QTest::newRow("en_US infinity") << u"en_US"_s << u"inf"_s << false << 0.0;
    QTest::newRow("en_US not a number") << u"en_US"_s << u"nan"_s << false << 0.0;
    QTest::newRow("en_US sign alone") << u"en_US"_s << u"-"_s << false << 0.0;
    QTest::newRow("en_US point alone") << u"en_US"_s << u"."_s << false << 0.0;
    QTest::newRow("en_US blank after sign") << u"en_US"_s << u"- 3"_s << false << 0.0;
    QTest::newRow("en_US two signs") << u"en_US"_s << u"--3"_s << false << 0.0;
    QTest::newRow("en_US blank inside") << u"en_US"_s << u"1 234"_s << false << 0.0;
    QTest::newRow("en_US currency is not a number") << u"en_US"_s << u"$5"_s << false << 0.0;
    QTest::newRow("de_DE decimal comma") << u"de_DE"_s << u"1,5"_s << true << 1.5;
    QTest::newRow("de_DE grouped") << u"de_DE"_s << u"1.234"_s << true << 1234.0;
    QTest::newRow("de_DE grouped with decimals") << u"de_DE"_s << u"-1.234,5"_s << true << -1234.5;
    QTest::newRow("de_DE point where a comma is meant") << u"de_DE"_s << u"1.5"_s << false << 0.0;
    QTest::newRow("fr_FR typed blank groups") << u"fr_FR"_s << u"1 234,5"_s << true << 1234.5;
    QTest::newRow("fr_FR locale's own group separator")
        << u"fr_FR"_s << QString(u"1"_s + NarrowNoBreak + u"234,5"_s) << true << 1234.5;
    QTest::newRow("pl_PL four digits grouped") << u"pl_PL"_s << u"1 234"_s << true << 1234.0;
    QTest::newRow("de_CH typed apostrophe") << u"de_CH"_s << u"1'234.5"_s << true << 1234.5;
    QTest::newRow("sv_SE typed hyphen") << u"sv_SE"_s << u"-3,5"_s << true << -3.5;
    QTest::newRow("sv_SE minus sign") << u"sv_SE"_s << QString(QChar(0x2212) + u"3,5"_s) << true << -3.5;
    QTest::newRow("en_IN lakh grouping") << u"en_IN"_s << u"1,23,456"_s << true << 123456.0;
    QTest::newRow("en_IN broken grouping") << u"en_IN"_s << u"1,234,56"_s << false << 0.0;
}

void TestLocaleFormats::toNumber()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, value);
    LocaleGuard guard(locale);
    QCOMPARE(isNumeric(text), numeric);
    const std::optional<double> number = LocaleFormats::toNumber(text);
    QCOMPARE(number.has_value(), numeric);
    if (numeric) {
        QCOMPARE(*number, value);
    }
}

void TestLocaleFormats::toCurrency_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("amount");

    QTest::newRow("en_US plain number") << u"en_US"_s << u"12.5"_s << true << 12.5;
    QTest::newRow("en_US as shown") << u"en_US"_s << u"$12.50"_s << true << 12.5;
    QTest::newRow("en_US grouped") << u"en_US"_s << u"$1,234.50"_s << true << 1234.5;
    QTest::newRow("en_US blank after symbol") << u"en_US"_s << u"$ 12.50"_s << true << 12.5;
    QTest::newRow("en_US trailing symbol") << u"en_US"_s << u"12.50 $"_s << true << 12.5;
    QTest::newRow("en_US ISO code") << u"en_US"_s << u"USD 12.50"_s << true << 12.5;
    QTest::newRow("en_US minus before symbol") << u"en_US"_s << u"-$12.50"_s << true << -12.5;
    QTest::newRow("en_US minus after symbol") << u"en_US"_s << u"$-12.50"_s << true << -12.5;
    QTest::newRow("en_US parentheses") << u"en_US"_s << u"($12.50)"_s << true << -12.5;
    QTest::newRow("en_US parentheses without symbol") << u"en_US"_s << u"(3)"_s << true << -3.0;
    QTest::newRow("en_US rounds to four decimals") << u"en_US"_s << u"1.23456"_s << true << 1.2346;
    QTest::newRow("en_US surrounding blanks") << u"en_US"_s << u"  $5  "_s << true << 5.0;
    QTest::newRow("en_US letters after") << u"en_US"_s << u"12abc"_s << false << 0.0;
    QTest::newRow("en_US empty") << u"en_US"_s << QString() << false << 0.0;
    QTest::newRow("en_US symbol alone") << u"en_US"_s << u"$"_s << false << 0.0;
    QTest::newRow("en_US two symbols") << u"en_US"_s << u"$$5"_s << false << 0.0;
    QTest::newRow("en_US symbol on both sides") << u"en_US"_s << u"$5$"_s << false << 0.0;
    QTest::newRow("en_US unbalanced parenthesis") << u"en_US"_s << u"($12.50"_s << false << 0.0;
    QTest::newRow("en_US sign inside parentheses") << u"en_US"_s << u"(-5)"_s << false << 0.0;
    QTest::newRow("en_US another currency") << u"en_US"_s << u"€12"_s << false << 0.0;
    QTest::newRow("en_US comma where a point is meant") << u"en_US"_s << u"12,5"_s << false << 0.0;
    QTest::newRow("en_US beyond the currency range")
        << u"en_US"_s << u"1,000,000,000,000,000"_s << false << 0.0;
    QTest::newRow("de_DE as typed") << u"de_DE"_s << u"12,50 €"_s << true << 12.5;
    QTest::newRow("de_DE grouped") << u"de_DE"_s << u"1.234,50€"_s << true << 1234.5;
    QTest::newRow("de_DE negative") << u"de_DE"_s << u"-12,50 €"_s << true << -12.5;
    QTest::newRow("de_DE leading symbol") << u"de_DE"_s << u"€ 12,50"_s << true << 12.5;
    QTest::newRow("de_DE point where a comma is meant") << u"de_DE"_s << u"12.50 €"_s << false << 0.0;
}

void TestLocaleFormats::toCurrency()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, amount);
    LocaleGuard guard(locale);
    const std::optional<double> parsed = LocaleFormats::toCurrency(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid) {
        QCOMPARE(*parsed, amount);
    }
}

void TestLocaleFormats::formattedValuesReadBack_data()
{
    QTest::addColumn<QString>("locale");
    for (const QString& locale : SampleLocales) {
        QTest::newRow(qPrintable(locale)) << locale;
    }
}

// What the program shows it must read back: a price rewritten in the currency
// format, a number total written to a report file.
void TestLocaleFormats::formattedValuesReadBack()
{
    QFETCH(QString, locale);
    LocaleGuard guard(locale);
    // Yen and won show no decimals.
    const bool wholeUnits = !LocaleFormats::currency(0.0).contains(QLocale().decimalPoint());
    for (double amount : {0.0, 12.5, -12.5, 1234.5, 1234567.0}) {
        const QString shown = LocaleFormats::currency(amount);
        const std::optional<double> read = LocaleFormats::toCurrency(shown);
        QVERIFY2(read.has_value(), qPrintable(shown));
        QCOMPARE(*read, wholeUnits ? std::round(amount) : amount);
    }
    for (double value : {0.0, 1440.0, 561.6, -1.25, 36526.27083333333, 1234567.125}) {
        const QString written = LocaleFormats::plainNumber(value);
        const std::optional<double> read = LocaleFormats::toNumber(written);
        QVERIFY2(read.has_value(), qPrintable(written));
        QVERIFY2(std::abs(*read - value) < 1e-9, qPrintable(written));
    }
    for (qint64 count : {1, 999, 1000, 123456789}) {
        const QString shown = LocaleFormats::groupedNumber(count);
        QCOMPARE(LocaleFormats::toNumber(shown), std::optional<double>(double(count)));
    }
}

void TestLocaleFormats::toDate_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date"); // invalid: not a date

    const QDate none;
    QTest::newRow("en_US short date") << u"en_US"_s << u"3/7/2001"_s << QDate(2001, 3, 7);
    QTest::newRow("en_US leading zeros") << u"en_US"_s << u"03/07/2001"_s << QDate(2001, 3, 7);
    QTest::newRow("en_US two-digit year 01") << u"en_US"_s << u"3/7/01"_s << QDate(2001, 3, 7);
    QTest::newRow("en_US two-digit year 29") << u"en_US"_s << u"1/1/29"_s << QDate(2029, 1, 1);
    QTest::newRow("en_US two-digit year 30") << u"en_US"_s << u"1/1/30"_s << QDate(1930, 1, 1);
    QTest::newRow("en_US two-digit year 99") << u"en_US"_s << u"12/31/99"_s << QDate(1999, 12, 31);
    QTest::newRow("en_US four-digit 1925 kept") << u"en_US"_s << u"1/1/1925"_s << QDate(1925, 1, 1);
    QTest::newRow("en_US hyphens") << u"en_US"_s << u"3-7-2001"_s << QDate(2001, 3, 7);
    QTest::newRow("en_US blanks, as the calendar builds it")
        << u"en_US"_s << u"5 30 1998"_s << QDate(1998, 5, 30);
    QTest::newRow("en_US surrounding blanks") << u"en_US"_s << u" 3/7/2001 "_s << QDate(2001, 3, 7);
    QTest::newRow("en_US ISO") << u"en_US"_s << u"2029-01-31"_s << QDate(2029, 1, 31);
    QTest::newRow("en_US long date") << u"en_US"_s << u"Monday, January 1, 2029"_s << QDate(2029, 1, 1);
    QTest::newRow("en_US month name, day, year") << u"en_US"_s << u"January 1, 2029"_s << QDate(2029, 1, 1);
    QTest::newRow("en_US any case, no comma") << u"en_US"_s << u"JANUARY 1 2029"_s << QDate(2029, 1, 1);
    QTest::newRow("en_US abbreviated month") << u"en_US"_s << u"Jan 1, 2029"_s << QDate(2029, 1, 1);
    QTest::newRow("en_US day before month name") << u"en_US"_s << u"1 January 2029"_s << QDate(2029, 1, 1);
    QTest::newRow("en_US leap day") << u"en_US"_s << u"2/29/2000"_s << QDate(2000, 2, 29);
    QTest::newRow("en_US no leap day in 1900") << u"en_US"_s << u"2/29/1900"_s << none;
    QTest::newRow("en_US February 30") << u"en_US"_s << u"2/30/2001"_s << none;
    QTest::newRow("en_US month 13") << u"en_US"_s << u"13/1/2001"_s << none;
    QTest::newRow("en_US day 0") << u"en_US"_s << u"1/0/2001"_s << none;
    QTest::newRow("en_US January 32") << u"en_US"_s << u"January 32, 2001"_s << none;
    QTest::newRow("en_US two numbers") << u"en_US"_s << u"3/7"_s << none;
    QTest::newRow("en_US four numbers") << u"en_US"_s << u"3/7/2001/1"_s << none;
    QTest::newRow("en_US mixed separators") << u"en_US"_s << u"3/7-2001"_s << none;
    QTest::newRow("en_US trailing words") << u"en_US"_s << u"3/7/2001 soon"_s << none;
    QTest::newRow("en_US year 99 written long") << u"en_US"_s << u"1/1/0099"_s << none;
    QTest::newRow("en_US five-digit year") << u"en_US"_s << u"1/1/20011"_s << none;
    QTest::newRow("en_US unknown month") << u"en_US"_s << u"Smarch 1, 2001"_s << none;
    QTest::newRow("en_US two months") << u"en_US"_s << u"January May 1, 2001"_s << none;
    QTest::newRow("en_US month and year only") << u"en_US"_s << u"January 2001"_s << none;
    QTest::newRow("en_US number") << u"en_US"_s << u"2001"_s << none;
    QTest::newRow("en_US empty") << u"en_US"_s << QString() << none;
    QTest::newRow("en_US text") << u"en_US"_s << u"yesterday"_s << none;
    QTest::newRow("en_GB day first") << u"en_GB"_s << u"07/03/2001"_s << QDate(2001, 3, 7);
    QTest::newRow("en_GB two-digit year") << u"en_GB"_s << u"31/12/05"_s << QDate(2005, 12, 31);
    QTest::newRow("en_GB month first refused") << u"en_GB"_s << u"12/31/1999"_s << none;
    QTest::newRow("en_GB 31 February") << u"en_GB"_s << u"31/02/1999"_s << none;
    QTest::newRow("en_GB long date") << u"en_GB"_s << u"Monday, 1 January 2029"_s << QDate(2029, 1, 1);
    QTest::newRow("en_GB month name first") << u"en_GB"_s << u"January 1, 2029"_s << QDate(2029, 1, 1);
    QTest::newRow("en_GB blanks, as the calendar builds it")
        << u"en_GB"_s << u"30 5 1998"_s << QDate(1998, 5, 30);
    QTest::newRow("en_GB ISO") << u"en_GB"_s << u"2001-03-07"_s << QDate(2001, 3, 7);
    QTest::newRow("de_DE short date") << u"de_DE"_s << u"07.03.2001"_s << QDate(2001, 3, 7);
    QTest::newRow("de_DE two-digit year") << u"de_DE"_s << u"7.3.01"_s << QDate(2001, 3, 7);
    QTest::newRow("de_DE long date") << u"de_DE"_s << u"Montag, 1. Januar 2029"_s << QDate(2029, 1, 1);
    QTest::newRow("de_DE month name first") << u"de_DE"_s << u"März 5, 2029"_s << QDate(2029, 3, 5);
    QTest::newRow("de_DE 30 February") << u"de_DE"_s << u"30.02.2001"_s << none;
    QTest::newRow("de_DE English month") << u"de_DE"_s << u"March 5, 2029"_s << none;
    QTest::newRow("hu_HU year first, trailing point")
        << u"hu_HU"_s << u"1998. 05. 30."_s << QDate(1998, 5, 30);
    QTest::newRow("hu_HU long date") << u"hu_HU"_s << u"1998. május 30., szombat"_s << QDate(1998, 5, 30);
    QTest::newRow("sv_SE year first") << u"sv_SE"_s << u"98-05-30"_s << QDate(1998, 5, 30);
    QTest::newRow("pl_PL month as in a date") << u"pl_PL"_s << u"1 stycznia 2029"_s << QDate(2029, 1, 1);
    QTest::newRow("pl_PL month alone") << u"pl_PL"_s << u"styczeń 1, 2029"_s << QDate(2029, 1, 1);
    QTest::newRow("fr_FR abbreviated with point") << u"fr_FR"_s << u"1 janv. 2029"_s << QDate(2029, 1, 1);
    QTest::newRow("C day month-name year") << u"C"_s << u"30 May 1998"_s << QDate(1998, 5, 30);
}

void TestLocaleFormats::toDate()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QDate, date);
    LocaleGuard guard(locale);
    QCOMPARE(isDate(text), date.isValid());
    QCOMPARE(LocaleFormats::toDate(text).value_or(QDate()), date);
}

void TestLocaleFormats::shownDatesReadBack_data()
{
    formattedValuesReadBack_data();
}

// A date the program shows, in the short or the long form, reads back as the
// same date.
void TestLocaleFormats::shownDatesReadBack()
{
    QFETCH(QString, locale);
    LocaleGuard guard(locale);
    for (const QDate& date : {QDate(1905, 12, 31), QDate(1998, 5, 30), QDate(2000, 2, 29), QDate(2029, 1, 1),
                              QDate(9999, 12, 31), QDate(100, 1, 1)}) {
        const QString shown = LocaleFormats::shortDate(date);
        QCOMPARE(LocaleFormats::toDate(shown).value_or(QDate()), date);
        const QString longDate = QLocale().toString(date, QLocale::LongFormat);
        QVERIFY2(LocaleFormats::toDate(longDate) == date, qPrintable(longDate));
    }
}

void TestLocaleFormats::centuryTextReadsInEveryLocale_data()
{
    formattedValuesReadBack_data();
}

// Moving a date by a century builds "<month name> <day>, <year>" and reads it
// back; that must work whatever the locale.
void TestLocaleFormats::centuryTextReadsInEveryLocale()
{
    QFETCH(QString, locale);
    LocaleGuard guard(locale);
    for (int month = 1; month <= 12; ++month) {
        const QDate date(2029, month, month + 15);
        const QString text =
            monthName(month) + u' ' + QString::number(date.day()) + u", " + QString::number(date.year());
        QVERIFY2(LocaleFormats::toDate(text) == date, qPrintable(text));
    }
}

void TestLocaleFormats::toTime_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("time"); // invalid: not a time

    const QTime none;
    QTest::newRow("en_US AM") << u"en_US"_s << u"10:30 AM"_s << QTime(10, 30);
    QTest::newRow("en_US PM lower case") << u"en_US"_s << u"10:30 pm"_s << QTime(22, 30);
    QTest::newRow("en_US no blank before mark") << u"en_US"_s << u"10:30PM"_s << QTime(22, 30);
    QTest::newRow("en_US seconds") << u"en_US"_s << u"10:30:15 PM"_s << QTime(22, 30, 15);
    QTest::newRow("en_US midnight") << u"en_US"_s << u"12:00 AM"_s << QTime(0, 0);
    QTest::newRow("en_US noon") << u"en_US"_s << u"12:00 PM"_s << QTime(12, 0);
    QTest::newRow("en_US hour and mark") << u"en_US"_s << u"3 PM"_s << QTime(15, 0);
    QTest::newRow("en_US 24-hour") << u"en_US"_s << u"22:30"_s << QTime(22, 30);
    QTest::newRow("en_US 24-hour with seconds") << u"en_US"_s << u"0:00:59"_s << QTime(0, 0, 59);
    QTest::newRow("en_US bare hour") << u"en_US"_s << u"3"_s << none;
    QTest::newRow("en_US hour 24") << u"en_US"_s << u"24:00"_s << none;
    QTest::newRow("en_US minute 60") << u"en_US"_s << u"10:60"_s << none;
    QTest::newRow("en_US second 60") << u"en_US"_s << u"10:59:60"_s << none;
    QTest::newRow("en_US hour 13 PM") << u"en_US"_s << u"13:00 PM"_s << none;
    QTest::newRow("en_US hour 0 AM") << u"en_US"_s << u"0:30 AM"_s << none;
    QTest::newRow("en_US unknown mark") << u"en_US"_s << u"10:30 XM"_s << none;
    QTest::newRow("en_US empty") << u"en_US"_s << QString() << none;
    QTest::newRow("en_US mark alone") << u"en_US"_s << u"PM"_s << none;
    QTest::newRow("en_US a date") << u"en_US"_s << u"3/7/2001"_s << none;
    QTest::newRow("de_DE") << u"de_DE"_s << u"22:30"_s << QTime(22, 30);
    QTest::newRow("de_DE seconds") << u"de_DE"_s << u"22:30:15"_s << QTime(22, 30, 15);
    QTest::newRow("ko_KR mark first") << u"ko_KR"_s << u"오후 3:30"_s << QTime(15, 30);
    QTest::newRow("nl_NL dotted mark") << u"nl_NL"_s << u"3:30 p.m."_s << QTime(15, 30);
}

void TestLocaleFormats::toTime()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(QTime, time);
    LocaleGuard guard(locale);
    QCOMPARE(isTime(text), time.isValid());
    QCOMPARE(LocaleFormats::toTime(text).value_or(QTime()), time);
    if (time.isValid()) {
        QCOMPARE(LocaleFormats::toTime(LocaleFormats::mediumTime(time)).value_or(QTime()),
                 QTime(time.hour(), time.minute()));
    }
}

void TestLocaleFormats::serialFromDateTime_data()
{
    QTest::addColumn<QDateTime>("value");
    QTest::addColumn<double>("serial");

    QTest::newRow("day zero") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << 0.0;
    QTest::newRow("1900-01-01") << QDateTime(QDate(1900, 1, 1), QTime(0, 0)) << 2.0;
    QTest::newRow("2000-01-01") << QDateTime(QDate(2000, 1, 1), QTime(0, 0)) << 36526.0;
    QTest::newRow("2000-01-01 06:00") << QDateTime(QDate(2000, 1, 1), QTime(6, 0)) << 36526.25;
    QTest::newRow("time of day zero") << QDateTime(QDate(1899, 12, 30), QTime(18, 0)) << 0.75;
    QTest::newRow("day before day zero") << QDateTime(QDate(1899, 12, 29), QTime(0, 0)) << -1.0;
    QTest::newRow("before day zero the fraction still counts forward")
        << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << -1.25;
    QTest::newRow("two days before, evening") << QDateTime(QDate(1899, 12, 28), QTime(18, 0)) << -2.75;
}

void TestLocaleFormats::serialFromDateTime()
{
    QFETCH(QDateTime, value);
    QFETCH(double, serial);
    QCOMPARE(toSerial(value), serial);
    const QDateTime back = fromSerial(serial);
    QCOMPARE(back.date(), value.date());
    QCOMPARE(back.time(), value.time());
}

void TestLocaleFormats::serialToDateTime_data()
{
    QTest::addColumn<double>("serial");
    QTest::addColumn<QDateTime>("value");

    QTest::newRow("15 digits of 06:30 give 06:30:00")
        << 36526.2708333333 << QDateTime(QDate(2000, 1, 1), QTime(6, 30));
    QTest::newRow("just before midnight rounds to the next day")
        << 36526.99999999999 << QDateTime(QDate(2000, 1, 2), QTime(0, 0));
    QTest::newRow("negative just before midnight")
        << -1.99999999999 << QDateTime(QDate(1899, 12, 30), QTime(0, 0));
    QTest::newRow("between -1 and 0 is day zero") << -0.5 << QDateTime(QDate(1899, 12, 30), QTime(12, 0));
    QTest::newRow("last day") << 2958465.5 << QDateTime(QDate(9999, 12, 31), QTime(12, 0));
    QTest::newRow("first day") << -657434.0 << QDateTime(QDate(100, 1, 1), QTime(0, 0));
}

void TestLocaleFormats::serialToDateTime()
{
    QFETCH(double, serial);
    QFETCH(QDateTime, value);
    const QDateTime converted = fromSerial(serial);
    QCOMPARE(converted.date(), value.date());
    QCOMPARE(converted.time(), value.time());
}

void TestLocaleFormats::unusableSerials_data()
{
    QTest::addColumn<double>("serial");

    QTest::newRow("not a number") << std::nan("");
    QTest::newRow("infinite") << HUGE_VAL;
    QTest::newRow("after 9999") << 2958466.0;
    QTest::newRow("before 100") << -657435.0;
    QTest::newRow("huge") << 1e300;
}

void TestLocaleFormats::unusableSerials()
{
    QFETCH(double, serial);
    QVERIFY(!fromSerial(serial).isValid());
}

void TestLocaleFormats::shortDateOrderAndSeparator_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QChar>("separator");

    QTest::newRow("en_US") << u"en_US"_s << u"MDY"_s << QChar(u'/');
    QTest::newRow("en_GB") << u"en_GB"_s << u"DMY"_s << QChar(u'/');
    QTest::newRow("de_DE") << u"de_DE"_s << u"DMY"_s << QChar(u'.');
    QTest::newRow("nl_NL") << u"nl_NL"_s << u"DMY"_s << QChar(u'-');
    QTest::newRow("sv_SE") << u"sv_SE"_s << u"YMD"_s << QChar(u'-');
    QTest::newRow("hu_HU") << u"hu_HU"_s << u"YMD"_s << QChar(u'.');
    QTest::newRow("ja_JP") << u"ja_JP"_s << u"YMD"_s << QChar(u'/');
    QTest::newRow("C") << u"C"_s << u"DMY"_s << QChar(u' ');
}

void TestLocaleFormats::shortDateOrderAndSeparator()
{
    QFETCH(QString, locale);
    QFETCH(QString, order);
    QFETCH(QChar, separator);
    LocaleGuard guard(locale);
    QCOMPARE(shortDateOrder(), order);
    QCOMPARE(shortDateSeparator(), separator);
}

QTEST_GUILESS_MAIN(TestLocaleFormats)
#include "tst_locale_formats.moc"
