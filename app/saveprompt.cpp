#include "saveprompt.h"

#include "dialogs/messagedialog.h"
#include "session.h"

bool maybeSave(const Session &session, const SavePromptServices &services)
{
    if (!session.docModified)
        return true;
    // With Cancel shown, Escape and the close box keep the document.
    const int answer =
        services.messageDialog(QStringLiteral("Paginette"), QString(),
                               QStringLiteral("Save changes before close?"), QString(), true, true);
    if (answer == MessageDialog::AnswerCancel)
        return false;
    if (answer == MessageDialog::AnswerNo)
        return true;
    QString path = session.docFileName;
    if (!session.docNamed && !services.choosePath(path))
        return false;
    // A failed write keeps the document open so no work is lost.
    return services.save(path);
}
