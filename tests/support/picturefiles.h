#pragma once

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QStringList>

#include <utility>

// Picture files made for tests, as other programs write them.

// A picture whose every pixel differs from its neighbours: a lossy encoder
// changes nearly all of them.
inline QImage busyImage(QSize size, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xff000000u);
    }
    return image;
}

inline QByteArray encodedImage(const QImage &image, const char *format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// Where each scan of the JPEG `jpeg` begins and ends, its data with it.
inline QList<std::pair<qsizetype, qsizetype>> jpegScanSpans(const QByteArray &jpeg)
{
    const auto byte = [&jpeg](qsizetype at) {
        return static_cast<unsigned char>(jpeg[at]);
    };
    QList<std::pair<qsizetype, qsizetype>> scans;
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && byte(at) == 0xff && byte(at + 1) != 0xd9) {
        const qsizetype next = at + 2 + (byte(at + 2) << 8 | byte(at + 3));
        if (byte(at + 1) != 0xda) {
            at = next;
            continue;
        }
        const qsizetype start = at;
        // The scan's data ends at the first marker that is neither a
        // stuffed byte nor a restart.
        for (at = next; at + 1 < jpeg.size(); ++at) {
            const unsigned char following = byte(at + 1);
            if (byte(at) == 0xff && following != 0 && (following < 0xd0 || following > 0xd7))
                break;
        }
        scans.append({start, at});
    }
    return scans;
}

inline qsizetype jpegScans(const QByteArray &jpeg)
{
    return jpegScanSpans(jpeg).size();
}

// The JPEG `jpeg` with its last scan written `copies` times more: a decoder
// goes over the whole picture for each.
inline QByteArray withRepeatedScans(const QByteArray &jpeg, int copies)
{
    const QList<std::pair<qsizetype, qsizetype>> scans = jpegScanSpans(jpeg);
    if (scans.isEmpty())
        return {};
    const auto [start, end] = scans.last();
    return jpeg.left(end) + jpeg.mid(start, end - start).repeated(copies) + jpeg.mid(end);
}

// A PDF of one A6 page for each word, the word alone on it.
inline QByteArray wordsPdf(const QStringList &words)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A6));
    QPainter painter(&writer);
    painter.setFont(QFont(QStringLiteral("Liberation Sans"), 24));
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i > 0)
            writer.newPage();
        painter.drawText(QPointF(300, 900), words[i]);
    }
    painter.end();
    return bytes;
}
