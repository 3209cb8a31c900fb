#include "shellstate.h"

ShellState &theShellState()
{
    static ShellState state;
    return state;
}
