#pragma once

#include "documenteditor.h"
#include "feedback.h"
#include "renderstate.h"
#include "session.h"
#include "viewstate.h"

// What the document window and its editing work on. The program passes its
// own instances; tests pass theirs.
struct EditorContext
{
    DocumentEditor &editor;
    Session &session;
    ViewState &view;
    RenderState &render;
    Feedback feedback;
};
