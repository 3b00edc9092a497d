#pragma once

#include <QString>

// Generated catalogues of realistic books, for the demo folder, the benchmark
// and tests. The same options always give the same catalogue.
struct SampleOptions
{
    int books = 500;
    int authors = 0; // 0: one author for every five books (at least a dozen)
    quint32 seed = 1;
    bool earlierLayout = false; // the layout of the earlier version, for trying the upgrade
};

// Creates a new catalogue at path, which must not exist, and fills it. Nothing
// is left at path when it fails. Throws DbError.
void generateSampleCatalogue(const QString& path, const SampleOptions& options);
