#include "common/program_identity.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

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

QStringList sorted(const QSet<QString>& set)
{
    QStringList list(set.begin(), set.end());
    list.sort();
    return list;
}

// The metadata's texts by element name, in document order; a url by its
// kind, as "url:homepage", and a release by its version.
QHash<QString, QStringList> metainfoValues(const QString& path)
{
    QFile file(path);
    QHash<QString, QStringList> values;
    if (!file.open(QIODevice::ReadOnly))
        return values;
    for (QXmlStreamReader xml(&file); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        if (name == u"release"_s)
            values[name] << xml.attributes().value(u"version"_s).toString();
        else if (name == u"url"_s)
            values[name + u':' + xml.attributes().value(u"type"_s)] << xml.readElementText();
        else if (name == u"id"_s || name == u"launchable"_s || name == u"binary"_s || name == u"image"_s)
            values[name] << xml.readElementText();
    }
    return values;
}

} // namespace

// The Debian package of this build as `cpack -G DEB` makes it, beside what
// `cmake --install` puts into a prefix.
class TestDebianPackage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void holdsWhatTheInstallPutsInPlaceAsDebianWants();
    void controlFields_data();
    void controlFields();
    void dependsOnThePackageOfEveryLibraryLinked();
    void metadataValidates();
    void metadataAgreesWithThePackage_data();
    void metadataAgreesWithThePackage();

private:
    QTemporaryDir m_work;
    QString m_deb;
    QStringList m_contents; // lines of `dpkg-deb --contents`
    QString packaged(const QString& path) const { return m_work.filePath(u"root/"_s + path); }
    QString controlField(const QString& field) const
    {
        return run(u"dpkg-deb"_s, {u"--field"_s, m_deb, field}).output.trimmed();
    }
};

void TestDebianPackage::initTestCase()
{
    for (const QString& tool : {u"dpkg-deb"_s, u"dpkg-shlibdeps"_s, u"appstreamcli"_s})
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(tool + u" is not installed (packages dpkg-dev, appstream)"_s));
    const QString build = QStringLiteral(QUILLARY_BINARY_DIR);
    const QList<QPair<QString, QStringList>> steps = {
        {QStringLiteral(QUILLARY_CMAKE_COMMAND), {u"--install"_s, build, u"--prefix"_s, m_work.filePath(u"prefix"_s)}},
        {QStringLiteral(QUILLARY_CPACK_COMMAND),
         {u"-G"_s, u"DEB"_s, u"--config"_s, build + u"/CPackConfig.cmake"_s, u"-B"_s, m_work.filePath(u"dist"_s)}},
    };
    for (const auto& [program, arguments] : steps) {
        const Run step = run(program, arguments);
        QVERIFY2(step.exitCode == 0, qPrintable(step.output));
    }
    const QStringList debs = QDir(m_work.filePath(u"dist"_s)).entryList({u"*.deb"_s});
    QCOMPARE(debs.size(), 1);
    m_deb = m_work.filePath(u"dist/"_s + debs.first());
    QCOMPARE(run(u"dpkg-deb"_s, {u"--extract"_s, m_deb, m_work.filePath(u"root"_s)}).exitCode, 0);
    m_contents = run(u"dpkg-deb"_s, {u"--contents"_s, m_deb}).output.split(u'\n', Qt::SkipEmptyParts);
}

// Whatever the project installs, now or later, comes along: the prefix is the
// manifest. Root owns every entry; the programs in bin/ are executable and
// nothing else is.
void TestDebianPackage::holdsWhatTheInstallPutsInPlaceAsDebianWants()
{
    QSet<QString> installed;
    const QDir prefix(m_work.filePath(u"prefix"_s));
    for (QDirIterator it(prefix.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        installed.insert(u"usr/"_s + prefix.relativeFilePath(it.next()));
    // "-rwxr-xr-x root/root 1234 2026-12-07 05:00 ./usr/bin/quillary"
    static const QRegularExpression entry(u"^(\\S)(\\S+)\\s+(\\S+)\\s+\\d+\\s+\\S+\\s+\\S+\\s+\\./(.*?)(?: -> .*)?$"_s);
    QSet<QString> files;
    for (const QString& line : std::as_const(m_contents)) {
        const QRegularExpressionMatch match = entry.match(line);
        QVERIFY2(match.hasMatch() && match.captured(3) == u"root/root"_s, qPrintable(line));
        const QString kind = match.captured(1), path = match.captured(4);
        const bool executable = kind == u"d"_s || kind == u"l"_s || path.startsWith(u"usr/bin/"_s);
        QVERIFY2(match.captured(2) == (executable ? u"rwxr-xr-x"_s : u"rw-r--r--"_s) || kind == u"l"_s,
                 qPrintable(line));
        if (kind != u"d"_s)
            files.insert(path);
    }
    QCOMPARE(sorted(installed - files), QStringList());
    QCOMPARE(sorted(files - installed),
             QStringList({u"usr/share/doc/quillary/changelog.gz"_s, u"usr/share/doc/quillary/copyright"_s}));
}

void TestDebianPackage::controlFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("name") << u"Package"_s << u"quillary"_s;
    QTest::newRow("the program's version") << u"Version"_s << QRegularExpression::escape(QUILLARY_VERSION ""_L1);
    QTest::newRow("for this machine")
        << u"Architecture"_s << run(u"dpkg"_s, {u"--print-architecture"_s}).output.trimmed();
    QTest::newRow("a maintainer to write to") << u"Maintainer"_s << u"[^<>]+ <[^@<> ]+@[^@<> ]+>"_s;
    QTest::newRow("the home page") << u"Homepage"_s << QRegularExpression::escape(ProgramWebAddress);
    QTest::newRow("a summary, then more") << u"Description"_s << u"catalogue of a private book collection\n .+"_s;
    QTest::newRow("the help page's opener") << u"Recommends"_s << u"xdg-utils"_s;
}

void TestDebianPackage::controlFields()
{
    QFETCH(QString, field);
    QFETCH(QString, pattern);
    const QString value = controlField(field);
    const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern),
                                   QRegularExpression::DotMatchesEverythingOption);
    QVERIFY2(whole.match(value).hasMatch(), qPrintable(field + u": "_s + value));
}

// The dependencies are worked out from the binaries, not written by hand:
// every library a packed binary needs is depended on, through the package
// that holds it, with a least version.
void TestDebianPackage::dependsOnThePackageOfEveryLibraryLinked()
{
    const QString depends = controlField(u"Depends"_s);
    static const QRegularExpression needed(u"\\(NEEDED\\)\\s+Shared library: \\[(.+)\\]"_s);
    int libraries = 0;
    for (QDirIterator it(packaged(u"usr"_s), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString binary = it.next();
        for (const QRegularExpressionMatch& library : needed.globalMatch(run(u"readelf"_s, {u"-d"_s, binary}).output)) {
            // "libc6:amd64: /lib/x86_64-linux-gnu/libm.so.6", one line per package holding it
            const Run owners = run(u"dpkg"_s, {u"--search"_s, u"*/"_s + library.captured(1)});
            bool dependedOn = false;
            for (const QString& owner : owners.output.split(u'\n', Qt::SkipEmptyParts)) {
                const QString package = QRegularExpression::escape(owner.section(u':', 0, 0));
                dependedOn |= QRegularExpression(u"(^|, )"_s + package + u" \\(>= "_s).match(depends).hasMatch();
            }
            QVERIFY2(dependedOn, qPrintable(binary + u" needs "_s + library.captured(1) + u"; Depends: "_s + depends));
            ++libraries;
        }
    }
    QVERIFY(libraries > 0);
}

// As a software centre reads it: the metadata, the menu entry it launches
// and the icon.
void TestDebianPackage::metadataValidates()
{
    const Run validate = run(u"appstreamcli"_s, {u"validate-tree"_s, u"--no-net"_s, m_work.filePath(u"root"_s)});
    static const QRegularExpression complaint(u"^[EW]: "_s, QRegularExpression::MultilineOption);
    QVERIFY2(validate.exitCode == 0 && !complaint.match(validate.output).hasMatch(), qPrintable(validate.output));
}

void TestDebianPackage::metadataAgreesWithThePackage_data()
{
    QTest::addColumn<QString>("element");
    QTest::addColumn<QString>("expected"); // %1 is the element's text
    QTest::newRow("the newest release") << u"release"_s << controlField(u"Version"_s);
    QTest::newRow("the home page") << u"url:homepage"_s << ProgramWebAddress;
    QTest::newRow("the file's name") << u"id"_s << u"usr/share/metainfo/%1.metainfo.xml"_s;
    QTest::newRow("the menu entry") << u"launchable"_s << u"usr/share/applications/%1"_s;
    QTest::newRow("the program") << u"binary"_s << u"usr/bin/%1"_s;
    QTest::newRow("the screenshots, from doc/") << u"image"_s << ProgramWebAddress + u"doc/"_s;
}

// The metadata is written by hand: what it names must be in the package, and
// its pictures in doc/.
void TestDebianPackage::metadataAgreesWithThePackage()
{
    QFETCH(QString, element);
    QFETCH(QString, expected);
    const QStringList files = QDir(packaged(u"usr/share/metainfo"_s)).entryList({u"*.xml"_s});
    QCOMPARE(files.size(), 1);
    const QStringList values = metainfoValues(packaged(u"usr/share/metainfo/"_s + files.first())).value(element);
    QVERIFY2(!values.isEmpty(), qPrintable(element));
    if (!expected.contains(u"%1"_s) && !expected.endsWith(u"doc/"_s))
        QCOMPARE(values.first(), expected); // the newest release comes first
    for (const QString& value : values) {
        if (expected.contains(u"%1"_s))
            QVERIFY2(QFile::exists(packaged(expected.arg(value))), qPrintable(expected.arg(value)));
        if (expected.endsWith(u"doc/"_s))
            QVERIFY2(value.startsWith(expected) &&
                         QFile::exists(QUILLARY_SOURCE_DIR "/doc/"_L1 + value.mid(expected.size())),
                     qPrintable(value));
    }
}

QTEST_MAIN(TestDebianPackage)
#include "tst_debian_package.moc"
