#pragma once

#include "document.h"
#include "rendercache.h"

#include <QList>

#include <cstdint>

// The box of every object in document-window pixels, as shown on the page
// shown, for a vertical scroll offset: what hit tests, the rubber band, the
// selection frames and the link overlay read. One box per object, in table
// order. The box is that of the unrotated object; an object on the other
// side than `side`, which the page does not show, has an empty box where
// nothing meets it.
QList<Bounds32> layoutPass(const Document &doc, std::int32_t scrollOffset, RenderCache &cache,
                           Side side = Side::Front);
