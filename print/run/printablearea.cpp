#include "run/printablearea.h"

#include "numbering.h"
#include "objectshapes.h"
#include "pagerenderer.h"

#include <QTransform>

namespace {

// Half a dot of slack, so that an object on the edge is not named.
constexpr double slack = 0.5;

// The object's box on the device, turned by its angle about its reference
// point and moved by the calibration.
QRectF printedBox(RenderCache &cache, const PageObject &object, const QString &text,
                  std::int32_t scale, const QTransform &calibration)
{
    const BoxSize size = objectBoxSize(cache, object, text);
    QTransform placed;
    placed.translate(qreal(object.x) * scale, qreal(object.y) * scale);
    placed.rotate(-qreal(object.angle % 360));
    return (placed * calibration)
        .mapRect(QRectF(0, 0, qreal(size.width) * scale, qreal(size.height) * scale));
}

} // namespace

QStringList objectsOutside(const RunTexts &texts, const PrintPlan &plan, int dotsPerInch,
                           const QRectF &printable)
{
    const Document &doc = texts.document();
    const std::int32_t scale = printerScale(dotsPerInch);
    // Each side is moved by its own calibration.
    const QTransform front =
        calibrationTransform(plan.calibration, dotsPerInch, printable.topLeft());
    const QTransform back =
        calibrationTransform(plan.backCalibration, dotsPerInch, printable.topLeft());
    const double dotsPerPoint = dotsPerInch / 72.0;
    const QRectF area = QRectF(QPointF(0, 0), printable.size() * dotsPerPoint)
                            .adjusted(-slack, -slack, slack, slack);
    QStringList names;
    RenderCache cache;
    for (int i = 0; i < doc.count(); ++i) {
        const PageObject &object = doc.objects[i];
        const Side side = sideOf(doc, object);
        if (object.kind == KindPicture || !printsSide(doc, plan, side))
            continue;
        for (const std::int32_t page : {plan.first, plan.last}) {
            const QString text = texts.text(i, page);
            const QRectF box =
                printedBox(cache, object, text, scale, side == Side::Back ? back : front);
            if (!box.isEmpty() && !area.contains(box)) {
                names.append(object.name.isEmpty() ? QStringLiteral("\"%1\"").arg(text)
                                                   : object.name);
                break;
            }
        }
    }
    return names;
}
