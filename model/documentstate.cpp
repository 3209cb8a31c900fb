#include "documentstate.h"

#include <algorithm>

DocumentState::DocumentState(int capacity)
    : objects(std::max(capacity, 0), zeroRecord()),
      fontNames(std::max(capacity, 0), QStringLiteral("0")),
      texts(std::max(capacity, 0), QStringLiteral("0")),
      names(std::max(capacity, 0), QStringLiteral("0")), drawOrder(std::max(capacity, 0), 0),
      objectCapacity(std::max(capacity, 0))
{
}

namespace {
DocumentState &instance()
{
    static DocumentState document;
    return document;
}
} // namespace

DocumentState &theDocument()
{
    return instance();
}

void resetTheDocument(int capacity)
{
    instance() = DocumentState(capacity);
}
