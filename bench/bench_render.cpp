// Prints how many screen renders, layout passes and printed pages per second
// the renderer manages for documents of several sizes, the last over a PDF
// page as its background, and what one step of a drag costs: the selection
// moved, a layout pass and a screen render, as on every pointer move.

#include "layout.h"
#include "objecttable.h"
#include "pagerenderer.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cstdio>
#include <functional>

namespace {

constexpr qint64 runMilliseconds = 1000;
constexpr int printerResolution = 360;

// Number objects in rows of 20, linked in chains of four; some are red,
// turned or selected.
Document makeDocument(int count)
{
    Document doc = emptyDocument(count);
    for (int i = 0; i < count; ++i) {
        PageObject object;
        object.kind = KindNumber;
        object.x = (i % 20) * 36;
        object.y = (i / 20) * 18;
        object.start = 125 + i;
        object.stepPage = 1;
        object.digits = 5;
        object.fontSize = 14;
        object.color = (i % 3 == 0) ? 0x0000FF : 0;
        object.angle = (i % 7 == 0) ? 90 : 0;
        object.selected = (i % 5 == 0) ? 1 : 0;
        object.fontName = QStringLiteral("Arial");
        doc.objects.append(object);
        doc.drawOrder.append(i);
    }
    for (int i = 0; i + 1 < count; ++i) {
        if (i % 4 == 3)
            continue;
        doc.objects[i].linkId = i / 4;
        doc.objects[i + 1].linkId = i / 4;
        doc.objects[i].linkNext = i + 1;
        doc.objects[i + 1].linkPrev = i;
    }
    doc.linkCount = (count + 3) / 4;
    return doc;
}

// A page of a form made elsewhere: 40 lines of text and rules.
QByteArray formPdf()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::Letter));
    writer.setResolution(72);
    QPainter painter(&writer);
    for (int row = 0; row < 40; ++row) {
        painter.drawText(QPointF(40, 60 + row * 18),
                         QStringLiteral("Admit one to the hall, row %1").arg(row + 1));
        painter.drawLine(QPointF(40, 64 + row * 18), QPointF(550, 64 + row * 18));
    }
    painter.end();
    return buffer.data();
}

double perSecond(const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    long runs = 0;
    do {
        step();
        ++runs;
    } while (timer.elapsed() < runMilliseconds);
    return runs * 1000.0 / double(timer.elapsed());
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const int pageWidth = 8 * printerResolution;
    const int pageHeight = 10 * printerResolution + printerResolution / 2;
    std::printf("window 773 x 479, printed page %d x %d dots at %d dpi\n", pageWidth, pageHeight,
                printerResolution);
    std::printf("%12s %12s %12s %12s %14s\n", "objects", "renders/s", "layouts/s", "pages/s",
                "drag step ms");

    const QByteArray form = formPdf();
    for (const auto &[count, background] :
         {std::pair{20, false}, {1000, false}, {10000, false}, {1000, true}}) {
        Document doc = makeDocument(count);
        if (background) {
            doc.capacity += 1;
            const int index =
                *placePicture(doc, 0, 0, form, QStringLiteral("form.pdf"), 1, QSizeF(612, 792));
            doc.objects[index].picture->background = true;
        }
        RenderState state;
        state.printerResolution = printerResolution;
        state.pageExtent = {0, 0, pageWidth, pageHeight};
        RenderContext context;
        context.showLinkOverlay = true;
        context.windowRect = QRect(0, 0, 773, 479);
        int shown = 0;
        context.present = [&shown](const QImage &) {
            ++shown;
        };

        QList<Bounds32> boxes = layoutPass(doc, 0, state.cache);
        const double renders = perSecond([&] {
            doc.pageShown = doc.pageShown % 100 + 1;
            renderPage(doc, boxes, state, context);
        });
        const double layouts = perSecond([&] { boxes = layoutPass(doc, 0, state.cache); });
        int travel = 1;
        const double drags = perSecond([&] {
            travel = -travel;
            moveSelected(doc, travel, travel);
            boxes = layoutPass(doc, 0, state.cache);
            renderPage(doc, boxes, state, context);
        });

        QImage page(pageWidth, pageHeight, QImage::Format_RGB32);
        int printed = 0;
        const double pages = perSecond([&] {
            page.fill(Qt::white);
            QPainter painter(&page);
            printed = printed % 100 + 1;
            renderPrintedPage(painter, state.cache, RunTexts(doc), printed,
                              printerScale(printerResolution));
        });
        const QString objects =
            QString::number(count) + (background ? QStringLiteral(" + form") : QString());
        std::printf("%12s %12.1f %12.1f %12.1f %14.3f\n", qPrintable(objects), renders, layouts,
                    pages, 1000.0 / drags);
    }
    return 0;
}
