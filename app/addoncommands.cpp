#include "addoncommands.h"

#include "continuenumbering.h"
#include "guarded.h"
#include "printcommands.h"
#include "tform1.h"
#include "tform8.h"
#include "tform9.h"

AddonCommands::AddonCommands(TForm1 &frame, const AppContext &context)
    : m_frame(frame), m_context(context)
{
}

void AddonCommands::continueNumbering()
{
    guarded([this] {
        if (m_context.shell.docOpen != 1)
            return;
        DocumentEditor &editor = m_context.editor;
        Document next = editor.document();
        ::continueNumbering(next);
        const QList<NextFirstValue> values = firstValues(next);
        if (values.isEmpty()) {
            m_context.feedback.tell(QStringLiteral("The document has no numbers to move on."),
                                    QStringLiteral("Continue Numbering"));
            return;
        }
        m_frame.Form8->showValues(values, next.pagesToPrint);
        m_frame.Form8->setResult(QDialog::Rejected);
        m_frame.runModal(*m_frame.Form8);
        if (m_frame.Form8->result() != QDialog::Accepted)
            return;
        editor.edit(QStringLiteral("Continue Numbering"),
                    [](Document &doc) { ::continueNumbering(doc); });
    });
}

void AddonCommands::showPrintLog()
{
    TForm9 *window = m_frame.Form9;
    window->showLog(m_frame.printCommands->printLog().path(), m_frame.printCommands->printedRuns());
    window->show();
    window->raise();
    window->activateWindow();
}
