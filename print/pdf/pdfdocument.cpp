#include "pdf/pdfdocument.h"

#include "pictures/jpegheader.h"
#include "pictures/picturedrawing.h"

#include <QIODevice>

namespace {

QByteArray reference(int number)
{
    return QByteArray::number(number) + " 0 R";
}

QByteArray mediaBox(QSizeF paper)
{
    return "/MediaBox[0 0 " + QByteArray::number(paper.width(), 'g', 8) + ' ' +
           QByteArray::number(paper.height(), 'g', 8) + ']';
}

// A text string: as it is when plain ASCII, else UTF-16 with its mark.
QByteArray textString(const QString &text)
{
    bool ascii = true;
    for (const QChar c : text)
        ascii = ascii && c.unicode() >= 32 && c.unicode() < 127;
    if (ascii) {
        QByteArray escaped = text.toLatin1();
        escaped.replace('\\', "\\\\").replace('(', "\\(").replace(')', "\\)");
        return '(' + escaped + ')';
    }
    QByteArray hex = "<FEFF";
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    return hex + '>';
}

} // namespace

PdfDocument::PdfDocument(QIODevice &out) : m_objects(out) {}

void PdfDocument::begin()
{
    // /Duplex came with 1.7, /PrintScaling with 1.6.
    m_objects.writeHeader(m_duplexEntry.isEmpty() ? "1.6" : "1.7");
    m_catalog = m_objects.reserve();
    m_pageTree = m_objects.reserve();
    m_resources = m_objects.reserve();
}

void PdfDocument::addPage(QSizeF paper, QByteArrayView content)
{
    if (m_pages.empty())
        m_firstPaper = paper;
    const int contents = m_objects.writeStream({}, content);
    QByteArray page = "<</Type/Page/Parent " + reference(m_pageTree) + "/Resources " +
                      reference(m_resources) + "/Contents " + reference(contents);
    if (paper != m_firstPaper)
        page += mediaBox(paper);
    m_pages.push_back(m_objects.write(page + ">>"));
}

QByteArray PdfDocument::imageName(const QImage &image)
{
    const qint64 key = image.cacheKey();
    const auto known = m_imageNames.constFind(key);
    if (known != m_imageNames.cend())
        return *known;
    const auto standIn = m_standInPictures.constFind(key);
    const QByteArray name = standIn != m_standInPictures.cend()
                                ? writePicture(standIn->first, standIn->second)
                                : writeImage(image);
    m_imageNames.insert(key, name);
    return name;
}

QImage PdfDocument::standIn(const QString &id, std::int32_t page)
{
    QImage &image = m_standIns[{id, page}];
    if (image.isNull()) {
        image = QImage(1, 1, QImage::Format_RGB32);
        image.fill(Qt::white);
        m_standInPictures.insert(image.cacheKey(), {id, page});
    }
    return image;
}

QByteArray PdfDocument::writeImage(const QImage &image)
{
    const bool alpha = image.hasAlphaChannel();
    const QImage pixels =
        image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const bool grey = pixels.allGray();
    const int width = pixels.width();
    const int height = pixels.height();
    const int channels = grey ? 1 : 3;
    const int step = alpha ? 4 : 3;
    QByteArray colors(qsizetype(width) * height * channels, Qt::Uninitialized);
    QByteArray coverage(alpha ? qsizetype(width) * height : 0, Qt::Uninitialized);
    char *color = colors.data();
    char *cover = coverage.data();
    bool opaque = true;
    for (int y = 0; y < height; ++y) {
        const uchar *pixel = pixels.constScanLine(y);
        for (int x = 0; x < width; ++x, pixel += step) {
            for (int channel = 0; channel < channels; ++channel)
                *color++ = char(pixel[channel]);
            if (alpha) {
                *cover++ = char(pixel[3]);
                opaque = opaque && pixel[3] == 255;
            }
        }
    }
    const QByteArray size =
        "/Width " + QByteArray::number(width) + "/Height " + QByteArray::number(height);
    QByteArray entries = "/Type/XObject/Subtype/Image" + size +
                         (grey ? "/ColorSpace/DeviceGray" : "/ColorSpace/DeviceRGB") +
                         "/BitsPerComponent 8";
    if (alpha && !opaque)
        entries += "/SMask " +
                   reference(m_objects.writeStream("/Type/XObject/Subtype/Image" + size +
                                                       "/ColorSpace/DeviceGray/BitsPerComponent 8",
                                                   coverage));
    const QByteArray name = "/I" + QByteArray::number(m_imageNames.size());
    m_xobjects += name + ' ' + reference(m_objects.writeStream(entries, colors));
    return name;
}

QByteArray PdfDocument::writePicture(const QString &id, std::int32_t page)
{
    const QByteArray name = "/P" + QByteArray::number(m_imageNames.size());
    const QByteArray bytes = m_pictures.bytes(id);
    if (pictureFormat(bytes) == PictureFormat::Raster) {
        // A JPEG as its own bytes, which DCTDecode reads as they are.
        const std::optional<JpegHeader> jpeg = readJpegHeader(bytes);
        if (!jpeg) {
            m_error = QStringLiteral("A JPEG picture could not be read.");
            return name;
        }
        static const char *const colorSpaces[] = {"/DeviceGray", "/DeviceGray", "/DeviceRGB",
                                                  "/DeviceCMYK"};
        QByteArray entries = "/Type/XObject/Subtype/Image/Width " +
                             QByteArray::number(jpeg->width) + "/Height " +
                             QByteArray::number(jpeg->height) + "/ColorSpace" +
                             colorSpaces[std::clamp(jpeg->components, 1, 4) - 1] +
                             "/BitsPerComponent 8/Filter/DCTDecode";
        // Four components written by Adobe's software are stored inverted.
        if (jpeg->adobe && jpeg->components == 4)
            entries += "/Decode[1 0 1 0 1 0 1 0]";
        m_xobjects += name + ' ' + reference(m_objects.writeEncodedStream(entries, bytes));
        return name;
    }
    int number = m_objects.next();
    const int form = number;
    const qpdfpages::ObjectSink sink{[this](int object) { m_objects.begin(object); },
                                     [this](const char *data, std::size_t length) {
                                         m_objects.writeBytes(
                                             QByteArrayView(data, qsizetype(length)));
                                     }};
    const std::string error = m_forms.write(
        id.toStdString(), [&bytes] { return bytes.toStdString(); }, page, number, sink);
    if (!error.empty())
        m_error = QString::fromStdString(error);
    m_xobjects += name + ' ' + reference(form);
    return name;
}

QByteArray PdfDocument::opacityState(int fillAlpha, int strokeAlpha)
{
    QByteArray &name = m_stateNames[{fillAlpha, strokeAlpha}];
    if (name.isEmpty()) {
        name = "/G" + QByteArray::number(qsizetype(m_stateNames.size()));
        m_states += name + ' ' +
                    reference(m_objects.write(
                        "<</Type/ExtGState/ca " + QByteArray::number(fillAlpha / 255.0, 'g', 4) +
                        "/CA " + QByteArray::number(strokeAlpha / 255.0, 'g', 4) + ">>"));
    }
    return name;
}

QByteArray PdfDocument::info() const
{
    QByteArray entries = "<</Producer" + textString(QStringLiteral("Paginette"));
    if (!m_title.isEmpty())
        entries += "/Title" + textString(m_title);
    if (!m_creator.isEmpty())
        entries += "/Creator" + textString(m_creator);
    return entries + ">>";
}

bool PdfDocument::finish()
{
    std::vector<int> fonts;
    if (!m_fonts.write(m_objects, fonts) && m_error.isEmpty())
        m_error = QStringLiteral("A font could not be embedded in the PDF.");
    QByteArray resources = "<<";
    if (!fonts.empty()) {
        resources += "/Font<<";
        for (std::size_t face = 0; face < fonts.size(); ++face)
            resources += "/F" + QByteArray::number(qsizetype(face)) + ' ' + reference(fonts[face]);
        resources += ">>";
    }
    if (!m_xobjects.isEmpty())
        resources += "/XObject<<" + m_xobjects + ">>";
    if (!m_states.isEmpty())
        resources += "/ExtGState<<" + m_states + ">>";
    m_objects.writeReserved(m_resources, resources + ">>");

    m_objects.begin(m_pageTree);
    m_objects.writeBytes(QByteArray::number(m_pageTree) + " 0 obj\n<</Type/Pages/Kids[");
    QByteArray kids;
    for (std::size_t page = 0; page < m_pages.size(); ++page) {
        kids += reference(m_pages[page]) + ' ';
        if (kids.size() > 65536 || page + 1 == m_pages.size()) {
            m_objects.writeBytes(kids);
            kids.clear();
        }
    }
    m_objects.writeBytes("]/Count " + QByteArray::number(qsizetype(m_pages.size())) +
                         mediaBox(m_firstPaper) + ">>\nendobj\n");

    m_objects.writeReserved(m_catalog, "<</Type/Catalog/Pages " + reference(m_pageTree) +
                                           "/ViewerPreferences<</PrintScaling/None" +
                                           m_duplexEntry + ">>>>");
    const int info = m_objects.write(this->info());
    m_objects.finish("/Root " + reference(m_catalog) + "/Info " + reference(info));
    return m_error.isEmpty();
}
