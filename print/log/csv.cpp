#include "log/csv.h"

#include <QString>

#include <utility>

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
    QStringList fields;
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < record.size(); ++i) {
        const char c = record[i];
        if (quoted) {
            if (c != '"')
                field.append(c);
            else if (i + 1 < record.size() && record[i + 1] == '"')
                field.append(record[++i]);
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.append(QString::fromUtf8(std::exchange(field, {})));
        } else {
            field.append(c);
        }
    }
    if (quoted)
        return std::nullopt;
    fields.append(QString::fromUtf8(field));
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
