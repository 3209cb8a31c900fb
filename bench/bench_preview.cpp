// The time from File > Print Preview to page 1 on screen, for runs of 1,000
// to 100,000 pages of 20 QR codes: the preview opens on the sheet of page 1
// and draws the others only as they come into view. Milliseconds of clock
// time, the best of three, each preview opened afresh as the command does.

#include "dialogs/previewpagesview.h"
#include "dialogs/printpreviewdialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPageLayout>
#include <QPageSize>

#include <algorithm>
#include <cstdio>

namespace {

// 20 QR codes of five-digit numbers, four columns of five.
Document qrCodes(std::int32_t pages)
{
    Document doc = emptyDocument(20);
    for (int i = 0; i < 20; ++i) {
        PageObject object;
        object.kind = KindNumber;
        object.x = 72 + (i % 4) * 108;
        object.y = 72 + (i / 4) * 108;
        object.start = 10000 + i * 3000;
        object.stepPage = 1;
        object.digits = 5;
        object.fontSize = 14;
        object.fontName = QStringLiteral("Arial");
        object.format.barcode = BarcodeStyle{.symbology = Symbology::Qr, .moduleWidth = 1.5};
        doc.objects.append(object);
        doc.drawOrder.append(i);
    }
    doc.pagesToPrint = pages;
    return doc;
}

// From the command to page 1 drawn on screen.
double millisecondsToPageOne(const Document &doc, const QPageLayout &layout)
{
    QElapsedTimer timer;
    timer.start();
    PrintPreviewDialog preview(RunTexts(doc), Calibration{}, layout);
    preview.show();
    while (preview.pagesView->pagesDrawn() == 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                             QMarginsF(12, 12, 12, 12), QPageLayout::Point);
    std::printf("%10s %22s\n", "pages", "to page 1, ms");
    for (const std::int32_t pages : {1000, 10000, 100000}) {
        const Document doc = qrCodes(pages);
        double best = 1e9;
        for (int run = 0; run < 3; ++run)
            best = std::min(best, millisecondsToPageOne(doc, layout));
        std::printf("%10d %22.1f\n", pages, best);
    }
    return 0;
}
