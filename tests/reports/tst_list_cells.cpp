#include "reports/author_name_format.h"
#include "reports/date_pattern.h"

#include <QTest>

using namespace Qt::StringLiterals;

// What a list's line is made of, each put together its own fast way: an
// author's name from the columns' UTF-8 in one buffer for every line (the same
// text as from two QStrings, whatever the line before left in the buffer), and
// a date from the locale's pattern read once (the very text QLocale gives for
// the pattern: the locales' own short patterns, quoted text, fields left to
// QLocale, years it cannot write).
class TestListCells : public QObject
{
    Q_OBJECT

private slots:
    void namesFromUtf8AsFromTexts_data();
    void namesFromUtf8AsFromTexts();
    void datesAsTheLocaleWritesThem_data();
    void datesAsTheLocaleWritesThem();
};

void TestListCells::namesFromUtf8AsFromTexts_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << u"John"_s << u"Smith"_s << u"John Smith"_s;
    QTest::newRow("two people") << u"John & Mary"_s << u"Smith"_s << u"John Smith & Mary"_s;
    QTest::newRow("three people") << u"Ann and Bob and Cy"_s << u"Lee"_s << u"Ann Lee and Bob Lee and Cy"_s;
    QTest::newRow("& before and") << u"A and B & C"_s << u"Ode"_s << u"A and B Ode & C"_s;
    QTest::newRow("And is no joiner") << u"Ann And Bob"_s << u"Carter"_s << u"Ann And Bob Carter"_s;
    QTest::newRow("no first name") << QString() << u"Homer"_s << u"Homer"_s;
    QTest::newRow("no names") << QString() << QString() << QString();
    QTest::newRow("blanks at the ends dropped") << u"  Jo "_s << u"Ray  "_s << u"Jo  Ray"_s;
    QTest::newRow("tab kept") << u"\tJo"_s << u"Ray"_s << u"\tJo Ray"_s;
    QTest::newRow("accents") << u"Émile & Zoë"_s << u"Łódź"_s << u"Émile Łódź & Zoë"_s;
}

void TestListCells::namesFromUtf8AsFromTexts()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, expected);
    static AuthorNames names; // shared by the rows, as by the lines of a list
    QCOMPARE(names.format(first.toUtf8(), last.toUtf8()), expected);
    QCOMPARE(FormatAuthorName(first, last), expected);
}

void TestListCells::datesAsTheLocaleWritesThem_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("pattern");
    const QLocale c = QLocale::c();
    const QStringList patterns{u"M/d/yyyy"_s,         u"dd/MM/yy"_s,
                               u"yyyy-MM-dd"_s,       u"d.M.yyyy"_s,
                               u"yy. M. d."_s,        u"'Day' d 'of' M, yyyy"_s,
                               u"d''M''yy"_s,         u"'it''s' d/M"_s,
                               u"ddd d MMM yyyy"_s,   u"dddd, d MMMM yy"_s,
                               u"dd/MM/yyyy hh:mm"_s, u"d/M/y"_s,
                               u"dd 'open"_s,         u"yyy-M-d"_s,
                               u"dd-MM-yyyyy"_s,      QString()};
    for (const QString& pattern : patterns)
        QTest::addRow("C, %s", qPrintable(pattern)) << c << pattern;
    for (const QLocale& locale :
         {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English), QLocale(QLocale::Japanese),
          QLocale(QLocale::Arabic, QLocale::Egypt), QLocale(QLocale::Russian), QLocale(QLocale::Polish)}) {
        QTest::addRow("%s, short", qPrintable(locale.name()))
            << locale << locale.dateFormat(QLocale::ShortFormat);
        QTest::addRow("%s, long", qPrintable(locale.name()))
            << locale << locale.dateFormat(QLocale::LongFormat);
    }
}

void TestListCells::datesAsTheLocaleWritesThem()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, pattern);
    const DatePattern read(locale, pattern);
    for (const QDate& date : {QDate(2024, 12, 31), QDate(1999, 1, 5), QDate(2000, 10, 10), QDate(7, 3, 4),
                              QDate(123, 11, 9), QDate(-44, 3, 15), QDate(12345, 6, 7), QDate()})
        QCOMPARE(read.format(date), date.isValid() ? locale.toString(date, pattern) : QString());
}

QTEST_GUILESS_MAIN(TestListCells)
#include "tst_list_cells.moc"
