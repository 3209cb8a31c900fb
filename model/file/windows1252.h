#pragma once

#include <QByteArray>
#include <QString>

// Character areas of document records hold Windows-1252 text.
QString fromWindows1252(const char *data, int maxLength);
// Characters the code page lacks become '?'.
QByteArray toWindows1252(const QString &text);
