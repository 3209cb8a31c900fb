#pragma once

#include "document.h"

#include <QList>

#include <cstdint>

// The selection marks of a document's objects, and nothing else of it: what
// the selection rules may change. 1 is selected; deselecting writes -1 or 0,
// as the file keeps either.
class Selection
{
public:
    explicit Selection(Document &doc) : m_doc(doc) {}

    int count() const { return m_doc.count(); }
    bool isSelected(int index) const { return m_doc.objects[index].isSelected(); }
    std::int16_t mark(int index) const { return m_doc.objects[index].selected; }
    void setMark(int index, std::int16_t mark) { m_doc.objects[index].selected = mark; }
    Side side(int index) const { return sideOf(m_doc, m_doc.objects[index]); }

private:
    Document &m_doc;
};

// Main mode: a press on empty page deselects all; Shift toggles the object
// under the pointer; a plain press on an unselected object selects it alone,
// and on a selected one keeps the whole selection, ready to be dragged.
// `hit` is the object under the pointer, or -1.
void selectPress(Selection &selection, int hit, bool shift);
// Selects every object on `side` and nothing on the other.
void selectAll(Selection &selection, Side side);
void deselectAll(Selection &selection);
// Deselects every object that is not on `side`: the side no longer shown.
void deselectOtherSide(Selection &selection, Side side);
// Adds every object whose box meets `rect` to the selection. `boxes` holds
// one box per object, in window pixels.
void selectInRect(Selection &selection, const QList<Bounds32> &boxes, const Bounds32 &rect);
