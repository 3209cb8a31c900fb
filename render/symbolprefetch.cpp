#include "symbolprefetch.h"

#include "kinds.h"

SymbolPrefetch::SymbolPrefetch(const RunTexts &texts) : m_texts(texts)
{
    const Document &doc = texts.document();
    for (int i = 0; i < doc.count(); ++i) {
        if (kindRow(doc.objects[i].kind).numbered && doc.objects[i].format.barcode)
            m_barcodes.push_back(i);
    }
    if (!m_barcodes.empty() && std::thread::hardware_concurrency() > 1)
        m_worker = std::thread(&SymbolPrefetch::work, this);
}

SymbolPrefetch::~SymbolPrefetch()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void SymbolPrefetch::startPage(std::int32_t page, std::int32_t next)
{
    m_current.clear();
    if (!m_worker.joinable())
        return;
    std::unique_lock lock(m_mutex);
    // Symbols of a page the run did not go on to are of no use.
    if (m_ready != 0 && m_ready != page) {
        m_done.clear();
        m_ready = 0;
    }
    // The page was asked for: its symbols are nearly there, or there.
    if (m_asked == page || m_ready == page) {
        m_changed.notify_all();
        m_changed.wait(lock, [this, page] { return m_ready == page; });
        m_current = std::move(m_done);
        m_done.clear();
        m_ready = 0;
    }
    m_asked = next;
    lock.unlock();
    m_changed.notify_all();
}

EncodedBarcode SymbolPrefetch::symbolFor(const BarcodeStyle &style, const QString &text)
{
    for (Encoded &encoded : m_current) {
        if (encoded.style && encoded.text == text && *encoded.style == style) {
            // Each is drawn once: the page's list gets shorter as it goes.
            EncodedBarcode code = std::move(encoded.code);
            encoded.style = nullptr;
            return code;
        }
    }
    return encodeBarcode(style, text);
}

std::vector<SymbolPrefetch::Encoded> SymbolPrefetch::encodePage(std::int32_t page) const
{
    std::vector<Encoded> encoded;
    encoded.reserve(m_barcodes.size());
    const Document &doc = m_texts.document();
    for (const int index : m_barcodes) {
        // A run that ends waits for no more than one symbol.
        if (m_stopping)
            break;
        const BarcodeStyle &style = *doc.objects[index].format.barcode;
        QString text = m_texts.text(index, page);
        EncodedBarcode code = encodeBarcode(style, text);
        encoded.push_back({&style, std::move(text), std::move(code)});
    }
    return encoded;
}

void SymbolPrefetch::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || (m_asked != 0 && m_ready == 0); });
        if (m_stopping)
            return;
        const std::int32_t page = m_asked;
        lock.unlock();
        std::vector<Encoded> encoded = encodePage(page);
        lock.lock();
        // The run may have gone on elsewhere meanwhile.
        if (m_asked == page) {
            m_done = std::move(encoded);
            m_ready = page;
            m_asked = 0;
        }
        m_changed.notify_all();
    }
}
