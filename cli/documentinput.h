#pragma once

#include "file/documentfile.h"
#include "outputs/outputtarget.h"

#include <QByteArray>
#include <QString>

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
