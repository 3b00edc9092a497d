// What the program makes of typed text: number fields checked when left and
// converted for storing, the buy price copied, author names and sort titles
// rewritten, control characters removed.

#include "catalogue/author_name.h"
#include "catalogue/field_checks.h"
#include "catalogue/sort_title.h"
#include "editor/control_characters.h"

#include "support/locale_guard.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(NumberField)

class TestFieldChecks : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_locale = std::make_unique<LocaleGuard>(u"en_US"_s); }
    void cleanup() { m_locale.reset(); }

    void leavingField_data();
    void leavingField();
    void coverPriceCopiedIntoBuyPrice_data();
    void coverPriceCopiedIntoBuyPrice();
    void convertsForStoring_data();
    void convertsForStoring();
    void authorNameRewritten_data();
    void authorNameRewritten();
    void makesSortTitle_data();
    void makesSortTitle();
    void controlCharactersRemovedAndNamed_data();
    void controlCharactersRemovedAndNamed();

private:
    std::unique_ptr<LocaleGuard> m_locale;
};

void TestFieldChecks::leavingField_data()
{
    QTest::addColumn<NumberField>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("textAfterwards");
    QTest::addColumn<QString>("title"); // empty: accepted
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("focusBack");

    const auto cover = NumberField::CoverPrice, buy = NumberField::BuyPrice, vol = NumberField::Volume;
    const auto issue = NumberField::Issue, year = NumberField::Year;
    const QString price = u"Invalid Price"_s, priceText = u"You must enter a number for the price"_s;
    const QString none;

    QTest::newRow("price rewritten") << cover << u"12.5"_s << u"$12.50"_s << none << none << false;
    QTest::newRow("price with symbol and grouping")
        << buy << u"$1,234.5"_s << u"$1,234.50"_s << none << none << false;
    QTest::newRow("cover price refused: cleared, focus back")
        << cover << u"12abc"_s << none << price << priceText << true;
    QTest::newRow("price beyond the currency range")
        << cover << u"99999999999999999999"_s << none << price << priceText << true;
    QTest::newRow("volume refused: kept, focus back")
        << vol << u"12a"_s << u"12a"_s << u"Invalid Volume"_s
        << u"You must enter a number for the volume number or leave the field blank"_s << true;
    QTest::newRow("issue refused: kept, focus back")
        << issue << u"x"_s << u"x"_s << u"Invalid Issue Number"_s
        << u"You must enter a number for the issue number or leave the field blank"_s << true;
    QTest::newRow("year refused: cleared, focus stays away")
        << year << u"19x5"_s << none << u"Invalid Year"_s
        << u"You must enter a four digit number for the year."_s << false;
    // Only the numeric test is made: no range, length or whole-number test.
    QTest::newRow("negative volume") << vol << u"-3"_s << u"-3"_s << none << none << false;
    QTest::newRow("fractional year stays as typed") << year << u"1.5"_s << u"1.5"_s << none << none << false;
    for (const NumberField field : {cover, buy, vol, issue, year})
        QTest::addRow("empty field %d never refused", int(field))
            << field << none << none << none << none << false;
}

void TestFieldChecks::leavingField()
{
    QFETCH(NumberField, field);
    QFETCH(QString, typed);
    QFETCH(QString, title);

    const LeaveFieldOutcome outcome = checkLeavingField(field, typed);
    QTEST(outcome.text, "textAfterwards");
    QCOMPARE(outcome.refused(), !title.isEmpty());
    if (outcome.refusal) {
        QCOMPARE(outcome.refusal->title, title);
        QTEST(outcome.refusal->text, "message");
    }
    QTEST(outcome.focusBack, "focusBack");
}

void TestFieldChecks::coverPriceCopiedIntoBuyPrice_data()
{
    QTest::addColumn<QString>("coverPrice");
    QTest::addColumn<QString>("buyPrice");
    QTest::addColumn<bool>("boughtNew");
    QTest::addColumn<QString>("copied"); // empty: the buy price stays

    QTest::newRow("new, empty buy price") << u"12.5"_s << QString() << true << u"$12.50"_s;
    QTest::newRow("used") << u"12.5"_s << QString() << false << QString();
    QTest::newRow("buy price already set") << u"12.5"_s << u"$3.00"_s << true << QString();
    QTest::newRow("cover price refused") << u"12abc"_s << QString() << true << QString();
}

void TestFieldChecks::coverPriceCopiedIntoBuyPrice()
{
    QFETCH(QString, coverPrice);
    QFETCH(QString, buyPrice);
    QFETCH(bool, boughtNew);

    const LeaveFieldOutcome cover = checkLeavingField(NumberField::CoverPrice, coverPrice);
    const std::optional<QString> result = buyPriceFromCoverPrice(cover, buyPrice, boughtNew);
    QTEST(result.value_or(QString()), "copied");
}

void TestFieldChecks::convertsForStoring_data()
{
    QTest::addColumn<NumberField>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVariant>("value"); // null: refused

    const auto year = NumberField::Year, vol = NumberField::Volume, price = NumberField::CoverPrice;
    const QVariant refused;
    QTest::newRow("year half to even, down") << year << u"2.5"_s << QVariant(2.0);
    QTest::newRow("year half to even, up") << year << u"1.5"_s << QVariant(2.0);
    QTest::newRow("year with grouping") << year << u"1,000"_s << QVariant(1000.0);
    QTest::newRow("largest year") << year << u"32767"_s << QVariant(32767.0);
    QTest::newRow("year rounding past the range") << year << u"32767.5"_s << refused;
    QTest::newRow("year not numeric") << year << u"19x5"_s << refused;
    QTest::newRow("fractional volume") << vol << u"0.5"_s << QVariant(0.0);
    QTest::newRow("largest volume") << vol << u"2147483647"_s << QVariant(2147483647.0);
    QTest::newRow("volume too large") << vol << u"2147483648"_s << refused;
    QTest::newRow("volume not numeric") << vol << u"12a"_s << refused;
    QTest::newRow("price formatted") << price << u"$1,234.56"_s << QVariant(1234.56);
    QTest::newRow("price beyond the range") << price << u"99999999999999999999"_s << refused;
    QTest::newRow("price that would be stored changed") << price << u"922337203685477.58"_s << refused;
    QTest::newRow("largest price kept exactly")
        << price << u"99999999999.9999"_s << QVariant(99999999999.9999);
}

// The year is a 16-bit column, volume and issue 32-bit, prices currency.
void TestFieldChecks::convertsForStoring()
{
    QFETCH(NumberField, field);
    QFETCH(QString, text);
    QFETCH(QVariant, value);

    std::optional<double> stored;
    if (field == NumberField::Year)
        stored = toIntegerValue(text);
    else if (field == NumberField::Volume)
        stored = toLongValue(text);
    else
        stored = toCurrencyValue(text);
    QCOMPARE(stored.has_value(), value.isValid());
    if (stored)
        QCOMPARE(*stored, value.toDouble());
}

void TestFieldChecks::authorNameRewritten_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first and last") << u"John Smith"_s << u"Smith, John"_s;
    QTest::newRow("already last, first") << u"Smith, John"_s << u"Smith, John"_s;
    QTest::newRow("single word") << u"Smith"_s << u"Smith"_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("double blank") << u"John  Smith"_s << u"Smith, John"_s;
    QTest::newRow("double blank inside first names") << u"John  Ronald Smith"_s << u"Smith, John  Ronald"_s;
    QTest::newRow("trailing blank") << u"John Smith "_s << u"Smith, John"_s;
    QTest::newRow("single word with blanks around") << u" Smith "_s << u" Smith "_s;
    // Only blanks separate words.
    QTest::newRow("tab is no separator") << u"John\tSmith"_s << u"John\tSmith"_s;
}

void TestFieldChecks::authorNameRewritten()
{
    QFETCH(QString, typed);
    QTEST(RewriteAuthorName(typed), "expected");
}

void TestFieldChecks::makesSortTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("sortTitle");

    QTest::newRow("leading The") << u"The Hobbit"_s << u"HOBBIT"_s;
    QTest::newRow("leading A") << u"A Tale of Two Cities"_s << u"TALE OF TWO CITIES"_s;
    QTest::newRow("leading Of") << u"Of Mice and Men"_s << u"MICE AND MEN"_s;
    QTest::newRow("The then A") << u"The A Team"_s << u"TEAM"_s;
    QTest::newRow("An then Of") << u"An Of Book"_s << u"BOOK"_s;
    QTest::newRow("The, A, An, Of in turn") << u"The A An Of End"_s << u"END"_s;
    QTest::newRow("each article once") << u"The The Wall"_s << u"THE WALL"_s;
    QTest::newRow("out of order is kept") << u"A The Thing"_s << u"THE THING"_s;
    QTest::newRow("no blank after THE") << u"Theory"_s << u"THEORY"_s;
    QTest::newRow("single letter A") << u"A"_s << u"A"_s;
    QTest::newRow("article alone with blank") << u"The "_s << u""_s;
    QTest::newRow("leading blank stops the rule") << u" The Hobbit"_s << u" THE HOBBIT"_s;
    QTest::newRow("nothing is trimmed") << u"The  Hobbit "_s << u" HOBBIT "_s;
}

void TestFieldChecks::makesSortTitle()
{
    QFETCH(QString, title);
    QTEST(MakeSortTitle(title), "sortTitle");
}

// Control characters pasted into a field are removed, and named, when the
// field is left; line breaks stay in the notes only.
void TestFieldChecks::controlCharactersRemovedAndNamed_data()
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

void TestFieldChecks::controlCharactersRemovedAndNamed()
{
    QFETCH(QString, typed);
    QFETCH(bool, keepLineBreaks);
    QFETCH(QStringList, named);

    const CleanedText cleaned = withoutControlCharacters(typed, keepLineBreaks);
    QTEST(cleaned.text, "kept");
    QCOMPARE(cleaned.removed, named);
    QCOMPARE(cleaned.changed(), !named.isEmpty());
    if (cleaned.changed()) {
        const QString message = controlCharactersRemovedMessage(u"Title"_s, cleaned.removed);
        QVERIFY(message.contains(u"Title"_s));
        for (const QString& name : named)
            QVERIFY(message.contains(name));
    }
}

QTEST_GUILESS_MAIN(TestFieldChecks)
#include "tst_field_checks.moc"
