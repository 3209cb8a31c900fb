// Prints what the undo history costs: the heap a document of 10,000 objects
// takes, the heap 1,000 editing steps of the usual kinds add to it (the
// history holds what each step changed, not copies of the table), and the
// time one step takes to record.

#include "documenteditor.h"
#include "editing.h"
#include "objecttable.h"
#include "selection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUndoStack>

#include <cstdio>
#include <functional>
#include <malloc.h>

namespace {

constexpr int objects = 10000;
constexpr int steps = 1000;

// What the heap holds, small blocks and mapped large ones together.
double heapMegabytes()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

Document makeDocument()
{
    Document doc = emptyDocument(maxObjectCapacity);
    doc.capacity = objects + steps;
    for (int i = 0; i < objects; ++i) {
        PageObject object;
        object.x = (i % 20) * 36;
        object.y = (i / 20) * 18;
        object.start = 125 + i;
        object.stepPage = 1;
        object.stepLink = 1;
        object.digits = 5;
        object.fontSize = 14;
        object.fontName = QStringLiteral("Arial");
        object.name = QStringLiteral("num%1").arg(i);
        doc.objects.append(object);
        doc.drawOrder.append(i);
    }
    return doc;
}

// Selects the objects `first` .. `first + count - 1` alone.
void selectRun(DocumentEditor &editor, int first, int count)
{
    editor.select([first, count](Selection &selection) {
        deselectAll(selection);
        for (int i = first; i < first + count && i < selection.count(); ++i)
            selection.setMark(i, 1);
    });
}

// The kinds of step a user makes most, in turn: a drag of one object, a
// nudge of a few, a new start value, a placed number, a deletion, an align
// of two, a duplicate, a new Pages value.
void makeStep(DocumentEditor &editor, int step)
{
    const int where = (step * 7919) % objects;
    switch (step % 8) {
    case 0:
        selectRun(editor, where, 1);
        editor.edit(QStringLiteral("Move"), [](Document &doc) { moveSelected(doc, 12, -7); });
        break;
    case 1:
        selectRun(editor, where, 10);
        editor.edit(QStringLiteral("Nudge"), [](Document &doc) { moveSelected(doc, 1, 0); });
        break;
    case 2:
        editor.edit(QStringLiteral("Number"),
                    [where](Document &doc) { doc.objects[where].start += 1000; });
        break;
    case 3:
        editor.edit(QStringLiteral("Place Number"),
                    [step](Document &doc) { createObject(doc, KindNumber, step % 500, 700); });
        break;
    case 4:
        editor.edit(QStringLiteral("Delete"),
                    [](Document &doc) { deleteObject(doc, doc.count() - 1); });
        break;
    case 5:
        selectRun(editor, where, 2);
        editor.edit(QStringLiteral("Align Left"), [](Document &doc) {
            for (PageObject &object : doc.objects) {
                if (object.isSelected())
                    object.x = 0;
            }
        });
        break;
    case 6:
        selectRun(editor, where, 1);
        editor.edit(QStringLiteral("Duplicate"), [](Document &doc) { duplicateSelected(doc); });
        break;
    default:
        editor.edit(QStringLiteral("Pages"), [step](Document &doc) { doc.pagesToPrint = step; });
        break;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Session session;
    DocumentEditor editor(session);

    const double empty = heapMegabytes();
    editor.replace(makeDocument());
    const double document = heapMegabytes() - empty;

    QElapsedTimer timer;
    timer.start();
    for (int step = 0; step < steps; ++step)
        makeStep(editor, step);
    const double milliseconds = double(timer.nsecsElapsed()) / 1e6;
    const double history = heapMegabytes() - empty - document;

    std::printf("document of %d objects: %.1f MB\n", objects, document);
    std::printf("%d steps (%d in the history): %.1f MB more, %.3f ms a step\n", steps,
                editor.undoStack().count(), history, milliseconds / steps);
    return 0;
}
