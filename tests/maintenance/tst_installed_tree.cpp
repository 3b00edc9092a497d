#include "custom_reports/field_catalogue.h"
#include "maintenance/help_page.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
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

QTEST_MAIN(TestInstalledTree)
#include "tst_installed_tree.moc"
