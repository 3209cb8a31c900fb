#include "forms/qpdfpages.h"

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFMatrix.hh>
#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// The run's file, read at the few places the update needs.
class RunFile
{
public:
    explicit RunFile(const std::string &path)
    {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat status = {};
        if (m_fd < 0 || ::fstat(m_fd, &status) != 0)
            throw std::runtime_error("The run's PDF could not be read back.");
        m_size = status.st_size;
    }
    ~RunFile() { ::close(m_fd); }
    RunFile(const RunFile &) = delete;
    RunFile &operator=(const RunFile &) = delete;

    // Up to `length` bytes from `offset`: fewer only at the file's end.
    std::string read(long long offset, std::size_t length) const
    {
        std::string bytes(length, '\0');
        std::size_t done = 0;
        while (done < length) {
            const ssize_t got = ::pread(m_fd, bytes.data() + done, length - done,
                                        static_cast<off_t>(offset) + static_cast<off_t>(done));
            if (got < 0)
                throw std::runtime_error("The run's PDF could not be read back.");
            if (got == 0)
                break;
            done += std::size_t(got);
        }
        bytes.resize(done);
        return bytes;
    }

    // Its length when it was opened, before any update was appended.
    long long size() const { return m_size; }

    // Writes the whole file through `write`, a piece at a time.
    void copyTo(const std::function<void(const char *, std::size_t)> &write) const
    {
        constexpr std::size_t pieceSize = 1 << 20;
        for (long long at = 0; at < m_size; at += pieceSize) {
            const std::string piece = read(at, pieceSize);
            if (piece.empty())
                throw std::runtime_error("The run's PDF could not be read back.");
            write(piece.data(), piece.size());
        }
    }

private:
    int m_fd = -1;
    long long m_size = 0;
};

// The whitespace-separated tokens of a dictionary's text, each name its
// own token ("/Width 1/Height 1" is four).
std::vector<std::string_view> tokens(std::string_view text)
{
    std::vector<std::string_view> found;
    std::size_t start = std::string_view::npos;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        const bool end = at == text.size();
        const bool space = !end && std::isspace(static_cast<unsigned char>(text[at]));
        if ((end || space || text[at] == '/') && start != std::string_view::npos) {
            found.push_back(text.substr(start, at - start));
            start = std::string_view::npos;
        }
        if (!end && !space && start == std::string_view::npos)
            start = at;
    }
    return found;
}

// Whether `key` is followed by `value` among `entries`.
bool hasEntry(const std::vector<std::string_view> &entries, std::string_view key,
              std::string_view value)
{
    const auto found = std::find(entries.begin(), entries.end(), key);
    return found != entries.end() && found + 1 != entries.end() && found[1] == value;
}

bool isDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

std::size_t skipSpace(std::string_view text, std::size_t at)
{
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    return at;
}

// `size` bytes at `data` through zlib, compressed or inflated as `action` says.
std::shared_ptr<Buffer> flated(const unsigned char *data, std::size_t size,
                               Pl_Flate::action_e action)
{
    Pl_Buffer output("flated");
    Pl_Flate flate("flate", &output, action);
    flate.write(data, size);
    flate.finish();
    return output.getBufferSharedPointer();
}

// The object whose " obj" is at `header` in `bytes` when it is an image of
// one pixel of colour `rgb`, as the PDF writer writes one: a flat
// dictionary and a short stream, all within `bytes`.
std::optional<QPDFObjGen> standInAt(std::string_view bytes, std::size_t header,
                                    const std::array<unsigned char, 3> &rgb)
{
    std::size_t generation = header;
    while (generation > 0 && isDigit(bytes[generation - 1]))
        --generation;
    std::size_t number = generation - 1;
    if (generation == header || generation < 2 || bytes[number] != ' ')
        return std::nullopt;
    while (number > 0 && isDigit(bytes[number - 1]))
        --number;
    if (number == generation - 1 || header - number > 16)
        return std::nullopt;

    const std::size_t open = skipSpace(bytes, header + 4);
    if (bytes.substr(open, 2) != "<<")
        return std::nullopt;
    const std::size_t close = bytes.find(">>", open + 2);
    if (close == std::string_view::npos)
        return std::nullopt;
    const std::vector<std::string_view> entries = tokens(bytes.substr(open + 2, close - open - 2));
    const bool flate = hasEntry(entries, "/Filter", "/FlateDecode");
    if (!hasEntry(entries, "/Subtype", "/Image") || !hasEntry(entries, "/Width", "1") ||
        !hasEntry(entries, "/Height", "1") || !hasEntry(entries, "/ColorSpace", "/DeviceRGB") ||
        !hasEntry(entries, "/BitsPerComponent", "8") ||
        (!flate && std::find(entries.begin(), entries.end(), "/Filter") != entries.end()))
        return std::nullopt;

    std::size_t data = skipSpace(bytes, close + 2);
    if (bytes.substr(data, 6) != "stream")
        return std::nullopt;
    data += 6;
    data += bytes.substr(data, 2) == "\r\n" ? 2 : bytes.substr(data, 1) == "\n" ? 1 : 0;
    std::size_t end = bytes.find("endstream", data);
    if (end == std::string_view::npos)
        return std::nullopt;
    while (end > data && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r'))
        --end;
    std::string pixel(bytes.substr(data, end - data));
    if (flate) {
        try {
            const std::shared_ptr<Buffer> inflated =
                flated(reinterpret_cast<const unsigned char *>(pixel.data()), pixel.size(),
                       Pl_Flate::a_inflate);
            pixel.assign(reinterpret_cast<const char *>(inflated->getBuffer()),
                         inflated->getSize());
        } catch (const std::exception &) {
            return std::nullopt;
        }
    }
    if (pixel.size() < rgb.size() ||
        !std::equal(rgb.begin(), rgb.end(), reinterpret_cast<const unsigned char *>(pixel.data())))
        return std::nullopt;
    return QPDFObjGen(std::stoi(std::string(bytes.substr(number, generation - 1 - number))),
                      std::stoi(std::string(bytes.substr(generation, header - generation))));
}

// The stand-in image of colour `rgb`, the first written at or after
// `from`. The writer writes an image where it is first drawn, so the search
// usually ends within a few kilobytes, read in chunks that grow: the run's
// other objects are never read, which kept a table of them all in memory,
// some 600 bytes a page.
std::optional<QPDFObjGen> standInObject(const RunFile &run, long long from,
                                        const std::array<unsigned char, 3> &rgb)
{
    constexpr std::size_t largestChunk = 256 * 1024;
    constexpr long long lookBack = 24;      // an object's number and generation
    constexpr std::size_t lookAhead = 4096; // a stand-in's dictionary and stream
    std::size_t chunkSize = 4 * lookAhead;
    for (long long at = std::max(from, 0LL);; chunkSize = std::min(2 * chunkSize, largestChunk)) {
        const long long base = std::max(at - lookBack, 0LL);
        const std::string bytes = run.read(base, chunkSize);
        const bool last = bytes.size() < chunkSize;
        const std::size_t end = last ? bytes.size() : bytes.size() - lookAhead;
        for (std::size_t hit = bytes.find(" obj", std::size_t(at - base));
             hit != std::string::npos && hit < end; hit = bytes.find(" obj", hit + 1)) {
            if (const auto image = standInAt(bytes, hit, rgb))
                return image;
        }
        if (last)
            return std::nullopt;
        at = base + static_cast<long long>(end);
    }
}

// What the update takes from the run's last trailer: the entries it keeps,
// the first free object number and where the last cross-reference begins.
struct RunTrailer
{
    std::string kept;
    int size = 0;
    long long lastXref = -1;
};

bool isWholeNumber(std::string_view text)
{
    return !text.empty() && text.size() <= 9 && std::all_of(text.begin(), text.end(), isDigit);
}

std::optional<RunTrailer> runTrailer(const std::string &tail)
{
    const std::size_t at = tail.rfind("trailer");
    const std::size_t startxref = tail.rfind("startxref");
    if (at == std::string::npos || startxref == std::string::npos || startxref < at)
        return std::nullopt;
    const std::string_view text = std::string_view(tail).substr(at, startxref - at);
    const std::size_t open = text.find("<<");
    const std::size_t close = text.rfind(">>");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    const std::string_view dictionary = text.substr(open + 2, close - open - 2);
    const std::vector<std::string_view> entries = tokens(dictionary);
    RunTrailer trailer;
    for (const std::string_view key : {"/Root", "/Info"}) {
        const auto found = std::find(entries.begin(), entries.end(), key);
        if (entries.end() - found >= 4 && isWholeNumber(found[1]) && isWholeNumber(found[2]) &&
            found[3] == "R")
            trailer.kept += std::string(key) + ' ' + std::string(found[1]) + ' ' +
                            std::string(found[2]) + " R ";
    }
    const std::size_t id = dictionary.find("/ID");
    const std::size_t idEnd =
        id == std::string_view::npos ? std::string_view::npos : dictionary.find(']', id);
    if (idEnd != std::string_view::npos)
        trailer.kept += std::string(dictionary.substr(id, idEnd + 1 - id)) + ' ';
    const auto size = std::find(entries.begin(), entries.end(), "/Size");
    if (trailer.kept.rfind("/Root", 0) != 0 || entries.end() - size < 2 || !isWholeNumber(size[1]))
        return std::nullopt;
    trailer.size = std::stoi(std::string(size[1]));
    trailer.lastXref = std::atoll(tail.c_str() + startxref + 9);
    return trailer;
}

// A picture's pages, read once, kept until the update is written: copied
// objects are read from them as they are written.
struct SourcePdf
{
    std::string bytes;
    QPDF pdf;
    std::vector<QPDFPageObjectHelper> pages;
};

// The run's catalog, found through its last cross-reference table, with
// `entries` added to its dictionary: where it is and its new text. Nothing
// when the run's table is not the one table a PDF writer like Qt's writes.
std::optional<std::pair<QPDFObjGen, std::string>>
catalogWith(const RunFile &run, const RunTrailer &trailer, const std::string &entries)
{
    const std::vector<std::string_view> kept = tokens(trailer.kept);
    const auto root = std::find(kept.begin(), kept.end(), "/Root");
    if (kept.end() - root < 3 || !isWholeNumber(root[1]) || !isWholeNumber(root[2]))
        return std::nullopt;
    const int object = std::stoi(std::string(root[1]));
    const int generation = std::stoi(std::string(root[2]));
    const std::string table = run.read(trailer.lastXref, 64);
    const std::size_t firstLine = table.find('\n');
    const std::size_t secondLine = table.find('\n', firstLine + 1);
    if (table.rfind("xref", 0) != 0 || secondLine == std::string::npos ||
        table.compare(firstLine + 1, 2, "0 ") != 0)
        return std::nullopt;
    constexpr std::size_t entrySize = 20;
    const std::string entry = run.read(
        trailer.lastXref + static_cast<long long>(secondLine + 1 + std::size_t(object) * entrySize),
        entrySize);
    if (entry.size() < entrySize || entry[17] != 'n' ||
        !isWholeNumber(std::string_view(entry).substr(1, 9)))
        return std::nullopt;
    constexpr std::size_t longestCatalog = 4096;
    const std::string text = run.read(std::stoll(entry.substr(0, 10)), longestCatalog);
    const std::string head = std::to_string(object) + ' ' + std::to_string(generation) + " obj";
    const std::size_t open = text.find("<<");
    const std::size_t end = text.find("endobj");
    const std::size_t close = text.rfind(">>", end);
    if (text.rfind(head, 0) != 0 || open == std::string::npos || end == std::string::npos ||
        close == std::string::npos || close < open)
        return std::nullopt;
    return std::pair{QPDFObjGen(object, generation),
                     head + '\n' + text.substr(open, close - open) + entries + "\n>>\nendobj\n"};
}

// The dictionary of `form` with a matrix that maps its box onto the unit
// square, where an image is drawn: the form then fills what the image did.
QPDFObjectHandle unitSquareDictionary(QPDFObjectHandle form)
{
    QPDFObjectHandle dictionary = form.getDict().shallowCopy();
    QPDFObjectHandle matrix = dictionary.getKey("/Matrix");
    const QPDFMatrix own = matrix.isMatrix() ? QPDFMatrix(matrix.getArrayAsMatrix()) : QPDFMatrix();
    const QPDFObjectHandle::Rectangle shown =
        own.transformRectangle(dictionary.getKey("/BBox").getArrayAsRectangle());
    const double width = shown.urx - shown.llx;
    const double height = shown.ury - shown.lly;
    if (!(width > 0 && height > 0))
        return {};
    QPDFMatrix unit(1 / width, 0, 0, 1 / height, -shown.llx / width, -shown.lly / height);
    unit.concat(own);
    dictionary.replaceKey("/Matrix", QPDFObjectHandle::newArray(unit));
    return dictionary;
}

// The stand-in's image object and the page that takes its place, as a form
// and, when the page's content is one stream with direct filters, that
// stream: the form then takes its bytes as they are instead of decoding and
// compressing them again.
struct PlacedForm
{
    QPDFObjGen where;
    QPDFObjectHandle form;
    QPDFObjectHandle contents;
};

QPDFObjectHandle singleContentStream(QPDFPageObjectHelper &page)
{
    QPDFObjectHandle contents = page.getObjectHandle().getKey("/Contents");
    if (contents.isArray() && contents.getArrayNItems() == 1)
        contents = contents.getArrayItem(0);
    if (!contents.isStream())
        return {};
    QPDFObjectHandle dictionary = contents.getDict();
    for (const char *key : {"/Filter", "/DecodeParms"}) {
        if (dictionary.getKey(key).isIndirect())
            return {};
    }
    return contents;
}

// Every indirect object that `root` reaches in a picture's file, which the
// update writes under numbers of its own.
std::vector<QPDFObjectHandle> reachedObjects(QPDFObjectHandle root)
{
    std::vector<QPDFObjectHandle> found;
    std::set<QPDFObjGen> seen;
    std::vector<QPDFObjectHandle> toVisit{root};
    while (!toVisit.empty()) {
        QPDFObjectHandle object = toVisit.back();
        toVisit.pop_back();
        if (object.isIndirect()) {
            if (!seen.insert(object.getObjGen()).second)
                continue;
            found.push_back(object);
        }
        if (object.isStream()) {
            toVisit.push_back(object.getDict());
        } else if (object.isDictionary()) {
            for (auto &[key, value] : object.ditems())
                toVisit.push_back(value);
        } else if (object.isArray()) {
            for (auto &item : object.aitems())
                toVisit.push_back(item);
        }
    }
    return found;
}

// The numbers a picture's objects take in the run's file.
using Renumbering = std::map<QPDFObjGen, int>;

// `object`, taken as a direct object, as PDF text with its references
// renumbered: a reference to an object not written becomes null.
void unparseRenumbered(QPDFObjectHandle object, const Renumbering &numbers, std::string &text,
                       bool top = true)
{
    if (object.isIndirect() && !top) {
        const auto number = numbers.find(object.getObjGen());
        text +=
            number == numbers.end() ? std::string("null") : std::to_string(number->second) + " 0 R";
    } else if (object.isDictionary()) {
        text += "<< ";
        for (auto &[key, value] : object.ditems()) {
            text += QPDFObjectHandle::newName(key).unparse() + ' ';
            unparseRenumbered(value, numbers, text, false);
            text += ' ';
        }
        text += ">>";
    } else if (object.isArray()) {
        text += "[ ";
        for (auto &item : object.aitems()) {
            unparseRenumbered(item, numbers, text, false);
            text += ' ';
        }
        text += ']';
    } else {
        text += object.unparseResolved();
    }
}

// Writes objects after the run's own bytes, keeping where each begins.
class UpdateWriter
{
public:
    UpdateWriter(const std::function<void(const char *, std::size_t)> &write, long long offset)
        : m_write(write), m_offset(offset)
    {
    }

    void put(const std::string &text)
    {
        m_write(text.data(), text.size());
        m_offset += static_cast<long long>(text.size());
    }

    // Writes `object` of a picture's file as object `where` of the run's,
    // a stream with `streamDictionary` when given.
    void putObject(QPDFObjGen where, QPDFObjectHandle object, const Renumbering &numbers,
                   QPDFObjectHandle streamDictionary = {})
    {
        m_offsets[where] = m_offset;
        std::string text =
            std::to_string(where.getObj()) + ' ' + std::to_string(where.getGen()) + " obj\n";
        if (!object.isStream()) {
            unparseRenumbered(object, numbers, text);
            put(text);
        } else {
            std::shared_ptr<Buffer> data = object.getRawStreamData();
            QPDFObjectHandle dictionary = streamDictionary.isInitialized()
                                              ? streamDictionary
                                              : object.getDict().shallowCopy();
            // A page's content comes decoded: it is written compressed.
            if (!dictionary.hasKey("/Filter")) {
                data = flated(data->getBuffer(), data->getSize(), Pl_Flate::a_deflate);
                dictionary.replaceKey("/Filter", QPDFObjectHandle::newName("/FlateDecode"));
                dictionary.removeKey("/DecodeParms");
            }
            dictionary.replaceKey("/Length", QPDFObjectHandle::newInteger(long(data->getSize())));
            unparseRenumbered(dictionary, numbers, text);
            put(text + "\nstream\n");
            m_write(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
            m_offset += static_cast<long long>(data->getSize());
            put("\nendstream");
        }
        put("\nendobj\n");
    }

    // A JPEG as an image whose data are its own bytes, which the PDF's
    // DCTDecode filter reads as they are.
    void putJpeg(QPDFObjGen where, const qpdfpages::Jpeg &jpeg, const std::string &bytes)
    {
        static const char *const colorSpaces[] = {"/DeviceGray", "/DeviceGray", "/DeviceRGB",
                                                  "/DeviceCMYK"};
        m_offsets[where] = m_offset;
        put(std::to_string(where.getObj()) + ' ' + std::to_string(where.getGen()) +
            " obj\n<< /Type /XObject /Subtype /Image /Width " + std::to_string(jpeg.width) +
            " /Height " + std::to_string(jpeg.height) + " /ColorSpace " +
            colorSpaces[std::clamp(jpeg.components, 1, 4) - 1] + " /BitsPerComponent 8 " +
            (jpeg.inverted ? "/Decode [ 1 0 1 0 1 0 1 0 ] " : "") + "/Filter /DCTDecode /Length " +
            std::to_string(bytes.size()) + " >>\nstream\n");
        m_write(bytes.data(), bytes.size());
        m_offset += static_cast<long long>(bytes.size());
        put("\nendstream\nendobj\n");
    }

    // An object of the run written anew, whole, as `text`.
    void putText(QPDFObjGen where, const std::string &text)
    {
        m_offsets[where] = m_offset;
        put(text);
    }

    // A page with no area shows nothing, rather than its stand-in.
    void putEmptyForm(QPDFObjGen where)
    {
        m_offsets[where] = m_offset;
        put(std::to_string(where.getObj()) + ' ' + std::to_string(where.getGen()) +
            " obj\n<< /Type /XObject /Subtype /Form /BBox [ 0 0 1 1 ] /Length 0 >>\nstream\n"
            "\nendstream\nendobj\n");
    }

    // The cross-reference section of the objects written and the trailer
    // that chains it to the run's own.
    void finish(const RunTrailer &trailer, int size)
    {
        const long long start = m_offset;
        put("xref\n");
        for (auto entry = m_offsets.begin(); entry != m_offsets.end();) {
            auto end = entry;
            int next = entry->first.getObj();
            while (end != m_offsets.end() && end->first.getObj() == next) {
                ++end;
                ++next;
            }
            put(std::to_string(entry->first.getObj()) + ' ' +
                std::to_string(next - entry->first.getObj()) + '\n');
            for (; entry != end; ++entry) {
                char line[21];
                std::snprintf(line, sizeof line, "%010lld %05d n \n", entry->second,
                              entry->first.getGen());
                put(line);
            }
        }
        put("trailer\n<< " + trailer.kept + "/Size " + std::to_string(size) + " /Prev " +
            std::to_string(trailer.lastXref) + " >>\nstartxref\n" + std::to_string(start) +
            "\n%%EOF\n");
    }

private:
    const std::function<void(const char *, std::size_t)> &m_write;
    long long m_offset;
    std::map<QPDFObjGen, long long> m_offsets;
};

} // namespace

std::string qpdfpages::placeForms(const std::string &runPath, const std::vector<StandIn> &standIns,
                                  const std::string &catalogEntries,
                                  const std::function<std::string(const std::string &)> &bytesOf,
                                  const std::function<void(const char *, std::size_t)> &write,
                                  bool copyRun, const std::function<bool()> &keepGoing)
{
    const std::string cancelled = "Cancelled; nothing was printed";
    try {
        const RunFile run(runPath);
        // An update of no object would be a damaged file.
        if (standIns.empty() && catalogEntries.empty()) {
            if (copyRun)
                run.copyTo(write);
            return {};
        }
        std::map<std::string, std::unique_ptr<SourcePdf>> sources;
        std::vector<PlacedForm> forms;
        std::vector<std::pair<QPDFObjGen, const StandIn *>> jpegs;
        for (const StandIn &standIn : standIns) {
            if (keepGoing && !keepGoing())
                return cancelled;
            const std::optional<QPDFObjGen> image =
                standInObject(run, standIn.writtenAfter, standIn.rgb);
            if (!image)
                return "A picture's place on sheet " + std::to_string(standIn.sheet) +
                       " was not found.";
            if (standIn.jpeg) {
                jpegs.emplace_back(*image, &standIn);
                continue;
            }
            std::unique_ptr<SourcePdf> &source = sources[standIn.picture];
            if (!source) {
                source = std::make_unique<SourcePdf>();
                source->bytes = bytesOf(standIn.picture);
                source->pdf.setSuppressWarnings(true);
                source->pdf.processMemoryFile(standIn.picture.c_str(), source->bytes.data(),
                                              source->bytes.size());
                source->pages = QPDFPageDocumentHelper(source->pdf).getAllPages();
            }
            if (standIn.page < 1 || std::size_t(standIn.page) > source->pages.size())
                return "A PDF picture has no page " + std::to_string(standIn.page) + ".";
            QPDFPageObjectHelper &page = source->pages[std::size_t(standIn.page - 1)];
            forms.push_back({*image, page.getFormXObjectForPage(), singleContentStream(page)});
        }

        constexpr long long tailSize = 1024;
        const std::string tail = run.read(std::max(run.size() - tailSize, 0LL), tailSize);
        const std::optional<RunTrailer> trailer = runTrailer(tail);
        if (!trailer || trailer->lastXref < 0)
            return "The run's PDF could not be read back.";
        if (copyRun)
            run.copyTo(write);
        long long size = run.size();
        if (tail.back() != '\n') {
            write("\n", 1);
            ++size;
        }
        // The objects the pages use, each once, numbered after the run's.
        std::map<QPDF *, Renumbering> numbers;
        std::vector<std::pair<QPDF *, QPDFObjectHandle>> used;
        int objectCount = trailer->size;
        for (PlacedForm &placed : forms) {
            if (keepGoing && !keepGoing())
                return cancelled;
            QPDF *owner = &placed.form.getQPDF();
            Renumbering &numbered = numbers[owner];
            for (QPDFObjectHandle &object : reachedObjects(placed.form.getDict())) {
                if (numbered.emplace(object.getObjGen(), objectCount).second) {
                    ++objectCount;
                    used.emplace_back(owner, object);
                }
            }
        }
        UpdateWriter update(write, size);
        if (!catalogEntries.empty()) {
            const auto catalog = catalogWith(run, *trailer, catalogEntries);
            if (!catalog)
                return "The run's PDF could not be read back.";
            update.putText(catalog->first, catalog->second);
        }
        for (const auto &[where, standIn] : jpegs)
            update.putJpeg(where, *standIn->jpeg, bytesOf(standIn->picture));
        for (PlacedForm &placed : forms) {
            if (keepGoing && !keepGoing())
                return cancelled;
            QPDFObjectHandle dictionary = unitSquareDictionary(placed.form);
            const Renumbering &numbered = numbers[&placed.form.getQPDF()];
            if (!dictionary.isInitialized()) {
                update.putEmptyForm(placed.where);
            } else if (placed.contents.isInitialized()) {
                QPDFObjectHandle filters = placed.contents.getDict();
                for (const char *key : {"/Filter", "/DecodeParms"}) {
                    if (filters.hasKey(key))
                        dictionary.replaceKey(key, filters.getKey(key));
                }
                update.putObject(placed.where, placed.contents, numbered, dictionary);
            } else {
                update.putObject(placed.where, placed.form, numbered, dictionary);
            }
        }
        for (auto &[owner, object] : used) {
            if (keepGoing && !keepGoing())
                return cancelled;
            update.putObject(QPDFObjGen(numbers[owner][object.getObjGen()], 0), object,
                             numbers[owner]);
        }
        update.finish(*trailer, objectCount);
        return {};
    } catch (const std::exception &error) {
        return error.what();
    }
}
