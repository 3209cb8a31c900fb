#include "pdf/pdfobjects.h"

#include <QIODevice>

#include <stdexcept>
#include <string>

Deflater::Deflater()
{
    // A small hash table: a page's stream is a kilobyte or two, and the
    // table is cleared before each stream.
    constexpr int memoryLevel = 4;
    if (deflateInit2(&m_stream, Z_BEST_SPEED, Z_DEFLATED, 15, memoryLevel, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        throw std::bad_alloc();
}

Deflater::~Deflater()
{
    deflateEnd(&m_stream);
}

QByteArrayView Deflater::compress(const std::function<QByteArrayView()> &nextPiece)
{
    deflateReset(&m_stream);
    qsizetype written = 0;
    for (;;) {
        const QByteArrayView piece = nextPiece();
        m_stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(piece.data()));
        m_stream.avail_in = uInt(piece.size());
        const int flush = piece.isEmpty() ? Z_FINISH : Z_NO_FLUSH;
        int status = Z_OK;
        do {
            if (m_out.size() - written < 65536)
                m_out.resize(std::max<qsizetype>(2 * m_out.size(), written + 65536));
            m_stream.next_out = reinterpret_cast<Bytef *>(m_out.data() + written);
            m_stream.avail_out = uInt(m_out.size() - written);
            status = deflate(&m_stream, flush);
            written = m_out.size() - qsizetype(m_stream.avail_out);
        } while (m_stream.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
        if (flush == Z_FINISH)
            return QByteArrayView(m_out.constData(), written);
    }
}

QByteArrayView Deflater::compress(QByteArrayView data)
{
    deflateReset(&m_stream);
    const auto bound = qsizetype(deflateBound(&m_stream, uLong(data.size())));
    if (m_out.size() < bound)
        m_out.resize(bound);
    m_stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    m_stream.avail_in = uInt(data.size());
    m_stream.next_out = reinterpret_cast<Bytef *>(m_out.data());
    m_stream.avail_out = uInt(m_out.size());
    // The bound makes room for all of it in one call.
    deflate(&m_stream, Z_FINISH);
    return QByteArrayView(m_out.constData(), qsizetype(m_stream.total_out));
}

PdfObjects::PdfObjects(QIODevice &out) : m_out(out) {}

void PdfObjects::put(QByteArrayView bytes)
{
    m_out.write(bytes.data(), bytes.size());
    m_written += std::uint64_t(bytes.size());
}

void PdfObjects::writeHeader(QByteArrayView version)
{
    put("%PDF-");
    put(version);
    put("\n%\xe2\xe3\xcf\xd3\n");
}

int PdfObjects::reserve()
{
    const int number = next();
    m_offsets.push_back(0);
    m_reserved.emplace(number, 0);
    return number;
}

void PdfObjects::startObject(int number)
{
    const auto reserved = m_reserved.find(number);
    if (reserved != m_reserved.end())
        reserved->second = m_written;
    else
        m_offsets.push_back(std::uint32_t(m_written));
    put(QByteArray::number(number));
    put(" 0 obj\n");
}

void PdfObjects::begin(int number)
{
    const auto reserved = m_reserved.find(number);
    if (reserved != m_reserved.end())
        reserved->second = m_written;
    else
        m_offsets.push_back(std::uint32_t(m_written));
}

void PdfObjects::writeBytes(QByteArrayView bytes)
{
    put(bytes);
}

int PdfObjects::write(QByteArrayView body)
{
    const int number = next();
    startObject(number);
    put(body);
    put("\nendobj\n");
    return number;
}

void PdfObjects::writeReserved(int number, QByteArrayView body)
{
    startObject(number);
    put(body);
    put("\nendobj\n");
}

int PdfObjects::writeStream(QByteArrayView entries, QByteArrayView data)
{
    const QByteArrayView compressed = m_deflater.compress(data);
    const int number = next();
    startObject(number);
    put("<<");
    put(entries);
    put("/Filter/FlateDecode/Length ");
    put(QByteArray::number(compressed.size()));
    put(">>stream\n");
    put(compressed);
    put("\nendstream\nendobj\n");
    return number;
}

int PdfObjects::writeEncodedStream(QByteArrayView entries, QByteArrayView data)
{
    const int number = next();
    startObject(number);
    put("<<");
    put(entries);
    put("/Length ");
    put(QByteArray::number(data.size()));
    put(">>stream\n");
    put(data);
    put("\nendstream\nendobj\n");
    return number;
}

void PdfObjects::finish(QByteArrayView trailer)
{
    const int self = next();
    const std::uint64_t start = m_written;
    int width = 1;
    while (width < 8 && (start >> (8 * width)) != 0)
        ++width;
    // Rows of type, offset and generation, each row after the first stored
    // as its difference from the row above (PNG's Up predictor): offsets
    // that grow a little from row to row then compress to a byte or two.
    // They are made and compressed a piece at a time, never all at once.
    const auto columns = std::size_t(1 + width + 2);
    std::vector<unsigned char> above(columns, 0);
    std::vector<unsigned char> row(columns);
    std::string piece;
    int number = 0;
    std::uint64_t high = 0;
    std::uint32_t last = 0;
    const auto offsetOf = [&](int object) -> std::uint64_t {
        if (object == self)
            return start;
        const auto reserved = m_reserved.find(object);
        if (reserved != m_reserved.end())
            return reserved->second;
        // Objects in turn begin further on than the one before: a smaller
        // low part has passed a multiple of 4 GB.
        const std::uint32_t low = m_offsets[std::size_t(object)];
        if (low < last)
            high += std::uint64_t(1) << 32;
        last = low;
        return high | low;
    };
    const auto nextRows = [&]() -> QByteArrayView {
        piece.clear();
        for (; number <= self && piece.size() < 65536; ++number) {
            const std::uint64_t offset = number == 0 ? 0 : offsetOf(number);
            row[0] = number == 0 ? 0 : 1;
            for (int byte = 0; byte < width; ++byte)
                row[std::size_t(1 + byte)] =
                    static_cast<unsigned char>(offset >> (8 * (width - 1 - byte)));
            row[columns - 2] = row[columns - 1] = number == 0 ? 0xff : 0;
            piece += char(2); // Up
            for (std::size_t column = 0; column < columns; ++column)
                piece += char(row[column] - above[column]);
            above = row;
        }
        return QByteArrayView(piece.data(), qsizetype(piece.size()));
    };
    const QByteArray entries =
        "/Type/XRef/Size " + QByteArray::number(self + 1) + "/W[1 " + QByteArray::number(width) +
        " 2]/DecodeParms<</Predictor 12/Columns " + QByteArray::number(qulonglong(columns)) + ">>" +
        trailer.toByteArray();
    writeEncodedStream(entries + "/Filter/FlateDecode", m_deflater.compress(nextRows));
    put("startxref\n");
    put(QByteArray::number(qulonglong(start)));
    put("\n%%EOF\n");
}
