#include "report_fixture.h"
#include "reports/book_lists.h"
#include "reports/report_run.h"
#include "support/file_contents.h"
#include "support/fixed_clock.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace report_test;

namespace {

// What the user answers: the read dialog (-1: cancel, 0: unread, 1: read)
// and the selection dialog (-2: cancel, -1: all, else the key).
struct Answers
{
    int read = -1;
    int selection = -2;
};

} // namespace

Q_DECLARE_METATYPE(Answers)
Q_DECLARE_METATYPE(ReportDestination)

class TestBookReports : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void writesTextFiles_data();
    void writesTextFiles();
    void buildsPrintedLists_data();
    void buildsPrintedLists();
    void endsEarlyWithoutOutput_data();
    void endsEarlyWithoutOutput();
    void countsBooks_data();
    void countsBooks();
    void closedCatalogueEndsTheDocument();

private:
    // Runs a list (0: the category count) with these answers; the text file
    // destination writes to `file`.
    void run(Database& db, int list, ReportDestination destination, const Answers& answers,
             const QString& file);

    std::unique_ptr<TemporaryCatalogue> m_catalogue;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<QTemporaryDir> m_folder;
    ScopedScriptedDialogs m_dialogs;
    ScriptedReportWindows m_windows;
};

void TestBookReports::init()
{
    reportState() = ReportState();
    sharedState().DialogCancelled = false;
    m_dialogs.clear();
    m_windows = ScriptedReportWindows();
    m_db.reset();
    m_catalogue = std::make_unique<TemporaryCatalogue>();
    addSmallCatalogue(*m_catalogue);
    m_db = m_catalogue->open();
    m_folder = std::make_unique<QTemporaryDir>();
}

void TestBookReports::run(Database& db, int list, ReportDestination destination, const Answers& answers,
                          const QString& file)
{
    if (answers.read >= 0)
        m_windows.readAnswer = answers.read == 1;
    if (answers.selection >= -1)
        m_windows.selectionAnswer = answers.selection;
    m_dialogs.setNextFileName(file);
    const ReportRun report{db, destination, m_windows};
    if (list == 0) {
        CountByCategory(report);
        return;
    }
    reportState().ReportIndex = qint16(list);
    RunBookReport(report);
}

// The lists the printed rows below show too are not written again here.
void TestBookReports::writesTextFiles_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QString>("lines"); // the file's text, "\r\n" written as "\n"

    QTest::newRow("2 all authors, no author first")
        << 2 << Answers{-1, -1}
        << u"\tAnonymous Notes\nJane Austen\tEmma\nJane Austen\tPersuasion"
           u"\nAnn And Bob Carter\tCase Study\nHomer\tThe Odyssey"
           u"\nAnn Lee and Bob\tTwo; Stories | More\nJohn Smith & Mary\tOur Shared Life"_s;
    QTest::newRow("2 one author") << 2 << Answers{-1, 5} << u"Jane Austen\tEmma\nJane Austen\tPersuasion"_s;
    QTest::newRow("3 all locations, none first")
        << 3 << Answers{-1, -1}
        << u"\t\tAnonymous Notes\n\tJohn Smith & Mary\tOur Shared Life"
           u"\nAttic\tJane Austen\tPersuasion\nAttic\tAnn And Bob Carter\tCase Study"
           u"\nDen\tJane Austen\tEmma\nDen\tHomer\tThe Odyssey"
           u"\nDen\tAnn Lee and Bob\tTwo; Stories | More"_s;
    QTest::newRow("4 all categories, -1 and Null first")
        << 4 << Answers{-1, -1}
        << u"\t\tAnonymous Notes\n\tAnn Lee and Bob\tTwo; Stories | More"
           u"\nFiction\tJane Austen\tEmma\nFiction\tJane Austen\tPersuasion"
           u"\nHistory\tAnn And Bob Carter\tCase Study"
           u"\nHistory\tJohn Smith & Mary\tOur Shared Life\nPoetry\tHomer\tThe Odyssey"_s;
    QTest::newRow("4 one category") << 4 << Answers{-1, 3} << u"Poetry\tHomer\tThe Odyssey"_s;
    QTest::newRow("5 prices and totals")
        << 5 << Answers{}
        << u"\tAnonymous Notes\t\t\nJane Austen\tEmma\t$12.50\t$8.00"
           u"\nJane Austen\tPersuasion\t\t$5.25\nAnn And Bob Carter\tCase Study\t\t"
           u"\nHomer\tThe Odyssey\t$9.99\t$1,234.50\nAnn Lee and Bob\tTwo; Stories | More\t\t"
           u"\nJohn Smith & Mary\tOur Shared Life\t$20.00\t\n\t\t$42.49\t$1,247.75"_s;
    QTest::newRow("6 unread")
        << 6 << Answers{0, -2}
        << u"\tAnonymous Notes\nJane Austen\tPersuasion\nHomer\tThe Odyssey"
           u"\nAnn Lee and Bob\tTwo; Stories | More\nJohn Smith & Mary\tOur Shared Life"_s;
    QTest::newRow("7 on loan, by borrower") << 7 << Answers{}
                                            << u"Homer\tThe Odyssey\tAlex\t1/2/2003"
                                               u"\nJohn Smith & Mary\tOur Shared Life\tPat\t12/25/2002"_s;
    QTest::newRow("category count") << 0 << Answers{}
                                    << u"No Category Entered\t2\nFiction\t2\nHistory\t2\nPoetry\t1\nTravel\t"
                                       u"\nTotal Number of Books\t7"_s;
}

// The save dialog offers the list's default name; an existing file is
// replaced by the new one.
void TestBookReports::writesTextFiles()
{
    QFETCH(int, list);
    QFETCH(Answers, answers);
    QFETCH(QString, lines);
    const LocaleGuard locale(u"en_US"_s);
    const QString path = m_folder->filePath(u"out.txt"_s);
    QVERIFY(writeFile(path, "an older report, longer than some of the new ones\r\n"));

    run(*m_db, list, ReportDestination::TextFile, answers, path);
    QCOMPARE(fileContents(path), crlfLines(lines.split(u'\n')));
    const auto saveDialogs = m_dialogs.shown();
    QCOMPARE(saveDialogs.size(), 1);
    QCOMPARE(saveDialogs.first().text, list == 0 ? u"CountCat.txt"_s : u"BookRpt.txt"_s);
    QVERIFY(m_windows.previews.empty());
    QCOMPARE(m_windows.busy, 0);
}

void TestBookReports::buildsPrintedLists_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QString>("pageHeader");
    QTest::addColumn<QString>("rows"); // one a line, cells joined by "|"
    QTest::addColumn<QStringList>("windows");

    QTest::newRow("1: separators inside a title stay")
        << 1 << Answers{} << u"12/31/2004|Books by Title|Page %d"_s
        << u"*Title|Author\nAnonymous Notes|\nCase Study|Ann And Bob Carter\nEmma|Jane Austen"
           u"\nThe Odyssey|Homer\nOur Shared Life|John Smith & Mary\nPersuasion|Jane Austen"
           u"\nTwo; Stories | More|Ann Lee and Bob"_s
        << QStringList{u"frmOutput (busy)"_s};
    QTest::newRow("4: chosen after the document started")
        << 4 << Answers{-1, 1} << u"12/31/2004|Books by Category|Page %d"_s
        << u"*Category|Author|Title\nFiction|Jane Austen|Emma\nFiction|Jane Austen|Persuasion"_s
        << QStringList{u"frmRptSel 2"_s, u"frmOutput (busy)"_s};
    QTest::newRow("5: totals row spans author and title")
        << 5 << Answers{} << u"12/31/2004|Books Price List|Page %d"_s
        << u"*Author|Title|Cover Price|Buy Price\n|Anonymous Notes||"
           u"\nJane Austen|Emma|$12.50|$8.00\nJane Austen|Persuasion||$5.25"
           u"\nAnn And Bob Carter|Case Study||\nHomer|The Odyssey|$9.99|$1,234.50"
           u"\nAnn Lee and Bob|Two; Stories | More||\nJohn Smith & Mary|Our Shared Life|$20.00|"
           u"\nTotals:|$42.49|$1,247.75"_s
        << QStringList{u"frmOutput (busy)"_s};
    QTest::newRow("6: read asked first")
        << 6 << Answers{1, -2} << u"12/31/2004|Read Books|Page %d"_s
        << u"*Author|Title|ReadDate\nJane Austen|Emma|3/7/2001\nAnn And Bob Carter|Case Study|"_s
        << QStringList{u"frmRead"_s, u"frmOutput (busy)"_s};
    QTest::newRow("category count")
        << 0 << Answers{} << u"12/31/2004|Book Count by Category|Page %d"_s
        << u"*Category|Book Count\nNo Category Entered|2\nFiction|2\nHistory|2\nPoetry|1\nTravel|"
           u"\nTotal Number of Books|7"_s
        << QStringList{u"frmOutput (busy)"_s};
}

// A standard report never repeats its header row, even after a custom
// report left the repetition on.
void TestBookReports::buildsPrintedLists()
{
    QFETCH(int, list);
    QFETCH(Answers, answers);
    const LocaleGuard locale(u"en_US"_s);
    const FixedClock clock(QDate(2004, 12, 31));
    reportState().RepeatTableHeader = true;
    reportState().TableFormatText = u"1440|1440"_s;

    run(*m_db, list, ReportDestination::Preview, answers, QString());
    QTEST(m_windows.shown, "windows");
    const ReportDocument* document = m_windows.lastDocument();
    QVERIFY(document && document->isFinished() && document->previewMode());
    QTEST(document->pageHeader(), "pageHeader");
    QTEST(documentRows(*document).join(u'\n'), "rows");
    QVERIFY(!reportState().RepeatTableHeader);
    const ReportDocument::Row header = document->rowsOfPage(0).front();
    QCOMPARE(reportState().TableHeaderText,
             document->format(header.format).text() + header.cells.join(u'|') + u';');
    QVERIFY(m_dialogs.shown().isEmpty());
    QCOMPARE(m_windows.busy, 0);
}

void TestBookReports::endsEarlyWithoutOutput_data()
{
    QTest::addColumn<ReportDestination>("destination");
    QTest::addColumn<bool>("emptyCatalogue");
    QTest::addColumn<int>("list");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QString>("fileName"); // empty: the save dialog is cancelled
    QTest::addColumn<QStringList>("messages");

    const auto text = ReportDestination::TextFile;
    const auto preview = ReportDestination::Preview;
    const QString noBooks = u"You have not entered any books!"_s;
    QTest::newRow("save dialog cancelled")
        << text << false << 6 << Answers{1, -2} << QString() << QStringList{};
    QTest::newRow("read dialog cancelled")
        << text << false << 6 << Answers{} << u"out.txt"_s << QStringList{};
    QTest::newRow("selection cancelled, file")
        << text << false << 2 << Answers{} << u"out.txt"_s << QStringList{};
    QTest::newRow("selection cancelled, preview")
        << preview << false << 3 << Answers{} << QString() << QStringList{};
    QTest::newRow("category without books")
        << text << false << 4 << Answers{-1, 4} << u"out.txt"_s << QStringList{noBooks};
    QTest::newRow("author without books")
        << preview << false << 2 << Answers{-1, 99} << QString() << QStringList{noBooks};
    QTest::newRow("nothing on loan") << preview << true << 7 << Answers{} << QString()
                                     << QStringList{noBooks};
    QTest::newRow("empty catalogue") << text << true << 1 << Answers{} << u"out.txt"_s
                                     << QStringList{noBooks};
}

// A run that ends early shows nothing and leaves the chosen file as it was.
void TestBookReports::endsEarlyWithoutOutput()
{
    QFETCH(ReportDestination, destination);
    QFETCH(bool, emptyCatalogue);
    QFETCH(int, list);
    QFETCH(Answers, answers);
    QFETCH(QString, fileName);
    const TemporaryCatalogue empty;
    auto emptyDb = empty.open();
    const QString path = fileName.isEmpty() ? QString() : m_folder->filePath(fileName);
    if (!path.isEmpty())
        QVERIFY(writeFile(path, "kept"));

    run(emptyCatalogue ? *emptyDb : *m_db, list, destination, answers, path);
    QTEST(m_dialogs.texts(), "messages");
    QVERIFY(m_windows.previews.empty());
    if (!path.isEmpty())
        QCOMPARE(fileContents(path), QByteArray("kept"));
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files),
             path.isEmpty() ? QStringList{} : QStringList{fileName});
    QCOMPARE(m_windows.busy, 0);
}

void TestBookReports::countsBooks_data()
{
    QTest::addColumn<QByteArray>("books");
    QTest::addColumn<QStringList>("countLines");
    QTest::addColumn<QString>("quickCount");

    const QByteArray categories =
        "INSERT INTO Categories (CatID, CatName) VALUES (1, 'Fiction'), (2, 'Atlases');";
    QTest::newRow("none") << categories
                          << QStringList{u"Atlases\t"_s, u"Fiction\t"_s, u"Total Number of Books\t"_s}
                          << u"You have now entered 0 books in The Quillary Program."_s;
    QTest::newRow("one") << categories + "INSERT INTO Books (Title, CatID) VALUES ('Solo', 2);"
                         << QStringList{u"Atlases\t1"_s, u"Fiction\t"_s, u"Total Number of Books\t1"_s}
                         << u"You have now entered 1 book in The Quillary Program."_s;
    QTest::newRow("thousands grouped, three without category")
        << categories + "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1234) "
                        "INSERT INTO Books (Title, CatID) SELECT 'Book ' || i, 1 FROM n;"
                        "INSERT INTO Books (Title, CatID) VALUES ('a', -1), ('b', -1), ('c', NULL);"
        << QStringList{u"No Category Entered\t3"_s, u"Atlases\t"_s, u"Fiction\t1,234"_s,
                       u"Total Number of Books\t1,237"_s}
        << u"You have now entered 1237 books in The Quillary Program."_s;
    // Written by another tool: each would start a new column or line.
    QTest::newRow("TAB and line ends inside names are spaces")
        << QByteArray("INSERT INTO Categories (CatID, CatName) VALUES (1, 'Maps' || char(9) || 'Atlases'),"
                      " (2, 'Sea' || char(13, 10) || 'Charts'), (3, 'Lake' || char(10) || 'Poems');"
                      "INSERT INTO Books (Title, CatID) VALUES ('Solo', 2);")
        << QStringList{u"Lake Poems\t"_s, u"Maps Atlases\t"_s, u"Sea Charts\t1"_s,
                       u"Total Number of Books\t1"_s}
        << u"You have now entered 1 book in The Quillary Program."_s;
}

void TestBookReports::countsBooks()
{
    QFETCH(QByteArray, books);
    QFETCH(QStringList, countLines);
    QFETCH(QString, quickCount);
    const LocaleGuard locale(u"en_US"_s);
    const TemporaryCatalogue catalogue;
    catalogue.executeNative(books);
    auto db = catalogue.open();
    const QString path = m_folder->filePath(u"CountCat.txt"_s);

    run(*db, 0, ReportDestination::TextFile, Answers{}, path);
    QCOMPARE(fileContents(path), crlfLines(countLines));
    QuickCount(*db);
    QCOMPARE(m_dialogs.texts(), QStringList{quickCount});
}

// The catalogue closed (for a backup, say) while the preview is still
// reading a long list: the document ends with the rows it has.
void TestBookReports::closedCatalogueEndsTheDocument()
{
    const TemporaryCatalogue catalogue;
    catalogue.executeNative(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) "
        "INSERT INTO Books (Title, SortTitle) SELECT 'Book ' || i, printf('%03d', i) FROM n;");
    auto db = catalogue.open();
    m_windows.completeBuilds = false;
    run(*db, 1, ReportDestination::Preview, Answers{}, QString());
    QCOMPARE(m_windows.previews.size(), size_t(1));
    DocumentBuild& build = *m_windows.previews.front();
    QVERIFY(!build.isComplete());
    const qsizetype rows = build.document().rowCount();
    QVERIFY(rows > 1 && rows < 500);

    db->close();
    build.complete();
    QVERIFY(build.isComplete() && build.document().isFinished());
    QCOMPARE(build.document().rowCount(), rows);
    QCOMPARE(m_dialogs.texts().size(), 1);
    QVERIFY(m_dialogs.texts().first().startsWith(u"3420  Object invalid or no longer set"_s));
}

QTEST_GUILESS_MAIN(TestBookReports)
#include "tst_book_reports.moc"
