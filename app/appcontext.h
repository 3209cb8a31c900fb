#pragma once

#include "editorcontext.h"
#include "preferences.h"

// The state the shell's commands work on. The program passes its
// program-wide instances; tests may pass fresh ones.
struct AppContext
{
    DocumentState &doc;
    ShellState &shell;
    RenderState &render;
    ViewState &view;
    prefStruct &prefs;

    EditorContext editor() const { return EditorContext{doc, shell, view, render}; }
};
