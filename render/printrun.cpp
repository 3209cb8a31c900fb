#include "printrun.h"

#include "pagerenderer.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace {

// Puts pageShown back when the run ends, whichever way it ends.
class PageShownKeeper
{
public:
    explicit PageShownKeeper(DocumentState &doc) : m_doc(doc), m_kept(doc.pageShown) {}
    ~PageShownKeeper() { m_doc.pageShown = m_kept; }
    PageShownKeeper(const PageShownKeeper &) = delete;
    PageShownKeeper &operator=(const PageShownKeeper &) = delete;

private:
    DocumentState &m_doc;
    const std::int32_t m_kept;
};

QString deviceFailure(const PrintSheets &sheets)
{
    return sheets.failure ? sheets.failure() : QString();
}

} // namespace

PrintSheets pagedSheets(QPagedPaintDevice &device)
{
    PrintSheets sheets;
    sheets.device = &device;
    sheets.newSheet = [&device] {
        return device.newPage();
    };
    return sheets;
}

QString nothingToPrint(std::int32_t pagesToPrint)
{
    if (pagesToPrint >= 1)
        return {};
    return QStringLiteral("Nothing to print: Pages is %1").arg(pagesToPrint);
}

PrintResult printRun(DocumentState &doc, RenderState &state, bool docOpen,
                     const PrintSheets &sheets, const PrintProgress &progress)
{
    PrintResult result;
    const std::int32_t pages = doc.pagesToPrint;
    if (pages < 1)
        return result;

    const PageShownKeeper keeper(doc);
    QPainter painter;
    if (!sheets.device || !painter.begin(sheets.device)) {
        result.outcome = PrintOutcome::Failed;
        result.error = deviceFailure(sheets);
        if (result.error.isEmpty())
            result.error = QStringLiteral("The printer could not start the job.");
        return result;
    }

    RenderContext context;
    context.docOpen = docOpen;
    for (std::int32_t page = 1; page <= pages; ++page) {
        if (progress && !progress(page, pages)) {
            result.outcome = PrintOutcome::Cancelled;
            break;
        }
        doc.pageShown = page;
        renderPage(doc, state, context, &painter, true);
        ++result.pagesDrawn;
        result.error = deviceFailure(sheets);
        if (result.error.isEmpty() && page < pages && sheets.newSheet && !sheets.newSheet()) {
            result.error = deviceFailure(sheets);
            if (result.error.isEmpty())
                result.error = QStringLiteral("The printer could not start page %1.").arg(page + 1);
        }
        if (!result.error.isEmpty()) {
            result.outcome = PrintOutcome::Failed;
            break;
        }
    }
    if (result.outcome != PrintOutcome::Printed && sheets.abort)
        sheets.abort();
    const bool ended = painter.end();
    if (!ended && result.outcome == PrintOutcome::Printed) {
        result.outcome = PrintOutcome::Failed;
        result.error = deviceFailure(sheets);
        if (result.error.isEmpty())
            result.error = QStringLiteral("The printer could not finish the job.");
    }
    return result;
}
