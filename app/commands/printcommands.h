#pragma once

#include "commands/appcontext.h"
#include "commands/commands.h"
#include "dialogs/printdialogs.h"
#include "documenteditor.h"
#include "feedback.h"
#include "outputs/runoutput.h"
#include "renderstate.h"
#include "run/calibration.h"
#include "run/printplan.h"
#include "run/runsession.h"
#include "rundata.h"
#include "session.h"
#include "viewstate.h"

#include <QHash>
#include <QObject>
#include <QPrinter>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// What the print commands need from the main window.
struct PrintFrameHooks
{
    std::function<void()> redraw; // a screen render of the page shown
    // The document window's height in page units at its zoom, for the scroll step.
    std::function<std::int32_t()> documentWindowHeight;
};

class PrinterCalibrationDialog;
class QAction;

// Where a document's last run went, kept for the session only: a queue or a
// PDF file, and the file's name, which the dialog offers either way.
struct PrintDestination
{
    bool toFile = false;
    QString queue;
    QString file;
};

// File > Page Setup, Printer Calibration, Print and Print Preview on the
// program's one printer, which works at 360 dots per inch. Every run is
// drawn on the calibration stored for the printer it goes to, and every
// completed run is logged. With a shop's shared print log set, a run
// reserves its values there before its first page, and the log hears how
// it ended.
class PrintCommands : public Commands
{
    Q_OBJECT

public:
    // `parent` owns the commands and carries their items and dialogs.
    PrintCommands(DocumentEditor &editor, Session &session, RenderState &render, ViewState &view,
                  const Feedback &feedback, PrintFrameHooks hooks, QWidget *parent);

    CommandRows rows() const override;

    QAction *pageSetupAction = nullptr;
    QAction *printerCalibrationAction = nullptr;
    QAction *printAction = nullptr;
    QAction *printPreviewAction = nullptr;
    QAction *exportRunAction = nullptr;

    void setDialogs(PrintDialogs dialogs);
    QPrinter &printer() { return m_printer; }
    // The printable area of the printer in dots, as pageExtent holds it.
    Bounds32 printableExtent() const;
    // Shows the page on the printer's paper: its printable area as the
    // sheet, and the paper around it that a page background covers.
    void takePrintersPaper();
    const CalibrationStore &calibrations() const { return m_calibrations; }
    // The name the calibration of the printer is kept under.
    QString calibrationName() const;
    // The runs this program printed, with what they printed from, so that
    // their manifests can be made.
    const QList<PrintedRun> &printedRuns() const { return m_printedRuns; }

    // Prints the calibration page, drawn with `front` and showing the values
    // of both sides, on the printer; a run to PDF writes it beside the
    // printer's output file, as calibration-page.pdf.
    void printTestPage(const Calibration &front, const Calibration &back = {});
    // Prints the two-sheet registration test on both sides of the paper, each
    // side under its calibration; to PDF, as two-sided-test.pdf beside the
    // printer's output file.
    void printTwoSidedTest(const Calibration &front, const Calibration &back);

    // Shows the Printer Calibration dialog for the printer, through `runModal`.
    void setModalRunner(std::function<void(QDialog &)> runModal);

Q_SIGNALS:
    // A run was printed and logged; it is among printedRuns().
    void runLogged();

public Q_SLOTS:
    void print();
    // A document is shown afresh: its runs go where its last run this
    // session went, if it had one.
    void documentShown();
    void pageSetup();
    void printPreview();
    // Writes the whole run to PDF, PNG or SVG files, as a print to a file.
    void exportRun();
    void printerCalibration();

private:
    // False, after saying why when there is a document, when nothing is to be printed.
    bool somethingToPrint() const;
    // The runs of the document the log holds with their date.
    QList<LoggedRunDate> loggedRunDates(const RunSession &session) const;
    // The document's own name with .pdf, in the Documents folder while it has none.
    QString documentPdfName() const;
    // Sets the printer to the document's last destination, or to the queue
    // in hand with the document's own PDF name for a first run.
    void offerDestination();
    // Keeps where the run the dialog just confirmed goes, for the document.
    void keepDestination(const QString &offeredFile);
    // A run to a file is the run's own choice: the printer goes back to the
    // queue the user last chose, where there is one.
    void returnToChosenQueue();
    // A session for a run of the document, its data read now. Throws why
    // the data cannot be read.
    std::unique_ptr<RunSession> startSession(RunQuestions &questions) const;
    // The run the printer's settings ask for, on the printer's calibration.
    PrintPlan planFor(const QPrinter &printer, std::int32_t pages) const;
    // Where a run on `printer` goes: its output file, or its queue.
    RunDestination destinationOf(QPrinter &printer) const;
    // The shop's shared log for a run, when the settings set one.
    static void useSharedLogSetting(RunSession &session);
    // Runs the session's run to `destination` and keeps what it printed.
    void printTo(RunSession &session, RunDestination destination);
    // Where a test print goes: `fileName` beside the printer's output file,
    // or the printer itself.
    std::unique_ptr<RunOutput> testOutput(const QString &fileName) const;
    // Delivers a test print of `faces` faces drawn by `draw`, on both
    // sides with `duplex`; a file written is named, as `what`.
    void deliverTest(const std::function<PrintResult(const PrintSheets &)> &draw,
                     std::int64_t faces, Duplex duplex, const QString &fileName,
                     const QString &what);

    DocumentEditor &m_editor;
    Session &m_session;
    RenderState &m_render;
    ViewState &m_view;
    Feedback m_feedback;
    PrintFrameHooks m_hooks;
    PrintDialogs m_dialogs;
    QPrinter m_printer;
    QString m_chosenQueue;
    // The document in hand's, and those of the named documents shown this session.
    std::optional<PrintDestination> m_destination;
    QHash<QString, PrintDestination> m_namedDestinations;
    // Chosen for a two-sided run and kept for the next: the printer prints
    // one side, and how it stacks its output.
    bool m_frontsThenBacks = false;
    bool m_faceUp = false;
    CalibrationStore m_calibrations;
    QList<PrintedRun> m_printedRuns;
    std::function<void(QDialog &)> m_runModal;
    PrinterCalibrationDialog *m_calibrationDialog = nullptr;
};
