#pragma once

#include "bench_registry.h"

struct sqlite3;

// SQLite on a connection of its own, as any other program opens the
// catalogue: nothing set on it but the program's collation, registered as the
// shipped extension registers it, so that the catalogue's indexes read in
// their order. It works on a copy of the generated catalogue made before the
// program opened it (the program holds its file exclusively), and stays open
// for the catalogue's measurements. Every SQLite figure of the benchmark comes
// from such a connection or from the sqlite3 shell, never from the program's
// own connection.
sqlite3* bareConnection(const BenchCatalogue& catalogue);

// The same, with the classic pattern match as well, for the criteria that use
// it.
sqlite3* bareConnectionWithLike(const BenchCatalogue& catalogue);

// A bare connection on another file (the field catalogue, a copy of the
// catalogue made for one measurement), kept open until the process ends.
sqlite3* bareConnectionOn(const QString& path);
