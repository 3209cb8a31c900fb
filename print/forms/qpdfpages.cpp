#include "forms/qpdfpages.h"

#include <qpdf/Pl_Buffer.hh>
#include <qpdf/Pl_Flate.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFMatrix.hh>
#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <set>
#include <stdexcept>
#include <vector>

namespace {

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

// The content of `page` when it is one stream with direct filters: the
// form then takes its bytes as they are instead of decoding and
// compressing them again.
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
// run's file takes under numbers of its own.
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

// Writes `object` of a picture's file as object `number` of the run's, a
// stream with `streamDictionary` when given.
void putObject(const qpdfpages::ObjectSink &sink, int number, QPDFObjectHandle object,
               const Renumbering &numbers, QPDFObjectHandle streamDictionary = {})
{
    sink.begin(number);
    std::string text = std::to_string(number) + " 0 obj\n";
    if (!object.isStream()) {
        unparseRenumbered(object, numbers, text);
        text += "\nendobj\n";
        sink.write(text.data(), text.size());
        return;
    }
    std::shared_ptr<Buffer> data = object.getRawStreamData();
    QPDFObjectHandle dictionary =
        streamDictionary.isInitialized() ? streamDictionary : object.getDict().shallowCopy();
    // A page's content comes decoded: it is written compressed.
    if (!dictionary.hasKey("/Filter")) {
        data = flated(data->getBuffer(), data->getSize(), Pl_Flate::a_deflate);
        dictionary.replaceKey("/Filter", QPDFObjectHandle::newName("/FlateDecode"));
        dictionary.removeKey("/DecodeParms");
    }
    dictionary.replaceKey("/Length", QPDFObjectHandle::newInteger(long(data->getSize())));
    unparseRenumbered(dictionary, numbers, text);
    text += "\nstream\n";
    sink.write(text.data(), text.size());
    sink.write(reinterpret_cast<const char *>(data->getBuffer()), data->getSize());
    const std::string end = "\nendstream\nendobj\n";
    sink.write(end.data(), end.size());
}

} // namespace

// A picture read once: its pages, and the numbers its objects were written
// under.
struct qpdfpages::PageForms::Source
{
    std::string bytes;
    QPDF pdf;
    std::vector<QPDFPageObjectHelper> pages;
    Renumbering written;
};

qpdfpages::PageForms::PageForms() = default;
qpdfpages::PageForms::~PageForms() = default;

std::string qpdfpages::PageForms::write(const std::string &picture,
                                        const std::function<std::string()> &bytes, int page,
                                        int &nextNumber, const ObjectSink &sink)
{
    try {
        std::unique_ptr<Source> &source = m_sources[picture];
        if (!source) {
            source = std::make_unique<Source>();
            source->bytes = bytes();
            source->pdf.setSuppressWarnings(true);
            source->pdf.processMemoryFile(picture.c_str(), source->bytes.data(),
                                          source->bytes.size());
            source->pages = QPDFPageDocumentHelper(source->pdf).getAllPages();
        }
        if (page < 1 || std::size_t(page) > source->pages.size())
            return "A PDF picture has no page " + std::to_string(page) + ".";
        QPDFPageObjectHelper &shown = source->pages[std::size_t(page - 1)];
        QPDFObjectHandle form = shown.getFormXObjectForPage();
        QPDFObjectHandle dictionary = unitSquareDictionary(form);
        const int formNumber = nextNumber++;
        if (!dictionary.isInitialized()) {
            // A page with no area shows nothing.
            sink.begin(formNumber);
            const std::string empty =
                std::to_string(formNumber) +
                " 0 obj\n<< /Type /XObject /Subtype /Form /BBox [ 0 0 1 1 ] /Length 0 >>\nstream\n"
                "\nendstream\nendobj\n";
            sink.write(empty.data(), empty.size());
            return {};
        }
        // Every number is given before any object is written: they refer
        // to one another.
        std::vector<QPDFObjectHandle> added;
        for (QPDFObjectHandle &object : reachedObjects(dictionary)) {
            if (source->written.emplace(object.getObjGen(), nextNumber).second) {
                ++nextNumber;
                added.push_back(object);
            }
        }
        QPDFObjectHandle contents = singleContentStream(shown);
        if (contents.isInitialized()) {
            QPDFObjectHandle filters = contents.getDict();
            for (const char *key : {"/Filter", "/DecodeParms"}) {
                if (filters.hasKey(key))
                    dictionary.replaceKey(key, filters.getKey(key));
            }
            putObject(sink, formNumber, contents, source->written, dictionary);
        } else {
            putObject(sink, formNumber, form, source->written, dictionary);
        }
        for (QPDFObjectHandle &object : added)
            putObject(sink, source->written.at(object.getObjGen()), object, source->written);
        return {};
    } catch (const std::exception &error) {
        return error.what();
    }
}
