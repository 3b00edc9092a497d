#include "database/database.h"
#include "support/file_contents.h"
#include "support/temporary_catalogue.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

class TestImportTools : public QObject
{
    Q_OBJECT
private slots:
    void run_data();
    void run();
};

void TestImportTools::run_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("arguments"); // FILE is a fixture, DIR the catalogue's folder
    QTest::addColumn<bool>("holdCatalogue");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    QTest::addColumn<int>("books");

    const QString goodreads = u"goodreads_library_export.csv"_s;
    QTest::newRow("dry run") << u"import"_s << QStringList{u"--dry-run"_s, goodreads, u"DIR"_s} << false << 0
                             << u"Books to add: 4"_s << 0;
    QTest::newRow("import") << u"import"_s << QStringList{goodreads, u"DIR"_s} << false << 0
                            << u"4 books added, 0 skipped as already present, 2 refused."_s << 4;
    QTest::newRow("catalogue open in the program")
        << u"import"_s << QStringList{goodreads, u"DIR"_s} << true << 1 << u"file already in use"_s << 0;
    QTest::newRow("no rows") << u"import"_s << QStringList{u"missing.csv"_s, u"DIR"_s} << false << 1
                             << u"Could not read"_s << 0;
    QTest::newRow("export") << u"export"_s << QStringList{u"DIR"_s, u"OUT"_s} << false << 0
                            << u"0 books written"_s << 0;
    QTest::newRow("export of a catalogue open in the program")
        << u"export"_s << QStringList{u"DIR"_s, u"OUT"_s} << true << 1 << u"file already in use"_s << 0;
}

void TestImportTools::run()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, arguments);
    QFETCH(bool, holdCatalogue);
    TemporaryCatalogue catalogue;
    for (QString& argument : arguments) {
        if (argument == u"DIR"_s)
            argument = catalogue.folder();
        else if (argument == u"OUT"_s)
            argument = catalogue.folder() + u"out.csv"_s;
        else if (argument.endsWith(u".csv"_s)) {
            // Beside the catalogue, where the refused rows are written too.
            const QString fixture = QStringLiteral(QUILLARY_SOURCE_DIR "/tests/fixtures/import/") + argument;
            argument = catalogue.folder() + argument;
            QFile::copy(fixture, argument);
        }
    }
    std::unique_ptr<Database> held = holdCatalogue ? catalogue.open() : nullptr;
    QProcess process;
    process.start(QStringLiteral(QUILLARY_BINARY_DIR "/tools/quillary-") + tool, arguments);
    QVERIFY(process.waitForFinished(60000));
    const QString output =
        QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    QFETCH(QString, says);
    QVERIFY2(output.contains(says), qPrintable(output));
    QTEST(process.exitCode(), "exitCode");
    held.reset();
    QTEST(int(nativeRows(*catalogue.open(), "SELECT BookID FROM Books").size()), "books");
}

QTEST_GUILESS_MAIN(TestImportTools)
#include "tst_import_tools.moc"
