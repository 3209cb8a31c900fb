#pragma once

#include "document.h"
#include "listdiff.h"

#include <cstdint>

// What one edit changed in a document, so that it can be taken back and
// made again: the objects and drawing-order entries that differ, and the
// document values. The page shown is the view's, not an edit's.
class DocumentDiff
{
public:
    static DocumentDiff between(const Document &before, const Document &after);

    bool isEmpty() const;
    void undo(Document &doc) const;
    void redo(Document &doc) const;
    // Folds in an edit made right after this one that kept the object count.
    bool absorb(const DocumentDiff &later);
    // Objects and order entries held: what the step costs.
    qsizetype heldEntries() const;

private:
    struct Values
    {
        std::int32_t linkCount = 0;
        std::int32_t lastLinked = -1;
        std::int32_t pagesToPrint = 1;
        PictureStore pictures;
        std::optional<SheetLayout> sheet;
        Duplex duplex = Duplex::Off;
        std::optional<DataSourceSettings> data;

        bool operator==(const Values &) const = default;
    };
    static Values valuesOf(const Document &doc);
    static void setValues(Document &doc, const Values &values);

    ListDiff<PageObject> m_objects;
    ListDiff<std::int32_t> m_order;
    Values m_before;
    Values m_after;
};
