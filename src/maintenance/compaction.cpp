#include "maintenance/compaction.h"

#include "database/catalogue_file_check.h"
#include "maintenance/compacted_copy_check.h"
#include "maintenance/maintenance_files.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

struct CompactionFiles
{
    QString catalogue;
    QString folder;
    QString compactedCopy;
    QString setAside;

    explicit CompactionFiles(const QString& cataloguePath)
        : catalogue(cataloguePath), folder(QFileInfo(cataloguePath).absolutePath()),
          compactedCopy(QDir(folder).filePath(CompactedCopyFileName)),
          setAside(QDir(folder).filePath(SetAsideFileName))
    {
    }
};

CompactionResult unchanged(const QString& why)
{
    return {CompactionResult::Outcome::Unchanged,
            u"The database could not be compacted: %1. The catalogue was left as it was."_s.arg(why)};
}

// The copy is of no use once a step has failed, nor is a journal SQLite may
// have left beside it.
CompactionResult discardCopy(FileOperations& files, const CompactionFiles& names, const QString& why)
{
    (void)files.remove(names.compactedCopy);
    (void)files.remove(names.compactedCopy + u"-journal"_s);
    return unchanged(why);
}

CompactionResult renameFailed(FileOperations& files, const CompactionFiles& names, const QString& why)
{
    if (!QFileInfo::exists(names.catalogue)) {
        if (const QString failure = files.rename(names.setAside, names.catalogue); !failure.isEmpty()) {
            // Both files are kept: the catalogue as it was, and its good copy.
            return {
                CompactionResult::Outcome::SetAside,
                u"The database could not be compacted (%1), and the catalogue could not be put back under "
                u"its name (%2). It is kept as '%3'; rename it to '%4' to go on using it."_s.arg(
                    why, failure, QDir::toNativeSeparators(names.setAside),
                    QFileInfo(names.catalogue).fileName())};
        }
        (void)files.flush(names.folder);
    }
    return discardCopy(files, names, why);
}

QString stepFailure(const QString& step, const QString& why)
{
    return why.isEmpty() ? QString() : step + u" ("_s + why + u")"_s;
}

} // namespace

CompactionResult compactCatalogue(const QString& cataloguePath, FileOperations& files)
{
    if (HeldCatalogueFiles::isHeld(cataloguePath))
        return unchanged(u"it is open"_s);
    const CompactionFiles names(cataloguePath);
    const QString copyName = QFileInfo(names.compactedCopy).fileName();

    (void)files.remove(names.compactedCopy); // a copy left by an earlier attempt
    (void)files.remove(names.compactedCopy + u"-journal"_s);
    QString failure = stepFailure(u"the compacted copy could not be written"_s,
                                  files.compact(names.catalogue, names.compactedCopy));
    if (failure.isEmpty()) {
        const QString problem = checkCompactedCopy(names.catalogue, names.compactedCopy);
        failure = problem.isEmpty() ? QString() : u"the compacted copy is not sound: "_s + problem;
    }
    if (failure.isEmpty())
        failure =
            stepFailure(u"the compacted copy could not be saved to disk"_s, files.flush(names.compactedCopy));
    if (!failure.isEmpty())
        return discardCopy(files, names, failure);

    (void)files.remove(names.setAside);
    failure = stepFailure(u"the catalogue could not be renamed to '%1'"_s.arg(SetAsideFileName),
                          files.rename(names.catalogue, names.setAside));
    if (failure.isEmpty())
        failure = stepFailure(u"'%1' could not take the catalogue's place"_s.arg(copyName),
                              files.rename(names.compactedCopy, names.catalogue));
    if (!failure.isEmpty())
        return renameFailed(files, names, failure);
    // The new names reach the disk with the folder; until then a power cut
    // leaves the old names, which are as good.
    (void)files.flush(names.folder);
    return {};
}
