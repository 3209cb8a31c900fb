#include "pdf/pdfcontent.h"
#include "pdf/pdfobjects.h"

#include <QIODevice>
#include <QTest>

#include <zlib.h>

// The file layer of the run's PDF: numbers as a content stream spells them,
// and every object found again where the cross-reference stream says, past
// 4 GB too, where only the low four bytes of an offset are kept.

namespace {

// A device that keeps only what is written after its first `skipped` bytes,
// so that a file of gigabytes costs no memory.
class TailDevice : public QIODevice
{
public:
    explicit TailDevice(qint64 skipped) : m_skipped(skipped) { open(QIODevice::WriteOnly); }
    QByteArray tail;
    qint64 written = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        const qint64 kept = std::min(size, written + size - m_skipped);
        if (kept > 0)
            tail.append(data + size - kept, kept);
        written += size;
        return size;
    }

private:
    qint64 m_skipped;
};

// The offsets of a cross-reference stream's rows, from the stream's
// dictionary and data in `file`, whose first byte lies at `base`.
QList<quint64> xrefOffsets(const QByteArray &file)
{
    const qsizetype dictionary = file.lastIndexOf("/Type/XRef");
    const qsizetype width = file.indexOf("/W[1 ", dictionary) + 5;
    const int bytes = file.mid(width, 1).toInt();
    const qsizetype start = file.indexOf("stream\n", dictionary) + 7;
    const qsizetype end = file.lastIndexOf("\nendstream");
    QByteArray rows(1 << 20, '\0');
    uLongf length = uLongf(rows.size());
    uncompress(reinterpret_cast<Bytef *>(rows.data()), &length,
               reinterpret_cast<const Bytef *>(file.constData() + start), uLong(end - start));
    const int columns = 1 + bytes + 2;
    QList<quint64> offsets;
    QByteArray above(columns, '\0');
    for (qsizetype row = 0; row + columns < qsizetype(length); row += columns + 1) {
        QByteArray decoded(columns, '\0');
        for (int column = 0; column < columns; ++column)
            decoded[column] = char(rows[row + 1 + column] + above[column]);
        above = decoded;
        quint64 offset = 0;
        for (int byte = 0; byte < bytes; ++byte)
            offset = offset << 8 | quint8(decoded[1 + byte]);
        offsets.append(offset);
    }
    return offsets;
}

} // namespace

class TestPdfObjects : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numbersAreWrittenShort_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("whole") << 1234.0 << QByteArray("1234 ");
        QTest::newRow("negative") << -72.5 << QByteArray("-72.5 ");
        QTest::newRow("three decimals at most") << 0.123456 << QByteArray("0.123 ");
        QTest::newRow("rounded to whole") << 9.9996 << QByteArray("10 ");
        QTest::newRow("below a thousandth") << -0.0004 << QByteArray("0 ");
        QTest::newRow("not a number") << qQNaN() << QByteArray("0 ");
    }

    void numbersAreWrittenShort()
    {
        QFETCH(double, value);
        QFETCH(QByteArray, written);
        PdfContent content;
        content.number(value);
        QCOMPARE(content.bytes(), written);
    }

    // Objects far past 4 GB are found where they begin.
    void offsetsPastFourGigabytes()
    {
        constexpr qint64 gigabyte = qint64(1) << 30;
        TailDevice device(5 * gigabyte);
        PdfObjects objects(device);
        objects.writeHeader("1.7");
        const int reserved = objects.reserve();
        const QByteArray filler(64 << 20, ' ');
        QList<qint64> starts{0, 0};
        for (int object = 0; object < 3; ++object) {
            starts.append(device.written);
            objects.begin(objects.next());
            for (qint64 at = 0; at < 2 * gigabyte; at += filler.size())
                objects.writeBytes(filler);
        }
        starts.append(device.written);
        objects.write("<<>>");
        starts[reserved] = device.written;
        objects.writeReserved(reserved, "<</Type/Catalog>>");
        starts.append(device.written); // the cross-reference stream itself
        objects.finish("/Root 1 0 R");

        QList<quint64> offsets = xrefOffsets(device.tail);
        QCOMPARE(offsets.size(), starts.size());
        offsets[0] = 0; // the free head
        for (qsizetype number = 1; number < starts.size(); ++number)
            QCOMPARE(offsets[number], quint64(starts[number]));
    }
};

QTEST_MAIN(TestPdfObjects)
#include "tst_pdfobjects.moc"
