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

struct Run
{
    int exitCode = -1;
    QString output; // standard output and error
};

Run run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(240000) && process.exitStatus() == QProcess::NormalExit;
    return {finished ? process.exitCode() : -1, QString::fromUtf8(process.readAll())};
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

QStringList operator-(QStringList list, const QStringList& removed)
{
    list.removeIf([&removed](const QString& item) { return removed.contains(item); });
    return list;
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
    void dependsOnThePackageOfEveryLibraryLinked();
    void metadataValidates();

private:
    QTemporaryDir m_work;
    QString m_deb;
    QString packaged(const QString& path) const { return m_work.filePath(u"root/"_s + path); }
    QString controlField(const QString& field) const
    {
        return run(u"dpkg-deb"_s, {u"--field"_s, m_deb, field}).output.trimmed();
    }
    QString metadata() const
    {
        QFile file(packaged(u"usr/share/metainfo/org.example.quillary.metainfo.xml"_s));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

void TestDebianPackage::initTestCase()
{
    for (const QString& tool : {u"dpkg-deb"_s, u"dpkg-shlibdeps"_s, u"appstreamcli"_s})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + u" is not installed (packages dpkg-dev, appstream)"_s));
    const QString build = QStringLiteral(QUILLARY_BINARY_DIR);
    const Run install = run(QStringLiteral(QUILLARY_CMAKE_COMMAND),
                            {u"--install"_s, build, u"--prefix"_s, m_work.filePath(u"prefix"_s)});
    const Run pack = run(QStringLiteral(QUILLARY_CPACK_COMMAND),
                         {u"-G"_s, u"DEB"_s, u"--config"_s, build + u"/CPackConfig.cmake"_s, u"-B"_s,
                          m_work.filePath(u"dist"_s)});
    QVERIFY2(install.exitCode == 0 && pack.exitCode == 0, qPrintable(install.output + pack.output));
    const QStringList debs = QDir(m_work.filePath(u"dist"_s)).entryList({u"*.deb"_s});
    QCOMPARE(debs.size(), 1);
    m_deb = m_work.filePath(u"dist/"_s + debs.first());
    QCOMPARE(run(u"dpkg-deb"_s, {u"--extract"_s, m_deb, m_work.filePath(u"root"_s)}).exitCode, 0);
}

// Whatever the project installs, now or later, comes along: the prefix is the
// manifest.
void TestDebianPackage::holdsWhatTheInstallPutsInPlace()
{
    QCOMPARE(filesUnder(m_work.filePath(u"root/usr"_s)) - filesUnder(m_work.filePath(u"prefix"_s)),
             QStringList({u"share/doc/quillary/changelog.gz"_s, u"share/doc/quillary/copyright"_s}));
    QCOMPARE(filesUnder(m_work.filePath(u"prefix"_s)) - filesUnder(m_work.filePath(u"root/usr"_s)),
             QStringList());
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
    QTest::newRow("a maintainer to write to")
        << u"Maintainer"_s << u"[^<>]+ <[^@<> ]+@[^@<> ]+>"_s << QString();
    QTest::newRow("a summary, then more")
        << u"Description"_s << u"catalogue of a private book collection\n .+"_s << QString();
    QTest::newRow("the help page's opener") << u"Recommends"_s << u"xdg-utils"_s << QString();
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

// The dependencies are worked out from the binaries, not written by hand:
// every library a packed binary needs is depended on, through the package
// that holds it (with a least version where the library's package gives one;
// the sanitizers' runtimes give none).
void TestDebianPackage::dependsOnThePackageOfEveryLibraryLinked()
{
    const QString depends = controlField(u"Depends"_s);
    static const QRegularExpression needed(u"\\(NEEDED\\)\\s+Shared library: \\[(.+)\\]"_s);
    int libraries = 0;
    for (QDirIterator it(packaged(u"usr"_s), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString binary = it.next();
        for (const QRegularExpressionMatch& library :
             needed.globalMatch(run(u"readelf"_s, {u"-d"_s, binary}).output)) {
            // "libc6:amd64: /lib/x86_64-linux-gnu/libm.so.6", a line for each package holding it
            QStringList owners;
            for (const QString& line : run(u"dpkg"_s, {u"--search"_s, u"*/"_s + library.captured(1)})
                                           .output.split(u'\n', Qt::SkipEmptyParts))
                owners << QRegularExpression::escape(line.section(u':', 0, 0));
            const QRegularExpression dependency(u"(^|, )("_s + owners.join(u'|') +
                                                u")( \\(>= [^)]+\\))?(,|$)"_s);
            QVERIFY2(!owners.isEmpty() && dependency.match(depends).hasMatch(),
                     qPrintable(binary + u" needs "_s + library.captured(1) + u"; Depends: "_s + depends));
            ++libraries;
        }
    }
    QVERIFY(libraries > 0);
}

// As a software centre reads it: the metadata, named after its id, the menu
// entry it launches and the icon. The screenshots are the pictures in doc/.
void TestDebianPackage::metadataValidates()
{
    const Run validate =
        run(u"appstreamcli"_s, {u"validate-tree"_s, u"--no-net"_s, m_work.filePath(u"root"_s)});
    static const QRegularExpression complaint(u"^[EW]: "_s, QRegularExpression::MultilineOption);
    QVERIFY2(validate.exitCode == 0 && !complaint.match(validate.output).hasMatch(),
             qPrintable(validate.output));
    const QString pictures = ProgramWebAddress + u"doc/"_s;
    for (const QRegularExpressionMatch& image :
         QRegularExpression(u"<image>([^<]+)<"_s).globalMatch(metadata()))
        QVERIFY2(image.captured(1).startsWith(pictures) &&
                     QFile::exists(QUILLARY_SOURCE_DIR "/doc/"_L1 + image.captured(1).mid(pictures.size())),
                 qPrintable(image.captured(1)));
}

QTEST_MAIN(TestDebianPackage)
#include "tst_debian_package.moc"
