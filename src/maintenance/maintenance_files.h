#pragma once

#include <QString>

// The names of the files backup and compaction write beside the catalogue or
// on the backup medium.
inline const QString CompactedCopyFileName = QStringLiteral("booknew.mdb");
inline const QString SetAsideFileName =
    QStringLiteral("bookdb.bak"); // the catalogue before the last compaction
inline const QString BackupFileName = QStringLiteral("quillary.mdb");
