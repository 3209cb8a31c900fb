#pragma once

#include <QAction>
#include <QKeySequence>
#include <QString>
#include <QToolButton>

// The menu items and tool-bar buttons the command classes make: each is
// named, as an object, for the member that holds it.

// An item whose caption's '&' marks the letter that picks it.
inline QAction *makeAction(QObject *owner, const char *name, const char *caption,
                           const QKeySequence &shortcut = {}, bool enabled = true)
{
    auto *action = new QAction(QString::fromUtf8(caption), owner);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    action->setEnabled(enabled);
    return action;
}

// A button of the design's size for a 20 x 20 picture, or for `caption`
// where it has none.
inline QToolButton *makeToolButton(QWidget *parent, const char *name, const char *caption,
                                   const char *hint, bool checkable = false)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(QString::fromLatin1(caption));
    button->setToolTip(QString::fromLatin1(hint));
    button->setStatusTip(QString::fromLatin1(hint));
    button->setAutoRaise(true);
    button->setFixedSize(23, 22);
    button->setIconSize(QSize(20, 20));
    button->setCheckable(checkable);
    return button;
}

inline QKeySequence ctrl(int key)
{
    return QKeySequence(Qt::CTRL | key);
}
