#include "database/catalogue_file_check.h"

#include "database/db_error.h"
#include "database/sqlite_pages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <algorithm>
#include <limits>

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
    if (header.startsWith(QByteArrayView("SQLite format 3\0", 16))) {
        // SQLite would take a file shorter than one page for a new, empty
        // database and write a first page over it on the first transaction.
        const qint64 pageSize =
            header.size() >= 18 ? qint64(quint8(header[16])) << 8 | quint8(header[17]) : 0;
        const qint64 firstPage = pageSize == 1 ? 65536 : pageSize;
        if (firstPage < 512 || file.size() < firstPage)
            return CatalogueFileKind::TruncatedSqlite;
        return CatalogueFileKind::Sqlite;
    }
    const QByteArray engine = header.mid(4, 15);
    if (engine == "Standard Jet DB" || engine == "Standard ACE DB")
        return CatalogueFileKind::JetOrAce;
    file.close();
    const FileSource pages(path);
    if (pages.isOpen() && PageFile(pages).looksLikeDatabasePages())
        return CatalogueFileKind::DamagedSqlite;
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
        throw DbError(
            DbErrorNumber::CannotOpenFile,
            u"Cannot open '%1': the file cannot be read (you may not have permission to read it)."_s.arg(
                shown));
    case CatalogueFileKind::Empty:
        throw DbError(
            DbErrorNumber::NotADatabase,
            u"Cannot open database '%1'. The file is empty: it is not a catalogue, or it is damaged."_s.arg(
                shown));
    case CatalogueFileKind::Foreign:
        throw DbError(DbErrorNumber::NotADatabase,
                      u"Cannot open database '%1'. It is not a catalogue, or it is damaged."_s.arg(shown));
    case CatalogueFileKind::JetOrAce:
        throw DbError(
            DbErrorNumber::UnrecognizedFormat,
            u"Unrecognized database format '%1'. It is a catalogue of the older kind, which must be "
            u"converted before this program can open it."_s.arg(shown));
    case CatalogueFileKind::TruncatedSqlite:
        throw DbError(DbErrorNumber::NotADatabase,
                      u"Cannot open database '%1'. The file is cut short: it is damaged."_s.arg(shown));
    case CatalogueFileKind::DamagedSqlite:
        throw DbError(DbErrorNumber::NotADatabase,
                      u"Cannot open database '%1'. Its first page is damaged, but the pages after it are "
                      u"those of a database."_s.arg(shown));
    case CatalogueFileKind::Sqlite:
        break;
    }
    if (!forChanges)
        return;
    if (!isWritableFile(path))
        throw DbError(
            DbErrorNumber::CannotOpenFile,
            u"Cannot open '%1' for changes: the file is read-only. Allow writing to it, or copy the "
            u"catalogue to a folder where you may change files."_s.arg(shown));
    const QString folder = QFileInfo(path).absolutePath();
    if (!isWritableFile(folder))
        throw DbError(
            DbErrorNumber::CannotOpenFile,
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

namespace {

quint32 bigEndian32(const QByteArray& bytes, qsizetype at)
{
    if (at + 4 > bytes.size())
        return 0;
    return quint32(quint8(bytes[at])) << 24 | quint32(quint8(bytes[at + 1])) << 16 |
           quint32(quint8(bytes[at + 2])) << 8 | quint32(quint8(bytes[at + 3]));
}

qint64 pageSizeField(const QByteArray& header, qsizetype at)
{
    const quint32 value = bigEndian32(header, at);
    return value;
}

// The copy of the file's first page a rollback journal recorded, if it holds
// one in its first segment; empty otherwise.
QByteArray journalledFirstPage(QFile& journal)
{
    const QByteArray header = journal.read(28);
    static const QByteArray Magic("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
    if (header.size() < 28 || !header.startsWith(Magic))
        return {};
    const qint64 sectorSize = pageSizeField(header, 20);
    const qint64 pageSize = pageSizeField(header, 24);
    if (sectorSize < 32 || sectorSize > 65536 || pageSize < 512 || pageSize > 65536)
        return {};
    qint64 records = bigEndian32(header, 8);
    const qint64 recordSize = 4 + pageSize + 4;
    // Every record read lies inside the file: the loop ends with it.
    records = std::min(records == 0 ? std::numeric_limits<qint64>::max() : records,
                       (journal.size() - sectorSize) / recordSize);
    for (qint64 record = 0; record < records; ++record) {
        if (!journal.seek(sectorSize + record * recordSize))
            return {};
        const QByteArray page = journal.read(recordSize);
        if (page.size() < recordSize)
            return {};
        if (bigEndian32(page, 0) == 1)
            return page.mid(4, pageSize);
    }
    return {};
}

} // namespace

QString setAsideForeignJournal(const QString& path)
{
    const QString journalPath = path + u"-journal"_s;
    QFile journal(journalPath);
    QFile file(path);
    if (!journal.open(QIODevice::ReadOnly) || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray recorded = journalledFirstPage(journal);
    const QByteArray header = file.read(100);
    journal.close();
    if (recorded.size() < 100 || header.size() < 100)
        return {};
    // A transaction cut short leaves the file's first page as the journal
    // recorded it, or, once that page was written, with the change counter
    // one higher and stamped into its version field too. Anything else is a
    // journal of another file, or of another state of this one.
    const quint32 recordedCounter = bigEndian32(recorded, 24);
    const quint32 counter = bigEndian32(header, 24);
    const QByteArray firstPage = file.seek(0) ? file.read(recorded.size()) : QByteArray();
    const bool unwritten = firstPage == recorded;
    const bool written = counter == recordedCounter + 1 && bigEndian32(header, 92) == counter &&
                         recorded.mid(16, 2) == header.mid(16, 2) && recorded.mid(68, 4) == header.mid(68, 4);
    const bool belongs = unwritten || written;
    if (belongs)
        return {};
    QString keptAs = journalPath + u" (set aside)"_s;
    for (int n = 2; QFileInfo::exists(keptAs); ++n)
        keptAs = journalPath + u" (set aside %1)"_s.arg(n);
    if (!QFile::rename(journalPath, keptAs))
        throw DbError(
            DbErrorNumber::CannotOpenFile,
            u"Cannot open '%1': the rollback journal beside it belongs to another file and could not be "
            u"set aside. Move '%2' away, then start again."_s.arg(QDir::toNativeSeparators(path),
                                                                  QDir::toNativeSeparators(journalPath)));
    return keptAs;
}
