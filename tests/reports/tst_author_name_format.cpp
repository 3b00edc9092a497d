#include "reports/author_name_format.h"

#include <QTest>

using namespace Qt::StringLiterals;

// An author's name as the lists print it, put together from the columns'
// UTF-8 in one buffer for every line: the same text as from two QStrings,
// whatever the line before left in the buffer.
class TestAuthorNameFormat : public QObject
{
    Q_OBJECT

private slots:
    void namesFromUtf8AsFromTexts_data();
    void namesFromUtf8AsFromTexts();
};

void TestAuthorNameFormat::namesFromUtf8AsFromTexts_data()
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

void TestAuthorNameFormat::namesFromUtf8AsFromTexts()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, expected);
    static AuthorNames names; // shared by the rows, as by the lines of a list
    QCOMPARE(names.format(first.toUtf8(), last.toUtf8()), expected);
    QCOMPARE(FormatAuthorName(first, last), expected);
}

QTEST_GUILESS_MAIN(TestAuthorNameFormat)
#include "tst_author_name_format.moc"
