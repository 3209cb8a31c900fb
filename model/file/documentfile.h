#pragma once

#include "document.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

class QIODevice;

// What the reader has to say about a file: the message box the program
// shows, and the same in words that stand on their own after the file's name
// (the command-line tool prints those).
struct FileMessage
{
    QString text;
    QString caption;
    QString detail;

    bool operator==(const FileMessage &) const = default;
};

struct LoadResult
{
    // Nothing when the file was refused; the messages say why.
    std::optional<Document> document;
    // In the order they arose; beside a document, what was wrong with a file
    // that loaded all the same.
    QList<FileMessage> messages;
    // How many objects the header claims; more than the capacity were cut.
    std::int32_t storedObjects = 0;
};

// The largest extension block a document holds, its tag and length
// counted: its formats, and pictures of up to 16 MB each. A longer one is
// damaged.
inline constexpr qint64 maxExtensionBlockBytes = qint64{256} << 20;
// The most a document file holds: its header, the largest table with its
// drawing order, and the largest extension block. Whatever reads a document
// whole reads no more, so that the program and paginette-print take the
// same documents.
inline constexpr qint64 maxDocumentBytes =
    48 + qint64{maxObjectCapacity} * (388 + 4) + maxExtensionBlockBytes;

// Reads a document with room for `capacity` objects. A file that cannot be
// opened or has no sound header is refused; a file cut short loads the
// objects before the cut.
LoadResult loadDocument(const QString &path, std::int32_t capacity);
LoadResult readDocument(QIODevice &device, std::int32_t capacity);
LoadResult readDocument(const QByteArray &bytes, std::int32_t capacity);

// The file's bytes: the header, every object's record with its box from
// `boxes` (one per object, in window pixels) and, for a number, the text it
// shows on the page shown, then the drawing order.
QByteArray documentBytes(const Document &doc, const QList<Bounds32> &boxes);
// Whether a save would leave out an extension block that could not be read:
// the document's formats are no longer those it was read with.
bool saveDropsUnreadFormats(const Document &doc);

// Writes the document to `path` whole or not at all. Empty on success, else
// the system's text for what failed.
QString saveDocument(const Document &doc, const QList<Bounds32> &boxes, const QString &path);
