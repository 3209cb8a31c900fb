#pragma once

#include <QIcon>

// The 20 x 20 pictures of the tool bar buttons.
enum class Glyph
{
    Main,
    Number,
    Text,
    Link,
    Unlink,
    AlignLeft,
    AlignHCenter,
    AlignRight,
    AlignTop,
    AlignVCenter,
    AlignBottom,
};

QIcon toolGlyph(Glyph glyph);
