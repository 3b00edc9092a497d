#pragma once

#include <QString>
#include <exception>

class FileSaveError;

// A failure of the database layer: an error number and the text shown to the
// user. The numbers follow the classic desktop database engine's numbering so
// that the error routine can tell the conditions apart:
//   3049 the file is not a catalogue or is damaged (repairable),
//   3168 / 3260 a record is locked (retried),
// and a few others that are simply reported (see db_error.cpp).
class DbError : public std::exception
{
public:
    DbError(int number, QString text);

    int number() const { return m_number; }
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_text;
    QByteArray m_what;
};

namespace DbErrorNumber {
inline constexpr int FileNotFound = 3024;      // "Could not find file '...'."
inline constexpr int DiskFull = 3026;          // "Not enough space on disk."
inline constexpr int ReadOnly = 3027;          // "Cannot update. Database or object is read-only."
inline constexpr int NoCurrentRecord = 3021;   // "No current record."
inline constexpr int UpdateWithoutEdit = 3020; // "Update or CancelUpdate without AddNew or Edit."
inline constexpr int DuplicateValue = 3022;    // unique key violated
inline constexpr int DiskError = 3043;         // "Disk or network error."
inline constexpr int AlreadyInUse = 3045;      // "Could not use '...'; file already in use."
inline constexpr int NotADatabase = 3049;      // "Cannot open database '...'. ..." (damaged or foreign)
inline constexpr int CannotOpenFile = 3051;    // no permission, read-only file or folder
inline constexpr int UnknownName = 3061;       // a column name the query does not know
inline constexpr int SyntaxError = 3075;       // "Syntax error in query expression '...'."
inline constexpr int TableNotFound = 3078;     // "Cannot find the input table or query '...'."
inline constexpr int RecordLocked = 3260;      // "Couldn't update; currently locked."
inline constexpr int LockedByOther = 3168;
inline constexpr int ItemNotFound = 3265;       // "Item not found in this collection." (field name)
inline constexpr int UnrecognizedFormat = 3343; // "Unrecognized database format '...'." (Jet/Access files)
inline constexpr int ObjectClosed = 3420;       // "Object invalid or no longer set."
inline constexpr int Operation = 3251;          // "Operation is not supported for this type of object."
inline constexpr int General = 3000;            // anything else, with the engine's own text
} // namespace DbErrorNumber

// A file that could not be saved (see common/safe_file_writer.h), as the
// error routine takes it: 3026 when the disk is full, 3051 otherwise, with
// the writer's text.
DbError fileSaveDbError(const FileSaveError& error);

// SQLite names the file of its connection when the disk is full; a file
// written under a temporary name, or through another connection, is named
// here as the user knows it. Other errors are returned as they are.
DbError writingFile(const DbError& error, const QString& path);
