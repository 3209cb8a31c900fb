#include "documentdiff.h"

DocumentDiff DocumentDiff::between(const Document &before, const Document &after)
{
    DocumentDiff diff;
    diff.m_objects = ListDiff<PageObject>::between(before.objects, after.objects);
    diff.m_order = ListDiff<std::int32_t>::between(before.drawOrder, after.drawOrder);
    diff.m_before = valuesOf(before);
    diff.m_after = valuesOf(after);
    return diff;
}

bool DocumentDiff::isEmpty() const
{
    return m_objects.isEmpty() && m_order.isEmpty() && m_before == m_after;
}

void DocumentDiff::undo(Document &doc) const
{
    m_objects.undo(doc.objects);
    m_order.undo(doc.drawOrder);
    setValues(doc, m_before);
}

void DocumentDiff::redo(Document &doc) const
{
    m_objects.redo(doc.objects);
    m_order.redo(doc.drawOrder);
    setValues(doc, m_after);
}

bool DocumentDiff::absorb(const DocumentDiff &later)
{
    ListDiff<PageObject> objects = m_objects;
    ListDiff<std::int32_t> order = m_order;
    if (!objects.absorb(later.m_objects) || !order.absorb(later.m_order))
        return false;
    m_objects = objects;
    m_order = order;
    m_after = later.m_after;
    return true;
}

qsizetype DocumentDiff::heldEntries() const
{
    return m_objects.heldEntries() + m_order.heldEntries();
}

DocumentDiff::Values DocumentDiff::valuesOf(const Document &doc)
{
    return {doc.linkCount, doc.lastLinked, doc.pagesToPrint, doc.pictures,
            doc.sheet,     doc.duplex,     doc.data};
}

void DocumentDiff::setValues(Document &doc, const Values &values)
{
    doc.linkCount = values.linkCount;
    doc.lastLinked = values.lastLinked;
    doc.pagesToPrint = values.pagesToPrint;
    doc.pictures = values.pictures;
    doc.sheet = values.sheet;
    doc.duplex = values.duplex;
    doc.data = values.data;
}
