#pragma once

#include <QString>
#include <QUrl>

// The help page ships with the program as doc/quillary.htm (see
// common/shipped_files.h) and is shown by the desktop's own viewer.
inline const QString HelpPageRelativePath = QStringLiteral("doc/quillary.htm");

// The help page of the program that lives in programDir: the shipped file,
// or where it belongs beside the program when it is missing, so that the
// desktop reports the missing page.
QUrl helpPageUrl(const QString& programDir);
// The same for the running program.
QUrl helpPageUrl();
