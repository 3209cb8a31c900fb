#include "qpdfpages.h"

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFMatrix.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <map>
#include <memory>
#include <sstream>

namespace {

// Where QPDFWriter writes: the run's output, whose writes its owner checks.
class WritingPipeline : public Pipeline
{
public:
    explicit WritingPipeline(const std::function<void(const char *, std::size_t)> &write)
        : Pipeline("run output", nullptr), m_write(write)
    {
    }
    void write(unsigned char const *data, size_t length) override
    {
        m_write(reinterpret_cast<const char *>(data), length);
    }
    void finish() override {}

private:
    const std::function<void(const char *, std::size_t)> &m_write;
};

// A picture's pages, read once, kept until the run is written: copied
// objects are read from their file as the run is written.
struct SourcePdf
{
    std::string bytes;
    QPDF pdf;
    std::vector<QPDFPageObjectHelper> pages;
};

// The content that draws `form` (name `name`) filling `rect`, given in PDF
// user space.
std::string placement(QPDFObjectHandle form, const std::string &name,
                      const QPDFObjectHandle::Rectangle &rect)
{
    QPDFObjectHandle dictionary = form.getDict();
    QPDFObjectHandle matrix = dictionary.getKey("/Matrix");
    const QPDFMatrix formMatrix =
        matrix.isMatrix() ? QPDFMatrix(matrix.getArrayAsMatrix()) : QPDFMatrix();
    const QPDFObjectHandle::Rectangle shown =
        formMatrix.transformRectangle(dictionary.getKey("/BBox").getArrayAsRectangle());
    const double width = shown.urx - shown.llx;
    const double height = shown.ury - shown.lly;
    if (!(width > 0 && height > 0))
        return {};
    const double sx = (rect.urx - rect.llx) / width;
    const double sy = (rect.ury - rect.lly) / height;
    std::ostringstream content;
    content.imbue(std::locale::classic());
    content << "q " << sx << " 0 0 " << sy << ' ' << rect.llx - shown.llx * sx << ' '
            << rect.lly - shown.lly * sy << " cm " << name << " Do Q\n";
    return content.str();
}

} // namespace

std::string qpdfpages::stamp(const std::string &runPath, const std::vector<Placement> &placements,
                             const std::function<std::string(const std::string &)> &bytesOf,
                             const std::function<void(const char *, std::size_t)> &write)
{
    try {
        QPDF run;
        run.setSuppressWarnings(true);
        run.processFile(runPath.c_str());
        std::vector<QPDFPageObjectHelper> sheets = QPDFPageDocumentHelper(run).getAllPages();
        std::map<std::string, std::unique_ptr<SourcePdf>> sources;
        // Each page of a picture once, with its name on every sheet.
        std::map<std::pair<std::string, int>, std::pair<QPDFObjectHandle, std::string>> forms;
        for (const Placement &placed : placements) {
            if (placed.sheet < 1 || std::size_t(placed.sheet) > sheets.size())
                continue;
            const auto key = std::make_pair(placed.picture, placed.page);
            if (!forms.count(key)) {
                std::unique_ptr<SourcePdf> &source = sources[placed.picture];
                if (!source) {
                    source = std::make_unique<SourcePdf>();
                    source->bytes = bytesOf(placed.picture);
                    source->pdf.setSuppressWarnings(true);
                    source->pdf.processMemoryFile(placed.picture.c_str(), source->bytes.data(),
                                                  source->bytes.size());
                    source->pages = QPDFPageDocumentHelper(source->pdf).getAllPages();
                }
                if (placed.page < 1 || std::size_t(placed.page) > source->pages.size())
                    continue;
                QPDFObjectHandle form = run.copyForeignObject(
                    source->pages[std::size_t(placed.page - 1)].getFormXObjectForPage());
                forms[key] = {form, "/PgtPicture" + std::to_string(forms.size())};
            }
            const auto &[form, name] = forms[key];
            QPDFPageObjectHelper &sheet = sheets[std::size_t(placed.sheet - 1)];
            QPDFObjectHandle resources = sheet.getAttribute("/Resources", false);
            if (!resources.isDictionary()) {
                resources = QPDFObjectHandle::newDictionary();
                sheet.getObjectHandle().replaceKey("/Resources", resources);
            }
            QPDFObjectHandle xobjects = resources.getKey("/XObject");
            if (!xobjects.isDictionary()) {
                xobjects = QPDFObjectHandle::newDictionary();
                resources.replaceKey("/XObject", xobjects);
            }
            xobjects.replaceKey(name, form);
            const QPDFObjectHandle::Rectangle paper =
                sheet.getAttribute("/MediaBox", false).getArrayAsRectangle();
            const std::string content =
                placement(form, name,
                          QPDFObjectHandle::Rectangle(
                              paper.llx + placed.left, paper.ury - placed.top - placed.height,
                              paper.llx + placed.left + placed.width, paper.ury - placed.top));
            if (!content.empty())
                sheet.addPageContents(QPDFObjectHandle::newStream(&run, content), true);
        }
        WritingPipeline pipeline(write);
        QPDFWriter writer(run);
        writer.setOutputPipeline(&pipeline);
        writer.write();
        return {};
    } catch (const std::exception &error) {
        return error.what();
    }
}
