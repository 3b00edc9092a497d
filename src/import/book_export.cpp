#include "import/book_export.h"

#include "catalogue/lookup_tables.h"
#include "common/safe_file_writer.h"
#include "database/native_sql.h"
#include "database/stored_values.h"
#include "import/book_fields.h"
#include "import/book_row.h"
#include "import/csv_text.h"

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 RowsBetweenProgress = 1024;

// Lookup fields give their names through the table's own join.
QString lookupJoins(QStringList& expressions)
{
    QString joins;
    for (const BookFieldInfo& info : bookFields()) {
        if (info.kind != FieldKind::Lookup) {
            expressions.append(u"b."_s + info.column);
            continue;
        }
        const QString alias = u"l"_s + QString::number(int(info.field));
        LookupField field = LookupField::Format;
        for (const LookupField candidate : AllLookupFields) {
            if (lookupTable(candidate).booksColumn == info.column)
                field = candidate;
        }
        const LookupTable& table = lookupTable(field);
        if (table.nameColumns.size() > 1)
            expressions.append(
                u"CASE WHEN %1.%2 IS NULL THEN NULL WHEN coalesce(%1.%3, '') = '' THEN %1.%2 "
                u"ELSE %1.%2 || ', ' || %1.%3 END"_s.arg(alias, table.nameColumns[0], table.nameColumns[1]));
        else
            expressions.append(alias + u'.' + table.nameColumns[0]);
        joins +=
            u" LEFT JOIN %1 %2 ON %2.%3 = b.%4"_s.arg(table.table, alias, table.keyColumn, table.booksColumn);
    }
    return joins;
}

QByteArray selectStatement(const QString& where, const QString& order)
{
    QStringList expressions;
    const QString joins = lookupJoins(expressions);
    return (u"SELECT "_s + expressions.join(u", "_s) + u" FROM Books b"_s + joins + where + order).toUtf8();
}

QStringList rowFields(const NativeStatement& row)
{
    QStringList fields;
    for (const BookFieldInfo& info : bookFields()) {
        const QVariant stored = row.column(int(info.field));
        QVariant value;
        switch (info.kind) {
        case FieldKind::Flag:
            value = !stored.isNull() &&
                    StoredValue::forProgram(stored, StoredValue::ColumnKind::Boolean).toBool();
            break;
        case FieldKind::Date:
            if (!stored.isNull())
                value =
                    StoredValue::forProgram(stored, StoredValue::ColumnKind::DateTime).toDateTime().date();
            break;
        case FieldKind::Price:
            if (!stored.isNull())
                value = StoredValue::forProgram(stored, StoredValue::ColumnKind::Currency).toDouble();
            break;
        default:
            value = stored;
        }
        fields.append(shownValue(info.field, value));
    }
    return fields;
}

class ExportFile
{
public:
    explicit ExportFile(const QString& path) : m_file(path)
    {
        m_file.openOrThrow();
        m_file.write(Utf8ByteOrderMark);
        QStringList header;
        for (const BookFieldInfo& info : bookFields())
            header.append(info.caption);
        m_file.write(csvLine(header));
    }
    void write(const NativeStatement& row) { m_file.write(csvLine(rowFields(row))); }
    void commit() { m_file.commit(); }

private:
    SafeFileWriter m_file;
};

} // namespace

qint64 exportBooks(Database& db, const std::vector<qint64>& bookKeys, const QString& path,
                   const ExportProgress& progress)
{
    NativeStatement book(db, selectStatement(u" WHERE b.BookID = ?"_s, QString()));
    ExportFile file(path);
    qint64 written = 0;
    for (size_t i = 0; i < bookKeys.size(); ++i) {
        book.bindInt(1, bookKeys[i]);
        if (book.step()) {
            file.write(book);
            ++written;
        }
        book.reset();
        if ((i + 1) % RowsBetweenProgress == 0 && progress &&
            !progress(qint64(i + 1), qint64(bookKeys.size())))
            return -1;
    }
    file.commit();
    return written;
}

QByteArray exportQuery()
{
    return selectStatement(QString(), u" ORDER BY b.SortTitle, b.BookID"_s);
}

qint64 exportAllBooks(Database& db, const QString& path, const ExportProgress& progress)
{
    qint64 total = 0;
    if (progress) {
        NativeStatement count(db, "SELECT count(*) FROM Books");
        count.step();
        total = count.columnInt(0);
    }
    NativeStatement books(db, exportQuery());
    ExportFile file(path);
    qint64 written = 0;
    while (books.step()) {
        file.write(books);
        if (++written % RowsBetweenProgress == 0 && progress && !progress(written, total))
            return -1;
    }
    file.commit();
    return written;
}
