#pragma once

#include "booklist/book_list_columns.h"

#include <QCache>
#include <QString>
#include <QVariant>
#include <array>
#include <vector>

class Database;

// One book as the list shows it: its key and a value per column, as stored
// (the author put together as "Last, First"), Null where the book has none.
struct BookListRow
{
    qint64 key = -1;
    std::array<QVariant, BookListColumnCount> values;
    QString sortTitle; // what the title column orders by
};

// The books of the list in the chosen order, narrowed by the quick filter,
// without ever holding the table in memory: the keys of every book in order
// (8 bytes a book), the keys shown, and the rows lately read, by pages.
//
// Every column orders with ties broken by the sort title and then the key;
// descending is that order exactly reversed. Text orders as the catalogue's
// collation does. The filter keeps the order: it only leaves books out.
class BookListReader
{
public:
    // Rows are read this many at a time (a screen and a little), and this
    // many pages kept.
    static constexpr qsizetype PageSize = 48;
    static constexpr int CachedPages = 80;
    // A filter that narrows the one before reads the books it showed by key
    // rather than every book, when they are at most this many or a tenth.
    static constexpr qsizetype NarrowByKeys = 4096;

    // Reads the keys in title order. Throws DbError, as every read may.
    explicit BookListReader(Database& db);
    // Reads only the first firstRows keys in title order, so that a first
    // screen is shown at once: the list is then incomplete until
    // completeOrder(), which everything but row() and keyAt() calls first.
    BookListReader(Database& db, qsizetype firstRows);

    bool isComplete() const { return m_complete; }
    // Reads the keys of every book in the order.
    void completeOrder();

    void setOrder(BookListColumn column, bool descending);
    BookListColumn orderColumn() const { return m_column; }
    bool isDescending() const { return m_descending; }

    void setFilter(const QString& text);
    const QString& filterText() const { return m_filterText; }

    // The catalogue changed (a book stored, added or deleted): order and
    // filter are read again and the rows read so far forgotten.
    void reload();
    // Forgets the rows read so far (they are read again when asked for).
    void forgetRows() { m_rows.clear(); }

    qsizetype count() const { return qsizetype(shownKeys().size()); }
    // Every book of the catalogue; as many as read so far while incomplete.
    qsizetype totalBooks() const { return qsizetype(m_ordered.size()); }
    qint64 keyAt(qsizetype row) const { return shownKeys()[size_t(row)]; }
    // The row showing the book with key, or -1.
    qsizetype rowOf(qint64 key);
    // The keys shown, in their order.
    const std::vector<qint64>& shownKeys() const { return m_filtered ? m_shown : m_ordered; }

    // The book shown in row, read with the rows after it when not at hand.
    BookListRow row(qsizetype index);

    // Type-ahead: the first row (in the order shown) whose value in the
    // ordering column starts with typed, letters alone compared; -1 when there
    // is none, or when the list is ordered by a column that is not text. A
    // binary search, so a million books cost a few pages.
    qsizetype firstRowStartingWith(const QString& typed);

private:
    void readOrder();
    void applyFilter(const QString& previousText = QString());
    void readPage(qsizetype index);
    QString typeAheadText(qsizetype index);

    Database& m_db;
    BookListColumn m_column = BookListColumn::Title;
    bool m_descending = false;
    QString m_filterText;
    bool m_filtered = false;
    bool m_complete = true;
    std::vector<qint64> m_ordered; // every book, in the order
    std::vector<qint64> m_shown;   // those the filter lets through, when it is set
    QCache<qint64, BookListRow> m_rows;
};

// The keys of every book in the order of column: what the list and SQLite's
// ORDER BY over the same terms give alike.
std::vector<qint64> bookListOrder(Database& db, BookListColumn column, bool descending);
