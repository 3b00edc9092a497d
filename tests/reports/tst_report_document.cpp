#include "report_fixture.h"
#include "reports/page_header.h"
#include "reports/row_string.h"
#include "reports/text_wrap.h"
#include "support/locale_guard.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace report_test;

Q_DECLARE_METATYPE(PageOrientation)

class TestReportDocument : public QObject
{
    Q_OBJECT
private slots:
    void init() { reportState() = ReportState(); }
    void parsesRowStrings_data();
    void parsesRowStrings();
    void splitsPageHeaders_data();
    void splitsPageHeaders();
    void wrapsText_data();
    void wrapsText();
    void paginates_data();
    void paginates();
    void keepsCellsGivenAsList_data();
    void keepsCellsGivenAsList();
    void startsAfreshButKeepsSettings();
    void pagesGiveBackEveryCellExactly();
};

void TestReportDocument::parsesRowStrings_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("rowString");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QList<QStringList>>("rows");

    QTest::newRow("header row") << u"en_US"_s << u"6000|4320;Title|Author;"_s << u"6000|4320;"_s
                                << QList<QStringList>{{u"Title"_s, u"Author"_s}};
    QTest::newRow("right-aligned, missing cell empty")
        << u"en_US"_s << u"3000|>1440;a|$1.00;b;"_s << u"3000|>1440;"_s
        << QList<QStringList>{{u"a"_s, u"$1.00"_s}, {u"b"_s, QString()}};
    QTest::newRow("cells beyond the columns dropped")
        << u"en_US"_s << u"6000|4320;a|b|c;"_s << u"6000|4320;"_s << QList<QStringList>{{u"a"_s, u"b"_s}};
    QTest::newRow("decimal width") << u"en_US"_s << u"561.6|>720;x;"_s << u"561.6|>720;"_s
                                   << QList<QStringList>{{u"x"_s, QString()}};
    QTest::newRow("decimal comma of the locale")
        << u"de_DE"_s << u"561,6|720;x|y;"_s << u"561,6|720;"_s << QList<QStringList>{{u"x"_s, u"y"_s}};
    QTest::newRow("text is split at every separator")
        << u"en_US"_s << u"4000|5000;Two; Stories | More|Lee;"_s << u"4000|5000;"_s
        << QList<QStringList>{{u"Two"_s, QString()}, {u" Stories "_s, u" More"_s}};
    QTest::newRow("nonsense width counts 0")
        << u"en_US"_s << u"wide|-5;a|b;"_s << u"0|0;"_s << QList<QStringList>{{u"a"_s, u"b"_s}};
    QTest::newRow("nothing") << u"en_US"_s << QString() << u";"_s << QList<QStringList>{};
}

void TestReportDocument::parsesRowStrings()
{
    QFETCH(QString, locale);
    QFETCH(QString, rowString);
    const LocaleGuard guard(locale);
    const RowString parsed = RowString::parse(rowString);
    QTEST(parsed.format.text(), "format");
    QTEST(parsed.rows, "rows");
}

void TestReportDocument::splitsPageHeaders_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("parts");

    const LocaleGuard guard(u"en_US"_s);
    QTest::newRow("standard") << standardPageHeader(u"Books by Title"_s, QDate(2001, 3, 7)) << 2
                              << QStringList{u"3/7/2001"_s, u"Books by Title"_s, u"Page 2"_s};
    QTest::newRow("left only") << u"Page %d"_s << 12 << QStringList{u"Page 12"_s, QString(), QString()};
    QTest::newRow("no right part") << u"a|%d/%d"_s << 3 << QStringList{u"a"_s, u"3/3"_s, QString()};
    QTest::newRow("further bars stay right") << u"a|b|c|d"_s << 1 << QStringList{u"a"_s, u"b"_s, u"c|d"_s};
}

void TestReportDocument::splitsPageHeaders()
{
    QFETCH(QString, text);
    QFETCH(int, page);
    const PageHeaderText header = PageHeaderText::parse(text).forPage(page);
    QTEST((QStringList{header.left, header.centre, header.right}), "parts");
}

void TestReportDocument::wrapsText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("characters"); // the line's width in characters
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("fits") << u"Emma"_s << 4 << QStringList{u"Emma"_s};
    QTest::newRow("at blanks") << u"The Lord of the Rings"_s << 10
                               << QStringList{u"The Lord"_s, u"of the"_s, u"Rings"_s};
    QTest::newRow("blanks at a break dropped") << u"aaaa    bbbb"_s << 5 << QStringList{u"aaaa"_s, u"bbbb"_s};
    QTest::newRow("word wider than a line")
        << u"Supercalifragilistic"_s << 8 << QStringList{u"Supercal"_s, u"ifragili"_s, u"stic"_s};
    QTest::newRow("line feeds") << u"a\r\n\nb"_s << 10 << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("no room at all") << u"abc"_s << 0 << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("empty") << QString() << 3 << QStringList{QString()};
}

void TestReportDocument::wrapsText()
{
    QFETCH(QString, text);
    QFETCH(int, characters);
    QStringList wrapped;
    for (const TextLine& line :
         wrapText(text, characters * FixedPitchMetrics::CharWidth, fixedPitch(), TextStyle::Body))
        wrapped.append(text.sliced(line.start, line.length));
    QTEST(wrapped, "lines");
}

// Letter paper: 46 one-line rows fill the table of a portrait page, 34 that
// of a landscape page; a row that does not fit goes to the top of the next.
void TestReportDocument::paginates_data()
{
    QTest::addColumn<PageOrientation>("orientation");
    QTest::addColumn<bool>("repeatHeader");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("wideCell"); // the first cell of the last row
    QTest::addColumn<QStringList>("firstOfEachPage");

    const auto portrait = PageOrientation::Portrait;
    const auto landscape = PageOrientation::Landscape;
    QTest::newRow("portrait page full")
        << portrait << false << 45 << QString() << QStringList{u"*Title|Author"_s};
    QTest::newRow("portrait overflows")
        << portrait << false << 46 << QString() << QStringList{u"*Title|Author"_s, u"r46|x"_s};
    QTest::newRow("landscape holds fewer")
        << landscape << false << 34 << QString() << QStringList{u"*Title|Author"_s, u"r34|x"_s};
    QTest::newRow("two-line row moves down") << portrait << false << 45 << QString(70, u'w')
                                             << QStringList{u"*Title|Author"_s, QString(70, u'w') + u"|x"_s};
    QTest::newRow("header repeated on every page")
        << portrait << true << 92 << QString()
        << QStringList{u"*Title|Author"_s, u"*Title|Author"_s, u"*Title|Author"_s};
    QTest::newRow("row taller than a page") << portrait << false << 2 << QString(6000, u'w')
                                            << QStringList{u"*Title|Author"_s, QString(6000, u'w') + u"|x"_s};
}

void TestReportDocument::paginates()
{
    QFETCH(PageOrientation, orientation);
    QFETCH(bool, repeatHeader);
    QFETCH(int, rows);
    QFETCH(QString, wideCell);

    const ColumnFormat format = ColumnFormat::parse(u"6000|4320;");
    ReportState& state = reportState();
    state.RepeatTableHeader = repeatHeader;
    state.TableFormatText = u"6000|4320"_s;
    state.TableHeaderText = u"Title|Author"_s;
    auto document = previewDocument();
    document->setPageOrientation(orientation);
    document->StartDoc();
    if (!repeatHeader) {
        document->setRowEmphasis(true);
        document->AddTableRow(u"6000|4320;Title|Author;"_s);
        document->setRowEmphasis(false);
    }
    for (int i = 1; i <= rows; ++i)
        document->addRow(format, {i == rows && !wideCell.isEmpty() ? wideCell : u"r%1"_s.arg(i), u"x"_s});
    document->EndDoc();

    QStringList firsts;
    for (int page = 0; page < document->pageCount(); ++page) {
        const auto onPage = document->rowsOfPage(page);
        QVERIFY(!onPage.empty());
        const ReportDocument::Row& first = onPage.front();
        firsts.append((first.emphasised ? u"*"_s : QString()) + first.cells.join(u'|'));
        const ReportDocument::Row& last = onPage.back();
        QVERIFY(last.top + last.height <= document->tableArea().height() + 0.01);
    }
    QTEST(firsts, "firstOfEachPage");
    QCOMPARE(document->orientation(), orientation);
}

// Cells handed over as a list are printed as they are; only the text form
// splits at its separators.
void TestReportDocument::keepsCellsGivenAsList_data()
{
    QTest::addColumn<bool>("asList");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("list") << true << QStringList{u"Two; Stories | More|Ann Lee and Bob"_s};
    QTest::newRow("row string") << false
                                << QStringList{u"Two|"_s, u" Stories | More"_s}; // the author is lost
}

void TestReportDocument::keepsCellsGivenAsList()
{
    QFETCH(bool, asList);
    const QStringList cells{u"Two; Stories | More"_s, u"Ann Lee and Bob"_s};
    auto document = previewDocument();
    document->StartDoc();
    if (asList)
        document->addRow(ColumnFormat::parse(u"6000|4320"), cells);
    else
        document->AddTableRow(u"6000|4320;"_s + cells.join(u'|') + u';');
    QTEST(documentRows(*document), "rows");
}

void TestReportDocument::startsAfreshButKeepsSettings()
{
    auto document = previewDocument();
    document->setPageHeader(u"a|b|Page %d"_s);
    document->setPageOrientation(PageOrientation::Landscape);
    document->StartDoc();
    for (int i = 0; i < 100; ++i)
        document->AddTableRow(u"1440;row;"_s);
    document->EndDoc();
    QCOMPARE(document->pageCount(), 3);
    QVERIFY(document->isFinished());

    document->setPageOrientation(PageOrientation::Portrait);
    document->StartDoc();
    QCOMPARE(document->pageCount(), 1);
    QCOMPARE(document->rowCount(), 0);
    QVERIFY(!document->isFinished());
    QCOMPARE(document->pageHeader(), u"a|b|Page %d"_s);
    QCOMPARE(document->orientation(), PageOrientation::Portrait);
    QCOMPARE(document->paperSize(), QSizeF(12240, 15840));
}

// Rows are kept in a compact form of their own: every cell comes back as it
// was given, on every page of a document longer than one store of text.
void TestReportDocument::pagesGiveBackEveryCellExactly()
{
    const QStringList odd{QString(), u"a"_s + QChar(u'\0') + u"b"_s, u"Łódź 😀 "_s, u"Two; Stories | More"_s};
    auto document = previewDocument();
    document->StartDoc();
    const ColumnFormat format = ColumnFormat::parse(u"3000|3000|3000|3000");
    constexpr int Rows = 40000; // well past a megabyte of text
    for (int i = 0; i < Rows; ++i)
        document->addRow(format, i % 1000 == 0 ? odd : QStringList{u"row %1 of the long list"_s.arg(i)});
    document->EndDoc();
    int seen = 0;
    for (int page = 0; page < document->pageCount(); ++page) {
        for (const ReportDocument::Row& row : document->rowsOfPage(page)) {
            const QStringList expected =
                seen % 1000 == 0 ? odd : QStringList{u"row %1 of the long list"_s.arg(seen)};
            if (row.cells != expected)
                QFAIL(qPrintable(u"row %1: %2"_s.arg(seen).arg(row.cells.join(u'|'))));
            ++seen;
        }
    }
    QCOMPARE(seen, Rows);
}

QTEST_GUILESS_MAIN(TestReportDocument)
#include "tst_report_document.moc"
