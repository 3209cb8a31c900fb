#pragma once

#include <cstdint>

// Scroll state of the document window, read by the renderer through its context.
struct ViewState
{
    std::int32_t vScrollPos = 0;
    std::int32_t vScrollStep = 0;
    std::int32_t hScrollPos = 0;

    std::int32_t scrollOffset() const { return vScrollPos * vScrollStep; }
};
