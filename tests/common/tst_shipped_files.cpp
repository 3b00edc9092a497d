#include "common/shipped_files.h"
#include "custom_reports/field_catalogue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Shipped files are found beside the program (the build folder) or in
// share/quillary/ of the prefix the program is installed in; a field
// catalogue in the data folder comes before either.
class TestShippedFiles : public QObject
{
    Q_OBJECT

private slots:
    void foundBesideOrInstalled_data();
    void foundBesideOrInstalled();
};

void TestShippedFiles::foundBesideOrInstalled_data()
{
    QTest::addColumn<QStringList>("files"); // below the temporary root
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<QString>("found"); // below the root; empty: not found

    const QString rptspec = u"rptspec.mdb"_s;
    const QString help = u"doc/quillary.htm"_s;
    QTest::newRow("beside the program")
        << QStringList{u"bin/rptspec.mdb"_s} << rptspec << u"bin/rptspec.mdb"_s;
    QTest::newRow("installed") << QStringList{u"share/quillary/rptspec.mdb"_s} << rptspec
                               << u"share/quillary/rptspec.mdb"_s;
    QTest::newRow("beside the program before installed")
        << QStringList{u"share/quillary/rptspec.mdb"_s, u"bin/rptspec.mdb"_s} << rptspec
        << u"bin/rptspec.mdb"_s;
    QTest::newRow("the help page in the build folder")
        << QStringList{u"bin/doc/quillary.htm"_s} << help << u"bin/doc/quillary.htm"_s;
    QTest::newRow("missing") << QStringList{u"share/rptspec.mdb"_s, u"rptspec.mdb"_s} << rptspec << QString();
    QTest::newRow("a folder of that name is no file")
        << QStringList{u"bin/rptspec.mdb/x"_s} << rptspec << QString();
    QTest::newRow("the user's own field catalogue first")
        << QStringList{u"data/rptspec.mdb"_s, u"bin/rptspec.mdb"_s} << u"<field catalogue>"_s
        << u"data/rptspec.mdb"_s;
}

void TestShippedFiles::foundBesideOrInstalled()
{
    QFETCH(QStringList, files);
    QFETCH(QString, wanted);
    QFETCH(QString, found);

    QTemporaryDir root;
    const QDir dir(root.path());
    dir.mkpath(u"bin"_s);
    dir.mkpath(u"data"_s);
    for (const QString& file : files) {
        dir.mkpath(QFileInfo(dir.filePath(file)).path());
        QFile(dir.filePath(file)).open(QIODevice::WriteOnly);
    }
    const QString program = dir.filePath(u"bin"_s);
    const QString result = wanted == u"<field catalogue>"_s
                               ? locateFieldCatalogue(dir.filePath(u"data"_s), program)
                               : shippedFilePath(wanted, program);
    QCOMPARE(result.isEmpty() ? QString() : QDir::cleanPath(result),
             found.isEmpty() ? QString() : dir.filePath(found));
}

QTEST_GUILESS_MAIN(TestShippedFiles)
#include "tst_shipped_files.moc"
