#pragma once

#include "database/database.h"
#include "support/temporary_catalogue.h"

#include <QFile>

// A file's bytes; empty when it cannot be read.
inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Schema and rows of the closed catalogue file at path (catalogueContents).
inline QStringList contentsOf(const QString& path)
{
    return catalogueContents(*Database::open(path, Database::OpenMode::Shared));
}
