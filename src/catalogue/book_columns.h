#pragma once

#include "catalogue/field_checks.h"
#include "catalogue/lookup_tables.h"

#include <QString>
#include <optional>
#include <vector>

// How a column of Books is typed, stored and shown.
enum class BookColumnKind {
    Text,        // typed, stored as typed
    WholeNumber, // typed, checked and stored as a whole number
    Currency,    // typed, checked, shown in the locale's currency format
    Date,        // a date field, stored by the stored-date rule
    Flag,        // a check box
    OptionPair,  // two option buttons, <control>_0 for true and <control>_1 for false
    Lookup,      // a combo completing from a lookup table, stored as the row's key
};

// One column of Books that the main window shows and stores.
struct BookColumn
{
    QString name; // as the program reads and writes it ("vol")
    BookColumnKind kind;
    QString control;                   // the window's control, or the stem of an option pair's buttons
    int maxLength = 0;                 // the longest text its field takes; 0 for no limit
    std::optional<NumberField> number; // a typed number's or price's checks
    std::optional<LookupField> lookup;
    bool newBookFlag = false; // a new book's value of a flag or option pair
    // Disabled with the other data controls while there is no book. The
    // paperback pair has always stayed available.
    bool locksWhenEmpty = true;
    // Also a column of the earlier layout, which had no volume, issue,
    // format or series.
    bool inEarlierLayout = true;
};

// Every column the window shows, in the order a book's values are written;
// SortTitle, which is made from the title as stored, follows them.
const std::vector<BookColumn>& bookColumns();

// The column of a number field.
const BookColumn& bookColumn(NumberField field);
