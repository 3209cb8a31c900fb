#pragma once

#include "outcome.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// An SVG picture as it is drawn: only what it holds. Qt SVG loads the file
// an <image> names, or waits on it when it is a FIFO; a document received
// from elsewhere would carry the printing machine's files back out.
struct SvgContent
{
    // The bytes Qt SVG is given: the file's own when it refers to nothing
    // outside it.
    QByteArray bytes;
    // The references to files or addresses left out.
    std::int32_t externalReferences = 0;
};

// The SVG `bytes` with every reference to a file or an address left out (an
// <image> or a <use> of one is not drawn), and every picture it holds that
// cannot be decoded within bounds. Nothing, with why in `why`, when they
// are not XML that can be read or nest deeper than a drawing needs.
Outcome<SvgContent> svgContent(const QByteArray &bytes);
