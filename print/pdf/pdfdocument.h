#pragma once

#include "forms/qpdfpages.h"
#include "pdf/pdffonts.h"
#include "pdf/pdfobjects.h"
#include "picture.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <deque>
#include <map>
#include <utility>
#include <vector>

class QIODevice;

// The document a run's PDF holds, apart from what its pages draw: the pages
// in order, and what they share, each written once (fonts, images, the
// pages of PDF pictures as forms, transparency states) under one resources
// dictionary; then the catalog with the viewer preferences the run asks
// for, and the file's end.
class PdfDocument
{
public:
    explicit PdfDocument(QIODevice &out);

    void setTitle(const QString &title) { m_title = title; }
    void setCreator(const QString &creator) { m_creator = creator; }
    // The catalog's viewer preferences: /PrintScaling /None always (no
    // viewer shrinks a calibrated run), /Duplex when `duplexEntry` names
    // the edge; the file's version is the one they need.
    void setDuplexEntry(const QByteArray &duplexEntry) { m_duplexEntry = duplexEntry; }
    // The pictures whose PDF pages and JPEGs the file carries as they are.
    void setPictures(const PictureStore &pictures) { m_pictures = pictures; }

    // Writes the header; before the first page.
    void begin();
    // A page of `paper` points whose content is `content`.
    void addPage(QSizeF paper, QByteArrayView content);
    // Writes the fonts, the resources, the pages, the catalog and the
    // cross-reference stream. False when something could not be written;
    // error() says what.
    bool finish();

    PdfFonts &fonts() { return m_fonts; }
    // The resource name of the image, writing it when first drawn; a
    // stand-in's picture as it is.
    QByteArray imageName(const QImage &image);
    // A stand-in image that the file carries as page `page` of the PDF
    // picture `id`, or as the JPEG `id` itself, drawn where it is drawn.
    QImage standIn(const QString &id, std::int32_t page);
    // The resource name of a graphics state with fill and stroke opacity.
    QByteArray opacityState(int fillAlpha, int strokeAlpha);

    // Why the file is not whole, or empty.
    const QString &error() const { return m_error; }

private:
    QByteArray writeImage(const QImage &image);
    QByteArray writePicture(const QString &id, std::int32_t page);
    QByteArray info() const;

    PdfObjects m_objects;
    PdfFonts m_fonts;
    qpdfpages::PageForms m_forms;
    PictureStore m_pictures;
    QString m_title;
    QString m_creator;
    QByteArray m_duplexEntry;
    int m_catalog = 0;
    int m_pageTree = 0;
    int m_resources = 0;
    QSizeF m_firstPaper;
    std::deque<int> m_pages; // in blocks, never copied to grow
    // Resource names and objects: images (and pictures) and opacity states.
    QByteArray m_xobjects;
    QByteArray m_states;
    QHash<qint64, QByteArray> m_imageNames;                            // by cache key
    std::map<std::pair<QString, std::int32_t>, QImage> m_standIns;     // by picture and page
    QHash<qint64, std::pair<QString, std::int32_t>> m_standInPictures; // by cache key
    std::map<std::pair<int, int>, QByteArray> m_stateNames;
    QString m_error;
};
