#pragma once

#include "file/documentfile.h"
#include "outputs/outputtarget.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

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
// The document `bytes` hold, named `name` in messages, with room for as many
// objects as the program allows; none, after telling why through `message`,
// for a file the reader has anything to say about: a run from part of a
// design is waste.
std::optional<Document> documentToPrint(const QByteArray &bytes, const QString &name,
                                        const std::function<void(const QString &)> &message);
