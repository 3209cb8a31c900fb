#pragma once

#include "document.h"
#include "numbering.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <initializer_list>

// Builds documents object by object, apart from the table operations under
// test: every object is appended unlinked, in face "Arial", on top of the
// stacking order.

inline int addObject(Document &doc, std::int32_t kind, std::int32_t x, std::int32_t y,
                     const QString &text, std::int32_t color = 0, std::int16_t fontSize = 14)
{
    PageObject object;
    object.kind = kind;
    object.x = x;
    object.y = y;
    object.color = color;
    object.fontSize = fontSize;
    object.stepLink = 1;
    object.fontName = QStringLiteral("Arial");
    object.text = text;
    const int index = doc.count();
    doc.objects.append(object);
    doc.drawOrder.append(index);
    return index;
}

inline int addNumber(Document &doc, std::int32_t x, std::int32_t y, NumberValue start,
                     std::int16_t digits, std::int32_t stepPage = 1)
{
    const int index = addObject(doc, KindNumber, x, y, QString());
    doc.objects[index].start = start;
    doc.objects[index].digits = digits;
    doc.objects[index].stepPage = stepPage;
    return index;
}

// Chains the given objects, in that order, into link `id`, and counts the link.
inline void linkObjects(Document &doc, std::int32_t id, std::initializer_list<int> members)
{
    int previous = -1;
    for (const int index : members) {
        doc.objects[index].linkId = id;
        doc.objects[index].linkPrev = previous;
        doc.objects[index].linkNext = -1;
        if (previous != -1)
            doc.objects[previous].linkNext = index;
        previous = index;
    }
    doc.linkCount = std::max(doc.linkCount, id + 1);
}

// The drawing order, bottom first.
inline void setDrawOrder(Document &doc, const QList<std::int32_t> &order)
{
    doc.drawOrder = order;
}

inline void selectObjects(Document &doc, std::initializer_list<int> members)
{
    for (const int index : members)
        doc.objects[index].selected = 1;
}

// Compact dumps of the objects, to compare whole.

// What every object shows on `page` (the page shown when not given).
inline QStringList textsOf(const Document &doc, std::int32_t page = 0)
{
    QStringList texts;
    for (int i = 0; i < doc.count(); ++i)
        texts.append(objectText(doc, i, page > 0 ? page : doc.pageShown));
    return texts;
}

// What `object`, alone in a document, shows on `page` of a run of `pages`.
inline QString textOf(const PageObject &object, std::int32_t page, std::int32_t pages)
{
    Document doc = emptyDocument(1);
    doc.objects.append(object);
    doc.drawOrder.append(0);
    doc.pagesToPrint = pages;
    return objectText(doc, 0, page);
}

inline QList<std::int32_t> drawOrderOf(const Document &doc)
{
    return doc.drawOrder;
}

// left, top, right and bottom of a box.
using Edges = QList<std::int32_t>;

inline Edges edges(const Bounds32 &box)
{
    return {box.left, box.top, box.right, box.bottom};
}

// linkId, linkPrev and linkNext of one object.
using Link = QList<std::int32_t>;
inline const Link unlinked{-1, -1, -1};

inline Link linkOf(const Document &doc, int index)
{
    const PageObject &object = doc.objects[index];
    return {object.linkId, object.linkPrev, object.linkNext};
}

// Every object's position, in table order: "x,y x,y ...".
inline QString positionsOf(const Document &doc)
{
    QStringList positions;
    for (const PageObject &object : doc.objects)
        positions.append(QStringLiteral("%1,%2").arg(object.x).arg(object.y));
    return positions.join(u' ');
}

// Every object's linkId, linkPrev and linkNext, in table order: "id,prev,next",
// or "-" for an unlinked object.
inline QString linksOf(const Document &doc)
{
    QStringList links;
    for (const PageObject &object : doc.objects) {
        links.append(object.linkId == -1 ? QStringLiteral("-")
                                         : QStringLiteral("%1,%2,%3")
                                               .arg(object.linkId)
                                               .arg(object.linkPrev)
                                               .arg(object.linkNext));
    }
    return links.join(u' ');
}

// Every object's place and numbering, in table order: "x,y:start+stepLink ...".
inline QString cellsOf(const Document &doc)
{
    QStringList cells;
    for (const PageObject &o : doc.objects)
        cells.append(QStringLiteral("%1,%2:%3+%4").arg(o.x).arg(o.y).arg(o.start).arg(o.stepLink));
    return cells.join(u' ');
}

// Every object's selection mark, in table order.
inline QList<int> marksOf(const Document &doc)
{
    QList<int> marks;
    for (const PageObject &object : doc.objects)
        marks.append(object.selected);
    return marks;
}

// Every field of an object on one line, so that two objects compare whole and
// a difference shows where it is.
inline QString objectDump(const PageObject &o)
{
    const NumberFormat &f = o.format;
    const QList<qint64> values{o.kind,     o.x,           o.y,        o.start,       o.stepPage,
                               o.stepLink, o.digits,      o.color,    o.customColor, o.fontSize,
                               o.angle,    o.linkId,      o.linkPrev, o.linkNext,    o.selected,
                               o.zeros,    int(f.system), f.repeat,   int(f.check),  f.autoWidth};
    QStringList fields;
    for (const std::int32_t value : values)
        fields.append(QString::number(value));
    return fields.join(u' ') +
           QStringLiteral(" font '%1' text '%2' name '%3' affixes '%4' '%5' reserved %6")
               .arg(o.fontName, o.text, o.name, f.prefix, f.suffix,
                    QString::fromLatin1(o.reserved.toHex()));
}

// The document values, then one line per object, then the drawing order.
inline QStringList documentDump(const Document &doc)
{
    QStringList lines{QStringLiteral("links %1 last %2 pages %3/%4 capacity %5")
                          .arg(doc.linkCount)
                          .arg(doc.lastLinked)
                          .arg(doc.pageShown)
                          .arg(doc.pagesToPrint)
                          .arg(doc.capacity)};
    for (const PageObject &object : doc.objects)
        lines.append(objectDump(object));
    QStringList order;
    for (const std::int32_t entry : doc.drawOrder)
        order.append(QString::number(entry));
    lines.append(QStringLiteral("order ") + order.join(u' '));
    return lines;
}
