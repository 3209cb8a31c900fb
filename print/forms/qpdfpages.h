#pragma once

// The part of writing PDF pictures' pages into a run's file that speaks to
// qpdf, in plain C++17: qpdf's headers do not build as C++20 with every
// compiler.

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace qpdfpages {

// Where a run's file takes the objects a form is made of.
struct ObjectSink
{
    // Object `number` begins at what is written next.
    std::function<void(int number)> begin;
    std::function<void(const char *data, std::size_t length)> write;
};

// The pages of PDF pictures as form XObjects in a run's file: each picture
// read once, each object it holds written once however many of its pages
// use it, under numbers the run gives.
class PageForms
{
public:
    PageForms();
    ~PageForms();
    PageForms(const PageForms &) = delete;
    PageForms &operator=(const PageForms &) = delete;

    // Writes page `page` (from 1) of the picture `picture`, whose bytes
    // `bytes` gives when it is first used, as form XObject `nextNumber`
    // mapped onto the unit square, where an image is drawn, followed by the
    // objects it reaches that are not yet written; `nextNumber` moves past
    // the last. An error text, empty on success.
    std::string write(const std::string &picture, const std::function<std::string()> &bytes,
                      int page, int &nextNumber, const ObjectSink &sink);

private:
    struct Source;
    std::map<std::string, std::unique_ptr<Source>> m_sources;
};

} // namespace qpdfpages
