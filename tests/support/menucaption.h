#pragma once

#include <QString>

// A menu caption as the user reads it: the '&' that marks the underlined
// letter is dropped, and "&&" reads as one '&'.
inline QString shownCaption(const QString &text)
{
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size())
            ++i;
        shown.append(text[i]);
    }
    return shown;
}
