#include "maintenance/help_page.h"

#include "common/shipped_files.h"

#include <QDir>

QUrl helpPageUrl(const QString& programDir)
{
    const QString shipped = shippedFilePath(HelpPageRelativePath, programDir);
    return QUrl::fromLocalFile(shipped.isEmpty() ? QDir(programDir).filePath(HelpPageRelativePath) : shipped);
}

QUrl helpPageUrl()
{
    return helpPageUrl(programFolder());
}
