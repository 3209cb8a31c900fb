#include "viewstate.h"

ViewState &theViewState()
{
    static ViewState state;
    return state;
}
