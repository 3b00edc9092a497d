// The book list at the catalogue's size: its first screen, a jump to the end,
// a sort by a column without an index, a filter keystroke and the memory the
// list's reader holds. Beside each, SQLite reading the same rows or keys in
// the same order.
#include "bare_connection.h"
#include "bench_registry.h"
#include "sqlite_reads.h"

#include "booklist/book_list_columns.h"
#include "booklist/book_list_reader.h"
#include "database/database.h"

#include <map>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype ScreenRows = 40;

// The list as the window keeps it between runs: complete, in title order.
BookListReader& openList(BenchCatalogue& catalogue)
{
    static std::map<Database*, std::unique_ptr<BookListReader>> opened;
    auto& reader = opened[catalogue.db.get()];
    if (!reader)
        reader = std::make_unique<BookListReader>(*catalogue.db);
    return *reader;
}

void readScreen(BookListReader& reader, qsizetype first)
{
    for (qsizetype row = first; row < std::min(reader.count(), first + ScreenRows); ++row)
        if (reader.row(row).key < 0)
            throw std::runtime_error("row not read");
}

// The columns the list shows, read by SQLite in one statement on a connection
// of its own.
void sqliteScreen(BenchCatalogue& catalogue, const QByteArray& orderAndLimit)
{
    QByteArray sql = "SELECT Books.BookID, Books.SortTitle";
    for (int c = 0; c < BookListColumnCount; ++c)
        sql += ", " + bookListColumn(BookListColumn(c)).value;
    if (readAll(bareConnection(catalogue), sql + " FROM " + bookListJoins() + " " + orderAndLimit) == 0)
        throw std::runtime_error("SQLite read nothing");
}

void sqliteKeys(BenchCatalogue& catalogue, const QByteArray& sql, bool withLike = false)
{
    if (readAll(withLike ? bareConnectionWithLike(catalogue) : bareConnection(catalogue), sql) == 0)
        throw std::runtime_error("SQLite read nothing");
}

// Each run a new list: the first screen's keys from the title index and
// their rows.
void firstScreen(BenchCatalogue& catalogue)
{
    BookListReader reader(*catalogue.db, 200);
    readScreen(reader, 0);
}

// Every other run: which of two statements to time, so that neither the
// list nor SQLite finds the previous run's result at hand.
bool flip()
{
    static bool odd = false;
    odd = !odd;
    return odd;
}

// A screen the list has not read yet: the end, or the middle.
void jump(BenchCatalogue& catalogue, bool toEnd)
{
    BookListReader& reader = openList(catalogue);
    reader.setFilter(QString());
    reader.setOrder(BookListColumn::Title, false);
    reader.forgetRows();
    readScreen(reader, toEnd ? reader.count() - ScreenRows : reader.count() / 2);
}

// Year and cover price alternately: no index holds either.
void sortUnindexed(BenchCatalogue& catalogue)
{
    BookListReader& reader = openList(catalogue);
    reader.setFilter(QString());
    reader.setOrder(flip() ? BookListColumn::Year : BookListColumn::CoverPrice, false);
    readScreen(reader, 0);
}

QByteArray filterWord()
{
    return flip() ? "lig" : "ligh";
}

// One keystroke: the filter read anew for a word one letter longer or shorter.
void filterKeystroke(BenchCatalogue& catalogue)
{
    BookListReader& reader = openList(catalogue);
    reader.setOrder(BookListColumn::Title, false);
    reader.setFilter(QString::fromLatin1(filterWord()));
    readScreen(reader, 0);
}

void sqliteFilterScan(BenchCatalogue& catalogue)
{
    const QByteArray word = filterWord();
    QByteArray condition;
    for (const char* column : {"Books.Title", "Authors.LastName", "Authors.FirstName", "Series.SerDesc",
                               "Publishers.PubName", "Books.ISBN", "Books.Notes"})
        condition +=
            QByteArray(condition.isEmpty() ? "" : " OR ") + "quillary_like('*" + word + "*', " + column + ")";
    sqliteKeys(catalogue,
               "SELECT Books.BookID FROM Books LEFT JOIN Authors ON Authors.AuthID = Books.AuthID "
               "LEFT JOIN Series ON Series.SerID = Books.SerID LEFT JOIN Publishers ON "
               "Publishers.PubID = Books.PubID WHERE " +
                   condition + " ORDER BY Books.SortTitle",
               true);
}

const BenchRegistration registration{
    {u"book list: first screen"_s, firstScreen,
     [](BenchCatalogue& c) { sqliteScreen(c, "ORDER BY Books.SortTitle LIMIT 40"); }, false},
    {u"book list: whole title order"_s, [](BenchCatalogue& c) { BookListReader reader(*c.db); },
     [](BenchCatalogue& c) { sqliteKeys(c, "SELECT BookID FROM Books ORDER BY SortTitle"); }, false},
    {u"book list: jump to the end"_s, [](BenchCatalogue& c) { jump(c, true); },
     [](BenchCatalogue& c) { sqliteScreen(c, "ORDER BY Books.SortTitle DESC LIMIT 40"); }, false},
    {u"book list: jump to the middle"_s, [](BenchCatalogue& c) { jump(c, false); },
     [](BenchCatalogue& c) {
         sqliteScreen(c, "ORDER BY Books.SortTitle LIMIT 40 OFFSET " + QByteArray::number(c.books / 2));
     },
     false},
    {u"book list: sort by year or price (no index)"_s, sortUnindexed,
     [](BenchCatalogue& c) {
         sqliteKeys(c, flip() ? "SELECT BookID FROM Books ORDER BY Year, SortTitle, BookID"
                              : "SELECT BookID FROM Books ORDER BY CoverPrice, SortTitle, BookID");
     },
     false},
    {u"book list: filter keystroke"_s, filterKeystroke, sqliteFilterScan, false},
};

} // namespace
