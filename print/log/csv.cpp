#include "log/csv.h"

#include "data/csvrecordreader.h"

#include <QString>

#include <limits>

namespace {

bool needsQuotes(const QString &field)
{
    if (field.isEmpty())
        return false;
    return field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
           field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r')) ||
           field.front().isSpace() || field.back().isSpace();
}

} // namespace

QByteArray csvRecord(const QStringList &fields, CsvQuotes quotes)
{
    QStringList written;
    written.reserve(fields.size());
    for (const QString &field : fields) {
        if (quotes == CsvQuotes::Always || needsQuotes(field)) {
            QString quoted = field;
            quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
            written.append(QLatin1Char('"') + quoted + QLatin1Char('"'));
        } else {
            written.append(field);
        }
    }
    return written.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

std::optional<QStringList> csvFields(QByteArrayView record)
{
    // The log's own records: any number of fields, each as it was written.
    const QString text = QString::fromUtf8(record);
    CsvRecordReader reader(text, {u',', std::numeric_limits<qsizetype>::max(), false});
    QStringList fields;
    if (reader.readRecord(fields) != CsvRecordReader::Read::Whole)
        return std::nullopt;
    return fields;
}

QList<QStringList> parseCsv(QByteArrayView text)
{
    QList<QStringList> records;
    const auto keep = [&records](QByteArrayView record, bool) {
        if (std::optional<QStringList> fields = csvFields(record))
            records.append(std::move(*fields));
    };
    CsvRecords parser;
    parser.feed(text, keep);
    parser.finish(keep);
    return records;
}
