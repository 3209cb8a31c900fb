#pragma once

#include "commands/appcontext.h"
#include "commands/commands.h"

#include <QObject>

class PageTool;
class PreferencesDialog;
class QAction;
class QWidget;

// The Edit menu's commands.
class EditCommands : public Commands
{
    Q_OBJECT

public:
    // `pageTool` deletes the selection; `parent`, the main window, carries the
    // items and the Preferences dialog.
    EditCommands(const AppContext &context, PageTool &pageTool, const ShellHooks &hooks,
                 QWidget *parent);

    CommandRows rows() const override;

    QAction *undoAction = nullptr;
    QAction *redoAction = nullptr;
    QAction *cutAction = nullptr;
    QAction *copyAction = nullptr;
    QAction *pasteAction = nullptr;
    QAction *clearAction = nullptr;
    QAction *selectAllAction = nullptr;
    QAction *duplicateAction = nullptr;
    QAction *preferencesAction = nullptr;

    // Duplicate, Cut and Copy need a selected object; Paste, objects or text
    // on the clipboard.
    void updateEnabled() override;

private:
    // The selection to the clipboard, as objects and as text; Cut then
    // deletes it.
    void cut();
    void copy();
    // The clipboard's objects, or its lines of text, added as one step.
    void paste();
    // Copies the selection 10 units right of and below itself.
    void duplicate();
    void preferences();

    AppContext m_context;
    PageTool &m_pageTool;
    const ShellHooks &m_hooks;
    QWidget *m_parent;
    PreferencesDialog *m_preferencesDialog = nullptr;
};
