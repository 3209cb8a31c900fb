#pragma once

// The part of putting PDF pages into a run's file that speaks to qpdf, in
// plain C++17: qpdf's headers do not build as C++20 with every compiler.

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace qpdfpages {

// An image of one pixel of colour `rgb`, first drawn on sheet `sheet`
// (from 1) when the run had `writtenAfter` bytes, that stands for page
// `page` of the PDF picture `picture`.
struct StandIn
{
    int sheet = 0;
    long long writtenAfter = 0;
    std::array<unsigned char, 3> rgb{};
    std::string picture;
    int page = 1;
};

// Writes, through `write`, an update of the PDF at `runPath` in which each
// stand-in's image object becomes its page of its picture (whose bytes
// `bytesOf` gives) as a form XObject filling the image's square. With
// `copyRun` the run's own bytes are written first; without, `write`
// appends to the file at `runPath` itself. An error text, empty on success.
std::string placeForms(const std::string &runPath, const std::vector<StandIn> &standIns,
                       const std::function<std::string(const std::string &picture)> &bytesOf,
                       const std::function<void(const char *data, std::size_t length)> &write,
                       bool copyRun);

} // namespace qpdfpages
