#include "layout.h"

#include "numbering.h"
#include "objectshapes.h"
#include "renderstate.h"
#include "wrapint.h"

QList<Bounds32> layoutPass(const Document &doc, std::int32_t scrollOffset, RenderCache &cache,
                           Side side)
{
    QList<Bounds32> boxes;
    boxes.reserve(doc.count());
    const RunTexts texts(doc);
    for (int i = 0; i < doc.count(); ++i) {
        const PageObject &object = doc.objects[i];
        if (sideOf(doc, object) != side) {
            boxes.append(Bounds32{});
            continue;
        }
        const BoxSize size = objectBoxSize(cache, object, texts.text(i, doc.pageShown));
        Bounds32 box;
        box.left = wrapAdd(object.x, pageWindowOffset);
        box.top = wrapSub(wrapAdd(object.y, pageWindowOffset), scrollOffset);
        box.right = wrapAdd(box.left, size.width);
        box.bottom = wrapAdd(box.top, size.height);
        boxes.append(box);
    }
    return boxes;
}
