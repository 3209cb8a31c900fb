#pragma once

#include "documentstate.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <initializer_list>

// Builds documents record by record, apart from the table operations under
// test: every object is appended unlinked, in face "Arial", on top of the
// stacking order.

inline int addObject(DocumentState &doc, std::int32_t kind, std::int32_t x, std::int32_t y,
                     const QString &text, std::int32_t color = 0, std::int16_t fontSize = 14)
{
    const int index = doc.objectCount;
    mainStruct2 &object = doc.objects[index];
    object = zeroRecord();
    object.kind = kind;
    object.x = x;
    object.y = y;
    object.color = color;
    object.fontSize = fontSize;
    object.stepLink = 1;
    object.linkId = -1;
    object.linkPrev = -1;
    object.linkNext = -1;
    doc.fontNames[index] = QStringLiteral("Arial");
    doc.texts[index] = text;
    doc.drawOrder[index] = index;
    ++doc.objectCount;
    return index;
}

inline int addNumber(DocumentState &doc, std::int32_t x, std::int32_t y, std::int32_t start,
                     std::int16_t digits, std::int32_t stepPage = 1)
{
    const int index = addObject(doc, KindNumber, x, y, QString());
    doc.objects[index].start = start;
    doc.objects[index].digits = digits;
    doc.objects[index].stepPage = stepPage;
    return index;
}

// Chains the given objects, in that order, into link `id`, and counts the link.
inline void linkObjects(DocumentState &doc, std::int32_t id, std::initializer_list<int> members)
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

// The first entries of the drawing order, bottom first.
inline void setDrawOrder(DocumentState &doc, const QList<std::int32_t> &order)
{
    std::copy(order.begin(), order.end(), doc.drawOrder.begin());
}

inline void selectObjects(DocumentState &doc, std::initializer_list<int> members)
{
    for (const int index : members)
        doc.objects[index].selected = 1;
}

// Compact dumps of the live objects, to compare whole.

inline QStringList textsOf(const DocumentState &doc)
{
    return QStringList(doc.texts.begin(), doc.texts.begin() + doc.objectCount);
}

inline QList<std::int32_t> drawOrderOf(const DocumentState &doc)
{
    return QList<std::int32_t>(doc.drawOrder.begin(), doc.drawOrder.begin() + doc.objectCount);
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

inline Link linkOf(const DocumentState &doc, int index)
{
    const mainStruct2 &object = doc.objects[index];
    return {object.linkId, object.linkPrev, object.linkNext};
}

// Every object's position, in table order: "x,y x,y ...".
inline QString positionsOf(const DocumentState &doc)
{
    QStringList positions;
    for (int i = 0; i < doc.objectCount; ++i)
        positions.append(QStringLiteral("%1,%2").arg(doc.objects[i].x).arg(doc.objects[i].y));
    return positions.join(u' ');
}

// Every object's linkId, linkPrev and linkNext, in table order: "id,prev,next",
// or "-" for an unlinked object.
inline QString linksOf(const DocumentState &doc)
{
    QStringList links;
    for (int i = 0; i < doc.objectCount; ++i) {
        const mainStruct2 &object = doc.objects[i];
        links.append(object.linkId == -1 ? QStringLiteral("-")
                                         : QStringLiteral("%1,%2,%3")
                                               .arg(object.linkId)
                                               .arg(object.linkPrev)
                                               .arg(object.linkNext));
    }
    return links.join(u' ');
}

// Every object's place and numbering, in table order: "x,y:start+stepLink ...".
inline QString cellsOf(const DocumentState &doc)
{
    QStringList cells;
    for (int i = 0; i < doc.objectCount; ++i) {
        const mainStruct2 &o = doc.objects[i];
        cells.append(QStringLiteral("%1,%2:%3+%4").arg(o.x).arg(o.y).arg(o.start).arg(o.stepLink));
    }
    return cells.join(u' ');
}
