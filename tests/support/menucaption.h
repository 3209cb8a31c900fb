#pragma once

#include <QString>

// A menu caption as the user reads it, without the '&' that marks its
// underlined letter.
inline QString shownCaption(const QString &text)
{
    return QString(text).remove(u'&');
}
