#pragma once

// The part of reading a PDF picture that speaks to qpdf, in plain C++17:
// qpdf's headers do not build as C++20 with every compiler.

#include <cstddef>
#include <memory>

namespace pdfbounds {

// What drawing one page may cost.
struct Limits
{
    // The content the page draws, inflated, and the operators it runs: its
    // own, and each form's as many times as it is drawn.
    std::size_t contentBytes = 0;
    std::size_t operators = 0;
    // Each stream the page uses (an image, a font), inflated.
    std::size_t streamBytes = 0;
    // Each image's pixels.
    std::size_t imagePixels = 0;
    // Forms drawn within forms.
    int formDepth = 0;
};

enum class Excess
{
    None,
    Unreadable, // no such page, or a file that is damaged
    Content,    // draws more than Limits::contentBytes
    Work,       // runs more than Limits::operators
    Stream,     // uses a stream that inflates past Limits::streamBytes
    Image,      // holds an image of more than Limits::imagePixels
    Nesting,    // nests forms deeper than Limits::formDepth, or a form in itself
};

// A PDF read once, whose pages are measured against the limits as they are
// asked for: only the objects a page uses are read, and no stream is
// inflated further than its limit.
class PdfPages
{
public:
    // `data` stays readable while the object lives.
    PdfPages(const char *data, std::size_t size, const Limits &limits);
    ~PdfPages();
    PdfPages(const PdfPages &) = delete;
    PdfPages &operator=(const PdfPages &) = delete;

    // How page `page` (from 1) passes the limits.
    Excess excess(int page);

private:
    struct Reader;
    std::unique_ptr<Reader> m_reader;
};

} // namespace pdfbounds
