#include "editcommands.h"

#include "actions.h"
#include "editing.h"
#include "pagetool.h"
#include "preferencesdialog.h"

#include <QUndoStack>

EditCommands::EditCommands(const AppContext &context, PageTool &pageTool, const ShellHooks &hooks,
                           QWidget *parent)
    : QObject(parent), m_context(context), m_pageTool(pageTool), m_hooks(hooks), m_parent(parent)
{
    undoAction = makeAction(parent, "undoAction", "&Undo", ctrl(Qt::Key_Z), false);
    redoAction = makeAction(parent, "redoAction", "&Redo",
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), false);
    redoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), ctrl(Qt::Key_Y)});
    // No clipboard in this program.
    cutAction = makeAction(parent, "cutAction", "Cu&t", ctrl(Qt::Key_X), false);
    copyAction = makeAction(parent, "copyAction", "&Copy", ctrl(Qt::Key_C), false);
    pasteAction = makeAction(parent, "pasteAction", "&Paste", ctrl(Qt::Key_V), false);
    clearAction = makeAction(parent, "clearAction", "Cl&ear");
    selectAllAction = makeAction(parent, "selectAllAction", "Select &All", ctrl(Qt::Key_A));
    duplicateAction = makeAction(parent, "duplicateAction", "&Duplicate", ctrl(Qt::Key_D));
    preferencesAction = makeAction(parent, "preferencesAction", "Pre&ferences");

    DocumentEditor &editor = m_context.editor;
    connect(undoAction, &QAction::triggered, &editor, &DocumentEditor::undo);
    connect(redoAction, &QAction::triggered, &editor, &DocumentEditor::redo);
    connect(clearAction, &QAction::triggered, this,
            [this] { m_pageTool.deleteSelection(QStringLiteral("Clear")); });
    connect(selectAllAction, &QAction::triggered, this, [this] {
        m_context.editor.select([](Selection &selection) { selectAll(selection); });
    });
    connect(duplicateAction, &QAction::triggered, this, &EditCommands::duplicate);
    connect(preferencesAction, &QAction::triggered, this, &EditCommands::preferences);

    // The items name the step they take back or make again.
    const QUndoStack &stack = editor.undoStack();
    connect(&stack, &QUndoStack::canUndoChanged, undoAction, &QAction::setEnabled);
    connect(&stack, &QUndoStack::canRedoChanged, redoAction, &QAction::setEnabled);
    connect(&stack, &QUndoStack::undoTextChanged, this, [this](const QString &step) {
        undoAction->setText(step.isEmpty() ? QStringLiteral("&Undo")
                                           : QStringLiteral("&Undo ") + step);
    });
    connect(&stack, &QUndoStack::redoTextChanged, this, [this](const QString &step) {
        redoAction->setText(step.isEmpty() ? QStringLiteral("&Redo")
                                           : QStringLiteral("&Redo ") + step);
    });
}

void EditCommands::updateEnabled()
{
    duplicateAction->setEnabled(selectedCount(m_context.editor.document()) != 0);
}

void EditCommands::duplicate()
{
    DocumentEditor &editor = m_context.editor;
    if (selectedCount(editor.document()) == 0)
        return;
    const bool complete = editor.edit(QStringLiteral("Duplicate"),
                                      [](Document &doc) { return duplicateSelected(doc); });
    // The table filled up before every copy was made.
    if (!complete)
        m_context.feedback.sound();
}

void EditCommands::preferences()
{
    if (!m_preferencesDialog)
        m_preferencesDialog = new PreferencesDialog(
            m_context.prefs, m_context.editor.document().capacity, m_context.feedback, m_parent);
    m_hooks.runModal(*m_preferencesDialog);
}
