// Whatever the program writes in a field it must read back, in every locale
// the user may have: a price, a date, a time or a number shown in the locale's
// own form (its digits, signs, symbols and order) is accepted as typed.

#include "common/locale_formats.h"
#include "support/locale_guard.h"

#include <QTest>
#include <cmath>

using namespace Qt::StringLiterals;

class TestLocaleReadBack : public QObject
{
    Q_OBJECT

private slots:
    void formatsReadBack_data();
    void formatsReadBack();
};

void TestLocaleReadBack::formatsReadBack_data()
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

void TestLocaleReadBack::formatsReadBack()
{
    QFETCH(QLocale, locale);
    const LocaleGuard guard(locale);
    const QLocale current;
    QStringList failures;
    for (const double amount : {0.0, 7.5, -12.25, 1234.56, 987654321.0}) {
        // Shown with the locale's own decimals, so read back at that precision.
        const QString shown = LocaleFormats::currency(amount);
        const std::optional<double> read = LocaleFormats::toCurrency(shown);
        if (!read || std::fabs(*read - amount) > 0.5)
            failures << u"currency %1 -> \"%2\""_s.arg(amount).arg(shown);
    }
    for (const QDate date : {QDate(2024, 12, 31), QDate(1999, 1, 5), QDate(2031, 7, 4)}) {
        const QString shown = LocaleFormats::shortDate(date);
        if (LocaleFormats::toDate(shown) != date)
            failures << u"date %1 -> \"%2\""_s.arg(date.toString(Qt::ISODate), shown);
    }
    for (const double number : {0.0, -3.0, 42.5, 1234567.0}) {
        const QString shown = current.toString(number, 'f', 1);
        const std::optional<double> read = LocaleFormats::toNumber(shown);
        if (!read || *read != number)
            failures << u"number %1 -> \"%2\""_s.arg(number).arg(shown);
    }
    for (const QTime time : {QTime(0, 0), QTime(9, 5), QTime(23, 59)}) {
        const QString shown = LocaleFormats::mediumTime(time);
        if (LocaleFormats::toTime(shown) != time)
            failures << u"time %1 -> \"%2\""_s.arg(time.toString(u"HH:mm"_s), shown);
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(u"; "_s)));
}

QTEST_GUILESS_MAIN(TestLocaleReadBack)
#include "tst_locale_read_back.moc"
