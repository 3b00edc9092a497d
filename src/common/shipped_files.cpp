#include "common/shipped_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

#ifndef QUILLARY_DATA_FROM_PROGRAM
#define QUILLARY_DATA_FROM_PROGRAM "../share/quillary"
#endif

QStringList shippedFileFolders(const QString& programDir)
{
    if (programDir.isEmpty())
        return {};
    const QDir program(programDir);
    return {program.absolutePath(),
            QDir::cleanPath(program.absoluteFilePath(QStringLiteral(QUILLARY_DATA_FROM_PROGRAM)))};
}

QString shippedFilePath(const QString& relativePath, const QString& programDir)
{
    for (const QString& folder : shippedFileFolders(programDir)) {
        const QString path = QDir(folder).filePath(relativePath);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

QString shippedFilePath(const QString& relativePath)
{
    return shippedFilePath(relativePath, programFolder());
}

QString programFolder()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
}
