#pragma once

#include "outcome.h"

#include "picture.h"
#include "rendercache.h"

#include <QImage>
#include <QRectF>
#include <QSizeF>

#include <cstdint>
#include <functional>
#include <optional>

class QPainter;

enum class PictureFormat
{
    Raster, // PNG, JPEG and the other formats Qt's image plugins read
    Svg,
    Pdf,
};

// What the bytes of a picture file are, from their first bytes.
PictureFormat pictureFormat(const QByteArray &bytes);

// What a picture file holds: its pages (1 but for a PDF), the natural size
// of the page asked for, in page units (72 an inch), and how many references
// to files or addresses outside it are left undrawn (an SVG's).
struct PictureFile
{
    std::int32_t pages = 0;
    QSizeF size;
    std::int32_t externalReferences = 0;
};
// Fails when the file, or the page asked for, cannot be read within bounds,
// saying why in words that follow the file's name ("has no page 5", "draws
// more than 32 MB on page 2").
Outcome<PictureFile> readPictureFile(const QByteArray &bytes, std::int32_t page = 1);

// A picture file read once and its pages asked for one by one, as
// readPictureFile reads one: a PDF is not loaded again for each page.
class PictureFileReader
{
public:
    explicit PictureFileReader(const QByteArray &bytes);
    Outcome<PictureFile> read(std::int32_t page);

private:
    QByteArray m_bytes;
    RenderCache m_cache;
};

// Whether a PDF writer's output carries the picture as it is, through a
// stand-in: a PDF's pages as vector forms, a JPEG as its own bytes.
bool placedAsItIs(const QByteArray &bytes);

// Gives the stand-in for a PDF page or a JPEG that a PDF writer's output
// will carry as it is: an image that the writer keeps once, for a later
// step to replace with the page or the JPEG, given its picture's id and page.
using PdfPagePlacer = std::function<QImage(const QString &id, std::int32_t page)>;

// Draws page `page` of the picture `bytes` (id `id`) into `target`, in the
// painter's coordinates. On screen, from a picture decoded at the size it
// shows, kept in `cache`; on paper, an SVG as vectors, a PDF page or a JPEG
// as the stand-in `placePdfPage` gives, when given, and any other image
// whole and lossless (one image for every page that shows it); a PDF page
// without a stand-in is drawn as an image at the device's resolution.
// False, drawing nothing, when the picture cannot be decoded within bounds;
// a PDF page drawn as a stand-in, which nothing here decodes, is measured
// by the check before the run (readPictureFile), not here.
bool drawPicture(QPainter &painter, RenderCache &cache, const QByteArray &bytes, const QString &id,
                 std::int32_t page, const QRectF &target, bool onScreen,
                 const PdfPagePlacer *placePdfPage);

// `size` scaled to fit `area` whole, keeping its proportions, centred in it.
QRectF fittedInto(const QSizeF &size, const QRectF &area);
