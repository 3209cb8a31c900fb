#include "pdfbounds.h"

#include <qpdf/BufferInputSource.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFTokenizer.hh>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace pdfbounds {
namespace {

// A stream's data as it inflates, kept or only counted, up to `most` bytes:
// past them the inflating stops.
class BoundedSink : public Pipeline
{
public:
    BoundedSink(std::size_t most, std::string *kept)
        : Pipeline("bounded", nullptr), m_most(most), m_kept(kept)
    {
    }

    void write(unsigned char const *data, std::size_t length) override
    {
        if (length > m_most - m_size) {
            m_over = true;
            throw std::length_error("past the bound");
        }
        m_size += length;
        if (m_kept)
            m_kept->append(reinterpret_cast<const char *>(data), length);
    }
    void finish() override {}

    bool over() const { return m_over; }

private:
    std::size_t m_most;
    std::string *m_kept;
    std::size_t m_size = 0;
    bool m_over = false;
};

// Sums and products that stop at `most + 1`, which stands for anything past
// the bound.
std::size_t boundedSum(std::size_t a, std::size_t b, std::size_t most)
{
    return a > most || b > most - a ? most + 1 : a + b;
}

std::size_t boundedProduct(std::size_t count, std::size_t each, std::size_t most)
{
    return each != 0 && count > most / each ? most + 1 : count * each;
}

// How many times a content stream draws each named XObject (`/Name Do`).
std::map<std::string, std::size_t> drawnXObjects(const std::string &content)
{
    std::map<std::string, std::size_t> drawn;
    auto input = std::make_shared<BufferInputSource>("content", content);
    QPDFTokenizer tokenizer;
    tokenizer.allowEOF();
    std::string lastName;
    for (;;) {
        const QPDFTokenizer::Token token = tokenizer.readToken(input, "content", true);
        const QPDFTokenizer::token_type_e type = token.getType();
        if (type == QPDFTokenizer::tt_eof)
            break;
        if (type == QPDFTokenizer::tt_name) {
            lastName = token.getValue();
            continue;
        }
        if (token.isWord("Do") && !lastName.empty())
            ++drawn[lastName];
        if (token.isWord("ID")) {
            // An inline image's data follows one white-space character.
            char skipped = 0;
            input->read(&skipped, 1);
            tokenizer.expectInlineImage(input);
            if (tokenizer.readToken(input, "content", true).getType() !=
                QPDFTokenizer::tt_inline_image)
                break;
        }
        lastName.clear();
    }
    return drawn;
}

// The streams of a page's /Contents, one or an array of them.
std::vector<QPDFObjectHandle> contentStreams(QPDFObjectHandle contents)
{
    std::vector<QPDFObjectHandle> streams;
    if (contents.isStream())
        streams.push_back(contents);
    if (contents.isArray()) {
        for (auto &item : contents.aitems()) {
            if (item.isStream())
                streams.push_back(item);
        }
    }
    return streams;
}

QPDFObjectHandle entry(QPDFObjectHandle dictionary, const char *key)
{
    return dictionary.isDictionary() ? dictionary.getKey(key) : QPDFObjectHandle::newNull();
}

} // namespace

struct PdfPages::Reader
{
    Limits limits;
    QPDF pdf;
    std::vector<QPDFPageObjectHelper> pages;
    bool read = false;
    // Measured once for the whole file.
    std::set<QPDFObjGen> streamsChecked;
    std::map<QPDFObjGen, std::size_t> formCosts;
    // The forms being measured, to find one drawn within itself.
    std::set<QPDFObjGen> measuring;
    Excess found = Excess::None;

    // Every stream that `root` reaches, each inflated within its bound, and
    // every image's size.
    void checkStreams(QPDFObjectHandle root)
    {
        std::vector<QPDFObjectHandle> toVisit{root};
        std::set<QPDFObjGen> visited;
        while (!toVisit.empty() && found == Excess::None) {
            QPDFObjectHandle object = toVisit.back();
            toVisit.pop_back();
            if (object.isIndirect() && !visited.insert(object.getObjGen()).second)
                continue;
            if (object.isStream()) {
                // A form is measured as it is drawn.
                if (!object.getDict().getKey("/Subtype").isNameAndEquals("/Form") &&
                    streamsChecked.insert(object.getObjGen()).second)
                    checkStream(object);
                toVisit.push_back(object.getDict());
            } else if (object.isDictionary()) {
                for (auto &[key, value] : object.ditems())
                    toVisit.push_back(value);
            } else if (object.isArray()) {
                for (auto &item : object.aitems())
                    toVisit.push_back(item);
            }
        }
    }

    void checkStream(QPDFObjectHandle stream)
    {
        QPDFObjectHandle dictionary = stream.getDict();
        if (dictionary.getKey("/Subtype").isNameAndEquals("/Image")) {
            long long width = 0;
            long long height = 0;
            if (dictionary.getKey("/Width").getValueAsInt(width) &&
                dictionary.getKey("/Height").getValueAsInt(height) && width > 0 && height > 0 &&
                std::size_t(height) > limits.imagePixels / std::size_t(width)) {
                found = Excess::Image;
                return;
            }
        }
        BoundedSink sink(limits.streamBytes, nullptr);
        stream.pipeStreamData(&sink, 0, qpdf_dl_generalized, true);
        if (sink.over())
            found = Excess::Stream;
    }

    // What the content streams `streams` cost to draw with `resources`:
    // their bytes, each form they draw as many times as they draw it, and
    // the patterns and Type 3 glyphs of the resources. Past the bound, with
    // `found` saying why.
    std::size_t cost(const std::vector<QPDFObjectHandle> &streams, QPDFObjectHandle resources,
                     int depth)
    {
        const std::size_t most = limits.contentBytes;
        std::size_t total = 0;
        std::map<std::string, std::size_t> drawn;
        for (QPDFObjectHandle stream : streams) {
            std::string bytes;
            BoundedSink sink(most - total, &bytes);
            stream.pipeStreamData(&sink, 0, qpdf_dl_specialized, true);
            if (sink.over()) {
                found = Excess::Content;
                return most + 1;
            }
            total += bytes.size();
            for (const auto &[name, times] : drawnXObjects(bytes))
                drawn[name] += times;
        }
        QPDFObjectHandle xobjects = entry(resources, "/XObject");
        for (const auto &[name, times] : drawn) {
            QPDFObjectHandle form = entry(xobjects, name.c_str());
            if (form.isStream() && form.getDict().getKey("/Subtype").isNameAndEquals("/Form"))
                total = boundedSum(
                    total, boundedProduct(times, formCost(form, resources, depth), most), most);
            if (found != Excess::None || total > most)
                return past(total);
        }
        for (auto &[name, pattern] : entriesOf(entry(resources, "/Pattern"))) {
            if (pattern.isStream())
                total = boundedSum(total, formCost(pattern, resources, depth), most);
            if (found != Excess::None || total > most)
                return past(total);
        }
        for (auto &[name, font] : entriesOf(entry(resources, "/Font"))) {
            QPDFObjectHandle glyphResources = entry(font, "/Resources");
            for (auto &[glyph, procedure] : entriesOf(entry(font, "/CharProcs"))) {
                if (procedure.isStream())
                    total = boundedSum(
                        total,
                        formCost(procedure,
                                 glyphResources.isDictionary() ? glyphResources : resources, depth),
                        most);
                if (found != Excess::None || total > most)
                    return past(total);
            }
        }
        return total;
    }

    std::size_t past(std::size_t total)
    {
        if (found == Excess::None)
            found = Excess::Content;
        return std::max(total, limits.contentBytes + 1);
    }

    static std::map<std::string, QPDFObjectHandle> entriesOf(QPDFObjectHandle dictionary)
    {
        return dictionary.isDictionary() ? dictionary.getDictAsMap()
                                         : std::map<std::string, QPDFObjectHandle>();
    }

    // A form's cost to draw once, with its own resources or else those it
    // is drawn with; kept once measured within the bounds.
    std::size_t formCost(QPDFObjectHandle form, QPDFObjectHandle inherited, int depth)
    {
        const QPDFObjGen key = form.getObjGen();
        if (const auto known = formCosts.find(key); known != formCosts.end())
            return known->second;
        if (depth >= limits.formDepth || !measuring.insert(key).second) {
            found = Excess::Nesting;
            return limits.contentBytes + 1;
        }
        QPDFObjectHandle own = form.getDict().getKey("/Resources");
        const std::size_t measured = cost({form}, own.isDictionary() ? own : inherited, depth + 1);
        measuring.erase(key);
        if (found == Excess::None)
            formCosts.emplace(key, measured);
        return measured;
    }
};

PdfPages::PdfPages(const char *data, std::size_t size, const Limits &limits)
    : m_reader(std::make_unique<Reader>())
{
    m_reader->limits = limits;
    try {
        m_reader->pdf.setSuppressWarnings(true);
        m_reader->pdf.processMemoryFile("picture", data, size);
        m_reader->pages = QPDFPageDocumentHelper(m_reader->pdf).getAllPages();
        m_reader->read = true;
    } catch (const std::exception &) {
        m_reader->pages.clear();
    }
}

PdfPages::~PdfPages() = default;

Excess PdfPages::excess(int page)
{
    Reader &reader = *m_reader;
    if (!reader.read || page < 1 || std::size_t(page) > reader.pages.size())
        return Excess::Unreadable;
    try {
        reader.found = Excess::None;
        reader.measuring.clear();
        QPDFPageObjectHelper &shown = reader.pages[std::size_t(page - 1)];
        QPDFObjectHandle resources = shown.getAttribute("/Resources", false);
        reader.checkStreams(resources);
        if (reader.found == Excess::None)
            reader.cost(contentStreams(shown.getObjectHandle().getKey("/Contents")), resources, 0);
        return reader.found;
    } catch (const std::exception &) {
        return Excess::Unreadable;
    }
}

} // namespace pdfbounds
