#include "database/catalogue_file_check.h"
#include "database/database.h"
#include "import/jet_conversion.h"
#include "support/file_contents.h"
#include "support/temporary_catalogue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A real Jet 3 file written by another program.
const QString Sample = QStringLiteral(QUILLARY_SHARED_TESTDATA "/jet/nwind.mdb");
const QString Converter = QStringLiteral(QUILLARY_BINARY_DIR "/tools/quillary-convert");

QStringList folderContents(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The bytes of a bad input made from the sample.
QByteArray damaged(const QString& how, const QByteArray& sample)
{
    QByteArray bytes = sample;
    if (how == u"cut mid-page"_s)
        return bytes.left(1500000);
    // Whole pages, but the list of tables or tables it names run on past the end.
    if (how.startsWith(u"cut to "_s))
        return bytes.left(2048 * how.section(u' ', 2, 2).toInt());
    if (how == u"encrypted"_s)
        bytes[0x3e] = char(bytes[0x3e] ^ 0x55); // the key the pages would be encrypted with
    if (how == u"password"_s)
        bytes[0x42] = char(bytes[0x42] ^ 0x55);
    if (how == u"table pages overwritten"_s)
        bytes.replace(2048 * 2, 2048 * 8, QByteArray(2048 * 8, char(0x5a)));
    if (how == u"text file"_s)
        return QByteArray("Title,Author\nNana,Zola\n");
    if (how == u"empty"_s)
        return QByteArray();
    return bytes;
}

} // namespace

class TestJetFileConversion : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void tableRowCounts_data();
    void tableRowCounts();
    void spotValues_data();
    void spotValues();
    void badInput_data();
    void badInput();
    void inPlace_data();
    void inPlace();
    void commandLine_data();
    void commandLine();

private:
    QTemporaryDir m_dir;
    QString m_converted;
    ConversionReport m_report;
    QByteArray m_sample;
};

void TestJetFileConversion::initTestCase()
{
    m_sample = fileBytes(Sample);
    if (m_sample.isEmpty())
        QSKIP("the Jet sample file is not there");
    m_converted = m_dir.filePath(u"nwind.sqlite"_s);
    try {
        m_report = convertJetFile(Sample, m_converted, ConversionTarget::AllTables);
    } catch (const ConversionError& error) {
        QFAIL(qPrintable(error.message()));
    }
}

void TestJetFileConversion::tableRowCounts_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<qint64>("rows");
    // As mdb-export gives them, in the file's own order.
    const std::pair<const char*, qint64> counts[] = {
        {"Order Details", 2155}, {"Orders", 830},  {"Products", 77},  {"Shippers", 3},  {"Categories", 8},
        {"Customers", 91},       {"Employees", 9}, {"Suppliers", 29}, {"Umsätze", 830},
    };
    for (const auto& [table, rows] : counts)
        QTest::newRow(table) << QString::fromUtf8(table) << rows;
}

void TestJetFileConversion::tableRowCounts()
{
    QFETCH(QString, table);
    QFETCH(qint64, rows);
    const auto reported =
        std::find_if(m_report.tables.begin(), m_report.tables.end(),
                     [&](const ConvertedTable& converted) { return converted.name == table; });
    QVERIFY(reported != m_report.tables.end());
    QCOMPARE(reported->rows, rows);
    auto db = Database::open(m_converted);
    QCOMPARE(nativeRows(*db, "SELECT count(*) FROM \"" + table.toUtf8() + "\""),
             QStringList{QString::number(rows)});
    QCOMPARE(m_report.tables.size(), size_t(9));
}

void TestJetFileConversion::spotValues_data()
{
    QTest::addColumn<QByteArray>("sql");
    QTest::addColumn<QString>("value");

    QTest::newRow("currency") << QByteArray("SELECT Freight FROM Orders WHERE OrderID = 10330") << u"12.75"_s;
    QTest::newRow("whole currency")
        << QByteArray("SELECT UnitPrice FROM \"Order Details\" WHERE OrderID = 10248 AND ProductID = 11")
        << u"14"_s;
    QTest::newRow("single") << QByteArray("SELECT Discount FROM \"Order Details\" WHERE OrderID = 10250 AND "
                                          "ProductID = 51")
                            << u"0.15"_s;
    // The library's own text says "12/08/48".
    QTest::newRow("date") << QByteArray("SELECT BirthDate FROM Employees WHERE EmployeeID = 1")
                          << u"1948-12-08"_s;
    QTest::newRow("non-ASCII text")
        << QByteArray("SELECT Address || ' / ' || City FROM Customers WHERE CustomerID = 'ANATR'")
        << u"Avda. de la Constitución 2222 / México D.F."_s;
    QTest::newRow("non-ASCII table name")
        << QByteArray("SELECT ShipCity FROM \"Umsätze\" WHERE OrderID = 10331") << u"Marseille"_s;
    QTest::newRow("Null") << QByteArray("SELECT quote(ShipRegion) FROM Orders WHERE OrderID = 10331")
                          << u"NULL"_s;
    QTest::newRow("line break") << QByteArray("SELECT hex(Address) FROM Employees WHERE EmployeeID = 1")
                                << QString::fromLatin1(
                                       QByteArray("507 - 20th Ave. E.\r\nApt. 2A").toHex().toUpper());
    QTest::newRow("memo on pages of its own")
        << QByteArray(
               "SELECT length(Notes) || ' ' || substr(Notes, 1, 15) FROM Employees WHERE EmployeeID = 2")
        << u"448 Andrew received"_s;
    QTest::newRow("yes and no") << QByteArray(
                                       "SELECT group_concat(Discontinued, '') FROM (SELECT Discontinued FROM "
                                       "Products WHERE ProductID <= 6 ORDER BY ProductID)")
                                << u"000010"_s;
    QTest::newRow("picture") << QByteArray("SELECT typeof(Picture), length(Picture) > 10000 FROM Categories "
                                           "WHERE CategoryID = 1")
                             << u"blob|1"_s;
    QTest::newRow("AutoNumber key")
        << QByteArray("SELECT instr(sql, '\"OrderID\" INTEGER PRIMARY KEY AUTOINCREMENT') > 0 "
                      "FROM sqlite_master WHERE name = 'Orders'")
        << u"1"_s;
    QTest::newRow("two-column key")
        << QByteArray("SELECT instr(sql, 'PRIMARY KEY (\"OrderID\", \"ProductID\")') > 0 "
                      "FROM sqlite_master WHERE name = 'Order Details'")
        << u"1"_s;
    QTest::newRow("unique index")
        << QByteArray("SELECT sql FROM sqlite_master WHERE name = 'Categories_CategoryName'")
        << u"CREATE UNIQUE INDEX \"Categories_CategoryName\" ON \"Categories\" "
           u"(\"CategoryName\")"_s;
}

void TestJetFileConversion::spotValues()
{
    QFETCH(QByteArray, sql);
    auto db = Database::open(m_converted);
    QTEST(nativeRows(*db, sql).join(u'\n'), "value");
}

void TestJetFileConversion::badInput_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("message");

    const int all = int(ConversionTarget::AllTables);
    QTest::newRow("cut mid-page") << u"cut mid-page"_s << all << u"is incomplete"_s;
    for (const int pages : {8, 16, 19, 500, 700, 714, 800}) {
        const QString how = u"cut to %1 pages"_s.arg(pages);
        QTest::newRow(qPrintable(how)) << how << all << u"is damaged"_s;
    }
    QTest::newRow("table pages overwritten") << u"table pages overwritten"_s << all << u"is damaged"_s;
    QTest::newRow("encrypted") << u"encrypted"_s << all << u"is encrypted"_s;
    QTest::newRow("password") << u"password"_s << all << u"is protected by a database password"_s;
    QTest::newRow("text file") << u"text file"_s << all << u"is not a database"_s;
    QTest::newRow("empty file") << u"empty"_s << all << u"is not a database"_s;
    QTest::newRow("not a catalogue") << QString() << int(ConversionTarget::Catalogue)
                                     << u"is not a catalogue: it lacks the table Books"_s;
}

void TestJetFileConversion::badInput()
{
    QFETCH(QString, how);
    QFETCH(int, target);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString input = dir.filePath(u"input.mdb"_s);
    QVERIFY(writeFile(input, damaged(how, m_sample)));
    const QByteArray before = fileBytes(input);
    try {
        convertJetFile(input, dir.filePath(u"out.sqlite"_s), ConversionTarget(target));
        QFAIL("the bad input was converted");
    } catch (const ConversionError& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
    QCOMPARE(folderContents(dir.path()), QStringList{u"input.mdb"_s});
    QCOMPARE(fileBytes(input), before);
}

void TestJetFileConversion::inPlace_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("files"); // the folder afterwards

    QTest::newRow("converted") << QString()
                               << QStringList{u"Quillary.jet-2.mdb"_s, u"Quillary.jet.mdb"_s,
                                              u"Quillary.mdb"_s};
    QTest::newRow("damaged") << u"cut to 500 pages"_s
                             << QStringList{u"Quillary.jet.mdb"_s, u"Quillary.mdb"_s};
}

void TestJetFileConversion::inPlace()
{
    QFETCH(QString, how);
    // A kept original of an earlier conversion is never replaced.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Quillary.mdb"_s);
    QVERIFY(writeFile(dir.filePath(u"Quillary.jet.mdb"_s), "kept before"));
    QVERIFY(writeFile(path, damaged(how, m_sample)));
    const QByteArray original = fileBytes(path);
    try {
        const InPlaceConversion result = convertJetFileInPlace(path, ConversionTarget::AllTables);
        QVERIFY(how.isEmpty());
        QCOMPARE(result.originalKeptAs, dir.filePath(u"Quillary.jet-2.mdb"_s));
        QCOMPARE(fileBytes(result.originalKeptAs), original);
        QCOMPARE(inspectCatalogueFile(path), CatalogueFileKind::Sqlite);
        QCOMPARE(nativeRows(*Database::open(path), "SELECT count(*) FROM Orders"), QStringList{u"830"_s});
    } catch (const ConversionError& error) {
        QVERIFY2(!how.isEmpty(), qPrintable(error.message()));
        QCOMPARE(fileBytes(path), original);
    }
    QCOMPARE(fileBytes(dir.filePath(u"Quillary.jet.mdb"_s)), QByteArray("kept before"));
    QTEST(folderContents(dir.path()), "files");
}

void TestJetFileConversion::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); // a line of standard output, or of standard error on failure

    QTest::newRow("every table") << QStringList{Sample, u"out.sqlite"_s} << 0 << u"Umsätze: 830 rows"_s;
    QTest::newRow("existing output") << QStringList{Sample, u"existing.sqlite"_s} << 1
                                     << u"'existing.sqlite' already exists."_s;
    QTest::newRow("not a catalogue") << QStringList{u"--catalogue"_s, Sample, u"out.sqlite"_s} << 1
                                     << u"is not a catalogue"_s;
    QTest::newRow("one file only") << QStringList{Sample} << 2 << u"Usage: quillary-convert"_s;
    QTest::newRow("cut on a page boundary")
        << QStringList{u"cut.mdb"_s, u"out.sqlite"_s} << 1 << u"list of tables cannot be read completely"_s;
}

void TestJetFileConversion::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(u"existing.sqlite"_s), "mine"));
    QVERIFY(writeFile(dir.filePath(u"cut.mdb"_s), m_sample.left(2048 * 700)));
    QProcess converter;
    converter.setWorkingDirectory(dir.path());
    converter.start(Converter, arguments);
    QVERIFY(converter.waitForFinished(120000));
    QCOMPARE(converter.exitCode(), exitCode);
    const QString printed = QString::fromUtf8(exitCode == 0 ? converter.readAllStandardOutput()
                                                            : converter.readAllStandardError());
    QVERIFY2(printed.contains(output), qPrintable(printed));
    QCOMPARE(fileBytes(dir.filePath(u"existing.sqlite"_s)), QByteArray("mine"));
    QCOMPARE(QFileInfo::exists(dir.filePath(u"out.sqlite"_s)), exitCode == 0);
}

QTEST_GUILESS_MAIN(TestJetFileConversion)
#include "tst_jet_file_conversion.moc"
