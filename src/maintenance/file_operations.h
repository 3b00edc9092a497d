#pragma once

#include <QString>

// The file-level steps of backup and compaction, behind one interface so that
// tests can make any single step fail. The real ones go through the program's
// one file writer (common/safe_file_writer.h). Every operation returns why it
// failed, or an empty text when it succeeded.
class FileOperations
{
public:
    virtual ~FileOperations() = default;

    // Removes a file; a file that is not there counts as removed.
    [[nodiscard]] virtual QString remove(const QString& path);
    // Renames in one step, replacing a file already at `to`.
    [[nodiscard]] virtual QString rename(const QString& from, const QString& to);
    // Forces a file, or a folder's list of names, onto the disk.
    [[nodiscard]] virtual QString flush(const QString& path);
    // Puts the complete file `written` in the place of `path` as every saved
    // file is put there: forced onto the disk, renamed, the folder forced
    // too; on failure `written` is removed and `path` left as it was.
    [[nodiscard]] virtual QString finish(const QString& written, const QString& path);
    // Writes a compacted copy of the closed database `source` to a new file;
    // a full disk is told as the copy's.
    [[nodiscard]] QString compact(const QString& source, const QString& destination);
    // Copies the closed database `source` into a new file (see database_copy.h).
    [[nodiscard]] virtual QString copyDatabase(const QString& source, const QString& destination);

protected:
    // SQLite's part of compact(). Throws DbError.
    virtual void writeCompactedCopy(const QString& source, const QString& destination);
};

// The real file system.
FileOperations& systemFileOperations();
