#pragma once

// The part of placing PDF pages under a run's sheets that speaks to qpdf,
// in plain C++17: qpdf's headers do not build as C++20 with every compiler.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace qpdfpages {

struct Placement
{
    int sheet = 0; // from 1
    std::string picture;
    int page = 1;
    // Points from the paper's top-left corner.
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

// Writes the PDF at `runPath` through `write` with each placement's page of
// its picture (whose bytes `bytesOf` gives) under its sheet, one form
// XObject for each page of a picture. An error text, empty on success.
std::string stamp(const std::string &runPath, const std::vector<Placement> &placements,
                  const std::function<std::string(const std::string &picture)> &bytesOf,
                  const std::function<void(const char *data, std::size_t length)> &write);

} // namespace qpdfpages
