#pragma once

#include <functional>

class QObject;
class QUrl;

// Opens `url` with the desktop's own program for it. A desktop that has none
// is only known once its opener has tried: `notOpened` is then called, later,
// from the event loop. `owner` keeps the opener until it is done.
void openInDesktop(QObject *owner, const QUrl &url, std::function<void()> notOpened);
