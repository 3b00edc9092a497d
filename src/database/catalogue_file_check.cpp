#include "database/catalogue_file_check.h"

#include "database/db_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>

using namespace Qt::StringLiterals;

CatalogueFileKind inspectCatalogueFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return CatalogueFileKind::Missing;
    if (info.isDir())
        return CatalogueFileKind::Directory;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return CatalogueFileKind::Unreadable;
    const QByteArray header = file.read(32);
    if (header.isEmpty())
        return CatalogueFileKind::Empty;
    if (header.startsWith(QByteArrayView("SQLite format 3\0", 16)))
        return CatalogueFileKind::Sqlite;
    const QByteArray engine = header.mid(4, 15);
    if (engine == "Standard Jet DB" || engine == "Standard ACE DB")
        return CatalogueFileKind::JetOrAce;
    return CatalogueFileKind::Foreign;
}

bool isWritableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isWritable() && info.permissions().testFlag(QFileDevice::WriteOwner);
}

void checkCatalogueFile(const QString& path, bool forChanges)
{
    const QString shown = QDir::toNativeSeparators(path);
    switch (inspectCatalogueFile(path)) {
    case CatalogueFileKind::Missing:
        throw DbError(DbErrorNumber::FileNotFound, u"Could not find file '%1'."_s.arg(shown));
    case CatalogueFileKind::Directory:
        throw DbError(DbErrorNumber::CannotOpenFile,
                      u"Cannot open '%1': it is a folder, not a catalogue file."_s.arg(shown));
    case CatalogueFileKind::Unreadable:
        throw DbError(DbErrorNumber::CannotOpenFile,
                      u"Cannot open '%1': the file cannot be read (you may not have permission to read it)."_s.arg(
                          shown));
    case CatalogueFileKind::Empty:
        throw DbError(DbErrorNumber::NotADatabase,
                      u"Cannot open database '%1'. The file is empty: it is not a catalogue, or it is damaged."_s
                          .arg(shown));
    case CatalogueFileKind::Foreign:
        throw DbError(DbErrorNumber::NotADatabase,
                      u"Cannot open database '%1'. It is not a catalogue, or it is damaged."_s.arg(shown));
    case CatalogueFileKind::JetOrAce:
        throw DbError(DbErrorNumber::UnrecognizedFormat,
                      u"Unrecognized database format '%1'. It is a catalogue of the older kind, which must be "
                      u"converted before this program can open it."_s.arg(shown));
    case CatalogueFileKind::Sqlite:
        break;
    }
    if (!forChanges)
        return;
    if (!isWritableFile(path))
        throw DbError(DbErrorNumber::CannotOpenFile,
                      u"Cannot open '%1' for changes: the file is read-only. Allow writing to it, or copy the "
                      u"catalogue to a folder where you may change files."_s.arg(shown));
    const QString folder = QFileInfo(path).absolutePath();
    if (!isWritableFile(folder))
        throw DbError(DbErrorNumber::CannotOpenFile,
                      u"Cannot open '%1' for changes: its folder '%2' is read-only, and the catalogue needs to "
                      u"write a journal beside it. Allow writing to the folder, or move the catalogue."_s.arg(
                          shown, QDir::toNativeSeparators(folder)));
}

namespace {

QString heldKey(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QMutex heldMutex;
QSet<QString> heldFiles;

} // namespace

bool HeldCatalogueFiles::isHeld(const QString& path)
{
    QMutexLocker lock(&heldMutex);
    return heldFiles.contains(heldKey(path));
}

QString HeldCatalogueFiles::hold(const QString& path)
{
    QMutexLocker lock(&heldMutex);
    const QString key = heldKey(path);
    heldFiles.insert(key);
    return key;
}

void HeldCatalogueFiles::release(const QString& key)
{
    QMutexLocker lock(&heldMutex);
    heldFiles.remove(key);
}
