#pragma once

// Keeps the heap a print run grows until the run ends, then gives it back.
// Left alone, glibc returns freed memory at the top of the heap to the
// system and asks for it again a few times a page, half of a plain run's
// time. Elsewhere than glibc it does nothing.
class RunHeap
{
public:
    RunHeap();
    ~RunHeap();

    RunHeap(const RunHeap &) = delete;
    RunHeap &operator=(const RunHeap &) = delete;
};
