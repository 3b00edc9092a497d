// Control characters pasted into a field are removed, and named, when the
// field is left; line breaks stay in the notes only.

#include "editor/control_characters.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestControlCharacters : public QObject
{
    Q_OBJECT

private slots:
    void removesAndNames_data();
    void removesAndNames();
};

void TestControlCharacters::removesAndNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("keepLineBreaks");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QStringList>("named");
    QTest::newRow("plain text") << u"Smith, John"_s << false << u"Smith, John"_s << QStringList();
    QTest::newRow("accents and symbols stay")
        << u"Éclair — 5€ «x»"_s << false << u"Éclair — 5€ «x»"_s << QStringList();
    QTest::newRow("NUL inside a name")
        << u"Smi"_s + QChar(0) + u"th"_s << false << u"Smith"_s << QStringList{u"NUL"_s};
    QTest::newRow("TAB in a title") << u"War\tand Peace"_s << false << u"Warand Peace"_s
                                    << QStringList{u"TAB"_s};
    QTest::newRow("several, each named once")
        << u"\ta\x1b"
           "b\tc"_s +
               QChar(0)
        << false << u"abc"_s << QStringList{u"TAB"_s, u"ESC"_s, u"NUL"_s};
    QTest::newRow("line break in a one-line field")
        << u"one\r\ntwo"_s << false << u"onetwo"_s << QStringList{u"carriage return"_s, u"line break"_s};
    QTest::newRow("line breaks kept in notes")
        << u"one\r\ntwo\nthree"_s << true << u"one\r\ntwo\nthree"_s << QStringList();
    QTest::newRow("TAB and lone CR removed from notes")
        << u"a\tb\rc\nd"_s << true << u"abc\nd"_s << QStringList{u"TAB"_s, u"carriage return"_s};
    QTest::newRow("C1 control and line separator") << u"a"_s + QChar(0x85) + u"b"_s + QChar(0x2028) << false
                                                   << u"ab"_s << QStringList{u"U+0085"_s, u"U+2028"_s};
}

void TestControlCharacters::removesAndNames()
{
    QFETCH(QString, typed);
    QFETCH(bool, keepLineBreaks);
    QFETCH(QString, kept);
    QFETCH(QStringList, named);

    const CleanedText cleaned = withoutControlCharacters(typed, keepLineBreaks);
    QCOMPARE(cleaned.text, kept);
    QCOMPARE(cleaned.removed, named);
    QCOMPARE(cleaned.changed(), !named.isEmpty());
    if (cleaned.changed()) {
        const QString message = controlCharactersRemovedMessage(u"Title"_s, cleaned.removed);
        QVERIFY(message.contains(u"Title"_s));
        for (const QString& name : named)
            QVERIFY(message.contains(name));
    }
}

QTEST_GUILESS_MAIN(TestControlCharacters)
#include "tst_control_characters.moc"
