#pragma once

#include "documenteditor.h"
#include "feedback.h"
#include "printdialogs.h"
#include "renderstate.h"
#include "shellstate.h"
#include "viewstate.h"

#include <QObject>
#include <QPrinter>

#include <cstdint>
#include <functional>

// What the print commands need from the main frame.
struct PrintFrameHooks
{
    std::function<void()> redraw;                       // a screen render of the page shown
    std::function<std::int32_t()> documentWindowHeight; // for the scroll step
};

// File > Print, Page Setup and Print Preview on the program's one printer,
// which works at 360 dots per inch.
class PrintCommands : public QObject
{
    Q_OBJECT

public:
    // `parent` owns the commands and carries their dialogs.
    PrintCommands(const DocumentEditor &editor, ShellState &shell, RenderState &render,
                  ViewState &view, const Feedback &feedback, PrintFrameHooks hooks,
                  QWidget *parent);

    void setDialogs(PrintDialogs dialogs);
    QPrinter &printer() { return m_printer; }
    // The printable area of the printer in dots, as pageExtent holds it.
    Bounds32 printableExtent() const;

public Q_SLOTS:
    void Print1Click();
    void PageSetup1Click();
    void PrintPreview1Click();

private:
    // False, after saying why when there is a document, when nothing is to be printed.
    bool somethingToPrint() const;
    // A whole run on `printer`, handed over only when every page is drawn.
    void printOn(QPrinter &printer);
    // The progress of a run of the document's pages, when there is a dialog for it.
    PrintProgress progress() const;
    // The run drawn into the preview's pages.
    void previewOn(QPrinter &printer);

    const DocumentEditor &m_editor;
    ShellState &m_shell;
    RenderState &m_render;
    ViewState &m_view;
    Feedback m_feedback;
    PrintFrameHooks m_hooks;
    PrintDialogs m_dialogs;
    QPrinter m_printer;
};
