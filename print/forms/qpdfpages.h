#pragma once

// The part of putting PDF pages into a run's file that speaks to qpdf, in
// plain C++17: qpdf's headers do not build as C++20 with every compiler.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qpdfpages {

// What a PDF's DCTDecode filter needs to know of a JPEG, from its frame.
struct Jpeg
{
    int width = 0;
    int height = 0;
    int components = 0;
    // Four components written by Adobe's software are stored inverted.
    bool inverted = false;
};

// An image of one pixel of colour `rgb`, first drawn on sheet `sheet`
// (from 1) when the run had `writtenAfter` bytes, that stands for page
// `page` of the PDF picture `picture`, or for the JPEG `picture` whose
// frame `jpeg` gives.
struct StandIn
{
    int sheet = 0;
    long long writtenAfter = 0;
    std::array<unsigned char, 3> rgb{};
    std::string picture;
    int page = 1;
    std::optional<Jpeg> jpeg;
};

// Writes, through `write`, an update of the PDF at `runPath` in which each
// stand-in's image object becomes its page of its picture (whose bytes
// `bytesOf` gives) as a form XObject filling the image's square, or the
// JPEG as an image whose data are the file's bytes, and whose catalog gains
// `catalogEntries` (PDF dictionary entries, such as viewer preferences).
// With `copyRun` the run's own bytes are written first; without, `write`
// appends to the file at `runPath` itself. With no stand-in and no entries
// there is no update. `keepGoing`, asked between two stand-ins, stops the
// update. An error text, empty on success.
std::string placeForms(const std::string &runPath, const std::vector<StandIn> &standIns,
                       const std::string &catalogEntries,
                       const std::function<std::string(const std::string &picture)> &bytesOf,
                       const std::function<void(const char *data, std::size_t length)> &write,
                       bool copyRun, const std::function<bool()> &keepGoing);

} // namespace qpdfpages
