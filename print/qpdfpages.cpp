#include "qpdfpages.h"

#include <qpdf/InputSource.hh>
#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFMatrix.hh>
#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// A file read through a window of its bytes. qpdf reads a cross-reference
// table an entry at a time, seeking to each: through stdio every seek is a
// read, and a run of many pages has five entries a page.
class WindowedFile : public InputSource
{
public:
    explicit WindowedFile(const std::string &path) : m_name(path)
    {
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat status = {};
        if (m_fd < 0 || ::fstat(m_fd, &status) != 0)
            throw std::runtime_error("The run's PDF could not be read back.");
        m_size = status.st_size;
    }
    ~WindowedFile() override { ::close(m_fd); }

    qpdf_offset_t findAndSkipNextEOL() override
    {
        for (;;) {
            char ch = 0;
            if (read(&ch, 1) == 0)
                return m_position;
            if (ch != '\r' && ch != '\n')
                continue;
            const qpdf_offset_t end = m_position - 1;
            while (read(&ch, 1) == 1) {
                if (ch != '\r' && ch != '\n') {
                    unreadCh(ch);
                    break;
                }
            }
            return end;
        }
    }
    const std::string &getName() const override { return m_name; }
    qpdf_offset_t tell() override { return m_position; }
    void seek(qpdf_offset_t offset, int whence) override
    {
        const qpdf_offset_t from = whence == SEEK_SET   ? 0
                                   : whence == SEEK_CUR ? m_position
                                                        : m_size;
        if (from + offset < 0)
            throw std::runtime_error(m_name + ": a seek before the start");
        m_position = from + offset;
    }
    void rewind() override { m_position = 0; }
    std::size_t read(char *buffer, std::size_t length) override
    {
        last_offset = m_position;
        std::size_t done = 0;
        while (done < length && m_position < m_size) {
            if (m_position < m_windowStart ||
                m_position >= m_windowStart + qpdf_offset_t(m_window.size())) {
                m_window.resize(windowSize);
                const ssize_t got = ::pread(m_fd, m_window.data(), windowSize, m_position);
                if (got <= 0)
                    throw std::runtime_error(m_name + ": the file could not be read");
                m_window.resize(std::size_t(got));
                m_windowStart = m_position;
            }
            const std::size_t at = std::size_t(m_position - m_windowStart);
            const std::size_t count = std::min(length - done, m_window.size() - at);
            std::memcpy(buffer + done, m_window.data() + at, count);
            done += count;
            m_position += qpdf_offset_t(count);
        }
        return done;
    }
    void unreadCh(char) override { --m_position; }

private:
    static constexpr std::size_t windowSize = 64 * 1024;

    std::string m_name;
    int m_fd = -1;
    qpdf_offset_t m_size = 0;
    qpdf_offset_t m_position = 0;
    qpdf_offset_t m_windowStart = 0;
    std::vector<char> m_window;
};

// A picture's pages, read once, kept until the update is written: copied
// objects are read from them as they are written.
struct SourcePdf
{
    std::string bytes;
    QPDF pdf;
    std::vector<QPDFPageObjectHelper> pages;
};

// The file's pages, found the short way in a PDF writer's flat page tree.
class RunPages
{
public:
    explicit RunPages(QPDF &run)
        : m_run(run), m_kids(run.getRoot().getKey("/Pages").getKey("/Kids"))
    {
    }

    std::optional<QPDFPageObjectHelper> sheet(int number)
    {
        if (number < 1)
            return std::nullopt;
        const auto index = static_cast<std::size_t>(number - 1);
        if (m_all.empty() && m_kids.isArray() && index < std::size_t(m_kids.getArrayNItems())) {
            // isPageObject would walk the whole tree.
            QPDFObjectHandle page = m_kids.getArrayItem(int(index));
            if (page.isDictionary() && page.getKey("/Type").isNameAndEquals("/Page"))
                return QPDFPageObjectHelper(page);
        }
        if (m_all.empty())
            m_all = QPDFPageDocumentHelper(m_run).getAllPages();
        if (index >= m_all.size())
            return std::nullopt;
        return m_all[index];
    }

private:
    QPDF &m_run;
    QPDFObjectHandle m_kids;
    std::vector<QPDFPageObjectHelper> m_all;
};

// The stand-in's image among the XObjects of `sheet`, or a null handle.
QPDFObjectHandle standInImage(QPDFPageObjectHelper &sheet, const std::array<unsigned char, 3> &rgb)
{
    QPDFObjectHandle xobjects = sheet.getAttribute("/Resources", false).getKey("/XObject");
    if (!xobjects.isDictionary())
        return {};
    for (auto &[name, xobject] : xobjects.ditems()) {
        if (!xobject.isStream() || !xobject.isIndirect())
            continue;
        QPDFObjectHandle dictionary = xobject.getDict();
        if (!dictionary.getKey("/Subtype").isNameAndEquals("/Image") ||
            !dictionary.getKey("/Width").isInteger() ||
            dictionary.getKey("/Width").getIntValue() != 1 ||
            !dictionary.getKey("/Height").isInteger() ||
            dictionary.getKey("/Height").getIntValue() != 1)
            continue;
        const std::shared_ptr<Buffer> pixel = xobject.getStreamData();
        if (pixel->getSize() >= 3 && std::equal(rgb.begin(), rgb.end(), pixel->getBuffer()))
            return xobject;
    }
    return {};
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

std::shared_ptr<Buffer> compressed(Buffer &data)
{
    Pl_Buffer output("compressed");
    Pl_Flate flate("compress", &output, Pl_Flate::a_deflate);
    flate.write(data.getBuffer(), data.getSize());
    flate.finish();
    return output.getBufferSharedPointer();
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
                data = compressed(*data);
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
    void finish(QPDFObjectHandle trailer, long long previous, int size)
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
        QPDFObjectHandle updated = QPDFObjectHandle::newDictionary();
        for (const char *key : {"/Root", "/Info", "/ID"}) {
            if (trailer.hasKey(key))
                updated.replaceKey(key, trailer.getKey(key));
        }
        updated.replaceKey("/Size", QPDFObjectHandle::newInteger(size));
        updated.replaceKey("/Prev", QPDFObjectHandle::newInteger(previous));
        put("trailer\n" + updated.unparse() + "\nstartxref\n" + std::to_string(start) +
            "\n%%EOF\n");
    }

private:
    const std::function<void(const char *, std::size_t)> &m_write;
    long long m_offset;
    std::map<QPDFObjGen, long long> m_offsets;
};

// Copies the file at `path` through `write`, or with `copy` false reads
// only its end; its size, or -1 when it cannot be read. Sets `lastXref` to
// where its last cross-reference section starts.
long long copyFile(const std::string &path,
                   const std::function<void(const char *, std::size_t)> &write, long long &lastXref,
                   bool copy)
{
    std::ifstream file(path, std::ios::binary);
    std::string tail;
    long long size = 0;
    if (!copy) {
        file.seekg(0, std::ios::end);
        size = file.tellg();
        file.seekg(std::max<long long>(size - 1024, 0));
        tail.assign(std::istreambuf_iterator<char>(file), {});
        if (!file || size <= 0 || tail.empty())
            return -1;
    }
    std::vector<char> buffer(copy ? 1 << 20 : 0);
    while (copy && file) {
        file.read(buffer.data(), std::streamsize(buffer.size()));
        const auto got = static_cast<std::size_t>(file.gcount());
        if (got == 0)
            break;
        write(buffer.data(), got);
        size += static_cast<long long>(got);
        tail = tail.substr(tail.size() > 1024 ? tail.size() - 1024 : 0) +
               std::string(buffer.data() + (got > 1024 ? got - 1024 : 0),
                           std::min<std::size_t>(got, 1024));
    }
    if (file.bad())
        return -1;
    const std::size_t at = tail.rfind("startxref");
    lastXref = at == std::string::npos ? -1 : std::atoll(tail.c_str() + at + 9);
    if (!tail.empty() && tail.back() != '\n') {
        write("\n", 1);
        ++size;
    }
    return size;
}

} // namespace

std::string qpdfpages::placeForms(const std::string &runPath, const std::vector<StandIn> &standIns,
                                  const std::function<std::string(const std::string &)> &bytesOf,
                                  const std::function<void(const char *, std::size_t)> &write,
                                  bool copyRun)
{
    try {
        QPDF run;
        run.setSuppressWarnings(true);
        run.processInputSource(std::make_shared<WindowedFile>(runPath));
        QPDFObjectHandle trailer = run.getTrailer();
        const int firstNew = trailer.getKey("/Size").getIntValueAsInt();
        RunPages pages(run);
        std::map<std::string, std::unique_ptr<SourcePdf>> sources;
        // Each stand-in's image object, with the page that takes its place.
        std::vector<std::pair<QPDFObjGen, QPDFObjectHandle>> forms;
        for (const StandIn &standIn : standIns) {
            std::optional<QPDFPageObjectHelper> sheet = pages.sheet(standIn.sheet);
            QPDFObjectHandle image = sheet ? standInImage(*sheet, standIn.rgb) : QPDFObjectHandle();
            if (!image.isInitialized())
                return "A PDF picture's place on sheet " + std::to_string(standIn.sheet) +
                       " was not found.";
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
            forms.emplace_back(
                image.getObjGen(),
                source->pages[std::size_t(standIn.page - 1)].getFormXObjectForPage());
        }

        long long lastXref = -1;
        const long long size = copyFile(runPath, write, lastXref, copyRun);
        if (size < 0 || lastXref < 0)
            return "The run's PDF could not be read back.";
        // The objects the pages use, each once, numbered after the run's.
        std::map<QPDF *, Renumbering> numbers;
        std::vector<std::pair<QPDF *, QPDFObjectHandle>> used;
        int objectCount = firstNew;
        for (auto &[where, form] : forms) {
            QPDF *owner = &form.getQPDF();
            Renumbering &numbered = numbers[owner];
            for (QPDFObjectHandle &object : reachedObjects(form.getDict())) {
                if (numbered.emplace(object.getObjGen(), objectCount).second) {
                    ++objectCount;
                    used.emplace_back(owner, object);
                }
            }
        }
        UpdateWriter update(write, size);
        for (auto &[where, form] : forms) {
            QPDFObjectHandle dictionary = unitSquareDictionary(form);
            if (dictionary.isInitialized())
                update.putObject(where, form, numbers[&form.getQPDF()], dictionary);
            else
                update.putEmptyForm(where);
        }
        for (auto &[owner, object] : used)
            update.putObject(QPDFObjGen(numbers[owner][object.getObjGen()], 0), object,
                             numbers[owner]);
        update.finish(trailer, lastXref, objectCount);
        return {};
    } catch (const std::exception &error) {
        return error.what();
    }
}
