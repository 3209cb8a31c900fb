#pragma once

#include "documenteditor.h"
#include "feedback.h"
#include "renderstate.h"
#include "shellstate.h"
#include "viewstate.h"

// What the document window and its editing work on. The program passes its
// own instances; tests pass theirs.
struct EditorContext
{
    DocumentEditor &editor;
    ShellState &shell;
    ViewState &view;
    RenderState &render;
    Feedback feedback;
};
