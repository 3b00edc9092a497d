#include "maintenance/backup.h"

#include "database/catalogue_file_check.h"
#include "maintenance/maintenance_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// On a medium that ignores case, "quillary.mdb" in the catalogue's own folder
// is the catalogue itself.
bool sameFile(const QString& a, const QString& b)
{
    struct stat first
    {
    };
    struct stat second
    {
    };
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

} // namespace

QString backupCatalogue(const QString& cataloguePath, const QString& folder, FileOperations& files)
{
    if (HeldCatalogueFiles::isHeld(cataloguePath))
        return u"the catalogue is open"_s;
    if (!QFileInfo(folder).isDir())
        return u"the folder '%1' does not exist"_s.arg(QDir::toNativeSeparators(folder));
    const QString target = QDir(folder).filePath(BackupFileName);
    if (sameFile(cataloguePath, target))
        return u"the backup would replace the catalogue itself"_s;
    const QString partial = target + PartialBackupSuffix;

    (void)files.remove(partial); // left by an earlier attempt
    QString failure = files.copyDatabase(cataloguePath, partial);
    if (failure.isEmpty())
        failure = files.finish(partial, target);
    if (failure.isEmpty())
        return {};
    (void)files.remove(partial);
    // The copy under its temporary name is the backup the user asked for.
    return failure.replace(QDir::toNativeSeparators(partial), QDir::toNativeSeparators(target));
}
