#include "pictures/jpegheader.h"

namespace {

constexpr unsigned char markerStart = 0xFF;
constexpr unsigned char startOfImage = 0xD8;
constexpr unsigned char endOfImage = 0xD9;
constexpr unsigned char startOfScan = 0xDA;
constexpr unsigned char adobeApplication = 0xEE;

unsigned char byteAt(const QByteArray &bytes, qsizetype at)
{
    return static_cast<unsigned char>(bytes[at]);
}

int wordAt(const QByteArray &bytes, qsizetype at)
{
    return byteAt(bytes, at) << 8 | byteAt(bytes, at + 1);
}

// The frame markers that are not: a Huffman table, a JPEG extension, an
// arithmetic coding condition.
bool isFrame(unsigned char marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Where the entropy-coded data that starts at `at` ends: at the first marker
// that is neither a stuffed byte nor a restart.
qsizetype endOfScanData(const QByteArray &bytes, qsizetype at)
{
    for (at = bytes.indexOf(char(markerStart), at); at >= 0 && at + 1 < bytes.size();
         at = bytes.indexOf(char(markerStart), at + 1)) {
        const unsigned char next = byteAt(bytes, at + 1);
        if (next != 0 && next != markerStart && !(next >= 0xD0 && next <= 0xD7))
            return at;
    }
    return bytes.size();
}

} // namespace

std::optional<JpegHeader> readJpegHeader(const QByteArray &bytes)
{
    if (bytes.size() < 4 || byteAt(bytes, 0) != markerStart || byteAt(bytes, 1) != startOfImage)
        return std::nullopt;
    JpegHeader header;
    bool framed = false;
    qsizetype at = 2;
    while (at + 1 < bytes.size()) {
        if (byteAt(bytes, at) != markerStart)
            return std::nullopt;
        const unsigned char marker = byteAt(bytes, at + 1);
        // Fill bytes may pad a marker.
        if (marker == markerStart) {
            ++at;
            continue;
        }
        if (marker == endOfImage)
            break;
        // A restart or a temporary marker has no length.
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;
            continue;
        }
        if (at + 4 > bytes.size())
            return std::nullopt;
        const int length = wordAt(bytes, at + 2);
        const qsizetype segment = at + 4;
        if (length < 2 || at + 2 + length > bytes.size())
            return std::nullopt;
        if (isFrame(marker)) {
            if (framed || length < 8)
                return std::nullopt;
            framed = true;
            header.precision = byteAt(bytes, segment);
            header.height = wordAt(bytes, segment + 1);
            header.width = wordAt(bytes, segment + 3);
            header.components = byteAt(bytes, segment + 5);
            header.dctDecodable = marker <= 0xC2;
        } else if (marker == adobeApplication && length >= 7) {
            header.adobe = bytes.mid(segment, 5) == "Adobe";
        }
        at += 2 + length;
        if (marker == startOfScan) {
            if (!framed)
                return std::nullopt;
            ++header.scans;
            at = endOfScanData(bytes, at);
        }
    }
    if (!framed || header.scans == 0)
        return std::nullopt;
    return header;
}
