#include "copypaste.h"

#include "file/documentfile.h"
#include "kinds.h"
#include "numbering.h"
#include "objecttable.h"
#include "selection.h"
#include "wrapint.h"

#include <QHash>
#include <QMimeData>

#include <vector>

namespace {

constexpr std::int32_t pasteStep = 10;
// Far enough for any run of pastes; a page crowded beyond it takes them there.
constexpr int mostSteps = 1000;
// The room a line of pasted text takes, in page units.
constexpr std::int32_t lineStep = 20;
// What a text object holds: a character area of the document file.
constexpr qsizetype longestText = 63;
// The most Paste reads from the clipboard, in either form: the most a
// document file holds, its objects and the largest extension block.
constexpr qint64 largestClipboard =
    48 + qint64{maxObjectCapacity} * (388 + 4) + 8 + (qint64{256} << 20);

// Whether any object of `copied`, moved by `shift`, would lie where an
// object of its kind lies in `doc`.
bool landsOnItsKind(const Document &doc, const Document &copied, std::int32_t shift)
{
    for (const PageObject &pasted : copied.objects) {
        const std::int32_t x = wrapAdd(pasted.x, shift);
        const std::int32_t y = wrapAdd(pasted.y, shift);
        for (const PageObject &object : doc.objects) {
            if (object.kind == pasted.kind && object.x == x && object.y == y)
                return true;
        }
    }
    return false;
}

// Chains `members` (indices of `doc`, in link order) into a new link.
void chain(Document &doc, const std::vector<int> &members)
{
    const std::int32_t link = doc.linkCount++;
    for (std::size_t k = 0; k < members.size(); ++k) {
        PageObject &object = doc.objects[members[k]];
        object.linkId = link;
        object.linkPrev = k > 0 ? members[k - 1] : -1;
        object.linkNext = k + 1 < members.size() ? members[k + 1] : -1;
    }
}

// The members of the link headed by `head`, in link order.
std::vector<int> chainFrom(const Document &doc, int head)
{
    std::vector<int> members{head};
    // A damaged chain that loops ends when it has met as many as there are.
    for (int next = doc.objects[head].linkNext;
         doc.isLive(next) && members.size() < std::size_t(doc.count());
         next = doc.objects[next].linkNext)
        members.push_back(next);
    return members;
}

PasteResult noRoom(const Document &doc, std::int64_t needed)
{
    return {false, needed, std::max(doc.capacity - doc.count(), 0)};
}

} // namespace

Document copiedObjects(const Document &doc)
{
    std::vector<int> picked;
    QHash<std::int32_t, int> membersLeft; // per link, members not picked
    for (int i = 0; i < doc.count(); ++i) {
        const PageObject &object = doc.objects[i];
        if (object.isSelected())
            picked.push_back(i);
        else if (object.isLinked())
            ++membersLeft[object.linkId];
    }
    Document copied = emptyDocument(static_cast<std::int32_t>(picked.size()));
    copied.pagesToPrint = doc.pagesToPrint;
    copied.pageShown = doc.pageShown;
    QHash<int, int> newIndex;
    Document shown = doc;
    for (const int i : picked) {
        // A number showing another's text that goes without it shows what it
        // showed, as a number of its own.
        const std::int32_t source = doc.objects[i].sameAs;
        if (doc.isLive(source) && !doc.objects[source].isSelected())
            keepShownNumbers(shown, source, [i](int mirror) { return mirror == i; });
    }
    for (const int i : picked) {
        newIndex.insert(i, copied.count());
        PageObject object = shown.objects[i];
        if (object.isLinked() && membersLeft.contains(object.linkId)) {
            // Counted with its link's repeat, as it was.
            object.format = seriesFormat(doc, i, seriesHead(doc, i));
            object.unlink();
        }
        if (object.picture && doc.pictures.contains(object.picture->id))
            copied.pictures.add(doc.pictures.bytes(object.picture->id));
        copied.objects.append(object);
    }
    for (const std::int32_t entry : doc.drawOrder) {
        if (newIndex.contains(entry))
            copied.drawOrder.append(newIndex.value(entry));
    }
    for (PageObject &object : copied.objects) {
        if (object.sameAs != -1)
            object.sameAs = newIndex.value(object.sameAs);
    }
    // Whole links, under the copy's own indices.
    for (int k = 0; k < copied.count(); ++k) {
        const PageObject &object = copied.objects[k];
        if (!object.isLinked() || doc.isLive(object.linkPrev))
            continue;
        std::vector<int> members;
        for (const int member : chainFrom(doc, picked[std::size_t(k)]))
            members.push_back(newIndex.value(member));
        chain(copied, members);
    }
    return copied;
}

QString copiedText(const Document &doc)
{
    QStringList lines;
    for (int i = 0; i < doc.count(); ++i) {
        if (doc.objects[i].isSelected())
            lines.append(objectText(doc, i, doc.pageShown));
    }
    return lines.join(u'\n');
}

void putObjects(QMimeData &mime, const Document &copied, const QString &text)
{
    mime.setData(QLatin1String(objectsMimeType), documentBytes(copied, {}));
    mime.setText(text);
}

namespace {

// Why the objects read cannot be pasted whole; empty when they can.
QString objectsRefusal(const LoadResult &read)
{
    if (!read.messages.isEmpty())
        return read.messages.constFirst().detail;
    if (read.storedObjects > maxObjectCapacity)
        return QStringLiteral("%1 objects, more than a document holds").arg(read.storedObjects);
    for (const PageObject &object : read.document->objects) {
        if (object.kind == KindPicture &&
            (!object.picture || !read.document->pictures.contains(object.picture->id)))
            return QStringLiteral("a picture without its bytes");
    }
    return {};
}

QString tooLarge(qint64 size)
{
    return QStringLiteral("Nothing was pasted: the clipboard holds %1 MB, more than a document "
                          "can (%2 MB).")
        .arg(size >> 20)
        .arg(largestClipboard >> 20);
}

} // namespace

ClipboardContent takeFromClipboard(const QMimeData &mime)
{
    ClipboardContent content;
    if (!mime.hasFormat(QLatin1String(objectsMimeType))) {
        content.text = mime.text();
        if (content.text.size() > largestClipboard) {
            content.refusal = tooLarge(content.text.size());
            content.text.clear();
        }
        return content;
    }
    // The text beside them is a lesser copy: objects that cannot be read
    // whole are not pasted in another form.
    const QByteArray bytes = mime.data(QLatin1String(objectsMimeType));
    if (bytes.size() > largestClipboard) {
        content.refusal = tooLarge(bytes.size());
        return content;
    }
    LoadResult read = readDocument(bytes, maxObjectCapacity);
    const QString refusal = objectsRefusal(read);
    if (!refusal.isEmpty()) {
        content.refusal =
            QStringLiteral("Nothing was pasted: the objects on the clipboard cannot be read "
                           "whole (%1).")
                .arg(refusal);
        return content;
    }
    content.objects = std::move(read.document);
    return content;
}

PasteResult pasteObjects(Document &doc, const Document &copied)
{
    if (copied.count() > doc.capacity - doc.count())
        return noRoom(doc, copied.count());
    std::int32_t shift = 0;
    for (int step = 0; step < mostSteps && landsOnItsKind(doc, copied, shift); ++step)
        shift += pasteStep;

    for (const auto &entry : copied.pictures.entries())
        doc.pictures.add(entry.second);
    Selection selection(doc);
    deselectAll(selection);
    const int first = doc.count();
    for (int k = 0; k < copied.count(); ++k) {
        PageObject object = copyOf(copied.objects[k], first + k);
        object.x = wrapAdd(object.x, shift);
        object.y = wrapAdd(object.y, shift);
        object.selected = 1;
        if (object.sameAs != -1)
            object.sameAs = first + object.sameAs;
        doc.objects.append(object);
    }
    for (const std::int32_t entry : copied.drawOrder) {
        if (copied.isLive(entry))
            doc.drawOrder.append(first + entry);
    }
    for (int k = 0; k < copied.count(); ++k) {
        const PageObject &object = copied.objects[k];
        if (!object.isLinked() || copied.isLive(object.linkPrev))
            continue;
        std::vector<int> members;
        for (const int member : chainFrom(copied, k))
            members.push_back(first + member);
        chain(doc, members);
    }
    propagateLinks(doc);
    return {true, copied.count(), doc.capacity - first};
}

PasteResult pasteLines(Document &doc, const QString &text, std::int32_t x, std::int32_t y)
{
    QStringList lines = text.split(u'\n');
    for (QString &line : lines)
        line = line.trimmed().left(longestText);
    lines.removeAll(QString());
    if (lines.size() > doc.capacity - doc.count())
        return noRoom(doc, lines.size());
    Selection selection(doc);
    deselectAll(selection);
    const int first = doc.count();
    for (const QString &line : std::as_const(lines)) {
        const std::optional<int> placed = createObject(doc, KindText, x, y);
        if (!placed)
            break;
        doc.objects[*placed].text = line;
        doc.objects[*placed].selected = 1;
        y = wrapAdd(y, lineStep);
    }
    return {true, lines.size(), doc.capacity - first};
}
