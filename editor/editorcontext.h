#pragma once

#include "documentstate.h"
#include "renderstate.h"
#include "shellstate.h"
#include "viewstate.h"

// The state the document window and its editing work on. The program passes
// its program-wide instances; tests pass their own.
struct EditorContext
{
    DocumentState &doc;
    ShellState &shell;
    ViewState &view;
    RenderState &render;
};
