#include "import/book_import.h"

#include "catalogue/duplicate_guard.h"
#include "catalogue/sort_title.h"
#include "common/safe_file_writer.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/stored_values.h"
#include "import/csv_text.h"
#include "import/lookup_entries.h"

#include <QDir>
#include <QFileInfo>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 RowsBetweenProgress = 256;

LookupField lookupFieldOf(BookField field)
{
    switch (field) {
    case BookField::Format:
        return LookupField::Format;
    case BookField::Series:
        return LookupField::Series;
    case BookField::Author:
        return LookupField::Author;
    case BookField::Publisher:
        return LookupField::Publisher;
    case BookField::Category:
        return LookupField::Category;
    case BookField::Owner:
        return LookupField::Owner;
    default:
        return LookupField::Location;
    }
}

StoredValue::ColumnKind columnKindOf(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Lookup:
    case FieldKind::WholeNumber:
        return StoredValue::ColumnKind::Integer;
    case FieldKind::Year:
        return StoredValue::ColumnKind::SmallInteger;
    case FieldKind::Price:
        return StoredValue::ColumnKind::Currency;
    case FieldKind::Date:
        return StoredValue::ColumnKind::DateTime;
    case FieldKind::Flag:
        return StoredValue::ColumnKind::Boolean;
    case FieldKind::Text:
        break;
    }
    return StoredValue::ColumnKind::Text;
}

// Adds books to Books with one prepared statement: every field's column and
// the title's sort key.
class BookInserter
{
public:
    BookInserter(Database& db, LookupEntries& lookups) : m_lookups(lookups), m_insert(db, insertStatement())
    {
    }

    qint64 insert(const ImportedBook& book)
    {
        int parameter = 1;
        for (const BookFieldInfo& info : bookFields()) {
            QVariant value = book[info.field];
            if (info.kind == FieldKind::Lookup)
                value = m_lookups.keyFor(lookupFieldOf(info.field), value.toString());
            m_insert.bind(parameter++, value.isNull() ? value
                                                      : StoredValue::forStorage(
                                                            value, columnKindOf(info.kind), info.column));
        }
        m_insert.bind(parameter, MakeSortTitle(book.text(BookField::Title)));
        m_insert.step();
        const qint64 key = m_insert.columnInt(0);
        m_insert.reset();
        return key;
    }

private:
    static QByteArray insertStatement()
    {
        QStringList columns;
        for (const BookFieldInfo& info : bookFields())
            columns.append(info.column);
        columns.append(u"SortTitle"_s);
        const QString marks = QString(u"?, "_s).repeated(columns.size() - 1) + u"?"_s;
        return u"INSERT INTO Books (%1) VALUES (%2) RETURNING BookID"_s.arg(columns.join(u", "_s), marks)
            .toUtf8();
    }

    LookupEntries& m_lookups;
    NativeStatement m_insert;
};

void rollBackQuietly(Database& db)
{
    try {
        db.rollback();
    } catch (const DbError&) {
    }
}

} // namespace

QString refusedRowsPathFor(const QString& path)
{
    const QFileInfo info(path);
    return info.dir().filePath(info.completeBaseName() + u"-refused.csv"_s);
}

BookImport::BookImport(const QString& path) : m_path(path), m_reader(path)
{
    TableRecord first;
    if (!m_reader.next(first))
        throw TableFileError(u"'%1' holds no rows."_s.arg(path));
    if (!first.problem.isEmpty())
        throw TableFileError(u"The first row of '%1' cannot be read: %2."_s.arg(path, first.problem));
    m_firstRow = first.cells;
    m_mapping = recogniseTable(m_firstRow);
}

void BookImport::walkRows(const ImportProgress& progress,
                          const std::function<void(const TableRecord&, const ConvertedRow&)>& visit)
{
    m_reader.rewind();
    TableRecord record;
    if (m_mapping.hasHeader())
        m_reader.next(record);
    qint64 rows = 0;
    while (m_reader.next(record)) {
        ConvertedRow row;
        if (record.problem.isEmpty())
            row = convertRow(record.cells, m_mapping);
        else
            row.refusal = record.problem;
        visit(record, row);
        if (++rows % RowsBetweenProgress == 0 && progress && !progress(m_reader.bytesRead(), m_reader.size()))
            throw ImportCancelled();
    }
}

ImportPlan BookImport::plan(Database& db, bool keepDuplicates, const ImportProgress& progress)
{
    const DuplicateGuard guard(db);
    ImportPlan plan;
    walkRows(progress, [&](const TableRecord& record, const ConvertedRow& row) {
        PlannedRow planned{record.line, row.book, row.refusal, std::nullopt};
        if (!row.refusal.isEmpty()) {
            ++plan.counts.refused;
            if (plan.refusals.size() < RefusalsKept)
                plan.refusals.append({record.line, row.refusal});
        } else {
            planned.duplicateOf = guard.match(row.book.text(BookField::Isbn), row.book.text(BookField::Title),
                                              row.book.text(BookField::Author));
            if (planned.duplicateOf && !keepDuplicates) {
                ++plan.counts.duplicates;
            } else {
                ++plan.counts.added;
                if (row.book.wrongIsbnCheckDigit)
                    ++plan.counts.wrongIsbns;
            }
        }
        if (plan.firstRows.size() < PlannedRowsKept)
            plan.firstRows.append(planned);
    });
    return plan;
}

ImportResult BookImport::write(Database& db, bool keepDuplicates, const QString& refusedPath,
                               const ImportProgress& progress)
{
    const DuplicateGuard guard(db);
    ImportResult result;
    std::unique_ptr<SafeFileWriter> refused;
    const auto writeRefused = [&](const TableRecord& record, const QString& reason) {
        if (!refused) {
            refused = std::make_unique<SafeFileWriter>(refusedPath);
            refused->openOrThrow();
            refused->write(Utf8ByteOrderMark);
            QStringList header = m_mapping.hasHeader() ? m_firstRow : QStringList();
            if (!header.isEmpty())
                refused->write(csvLine(header << u"Reason"_s));
        }
        refused->write(csvLine(QStringList(record.cells) << reason));
    };

    db.beginTransaction();
    try {
        LookupEntries lookups(db);
        BookInserter books(db, lookups);
        walkRows(progress, [&](const TableRecord& record, const ConvertedRow& row) {
            if (!row.refusal.isEmpty()) {
                ++result.counts.refused;
                writeRefused(record, row.refusal);
                return;
            }
            const ImportedBook& book = row.book;
            if (!keepDuplicates && guard.match(book.text(BookField::Isbn), book.text(BookField::Title),
                                               book.text(BookField::Author))) {
                ++result.counts.duplicates;
                return;
            }
            const qint64 key = books.insert(book);
            if (!result.firstBookId)
                result.firstBookId = key;
            ++result.counts.added;
            if (book.wrongIsbnCheckDigit)
                ++result.counts.wrongIsbns;
        });
        if (refused) {
            refused->commit();
            result.refusedFile = refusedPath;
        }
        db.commit();
    } catch (...) {
        rollBackQuietly(db);
        throw;
    }
    return result;
}
