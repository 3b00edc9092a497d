#pragma once

#include "bench_registry.h"

#include <QByteArray>

struct sqlite3;

// Steps sql to its end on db, fetching every column of every row as text (as
// SQLite's shell does to print them); returns the number of rows.
qint64 readAll(sqlite3* db, const QByteArray& sql);

// What the main window's start-up reads, straight from SQLite on a connection
// of its own: the file opened, the books' keys in title order, the first book
// and every lookup list.
void startUpReadsBySqlite(BenchCatalogue& catalogue);
