#pragma once

#include "documentstate.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// Write the document to `path`, atomically. 0 on success, -1 on failure (a
// message has been shown).
int saveDocument(DocumentState &doc, const QString &path);
// Replace the live part of the table with the file's content. 0 on success,
// -1 on failure (a message has been shown; the table is unchanged).
int loadDocument(DocumentState &doc, const QString &path);
// The same from a document file's bytes, read by the caller.
int loadDocument(DocumentState &doc, const QByteArray &bytes);
// The object count a document file's header claims, or nothing when the
// file has no readable, sound header. Shows no message.
std::optional<std::int32_t> storedObjectCount(const QString &path);
std::optional<std::int32_t> storedObjectCount(const QByteArray &bytes);
