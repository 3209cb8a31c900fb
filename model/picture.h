#pragma once

#include "file/unknownkeys.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>

// The largest picture file a document takes.
inline constexpr qint64 maxPictureBytes = qint64{16} << 20;
// The sides a picture may have, in page units: a point to 10 metres.
inline constexpr double smallestPictureSide = 1;
inline constexpr double largestPictureSide = 28346;

// What a picture object shows: which of the document's pictures, from which
// file and page it came, its size on the page, and how it prints.
struct PictureRef
{
    QString id;            // of its bytes among the document's pictures
    QString file;          // the file's name, as it was placed
    std::int32_t page = 1; // of a PDF file
    double width = 0;      // in page units
    double height = 0;
    bool background = false; // covers the page, under everything else
    bool printed = true;     // off: a guide shown on screen only
    UnknownKeys unknownKeys;

    bool operator==(const PictureRef &) const = default;
};

// The id of a picture's bytes: a hash of them, so that equal ids name
// equal bytes.
QString pictureId(const QByteArray &bytes);

// The bytes of the pictures a document shows, each kept once under its id.
class PictureStore
{
public:
    // Keeps `bytes` (sharing them); their id.
    QString add(const QByteArray &bytes);
    // The bytes of `id`; empty when the store has none.
    QByteArray bytes(const QString &id) const;
    bool contains(const QString &id) const { return m_pictures.count(id) != 0; }
    bool isEmpty() const { return m_pictures.empty(); }
    const std::map<QString, QByteArray> &entries() const { return m_pictures; }

    // Ids name their bytes: comparing them is comparing the pictures.
    bool operator==(const PictureStore &other) const;

private:
    std::map<QString, QByteArray> m_pictures;
};
