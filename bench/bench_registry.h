#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

class Database;

// What every operation works on: one generated catalogue.
struct BenchCatalogue
{
    QString path;     // the generated Quillary.mdb
    QString barePath; // a copy of it made before the program opened it: SQLite's own (bare_connection.h)
    int books = 0;
    int authors = 0;
    std::unique_ptr<Database> db; // open exclusively, unless the operation opens it itself
    qint64 probeBookId = 0;       // a book found by key in the middle of the title order
    double megabytes = 0;         // what the last run of a memory operation measured
};

// One measured operation: the program's way beside what SQLite alone needs for
// the same result. Each prints as one line: name, median ms, SQLite ms, ratio,
// the aim where there is one, and what the SQLite figure is measured on.
struct BenchOperation
{
    BenchOperation(QString name_, std::function<void(BenchCatalogue&)> run_,
                   std::function<void(BenchCatalogue&)> baseline_ = {}, bool opensCatalogue_ = false,
                   QString aim_ = {}, QString against_ = QStringLiteral("bare connection"),
                   bool memory_ = false)
        : name(std::move(name_)), run(std::move(run_)), baseline(std::move(baseline_)),
          opensCatalogue(opensCatalogue_), aim(std::move(aim_)), against(std::move(against_)), memory(memory_)
    {
    }

    QString name;
    std::function<void(BenchCatalogue&)> run;
    std::function<void(BenchCatalogue&)> baseline; // may be empty: no ratio then
    bool opensCatalogue = false;                   // runs with the catalogue closed (it opens it itself)
    QString aim;                                   // "<= 1.5x", "< 300 MB": what the figure should meet
    QString against;                               // the sqlite3 shell, a bare connection, the system
    // Measures memory rather than time: each run leaves its MB in megabytes.
    bool memory = false;
    // The aim is growth: the aim column shows the time over the same row's
    // time at the smallest size measured in the run.
    bool growthAim = false;
};

// Every operation, in the order registered. A file of operations adds its own
// with a namespace-scope BenchRegistration; nothing else needs to change.
std::vector<BenchOperation>& benchOperations();

struct BenchRegistration
{
    BenchRegistration(std::initializer_list<BenchOperation> operations);
};
