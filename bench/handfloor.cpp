#include "handfloor.h"

#include <zlib.h>

#include <cstdio>
#include <vector>

namespace {

constexpr double pageWidth = 595.276;
constexpr double pageHeight = 841.89;
constexpr int columns = 4;
constexpr int rows = 5;

} // namespace

bool writeHandFloor(const char *path, int pages)
{
    std::FILE *file = std::fopen(path, "wb");
    if (!file)
        return false;
    // Where each object begins, by number; the pages (2) are written last.
    std::vector<long> offsets(std::size_t(4 + 2 * pages), 0);
    const auto begin = [&](int number) {
        offsets[std::size_t(number)] = std::ftell(file);
        std::fprintf(file, "%d 0 obj\n", number);
    };
    std::fputs("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n", file);
    begin(1);
    std::fputs("<</Type/Catalog/Pages 2 0 R>>\nendobj\n", file);
    begin(3);
    std::fputs("<</Type/Font/Subtype/Type1/BaseFont/Helvetica/Encoding/WinAnsiEncoding>>\nendobj\n",
               file);

    z_stream deflater{};
    deflateInit(&deflater, Z_DEFAULT_COMPRESSION);
    char content[2048];
    unsigned char compressed[4096];
    for (int page = 0; page < pages; ++page) {
        int length = std::snprintf(content, sizeof content, "BT/F1 12 Tf\n");
        for (int i = 0; i < columns * rows; ++i) {
            const int x = 72 + (i % columns) * 108;
            const int y = 72 + (i / columns) * 54 + 12;
            length += std::snprintf(content + length, sizeof content - std::size_t(length),
                                    "1 0 0 1 %d %.2f Tm(%05d)Tj\n", x, pageHeight - y,
                                    10000 + i * 3000 + page);
        }
        length += std::snprintf(content + length, sizeof content - std::size_t(length), "ET\n");
        deflateReset(&deflater);
        deflater.next_in = reinterpret_cast<Bytef *>(content);
        deflater.avail_in = unsigned(length);
        deflater.next_out = compressed;
        deflater.avail_out = sizeof compressed;
        deflate(&deflater, Z_FINISH);
        const int contents = 4 + 2 * page;
        begin(contents);
        std::fprintf(file, "<</Length %lu/Filter/FlateDecode>>stream\n", deflater.total_out);
        std::fwrite(compressed, 1, deflater.total_out, file);
        std::fputs("\nendstream\nendobj\n", file);
        begin(contents + 1);
        std::fprintf(file, "<</Type/Page/Parent 2 0 R/Contents %d 0 R>>\nendobj\n", contents);
    }
    deflateEnd(&deflater);

    begin(2);
    std::fprintf(file,
                 "<</Type/Pages/MediaBox[0 0 %.3f %.3f]/Resources<</Font<</F1 3 0 R>>>>/Kids[",
                 pageWidth, pageHeight);
    for (int page = 0; page < pages; ++page)
        std::fprintf(file, "%d 0 R ", 5 + 2 * page);
    std::fprintf(file, "]/Count %d>>\nendobj\n", pages);

    const long table = std::ftell(file);
    std::fprintf(file, "xref\n0 %zu\n0000000000 65535 f \n", offsets.size());
    for (std::size_t number = 1; number < offsets.size(); ++number)
        std::fprintf(file, "%010ld 00000 n \n", offsets[number]);
    std::fprintf(file, "trailer\n<</Size %zu/Root 1 0 R>>\nstartxref\n%ld\n%%%%EOF\n",
                 offsets.size(), table);
    return std::fclose(file) == 0;
}
