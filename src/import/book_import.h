#pragma once

#include "import/book_row.h"
#include "import/column_mapping.h"
#include "import/text_table_reader.h"

#include <QList>
#include <functional>
#include <optional>

class Database;

// Bringing a table of books into the catalogue: first a plan of what would
// happen, read from the whole file without writing anything, then the
// writing itself, all of it or nothing.

struct ImportCounts
{
    qint64 added = 0;      // books to add, or added
    qint64 duplicates = 0; // rows matching a stored book, skipped
    qint64 refused = 0;    // rows that cannot be stored
    qint64 wrongIsbns = 0; // rows whose ISBN has a wrong check digit (added all the same)
};

struct PlannedRow
{
    qint64 line = 0;
    ImportedBook book;
    QString refusal;                   // non-empty: the row is refused
    std::optional<qint64> duplicateOf; // a stored book it matches
};

struct RefusedRow
{
    qint64 line = 0;
    QString reason;
};

struct ImportPlan
{
    ImportCounts counts;
    QList<PlannedRow> firstRows; // the first rows of the table, as they would be stored
    QList<RefusedRow> refusals;  // the first refused rows
};

struct ImportResult
{
    ImportCounts counts;
    std::optional<qint64> firstBookId; // the first book added
    QString refusedFile;               // where the refused rows were written; empty when none were
};

// Keeps the work going: told how many bytes of how many are done, false
// stops it.
using ImportProgress = std::function<bool(qint64 done, qint64 total)>;

// The writing was stopped: nothing of it was kept.
struct ImportCancelled
{
};

class BookImport
{
public:
    static constexpr int PlannedRowsKept = 20;
    static constexpr int RefusalsKept = 200;

    // Opens the file and recognises its kind from the first row. Throws
    // TableFileError.
    explicit BookImport(const QString& path);

    const QString& path() const { return m_path; }
    TextEncoding encoding() const { return m_reader.encoding(); }
    QChar delimiter() const { return m_reader.delimiter(); }
    const QStringList& firstRow() const { return m_firstRow; }
    const ColumnMapping& mapping() const { return m_mapping; }
    // A mapping the user changed. Choosing no header row makes the first
    // row a book.
    void setMapping(const ColumnMapping& mapping) { m_mapping = mapping; }

    // What writing would do. Throws DbError.
    ImportPlan plan(Database& db, bool keepDuplicates, const ImportProgress& progress = {});

    // Adds the books in one transaction and writes the refused rows, with a
    // column giving the reason, to refusedPath (through the safe writer).
    // Throws ImportCancelled when progress says stop, DbError or
    // FileSaveError on a failure: either way the catalogue is left as it was.
    ImportResult write(Database& db, bool keepDuplicates, const QString& refusedPath,
                       const ImportProgress& progress = {});

private:
    // Walks the table's rows (after the header), converted.
    void walkRows(const ImportProgress& progress,
                  const std::function<void(const TableRecord&, const ConvertedRow&)>& visit);

    QString m_path;
    TextTableReader m_reader;
    QStringList m_firstRow;
    ColumnMapping m_mapping;
};

// Where the refused rows of path go: beside it, "<name>-refused.csv".
QString refusedRowsPathFor(const QString& path);
