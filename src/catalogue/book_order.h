#pragma once

#include <QString>
#include <memory>
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

} // namespace BookOrder
