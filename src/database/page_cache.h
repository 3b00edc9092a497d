#pragma once

#include <QtGlobal>
#include <optional>

struct sqlite3;

// The connection's page cache is sized for browsing: pages read once are
// kept for the next look. A walk over every page (the check at open, a report
// read to its end) reads each page once, and through that cache would keep
// them all: at a million books most of the program's memory. Such a walk
// holds the cache small while it runs.
namespace PageCache {

inline constexpr qint64 OnePassKiB = 8 * 1024;

// PRAGMA cache_size: KiB when negative, pages otherwise; empty on failure.
std::optional<qint64> size(sqlite3* db);
// Failing, the cache keeps its size: a matter of memory, not of results.
void setSize(sqlite3* db, qint64 size);

// The size to give back once a walk is over, after holding the cache to
// OnePassKiB: empty when it was small already (or given in pages, which the
// program never does) and was left as it is.
std::optional<qint64> holdForOnePass(sqlite3* db);

// Holds the cache small for as long as it lives.
class OnePassHold
{
public:
    explicit OnePassHold(sqlite3* db) : m_db(db), m_browsingSize(holdForOnePass(db)) {}
    ~OnePassHold()
    {
        if (m_browsingSize)
            setSize(m_db, *m_browsingSize);
    }
    OnePassHold(const OnePassHold&) = delete;
    OnePassHold& operator=(const OnePassHold&) = delete;

private:
    sqlite3* m_db;
    std::optional<qint64> m_browsingSize;
};

} // namespace PageCache
