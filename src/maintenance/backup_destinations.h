#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Where a backup can go, in the order the backup window offers them:
// mounted removable media first (USB sticks, memory cards), then the home
// folder, then "Other folder..." for a folder of the user's choosing.

struct MountedVolume
{
    QString mountPoint;
    QString name; // the volume's label; may be empty
    bool writable = true;
};

struct BackupDestination
{
    QString label;  // as the list shows it
    QString folder; // empty for "Other folder..."
};

inline const QString OtherFolderLabel = QStringLiteral("Other folder...");

// The folders under which the desktop mounts removable media for user.
QStringList removableMediaFolders(const QString& user);

// Writable volumes mounted directly below one of mediaFolders, by mount point, then
// home, then "Other folder...".
QList<BackupDestination> backupDestinations(const QList<MountedVolume>& volumes,
                                            const QStringList& mediaFolders, const QString& home);

// The same for this computer and user, as it is now.
QList<BackupDestination> currentBackupDestinations();
