#include "pictures/pdfbounds.h"

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
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

// What drawing content costs: its bytes inflated and the operators it runs.
// Each sum stops at its bound plus one, which stands for anything past it.
struct Cost
{
    std::size_t bytes = 0;
    std::size_t operators = 0;
};

std::size_t boundedSum(std::size_t a, std::size_t b, std::size_t most)
{
    return a > most || b > most - a ? most + 1 : a + b;
}

std::size_t boundedProduct(std::size_t count, std::size_t each, std::size_t most)
{
    return each != 0 && count > most / each ? most + 1 : count * each;
}

// A content stream read: the operators it runs and how many times it draws
// each named XObject (`/Name Do`).
struct ReadContent
{
    std::size_t operators = 0;
    std::map<std::string, std::size_t> drawn;
};

// What each byte is to PDF's lexer, looked up: a content stream is read a
// byte at a time.
enum class CharClass : unsigned char
{
    Regular,
    Space,
    Delimiter,
};

constexpr std::array<CharClass, 256> charClasses = [] {
    std::array<CharClass, 256> classes{};
    for (const unsigned char space : std::string_view(" \n\r\t\f\0", 6))
        classes[space] = CharClass::Space;
    for (const unsigned char delimiter : std::string_view("()<>[]{}/%"))
        classes[delimiter] = CharClass::Delimiter;
    return classes;
}();

bool isSpace(char ch)
{
    return charClasses[static_cast<unsigned char>(ch)] == CharClass::Space;
}

bool isRegular(char ch)
{
    return charClasses[static_cast<unsigned char>(ch)] == CharClass::Regular;
}

int hexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

// A name as a resource dictionary's key spells it: `#xx` is a byte.
std::string decodedName(std::string_view name)
{
    std::string decoded;
    for (std::size_t at = 0; at < name.size(); ++at) {
        if (name[at] == '#' && at + 2 < name.size() && hexValue(name[at + 1]) >= 0 &&
            hexValue(name[at + 2]) >= 0) {
            decoded += char(hexValue(name[at + 1]) * 16 + hexValue(name[at + 2]));
            at += 2;
        } else {
            decoded += name[at];
        }
    }
    return decoded;
}

// Read by a lexer of its own: qpdf's tokenizer takes longer over a stream of
// millions of operators than Qt PDF takes to draw it.
ReadContent readContent(std::string_view content)
{
    ReadContent read;
    std::string_view lastName;
    std::size_t at = 0;
    const std::size_t end = content.size();
    while (at < end) {
        const char ch = content[at];
        if (isSpace(ch)) {
            ++at;
            continue;
        }
        if (ch == '/') {
            const std::size_t start = at++;
            while (at < end && isRegular(content[at]))
                ++at;
            lastName = content.substr(start, at - start);
            continue;
        }
        const std::string_view name = lastName;
        lastName = {};
        if (ch == '%') {
            while (at < end && content[at] != '\n' && content[at] != '\r')
                ++at;
        } else if (ch == '(') {
            // A string, its parentheses balanced but for escaped ones.
            int depth = 0;
            do {
                if (content[at] == '\\')
                    ++at;
                else if (content[at] == '(')
                    ++depth;
                else if (content[at] == ')')
                    --depth;
                ++at;
            } while (at < end && depth > 0);
        } else if (ch == '<' && at + 1 < end && content[at + 1] != '<') {
            const std::size_t close = content.find('>', at);
            at = close == std::string_view::npos ? end : close + 1;
        } else if (!isRegular(ch)) {
            ++at;
        } else {
            const std::size_t start = at;
            while (at < end && isRegular(content[at]))
                ++at;
            const std::string_view word = content.substr(start, at - start);
            if (std::string_view("0123456789+-.").find(word.front()) != std::string_view::npos ||
                word == "true" || word == "false" || word == "null")
                continue;
            ++read.operators;
            if (word == "Do" && !name.empty())
                ++read.drawn[decodedName(name)];
            // An inline image's data run to an EI between white space.
            if (word == "ID") {
                std::size_t image = at + 1;
                for (;;) {
                    image = content.find("EI", image);
                    if (image == std::string_view::npos ||
                        (isSpace(content[image - 1]) &&
                         (image + 2 == end || isSpace(content[image + 2]))))
                        break;
                    image += 2;
                }
                at = image == std::string_view::npos ? end : image + 2;
            }
        }
    }
    return read;
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
    std::map<QPDFObjGen, Cost> formCosts;
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
        const bool whole = stream.pipeStreamData(&sink, 0, qpdf_dl_generalized);
        if (sink.over())
            found = Excess::Stream;
        else if (!whole)
            found = Excess::Unreadable;
    }

    // What the content streams `streams` cost to draw with `resources`:
    // their own, each form they draw as many times as they draw it, and the
    // patterns and Type 3 glyphs of the resources. Past the bounds, with
    // `found` saying which.
    Cost cost(const std::vector<QPDFObjectHandle> &streams, QPDFObjectHandle resources, int depth)
    {
        Cost total;
        std::map<std::string, std::size_t> drawn;
        for (QPDFObjectHandle stream : streams) {
            std::string bytes;
            BoundedSink sink(limits.contentBytes - total.bytes, &bytes);
            const bool whole = stream.pipeStreamData(&sink, 0, qpdf_dl_specialized);
            if (sink.over() || !whole) {
                found = sink.over() ? Excess::Content : Excess::Unreadable;
                return past();
            }
            const ReadContent read = readContent(bytes);
            add(total, {bytes.size(), read.operators});
            for (const auto &[name, times] : read.drawn)
                drawn[name] += times;
        }
        if (!within(total))
            return past(total);
        QPDFObjectHandle xobjects = entry(resources, "/XObject");
        for (const auto &[name, times] : drawn) {
            QPDFObjectHandle form = entry(xobjects, name.c_str());
            if (form.isStream() && form.getDict().getKey("/Subtype").isNameAndEquals("/Form"))
                add(total, formCost(form, resources, depth), times);
            if (!within(total))
                return past(total);
        }
        for (auto &[name, pattern] : entriesOf(entry(resources, "/Pattern"))) {
            if (pattern.isStream())
                add(total, formCost(pattern, resources, depth));
            if (!within(total))
                return past(total);
        }
        for (auto &[name, font] : entriesOf(entry(resources, "/Font"))) {
            QPDFObjectHandle glyphResources = entry(font, "/Resources");
            for (auto &[glyph, procedure] : entriesOf(entry(font, "/CharProcs"))) {
                if (procedure.isStream())
                    add(total, formCost(procedure,
                                        glyphResources.isDictionary() ? glyphResources : resources,
                                        depth));
                if (!within(total))
                    return past(total);
            }
        }
        return total;
    }

    // Adds `cost`, `times` over, to `total`.
    void add(Cost &total, const Cost &cost, std::size_t times = 1) const
    {
        total.bytes =
            boundedSum(total.bytes, boundedProduct(times, cost.bytes, limits.contentBytes),
                       limits.contentBytes);
        total.operators =
            boundedSum(total.operators, boundedProduct(times, cost.operators, limits.operators),
                       limits.operators);
    }

    bool within(const Cost &cost) const
    {
        return found == Excess::None && cost.bytes <= limits.contentBytes &&
               cost.operators <= limits.operators;
    }

    // A cost past both bounds, saying which when nothing else did.
    Cost past(const Cost &cost = {})
    {
        if (found == Excess::None)
            found = cost.bytes > limits.contentBytes ? Excess::Content : Excess::Work;
        return {limits.contentBytes + 1, limits.operators + 1};
    }

    static std::map<std::string, QPDFObjectHandle> entriesOf(QPDFObjectHandle dictionary)
    {
        return dictionary.isDictionary() ? dictionary.getDictAsMap()
                                         : std::map<std::string, QPDFObjectHandle>();
    }

    // A form's cost to draw once, with its own resources or else those it
    // is drawn with; kept once measured within the bounds.
    Cost formCost(QPDFObjectHandle form, QPDFObjectHandle inherited, int depth)
    {
        const QPDFObjGen key = form.getObjGen();
        if (const auto known = formCosts.find(key); known != formCosts.end())
            return known->second;
        if (depth >= limits.formDepth || !measuring.insert(key).second) {
            found = Excess::Nesting;
            return past();
        }
        QPDFObjectHandle own = form.getDict().getKey("/Resources");
        const Cost measured = cost({form}, own.isDictionary() ? own : inherited, depth + 1);
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
        m_reader->read = !m_reader->pdf.anyWarnings();
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
        // A file qpdf had to mend, or a stream it could not inflate whole, may
        // read otherwise in Qt PDF: what it measured is not what would be drawn.
        if (reader.found == Excess::None && reader.pdf.anyWarnings())
            return Excess::Unreadable;
        return reader.found;
    } catch (const std::exception &) {
        return Excess::Unreadable;
    }
}

} // namespace pdfbounds
