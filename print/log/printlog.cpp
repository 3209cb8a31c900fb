#include "log/printlog.h"

#include "filenames.h"
#include "kinds.h"
#include "log/csv.h"
#include "log/logfiles.h"
#include "numbering.h"
#include "objecttable.h"
#include "rundata.h"
#include "wrapsearch.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Another run may be logging at the same moment, which takes it an instant;
// a lock held longer than this sends the line to the side file.
constexpr int lockWaitMilliseconds = 10000;
constexpr unsigned long lockRetryMilliseconds = 10;
constexpr qsizetype readChunk = 1 << 20;
constexpr int fixedFields = 6;
constexpr int fieldsPerNumber = 3;
// Past this many values on both sides, two runs of different steps are
// taken to meet rather than compared value by value.
constexpr std::int64_t mostValuesCompared = 1'000'000;
const QString dateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
// A run's date to the millisecond: its {time:HH:mm:ss.zzz} prints the same again.
const QString runDateFormat = QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz");

QString failed(const QString &path, const QString &why)
{
    return QStringLiteral("The print log %1 could not be written: %2").arg(path, why);
}

QString notRegular(const QString &path)
{
    return QStringLiteral("The print log %1 is not a regular file; it was left alone").arg(path);
}

LoggedLine unlogged(QString why)
{
    LoggedLine logged;
    logged.error = std::move(why);
    return logged;
}

LoggedLine noted(QString note)
{
    LoggedLine logged;
    logged.note = std::move(note);
    return logged;
}

QString systemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// What a spreadsheet reads as a formula, and the mark that keeps it text.
bool looksLikeFormula(QStringView field)
{
    if (field.isEmpty())
        return false;
    return QStringView(u"=+-@\t\r'").contains(field.front());
}

constexpr QChar formulaMark = u'\'';

QString unmarked(QString field)
{
    if (field.size() > 1 && field.front() == formulaMark &&
        looksLikeFormula(QStringView(field).sliced(1)))
        field.remove(0, 1);
    return field;
}

// Begins a field whose line breaks are escaped. No field of any version
// begins so otherwise: a field beginning with the formula mark is marked again.
const QString escapedMark = QStringLiteral("'\\");

bool holdsLineBreak(QStringView field)
{
    return field.contains(u'\n') || field.contains(u'\r');
}

QString escaped(const QString &field)
{
    QString text = escapedMark;
    text.reserve(field.size() + 8);
    for (const QChar c : field) {
        if (c == u'\\')
            text += QStringLiteral("\\\\");
        else if (c == u'\n')
            text += QStringLiteral("\\n");
        else if (c == u'\r')
            text += QStringLiteral("\\r");
        else
            text += c;
    }
    return text;
}

QString unescaped(QStringView text)
{
    QString field;
    field.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (text[i] != u'\\' || (next != u'\\' && next != u'n' && next != u'r')) {
            field += text[i];
            continue;
        }
        field += next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
        ++i;
    }
    return field;
}

// The fields of a whole record, escapes and formula marks taken off.
std::optional<QStringList> logFieldsOf(QByteArrayView record)
{
    std::optional<QStringList> fields = csvFields(record);
    if (fields) {
        for (QString &field : *fields)
            field = field.startsWith(escapedMark)
                        ? unescaped(QStringView(field).sliced(escapedMark.size()))
                        : unmarked(std::move(field));
    }
    return fields;
}

QString skippedLines(const QString &path, qsizetype count)
{
    return count == 1 ? QStringLiteral("1 line of the print log %1 could not be read and was "
                                       "skipped")
                            .arg(path)
                      : QStringLiteral("%1 lines of the print log %2 could not be read and were "
                                       "skipped")
                            .arg(count)
                            .arg(path);
}

// A descriptor that is closed when it goes.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    // Closes it; the system's error number when closing failed, else 0.
    int close()
    {
        const int result = ::close(std::exchange(m_fd, -1));
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

bool writeAll(int fd, QByteArrayView bytes)
{
    const char *next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, next, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        next += written;
        left -= written;
    }
    return true;
}

// Reads the whole of a regular file at `path` a piece at a time.
template <typename OnChunk> QString readPieces(const QString &path, OnChunk &&onChunk)
{
    int error = 0;
    const Descriptor file(openWithoutWaiting(path, O_RDONLY, error));
    if (file.get() < 0)
        return error == ENODEV ? QStringLiteral("%1: not a regular file").arg(path)
                               : QStringLiteral("%1: %2").arg(path, systemText(error));
    QByteArray chunk(readChunk, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(file.get(), chunk.data(), static_cast<std::size_t>(readChunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return QStringLiteral("%1: %2").arg(path, systemText(errno));
        if (got == 0)
            return {};
        onChunk(QByteArrayView(chunk.constData(), got));
    }
}

// The records of the files at `paths` in turn, each read a piece at a time;
// a file that is not there has none. An error text when one cannot be read.
template <typename OnRecord>
QString readRecords(std::initializer_list<QString> paths, OnRecord &&onRecord)
{
    for (const QString &path : paths) {
        if (!QFileInfo::exists(path))
            continue;
        CsvRecords parser;
        const QString failure =
            readPieces(path, [&](QByteArrayView piece) { parser.feed(piece, onRecord); });
        if (!failure.isEmpty())
            return failure;
        parser.finish(onRecord);
    }
    return {};
}

// Waits for the lock of the log at `fd` until it is had, `keepWaiting`
// gives up or the time is up: 0 when it is held, EWOULDBLOCK when it was not
// had, else the system's error.
int lockWithin(int fd, const PrintLog::KeepWaiting &keepWaiting)
{
    QElapsedTimer waited;
    waited.start();
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return errno;
        if ((keepWaiting && !keepWaiting()) || waited.elapsed() > lockWaitMilliseconds)
            return EWOULDBLOCK;
        QThread::msleep(lockRetryMilliseconds);
    }
    return 0;
}

// Takes the lock of a side file, which others hold only while they append
// a line or copy it into the log: 0, or the system's error.
int lockHeld(int fd)
{
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno != EINTR)
            return errno;
    }
    return 0;
}

// A line break when the file at `fd`, `size` bytes long, ends inside a line
// cut short, so that the next line starts a line of its own.
QByteArray lineBreakAfter(int fd, off_t size)
{
    char last = '\n';
    if (size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n')
        return "\r\n";
    return {};
}

// Copies the lines of the file at `from` to the end of `to`: 0, or the
// system's error.
int copyLines(int from, int to)
{
    QByteArray chunk(readChunk, Qt::Uninitialized);
    char last = '\n';
    for (;;) {
        const ssize_t got = ::read(from, chunk.data(), static_cast<std::size_t>(readChunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        last = chunk.at(static_cast<qsizetype>(got) - 1);
        if (!writeAll(to, QByteArrayView(chunk.constData(), got)))
            return errno;
    }
    return last == '\n' || writeAll(to, "\r\n") ? 0 : errno;
}

QString notedAside(const QString &log, const QString &side)
{
    return QStringLiteral("The print log %1 is held by another program; the run was noted in "
                          "%2, which the next run adds to the log")
        .arg(log, side);
}

// Appends `line` to the side file at `path`. The run that copies it into the
// log removes it; a file removed while this one waited for its lock is
// opened again.
QString appendAside(const QString &path, const QByteArray &line)
{
    for (;;) {
        int error = 0;
        Descriptor side(openWithoutWaiting(path, O_WRONLY | O_APPEND | O_CREAT, error));
        if (side.get() < 0)
            return error == ENODEV || error == ENXIO ? notRegular(path)
                                                     : failed(path, systemText(error));
        if (const int why = lockHeld(side.get()))
            return failed(path, systemText(why));
        struct stat status
        {
        };
        if (::fstat(side.get(), &status) != 0)
            return failed(path, systemText(errno));
        if (status.st_nlink == 0)
            continue;
        if (!writeAll(side.get(), lineBreakAfter(side.get(), status.st_size) + line) ||
            ::fdatasync(side.get()) != 0) {
            const int why = errno;
            if (::ftruncate(side.get(), status.st_size) != 0)
                return failed(path, systemText(why) + QStringLiteral("; it ends in a cut line"));
            return failed(path, systemText(why));
        }
        if (const int why = side.close())
            return failed(path, systemText(why));
        return {};
    }
}

// Closes the values of a line printed without the shared log.
const QString notSharedMark = QStringLiteral("not-shared");

QString valuesField(const QList<PrintLogEntry::NumberSpan> &numbers)
{
    QStringList tokens;
    for (const PrintLogEntry::NumberSpan &number : numbers) {
        // A number that printed several spans (a data run) gives them joined
        // by commas, so that a token is still a number's.
        QStringList spans;
        for (const PrintedValues &values :
             number.values.isEmpty() ? QList<PrintedValues>{{}} : number.values)
            spans.append(
                QStringLiteral("%1+%2*%3").arg(values.first).arg(values.step).arg(values.count));
        tokens.append(spans.join(u','));
    }
    return tokens.join(u' ');
}

std::optional<PrintedValues> spanOf(QStringView token)
{
    static const QRegularExpression pattern(QStringLiteral("^(-?\\d+)\\+(-?\\d+)\\*(\\d+)$"));
    const QRegularExpressionMatch match = pattern.match(token);
    if (!match.hasMatch())
        return std::nullopt;
    bool firstOk = false;
    bool stepOk = false;
    bool countOk = false;
    const PrintedValues values{match.captured(1).toLongLong(&firstOk),
                               match.captured(2).toLongLong(&stepOk),
                               match.captured(3).toLongLong(&countOk)};
    if (!firstOk || !stepOk || !countOk)
        return std::nullopt;
    return values;
}

// A number's token: its spans, or none when any of them cannot be read.
QList<PrintedValues> valuesOf(const QString &token)
{
    QList<PrintedValues> spans;
    for (const QStringView part : QStringView(token).split(u',')) {
        const std::optional<PrintedValues> span = spanOf(part);
        if (!span)
            return {};
        spans.append(*span);
    }
    return spans;
}

// Whether a text of the document shows the run's date or time: the lines
// of other runs stay as they were.
bool showsRunDate(const Document &doc)
{
    static const QRegularExpression field(QStringLiteral("\\{(date|time)[}:+-]"));
    return std::any_of(doc.objects.begin(), doc.objects.end(), [](const PageObject &object) {
        return field.match(object.text).hasMatch() ||
               field.match(object.format.prefix).hasMatch() ||
               field.match(object.format.suffix).hasMatch();
    });
}

bool contains(const PrintedValues &values, NumberValue value)
{
    const auto bits = static_cast<std::uint64_t>(value);
    const std::optional<std::uint64_t> step =
        firstStepInto(static_cast<std::uint64_t>(values.first),
                      static_cast<std::uint64_t>(values.step), bits, bits);
    return step && *step < static_cast<std::uint64_t>(values.count);
}

} // namespace

bool sharesAValue(const PrintedValues &a, const PrintedValues &b)
{
    if (a.count <= 0 || b.count <= 0)
        return false;
    if (a.step == 0 || a.count == 1)
        return contains(b, a.first);
    if (b.step == 0 || b.count == 1)
        return contains(a, b.first);
    if (a.step == b.step || a.step == valueSub(0, b.step)) {
        // b run backwards has a's step; then a + i s = b + j s for some i, j
        // exactly when (i - j) s reaches b - a with i - j from -(m - 1) to n - 1.
        const NumberValue step = a.step;
        const NumberValue behind = b.count - 1;
        const NumberValue bFirst =
            a.step == b.step ? b.first : valueAdd(b.first, valueMul(behind, b.step));
        const auto target = static_cast<std::uint64_t>(bFirst);
        const std::optional<std::uint64_t> steps =
            firstStepInto(static_cast<std::uint64_t>(valueSub(a.first, valueMul(behind, step))),
                          static_cast<std::uint64_t>(step), target, target);
        return steps && *steps <= static_cast<std::uint64_t>(a.count + b.count - 2);
    }
    const PrintedValues &shorter = a.count <= b.count ? a : b;
    const PrintedValues &longer = a.count <= b.count ? b : a;
    if (shorter.count > mostValuesCompared)
        return true;
    NumberValue value = shorter.first;
    for (std::int64_t i = 0; i < shorter.count; ++i, value = valueAdd(value, shorter.step)) {
        if (contains(longer, value))
            return true;
    }
    return false;
}

std::pair<NumberValue, NumberValue> valueRange(const PrintedValues &values)
{
    if (values.count < 1)
        return {values.first, values.first};
    NumberValue reach = 0;
    NumberValue last = 0;
    const bool wraps = __builtin_mul_overflow(values.step, values.count - 1, &reach) ||
                       __builtin_add_overflow(values.first, reach, &last);
    if (wraps)
        return {std::numeric_limits<NumberValue>::min(), std::numeric_limits<NumberValue>::max()};
    return {std::min(values.first, last), std::max(values.first, last)};
}

bool sharesAValue(const QList<PrintedValues> &a, const QList<PrintedValues> &b)
{
    struct Reach
    {
        NumberValue low;
        NumberValue high;
        const PrintedValues *values;
    };
    std::vector<Reach> reaches;
    reaches.reserve(static_cast<std::size_t>(b.size()));
    for (const PrintedValues &theirs : b) {
        if (theirs.count > 0) {
            const auto [low, high] = valueRange(theirs);
            reaches.push_back({low, high, &theirs});
        }
    }
    std::sort(reaches.begin(), reaches.end(),
              [](const Reach &x, const Reach &y) { return x.low < y.low; });
    // The greatest high up to each place: a walk down stops where no span
    // below reaches the low end.
    std::vector<NumberValue> highest(reaches.size());
    for (std::size_t k = 0; k < reaches.size(); ++k)
        highest[k] = k == 0 ? reaches[k].high : std::max(highest[k - 1], reaches[k].high);
    for (const PrintedValues &mine : a) {
        if (mine.count <= 0)
            continue;
        const auto [low, high] = valueRange(mine);
        auto k = static_cast<std::size_t>(
            std::upper_bound(reaches.begin(), reaches.end(), high,
                             [](NumberValue value, const Reach &r) { return value < r.low; }) -
            reaches.begin());
        while (k > 0 && highest[k - 1] >= low) {
            --k;
            if (reaches[k].high >= low && sharesAValue(mine, *reaches[k].values))
                return true;
        }
    }
    return false;
}

QList<PrintedValues> valuesPrinted(const RunTexts &texts, int index, const PrintPlan &plan)
{
    return printedSpans(texts, index, plan.first, plan.last);
}

PrintLogEntry logEntry(const RunTexts &texts, const PrintPlan &plan, const QString &document,
                       const QString &printer, const QDateTime &when)
{
    const Document &doc = texts.document();
    PrintLogEntry entry;
    entry.when = when;
    entry.document = document;
    entry.printer = printer;
    entry.firstPage = plan.first;
    entry.lastPage = plan.last;
    entry.copies = plan.copies;
    if (texts.data() && (texts.data()->table() || showsRunDate(doc)))
        entry.runDate = texts.data()->moment();
    for (int i = 0; i < doc.count(); ++i) {
        const std::optional<QString> name = loggedName(doc, i);
        if (!name || !printsSide(doc, plan, sideOf(doc, doc.objects[i])))
            continue;
        const int source = shownSource(doc, i);
        entry.numbers.append({*name, texts.text(source, plan.first), texts.text(source, plan.last),
                              valuesPrinted(texts, source, plan)});
    }
    return entry;
}

std::optional<QString> loggedName(const Document &doc, int index)
{
    if (!kindRow(doc.objects[index].kind).numbered)
        return std::nullopt;
    return printsOwnValues(doc, index) ? doc.objects[index].name : shownName(doc, index);
}

QStringList logHeader()
{
    return {QStringLiteral("Date"),       QStringLiteral("Document"),
            QStringLiteral("Printer"),    QStringLiteral("First page"),
            QStringLiteral("Last page"),  QStringLiteral("Copies"),
            QStringLiteral("Number"),     QStringLiteral("First value"),
            QStringLiteral("Last value"), QStringLiteral("Printed values")};
}

QStringList logFields(const PrintLogEntry &entry)
{
    QStringList fields{entry.when.toString(dateFormat),
                       entry.document,
                       entry.printer,
                       QString::number(entry.firstPage),
                       QString::number(entry.lastPage),
                       QString::number(entry.copies)};
    for (const PrintLogEntry::NumberSpan &number : entry.numbers)
        fields << number.name << number.first << number.last;
    // One field more than the triples: the layout tells itself from older lines.
    QString values = valuesField(entry.numbers);
    if (entry.notShared)
        values += (values.isEmpty() ? QString() : QStringLiteral(" ")) + notSharedMark;
    fields << values;
    if (entry.runDate)
        fields << entry.runDate->toString(runDateFormat);
    return fields;
}

std::optional<PrintLogEntry> entryFromFields(const QStringList &fields)
{
    if (fields.size() < fixedFields)
        return std::nullopt;
    const qsizetype rest = fields.size() - fixedFields;
    // Older lines end with the numbers' triples, or with their values.
    const bool withRunDate = rest % fieldsPerNumber == 2;
    const bool withValues = withRunDate || rest % fieldsPerNumber == 1;
    if (!withValues && rest % fieldsPerNumber != 0)
        return std::nullopt;
    PrintLogEntry entry;
    entry.when = QDateTime::fromString(fields[0], dateFormat);
    bool firstOk = false;
    bool lastOk = false;
    bool copiesOk = false;
    entry.document = fields[1];
    entry.printer = fields[2];
    entry.firstPage = fields[3].toInt(&firstOk);
    entry.lastPage = fields[4].toInt(&lastOk);
    entry.copies = fields[5].toInt(&copiesOk);
    if (!entry.when.isValid() || !firstOk || !lastOk || !copiesOk)
        return std::nullopt;
    if (withRunDate) {
        entry.runDate = QDateTime::fromString(fields.back(), runDateFormat);
        if (!entry.runDate->isValid())
            return std::nullopt;
    }
    const qsizetype numbers = rest / fieldsPerNumber;
    QStringList tokens =
        withValues ? fields[fixedFields + numbers * fieldsPerNumber].split(u' ', Qt::SkipEmptyParts)
                   : QStringList();
    entry.notShared = !tokens.isEmpty() && tokens.back() == notSharedMark;
    if (entry.notShared)
        tokens.removeLast();
    for (qsizetype n = 0; n < numbers; ++n) {
        const qsizetype at = fixedFields + n * fieldsPerNumber;
        PrintLogEntry::NumberSpan number{fields[at], fields[at + 1], fields[at + 2], {}};
        if (tokens.size() == numbers)
            number.values = valuesOf(tokens[n]);
        entry.numbers.append(number);
    }
    return entry;
}

QByteArray logRecord(const QStringList &fields)
{
    QByteArray record;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString &field = fields[i];
        const QByteArray written =
            holdsLineBreak(field)
                ? csvRecord({escaped(field)}, CsvQuotes::Always)
                : csvRecord({looksLikeFormula(field) ? formulaMark + field : field});
        record += (i == 0 ? QByteArray() : QByteArray(",")) + written.chopped(2);
    }
    return record + "\r\n";
}

QList<QStringList> parseLog(QByteArrayView text)
{
    QList<QStringList> records;
    const auto keep = [&records](QByteArrayView record, bool) {
        if (std::optional<QStringList> fields = logFieldsOf(record))
            records.append(std::move(*fields));
    };
    CsvRecords parser;
    parser.feed(text, keep);
    parser.finish(keep);
    return records;
}

QString logDocumentKey(const QString &path)
{
    const QString absolute = absoluteFileName(path);
    char resolved[PATH_MAX];
    const QString key = ::realpath(nativeFileName(absolute).constData(), resolved)
                            ? fileNameFromNative(resolved)
                            : absolute;
    if (!holdsNonUtf8(key))
        return key;
    // The log is UTF-8 text: a name's stray bytes are written as %XX, and a
    // leading % tells such a key from any path.
    QByteArray escaped("%");
    for (const char byte : nativeFileName(key)) {
        const auto value = static_cast<uchar>(byte);
        if (value >= 0x80 || byte == '%')
            escaped += '%' + QByteArray::number(value, 16).toUpper().rightJustified(2, '0');
        else
            escaped += byte;
    }
    return QString::fromLatin1(escaped);
}

QString defaultPrintLogPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/paginette/print-log.csv");
}

PrintLog::PrintLog(QString path) : m_path(std::move(path)) {}

QString PrintLog::sidePath() const
{
    return m_path + QStringLiteral(".pending");
}

LoggedLine PrintLog::append(const PrintLogEntry &entry, const KeepWaiting &keepWaiting)
{
    LoggedLine logged = write(entry, keepWaiting);
    // A note is told once while the program runs, whichever run found it.
    static QMutex toldLock;
    static QSet<QString> told;
    const QMutexLocker locker(&toldLock);
    if (logged.note.isEmpty() || told.contains(m_path))
        logged.note.clear();
    else
        told.insert(m_path);
    return logged;
}

LoggedLine PrintLog::write(const PrintLogEntry &entry, const KeepWaiting &keepWaiting) const
{
    // A folder that cannot be made is told by the open, in the system's words.
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    int error = 0;
    // Read too: the end of a line cut short is looked for.
    Descriptor log(openWithoutWaiting(m_path, O_RDWR | O_APPEND | O_CREAT, error));
    if (log.get() < 0)
        return error == ENODEV || error == ENXIO ? noted(notRegular(m_path))
                                                 : unlogged(failed(m_path, systemText(error)));
    const QByteArray line = logRecord(logFields(entry));

    // The lock is the file's own, so it goes with the process however that ends.
    if (const int why = lockWithin(log.get(), keepWaiting)) {
        if (why != EWOULDBLOCK)
            return unlogged(failed(m_path, systemText(why)));
        const QString aside = appendAside(sidePath(), line);
        return aside.isEmpty() ? noted(notedAside(m_path, sidePath())) : unlogged(aside);
    }

    struct stat status
    {
    };
    if (::fstat(log.get(), &status) != 0)
        return unlogged(failed(m_path, systemText(errno)));
    // Lines left aside while another program held the log go in first.
    Descriptor side(openWithoutWaiting(sidePath(), O_RDONLY, error));
    const bool foldsAside = side.get() >= 0 && lockHeld(side.get()) == 0;
    const auto undone = [&](int why) {
        // A line half written would read as a damaged run.
        if (::ftruncate(log.get(), status.st_size) != 0)
            return unlogged(
                failed(m_path, systemText(why) + QStringLiteral("; the log ends in a cut line")));
        return unlogged(failed(m_path, systemText(why)));
    };
    const QByteArray start =
        status.st_size == 0 ? logRecord(logHeader()) : lineBreakAfter(log.get(), status.st_size);
    if (!writeAll(log.get(), start))
        return undone(errno);
    if (foldsAside) {
        if (const int why = copyLines(side.get(), log.get()))
            return undone(why);
    }
    // On disk before the run's output takes its place: a line lost in a
    // crash would let the run print again unwarned.
    if (!writeAll(log.get(), line) || ::fdatasync(log.get()) != 0)
        return undone(errno);
    if (const int why = log.close())
        return unlogged(failed(m_path, systemText(why)));
    if (foldsAside)
        ::unlink(nativeFileName(sidePath()).constData());
    return {};
}

PrintLog::Read<QStringList> PrintLog::read() const
{
    QList<QStringList> records;
    qsizetype skipped = 0;
    const auto keep = [&](QByteArrayView record, bool) {
        if (std::optional<QStringList> fields = logFieldsOf(record))
            records.append(std::move(*fields));
        else
            ++skipped;
    };
    const QString failure = readRecords({m_path, sidePath()}, keep);
    if (!failure.isEmpty())
        return {{}, failure};
    return {records, skipped > 0 ? skippedLines(m_path, skipped) : QString()};
}

PrintLog::Read<PrintLogEntry> PrintLog::entriesOf(const QString &key) const
{
    QList<PrintLogEntry> entries;
    qsizetype skipped = 0;
    // Only a line that holds the key as the log writes it can be one of its runs.
    const QByteArray written = logRecord({key}).chopped(2);
    const auto keep = [&](QByteArrayView record, bool whole) {
        if (!whole) {
            ++skipped;
            return;
        }
        if (!record.contains(written))
            return;
        const std::optional<QStringList> fields = logFieldsOf(record);
        if (!fields || fields->size() < 2 || (*fields)[1] != key)
            return;
        if (std::optional<PrintLogEntry> entry = entryFromFields(*fields))
            entries.append(std::move(*entry));
        else
            ++skipped;
    };
    const QString failure = readRecords({m_path, sidePath()}, keep);
    return {entries, !failure.isEmpty() ? failure
                     : skipped > 0      ? skippedLines(m_path, skipped)
                                        : QString()};
}
