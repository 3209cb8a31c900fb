#pragma once

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

// What a picture file holds: its pages (1 but for a PDF) and the natural
// size of the page asked for, in page units (72 an inch). Nothing when the
// file cannot be read within bounds.
struct PictureFile
{
    std::int32_t pages = 0;
    QSizeF size;
};
std::optional<PictureFile> readPictureFile(const QByteArray &bytes, std::int32_t page = 1);

// Gives the stand-in for a PDF page that a PDF writer's output will carry as
// a vector form: an image that the writer keeps once, for a later step to
// replace with the page, given its picture's id and page.
using PdfPagePlacer = std::function<QImage(const QString &id, std::int32_t page)>;

// Draws page `page` of the picture `bytes` (id `id`) into `target`, in the
// painter's coordinates. On screen, from a picture decoded at the size it
// shows, kept in `cache`; on paper, an image is drawn whole (one image for
// every page that shows it), an SVG as vectors, and a PDF page as the
// stand-in `placePdfPage` gives, when given, else as an image at the device's resolution.
// False, drawing nothing, when the picture cannot be decoded.
bool drawPicture(QPainter &painter, RenderCache &cache, const QByteArray &bytes, const QString &id,
                 std::int32_t page, const QRectF &target, bool onScreen,
                 const PdfPagePlacer *placePdfPage);

// `size` scaled to fit `area` whole, keeping its proportions, centred in it.
QRectF fittedInto(const QSizeF &size, const QRectF &area);
