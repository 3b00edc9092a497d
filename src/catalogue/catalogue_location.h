#pragma once

#include <QString>

// The catalogue file in folder: Quillary.mdb, or, when there is none, the one
// file whose name is Quillary.mdb without regard to case (backups are written
// as quillary.mdb, and a case-sensitive file system tells the two apart).
// When no such file, or more than one, exists, the path of Quillary.mdb, where
// a new catalogue belongs.
QString catalogueFileIn(const QString& folder);
