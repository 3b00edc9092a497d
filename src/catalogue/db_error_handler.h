#pragma once

#include "catalogue/db_error.h"

#include <functional>

// The one routine every error handler hands database errors to:
//  - 3049 (damaged file): repair the catalogue, keeping the damaged file, and
//    reopen it as catalogueState().dbCatalogue;
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

// How the program ends when the user gives up on a locked record. Tests
// replace it; the default ends the process at once without any shutdown.
void setProgramTerminator(std::function<void()> terminate);
