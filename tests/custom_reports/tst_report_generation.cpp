#include "common/program_identity.h"
#include "custom_reports/custom_report_writers.h"
#include "custom_reports/field_catalogue.h"
#include "custom_reports/report_generation.h"
#include "custom_reports/report_query.h"
#include "reports/report_fixture.h"
#include "support/failing_file_system.h"
#include "support/file_contents.h"
#include "support/fixed_clock.h"
#include "support/locale_guard.h"
#include "support/scripted_dialogs.h"

#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace report_test;

namespace {

// The shipped fields of "books", and one more whose table name ("Ser") is
// part of another's ("Series").
ReportFields shippedFields()
{
    ReportFields fields{u"books"_s, 0, {}};
    fields.rows = readFieldCatalogueSource(QStringLiteral(QUILLARY_SOURCE_DIR "/data/rptspec.csv")).rows;
    FieldSpecRow group;
    group.specid = 26;
    group.desc = u"Series Group"_s;
    group.fieldname = u"GrpName"_s;
    group.fileName = u"Ser"_s;
    group.linkfield = u"SerID"_s;
    group.ismemo = false;
    fields.rows.append(group);
    fields.MaxSpecID = 26;
    std::sort(fields.rows.begin(), fields.rows.end(),
              [](const FieldSpecRow& a, const FieldSpecRow& b) { return a.desc < b.desc; });
    return fields;
}

const FieldSpecRow& byDesc(const ReportFields& fields, const QString& desc)
{
    for (const FieldSpecRow& row : fields.rows) {
        if (row.desc == desc)
            return row;
    }
    qFatal("no field %s", qPrintable(desc));
}

// A definition from words separated by "|": "Desc" chooses a field;
// "Desc:option[=value]" sets one of its settings (hide, starts, below, above,
// true, false, from, to, width, total, plain); "sort=Desc", "then=Desc",
// "unit=cm", "landscape", "nodate", "pages=bottom" or "pages=none",
// "title=..." set the report's options.
ReportDefinition definition(const ReportFields& fields, const QString& words, int destination = 1)
{
    ReportDefinition report = clearedReport(fields, 0);
    report.destination = destination;
    const QList<FieldSpecRow> sorts = fields.sortChoices();
    const auto sortPosition = [&](const QString& desc) {
        for (int i = 0; i < sorts.size(); ++i) {
            if (sorts[i].desc == desc)
                return i;
        }
        return -1;
    };
    for (const QString& word : words.split(u'|')) {
        const QString name = word.section(u':', 0, 0).section(u'=', 0, 0);
        const QString value = word.section(u'=', 1);
        if (name == u"sort"_s)
            report.primarySort = sortPosition(value);
        else if (name == u"then"_s)
            report.secondarySort = sortPosition(value);
        else if (name == u"unit"_s)
            report.widthUnit = 1;
        else if (name == u"landscape"_s)
            report.orientation = 1;
        else if (name == u"nodate"_s)
            report.showDate = false;
        else if (name == u"pages"_s)
            report.pageNumbers = value == u"bottom"_s ? PageNumbers::AtBottom : PageNumbers::None;
        else if (name == u"title"_s)
            report.title = value;
        else if (!word.contains(u':'))
            report.chosenFields.append(byDesc(fields, name).specid);
        else {
            FieldSetting& s = report.settings[byDesc(fields, name).specid];
            const QString option = word.section(u':', 1).section(u'=', 0, 0);
            const QDateTime day(QDate::fromString(value, Qt::ISODate), QTime(0, 0));
            if (option == u"hide"_s)
                s.HideField = true;
            if (option == u"starts"_s)
                s.StartsWith = value;
            if (option == u"below"_s)
                s.LessThan = value;
            if (option == u"above"_s)
                s.GreaterThan = value;
            if (option == u"true"_s)
                s.SelTrue = true;
            if (option == u"false"_s)
                s.SelFalse = true;
            if (option == u"from"_s)
                s.StartValue = day;
            if (option == u"to"_s)
                s.EndValue = day;
            if (option == u"width"_s)
                s.ColWidth = value.toFloat();
            if (option == u"total"_s)
                s.ShowTotal = true;
            if (option == u"plain"_s)
                s.IsCurrencyFlag = false;
        }
    }
    return report;
}

QStringList fileLines(const QString& path)
{
    const QString text = QString::fromUtf8(fileContents(path));
    QStringList lines = text.split(u"\r\n"_s);
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(UserDialogs::Answer)

class TestReportGeneration : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void buildsTheQuery_data();
    void buildsTheQuery();
    void refusesBeforeAnything_data();
    void refusesBeforeAnything();
    void writesEachDestination_data();
    void writesEachDestination();
    void htmlParsesAsWritten();
    void fileEndsWholeOrNotAtAll();
    void fileDialogAnswers_data();
    void fileDialogAnswers();

private:
    ReportFields m_fields = shippedFields();
    LocaleGuard m_locale{QLocale(QLocale::English, QLocale::UnitedStates)};
    std::unique_ptr<TemporaryCatalogue> m_catalogue;
    std::unique_ptr<Database> m_db;
    QTemporaryDir m_folder;
    ScopedScriptedDialogs m_dialogs;
    ScriptedReportWindows m_windows;
};

void TestReportGeneration::init()
{
    reportState() = ReportState();
    m_dialogs.clear();
    m_windows = ScriptedReportWindows();
    m_db.reset();
    m_catalogue = std::make_unique<TemporaryCatalogue>();
    addSmallCatalogue(*m_catalogue);
    m_catalogue->executeNative(R"sql(
INSERT INTO Books (Title, SortTitle, AuthID, CatID, LocID, CoverPrice, Read, OnLoan)
    VALUES ('Winter''s Tale', 'WINTER''S TALE', -1, -1, -1, 4, 0, 0),
           ('<b>Bold & "Quoted"</b>', 'BOLD', -1, -1, -1, 3, 0, 0);
)sql");
    m_db = m_catalogue->open();
}

void TestReportGeneration::buildsTheQuery_data()
{
    QTest::addColumn<QString>("words"); // separated by |
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("parameters");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QList<bool>>("whole"); // per column: its values are never broken across lines
    QTest::newRow("title, joined author, hidden price")
        << u"Title|Author Last Name|Cover Price|Cover Price:hide|"
           u"Title:starts=The|Cover Price:below=20|sort=Author Last Name"_s
        << u"en_US"_s
        << u"Select Title, LastName, CoverPrice from (books left join Authors on books.AuthID = "
           u"Authors.AuthID) where  Title like ? and CoverPrice < 20 order by LastName"_s
        << QStringList{u"The*"_s} << u"4320|2160;"_s << u"Title|Author Last Name;"_s << QList{false, false};
    QTest::newRow("one join per table, a name inside another, two linked columns")
        << u"Author Last Name|Author First Name|Series|Series Group|Owner|sort=Series|then=Title"_s
        << u"en_US"_s
        << u"Select LastName, FirstName, SerDesc, GrpName, OwnName from ((((books left join Authors on "
           u"books.AuthID = Authors.AuthID) left join Series on books.SerID = Series.SerID) left join Ser on "
           u"books.SerID = Ser.SerID) left join Owners on books.OwnerID = Owners.OwnID) order by SerDesc, Title"_s
        << QStringList() << u"2160|2160|2880|1440|2160;"_s
        << u"Author Last Name|Author First Name|Series|Series Group|Owner;"_s << QList<bool>(5, false);
    QTest::newRow("false alone, widths in centimetres")
        << u"Fiction|Volume|Fiction:false|Fiction:width=1|Volume:width=2.5|unit=cm"_s << u"en_US"_s
        << u"Select Fiction, Vol from books where  not Fiction"_s << QStringList() << u"561.6|>1404;"_s
        << u"Fiction|Volume;"_s << QList{true, true};
    QTest::newRow("dates month first, numbers plain, whatever the locale")
        << u"Title|Date Read|Buy Price|Read|Date Read:from=2001-03-07|"
           u"Date Read:to=2001-03-31|Buy Price:above=1.234,5|Read:true|Buy Price:width=1.5|Read:hide"_s
        << u"de_DE"_s
        << u"Select Title, ReadDate, BuyPrice, Read from books where  ReadDate >= #3/7/2001# and ReadDate <= "
           u"#3/31/2001# and BuyPrice > 1234.5 and Read"_s
        << QStringList() << u"4320|1440|>2160;"_s << u"Title|Date Read|Buy Price;"_s
        << QList{false, true, true};
}

void TestReportGeneration::buildsTheQuery()
{
    QFETCH(QString, words);
    QFETCH(QString, locale);
    LocaleGuard guard(locale);
    const ReportQuery query = buildReportQuery(definition(m_fields, words), m_fields);
    QTEST(query.sql, "sql");
    QStringList parameters;
    for (const QVariant& parameter : query.parameters)
        parameters.append(parameter.toString());
    QTEST(parameters, "parameters");
    QTEST(query.tableFormat, "format");
    QTEST(query.tableHeader, "header");
    QList<bool> whole;
    for (const ColumnSpec& column : query.tableColumns().columns)
        whole << column.keepWhole;
    QTEST(whole, "whole");
}

void TestReportGeneration::refusesBeforeAnything_data()
{
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing chosen") << u"Title:starts=A"_s << NoFieldsMessage;
    QTest::newRow("every field hidden") << u"Title|Title:hide"_s << AllHiddenMessage;
    const QString number = u"Cover Price: You must enter a number or leave this selection field blank"_s;
    QTest::newRow("SQL as a bound") << u"Cover Price|Cover Price:below=1 or 1=1"_s << number;
    QTest::newRow("text as a bound") << u"Cover Price|Cover Price:above=cheap"_s << number;
}

void TestReportGeneration::refusesBeforeAnything()
{
    QFETCH(QString, words);
    QFETCH(QString, message);
    GenerateReport(definition(m_fields, words, CustomDestination::TextFile), m_fields, *m_db, m_windows);
    QCOMPARE(m_dialogs.texts(), QStringList{message});
    QCOMPARE(m_dialogs.shown().size(), 1); // no file dialog
    QVERIFY(m_windows.shown.isEmpty());
}

void TestReportGeneration::writesEachDestination_data()
{
    QTest::addColumn<int>("destination");
    QTest::addColumn<QString>("words");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("message");
    QTest::newRow("text: an apostrophe in starts-with")
        << 2 << u"Title|Cover Price|Title:starts=Winter's"_s << QStringList{u"Winter's Tale\t$4.00"_s}
        << QString();
    QTest::newRow("text: empty dates and amounts, plain total, hidden filter")
        << 2
        << u"Title|Date Read|Buy Price|On Loan|Cover Price|On Loan:hide|"
           u"On Loan:false|Cover Price:total|Cover Price:plain|Title:starts=[EP]|sort=Title"_s
        << QStringList{u"Emma\t3/7/2001\t$8.00\t12.5"_s, u"Persuasion\t\t$5.25\t"_s, u"\t\t\t12.5"_s}
        << QString();
    QTest::newRow("text: currency total, sorted by two keys")
        << 2
        << u"Author Last Name|Cover Price|Cover Price:total|"
           u"Cover Price:above=9|sort=Author Last Name|then=Title"_s
        << QStringList{u"Austen\t$12.50"_s, u"Homer\t$9.99"_s, u"Smith\t$20.00"_s, u"\t$42.49"_s}
        << QString();
    QTest::newRow("text: no rows") << 2 << u"Title|Title:starts=Zz"_s << QStringList() << NoRecordsMessage;
    QTest::newRow("preview: header row on top, totals below")
        << 1
        << u"Title|Author Last Name|Cover Price|Cover Price:total|Author Last Name:starts=Austen|sort=Title"_s
        << QStringList{u"*Title|Author Last Name|Cover Price"_s, u"Emma|Austen|$12.50"_s,
                       u"Persuasion|Austen|"_s, u"||$12.50"_s}
        << QString();
    QTest::newRow("preview: no rows, no window")
        << 1 << u"Title|Title:starts=Zz"_s << QStringList() << NoRecordsMessage;
}

void TestReportGeneration::writesEachDestination()
{
    QFETCH(int, destination);
    QFETCH(QString, words);
    QFETCH(QStringList, lines);
    QFETCH(QString, message);
    const QString path = m_folder.filePath(u"report.txt"_s);
    QFile::remove(path);
    m_dialogs.setNextFileName(path);
    GenerateReport(definition(m_fields, words, destination), m_fields, *m_db, m_windows);
    QCOMPARE(m_dialogs.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(m_windows.busy, 0);
    if (destination == CustomDestination::TextFile) {
        QCOMPARE(m_dialogs.shown().first().text, u"books.txt"_s);
        QCOMPARE(fileLines(path), lines);
        return;
    }
    QCOMPARE(m_windows.previews.size(), size_t(lines.isEmpty() ? 0 : 1));
    if (!lines.isEmpty()) {
        QCOMPARE(documentRows(*m_windows.lastDocument()), lines);
        QVERIFY(reportState().RepeatTableHeader);
    }
}

// A real HTML parser reads back the title, the headings and the cells as
// they were, whatever characters they hold.
void TestReportGeneration::htmlParsesAsWritten()
{
    const QString path = m_folder.filePath(u"report.htm"_s);
    m_dialogs.setNextFileName(path);
    const QString words = u"title=Café <&> \"Best\"|Title|Cover Price|Read|Read:hide|Cover Price:total|"
                          u"Cover Price:below=3.5"_s;
    GenerateReport(definition(m_fields, words, CustomDestination::WebTable), m_fields, *m_db, m_windows);
    QCOMPARE(m_dialogs.shown().first().text, u"books.htm"_s);
    const char* script = R"py(
import sys
from html.parser import HTMLParser
class P(HTMLParser):
    def handle_starttag(self, tag, attrs):
        a = ",".join(k + "=" + str(v) for k, v in attrs)
        print("<" + tag + (" " + a if a else ""))
    def handle_data(self, data):
        if data.strip(): print("text " + data)
P(convert_charrefs=True).feed(open(sys.argv[1], encoding="utf-8").read())
)py";
    QProcess python;
    python.start(u"python3"_s, {u"-c"_s, QString::fromUtf8(script), path});
    QVERIFY(python.waitForFinished(30000));
    const QStringList parsed =
        QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    // One line a tag or text, joined by "|".
    const QString expected =
        u"<html|<head|<meta charset=utf-8|<title|text Café <&> \"Best\"|<body|"
        u"<table border=1|<tr|<th colspan=2|text Café <&> \"Best\"|<tr|<th|text Title|<th|text Cover Price|"
        u"<tr|<td|text <b>Bold & \"Quoted\"</b>|<td align=right|text $3.00|"
        u"<tr|<td|<td align=right|text $3.00|<h6|text List Produced by |<a href="_s +
        ProgramWebAddress + u"|text The Quillary Program"_s;
    QCOMPARE(parsed.join(u'|'), expected);
}

// A report file is whole: a page without rows still closes its table and
// itself. On a full disk the old file stays and the user is told why.
void TestReportGeneration::fileEndsWholeOrNotAtAll()
{
    const QTemporaryDir folder;
    const QString path = folder.filePath(u"report"_s);
    m_dialogs.setNextFileName(path);
    GenerateReport(definition(m_fields, u"Title|Title:starts=Zz"_s, CustomDestination::WebTable), m_fields,
                   *m_db, m_windows);
    const QByteArray page = fileContents(path);
    QVERIFY2(page.contains("</table>\r\n") && page.endsWith("</body>\r\n</html>\r\n"), page.constData());
    m_dialogs.setNextFileName(path);
    m_dialogs.setNextAnswer(UserDialogs::Answer::Yes);
    {
        const FailingFileSystem disk(FailingFileSystem::Call::Write, ENOSPC, 10, true);
        GenerateReport(definition(m_fields, u"Title"_s, CustomDestination::TextFile), m_fields, *m_db,
                       m_windows);
    }
    QCOMPARE(m_dialogs.texts().last(), u"3026  Not enough space on disk to write to '%1'."_s.arg(path));
    QCOMPARE(fileContents(path), page);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"report"_s});
}

void TestReportGeneration::fileDialogAnswers_data()
{
    QTest::addColumn<QString>("fileName"); // empty: cancelled
    QTest::addColumn<QList<UserDialogs::Answer>>("answers");
    QTest::addColumn<QByteArray>("contents");
    const QByteArray old("old\r\n");
    QTest::newRow("cancelled") << QString() << QList<UserDialogs::Answer>() << old;
    QTest::newRow("not replaced") << u"report.txt"_s << QList{UserDialogs::Answer::No} << old;
    QTest::newRow("replaced") << u"report.txt"_s << QList{UserDialogs::Answer::Yes} << QByteArray("Emma\r\n");
}

void TestReportGeneration::fileDialogAnswers()
{
    QFETCH(QString, fileName);
    QFETCH(QList<UserDialogs::Answer>, answers);
    const QString path = m_folder.filePath(u"report.txt"_s);
    QVERIFY(writeFile(path, "old\r\n"));
    m_dialogs.setNextFileName(fileName.isEmpty() ? QString() : path);
    m_dialogs.setNextAnswers(answers);
    GenerateReport(definition(m_fields, u"Title|Title:starts=Emma"_s, CustomDestination::TextFile), m_fields,
                   *m_db, m_windows);
    QTEST(fileContents(path), "contents");
    const QStringList asked = m_dialogs.texts();
    QCOMPARE(asked, answers.isEmpty() ? QStringList()
                                      : QStringList{u"The file '"_s + path +
                                                    u"' already exists.  Do you wish to replace it?"_s});
}

QTEST_GUILESS_MAIN(TestReportGeneration)
#include "tst_report_generation.moc"
