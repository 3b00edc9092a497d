#include "booklist/book_list_reader.h"

#include "booklist/quick_filter.h"
#include "catalogue/book_order.h"
#include "database/database.h"
#include "database/native_sql.h"
#include "database/page_cache.h"
#include "database/sqlite_extensions.h"

#include <algorithm>
#include <utility>

namespace {

// The author, category and title orders are the main window's own, worked out
// without a sort of the whole join; they break ties by sort title and key as
// every other column does.
std::vector<qint64> keysInOrder(Database& db, BookListColumn column)
{
    switch (column) {
    case BookListColumn::Title:
        return BookOrder::orderedKeys(db, BookOrder::ByTitle);
    case BookListColumn::Author:
        return BookOrder::orderedKeys(db, BookOrder::ByAuthor);
    case BookListColumn::Category:
        return BookOrder::orderedKeys(db, BookOrder::ByCategory);
    default:
        break;
    }
    // A column of Books itself sorts without the joins, which SQLite would
    // otherwise walk for every book.
    const QByteArray& terms = bookListColumn(column).sortTerms;
    const QByteArray from = terms.startsWith("Books.") ? QByteArray("Books") : bookListJoins();
    // Sorting reads every book once: its pages are not worth keeping.
    const PageCache::OnePassHold onePass(db.handle());
    std::vector<qint64> keys;
    NativeStatement ordered(db, "SELECT Books.BookID FROM " + from + " ORDER BY " + terms +
                                    ", Books.SortTitle, Books.BookID");
    while (ordered.step())
        keys.push_back(ordered.columnInt(0));
    return keys;
}

QByteArray rowQuery()
{
    QByteArray sql = "SELECT Books.BookID, Books.SortTitle";
    for (int c = 0; c < BookListColumnCount; ++c)
        sql += ", " + bookListColumn(BookListColumn(c)).value;
    return sql + " FROM " + bookListJoins() + " WHERE Books.BookID = ?";
}

QVariant authorName(const QVariant& last, const QVariant& first)
{
    if (first.isNull() || first.toString().isEmpty())
        return last;
    return QString(last.toString() + QStringLiteral(", ") + first.toString());
}

// Membership of keys in an ascending list: a bitmap over their span when it
// is dense enough, a binary search otherwise.
class KeySet
{
public:
    explicit KeySet(const std::vector<qint64>& ascending) : m_keys(ascending)
    {
        if (ascending.empty())
            return;
        m_lowest = ascending.front();
        const qint64 span = ascending.back() - m_lowest + 1;
        if (m_lowest >= 0 && span <= qint64(ascending.size()) * 64 + 65536) {
            m_bits.assign(size_t(span), false);
            for (qint64 key : ascending)
                m_bits[size_t(key - m_lowest)] = true;
        }
    }

    bool contains(qint64 key) const
    {
        if (m_bits.empty())
            return std::binary_search(m_keys.begin(), m_keys.end(), key);
        const qint64 offset = key - m_lowest;
        return offset >= 0 && offset < qint64(m_bits.size()) && m_bits[size_t(offset)];
    }

private:
    const std::vector<qint64>& m_keys;
    qint64 m_lowest = 0;
    std::vector<bool> m_bits;
};

} // namespace

std::vector<qint64> bookListOrder(Database& db, BookListColumn column, bool descending)
{
    std::vector<qint64> keys = keysInOrder(db, column);
    if (descending)
        std::reverse(keys.begin(), keys.end());
    return keys;
}

BookListReader::BookListReader(Database& db) : m_db(db), m_rows(CachedPages * int(PageSize))
{
    readOrder();
}

// The title order's first keys come straight from its index.
BookListReader::BookListReader(Database& db, qsizetype firstRows)
    : m_db(db), m_complete(false), m_rows(CachedPages * int(PageSize))
{
    NativeStatement first(db, "SELECT BookID FROM Books ORDER BY SortTitle, BookID LIMIT ?");
    first.bindInt(1, firstRows);
    while (first.step())
        m_ordered.push_back(first.columnInt(0));
}

void BookListReader::completeOrder()
{
    if (m_complete)
        return;
    readOrder();
    m_complete = true;
}

void BookListReader::setOrder(BookListColumn column, bool descending)
{
    completeOrder();
    if (column == m_column && descending == m_descending)
        return;
    if (column == m_column) {
        // The same terms the other way round: no need to read them again.
        std::reverse(m_ordered.begin(), m_ordered.end());
        std::reverse(m_shown.begin(), m_shown.end());
        m_descending = descending;
        return;
    }
    m_column = column;
    m_descending = descending;
    readOrder();
    applyFilter();
}

void BookListReader::setFilter(const QString& text)
{
    if (text == m_filterText)
        return;
    const QString previous = std::exchange(m_filterText, text);
    completeOrder();
    applyFilter(previous);
}

void BookListReader::reload()
{
    forgetRows();
    readOrder();
    m_complete = true;
    applyFilter();
}

void BookListReader::readOrder()
{
    m_ordered = bookListOrder(m_db, m_column, m_descending);
}

// Typing on narrows what is shown: the books shown already are all that can
// pass, and when they are few they are read by key. previousText is the
// filter the books shown were chosen by, in this order and this catalogue;
// empty when they were not.
void BookListReader::applyFilter(const QString& previousText)
{
    const QuickFilter filter(m_filterText);
    const QuickFilter previous(previousText);
    m_filtered = !filter.isEmpty();
    if (m_filtered && !previous.isEmpty() &&
        (m_shown.size() <= size_t(NarrowByKeys) || m_shown.size() <= m_ordered.size() / 10) &&
        filter.narrows(previous)) {
        m_shown = filter.matchingAmong(m_db, m_shown);
        return;
    }
    m_shown.clear();
    if (!m_filtered) {
        m_shown.shrink_to_fit();
        return;
    }
    const std::vector<qint64> matching = filter.matchingBooks(m_db);
    const KeySet passes(matching);
    m_shown.reserve(matching.size());
    for (qint64 key : m_ordered)
        if (passes.contains(key))
            m_shown.push_back(key);
}

qsizetype BookListReader::rowOf(qint64 key)
{
    completeOrder();
    const std::vector<qint64>& keys = shownKeys();
    const auto found = std::find(keys.begin(), keys.end(), key);
    return found == keys.end() ? -1 : qsizetype(found - keys.begin());
}

BookListRow BookListReader::row(qsizetype index)
{
    const qint64 key = keyAt(index);
    if (!m_rows.contains(key))
        readPage(index);
    if (const BookListRow* cached = m_rows.object(key))
        return *cached;
    BookListRow missing; // deleted since the keys were read
    missing.key = key;
    return missing;
}

// The rows from index on that are not at hand, a page's worth: a view asks
// for the top row of a screen first, so this reads the screen in one go,
// whichever way it moved, and nothing it had already.
void BookListReader::readPage(qsizetype index)
{
    const qsizetype first = index;
    const qsizetype end = std::min(count(), first + PageSize);
    NativeStatement read(m_db, rowQuery());
    for (qsizetype i = first; i < end; ++i) {
        const qint64 key = keyAt(i);
        if (m_rows.contains(key))
            continue;
        read.reset();
        read.bindInt(1, key);
        if (!read.step())
            continue;
        auto* book = new BookListRow;
        book->key = key;
        book->sortTitle = read.columnText(1);
        int column = 2;
        for (int c = 0; c < BookListColumnCount; ++c) {
            if (BookListColumn(c) == BookListColumn::Author) {
                book->values[size_t(c)] = authorName(read.column(column), read.column(column + 1));
                column += 2;
            } else {
                book->values[size_t(c)] = read.column(column++);
            }
        }
        m_rows.insert(key, book);
    }
}

QString BookListReader::typeAheadText(qsizetype index)
{
    const BookListRow book = row(index);
    if (m_column == BookListColumn::Title)
        return book.sortTitle;
    return book.values[size_t(m_column)].toString();
}

qsizetype BookListReader::firstRowStartingWith(const QString& typed)
{
    if (typed.isEmpty() || bookListColumn(m_column).kind != ColumnKind::Text)
        return -1;
    // Rows whose start sorts before typed (after it, descending) come first,
    // then those that start with it.
    auto before = [&](qsizetype index) {
        const QString text = typeAheadText(index);
        const int order = compareNoCasePrimary(QStringView(text).left(typed.size()), typed);
        return m_descending ? order > 0 : order < 0;
    };
    qsizetype low = 0;
    qsizetype high = count();
    while (low < high) {
        const qsizetype middle = low + (high - low) / 2;
        if (before(middle))
            low = middle + 1;
        else
            high = middle;
    }
    if (low < count() && compareNoCasePrimary(QStringView(typeAheadText(low)).left(typed.size()), typed) == 0)
        return low;
    return -1;
}
