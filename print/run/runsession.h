#pragma once

#include "log/printlog.h"
#include "log/sharedlogaddress.h"
#include "outputs/outputtarget.h"
#include "outputs/runoutput.h"
#include "run/printplan.h"
#include "rundata.h"

#include <QDateTime>
#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class ManifestWriter;
class OutputFile;
class SharedLogSession;

// What the check before a run names, one kind at a time.
enum class RunWarning
{
    Outside,  // objects beyond the printable area or the label
    Growth,   // numbers that outgrow their width
    Pictures, // pictures that cannot be read
};

// What a note the run tells is about: the run, its logs, or a failure of
// part of a run that went out (the backs' pass).
enum class RunTopic
{
    Run,
    Log,
    Error,
};

// What a run session asks of the front end that drives it: the program
// answers with its dialogs, paginette-print with its flags and standard
// error.
class RunQuestions
{
public:
    virtual ~RunQuestions() = default;

    // Lines of one kind the user may stop the run for; true goes on.
    virtual bool goPast(RunWarning warning, const QStringList &lines) = 0;
    // Values that earlier runs printed, as the check names them; true
    // prints them again.
    virtual bool printAgain(const QStringList &lines) = 0;
    // The document at `document` reads its data from `dataFile`, outside
    // its own folder (a document from elsewhere may name any file of the
    // machine). True reads it.
    virtual bool readDataOutside(const QString &document, const QString &dataFile) = 0;
    // The shared print log cannot serve the run, as `why` says: its server
    // did not answer (one that answered and refused ends the run unasked).
    // True prints without it, the run then sent the next time the log is
    // reached.
    virtual bool printWithoutSharedLog(const QString &why) = 0;
    // Whether the front end can wait while the user turns the printed stack
    // over; one that cannot prints the fronts alone on a printer that prints
    // one side, leaving the backs to a pass of their own.
    virtual bool waitsForTheTurn() const = 0;
    // The fronts are out; `said` asks the user to turn the stack over. True
    // prints the backs.
    virtual bool stackTurned(const QString &said) = 0;
    // Something the user should know that asks nothing, a line or more.
    virtual void tell(const QStringList &lines, RunTopic topic) = 0;
    // The progress of a pass of `sheets` sheets.
    virtual PrintProgress progress(std::int64_t sheets) = 0;
    // False once the run is no longer wanted (a stop signal); asked between
    // steps and inside long ones.
    virtual bool stillWanted() = 0;
    // Does `work`, a wait on the shared log's server, as the front end
    // waits: the program keeps its windows drawn meanwhile.
    virtual void waitOnServer(const std::function<void()> &work) = 0;
    // Does `work` whole, a stop signal waiting until it is done: the log
    // line, the manifest and the shared log's end of a delivered run.
    virtual void uninterrupted(const std::function<void()> &work) = 0;
};

// A run as it was printed: what a manifest of it is made from.
struct PrintedRun
{
    PrintLogEntry entry;
    Document document;
    PrintPlan plan;
    std::shared_ptr<const RunData> data{};
};

// How a run ended.
struct RunResult
{
    enum class Ending
    {
        Printed,   // delivered and logged
        Declined,  // a question was answered no; nothing printed
        Unusable,  // the run asked for cannot be printed (a range outside it,
                   // a data file that cannot be read); nothing printed
        Unshared,  // the shared print log could not serve it; nothing printed
        Cancelled, // stopped by the user or a signal; nothing delivered
        Failed,    // the output or the document failed; nothing delivered
    };

    Ending ending = Ending::Printed;
    // Why it was unusable or failed; for a failure the document caused (a
    // barcode its symbology refuses), `documentFault`.
    QString error;
    bool documentFault = false;
    // A delivered run whose manifest could not be put in place.
    QString manifestError;
    // A delivered run that could not be logged: a job sent to a queue, which
    // nothing takes back.
    QString logError;
    // Only the fronts went out: the printer prints one side and the front
    // end does not wait for the stack to be turned.
    bool frontsAlone = false;
    // What was printed and logged, for a delivered run.
    std::optional<PrintedRun> printed;
};

// Where a run goes: the output, the paper and margins of its device, and the
// name the device's calibration is kept under, which messages name it by.
struct RunDestination
{
    std::unique_ptr<RunOutput> output;
    QPageLayout layout;
    QString calibrationName;
};

// One run, from the check before it to its end, the same whichever front
// end drives it. Set up, then run() once:
//   1. the check before the run: the plan against the run, objects cut off,
//      numbers that outgrow their width, pictures that cannot be read;
//   2. the reservation: the shared log's, under its lock, or the check of
//      this machine's log; the run's time is taken here, at its
//      reservation, for every log that keeps it;
//   3. the passes: both sides in one, or the fronts, the turn of the stack,
//      then the backs;
//   4. the end: the local log line on disk, then the output files and the
//      manifest put in place, and the shared log's end, one step that a stop
//      signal waits for; or, for a run that did not go out, the shared log
//      told that it printed nothing.
class RunSession
{
public:
    // `log` is where this machine's print log is kept.
    explicit RunSession(RunQuestions &questions, const QString &log = defaultPrintLogPath());
    ~RunSession();
    RunSession(const RunSession &) = delete;
    RunSession &operator=(const RunSession &) = delete;

    // The shop's shared print log: connecting starts at once, while the
    // run gets ready. With `continuing`, every number first moves past the
    // highest value the log holds of it, under its lock.
    void useSharedLog(const SharedLogAddress &address, bool continuing = false);
    // A shared log is set that cannot be used, as `why` says.
    void sharedLogUnusable(const QString &why);

    // The document as the run prints it, and the file it was read from:
    // empty for an untitled one, "-" for standard input.
    void setDocument(Document document, const QString &path);
    // Reads the run's data once, at `moment`: the document's data file or
    // the one `override` names. A document's file outside its folder is read
    // only when the user says so. An error text, naming file, row and column.
    QString readData(const QDateTime &moment, const DataOverride &override = {});
    // The same data at another date and time, its file not read again.
    QString setRunDate(const QDateTime &moment);
    const Document &document() const { return m_document; }
    // The runs of the document this machine's log holds, oldest first.
    QList<PrintLogEntry> loggedRuns() const;
    const RunData &data() const { return *m_data; }
    // The pages (or labels) of the run: its rows' quantities, or Pages.
    std::int32_t pages() const;

    // Pages, copies, order, sides, first cell and calibrations of the run.
    void setPlan(const PrintPlan &plan);
    const PrintPlan &plan() const { return m_plan; }
    // A PDF, PNG, JPEG or SVG file under every page.
    void setBackground(const QString &path);
    // Every front, then every back on a second pass, as for a printer that
    // prints one side; the backs last sheet first with `faceUp`.
    void setFrontsThenBacks(bool frontsThenBacks, bool faceUp);
    void setDestination(RunDestination destination);
    // The file the run's manifest goes to, whole with the run or not at all.
    void setManifest(const OutputTarget &target);

    // Runs every step in order.
    RunResult run();

private:
    // The key the logs know the document by, and the shared log's.
    QString documentKey() const;
    QString sharedDocumentKey() const;
    RunTexts texts() const;
    // The steps, each returning an ending other than Printed to stop the run.
    RunResult checkBeforeRun();
    QString readBackground();
    RunResult reserve();
    RunResult reserveShared();
    RunResult checkLocalLog();
    // Offline, a continuing run goes on past what this machine knows of the
    // job, and says so.
    void continueFromThisMachine();
    // The passes, the manifest written as they go into `manifest`.
    RunResult printPasses(OutputFile *manifest);
    void printBacks();
    // `rows`, when given, written as the pass draws its sheets.
    RunResult printPass(const PrintPlan &plan, RunOutput &output, ManifestWriter *rows = nullptr);
    // Writes the rows the passes left; the run fails with a manifest that
    // could not be written.
    RunResult finishManifest(RunResult result, ManifestWriter &rows, const OutputFile &manifest);
    // The end of a delivered run.
    RunResult recordAndPlace(RunResult result, OutputFile *manifest);
    void tellSharedLogNothingPrinted();
    // The run goes on without the shared log that is set.
    void dropSharedLog();

    RunQuestions &m_questions;
    PrintLog m_log;
    std::unique_ptr<SharedLogSession> m_shared;
    QString m_sharedUnusable;
    bool m_sharedLogSet = false;
    bool m_continuing = false;

    Document m_document;
    QString m_documentPath;
    std::shared_ptr<const RunData> m_data;
    PrintPlan m_plan;
    QString m_background;
    bool m_frontsThenBacks = false;
    bool m_faceUp = false;
    bool m_frontsAlone = false;
    RunDestination m_destination;
    // The second pass's output, once the backs are delivered.
    std::unique_ptr<RunOutput> m_backsOutput;
    std::optional<OutputTarget> m_manifest;

    // What the run printed and when it was reserved, once it is.
    QDateTime m_reservedAt;
    PrintPlan m_printed;
    bool m_unshared = false; // printed without the shared log that is set
};
