#pragma once

#include "database/db_error.h"

#include <functional>

// The one routine every error handler hands database errors to:
//  - 3049 (damaged file): close the catalogue, repair it (the damaged file is
//    kept unchanged beside the repaired one), reopen it exclusively as
//    catalogueState().dbCatalogue and tell the user what the repair did; when
//    nothing could be recovered, say so and leave dbCatalogue null;
//  - 3168 / 3260 (locked record): count the retry in LockRetries and raise
//    LockPending; the 100th failure in a row asks whether to go on, and No ends
//    the program at once;
//  - anything else: shows "number  text".
void HandleDbError(const DbError& error);

// Runs one write under the locked-record retry protocol: LockRetries = 0,
// LockPending = true, then while LockPending: LockPending = false, write().
// Errors go to HandleDbError. Returns true when the last attempt succeeded.
bool writeWithRetry(const std::function<void()>& write);

// Runs one step and hands a DbError it throws to HandleDbError. Returns true
// when the step succeeded.
bool runStep(const std::function<void()>& step);

// Called each time the error routine has repaired the catalogue and opened
// the repaired file as catalogueState().dbCatalogue, from inside the routine:
// whatever held recordsets of the damaged file reopens them (the main window,
// at its next chance). An empty function removes it.
void setAfterRepair(std::function<void()> repaired);

// How the program ends when the user gives up on a locked record. Tests
// replace it; the default ends the process at once without any shutdown, and
// an empty function restores the default. Should it return, LockPending is
// left false so that the caller's retry loop stops.
void setProgramTerminator(std::function<void()> terminate);
