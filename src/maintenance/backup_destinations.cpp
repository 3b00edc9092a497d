#include "maintenance/backup_destinations.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Directly below: /media/jane/STICK is jane's, /media/joe/STICK is not.
bool isDirectlyBelowOneOf(const QString& path, const QStringList& folders)
{
    const QString parent = QFileInfo(QDir::cleanPath(path)).path();
    return std::any_of(folders.cbegin(), folders.cend(),
                       [&parent](const QString& folder) { return QDir::cleanPath(folder) == parent; });
}

QString volumeLabel(const MountedVolume& volume)
{
    const QString where = QDir::toNativeSeparators(volume.mountPoint);
    return volume.name.isEmpty() || volume.name == volume.mountPoint ? where
                                                                     : u"%1 (%2)"_s.arg(volume.name, where);
}

QString currentUser()
{
    const QString user = qEnvironmentVariable("USER");
    return user.isEmpty() ? QDir::home().dirName() : user;
}

} // namespace

QStringList removableMediaFolders(const QString& user)
{
    return {u"/media/"_s + user, u"/media"_s, u"/run/media/"_s + user};
}

QList<BackupDestination> backupDestinations(const QList<MountedVolume>& volumes,
                                            const QStringList& mediaFolders, const QString& home)
{
    QList<MountedVolume> media;
    for (const MountedVolume& volume : volumes) {
        if (volume.writable && isDirectlyBelowOneOf(volume.mountPoint, mediaFolders))
            media.append(volume);
    }
    std::sort(media.begin(), media.end(),
              [](const MountedVolume& a, const MountedVolume& b) { return a.mountPoint < b.mountPoint; });
    QList<BackupDestination> destinations;
    for (const MountedVolume& volume : media)
        destinations.append({volumeLabel(volume), volume.mountPoint});
    destinations.append({u"Home folder (%1)"_s.arg(QDir::toNativeSeparators(home)), home});
    destinations.append({OtherFolderLabel, QString()});
    return destinations;
}

QList<BackupDestination> currentBackupDestinations()
{
    QList<MountedVolume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
        if (storage.isValid() && storage.isReady())
            volumes.append({storage.rootPath(), storage.name(), !storage.isReadOnly()});
    }
    return backupDestinations(volumes, removableMediaFolders(currentUser()), QDir::homePath());
}
