#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <zlib.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>

class QIODevice;

// Compresses one stream after another through one deflate state, reset
// between them: making a state costs more than a page's stream.
class Deflater
{
public:
    Deflater();
    ~Deflater();
    Deflater(const Deflater &) = delete;
    Deflater &operator=(const Deflater &) = delete;

    // `data` compressed whole; valid until the next call.
    QByteArrayView compress(QByteArrayView data);
    // The pieces `nextPiece` gives until it gives an empty one, compressed
    // as one stream.
    QByteArrayView compress(const std::function<QByteArrayView()> &nextPiece);

private:
    z_stream m_stream{};
    QByteArray m_out;
};

// A PDF file written front to back: each object numbered as it is written,
// but for those reserved to be written last, streams compressed through one
// deflate state, and a cross-reference stream at the end. Where each object
// begins is kept in four bytes, the rest following from their order: a
// million pages take 8 MB, in blocks that are never copied to grow.
class PdfObjects
{
public:
    explicit PdfObjects(QIODevice &out);

    // "%PDF-1.7" and the line of bytes that marks the file as binary.
    void writeHeader(QByteArrayView version);
    // A number for an object written out of turn, by writeReserved().
    int reserve();
    // The number the next object written in turn takes.
    int next() const { return int(m_offsets.size()); }

    // `body` (a dictionary, an array...) as the next object; its number.
    int write(QByteArrayView body);
    void writeReserved(int number, QByteArrayView body);
    // A stream of `data` compressed, its dictionary holding `entries` besides
    // its filter and length; its number.
    int writeStream(QByteArrayView entries, QByteArrayView data);
    // A stream whose `entries` already name the filter `data` is in.
    int writeEncodedStream(QByteArrayView entries, QByteArrayView data);

    // For objects that another writer puts together: object `number`, the
    // next in turn, begins here; then its bytes.
    void begin(int number);
    void writeBytes(QByteArrayView bytes);

    // The cross-reference stream, whose dictionary holds `trailer` (/Root,
    // /Info), and the file's end.
    void finish(QByteArrayView trailer);

    Deflater &deflater() { return m_deflater; }

private:
    void put(QByteArrayView bytes);
    void startObject(int number);

    QIODevice &m_out;
    std::uint64_t m_written = 0;
    // The low four bytes of where each object begins, by number; 0 is the
    // free head.
    std::deque<std::uint32_t> m_offsets{0};
    std::map<int, std::uint64_t> m_reserved;
    Deflater m_deflater;
};
