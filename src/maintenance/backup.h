#pragma once

#include "maintenance/file_operations.h"

#include <QString>

// Copies the closed catalogue into folder as "quillary.mdb", replacing a file
// of that name. The copy is written under a temporary name, checked, forced
// onto the medium and only then renamed, so a full or pulled medium never
// leaves a file under the backup's name that is not a whole backup; an
// earlier backup there stays as it was until the new one is complete.
// Returns why it failed (naming the backup, "quillary.mdb"), or an empty text.
QString backupCatalogue(const QString& cataloguePath, const QString& folder,
                        FileOperations& files = systemFileOperations());

// The name the copy is written under until it is complete.
inline const QString PartialBackupSuffix = QStringLiteral(".partial");
