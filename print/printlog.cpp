#include "printlog.h"

#include "kinds.h"
#include "numbering.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Another run may be logging at the same moment.
constexpr int lockWaitMilliseconds = 5000;

bool needsQuotes(const QString &field)
{
    if (field.isEmpty())
        return false;
    return field.contains(QLatin1Char(',')) || field.contains(QLatin1Char('"')) ||
           field.contains(QLatin1Char('\n')) || field.contains(QLatin1Char('\r')) ||
           field.front().isSpace() || field.back().isSpace();
}

QString failed(const QString &path, const QString &why)
{
    return QStringLiteral("The print log %1 could not be written: %2").arg(path, why);
}

} // namespace

PrintLogEntry logEntry(const Document &doc, const PrintPlan &plan, const QString &document,
                       const QString &printer, const QDateTime &when)
{
    PrintLogEntry entry{when, document, printer, plan.first, plan.last, plan.copies, {}};
    for (const PageObject &object : doc.objects) {
        if (!kindRow(object.kind).numbered)
            continue;
        entry.numbers.append({object.name, objectText(object, plan.first, doc.pagesToPrint),
                              objectText(object, plan.last, doc.pagesToPrint)});
    }
    return entry;
}

QStringList logHeader()
{
    return {
        QStringLiteral("Date"),       QStringLiteral("Document"),    QStringLiteral("Printer"),
        QStringLiteral("First page"), QStringLiteral("Last page"),   QStringLiteral("Copies"),
        QStringLiteral("Number"),     QStringLiteral("First value"), QStringLiteral("Last value")};
}

QStringList logFields(const PrintLogEntry &entry)
{
    QStringList fields{entry.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                       entry.document,
                       entry.printer,
                       QString::number(entry.firstPage),
                       QString::number(entry.lastPage),
                       QString::number(entry.copies)};
    for (const PrintLogEntry::NumberSpan &number : entry.numbers)
        fields << number.name << number.first << number.last;
    return fields;
}

QByteArray csvRecord(const QStringList &fields)
{
    QStringList written;
    for (const QString &field : fields) {
        if (needsQuotes(field)) {
            QString quoted = field;
            quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
            written.append(QLatin1Char('"') + quoted + QLatin1Char('"'));
        } else {
            written.append(field);
        }
    }
    return written.join(QLatin1Char(',')).toUtf8() + "\r\n";
}

QList<QStringList> parseCsv(const QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != QLatin1Char('"'))
                field.append(c);
            else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                field.append(text[++i]);
            else
                quoted = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            record.append(field);
            field.clear();
            fieldStarted = true;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            record.append(field);
            records.append(record);
            record.clear();
            field.clear();
            fieldStarted = false;
        } else {
            field.append(c);
            fieldStarted = true;
        }
    }
    if (fieldStarted || !record.isEmpty()) {
        record.append(field);
        records.append(record);
    }
    return records;
}

QString defaultPrintLogPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/paginette/print-log.csv");
}

PrintLog::PrintLog(QString path) : m_path(std::move(path)) {}

QString PrintLog::append(const PrintLogEntry &entry)
{
    const QString error = write(entry);
    if (error.isEmpty() || m_failureReported)
        return {};
    m_failureReported = true;
    return error;
}

QString PrintLog::write(const PrintLogEntry &entry) const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return failed(m_path, QStringLiteral("its folder cannot be made"));
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(lockWaitMilliseconds))
        return failed(m_path, QStringLiteral("another program holds it"));

    QByteArray content;
    QFile old(m_path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return failed(m_path, old.errorString());
        content = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return failed(m_path, old.errorString());
    }
    if (content.isEmpty())
        content = csvRecord(logHeader());
    else if (!content.endsWith('\n'))
        content += "\r\n";
    content += csvRecord(logFields(entry));

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(m_path, file.errorString());
    if (file.write(content) != content.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return failed(m_path, why);
    }
    if (!file.commit())
        return failed(m_path, file.errorString());
    return {};
}

QList<QStringList> PrintLog::read(QString *error) const
{
    QFile file(m_path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(m_path, file.errorString());
        return {};
    }
    return parseCsv(file.readAll());
}
