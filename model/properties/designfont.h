#pragma once

#include <QFont>

// The dialogs' design font, an 8-point sans serif, with Arial's metrics so
// that their fixed layouts fit.
inline QFont designFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}
