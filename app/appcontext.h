#pragma once

#include "editorcontext.h"
#include "preferences.h"

// The state the shell's commands work on. main() passes the program's own
// instances; tests pass fresh ones.
struct AppContext
{
    DocumentEditor &editor;
    ShellState &shell;
    RenderState &render;
    ViewState &view;
    prefStruct &prefs;
    Feedback feedback;

    EditorContext editorContext() const
    {
        return EditorContext{editor, shell, view, render, feedback};
    }
};
