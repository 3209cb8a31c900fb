#pragma once

#include "commands/commands.h"
#include "windowplaces.h"

class DocumentEditor;
class ObjectPropertiesWindow;
class PageTool;

// The Windows menu: the Object Properties window, shown and hidden from its
// item and put where it last stood, and the one document window, listed but
// never chosen.
class WindowCommands : public Commands
{
    Q_OBJECT

public:
    // Object Properties follows the presses of `tool`; `parent`, the main
    // window, carries the items and the window.
    WindowCommands(DocumentEditor &editor, const PageTool &tool, QWidget *parent);

    CommandRows rows() const override;

    ObjectPropertiesWindow *objectProperties() const { return m_objectProperties; }
    // Shows Object Properties where it last stood, or, the first time,
    // beside the page at the main window's top right.
    void showObjectProperties();
    // Keeps where Object Properties stands, for the next start.
    void keepPlaces() const;

    QAction *objectPropertiesAction = nullptr;
    QAction *untitledAction = nullptr;

protected:
    // Object Properties closed: its item loses its tick.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_frame;
    WindowPlaces m_places;
    ObjectPropertiesWindow *m_objectProperties;
    bool m_objectPropertiesPlaced = false;
};
