#pragma once

#include <QString>

struct ViewState;

// The message box the program shows for an error: caption "Paginette", stop
// icon, OK.
void showErrorBox(const QString &text);

// Installs the beep, message box, error display and layout services the
// model calls. Errors are shown from the event loop, after the handler that
// raised them has returned.
void installServices(ViewState &view);
