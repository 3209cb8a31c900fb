#pragma once

#include "toolglyphs.h"

#include <QList>
#include <QObject>

#include <utility>

class QAction;
class QToolButton;
class QWidget;

// The menus of the menu bar, with the two under View.
enum class Menu
{
    File,
    Edit,
    Tools,
    View,
    Arrange,
    Zoom,
    Addons,
    Windows,
    Help,
};

// Where an item goes in its menu: the items of a menu stand in the order of
// their groups and places, whichever class declares them, and a separator
// stands between two groups.
struct MenuRow
{
    Menu menu;
    int group;
    int place;
    QAction *item;
};

// Where a control goes on the tool bar, in the same order; a separator
// stands before each group.
struct ToolBarRow
{
    int group;
    int place;
    QWidget *control;
};

// What a command class puts in the main window: its items, its controls,
// and the pictures its buttons are drawn with, in the palette's colours.
struct CommandRows
{
    QList<MenuRow> menus;
    QList<ToolBarRow> toolBar;
    QList<std::pair<QToolButton *, Glyph>> glyphs;
};

// A command class: it owns its items, its controls and the dialogs they
// show, and declares where its items and controls go.
class Commands : public QObject
{
public:
    explicit Commands(QObject *parent) : QObject(parent) {}

    virtual CommandRows rows() const = 0;
    // The items and controls follow the document and its selection.
    virtual void updateEnabled() {}
};
