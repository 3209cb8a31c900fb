#include "printcommands.h"

#include "guarded.h"
#include "printerjob.h"
#include "tform6.h"

#include <QPaintEngine>

namespace {
const QString printCaption = QStringLiteral("Print");
} // namespace

PrintCommands::PrintCommands(const DocumentEditor &editor, ShellState &shell, RenderState &render,
                             ViewState &view, const Feedback &feedback, PrintFrameHooks hooks,
                             QWidget *parent)
    : QObject(parent), m_editor(editor), m_shell(shell), m_render(render), m_view(view),
      m_feedback(feedback), m_hooks(std::move(hooks)), m_dialogs(standardPrintDialogs(parent)),
      m_printer(QPrinter::HighResolution)
{
    setObjectName(QStringLiteral("PrintCommands"));
    preparePrinter(m_printer);
}

void PrintCommands::setDialogs(PrintDialogs dialogs)
{
    m_dialogs = std::move(dialogs);
}

Bounds32 PrintCommands::printableExtent() const
{
    return ::printableExtent(m_printer);
}

bool PrintCommands::somethingToPrint() const
{
    if (m_shell.docOpen != 1)
        return false;
    const QString nothing = nothingToPrint(m_editor.document().pagesToPrint);
    if (!nothing.isEmpty()) {
        m_feedback.tell(nothing, printCaption);
        return false;
    }
    return true;
}

void PrintCommands::Print1Click()
{
    guarded([this] {
        if (!somethingToPrint() || !m_dialogs.print(m_printer))
            return;
        printOn(m_printer);
    });
}

void PrintCommands::PageSetup1Click()
{
    guarded([this] {
        if (!m_dialogs.pageSetup(m_printer))
            return;
        m_render.pageExtent = printableExtent();
        if (m_hooks.documentWindowHeight)
            m_view.vScrollStep =
                scrollStepFor(m_render.pageExtent.bottom, m_hooks.documentWindowHeight());
        if (m_hooks.redraw)
            m_hooks.redraw();
    });
}

void PrintCommands::PrintPreview1Click()
{
    guarded([this] {
        if (!somethingToPrint())
            return;
        preparePrinter(m_printer);
        m_dialogs.preview(m_printer, [this](QPrinter &printer) {
            // The preview records its pages through a picture engine; printing
            // from it hands over the printer itself.
            const QPaintEngine *engine = printer.paintEngine();
            if (engine && engine->type() == QPaintEngine::Picture)
                previewOn(printer);
            else
                printOn(printer);
        });
    });
}

void PrintCommands::printOn(QPrinter &printer)
{
    // A dialog may have changed the resolution; the program prints at its own.
    preparePrinter(printer);
    m_render.printerResolution = printer.resolution();
    PrinterJob job(printer);
    QString error = job.open();
    if (error.isEmpty()) {
        const PrintResult result = printRun(m_editor.document(), m_render.printerResolution,
                                            m_shell.docOpen == 1, job.sheets(), progress());
        if (result.outcome == PrintOutcome::Printed)
            error = job.deliver();
        else
            error = result.error;
    }
    if (!error.isEmpty())
        reportError(error);
}

PrintProgress PrintCommands::progress() const
{
    return m_dialogs.progress ? m_dialogs.progress(m_editor.document().pagesToPrint)
                              : PrintProgress();
}

void PrintCommands::previewOn(QPrinter &printer)
{
    // Drawn at the preview's own resolution; printing alone sets the program's.
    printRun(m_editor.document(), printer.resolution(), m_shell.docOpen == 1, pagedSheets(printer),
             progress());
}
