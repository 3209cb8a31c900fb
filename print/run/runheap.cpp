#include "run/runheap.h"

// Any C library header says whether it is glibc.
#include <cstdlib>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

#ifdef __GLIBC__
// Kept through the run: more than a page of any size asks for at once.
constexpr int keptBytes = 256 << 20;
constexpr int paddingBytes = 64 << 20;
// Blocks up to this size come from the heap, not from mappings of their own
// made and unmade for every page (a compressor's window, a page's content).
constexpr int mappedFrom = 32 << 20;
// glibc's own settings.
constexpr int defaultTrimThreshold = 128 * 1024;
constexpr int defaultTopPad = 128 * 1024;
constexpr int defaultMmapThreshold = 128 * 1024;
#endif

} // namespace

RunHeap::RunHeap()
{
#ifdef __GLIBC__
    mallopt(M_TRIM_THRESHOLD, keptBytes);
    mallopt(M_TOP_PAD, paddingBytes);
    mallopt(M_MMAP_THRESHOLD, mappedFrom);
#endif
}

RunHeap::~RunHeap()
{
#ifdef __GLIBC__
    mallopt(M_TRIM_THRESHOLD, defaultTrimThreshold);
    mallopt(M_TOP_PAD, defaultTopPad);
    mallopt(M_MMAP_THRESHOLD, defaultMmapThreshold);
    malloc_trim(0);
#endif
}
