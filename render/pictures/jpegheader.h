#pragma once

#include <QByteArray>

#include <cstdint>
#include <optional>

// What a JPEG file's markers say of it, read without decoding it: its frame
// and how many scans its data comes in.
struct JpegHeader
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t components = 0;
    std::int32_t precision = 0; // bits a sample
    // Baseline or extended sequential, or progressive, Huffman coded: what a
    // PDF's DCTDecode filter reads.
    bool dctDecodable = false;
    // An Adobe marker: four components are then stored inverted.
    bool adobe = false;
    // Each scan is decoded over the whole picture: a progressive JPEG can
    // hold thousands of nearly empty ones.
    std::int32_t scans = 0;
};

// The header of the JPEG `bytes`; nothing when they are not one, or end
// before the frame and its first scan.
std::optional<JpegHeader> readJpegHeader(const QByteArray &bytes);
