#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// How far a picture is decoded. Pictures travel inside documents from
// anywhere, so none may take more memory or time than these give.

// A raster picture's pixels: 128 MB decoded.
inline constexpr qint64 mostPicturePixels = qint64{32} << 20;
// Each scan of a JPEG is decoded over the whole picture, and a progressive
// JPEG may hold thousands of nearly empty ones: no encoder writes more than
// a few dozen.
inline constexpr std::int32_t mostJpegScans = 256;
inline constexpr qint64 mostJpegScanPixels = mostPicturePixels * 16;

// Why a file that is no picture, or one that is damaged, is not drawn, in
// words that follow its name.
QString unreadablePicture();

// Why the raster picture `bytes` is not decoded, from what its header says,
// in words that follow its name ("has more than 32 megapixels"); empty when
// it may be. Only PNG, JPEG, GIF and BMP are read: the other formats Qt's
// plugins know include SVG, which would follow its references.
QString rasterExcess(const QByteArray &bytes);
