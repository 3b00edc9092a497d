#include "catalogue/catalogue_state.h"

CatalogueState& catalogueState()
{
    static CatalogueState state;
    return state;
}
