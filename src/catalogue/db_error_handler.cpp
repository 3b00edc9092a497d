#include "catalogue/db_error_handler.h"

#include "catalogue/catalogue_state.h"
#include "catalogue/repaired_catalogue.h"
#include "catalogue/schema.h"
#include "database/database.h"

#include "common/user_dialogs.h"
#include <QDir>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr int RetriesBeforeAsking = 100;

void endAtOnce()
{
    // The user gave up on a locked write: no shutdown steps, no more writes.
    std::_Exit(1);
}

std::function<void()>& afterRepair()
{
    static std::function<void()> repaired;
    return repaired;
}

std::function<void()>& programTerminator()
{
    static std::function<void()> terminate = endAtOnce;
    return terminate;
}

void showError(int number, const QString& text)
{
    userDialogs().message(QString::number(number) + u"  "_s + text);
}

void handleLockedRecord()
{
    CatalogueState& state = catalogueState();
    state.LockRetries += 1;
    state.LockPending = true;
    if (state.LockRetries < RetriesBeforeAsking)
        return;
    const auto answer = userDialogs().question(
        u"Could not update locked record.  Do you wish to try again?"_s, u"Locked Record"_s);
    if (answer == UserDialogs::Answer::Yes) {
        state.LockRetries = 1;
        return;
    }
    // Should the terminator return (it does in tests), the caller's retry loop
    // must still stop rather than write again.
    state.LockPending = false;
    programTerminator()();
}

// The damaged file is never changed: the repair keeps it beside the new one
// and says so. When nothing could be read from it, there is no catalogue.
void repairAndReopen()
{
    CatalogueState& state = catalogueState();
    // The repair needs the file to itself.
    state.dbCatalogue.reset();
    RepairResult repair;
    try {
        repair = repairDatabase(state.CataloguePath, catalogueLayout());
    } catch (const DbError& error) {
        showError(error.number(), error.text());
        return;
    }
    if (!repair.recovered) {
        userDialogs().message(repair.message.isEmpty()
                                  ? u"Nothing could be recovered from the damaged catalogue '"_s +
                                        state.CataloguePath + u"'."_s
                                  : repair.message);
        return;
    }
    // Told first, so that the user learns where the damaged file lies even
    // when the repaired one cannot be opened.
    userDialogs().message(repairedCatalogueMessage(repair));
    try {
        state.dbCatalogue = Database::open(state.CataloguePath, Database::OpenMode::Exclusive);
        completeRepairedCatalogue(*state.dbCatalogue, repair);
    } catch (const DbError& error) {
        showError(error.number(), error.text());
    }
    if (state.dbCatalogue && afterRepair())
        afterRepair()();
}

} // namespace

void HandleDbError(const DbError& error)
{
    switch (error.number()) {
    case DbErrorNumber::NotADatabase:
        repairAndReopen();
        break;
    case DbErrorNumber::LockedByOther:
    case DbErrorNumber::RecordLocked:
        handleLockedRecord();
        break;
    default:
        showError(error.number(), error.text());
        break;
    }
}

bool writeWithRetry(const std::function<void()>& write)
{
    CatalogueState& state = catalogueState();
    state.LockRetries = 0;
    state.LockPending = true;
    bool written = false;
    while (state.LockPending) {
        state.LockPending = false;
        written = runStep(write);
    }
    return written;
}

bool runStep(const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const DbError& error) {
        HandleDbError(error);
        return false;
    }
}

void setAfterRepair(std::function<void()> repaired)
{
    afterRepair() = std::move(repaired);
}

void setProgramTerminator(std::function<void()> terminate)
{
    programTerminator() = terminate ? std::move(terminate) : std::function<void()>(endAtOnce);
}
