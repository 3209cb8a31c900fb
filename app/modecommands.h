#pragma once

#include "session.h"

#include <QObject>

#include <functional>

class QAction;
class QButtonGroup;
class QLabel;
class QToolButton;
class QWidget;

// The editing modes, chosen from the tool bar's mode buttons or the Tools
// menu; each writes its status text into the mode label.
class ModeCommands : public QObject
{
    Q_OBJECT

public:
    // `redraw` renders the page shown; `parent`, the main window, carries the
    // items, the buttons and the label.
    ModeCommands(Session &session, std::function<void()> redraw, QWidget *parent);

    QAction *mainModeAction = nullptr;
    QAction *placeNumberAction = nullptr;
    QAction *placeTextAction = nullptr;
    QAction *placePictureAction = nullptr;
    QAction *linkModeAction = nullptr;
    QAction *unlinkModeAction = nullptr;

    QToolButton *mainModeButton = nullptr;
    QToolButton *placeNumberButton = nullptr;
    QToolButton *placeTextButton = nullptr;
    QToolButton *placePictureButton = nullptr;
    QToolButton *linkModeButton = nullptr;
    QToolButton *unlinkModeButton = nullptr;
    QButtonGroup *modeGroup = nullptr;
    QLabel *modeLabel = nullptr;

private:
    // A mode button: the mode is set and the page redrawn, so the link
    // overlay follows at once.
    void chooseFromButton(EditMode mode);
    // A Tools item: its button goes down and the mode is set, without a redraw.
    void chooseFromMenu(EditMode mode);

    Session &m_session;
    std::function<void()> m_redraw;
};
