#include "booklist/book_list_export.h"

#include "booklist/book_list_columns.h"
#include "common/safe_file_writer.h"
#include "database/database.h"
#include "database/native_sql.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// RFC 4180: a field holding a comma, quote or line break is quoted, its
// quotes doubled.
QString csvField(const QString& text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

void writeLine(SafeFileWriter& file, const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted << csvField(field);
    file.write((quoted.join(u',') + u"\r\n"_s).toUtf8());
}

} // namespace

// A plain CSV of the list's columns, stored values as they are. Kept apart so
// that the catalogue's own CSV export can take its place.
void exportBooks(Database& db, const std::vector<qint64>& keys, const QString& path)
{
    QByteArray sql = "SELECT Books.BookID";
    QStringList header{u"BookID"_s};
    for (int c = 0; c < BookListColumnCount; ++c) {
        const BookListColumnInfo& column = bookListColumn(BookListColumn(c));
        sql += ", " + column.value;
        if (column.column == BookListColumn::Author)
            header << u"Author Last Name"_s << u"Author First Name"_s;
        else
            header << column.header;
    }
    NativeStatement read(db, sql + " FROM " + bookListJoins() + " WHERE Books.BookID = ?");
    SafeFileWriter file(path);
    file.openOrThrow();
    writeLine(file, header);
    for (qint64 key : keys) {
        read.reset();
        read.bindInt(1, key);
        if (!read.step())
            continue;
        QStringList fields;
        for (int c = 0; c < read.columnCount(); ++c)
            fields << read.column(c).toString();
        writeLine(file, fields);
    }
    file.commit();
}
