#pragma once

#include "barcode.h"
#include "numbering.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Encodes the barcodes of the page a print run draws next on a second
// thread while the current page is written, one page ahead at most. The
// drawing takes each symbol from here; what was not encoded ahead (no
// second core, a page not asked for in time) is encoded as it is drawn, as
// without it. The worker touches no render cache: it encodes from the run's
// texts alone.
class SymbolPrefetch
{
public:
    // For the run whose texts are `texts`, which must outlive it. Idle
    // without a second core or when no object is drawn as a barcode.
    explicit SymbolPrefetch(const RunTexts &texts);
    ~SymbolPrefetch();

    SymbolPrefetch(const SymbolPrefetch &) = delete;
    SymbolPrefetch &operator=(const SymbolPrefetch &) = delete;

    // Page `page` is drawn now: its symbols are taken from the worker when
    // it was asked for them, and the worker goes on to page `next` (none
    // when 0).
    void startPage(std::int32_t page, std::int32_t next);
    // The symbol of `text` in `style` on the page being drawn.
    EncodedBarcode symbolFor(const BarcodeStyle &style, const QString &text);

private:
    struct Encoded
    {
        const BarcodeStyle *style;
        QString text;
        EncodedBarcode code;
    };
    void work();
    std::vector<Encoded> encodePage(std::int32_t page) const;

    const RunTexts &m_texts;
    std::vector<int> m_barcodes; // the objects drawn as barcodes
    std::vector<Encoded> m_current;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::int32_t m_asked = 0; // the page the worker is to encode, 0 for none
    std::int32_t m_ready = 0; // the page whose symbols wait in m_done
    std::vector<Encoded> m_done;
    std::atomic<bool> m_stopping = false;
    std::thread m_worker;
};
