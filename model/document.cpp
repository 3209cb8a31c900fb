#include "document.h"

#include <algorithm>

QString noRoomMessage(const QString &what, std::int64_t needed, std::int32_t room)
{
    return QStringLiteral("%1 needs %2 new objects; the document has room for %3 more. "
                          "Max Number of Objects in Edit > Preferences sets the room, from the "
                          "next start.")
        .arg(what)
        .arg(needed)
        .arg(room);
}

Document emptyDocument(std::int32_t capacity)
{
    Document doc;
    doc.capacity = std::clamp(capacity, 0, maxObjectCapacity);
    return doc;
}

std::int32_t selectedCount(const Document &doc)
{
    return static_cast<std::int32_t>(
        std::count_if(doc.objects.cbegin(), doc.objects.cend(),
                      [](const PageObject &object) { return object.isSelected(); }));
}

std::int32_t firstSelected(const Document &doc)
{
    const auto found = std::find_if(doc.objects.cbegin(), doc.objects.cend(),
                                    [](const PageObject &object) { return object.isSelected(); });
    return static_cast<std::int32_t>(found - doc.objects.cbegin());
}

int soleSelected(const Document &doc)
{
    return selectedCount(doc) == 1 ? firstSelected(doc) : -1;
}

Side sideOf(const Document &, const PageObject &object)
{
    return object.side;
}
