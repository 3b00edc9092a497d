#include "common/text_routines.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestTextRoutines : public QObject
{
    Q_OBJECT
private slots:
    void countFields_data();
    void countFields();
    void countFieldsSaturatesAt16Bits();
    void getField_data();
    void getField();
    void fieldsJoinBackToTheText_data();
    void fieldsJoinBackToTheText();
    void replaceText_data();
    void replaceText();
};

void TestTextRoutines::countFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<int>("count");

    QTest::newRow("empty text") << QString() << u";"_s << 0;
    QTest::newRow("empty text, empty delimiter") << QString() << QString() << 0;
    QTest::newRow("no delimiter") << u"Tolkien"_s << u";"_s << 1;
    QTest::newRow("two fields") << u"a;b"_s << u";"_s << 2;
    QTest::newRow("adjacent delimiters count an empty field") << u"a;;b"_s << u";"_s << 3;
    QTest::newRow("trailing delimiter counts an empty last field") << u"a;b;"_s << u";"_s << 3;
    QTest::newRow("delimiter alone") << u";"_s << u";"_s << 2;
    QTest::newRow("multi-character delimiter") << u"1440|>1440|2000"_s << u"|>"_s << 2;
    QTest::newRow("overlapping delimiter counted from the left") << u"aaa"_s << u"aa"_s << 2;
    QTest::newRow("case-sensitive") << u"aXbxc"_s << u"x"_s << 2;
    QTest::newRow("empty delimiter never occurs") << u"abc"_s << QString() << 1;
}

void TestTextRoutines::countFields()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(int, count);
    QCOMPARE(CountFields(text, delimiter), count);
}

void TestTextRoutines::countFieldsSaturatesAt16Bits()
{
    QCOMPARE(CountFields(QString(40000, u';'), u";"_s), qint16(32767));
}

void TestTextRoutines::getField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("field");

    QTest::newRow("first of several") << u"5/30/1998"_s << u"/"_s << 1 << u"5"_s;
    QTest::newRow("middle") << u"5/30/1998"_s << u"/"_s << 2 << u"30"_s;
    QTest::newRow("last runs to the end") << u"5/30/1998"_s << u"/"_s << 3 << u"1998"_s;
    QTest::newRow("one past the last") << u"5/30/1998"_s << u"/"_s << 4 << QString();
    QTest::newRow("far past the last") << u"a/b"_s << u"/"_s << 9 << QString();
    QTest::newRow("whole text without delimiter") << u"Tolkien"_s << u";"_s << 1 << u"Tolkien"_s;
    QTest::newRow("second without delimiter") << u"Tolkien"_s << u";"_s << 2 << QString();
    QTest::newRow("empty field between delimiters") << u"a;;b"_s << u";"_s << 2 << QString();
    QTest::newRow("empty trailing field") << u"a;"_s << u";"_s << 2 << QString();
    QTest::newRow("not trimmed") << u" a | b "_s << u"|"_s << 2 << u" b "_s;
    QTest::newRow("multi-character delimiter")
        << u"6000|4320;Category|Book Count;"_s << u";"_s << 2 << u"Category|Book Count"_s;
    QTest::newRow("delimiter is case-sensitive") << u"oneANDtwoandthree"_s << u"and"_s << 2 << u"three"_s;
    QTest::newRow("zero counts from one") << u"a;b"_s << u";"_s << 0 << QString();
    QTest::newRow("negative") << u"a;b"_s << u";"_s << -1 << QString();
    QTest::newRow("empty text") << QString() << u";"_s << 1 << QString();
    QTest::newRow("empty delimiter, first field") << u"abc"_s << QString() << 1 << u"abc"_s;
    QTest::newRow("empty delimiter, second field") << u"abc"_s << QString() << 2 << QString();
}

void TestTextRoutines::getField()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(int, n);
    QFETCH(QString, field);
    QCOMPARE(GetField(text, delimiter, n), field);
}

void TestTextRoutines::fieldsJoinBackToTheText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");

    QTest::newRow("plain") << u"a|b|c"_s << u"|"_s;
    QTest::newRow("empty fields everywhere") << u"|a||b|"_s << u"|"_s;
    QTest::newRow("long delimiter") << u"x<->y<-><->z"_s << u"<->"_s;
}

// The two routines agree: the fields CountFields counts, fetched with
// GetField, rebuild the text.
void TestTextRoutines::fieldsJoinBackToTheText()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QStringList fields;
    for (int n = 1; n <= CountFields(text, delimiter); ++n) {
        fields.append(GetField(text, delimiter, n));
    }
    QCOMPARE(fields.join(delimiter), text);
}

void TestTextRoutines::replaceText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("result");

    QTest::newRow("every occurrence") << u"a.rpt and b.rpt"_s << u".rpt"_s << QString() << u"a and b"_s;
    QTest::newRow("not found") << u"Books"_s << u"x"_s << u"y"_s << u"Books"_s;
    QTest::newRow("case-sensitive") << u"report.RPT"_s << u".rpt"_s << QString() << u"report.RPT"_s;
    QTest::newRow("replacement containing the search is not replaced again")
        << u"a'b"_s << u"'"_s << u"''"_s << u"a''b"_s;
    QTest::newRow("doubling adjacent quotes") << u"''"_s << u"'"_s << u"''"_s << u"''''"_s;
    QTest::newRow("match formed by the removal is left") << u"aabb"_s << u"ab"_s << QString() << u"ab"_s;
    QTest::newRow("scan resumes after the match") << u"aaaa"_s << u"aa"_s << u"b"_s << u"bb"_s;
    QTest::newRow("odd overlap") << u"aaa"_s << u"aa"_s << u"b"_s << u"ba"_s;
    QTest::newRow("whole text") << u"abc"_s << u"abc"_s << u"x"_s << u"x"_s;
    QTest::newRow("longer replacement") << u"1|2"_s << u"|"_s << u"</td><td>"_s << u"1</td><td>2"_s;
    QTest::newRow("empty search changes nothing") << u"abc"_s << QString() << u"x"_s << u"abc"_s;
    QTest::newRow("empty text") << QString() << u"a"_s << u"b"_s << QString();
}

void TestTextRoutines::replaceText()
{
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    QFETCH(QString, result);
    QCOMPARE(ReplaceText(text, search, replacement), result);
}

QTEST_GUILESS_MAIN(TestTextRoutines)
#include "tst_text_routines.moc"
