#pragma once

#include "commands/commands.h"
#include "editorkinds.h"
#include "session.h"

#include <functional>

class QButtonGroup;
class QLabel;

// The editing modes, chosen from the tool bar's mode buttons or the Tools
// menu; each writes its status text into the mode label. Each kind of object
// brings its place mode, as the editor's row of the kind names it.
class ModeCommands : public Commands
{
    Q_OBJECT

public:
    // `redraw` renders the page shown; `parent`, the main window, carries the
    // items, the buttons and the label.
    ModeCommands(Session &session, std::function<void()> redraw, QWidget *parent);

    CommandRows rows() const override;

    QLabel *modeLabel = nullptr;

private:
    // A mode as the session holds it, and the status texts its button and
    // its item write: the two differ for the unlink mode.
    struct Mode
    {
        EditMode mode;
        std::int32_t placeKind;
        QString buttonStatus;
        QString itemStatus;
    };
    // A mode's item and button, and where they stand.
    struct Tool
    {
        QAction *item;
        QToolButton *button;
        Glyph glyph;
        int group;
    };

    // The item and the button of `editMode`, placing `placeKind` in ModePlace.
    void addMode(QWidget *parent, EditMode editMode, std::int32_t placeKind, const ModeTool &row,
                 int group);
    // A mode button: the mode is set and the page redrawn, so the link
    // overlay follows at once.
    void chooseFromButton(const Mode &mode);
    // A Tools item: its button goes down and the mode is set, without a redraw.
    void chooseFromMenu(const Mode &mode, QToolButton *button);

    Session &m_session;
    std::function<void()> m_redraw;
    QButtonGroup *m_modeGroup = nullptr;
    QList<Tool> m_tools;
};
