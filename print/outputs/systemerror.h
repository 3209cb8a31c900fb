#pragma once

#include <QString>

// The system's words for an error number; empty for 0.
QString systemError(int error);
// "NAME: the system's words" for an error number on the file or folder
// `name`; empty for 0.
QString fileError(const QString &name, int error);
// The same for a spool in the temporary folder.
QString temporaryFolderError(int error);
