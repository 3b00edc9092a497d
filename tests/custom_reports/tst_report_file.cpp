#include "common/single_byte_text.h"
#include "custom_reports/report_fixture.h"
#include "database/db_error.h"
#include "support/file_contents.h"
#include "support/locale_guard.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace report_test;

Q_DECLARE_METATYPE(ReportDefinition)

namespace {

QDateTime bound(const QDate& date, const QTime& time = QTime(0, 0))
{
    return QDateTime(date, time, Qt::UTC);
}

// Fields 5 and 2 of six, titled "Loans", to an HTML file in landscape,
// without date, page numbers at the bottom, in centimetres, sorted by the
// fifth sort choice.
ReportDefinition loansReport()
{
    ReportDefinition report = clearedReport(fieldsOf(u"books"_s), 0);
    report.chosenFields = {5, 2};
    report.title = u"Loans"_s;
    report.destination = CustomDestination::WebTable;
    report.orientation = 1;
    report.showDate = false;
    report.pageNumbers = PageNumbers::AtBottom;
    report.widthUnit = 1;
    report.primarySort = 4;
    return report;
}

// A criterion of every kind, a hidden field, a total and a text beyond ASCII.
ReportDefinition everyCriterion()
{
    ReportDefinition report = clearedReport(fieldsOf(u"books"_s), 0);
    report.chosenFields = {1, 2, 3, 4, 5};
    report.title = u"Café € list"_s;
    report.secondarySort = 0;
    FieldSettings& s = report.settings;
    s[1].StartsWith = u"Mc"_s;
    s[2].GreaterThan = u"10"_s;
    s[2].LessThan = u"20.5"_s;
    s[2].ShowTotal = true;
    s[2].ColWidth = 1.5F;
    s[3].StartValue = bound(QDate(2001, 3, 7));
    s[3].EndValue = bound(QDate(2001, 3, 31));
    s[3].HideField = true;
    s[4].SelFalse = true;
    s[5].StartValue = bound(QDate(1899, 12, 30), QTime(10, 30));
    s[5].EndValue = bound(QDate(1899, 12, 30), QTime(18, 45));
    return report;
}

// The bytes of a valid file with some lines replaced and the file cut after
// keepLines lines.
QByteArray alteredFile(const QList<std::pair<int, QByteArray>>& lines, int keepLines = 22)
{
    QByteArray file = reportFileBytes(everyCriterion());
    for (const auto& [number, text] : lines)
        file = withLine(file, number, text);
    return file.split('\n').mid(0, keepLines).join('\n') + (keepLines ? "\n" : "");
}

} // namespace

class TestReportFile : public QObject
{
    Q_OBJECT
private slots:
    void writesTheLinesOfTheFormat_data();
    void writesTheLinesOfTheFormat();
    void readsBackWhatItWrote_data();
    void readsBackWhatItWrote();
    void refusesFilesThatAreNotReportFiles_data();
    void refusesFilesThatAreNotReportFiles();
    void readsWhatTheFormatAllows_data();
    void readsWhatTheFormatAllows();
    void damagedFilesNeverBreakReading();
    void writingReplacesTheFileWhole();
};

void TestReportFile::writesTheLinesOfTheFormat_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<ReportDefinition>("report");
    QTest::addColumn<QString>("lines"); // the file's lines joined by "|"

    QTest::newRow("Loans")
        << u"C"_s << loansReport()
        << u"books|Loans|3|1|0|1|1| 4 |-1 |2|5;2|0;0;0;0;0;0|0;0;0;0;0;0|;;;;;|0;0;0;0;0;0|"
           u"0;0;0;0;0;0|;;;;;|;;;;;|3;1;1;0.75;1.25;2|0;0;0;0;0;0|0;0;0;0;0;0|0;1;0;0;0;0"_s;
    const QString head =
        u"books|Café € list|1|0|1|0|0|-1 | 0 |5|1;2;3;4;5|0;0;0;0;0;0|0;0;0;1;0;0|Mc;;;;;|"_s;
    const QString flags = u"|0;0;1;0;0;0|0;1;0;0;0;0|0;1;0;0;0;0"_s;
    QTest::newRow("every criterion")
        << u"C"_s << everyCriterion()
        << head + u"0;0;36957;0;0.4375;0|0;0;36981;0;0.78125;0|;20.5;;;;|;10;;;;|3;1.5;1;0.75;1.25;2"_s +
               flags;
    // Numbers the program writes itself follow the locale, as it reads them.
    QTest::newRow("every criterion, German")
        << u"de_DE"_s << everyCriterion()
        << head + u"0;0;36957;0;0,4375;0|0;0;36981;0;0,78125;0|;20.5;;;;|;10;;;;|3;1,5;1;0,75;1,25;2"_s +
               flags;
}

void TestReportFile::writesTheLinesOfTheFormat()
{
    QFETCH(QString, locale);
    QFETCH(ReportDefinition, report);
    const LocaleGuard guard(locale);
    const QByteArray bytes = reportFileBytes(report);
    QTEST(linesOf(bytes).join(u'|'), "lines");
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\r\n"), 22);
    if (report.title.startsWith(u"Caf"_s))
        QVERIFY(bytes.contains("\r\nCaf\xE9 \x80 list\r\n")); // one byte per character
}

void TestReportFile::readsBackWhatItWrote_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<ReportDefinition>("report");
    QTest::newRow("Loans") << u"C"_s << loansReport();
    QTest::newRow("every criterion") << u"C"_s << everyCriterion();
    QTest::newRow("every criterion, German") << u"de_DE"_s << everyCriterion();
    ReportDefinition odd = everyCriterion();
    odd.settings[2].ColWidth = 0.3F;
    odd.settings[5].StartValue = bound(QDate(2024, 2, 29), QTime(23, 59, 59));
    odd.settings[3].StartValue = bound(QDate(1850, 1, 1));
    odd.title = QString();
    QTest::newRow("odd values") << u"C"_s << odd;
}

void TestReportFile::readsBackWhatItWrote()
{
    QFETCH(QString, locale);
    QFETCH(ReportDefinition, report);
    const LocaleGuard guard(locale);
    const ReportFileReading reading = readBytes(reportFileBytes(report));
    QVERIFY(reading.valid && reading.definition);
    QCOMPARE(reportFileLines(*reading.definition), reportFileLines(report));
    QVERIFY(*reading.definition == report);
}

void TestReportFile::refusesFilesThatAreNotReportFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("cleared");  // the report was cleared for the file's key
    QTest::addColumn<QString>("title"); // the title read, when it was

    const QString title = u"Café € list"_s;
    QTest::newRow("unknown key") << alteredFile({{1, "magazines"}}) << false << QString();
    QTest::newRow("key over 20 characters") << alteredFile({{1, QByteArray(21, 'b')}}) << false << QString();
    QTest::newRow("empty file") << QByteArray() << false << QString();
    QTest::newRow("destination 4") << alteredFile({{3, "4"}}) << true << title;
    QTest::newRow("orientation x") << alteredFile({{4, "x"}}) << true << title;
    QTest::newRow("sort beyond MaxSpecID - 1") << alteredFile({{8, " 6 "}}) << true << title;
    QTest::newRow("sort out of 16 bits") << alteredFile({{9, "70000"}}) << true << title;
    QTest::newRow("count not a number") << alteredFile({{10, "two"}}) << true << title;
    QTest::newRow("2 among the hide flags") << alteredFile({{20, "0;0;2;0;0;0"}}) << true << title;
    QTest::newRow("flags missing") << alteredFile({{21, "0;0;0"}}) << true << title;
    QTest::newRow("serial not a number") << alteredFile({{15, "0;0;x;0;0;0"}}) << true << title;
    QTest::newRow("width not a number") << alteredFile({{19, "3;wide;1;1;1;1"}}) << true << title;
    QTest::newRow("ends after line 1") << alteredFile({}, 1) << true << QString();
    QTest::newRow("ends after line 15") << alteredFile({}, 15) << true << title;
    QTest::newRow("over-long line") << alteredFile({{2, QByteArray(LongestReportFileLine + 1, 'x')}}) << true
                                    << QString();
    QTest::newRow("NUL in the title") << alteredFile({{2, QByteArray("Lo\0ans", 6)}}) << true << QString();
    QTest::newRow("unused code page byte") << alteredFile({{14, "Mc\x81;;;;;"}}) << true << title;
    QTest::newRow("lone CR inside a line") << alteredFile({{17, ";20\r5;;;;"}}) << true << title;
    QTest::newRow("UTF-8 mark, then bytes that are not UTF-8")
        << QByteArray("\xEF\xBB\xBF") + alteredFile({}) << true << QString();
}

void TestReportFile::refusesFilesThatAreNotReportFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, title);
    const ReportFileReading reading = readBytes(file);
    QVERIFY(!reading.valid);
    QTEST(reading.definition.has_value(), "cleared");
    if (reading.definition)
        QCOMPARE(reading.definition->title, title.isNull() ? DefaultReportTitle : title);
}

// Each row alters a valid file and names one line of the file written again
// from what was read.
void TestReportFile::readsWhatTheFormatAllows_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("written");

    QTest::newRow("field no longer in the catalogue") << alteredFile({{11, "5;9;2"}}) << 11 << u"5;2"_s;
    QTest::newRow("field named twice, or not a number") << alteredFile({{11, "4;x;4;;3"}}) << 11 << u"4;3"_s;
    QTest::newRow("no fields") << alteredFile({{10, "0"}, {11, ""}}) << 11 << QString();
    QTest::newRow("currency flags not read") << alteredFile({{22, "x;1;1"}}) << 22 << u"0;1;0;0;0;0"_s;
    QTest::newRow("file without line 22") << alteredFile({}, 21) << 22 << u"0;1;0;0;0;0"_s;
    QTest::newRow("items beyond MaxSpecID")
        << alteredFile({{12, "1;0;0;0;0;0;7;x"}}) << 12 << u"1;0;0;0;0;0"_s;
    QTest::newRow("numbers with blanks, rounded") << alteredFile({{3, " 2.6 "}, {8, "2 "}}) << 3 << u"3"_s;
    QTest::newRow("sort beyond the sort list") << alteredFile({{8, " 5 "}}) << 8 << u"-1 "_s;
    QTest::newRow("starts-with text with a separator")
        << alteredFile({{14, "A;B;;;;"}}) << 14 << u"A;B;;;;"_s; // every later text moves up by one
    QTest::newRow("another known key") << alteredFile({{1, "journals"}, {11, "1;2;6"}}) << 11 << u"1;6"_s;
    QTest::newRow("LF line ends") << QByteArray(alteredFile({}).replace("\r\n", "\n")) << 2
                                  << u"Café € list"_s;
    QTest::newRow("UTF-8 mark, as editors write")
        << QByteArray("\xEF\xBB\xBF") + alteredFile({{2, u"Café € list"_s.toUtf8()}}) << 2
        << u"Café € list"_s;
}

void TestReportFile::readsWhatTheFormatAllows()
{
    QFETCH(QByteArray, file);
    QFETCH(int, line);
    const ReportFileReading reading = readBytes(file);
    QVERIFY(reading.valid);
    QTEST(reportFileLines(*reading.definition).at(line - 1), "written");
}

// Random damage to valid files, the same every run: reading never fails
// other than by refusing the file, and whatever it accepts it writes back so
// that it reads the same again.
void TestReportFile::damagedFilesNeverBreakReading()
{
    QRandomGenerator random(20240601);
    const QList<QByteArray> seeds{reportFileBytes(everyCriterion()), reportFileBytes(loansReport())};
    const QByteArray insertions[] = {";",     "\r\n", "\n", QByteArray(1, '\0'), "\x81", "-1",
                                     "99999", "0.5",  " ",  QByteArray(300, ';')};
    int accepted = 0;
    for (int run = 0; run < 3000; ++run) {
        QByteArray file = seeds.at(run % 2);
        for (int edits = 1 + int(random.bounded(4)); edits > 0; --edits) {
            const int at = int(random.bounded(file.size() + 1));
            switch (random.bounded(4)) {
            case 0:
                file.insert(at, insertions[random.bounded(int(std::size(insertions)))]);
                break;
            case 1:
                file.remove(at, int(random.bounded(12)));
                break;
            case 2:
                if (at < file.size())
                    file[at] = char(random.bounded(256));
                break;
            default:
                file.truncate(at);
            }
        }
        const ReportFileReading reading = readBytes(file);
        if (!reading.valid)
            continue;
        ++accepted;
        const ReportFileReading again = readBytes(reportFileBytes(*reading.definition));
        QVERIFY2(again.valid && *again.definition == *reading.definition,
                 file.toPercentEncoding().constData());
    }
    QVERIFY(accepted > 100); // the damage leaves enough files readable to test the rewrite
}

void TestReportFile::writingReplacesTheFileWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"loans.rpt"_s);
    QVERIFY(writeFile(path, QByteArray(10000, 'x')));
    WriteReportFile(loansReport(), path);
    QCOMPARE(fileBytes(path), reportFileBytes(loansReport()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"loans.rpt"_s});

    // A name that cannot be written leaves what is there as it was.
    QVERIFY_THROWS_EXCEPTION(DbError, WriteReportFile(loansReport(), dir.path()));
    QVERIFY(QFileInfo(dir.path()).isDir());
}

QTEST_GUILESS_MAIN(TestReportFile)
#include "tst_report_file.moc"
