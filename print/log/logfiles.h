#pragma once

#include <QString>

// Opens a file of the logs (the print log, its side files, the unshared
// runs) without waiting on it, however the name is reached: a FIFO would
// otherwise hold the open until a reader came. Only a regular file is
// opened (a link to one is): else -1, with ENODEV in `error` for what is
// no regular file, or the system's error.
int openWithoutWaiting(const QString &path, int flags, int &error);
