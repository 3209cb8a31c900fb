#pragma once

#include "document.h"
#include "outputtarget.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The most a document can hold: its header, the largest table with its
// drawing order, and room for an extension block that documents will carry.
inline constexpr qint64 maxDocumentBytes =
    48 + qint64(maxObjectCapacity) * (388 + 4) + 16 * 1024 * 1024;

// A document read whole, once, from a file, a FIFO or a pipe alike.
struct DocumentInput
{
    QByteArray bytes;
    std::optional<FileIdentity> identity; // of what was read, to keep the run off it
    QString error;                        // "NAME: why" when it could not be read
};

// Reads the document `name` ("-" is standard input). A stop signal ends any
// wait for it with an error.
DocumentInput readDocumentInput(const QString &name);
// How messages name the document.
QString documentName(const QString &name);
