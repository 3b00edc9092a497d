#pragma once

#include <QString>
#include <QStringList>

// Files that come with the program (the field catalogue, the help page):
// beside the program in the build folder, and under share/quillary/ of the
// prefix once installed (the program in bin/).

// The folders looked in, in order, for a program that lives in programDir.
QStringList shippedFileFolders(const QString& programDir);

// The first existing file at relativePath (such as "doc/quillary.htm") in
// those folders; empty when there is none.
QString shippedFilePath(const QString& relativePath, const QString& programDir);

// The same for the running program.
QString shippedFilePath(const QString& relativePath);

// The running program's own folder; empty without an application object.
QString programFolder();
