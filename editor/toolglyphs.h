#pragma once

#include <QIcon>

class QPalette;

// The 20 x 20 pictures of the tool bar buttons.
enum class Glyph
{
    Main,
    Number,
    Text,
    Picture,
    Shape,
    Link,
    Unlink,
    AlignLeft,
    AlignHCenter,
    AlignRight,
    AlignTop,
    AlignVCenter,
    AlignBottom,
};

// `glyph` in the colours of `palette`: lines and letters in its button text,
// so that they show on a dark theme as on a light one. Drawn at 1x and 2x,
// so that it stays sharp on a screen scaled to 200 %.
QIcon toolGlyph(Glyph glyph, const QPalette &palette);
