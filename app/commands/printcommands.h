#pragma once

#include "commands/appcontext.h"
#include "commands/commands.h"
#include "dialogs/printdialogs.h"
#include "documenteditor.h"
#include "feedback.h"
#include "log/calibration.h"
#include "log/printlog.h"
#include "outputs/printerjob.h"
#include "renderstate.h"
#include "run/printplan.h"
#include "rundata.h"
#include "session.h"
#include "viewstate.h"

#include <QObject>
#include <QPrinter>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// A run this program printed: its log entry, the document as it was, the
// plan it printed and the data it printed from.
struct PrintedRun
{
    PrintLogEntry entry;
    Document document;
    PrintPlan plan;
    std::shared_ptr<const RunData> data{};
};

// What the print commands need from the main window.
struct PrintFrameHooks
{
    std::function<void()> redraw;                       // a screen render of the page shown
    std::function<std::int32_t()> documentWindowHeight; // for the scroll step
};

class PrinterCalibrationDialog;
class QAction;
class SharedLogRun;

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
    const PrintLog &printLog() const { return m_log; }
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
    void pageSetup();
    void printPreview();
    void printerCalibration();

private:
    // False, after saying why when there is a document, when nothing is to be printed.
    bool somethingToPrint() const;
    // The data of a run starting at `moment`, read once: its data file and
    // its date. Throws the reason it cannot print, naming file, row and
    // column, for the one error display.
    RunData runData(const QDateTime &moment) const;
    // The same data at the date of an earlier run, its file not read again.
    RunData atDate(const RunData &data, const QDateTime &moment) const;
    // The runs of the document the log holds with their date.
    QList<LoggedRunDate> loggedRunDates() const;
    // Offers the document's own name, with .pdf, as the print dialog's file.
    void offerFileName();
    // A run to a file is the run's own choice: the printer goes back to the
    // queue the user last chose, where there is one.
    void returnToChosenQueue();
    // The run the printer's settings ask for, on the printer's calibration.
    PrintPlan planFor(const QPrinter &printer, const RunTexts &texts) const;
    // True unless objects fall outside the printable area and the user,
    // told which, cancels.
    bool outsideAccepted(const QPrinter &printer, const RunTexts &texts,
                         const PrintPlan &plan) const;
    // True unless the user, told the lines, cancels at `question`.
    bool confirmed(const QStringList &lines, const QString &question) const;
    // Whether the run goes ahead after what the user is told before it:
    // objects outside the printable area, numbers that outgrow their width,
    // and, with `localReprints`, values this computer's log printed before.
    bool runAccepted(const QPrinter &printer, const RunTexts &texts, const PrintPlan &plan,
                     bool localReprints) const;
    // True unless values this computer's log printed before are printed
    // again and the user, told which, cancels.
    bool localReprintsAccepted(const RunTexts &texts, const PrintPlan &plan) const;
    // Whether the user asks for the run without the shared log, which cannot
    // serve it as `error` says.
    bool printWithoutSharedLog(const QString &error) const;
    // Waits for the shared log of `shared`, when there is one. One that
    // cannot serve the run is let go when the user chooses to print without
    // it; false when the user cancels.
    bool sharedLogReady(std::unique_ptr<SharedLogRun> &shared) const;
    // Reserves the run of `plan`, logged as `entry`, on the shared log of
    // `shared`, when there is one, asking about values printed before; one
    // that cannot serve it is let go as above, the run then checked against
    // this computer's log. False when the run does not go ahead.
    bool runReserved(std::unique_ptr<SharedLogRun> &shared, const RunTexts &texts,
                     const PrintPlan &plan, const PrintLogEntry &entry,
                     const QString &documentKey) const;
    // The document's path as the print log keeps it.
    QString documentPath() const;
    // A whole run on `printer` with `data`, handed over only when every
    // page is drawn; through the shared log of `shared` when there is one.
    void printOn(QPrinter &printer, std::unique_ptr<SharedLogRun> shared,
                 std::shared_ptr<const RunData> data);
    // Prints the run on both sides in one job, or the fronts, then, once the
    // user has turned the stack over, the backs; true when what was printed
    // is to be logged.
    bool printSides(QPrinter &printer, const RunTexts &texts, const PrintPlan &plan);
    // Where a test print goes: `fileName` beside the printer's output file,
    // or the printer itself.
    std::optional<OutputTarget> testTarget(const QString &fileName) const;
    // Delivers a test print drawn by `draw`; a file written is named, as `what`.
    void deliverTest(PrinterJob &job, const std::optional<OutputTarget> &target,
                     const std::function<PrintResult(const PrintSheets &)> &draw,
                     const QString &what);
    // The progress of a run of `sheets` sheets, when there is a dialog for it.
    PrintProgress progress(std::int32_t sheets) const;
    // Logs the run printed as `entry`; one printed without the shared log is
    // kept for it under `documentKey`.
    void logRun(const PrintLogEntry &entry, const PrintPlan &plan, const QString &documentKey,
                std::shared_ptr<const RunData> data);

    DocumentEditor &m_editor;
    Session &m_session;
    RenderState &m_render;
    ViewState &m_view;
    Feedback m_feedback;
    PrintFrameHooks m_hooks;
    PrintDialogs m_dialogs;
    QPrinter m_printer;
    QString m_chosenQueue;
    int m_firstCell = 1; // of the run being printed on labels
    // Chosen for a two-sided run and kept for the next: the printer prints
    // one side, and how it stacks its output.
    bool m_frontsThenBacks = false;
    bool m_faceUp = false;
    CalibrationStore m_calibrations;
    PrintLog m_log;
    QList<PrintedRun> m_printedRuns;
    std::function<void(QDialog &)> m_runModal;
    PrinterCalibrationDialog *m_calibrationDialog = nullptr;
};
