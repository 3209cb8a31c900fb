#include "commands/editcommands.h"

#include "commands/actions.h"
#include "copypaste.h"
#include "dialogs/preferencesdialog.h"
#include "editing.h"
#include "guarded.h"
#include "objecttable.h"
#include "pagetool.h"

#include <QClipboard>
#include <QMimeData>
#include <QUndoStack>

namespace {

// How far from the page's left edge and the view's top pasted text lands.
constexpr std::int32_t textPasteMargin = 20;

} // namespace

EditCommands::EditCommands(const AppContext &context, PageTool &pageTool, const ShellHooks &hooks,
                           QWidget *parent)
    : Commands(parent), m_context(context), m_pageTool(pageTool), m_hooks(hooks), m_parent(parent)
{
    undoAction = makeAction(parent, "undoAction", "&Undo", ctrl(Qt::Key_Z), false);
    redoAction = makeAction(parent, "redoAction", "&Redo",
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), false);
    redoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), ctrl(Qt::Key_Y)});
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
        const Side side = shownSide(m_context.editor.document(), m_context.view);
        m_context.editor.select([side](Selection &selection) { selectAll(selection, side); });
    });
    connect(cutAction, &QAction::triggered, this, &EditCommands::cut);
    connect(copyAction, &QAction::triggered, this, &EditCommands::copy);
    connect(pasteAction, &QAction::triggered, this, &EditCommands::paste);
    if (m_context.clipboard)
        connect(m_context.clipboard, &QClipboard::dataChanged, this, &EditCommands::updateEnabled);
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
    const bool selected = selectedCount(m_context.editor.document()) != 0;
    const bool open = m_context.session.docOpen && m_context.clipboard;
    duplicateAction->setEnabled(selected);
    cutAction->setEnabled(open && selected);
    copyAction->setEnabled(open && selected);
    const QMimeData *held = open ? m_context.clipboard->mimeData() : nullptr;
    pasteAction->setEnabled(held &&
                            (held->hasFormat(QLatin1String(objectsMimeType)) || held->hasText()));
}

void EditCommands::cut()
{
    if (!copyAction->isEnabled())
        return;
    copy();
    m_pageTool.deleteSelection(QStringLiteral("Cut"));
}

void EditCommands::copy()
{
    const Document &doc = m_context.editor.document();
    if (!copyAction->isEnabled())
        return;
    auto *mime = new QMimeData;
    putObjects(*mime, copiedObjects(doc), copiedText(doc));
    m_context.clipboard->setMimeData(mime);
}

void EditCommands::paste()
{
    guarded([this] {
        if (!pasteAction->isEnabled())
            return;
        const ClipboardContent held = takeFromClipboard(*m_context.clipboard->mimeData());
        if (!held.refusal.isEmpty())
            throw PaginetteError(held.refusal);
        // Text from elsewhere lands near the top left of the page in view.
        const std::int32_t top = m_context.view.scrollOffset() + textPasteMargin;
        const Side side = shownSide(m_context.editor.document(), m_context.view);
        const PasteResult result =
            m_context.editor.edit(QStringLiteral("Paste"), [&](Document &doc) {
                const int first = doc.count();
                const PasteResult pasted = held.objects
                                               ? pasteObjects(doc, *held.objects)
                                               : pasteLines(doc, held.text, textPasteMargin, top);
                putOnSide(doc, first, side);
                return pasted;
            });
        if (!result.pasted)
            m_context.feedback.tell(
                noRoomMessage(QStringLiteral("The paste"), result.needed, result.room),
                QStringLiteral("Paste"));
    });
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

CommandRows EditCommands::rows() const
{
    return {{{Menu::Edit, 1, 1, undoAction},
             {Menu::Edit, 1, 2, redoAction},
             {Menu::Edit, 2, 1, cutAction},
             {Menu::Edit, 2, 2, copyAction},
             {Menu::Edit, 2, 3, pasteAction},
             {Menu::Edit, 2, 4, clearAction},
             {Menu::Edit, 3, 1, selectAllAction},
             {Menu::Edit, 3, 2, duplicateAction},
             {Menu::Edit, 4, 1, preferencesAction}},
            {},
            {}};
}
