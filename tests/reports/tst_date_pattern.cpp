#include "reports/date_pattern.h"

#include <QTest>

using namespace Qt::StringLiterals;

// A date pattern read once gives, for every date, the very text QLocale gives
// for the pattern: the locales' own short patterns, quoted text, fields it
// leaves to QLocale, and years it cannot write.
class TestDatePattern : public QObject
{
    Q_OBJECT

private slots:
    void sameTextAsTheLocale_data();
    void sameTextAsTheLocale();
};

void TestDatePattern::sameTextAsTheLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("pattern");
    const QLocale c = QLocale::c();
    const QStringList patterns{u"M/d/yyyy"_s,          u"dd/MM/yy"_s,     u"yyyy-MM-dd"_s,
                               u"d.M.yyyy"_s,          u"yy. M. d."_s,    u"'Day' d 'of' M, yyyy"_s,
                               u"d''M''yy"_s,          u"'it''s' d/M"_s,  u"ddd d MMM yyyy"_s,
                               u"dd/MM/yyyy hh:mm"_s, u"d/M/y"_s,        u"dd 'open"_s,
                               u"yyy-M-d"_s,           u"dd-MM-yyyyy"_s, QString()};
    for (const QString& pattern : patterns)
        QTest::addRow("C, %s", qPrintable(pattern)) << c << pattern;
    for (const QLocale& locale : {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English),
                                  QLocale(QLocale::Japanese), QLocale(QLocale::Arabic, QLocale::Egypt)})
        QTest::addRow("%s, short", qPrintable(locale.name()))
            << locale << locale.dateFormat(QLocale::ShortFormat);
}

void TestDatePattern::sameTextAsTheLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, pattern);
    const DatePattern read(locale, pattern);
    for (const QDate& date : {QDate(2024, 12, 31), QDate(1999, 1, 5), QDate(2000, 10, 10), QDate(7, 3, 4),
                              QDate(123, 11, 9), QDate(-44, 3, 15), QDate(12345, 6, 7), QDate()})
        QCOMPARE(read.format(date), date.isValid() ? locale.toString(date, pattern) : QString());
}

QTEST_GUILESS_MAIN(TestDatePattern)
#include "tst_date_pattern.moc"
