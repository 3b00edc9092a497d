#include "common/shipped_files.h"
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
    void programFindsItsFiles_data();
    void programFindsItsFiles();
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
    QTest::newRow("the program") << u"bin/quillary"_s << true;
    QTest::newRow("the field catalogue") << u"share/quillary/rptspec.mdb"_s << false;
    QTest::newRow("the help page") << u"share/quillary/doc/quillary.htm"_s << false;
    QTest::newRow("the help page's picture") << u"share/quillary/doc/main-window.png"_s << false;
    QTest::newRow("the desktop entry") << u"share/applications/quillary.desktop"_s << false;
    QTest::newRow("the icon, drawn") << u"share/icons/hicolor/scalable/apps/quillary.svg"_s << false;
    QTest::newRow("the icon, rendered") << u"share/icons/hicolor/256x256/apps/quillary.png"_s << false;
}

void TestInstalledTree::holdsWhatShips()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    const QFileInfo file(installed(path));
    QVERIFY2(file.isFile() && file.size() > 0, qPrintable(path));
    QCOMPARE(file.isExecutable(), executable);
    if (path.contains(u"256x256"_s))
        QCOMPARE(QImage(file.filePath()).size(), QSize(256, 256));
}

void TestInstalledTree::programFindsItsFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("field catalogue") << u"rptspec"_s << u"share/quillary/rptspec.mdb"_s;
    QTest::newRow("help page") << u"help"_s << u"share/quillary/doc/quillary.htm"_s;
}

// As the installed program looks for them: from its own folder, bin/, with
// no field catalogue of the user's own.
void TestInstalledTree::programFindsItsFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    const QString program = installed(u"bin"_s);
    QTemporaryDir emptyDataFolder;
    const QString found = file == u"help"_s ? helpPageUrl(program).toLocalFile()
                                            : locateFieldCatalogue(emptyDataFolder.path(), program);
    QCOMPARE(QFileInfo(found).canonicalFilePath(), QFileInfo(installed(expected)).canonicalFilePath());
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
