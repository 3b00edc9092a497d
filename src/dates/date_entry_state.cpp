#include "dates/date_entry_state.h"

DateEntryState& dateEntry()
{
    static DateEntryState state;
    return state;
}
