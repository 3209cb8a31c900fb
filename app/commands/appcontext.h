#pragma once

#include "editorcontext.h"
#include "preferences.h"

#include <functional>

class AboutDialog;
class QClipboard;
class QDialog;
class QUrl;

// How the program shows its modal windows and its splash and opens the
// read-me; tests put recorders in their place.
struct ShellHooks
{
    std::function<void(QDialog &)> runModal;
    // Calls `notOpened`, maybe later, when the desktop has no program for `url`.
    std::function<void(const QUrl &url, std::function<void()> notOpened)> openUrl;
    std::function<void(AboutDialog &)> showSplash;
};

// The state the program's commands work on, over an AppState.
struct AppContext
{
    DocumentEditor &editor;
    Session &session;
    RenderState &render;
    ViewState &view;
    PreferencesRecord &prefs;
    Feedback feedback;
    // The desktop's clipboard; without one, Cut, Copy and Paste stay off.
    QClipboard *clipboard = nullptr;
    // Where the database of label sheets is read from.
    QString sheetFolder{};

    EditorContext editorContext() const
    {
        return EditorContext{editor, session, view, render, feedback};
    }
};

// The program's state, owned in one place: main() keeps one for the
// program's life, each test a fresh one.
struct AppState
{
    Session session;
    RenderState render;
    ViewState view;
    PreferencesRecord prefs{};
    DocumentEditor editor{session};

    // The commands' context over this state, telling the user through
    // `feedback`, with the desktop's clipboard and the installed sheets.
    AppContext context(const Feedback &feedback);
};
