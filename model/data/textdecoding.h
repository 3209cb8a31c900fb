#pragma once

#include "data/cellgrid.h"

#include <QByteArray>
#include <QString>

// A data file's bytes as text, and the encoding they were read in.
struct DecodedText
{
    QString text;
    // "UTF-8", "UTF-16LE", "windows-1252", or the name iconv read it with.
    QString encoding;
    DataProblem problem;
    // Lines read in another encoding than the rest, named for the user.
    QString warning;
};

// Reads `bytes` in `encoding`, a name iconv knows or "auto". Auto takes a
// byte order mark's encoding, else UTF-8 where the bytes are valid UTF-8,
// else UTF-8 with the lines that are not read as Windows-1252 (and named in
// the warning) where as many lines read as UTF-8 beyond ASCII, else the
// encoding libuchardet finds, else Windows-1252. A byte order mark is never
// part of the text. Bytes that are not text in the encoding (a surrogate
// without its pair among them), and a zero byte in any, are a problem naming
// the line.
DecodedText decodeText(const QByteArray &bytes, const QString &encoding);
