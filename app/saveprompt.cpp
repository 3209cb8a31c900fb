#include "saveprompt.h"

#include "shellstate.h"
#include "tform3.h"

bool maybeSave(ShellState &shell, const SavePromptServices &services)
{
    if (shell.docModified == 1) {
        const int answer = services.messageDialog(
            QString(), QStringLiteral("Save changes before close?"), QString(), 0, 1);
        if (answer == TForm3::AnswerOk) {
            QString path = shell.docFileName;
            if (shell.docNamed != 1 && !services.choosePath(path))
                return false;
            // A failed write keeps the document open so no work is lost.
            if (!services.save(path))
                return false;
            shell.docFileName = path;
        }
    }
    shell.docOpen = 0;
    shell.docNamed = 0;
    shell.docModified = 0;
    return true;
}
