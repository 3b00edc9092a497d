#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class Database;

// What every operation works on: one generated catalogue.
struct BenchCatalogue
{
    QString path; // the generated Quillary.mdb
    int books = 0;
    int authors = 0;
    std::unique_ptr<Database> db; // open exclusively, unless the operation opens it itself
    qint64 probeBookId = 0;       // a book found by key in the middle of the title order
};

// One measured operation: the program's way beside what SQLite alone needs for
// the same result. Each prints as one line: name, median ms, SQLite ms, ratio.
struct BenchOperation
{
    QString name;
    std::function<void(BenchCatalogue&)> run;
    std::function<void(BenchCatalogue&)> baseline; // may be empty: no ratio then
    bool opensCatalogue = false;                   // runs with the catalogue closed (it opens it itself)
};

// Every operation, in the order registered. A file of operations adds its own
// with a namespace-scope BenchRegistration; nothing else needs to change.
std::vector<BenchOperation>& benchOperations();

struct BenchRegistration
{
    BenchRegistration(std::initializer_list<BenchOperation> operations);
};
