#include "common/shared_state.h"

SharedState& sharedState()
{
    static SharedState state;
    return state;
}
