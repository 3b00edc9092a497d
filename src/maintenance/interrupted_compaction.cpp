#include "maintenance/interrupted_compaction.h"

#include "database/database.h"
#include "maintenance/maintenance_files.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

QString setAsidePath(const QString& cataloguePath)
{
    return QFileInfo(cataloguePath).absoluteDir().filePath(SetAsideFileName);
}

bool soundCatalogue(const QString& cataloguePath)
{
    try {
        const std::unique_ptr<Database> catalogue = Database::open(cataloguePath, Database::OpenMode::Shared);
        return isSoundDatabase(*catalogue, IntegrityCheck::Quick);
    } catch (const DbError&) {
        return false;
    }
}

} // namespace

bool catalogueSetAside(const QString& cataloguePath)
{
    return !QFileInfo::exists(cataloguePath) && QFileInfo(setAsidePath(cataloguePath)).isFile();
}

QString restoreSetAsideQuestion(const QString& cataloguePath)
{
    const QFileInfo catalogue(cataloguePath);
    return u"There is no catalogue '%1' in %2, but there is '%3', the catalogue as it was before it was last "
           u"compacted. Do you want to use it as the catalogue again?"_s.arg(
               catalogue.fileName(), QDir::toNativeSeparators(catalogue.absolutePath()), SetAsideFileName);
}

QString restoreSetAsideCatalogue(const QString& cataloguePath, FileOperations& files)
{
    if (QFileInfo::exists(cataloguePath))
        return u"'%1' exists already"_s.arg(QDir::toNativeSeparators(cataloguePath));
    const QString failure = files.rename(setAsidePath(cataloguePath), cataloguePath);
    if (failure.isEmpty())
        (void)files.flush(QFileInfo(cataloguePath).absolutePath());
    return failure;
}

bool removeLeftCompactedCopy(const QString& cataloguePath, FileOperations& files)
{
    const QString copy = QFileInfo(cataloguePath).absoluteDir().filePath(CompactedCopyFileName);
    const QStringList left{copy, copy + u"-journal"_s};
    const bool anyLeft = std::any_of(left.begin(), left.end(), [](const QString& path) {
        const QFileInfo info(path);
        return info.isFile() || info.isSymLink();
    });
    if (!anyLeft || !QFileInfo(cataloguePath).isFile() || !soundCatalogue(cataloguePath))
        return false;
    bool removed = false;
    for (const QString& path : left) {
        if (QFileInfo(path).isFile() && files.remove(path).isEmpty())
            removed = true;
    }
    if (removed)
        (void)files.flush(QFileInfo(cataloguePath).absolutePath());
    return removed;
}
