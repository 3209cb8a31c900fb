#pragma once

#include "document.h"

#include <cstdint>

// Scroll state and zoom of the document window and the side of the paper it
// shows, read by the renderer through its context. View state: never in the
// document, never an undo step.
struct ViewState
{
    std::int32_t vScrollPos = 0;
    std::int32_t vScrollStep = 0;
    std::int32_t hScrollPos = 0;
    // The side asked for; a one-sided document shows its front whatever it is.
    Side side = Side::Front;
    // Window pixels per page unit.
    double zoom = 1;

    std::int32_t scrollOffset() const { return vScrollPos * vScrollStep; }
};

// The zooms the document window shows the page at.
inline constexpr double minZoom = 0.25;
inline constexpr double maxZoom = 2;

// The side the document window shows of `doc`.
inline Side shownSide(const Document &doc, const ViewState &view)
{
    return doc.duplex == Duplex::Off ? Side::Front : view.side;
}
