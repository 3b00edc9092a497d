#include "editor/field_checks.h"

#include "support/locale_guard.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(NumberField)

namespace {

const QString PriceTitle = u"Invalid Price"_s;
const QString PriceText = u"You must enter a number for the price"_s;
const QString VolumeTitle = u"Invalid Volume"_s;
const QString VolumeText = u"You must enter a number for the volume number or leave the field blank"_s;
const QString IssueTitle = u"Invalid Issue Number"_s;
const QString IssueText = u"You must enter a number for the issue number or leave the field blank"_s;
const QString YearTitle = u"Invalid Year"_s;
const QString YearText = u"You must enter a four digit number for the year."_s;

} // namespace

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
    void wholeNumbersForStoring_data();
    void wholeNumbersForStoring();
    void currencyForStoring_data();
    void currencyForStoring();

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

    const auto cover = NumberField::CoverPrice;
    const auto buy = NumberField::BuyPrice;
    const auto vol = NumberField::Volume;
    const auto issue = NumberField::Issue;
    const auto year = NumberField::Year;

    QTest::newRow("price rewritten") << cover << u"12.5"_s << u"$12.50"_s << QString() << QString() << false;
    QTest::newRow("price with symbol and grouping")
        << buy << u"$1,234.5"_s << u"$1,234.50"_s << QString() << QString() << false;
    QTest::newRow("price already formatted")
        << cover << u"$12.50"_s << u"$12.50"_s << QString() << QString() << false;
    QTest::newRow("price refused: cleared, focus back")
        << cover << u"12abc"_s << QString() << PriceTitle << PriceText << true;
    QTest::newRow("buy price refused") << buy << u"abc"_s << QString() << PriceTitle << PriceText << true;
    QTest::newRow("price beyond the currency range")
        << cover << u"99999999999999999999"_s << QString() << PriceTitle << PriceText << true;

    QTest::newRow("volume refused: kept, focus back")
        << vol << u"12a"_s << u"12a"_s << VolumeTitle << VolumeText << true;
    QTest::newRow("issue refused: kept, focus back")
        << issue << u"x"_s << u"x"_s << IssueTitle << IssueText << true;
    QTest::newRow("year refused: cleared, focus stays away")
        << year << u"19x5"_s << QString() << YearTitle << YearText << false;

    // Only the numeric test is made: no range, length or whole-number test.
    QTest::newRow("negative volume") << vol << u"-3"_s << u"-3"_s << QString() << QString() << false;
    QTest::newRow("fractional issue") << issue << u"1.5"_s << u"1.5"_s << QString() << QString() << false;
    QTest::newRow("fractional year stays as typed")
        << year << u"1.5"_s << u"1.5"_s << QString() << QString() << false;
    QTest::newRow("negative year") << year << u"-3"_s << u"-3"_s << QString() << QString() << false;

    for (const NumberField field : {cover, buy, vol, issue, year})
        QTest::addRow("empty field %d never refused", int(field))
            << field << QString() << QString() << QString() << QString() << false;
}

void TestFieldChecks::leavingField()
{
    QFETCH(NumberField, field);
    QFETCH(QString, typed);
    QFETCH(QString, textAfterwards);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(bool, focusBack);

    const LeaveFieldOutcome outcome = checkLeavingField(field, typed);
    QCOMPARE(outcome.text, textAfterwards);
    QCOMPARE(outcome.refused(), !title.isEmpty());
    if (outcome.refusal) {
        QCOMPARE(outcome.refusal->title, title);
        QCOMPARE(outcome.refusal->text, message);
    }
    QCOMPARE(outcome.focusBack, focusBack);
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
    QTest::newRow("cover price empty") << QString() << QString() << true << QString();
}

void TestFieldChecks::coverPriceCopiedIntoBuyPrice()
{
    QFETCH(QString, coverPrice);
    QFETCH(QString, buyPrice);
    QFETCH(bool, boughtNew);
    QFETCH(QString, copied);

    const LeaveFieldOutcome cover = checkLeavingField(NumberField::CoverPrice, coverPrice);
    const std::optional<QString> result = buyPriceFromCoverPrice(cover, buyPrice, boughtNew);
    QCOMPARE(result.has_value(), !copied.isEmpty());
    if (result)
        QCOMPARE(*result, copied);
}

void TestFieldChecks::wholeNumbersForStoring_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("is16Bit"); // year; otherwise volume or issue
    QTest::addColumn<bool>("converts");
    QTest::addColumn<qlonglong>("value");

    QTest::newRow("year") << u"1954"_s << true << true << 1954LL;
    QTest::newRow("year rounds half to even, down") << u"2.5"_s << true << true << 2LL;
    QTest::newRow("year rounds half to even, up") << u"1.5"_s << true << true << 2LL;
    QTest::newRow("year rounds below half") << u"1954.4"_s << true << true << 1954LL;
    QTest::newRow("negative year") << u"-3"_s << true << true << -3LL;
    QTest::newRow("negative half") << u"-2.5"_s << true << true << -2LL;
    QTest::newRow("year with grouping") << u"1,000"_s << true << true << 1000LL;
    QTest::newRow("largest year") << u"32767"_s << true << true << 32767LL;
    QTest::newRow("smallest year") << u"-32768"_s << true << true << -32768LL;
    QTest::newRow("year rounding past the range") << u"32767.5"_s << true << false << 0LL;
    QTest::newRow("year too large") << u"99999"_s << true << false << 0LL;
    QTest::newRow("year too small") << u"-40000"_s << true << false << 0LL;
    QTest::newRow("year not numeric") << u"19x5"_s << true << false << 0LL;

    QTest::newRow("volume") << u"12"_s << false << true << 12LL;
    QTest::newRow("fractional volume") << u"0.5"_s << false << true << 0LL;
    QTest::newRow("largest volume") << u"2147483647"_s << false << true << 2147483647LL;
    QTest::newRow("volume too large") << u"2147483648"_s << false << false << 0LL;
    QTest::newRow("volume too small") << u"-2147483649"_s << false << false << 0LL;
    QTest::newRow("volume not numeric") << u"12a"_s << false << false << 0LL;
}

void TestFieldChecks::wholeNumbersForStoring()
{
    QFETCH(QString, text);
    QFETCH(bool, is16Bit);
    QFETCH(bool, converts);
    QFETCH(qlonglong, value);

    if (is16Bit) {
        const std::optional<qint16> year = toIntegerValue(text);
        QCOMPARE(year.has_value(), converts);
        if (year)
            QCOMPARE(qlonglong(*year), value);
    } else {
        const std::optional<qint32> number = toLongValue(text);
        QCOMPARE(number.has_value(), converts);
        if (number)
            QCOMPARE(qlonglong(*number), value);
    }
}

void TestFieldChecks::currencyForStoring_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<double>("amount");

    QTest::newRow("formatted") << u"$12.50"_s << true << 12.5;
    QTest::newRow("plain") << u"7"_s << true << 7.0;
    QTest::newRow("grouped") << u"$1,234.56"_s << true << 1234.56;
    QTest::newRow("letters") << u"12abc"_s << false << 0.0;
    QTest::newRow("beyond the range") << u"99999999999999999999"_s << false << 0.0;
}

void TestFieldChecks::currencyForStoring()
{
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(double, amount);

    const std::optional<double> result = toCurrencyValue(text);
    QCOMPARE(result.has_value(), converts);
    if (result)
        QCOMPARE(*result, amount);
}

QTEST_GUILESS_MAIN(TestFieldChecks)
#include "tst_field_checks.moc"
