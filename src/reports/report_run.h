#pragma once

class Database;
class ReportWindows;

// Where a report goes: the destination menu's choice, read once at the start
// of each run.
enum class ReportDestination { Preview, TextFile };

struct ReportRun
{
    Database& db;
    ReportDestination destination;
    ReportWindows& windows;
};

// The book list ReportIndex names, to the preview or a text file ("BookRpt.txt"
// offered). Cancelling the save dialog, frmRead or frmRptSel ends the run
// with no output; a list without books says "You have not entered any
// books!". A text file is written only when the run completes: one that ends
// early leaves no file, and an existing file unchanged.
void RunBookReport(const ReportRun& run);

// The number of books in each category ("CountCat.txt" offered).
void CountByCategory(const ReportRun& run);

// The number of books, in a message box.
void QuickCount(Database& db);
