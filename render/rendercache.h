#pragma once

#include <memory>

// What rendering keeps from one page to the next: fonts sized for a device,
// text widths, which runs of letters shape as their glyphs, and encoded
// symbols. Owned by whoever renders (the screen, each print run), so that
// nothing is shared by accident; emptied at will.
class RenderCache
{
public:
    RenderCache();
    ~RenderCache();
    RenderCache(const RenderCache &) = delete;
    RenderCache &operator=(const RenderCache &) = delete;
    // A cache moved from is left empty, not hollow.
    RenderCache(RenderCache &&other);
    RenderCache &operator=(RenderCache &&other) noexcept;

    void clear();

    // What the cache holds, for the renderer's own code.
    struct Tables;
    Tables &tables() { return *m_tables; }

private:
    std::unique_ptr<Tables> m_tables;
};
