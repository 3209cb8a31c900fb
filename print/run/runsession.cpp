#include "run/runsession.h"

#include "continuenumbering.h"
#include "filenames.h"
#include "log/manifest.h"
#include "log/sharedlogsession.h"
#include "log/unsharedruns.h"
#include "outputs/outputfile.h"
#include "outputs/printer.h"
#include "run/placements.h"
#include "run/runcheck.h"

#include <QFile>

#include <algorithm>

namespace {

RunResult ended(RunResult::Ending ending, const QString &error = {})
{
    RunResult result;
    result.ending = ending;
    result.error = error;
    return result;
}

bool goesOn(const RunResult &result)
{
    return result.ending == RunResult::Ending::Printed;
}

PrintPlan onSides(PrintPlan plan, PrintedSides sides)
{
    plan.sides = sides;
    return plan;
}

} // namespace

RunSession::RunSession(RunQuestions &questions, const QString &log)
    : m_questions(questions), m_log(log),
      m_data(std::make_shared<const RunData>(QDateTime::currentDateTime()))
{
}

RunSession::~RunSession()
{
    // A connection still being made is waited for, up to its timeout.
    if (m_shared)
        m_questions.waitOnServer([this] { m_shared.reset(); });
}

void RunSession::useSharedLog(const SharedLogAddress &address, bool continuing)
{
    m_shared = std::make_unique<SharedLogSession>(address, UnsharedRuns(),
                                                  [this] { return m_questions.stillWanted(); });
    m_sharedLogSet = true;
    m_continuing = continuing;
}

void RunSession::sharedLogUnusable(const QString &why)
{
    m_sharedUnusable = why;
    m_sharedLogSet = true;
}

void RunSession::setDocument(Document document, const QString &path)
{
    m_document = std::move(document);
    m_documentPath = path;
}

QString RunSession::readData(const QDateTime &moment, const DataOverride &override)
{
    const QString folderOf = m_documentPath == QLatin1String("-") ? QString() : m_documentPath;
    DataOverride chosen = override;
    if (const std::optional<QString> outside = dataFileOutside(m_document.data, m_documentPath);
        outside && chosen.file.isEmpty()) {
        if (!m_questions.readDataOutside(m_documentPath, *outside))
            return QStringLiteral("the data file %1 lies outside the document's folder, and "
                                  "was not read")
                .arg(*outside);
        chosen.file = *outside;
    }
    DataLimits limits;
    limits.stillWanted = [this] {
        return m_questions.stillWanted();
    };
    RunDataRead read = readRunData(m_document, folderOf, moment, chosen, limits);
    if (!read.data)
        return read.error;
    m_data = std::make_shared<const RunData>(std::move(*read.data));
    return {};
}

QList<PrintLogEntry> RunSession::loggedRuns() const
{
    // An untitled document has no earlier runs.
    if (m_documentPath.isEmpty() || m_documentPath == QLatin1String("-"))
        return {};
    return m_log.entriesOf(documentKey()).items;
}

QString RunSession::setRunDate(const QDateTime &moment)
{
    const RunData &data = *m_data;
    RunDataRead read = data.table()
                           ? runDataOf(m_document, m_document.data.value_or(DataSourceSettings{}),
                                       *data.table(), data.fileName(), moment)
                           : readRunData(m_document, QString(), moment);
    if (!read.data)
        return read.error;
    m_data = std::make_shared<const RunData>(std::move(*read.data));
    return {};
}

std::int32_t RunSession::pages() const
{
    return texts().pages();
}

void RunSession::setPlan(const PrintPlan &plan)
{
    m_plan = plan;
}

void RunSession::setBackground(const QString &path)
{
    m_background = path;
}

void RunSession::setFrontsThenBacks(bool frontsThenBacks, bool faceUp)
{
    m_frontsThenBacks = frontsThenBacks;
    m_faceUp = faceUp;
}

void RunSession::setDestination(RunDestination destination)
{
    m_destination = std::move(destination);
}

void RunSession::setManifest(const OutputTarget &target)
{
    m_manifest = target;
}

RunTexts RunSession::texts() const
{
    return RunTexts(m_document, *m_data);
}

QString RunSession::documentKey() const
{
    if (m_documentPath.isEmpty())
        return QStringLiteral("untitled");
    if (m_documentPath == QLatin1String("-"))
        return QStringLiteral("standard input");
    return logDocumentKey(m_documentPath);
}

QString RunSession::sharedDocumentKey() const
{
    return m_document.id.isEmpty() ? documentKey() : m_document.id;
}

RunResult RunSession::run()
{
    RunResult result = checkBeforeRun();
    if (goesOn(result))
        result = reserve();
    if (goesOn(result) && !m_questions.stillWanted())
        result = ended(RunResult::Ending::Cancelled);
    // The manifest is written beside its place as the run goes, and put in
    // place with the run.
    std::optional<OutputFile> manifest;
    if (goesOn(result) && m_manifest) {
        manifest.emplace(*m_manifest);
        const QString error = manifest->open();
        if (!error.isEmpty())
            result = ended(RunResult::Ending::Failed, error);
    }
    if (goesOn(result))
        result = printPasses(manifest ? &*manifest : nullptr);
    if (goesOn(result) && manifest) {
        const QString unfinished = manifest->finish();
        if (!unfinished.isEmpty())
            result = ended(RunResult::Ending::Failed, unfinished);
    }
    if (!goesOn(result)) {
        tellSharedLogNothingPrinted();
        return result;
    }
    return recordAndPlace(std::move(result), manifest ? &*manifest : nullptr);
}

void RunSession::tellSharedLogNothingPrinted()
{
    // A run that reserved its values and printed nothing says so.
    if (!m_shared)
        return;
    QString unheard;
    m_questions.waitOnServer([&] { unheard = m_shared->finish(std::nullopt); });
    if (!unheard.isEmpty())
        m_questions.tell({unheard}, RunTopic::Log);
}

RunResult RunSession::recordAndPlace(RunResult result, OutputFile *manifest)
{
    // The run is made: its log line, or the side file that keeps it while
    // another program holds the log, is on disk before anything takes its
    // place, and whatever comes the rest follows it. A file's run that cannot
    // be recorded is not put in place: printed again, it would go unwarned.
    // A queue's job is gone already, and the failure is told.
    PrintLogEntry entry =
        logEntry(texts(), m_printed, documentKey(), m_destination.output->name(), m_reservedAt);
    entry.notShared = m_unshared;
    const bool waitsForPlace = m_destination.output->waitsForPlace();
    LoggedLine logged;
    QString unplaced;
    QString backsUnplaced;
    QString sharedError;
    m_questions.uninterrupted([&] {
        logged = m_log.append(entry, [this] { return m_questions.stillWanted(); });
        if (!logged.error.isEmpty() && waitsForPlace)
            return;
        unplaced = m_destination.output->putInPlace();
        if (unplaced.isEmpty() && m_backsOutput)
            backsUnplaced = m_backsOutput->putInPlace();
        if (unplaced.isEmpty() && manifest)
            result.manifestError = manifest->place();
        // Logged, the run's values count as printed in every log.
        if (m_shared)
            m_questions.waitOnServer([&] { sharedError = m_shared->finish(entry); });
        else if (m_unshared)
            sharedError = SharedLogSession::keepForLater(entry, sharedDocumentKey());
    });
    if (!logged.error.isEmpty() && waitsForPlace) {
        tellSharedLogNothingPrinted();
        return ended(RunResult::Ending::Failed,
                     logged.error +
                         QStringLiteral("; the run could not be logged and was not put in place"));
    }
    if (!logged.error.isEmpty())
        result.logError =
            logged.error + QStringLiteral("; the run was printed but could not be logged");
    if (!unplaced.isEmpty())
        return ended(RunResult::Ending::Failed, unplaced);
    if (!backsUnplaced.isEmpty())
        m_questions.tell({backsUnplaced}, RunTopic::Error);
    for (const QString &told : {logged.note, result.logError, result.manifestError, sharedError}) {
        if (!told.isEmpty())
            m_questions.tell({told}, RunTopic::Log);
    }
    result.printed = PrintedRun{entry, m_document, m_printed, m_data};
    return result;
}

RunResult RunSession::checkBeforeRun()
{
    const Document &doc = m_document;
    const QString nothing = nothingToPrint(pages());
    if (!nothing.isEmpty())
        return ended(RunResult::Ending::Unusable, nothing);
    if (doc.sheet) {
        const QString cell = firstCellError(*doc.sheet, m_plan.firstCell);
        if (!cell.isEmpty())
            return ended(RunResult::Ending::Unusable, cell);
    }
    RunOutput &output = *m_destination.output;
    // A front end that cannot wait for the stack to be turned prints the
    // fronts on a printer that prints one side; the backs are a pass of
    // their own.
    if (doc.duplex != Duplex::Off && m_plan.sides == PrintedSides::Both &&
        !output.printsBothSides() && !m_questions.waitsForTheTurn()) {
        m_plan.sides = PrintedSides::Front;
        m_frontsThenBacks = false;
        m_frontsAlone = true;
    }
    if (!m_background.isEmpty()) {
        const QString error = readBackground();
        if (!error.isEmpty())
            return ended(RunResult::Ending::Failed, error);
    }
    const QString wrong = planError(m_plan, pages());
    if (!wrong.isEmpty())
        return ended(RunResult::Ending::Unusable, wrong);

    const RunTexts runTexts = texts();
    // Data a barcode cannot show stop the run before anything prints.
    const QString barcodeRow = rowBarcodeError(runTexts, m_plan);
    if (!barcodeRow.isEmpty())
        return ended(RunResult::Ending::Unusable, barcodeRow);
    const QString outside = outsideWarning(runTexts, m_plan, printerDotsPerInch,
                                           m_destination.layout.paintRect(QPageLayout::Point),
                                           m_destination.calibrationName);
    if (!outside.isEmpty() && !m_questions.goPast(RunWarning::Outside, {outside}))
        return ended(RunResult::Ending::Declined);
    const QStringList growth = growthLines(runTexts, m_plan);
    if (!growth.isEmpty() && !m_questions.goPast(RunWarning::Growth, growth))
        return ended(RunResult::Ending::Declined);
    const QStringList pictures = pictureLines(doc, [this] { return m_questions.stillWanted(); });
    if (!pictures.isEmpty() && !m_questions.goPast(RunWarning::Pictures, pictures))
        return ended(RunResult::Ending::Declined);
    return {};
}

QString RunSession::readBackground()
{
    QFile file;
    const QString unread = openForReading(file, m_background);
    if (!unread.isEmpty())
        return QStringLiteral("%1: %2").arg(m_background, unread);
    if (file.size() > maxPictureBytes)
        return QStringLiteral("%1: a background takes at most 16 MB").arg(m_background);
    Outcome<RunBackground> background = runBackground(file.readAll(), m_plan.first, m_plan.last,
                                                      [this] { return m_questions.stillWanted(); });
    if (!background)
        return QStringLiteral("%1 %2").arg(m_background, background.error);
    m_plan.background = std::move(*background);
    // The paper of the run's first sheet, so that the printable area is
    // checked on it; the numbers keep the printer's margins.
    const QPageLayout &layout = m_destination.layout;
    const RunPlacements placements(m_document, m_plan, devicePaper(layout));
    if (placements.bringsPaper() && placements.sheetCount() > 0)
        m_destination.layout =
            QPageLayout(QPageSize(placements.paperOf(1), QPageSize::Point), QPageLayout::Portrait,
                        layout.margins(QPageLayout::Point), QPageLayout::Point);
    return {};
}

RunResult RunSession::reserve()
{
    if (m_sharedLogSet) {
        QString error = m_sharedUnusable;
        if (m_shared) {
            QStringList told;
            m_questions.waitOnServer([&] { error = m_shared->open(told); });
            if (!told.isEmpty())
                m_questions.tell(told, RunTopic::Log);
        }
        // A stop ends a wait on a server that never answers.
        if (!m_questions.stillWanted())
            return ended(RunResult::Ending::Cancelled);
        // A stream without an id has no name the log could know it by.
        if (error.isEmpty() && m_documentPath == QLatin1String("-") && m_document.id.isEmpty())
            return ended(RunResult::Ending::Unshared,
                         QStringLiteral("a document read from a stream is known to the shared "
                                        "print log by its id, and it has none; nothing was "
                                        "printed"));
        // A server that answered and refused (a login, the tables' rights) is
        // a fault of the settings: no run prints past it.
        if (!error.isEmpty() && m_shared && !m_shared->unreachable())
            return ended(RunResult::Ending::Unshared,
                         error + QStringLiteral("; nothing was printed"));
        // A log that cannot serve never passes silently.
        if (!error.isEmpty()) {
            if (!m_questions.printWithoutSharedLog(error))
                return ended(RunResult::Ending::Unshared);
            dropSharedLog();
        }
    }
    m_reservedAt = QDateTime::currentDateTime();
    if (m_sharedLogSet && !m_shared && m_continuing)
        continueFromThisMachine();
    return m_shared ? reserveShared() : checkLocalLog();
}

void RunSession::dropSharedLog()
{
    if (m_shared)
        m_questions.waitOnServer([this] { m_shared.reset(); });
    m_unshared = true;
}

RunResult RunSession::reserveShared()
{
    // The user is asked about the runs that printed the values without the
    // document's lock held, so that no machine waits on an answer: the
    // reservation is tried again, and goes ahead when it finds nothing the
    // user has not let pass.
    // Runs logged under the document's path before it had an id are its;
    // this machine's own are read once for every try.
    m_shared->setFormerKey(m_document.id.isEmpty() ? QString() : documentKey());
    m_shared->setLocalRuns(loggedRuns());
    QStringList passed;
    for (;;) {
        QStringList found;
        const auto goAhead = [&](const QStringList &lines) {
            found = lines;
            return std::all_of(lines.begin(), lines.end(),
                               [&](const QString &line) { return passed.contains(line); });
        };
        Document reserved = m_document;
        const PrintLogEntry entry =
            logEntry(texts(), m_plan, documentKey(), m_destination.output->name(), m_reservedAt);
        Reservation reservation;
        m_questions.waitOnServer([&] {
            reservation = m_shared->reserve(reserved, m_data.get(), m_plan, entry,
                                            sharedDocumentKey(), m_continuing, goAhead);
        });
        const QString &error = reservation.error;
        if (reservation.reserved) {
            // Continuing moved the numbers past what the log holds.
            m_document = std::move(reserved);
            return {};
        }
        // A stop ends the wait for another machine's lock.
        if (!m_questions.stillWanted())
            return ended(RunResult::Ending::Cancelled);
        if (!error.isEmpty()) {
            if (!m_questions.printWithoutSharedLog(error))
                return ended(RunResult::Ending::Unshared);
            dropSharedLog();
            if (m_continuing)
                continueFromThisMachine();
            return checkLocalLog();
        }
        if (!m_questions.printAgain(found))
            return ended(RunResult::Ending::Declined);
        passed = found;
    }
}

void RunSession::continueFromThisMachine()
{
    // What this machine printed of the job: its own log, and the runs
    // waiting for the shared log that its log may not name the same way.
    QList<SharedRun> known;
    for (const PrintLogEntry &entry : loggedRuns()) {
        SharedRun run;
        run.entry = entry;
        known.append(run);
    }
    const Outcome<QList<SharedRun>> waiting = UnsharedRuns().waiting();
    if (waiting) {
        for (const SharedRun &run : *waiting) {
            if (run.documentKey == sharedDocumentKey())
                known.append(run);
        }
    }
    const bool moved = continuePast(m_document, printedExtremes(known));
    const QString said =
        known.isEmpty() ? QStringLiteral("this machine printed nothing of this job: the numbers "
                                         "start where the document says")
        : moved         ? QStringLiteral("the numbers go on past what this machine printed: other "
                                                 "machines' runs are not known until the shared print log is "
                                                 "reached")
                : QStringLiteral("the numbers start past what this machine printed already: "
                                 "other machines' runs are not known until the shared print "
                                 "log is reached");
    m_questions.tell({said}, RunTopic::Log);
}

RunResult RunSession::checkLocalLog()
{
    // An untitled document, or one read from a stream, has no name to find
    // its earlier runs by.
    if (m_documentPath.isEmpty() || m_documentPath == QLatin1String("-"))
        return {};
    const PrintLog::Read<PrintLogEntry> earlier = m_log.entriesOf(documentKey());
    if (!earlier.error.isEmpty())
        m_questions.tell({earlier.error}, RunTopic::Log);
    const QStringList again = reprintLines(texts(), m_plan, earlier.items);
    if (!again.isEmpty() && !m_questions.printAgain(again))
        return ended(RunResult::Ending::Declined);
    return {};
}

RunResult RunSession::printPasses(OutputFile *manifest)
{
    RunOutput &output = *m_destination.output;
    const bool bothSides = m_document.duplex != Duplex::Off && m_plan.sides == PrintedSides::Both;
    // A printer that prints one side gets the fronts, then the backs, as if
    // the user had asked for two passes.
    const bool oneSided = !output.printsBothSides();
    if (!bothSides || (!m_frontsThenBacks && !oneSided)) {
        // One pass: the manifest follows it sheet by sheet.
        std::optional<ManifestWriter> rows;
        if (manifest)
            rows.emplace(manifest->device(), texts(), m_plan);
        RunResult result = printPass(m_plan, output, rows ? &*rows : nullptr);
        result.frontsAlone = m_frontsAlone;
        m_printed = m_plan;
        return rows ? finishManifest(std::move(result), *rows, *manifest) : result;
    }
    const PrintPlan fronts = onSides(m_plan, PrintedSides::Front);
    RunResult result = printPass(fronts, output);
    if (!goesOn(result))
        return result;
    // The fronts went out whatever the backs do: the run is logged.
    m_printed = fronts;
    const QString turn = QStringLiteral("Turn the printed stack over and put it back in the "
                                        "paper tray, then press Continue.");
    const QString said =
        m_frontsThenBacks ? turn
                          : QStringLiteral("%1 prints on one side: the fronts were printed.\n\n%2")
                                .arg(output.name(), turn);
    if (m_questions.stackTurned(said))
        printBacks();
    // Two passes print a sheet's sides apart: its rows are written once both
    // are known.
    if (!manifest)
        return result;
    ManifestWriter rows(manifest->device(), texts(), m_printed);
    return finishManifest(std::move(result), rows, *manifest);
}

void RunSession::printBacks()
{
    PrintPlan backs = onSides(m_plan, PrintedSides::Back);
    backs.backsReversed = m_faceUp;
    // A file would be written over by the second pass: the backs go beside it.
    std::unique_ptr<RunOutput> backsOutput = m_destination.output->forBacks();
    const RunResult backsResult =
        backsOutput
            ? printPass(backs, *backsOutput)
            : ended(
                  RunResult::Ending::Failed,
                  QStringLiteral("%1: a stream takes one pass").arg(m_destination.output->name()));
    if (goesOn(backsResult)) {
        m_printed = m_plan;
        m_backsOutput = std::move(backsOutput);
    } else if (!backsResult.error.isEmpty()) {
        m_questions.tell({backsResult.error}, RunTopic::Error);
    }
}

RunResult RunSession::finishManifest(RunResult result, ManifestWriter &rows,
                                     const OutputFile &manifest)
{
    if (!manifest.failure().isEmpty())
        return ended(RunResult::Ending::Failed, manifest.failure());
    if (!goesOn(result) || rows.writeRest([this] { return m_questions.stillWanted(); }))
        return result;
    return manifest.failure().isEmpty() ? ended(RunResult::Ending::Cancelled)
                                        : ended(RunResult::Ending::Failed, manifest.failure());
}

RunResult RunSession::printPass(const PrintPlan &plan, RunOutput &output, ManifestWriter *rows)
{
    const Document &doc = m_document;
    const RunPlacements placements(doc, plan, devicePaper(m_destination.layout));
    OutputPass pass;
    pass.layout = m_destination.layout;
    if (placements.bringsPaper() && placements.sheetCount() > 0)
        pass.runPaper = placements.paperOf(1);
    pass.dotsPerInch = printerDotsPerInch;
    pass.duplex = plan.sides == PrintedSides::Both ? doc.duplex : Duplex::Off;
    pass.faces = placements.faceCount();
    pass.pictures = doc.pictures;
    if (plan.background)
        pass.pictures.add(plan.background->bytes);
    pass.title = runTitle();
    QString error = output.open(pass);
    if (!error.isEmpty())
        return ended(RunResult::Ending::Failed, error);
    PrintProgress progress = m_questions.progress(placements.count());
    if (rows)
        progress = [rows, told = std::move(progress)](std::int32_t page, std::int32_t pages) {
            // The rows of the sheets drawn so far go out as the next page
            // starts; a manifest that cannot be written stops the run.
            return rows->writeDrawn(page - 1) && (!told || told(page, pages));
        };
    const PrintResult drawn =
        printRun(texts(), printerDotsPerInch, true, output.sheets(), plan, progress);
    if (drawn.outcome == PrintOutcome::Cancelled)
        return ended(RunResult::Ending::Cancelled);
    if (drawn.outcome == PrintOutcome::Failed) {
        RunResult failed = ended(RunResult::Ending::Failed, drawn.error);
        failed.documentFault = drawn.refusedPage != 0;
        return failed;
    }
    error = output.deliver([this] { return m_questions.stillWanted(); });
    if (!error.isEmpty())
        return ended(RunResult::Ending::Failed, error);
    const QString note = output.deliveryNote();
    if (!note.isEmpty())
        m_questions.tell({note}, RunTopic::Run);
    return {};
}
