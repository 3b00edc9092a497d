#include "common/text_routines.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestTextRoutines : public QObject
{
    Q_OBJECT
private slots:
    void splitsIntoFields_data();
    void splitsIntoFields();
    void countSaturatesAt16Bits() { QCOMPARE(CountFields(QString(40000, u';'), u";"_s), qint16(32767)); }
    void replaceText_data();
    void replaceText();
};

void TestTextRoutines::splitsIntoFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("empty text has no field") << QString() << u";"_s << QStringList();
    QTest::newRow("no delimiter: the whole text") << u"Tolkien"_s << u";"_s << QStringList{u"Tolkien"_s};
    QTest::newRow("empty delimiter never occurs") << u"abc"_s << QString() << QStringList{u"abc"_s};
    QTest::newRow("last runs to the end")
        << u"5/30/1998"_s << u"/"_s << QStringList{u"5"_s, u"30"_s, u"1998"_s};
    QTest::newRow("adjacent delimiters") << u"a;;b"_s << u";"_s << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("trailing delimiter") << u"a;b;"_s << u";"_s << QStringList{u"a"_s, u"b"_s, QString()};
    QTest::newRow("not trimmed") << u" a | b "_s << u"|"_s << QStringList{u" a "_s, u" b "_s};
    QTest::newRow("overlap counted from the left") << u"aaa"_s << u"aa"_s << QStringList{QString(), u"a"_s};
    QTest::newRow("case-sensitive") << u"oneANDtwoandthree"_s << u"and"_s
                                    << QStringList{u"oneANDtwo"_s, u"three"_s};
}

// CountFields counts the fields GetField returns; past the last, and below 1,
// GetField gives the empty text; the fields rebuild the text.
void TestTextRoutines::splitsIntoFields()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(QStringList, fields);
    QCOMPARE(int(CountFields(text, delimiter)), int(fields.size()));
    for (int n = 1; n <= fields.size(); ++n)
        QCOMPARE(GetField(text, delimiter, n), fields.at(n - 1));
    for (int n : {0, -1, int(fields.size()) + 1, int(fields.size()) + 5})
        QCOMPARE(GetField(text, delimiter, n), QString());
    QCOMPARE(fields.join(delimiter), text);
}

void TestTextRoutines::replaceText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("result");

    QTest::newRow("every occurrence") << u"a.rpt and b.rpt"_s << u".rpt"_s << QString() << u"a and b"_s;
    QTest::newRow("case-sensitive") << u"report.RPT"_s << u".rpt"_s << QString() << u"report.RPT"_s;
    QTest::newRow("replacement not replaced again") << u"''"_s << u"'"_s << u"''"_s << u"''''"_s;
    QTest::newRow("match formed by the removal is left") << u"aabb"_s << u"ab"_s << QString() << u"ab"_s;
    QTest::newRow("odd overlap") << u"aaa"_s << u"aa"_s << u"b"_s << u"ba"_s;
    QTest::newRow("empty search changes nothing") << u"abc"_s << QString() << u"x"_s << u"abc"_s;
}

void TestTextRoutines::replaceText()
{
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    QTEST(ReplaceText(text, search, replacement), "result");
}

QTEST_GUILESS_MAIN(TestTextRoutines)
#include "tst_text_routines.moc"
