#pragma once

#include "feedback.h"

#include <QObject>
#include <QString>

// The message box the program shows for an error: caption "Paginette", stop
// icon, OK.
void showErrorBox(const QString &text);

// The system beep, OK-only message boxes and OK or Cancel questions over the
// active window; a box without a caption of its own carries the program's
// name.
Feedback desktopFeedback();

// The program's one error display: watches the application object for the
// errors that input handlers report and shows each in the error box, from
// the event loop, after the handler that raised it has returned.
class ErrorDisplay : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
