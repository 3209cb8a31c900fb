#include "saveprompt.h"

#include "shellstate.h"
#include "tform3.h"

bool maybeSave(const ShellState &shell, const SavePromptServices &services)
{
    if (shell.docModified != 1)
        return true;
    // With Cancel shown, Escape and the close box keep the document.
    const int answer =
        services.messageDialog(QStringLiteral("Paginette"), QString(),
                               QStringLiteral("Save changes before close?"), QString(), 1, 1);
    if (answer == TForm3::AnswerCancel)
        return false;
    if (answer == TForm3::AnswerNo)
        return true;
    QString path = shell.docFileName;
    if (shell.docNamed != 1 && !services.choosePath(path))
        return false;
    // A failed write keeps the document open so no work is lost.
    return services.save(path);
}
