#include "common/program_identity.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// What the program wrote, to standard output and error.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(240000);
    return QString::fromUtf8(process.readAll());
}

// The files under folder, as sorted paths relative to it.
QStringList filesUnder(const QString& folder)
{
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

// The Debian package of this build as `cpack -G DEB` makes it, beside what
// `cmake --install` puts into a prefix.
class TestDebianPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void holdsWhatTheInstallPutsInPlace();
    void controlFields_data();
    void controlFields();
    void metadataValidates();
    void everyProgramHasItsPage();

private:
    QTemporaryDir m_work;
    QString m_deb;
    QString controlField(const QString& field) const
    {
        return run(u"dpkg-deb"_s, {u"-f"_s, m_deb, field}).trimmed();
    }
    QString metadata() const
    {
        QFile file(m_work.filePath(u"root/usr/share/metainfo/org.example.quillary.metainfo.xml"_s));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

void TestDebianPackage::initTestCase()
{
    for (const QString& tool : {u"dpkg-deb"_s, u"dpkg-shlibdeps"_s, u"appstreamcli"_s})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + u" is not installed (packages dpkg-dev, appstream)"_s));
    const QString build = QStringLiteral(QUILLARY_BINARY_DIR);
    run(QStringLiteral(QUILLARY_CMAKE_COMMAND),
        {u"--install"_s, build, u"--prefix"_s, m_work.filePath(u"prefix"_s)});
    const QString pack = run(QStringLiteral(QUILLARY_CPACK_COMMAND),
                             {u"-G"_s, u"DEB"_s, u"--config"_s, build + u"/CPackConfig.cmake"_s, u"-B"_s,
                              m_work.filePath(u"dist"_s)});
    const QStringList debs = QDir(m_work.filePath(u"dist"_s)).entryList({u"*.deb"_s});
    QVERIFY2(debs.size() == 1, qPrintable(pack));
    m_deb = m_work.filePath(u"dist/"_s + debs.first());
    run(u"dpkg-deb"_s, {u"--extract"_s, m_deb, m_work.filePath(u"root"_s)});
}

// Whatever the project installs, now or later, comes along: the prefix is the
// manifest. Debian wants a copyright notice and a changelog besides, and
// lintian its overrides.
void TestDebianPackage::holdsWhatTheInstallPutsInPlace()
{
    QStringList packed = filesUnder(m_work.filePath(u"root/usr"_s));
    QVERIFY(packed.removeOne(u"share/doc/quillary/copyright"_s) &&
            packed.removeOne(u"share/doc/quillary/changelog.gz"_s) &&
            packed.removeOne(u"share/lintian/overrides/quillary"_s));
    QCOMPARE(packed, filesUnder(m_work.filePath(u"prefix"_s)));
}

// Where the metadata says the same, it must agree: it is written by hand.
void TestDebianPackage::controlFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("inMetadata"); // the first capture must be the field's value
    QTest::newRow("the program's version")
        << u"Version"_s << QRegularExpression::escape(QUILLARY_VERSION ""_L1)
        << u"<release version=\"([^\"]+)\""_s; // the newest comes first
    QTest::newRow("the home page") << u"Homepage"_s << QRegularExpression::escape(ProgramWebAddress)
                                   << u"<url type=\"homepage\">([^<]+)<"_s;
    // Worked out from the binaries (dpkg-shlibdeps), so each with its least version.
    for (const QString& library : {u"libqt6widgets6"_s, u"libsqlite3-0"_s, u"libmdb3"_s})
        QTest::addRow("depends on %s", qPrintable(library))
            << u"Depends"_s << u"(.+, )?%1 \\(>= [^)]+\\)(, .+)?"_s.arg(library) << QString();
}

void TestDebianPackage::controlFields()
{
    QFETCH(QString, field);
    QFETCH(QString, pattern);
    QFETCH(QString, inMetadata);
    const QString value = controlField(field);
    const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern),
                                   QRegularExpression::DotMatchesEverythingOption);
    QVERIFY2(whole.match(value).hasMatch(), qPrintable(field + u": "_s + value));
    if (!inMetadata.isEmpty())
        QCOMPARE(QRegularExpression(inMetadata).match(metadata()).captured(1), value);
}

// As a software centre reads it: the metadata, named after its id, the menu
// entry it launches and the icon. The screenshots are the pictures in doc/.
void TestDebianPackage::metadataValidates()
{
    const QString validation =
        run(u"appstreamcli"_s, {u"validate-tree"_s, u"--no-net"_s, m_work.filePath(u"root"_s)});
    QVERIFY2(validation.contains(u"Validation was successful"_s), qPrintable(validation));
    const QString pictures = ProgramWebAddress + u"doc/"_s;
    for (const auto& image : QRegularExpression(u"<image>([^<]+)<"_s).globalMatch(metadata()))
        QVERIFY2(image.captured(1).startsWith(pictures) &&
                     QFile::exists(QUILLARY_SOURCE_DIR "/doc/"_L1 + image.captured(1).mid(pictures.size())),
                 qPrintable(image.captured(1)));
}

// Every program the package puts on the PATH has a manual page (Debian
// wants one of each) and is one the metadata says it provides; the
// collation beside them is loaded, never run.
void TestDebianPackage::everyProgramHasItsPage()
{
    const QDir bin(m_work.filePath(u"root/usr/bin"_s));
    const QStringList programs = bin.entryList(QDir::Files | QDir::Executable, QDir::Name);
    QCOMPARE(programs,
             (QStringList{u"quillary"_s, u"quillary-convert"_s, u"quillary-export"_s, u"quillary-import"_s}));
    QStringList provided;
    for (const auto& binary : QRegularExpression(u"<binary>([^<]+)<"_s).globalMatch(metadata()))
        provided << binary.captured(1);
    provided.sort();
    QCOMPARE(provided, programs);
    for (const QString& program : programs) {
        const QFileInfo page(m_work.filePath(u"root/usr/share/man/man1/%1.1.gz"_s.arg(program)));
        QVERIFY2(page.isFile() && page.size() > 0, qPrintable(program));
    }
}

QTEST_MAIN(TestDebianPackage)
#include "tst_debian_package.moc"
