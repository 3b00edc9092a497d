#include "import/jet_conversion.h"

#include "common/safe_file_writer.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "import/catalogue_import.h"
#include "import/isolated_run.h"
#include "import/jet_table_copy.h"
#include "import/mdb_file_source.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <filesystem>
#include <system_error>

using namespace Qt::StringLiterals;

namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

void refuseExisting(const QString& outputPath)
{
    const QFileInfo info(outputPath);
    if (info.exists() || info.isSymLink())
        throw ConversionError(
            u"'%1' already exists. A conversion only ever writes a new file: choose another "
            u"name, or move the existing file away first."_s.arg(shown(outputPath)));
    if (!info.absoluteDir().exists())
        throw ConversionError(u"The folder '%1' does not exist."_s.arg(shown(info.absolutePath())));
}

void removePartial(const QString& partial)
{
    QFile::remove(partial);
    QFile::remove(partial + u"-journal"_s);
}

// The new file is filled under `partial`; a full disk is named as the file
// asked for, `shownPath`.
ConversionReport fillNewFile(const QString& partial, const QString& shownPath,
                             const std::function<ConversionReport(Database&)>& fill)
{
    try {
        auto db = Database::create(partial);
        // Nothing under the temporary name needs to survive a crash (it is
        // thrown away then), so the filling waits for no disk: the file is
        // forced onto the disk once, when it is put in place.
        executeNative(*db, "PRAGMA journal_mode=MEMORY; PRAGMA synchronous=OFF");
        ConversionReport report = fill(*db);
        db->close();
        return report;
    } catch (const DbError& error) {
        throw ConversionError(
            u"The converted file could not be written: %1"_s.arg(writingFile(error, shownPath).text()));
    }
}

// Checks the finished file, forces it onto the disk and renames it, without
// ever replacing a file that appeared meanwhile.
void publish(const QString& partial, const QString& outputPath)
{
    try {
        finishWrittenFile(partial, outputPath, declaredSqliteFileSize(partial), false);
    } catch (const FileSaveError& error) {
        if (error.systemError() == EEXIST)
            throw ConversionError(
                u"The converted file could not be put in place as '%1' (a file of that name has "
                u"appeared meanwhile). Nothing was written there."_s.arg(shown(outputPath)));
        throw ConversionError(u"The converted file could not be saved: %1"_s.arg(error.text()));
    }
}

JetSourceOpener& sourceOpener()
{
    static JetSourceOpener opener;
    return opener;
}

std::unique_ptr<JetSource> openSource(const QString& path)
{
    if (sourceOpener())
        return sourceOpener()(path);
    return std::make_unique<MdbFileSource>(path);
}

void requireFieldCatalogue(const JetSource& source, const QString& sourceName)
{
    for (const JetTable& table : source.tables()) {
        if (table.name.compare(u"RptSpec"_s, Qt::CaseInsensitive) == 0)
            return;
    }
    throw ConversionError(
        u"'%1' is not a field catalogue: it has no table RptSpec."_s.arg(shown(sourceName)));
}

IsolationTexts isolationTexts(const QString& jetPath)
{
    return {
        u"'%1' could not be read: reading it failed on damaged data. The file is damaged, or it is not a "
        u"database this program can read. It was not changed."_s.arg(shown(jetPath)),
        u"'%1' could not be read: reading it stopped making progress, as happens with a damaged file. It was "
        u"not changed."_s.arg(shown(jetPath))};
}

// Reads the file in a child process and writes the new one under `partial`.
ConversionReport convertIsolated(const QString& jetPath, const QString& partial, const QString& shownAs,
                                 ConversionTarget target, std::chrono::milliseconds silenceLimit)
{
    const QByteArray answer = runIsolated(
        [&](const Heartbeat& heartbeat) {
            const std::unique_ptr<JetSource> source = openSource(jetPath);
            return fillNewFile(
                       partial, shownAs,
                       [&](Database& db) { return fillFromSource(*source, jetPath, db, target, heartbeat); })
                .serialized();
        },
        silenceLimit, isolationTexts(jetPath));
    return ConversionReport::deserialized(answer);
}

// A copy of the original saved as every file is: whole and on the disk
// before the converted file takes the original's name.
bool copyOriginal(const QString& path, const QString& kept)
{
    QFile original(path);
    if (!original.open(QIODevice::ReadOnly))
        return false;
    try {
        SafeFileWriter copy(kept);
        copy.openOrThrow();
        QByteArray piece;
        while (!(piece = original.read(1 << 20)).isEmpty()) {
            if (copy.write(piece) != piece.size())
                return false;
        }
        if (!original.atEnd())
            return false;
        copy.commit();
    } catch (const FileSaveError&) {
        return false;
    }
    return true;
}

// The original stays as it is, under a second name: a hard link where the
// file system has them (the very same file), a copy elsewhere.
void keepOriginal(const QString& path, const QString& kept)
{
    std::error_code error;
    std::filesystem::create_hard_link(nativePath(path), nativePath(kept), error);
    if (!error)
        syncFolder(QFileInfo(kept).absolutePath());
    else if (!copyOriginal(path, kept))
        throw ConversionError(
            u"The original '%1' could not be kept as '%2', so it was not converted. Check that "
            u"its folder can be written to and has room for a copy."_s.arg(shown(path), shown(kept)));
}

} // namespace

ConversionReport fillFromSource(JetSource& source, const QString& sourceName, Database& db,
                                ConversionTarget target, const Heartbeat& heartbeat)
{
    if (target == ConversionTarget::Catalogue)
        return copyCatalogue(source, sourceName, db, heartbeat);
    if (target == ConversionTarget::FieldCatalogue)
        requireFieldCatalogue(source, sourceName);
    return copyAllTables(source, db, heartbeat);
}

void setJetSourceOpener(JetSourceOpener opener)
{
    sourceOpener() = std::move(opener);
}

ConversionReport convertJetSource(JetSource& source, const QString& sourceName, const QString& outputPath,
                                  ConversionTarget target)
{
    refuseExisting(outputPath);
    const QString partial = temporaryPathBeside(outputPath);
    try {
        const ConversionReport report = fillNewFile(partial, outputPath, [&](Database& db) {
            return fillFromSource(source, sourceName, db, target, Heartbeat());
        });
        publish(partial, outputPath);
        return report;
    } catch (...) {
        removePartial(partial);
        throw;
    }
}

ConversionReport convertJetFile(const QString& jetPath, const QString& outputPath, ConversionTarget target,
                                std::chrono::milliseconds silenceLimit)
{
    refuseExisting(outputPath);
    const QString partial = temporaryPathBeside(outputPath);
    try {
        const ConversionReport report = convertIsolated(jetPath, partial, outputPath, target, silenceLimit);
        publish(partial, outputPath);
        return report;
    } catch (...) {
        removePartial(partial);
        throw;
    }
}

QString keptOriginalName(const QString& path)
{
    const QFileInfo info(path);
    const QString base = info.absoluteDir().filePath(info.completeBaseName() + u".jet"_s);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    QString candidate = base + suffix;
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = base + u'-' + QString::number(n) + suffix;
    return candidate;
}

InPlaceConversion convertJetFileInPlace(const QString& path, ConversionTarget target,
                                        std::chrono::milliseconds silenceLimit)
{
    const QString partial = temporaryPathBeside(path);
    InPlaceConversion result;
    try {
        result.report = convertIsolated(path, partial, path, target, silenceLimit);
        result.originalKeptAs = keptOriginalName(path);
        keepOriginal(path, result.originalKeptAs);
    } catch (...) {
        removePartial(partial);
        throw;
    }
    // One rename puts the new file in the original's place: at every moment
    // the name holds either the original or the complete new file.
    try {
        finishWrittenFile(partial, path, declaredSqliteFileSize(partial), true);
    } catch (const FileSaveError& error) {
        removePartial(partial);
        QFile::remove(result.originalKeptAs); // the second name of the untouched original
        throw ConversionError(
            u"The converted file could not take the place of '%1' (%2). The original was not "
            u"changed."_s.arg(shown(path), error.text()));
    }
    return result;
}
