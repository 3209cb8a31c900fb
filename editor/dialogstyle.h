#pragma once

#include <QFont>
#include <QScreen>
#include <QWidget>

// What the program's dialogs share: the design font, an 8-point sans serif
// with Arial's metrics so that their fixed layouts fit, and their place in
// the middle of the screen.

inline QFont designFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

inline void centerOnScreen(QWidget &window)
{
    if (const QScreen *shown = window.screen())
        window.move(shown->geometry().center() - window.rect().center());
}
