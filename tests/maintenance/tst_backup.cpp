#include "catalogue/catalogue_state.h"
#include "catalogue/sample_catalogue.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "maintenance/backup.h"
#include "maintenance/backup_destinations.h"
#include "maintenance/maintenance_files.h"
#include "support/failing_file_operations.h"
#include "support/failing_file_system.h"
#include "support/file_contents.h"
#include "support/temporary_catalogue.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Operation = FailingFileOperations::Operation;
using Call = FailingFileSystem::Call;

namespace {

// What lies in the backup folder beforehand.
enum class Before {
    Nothing,
    OlderBackup,
    PartialCopy,
    FolderUnderPartialName,
    CatalogueItself,
    WriteAheadLog
};
const QString Partial = BackupFileName + PartialBackupSuffix;

struct Fixture
{
    TemporaryCatalogue catalogue{SampleOptions{60, 15, 3, false}};
    QTemporaryDir medium;
    QByteArray catalogueBytes = fileBytes(catalogue.path());

    QString onMedium(const QString& name) const { return medium.filePath(name); }
    QString backup() const { return onMedium(BackupFileName); }
    QStringList mediumFiles() const
    {
        return QDir(medium.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }

    void prepare(Before before)
    {
        switch (before) {
        case Before::Nothing:
            break;
        case Before::OlderBackup:
            QFile::copy(catalogue.path(), backup());
            executeNative(*Database::open(backup()), "DELETE FROM Books WHERE BookID > 10");
            break;
        case Before::PartialCopy:
            QVERIFY(writeFile(onMedium(Partial), "half a copy"));
            break;
        case Before::FolderUnderPartialName:
            QVERIFY(QDir(medium.path()).mkpath(Partial + u"/inside"_s));
            break;
        case Before::WriteAheadLog:
            executeNative(*catalogue.open(), "PRAGMA journal_mode=WAL; UPDATE Books SET Notes = 'logged'");
            catalogueBytes = fileBytes(catalogue.path());
            break;
        case Before::CatalogueItself:
            // A second name for the same file, as "quillary.mdb" beside
            // "Quillary.mdb" is on a medium that ignores case.
            QCOMPARE(::link(QFile::encodeName(catalogue.path()).constData(),
                            QFile::encodeName(backup()).constData()),
                     0);
            break;
        }
    }
};

} // namespace

Q_DECLARE_METATYPE(Before)
Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Call)
Q_DECLARE_METATYPE(QList<MountedVolume>)

class TestBackup : public QObject
{
    Q_OBJECT

private slots:
    void backupHoldsTheCatalogue_data();
    void backupHoldsTheCatalogue();
    void failedBackupKeepsWhatWasThere_data();
    void failedBackupKeepsWhatWasThere();
    void mediaFirstThenHomeThenOther_data();
    void mediaFirstThenHomeThenOther();
};

void TestBackup::backupHoldsTheCatalogue_data()
{
    QTest::addColumn<Before>("before");
    QTest::newRow("into an empty folder") << Before::Nothing;
    QTest::newRow("replacing an older backup") << Before::OlderBackup;
    QTest::newRow("over a copy an earlier attempt left") << Before::PartialCopy;
    QTest::newRow("of a catalogue kept with a write-ahead log") << Before::WriteAheadLog;
}

void TestBackup::backupHoldsTheCatalogue()
{
    QFETCH(Before, before);
    Fixture f;
    f.prepare(before);
    QCOMPARE(backupCatalogue(f.catalogue.path(), f.medium.path()), QString());
    QCOMPARE(f.mediumFiles(), QStringList{BackupFileName});
    QCOMPARE(contentsOf(f.backup()), contentsOf(f.catalogue.path()));
    QCOMPARE(fileBytes(f.catalogue.path()), f.catalogueBytes);
}

void TestBackup::failedBackupKeepsWhatWasThere_data()
{
    QTest::addColumn<Before>("before");
    QTest::addColumn<QString>("folderName");   // on the medium; empty: the medium itself
    QTest::addColumn<int>("failingOperation"); // -1: none injected
    QTest::addColumn<bool>("catalogueOpen");
    QTest::addColumn<QString>("reasonPart");
    QTest::addColumn<Call>("fullDisk"); // the step that finds the medium full; the backup is named

    const auto none = -1;
    QTest::newRow("a folder that does not exist")
        << Before::Nothing << u"not there"_s << none << false << u"does not exist"_s << Call::None;
    QTest::newRow("the temporary name taken by a folder")
        << Before::FolderUnderPartialName << QString() << none << false << u"already exists"_s << Call::None;
    QTest::newRow("a full medium") << Before::OlderBackup << QString() << int(Operation::CopyDatabase)
                                   << false << FailingFileOperations::InjectedFailure << Call::None;
    QTest::newRow("the medium is full: the copy cannot be synced")
        << Before::OlderBackup << QString() << none << false << BackupFileName + u"'."_s << Call::Fsync;
    QTest::newRow("the medium is full: the copy cannot be renamed")
        << Before::OlderBackup << QString() << none << false << BackupFileName + u"'."_s << Call::Rename;
    QTest::newRow("the catalogue under the backup's name")
        << Before::CatalogueItself << QString() << none << false << u"the catalogue itself"_s << Call::None;
    QTest::newRow("the catalogue is open")
        << Before::OlderBackup << QString() << none << true << u"is open"_s << Call::None;
}

// A failed backup leaves the catalogue, and any earlier backup, exactly as
// they were, and no partial copy.
void TestBackup::failedBackupKeepsWhatWasThere()
{
    QFETCH(Before, before);
    QFETCH(QString, folderName);
    QFETCH(int, failingOperation);
    QFETCH(bool, catalogueOpen);
    QFETCH(QString, reasonPart);
    QFETCH(Call, fullDisk);

    Fixture f;
    f.prepare(before);
    const QString folder = folderName.isEmpty() ? f.medium.path() : f.onMedium(folderName);
    const QStringList filesBefore = f.mediumFiles();
    const QByteArray backupBefore = fileBytes(f.backup());
    FailingFileOperations files;
    if (failingOperation >= 0)
        files.failAt(Operation(failingOperation), Partial);
    std::unique_ptr<Database> held = catalogueOpen ? f.catalogue.open() : nullptr;
    const FailingFileSystem medium(fullDisk, ENOSPC, 0, true);

    const QString reason = backupCatalogue(f.catalogue.path(), folder, files);
    held.reset();
    QVERIFY2(reason.contains(reasonPart), qPrintable(reason));
    QCOMPARE(f.mediumFiles(), filesBefore);
    QCOMPARE(fileBytes(f.backup()), backupBefore);
    QCOMPARE(fileBytes(f.catalogue.path()), f.catalogueBytes);
}

void TestBackup::mediaFirstThenHomeThenOther_data()
{
    QTest::addColumn<QList<MountedVolume>>("volumes");
    QTest::addColumn<QStringList>("offered"); // label, then folder after "=" (none for another folder)

    const QList<MountedVolume> system{{u"/"_s, QString(), true},
                                      {u"/boot"_s, u"boot"_s, true},
                                      {u"/home"_s, QString(), true},
                                      {u"/run/user/1000"_s, QString(), true}};
    const QString home = u"Home folder (/home/jane)=/home/jane"_s;
    const QString other = OtherFolderLabel + u'=';
    QTest::newRow("no medium") << system << QStringList{home, other};
    QTest::newRow("a stick and a card, by where they are mounted")
        << system + QList<MountedVolume>{{u"/media/jane/STICK"_s, u"STICK"_s, true},
                                         {u"/media/jane/CARD"_s, u"CARD"_s, true}}
        << QStringList{u"CARD (/media/jane/CARD)=/media/jane/CARD"_s,
                       u"STICK (/media/jane/STICK)=/media/jane/STICK"_s, home, other};
    QTest::newRow("mounted under /run/media, and straight under /media without a label")
        << QList<MountedVolume>{{u"/run/media/jane/USB"_s, u"USB"_s, true},
                                {u"/media/usb0"_s, QString(), true}}
        << QStringList{u"/media/usb0=/media/usb0"_s, u"USB (/run/media/jane/USB)=/run/media/jane/USB"_s, home,
                       other};
    QTest::newRow("read-only discs, other users' media and deeper folders are left out")
        << QList<MountedVolume>{{u"/media/jane/DVD"_s, u"DVD"_s, false},
                                {u"/media/joe/STICK"_s, u"STICK"_s, true},
                                {u"/run/media/joe/USB"_s, u"USB"_s, true},
                                {u"/media/jane/STICK/inner"_s, u"inner"_s, true},
                                {u"/media/janet"_s, QString(), true}}
        << QStringList{u"/media/janet=/media/janet"_s, home, other};
}

void TestBackup::mediaFirstThenHomeThenOther()
{
    QFETCH(QList<MountedVolume>, volumes);
    QStringList got;
    for (const BackupDestination& destination :
         backupDestinations(volumes, removableMediaFolders(u"jane"_s), u"/home/jane"_s))
        got << destination.label + u'=' + destination.folder;
    QTEST(got, "offered");
}

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
