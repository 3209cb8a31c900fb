#include "continuenumbering.h"

#include "kinds.h"
#include "numbering.h"
#include "wrapint.h"

#include <algorithm>

std::int32_t stepsAfterRun(std::int32_t pages, int repeat)
{
    if (pages <= 0)
        return 0;
    const std::int64_t span = std::max(repeat, 1);
    return static_cast<std::int32_t>((std::int64_t{pages} + span - 1) / span);
}

void continueNumbering(Document &doc)
{
    for (PageObject &object : doc.objects) {
        const bool head = object.isLinked() && object.linkPrev == -1;
        if (!head && (object.isLinked() || !kindRow(object.kind).numbered))
            continue;
        const std::int32_t steps = stepsAfterRun(doc.pagesToPrint, object.format.repeat);
        object.start = wrapAdd(object.start, wrapMul(steps, object.stepPage));
        formatNumber(numberValueText(object, object.start, true), object.digits, &object.zeros);
    }
    propagateLinks(doc);
}

QList<NextFirstValue> firstValues(const Document &doc)
{
    QList<NextFirstValue> values;
    for (const PageObject &object : doc.objects) {
        if (kindRow(object.kind).numbered)
            values.append({object.name, objectText(object, 1, doc.pagesToPrint)});
    }
    return values;
}
