#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The memory of the whole program, measured in a process of its own: the
// benchmark starts itself again with one of these commands, which does the
// work and prints the process's peak resident memory in MB.
//
//   --preview-memory FOLDER  the main window started on FOLDER/Quillary.mdb,
//                            "Books by Title" shown in the preview and read
//                            to its end, the last page drawn
//   --book-list-memory FOLDER  the main window started on FOLDER/Quillary.mdb
//                            and the book list opened, sorted by year,
//                            filtered and scrolled to its end
//   --main-window-memory FOLDER  the main window alone, for comparison
//   --query-memory FILE SQL  SQLite alone reading every row of SQL as text on
//                            a bare connection, as its shell does to print
//
// Returns the exit code when arguments name one of them.
std::optional<int> runMemoryCommand(const QStringList& arguments, int argc, char* argv[]);

// Runs the benchmark's own executable with arguments; returns the peak MB it
// printed.
double peakMegabytesOf(const QStringList& arguments);

// This process's peak resident memory so far, in MB (0 where the system does
// not tell).
double peakMemoryMb();

// Starts the peak anew, so that what came before does not count.
void resetPeakMemory();
