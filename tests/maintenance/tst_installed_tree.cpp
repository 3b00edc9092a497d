#include "custom_reports/field_catalogue.h"
#include "maintenance/help_page.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// `cmake --install` of this build into a prefix of its own: what a user's
// machine gets.
class TestInstalledTree : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void holdsWhatShips_data();
    void holdsWhatShips();
    void desktopEntryIsValid();
    void manualPagesNameEveryOption_data();
    void manualPagesNameEveryOption();

private:
    QTemporaryDir m_prefix;
    QString installed(const QString& relative) const { return QDir(m_prefix.path()).filePath(relative); }
};

void TestInstalledTree::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(QUILLARY_CMAKE_COMMAND),
                  {u"--install"_s, QStringLiteral(QUILLARY_BINARY_DIR), u"--prefix"_s, m_prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitCode() == 0, install.readAll().constData());
}

void TestInstalledTree::holdsWhatShips_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("foundAs"); // how the installed program looks for it
    QTest::newRow("the program") << u"bin/quillary"_s << true << QString();
    QTest::newRow("the collation for other tools") << u"bin/quillary-collation.so"_s << false << QString();
    QTest::newRow("the field catalogue") << u"share/quillary/rptspec.mdb"_s << false << u"field catalogue"_s;
    QTest::newRow("the help page") << u"share/quillary/doc/quillary.htm"_s << false << u"help page"_s;
    QTest::newRow("the help page's picture") << u"share/quillary/doc/main-window.png"_s << false << QString();
    QTest::newRow("the manual page") << u"share/man/man1/quillary.1.gz"_s << false << QString();
    for (const char* tool : {"quillary-convert", "quillary-import", "quillary-export"}) {
        QTest::addRow("%s", tool) << u"bin/"_s + QLatin1StringView(tool) << true << QString();
        QTest::addRow("%s's manual page", tool)
            << u"share/man/man1/%1.1.gz"_s.arg(QLatin1StringView(tool)) << false << QString();
    }
    QTest::newRow("the software centre's metadata")
        << u"share/metainfo/org.example.quillary.metainfo.xml"_s << false << QString();
    QTest::newRow("the desktop entry") << u"share/applications/quillary.desktop"_s << false << QString();
    QTest::newRow("the icon, drawn") << u"share/icons/hicolor/scalable/apps/quillary.svg"_s << false
                                     << QString();
    QTest::newRow("the icon, rendered")
        << u"share/icons/hicolor/256x256/apps/quillary.png"_s << false << QString();
}

// The installed program looks from its own folder, bin/, with no field
// catalogue of the user's own.
void TestInstalledTree::holdsWhatShips()
{
    QFETCH(QString, path);
    QFETCH(QString, foundAs);
    const QFileInfo file(installed(path));
    QVERIFY2(file.isFile() && file.size() > 0, qPrintable(path));
    QTEST(file.isExecutable(), "executable");
    if (path.contains(u"256x256"_s))
        QCOMPARE(QImage(file.filePath()).size(), QSize(256, 256));
    const QString program = installed(u"bin"_s);
    QTemporaryDir emptyDataFolder;
    if (foundAs == u"help page"_s)
        QCOMPARE(QFileInfo(helpPageUrl(program).toLocalFile()).canonicalFilePath(), file.canonicalFilePath());
    if (foundAs == u"field catalogue"_s)
        QCOMPARE(QFileInfo(locateFieldCatalogue(emptyDataFolder.path(), program)).canonicalFilePath(),
                 file.canonicalFilePath());
}

void TestInstalledTree::desktopEntryIsValid()
{
    const QString validate = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
    if (validate.isEmpty())
        QSKIP("desktop-file-validate is not installed (package desktop-file-utils)");
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(validate, {installed(u"share/applications/quillary.desktop"_s)});
    QVERIFY(check.waitForFinished(60000));
    const QByteArray output = check.readAll();
    QVERIFY2(check.exitCode() == 0 && output.trimmed().isEmpty(), output.constData());
}

void TestInstalledTree::manualPagesNameEveryOption_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("hasHelp"); // lists its options for --help
    QTest::newRow("the program, which takes none") << u"quillary"_s << false;
    for (const char* tool : {"quillary-convert", "quillary-import", "quillary-export"})
        QTest::addRow("%s", tool) << QString::fromLatin1(tool) << true;
}

// Each manual page is the page of its program, of this version, and names
// exactly the options the program's own help lists, so that neither changes
// without the other.
void TestInstalledTree::manualPagesNameEveryOption()
{
    QFETCH(QString, program);
    QFETCH(bool, hasHelp);
    const auto options = [](const QString& text) {
        QStringList found;
        for (const auto& option : QRegularExpression(u"(?<![\\w-])--[a-z][a-z-]*"_s).globalMatch(text))
            found << option.captured();
        found.removeDuplicates();
        found.sort();
        return found;
    };
    QProcess gunzip;
    gunzip.start(u"gzip"_s,
                 {u"--decompress"_s, u"--stdout"_s, installed(u"share/man/man1/%1.1.gz"_s.arg(program))});
    QVERIFY(gunzip.waitForFinished(60000));
    QCOMPARE(gunzip.exitCode(), 0);
    // A hyphen that must stay one is \- in roff.
    const QString page = QString::fromUtf8(gunzip.readAllStandardOutput()).replace(u"\\-"_s, u"-"_s);
    QVERIFY2(
        page.startsWith(u".TH %1 1 \"\" \"Quillary %2\""_s.arg(program.toUpper(), QUILLARY_VERSION ""_L1)),
        qPrintable(page.section(u'\n', 0, 0)));
    QVERIFY2(page.contains(u"\n.B %1\n"_s.arg(program)), "no synopsis of the program");

    QStringList listed;
    if (hasHelp) {
        QProcess help;
        help.start(installed(u"bin/"_s + program), {u"--help"_s});
        QVERIFY(help.waitForFinished(60000));
        QCOMPARE(help.exitCode(), 0);
        listed = options(QString::fromUtf8(help.readAllStandardOutput()));
        QVERIFY2(listed.removeAll(u"--help-all"_s) == 1 && listed.contains(u"--help"_s),
                 qPrintable(listed.join(u' ')));
    }
    QCOMPARE(options(page), listed);
}

QTEST_MAIN(TestInstalledTree)
#include "tst_installed_tree.moc"
