#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class Database;
class Recordset;

// The three orders of the Sort menu: 1 by title, 2 by author, 3 by category.
namespace BookOrder {

inline constexpr int ByTitle = 1;
inline constexpr int ByAuthor = 2;
inline constexpr int ByCategory = 3;

// The query whose rows the main window browses in the given order.
QString query(int order);

// The keys of Books in exactly the order query(order) returns its rows.
//
// The author and category orders sort every book by a column of a joined
// lookup table; SQLite can only do that by sorting the whole join. Here the
// books are read once in sort-title order from an index, and then distributed
// stably by the rank of their author (or category) name, which costs one pass
// over the books instead of a sort.
std::vector<qint64> orderedKeys(Database& db, int order);

// rsBooks for the given order: a snapshot of query(order) over orderedKeys().
std::unique_ptr<Recordset> openBooks(Database& db, int order);

// The order of rsBooks kept from one reopening to the next, so that a store
// or a delete moves only the books it changed instead of reading every key
// again.
//
// Every change that can move a book in any order is noted on the connection
// as it happens, whoever makes it: temporary triggers note the books added,
// changed or deleted, and those of an author or category added, renamed or
// removed. A reopening takes the kept keys, removes the noted books and puts
// each one that still exists back in its place by a binary search with the
// order's own comparison, which gives the very order a full read gives.
// Only when the keys could be stale (another order, a recordset closed
// meanwhile, a change by another connection, more changes than are worth
// moving one by one) is the order read in full.
class KeptOrder
{
public:
    // Every key in order, read in full; the noting of changes starts anew.
    std::vector<qint64> readAll(Database& db, int order);
    // The keys of books, which readAll or a previous call gave in order, with
    // the changes since then applied; books is closed in the process. Empty
    // when the keys could be stale: the caller reads them in full then.
    std::optional<std::vector<qint64>> keysAfterChanges(Database& db, int order, Recordset& books);
    // Nothing kept: the next reopening reads in full.
    void forget() { m_order.reset(); }

private:
    std::optional<int> m_order;
    qint64 m_dataVersion = 0;
};

} // namespace BookOrder
