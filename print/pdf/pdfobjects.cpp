#include "pdf/pdfobjects.h"

#include <QIODevice>

#include <stdexcept>

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

std::vector<std::uint64_t> PdfObjects::allOffsets() const
{
    std::vector<std::uint64_t> offsets(m_offsets.size());
    std::uint64_t high = 0;
    std::uint32_t last = 0;
    for (std::size_t number = 1; number < m_offsets.size(); ++number) {
        const auto reserved = m_reserved.find(int(number));
        if (reserved != m_reserved.end()) {
            offsets[number] = reserved->second;
            continue;
        }
        // Objects in turn begin further on than the one before: a smaller
        // low part has passed a multiple of 4 GB.
        if (m_offsets[number] < last)
            high += std::uint64_t(1) << 32;
        last = m_offsets[number];
        offsets[number] = high | m_offsets[number];
    }
    return offsets;
}

void PdfObjects::finish(QByteArrayView trailer)
{
    std::vector<std::uint64_t> offsets = allOffsets();
    const int self = next();
    offsets.push_back(m_written);
    int width = 1;
    while (width < 8 && (m_written >> (8 * width)) != 0)
        ++width;
    // Rows of type, offset and generation, each row after the first stored
    // as its difference from the row above (PNG's Up predictor): offsets
    // that grow a little from row to row then compress to a byte or two.
    const int columns = 1 + width + 2;
    QByteArray rows((columns + 1) * qsizetype(offsets.size()), '\0');
    std::vector<unsigned char> above(static_cast<std::size_t>(columns), 0);
    std::vector<unsigned char> row(static_cast<std::size_t>(columns));
    for (std::size_t number = 0; number < offsets.size(); ++number) {
        row[0] = number == 0 ? 0 : 1;
        for (int byte = 0; byte < width; ++byte)
            row[std::size_t(1 + byte)] =
                static_cast<unsigned char>(offsets[number] >> (8 * (width - 1 - byte)));
        row[std::size_t(columns - 2)] = number == 0 ? 0xff : 0;
        row[std::size_t(columns - 1)] = number == 0 ? 0xff : 0;
        char *out = rows.data() + qsizetype(number) * (columns + 1);
        out[0] = 2; // Up
        for (std::size_t column = 0; column < row.size(); ++column)
            out[column + 1] = char(row[column] - above[column]);
        above = row;
    }
    const QByteArray entries = "/Type/XRef/Size " + QByteArray::number(self + 1) + "/W[1 " +
                               QByteArray::number(width) +
                               " 2]/DecodeParms<</Predictor 12/Columns " +
                               QByteArray::number(columns) + ">>" + trailer.toByteArray();
    const std::uint64_t start = m_written;
    writeStream(entries, rows);
    put("startxref\n");
    put(QByteArray::number(qulonglong(start)));
    put("\n%%EOF\n");
}
