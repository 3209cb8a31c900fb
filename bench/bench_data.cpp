// Times reading a customer's data file: a CSV of 100,000 rows of 10
// columns (names, addresses, prices, quantities, dates, a note now and then
// quoted with a comma or a line break in it), and the same table as an
// .xlsx workbook as a spreadsheet saves it (texts as shared strings, prices
// and dates as numbers under their formats). Each read is a child process of
// its own, so that its peak memory is its own; prints the best of three
// reads' clock and processor seconds and the peak, beside the peak of a
// child that reads nothing, and what the table read holds once reading is
// done.

#include "data/datasource.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int rows = 100'000;
constexpr int repeats = 3;
constexpr int firstSerialOf2026 = 46023;

const QStringList firstNames = {"Anna",  "Jürgen", "Marie", "Luca",
                                "Sofia", "Noël",   "Björn", "Emma"};
const QStringList lastNames = {"Müller", "Schmidt", "Rossi", "Dubois", "Smith", "Nowak", "García"};
const QStringList streets = {"Hauptstraße", "Rue de la Paix", "High Street", "Via Roma",
                             "Calle Mayor"};
const QStringList cities = {"Köln", "Paris", "London", "Milano", "Madrid", "Kraków", "Zürich"};
const QStringList countries = {"DE", "FR", "GB", "IT", "ES", "PL", "CH"};

struct Row
{
    QStringList texts; // id, first name, last name, street, city, country, note
    double price;
    int quantity;
    int day;
};

QList<Row> customerRows()
{
    QRandomGenerator random(2026);
    const auto pick = [&random](const QStringList &list) {
        return list[random.bounded(int(list.size()))];
    };
    QList<Row> table;
    table.reserve(rows);
    for (int i = 0; i < rows; ++i) {
        QString note;
        if (random.bounded(10) == 0)
            note =
                QStringLiteral("Deliver to %1, floor %2").arg(pick(streets)).arg(random.bounded(9));
        else if (random.bounded(50) == 0)
            note = QStringLiteral("Gate \"B\"\nRing twice");
        table.append({{QStringLiteral("C%1").arg(100000 + i), pick(firstNames), pick(lastNames),
                       QStringLiteral("%1 %2").arg(pick(streets)).arg(1 + random.bounded(200)),
                       pick(cities), pick(countries), note},
                      random.bounded(10000) / 100.0,
                      1 + random.bounded(500),
                      random.bounded(365)});
    }
    return table;
}

QString csvCell(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QByteArray csvOf(const QList<Row> &table)
{
    QString text = QStringLiteral("Id,First name,Last name,Street,City,Country,Price,Quantity,"
                                  "Date,Note\r\n");
    for (const Row &row : table) {
        QStringList cells = row.texts.first(6);
        cells << QString::number(row.price, 'f', 2) << QString::number(row.quantity)
              << QDate(2026, 1, 1).addDays(row.day).toString(Qt::ISODate) << row.texts[6];
        for (QString &cell : cells)
            cell = csvCell(cell);
        text += cells.join(u',') + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

QByteArray zipOf(const QList<std::pair<const char *, QByteArray>> &entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t *archive = zip_open_from_source(source, ZIP_TRUNCATE, &error);
    zip_source_keep(source);
    for (const auto &[name, bytes] : entries)
        zip_file_add(archive, name, zip_source_buffer(archive, bytes.constData(), bytes.size(), 0),
                     0);
    zip_close(archive);
    zip_stat_t stat;
    zip_source_stat(source, &stat);
    QByteArray zipped(qsizetype(stat.size), Qt::Uninitialized);
    zip_source_open(source);
    zip_source_read(source, zipped.data(), stat.size);
    zip_source_close(source);
    zip_source_free(source);
    return zipped;
}

QByteArray xlsxOf(const QList<Row> &table)
{
    const QByteArray main = R"( xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main")";
    const QByteArray relationships =
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    QHash<QString, int> stringIndex;
    QByteArray strings;
    const auto shared = [&](const QString &text) {
        const auto found = stringIndex.constFind(text);
        if (found != stringIndex.cend())
            return *found;
        strings += "<si><t xml:space=\"preserve\">" + text.toHtmlEscaped().toUtf8() + "</t></si>";
        return *stringIndex.insert(text, int(stringIndex.size()));
    };
    const char *columns = "ABCDEFGHIJ";
    QByteArray sheet = "<worksheet" + main + "><sheetData>";
    const auto textCell = [&](int row, int column, const QString &text) {
        if (!text.isEmpty()) {
            sheet += QStringLiteral("<c r=\"%1%2\" t=\"s\"><v>%3</v></c>")
                         .arg(QChar(columns[column]))
                         .arg(row)
                         .arg(shared(text))
                         .toUtf8();
        }
    };
    const auto numberCell = [&](int row, int column, int style, double value) {
        sheet += QStringLiteral("<c r=\"%1%2\" s=\"%3\"><v>%4</v></c>")
                     .arg(QChar(columns[column]))
                     .arg(row)
                     .arg(style)
                     .arg(value, 0, 'g', 17)
                     .toUtf8();
    };
    const QStringList header = {"Id",      "First name", "Last name", "Street", "City",
                                "Country", "Price",      "Quantity",  "Date",   "Note"};
    sheet += "<row r=\"1\">";
    for (int c = 0; c < header.size(); ++c)
        textCell(1, c, header[c]);
    sheet += "</row>";
    for (int i = 0; i < table.size(); ++i) {
        const Row &row = table[i];
        const int r = i + 2;
        sheet += "<row r=\"" + QByteArray::number(r) + "\">";
        for (int c = 0; c < 6; ++c)
            textCell(r, c, row.texts[c]);
        numberCell(r, 6, 1, row.price);
        numberCell(r, 7, 0, row.quantity);
        numberCell(r, 8, 2, firstSerialOf2026 + row.day);
        textCell(r, 9, row.texts[6]);
        sheet += "</row>";
    }
    sheet += "</sheetData></worksheet>";
    return zipOf({
        {"[Content_Types].xml", "<Types/>"},
        {"_rels/.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"" + relationships +
                            "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<workbook" + main + " xmlns:r=\"" + relationships +
                                "\"><sheets><sheet name=\"Orders\" sheetId=\"1\" r:id=\"rId1\"/>"
                                "</sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships><Relationship Id=\"rId1\" Type=\"" + relationships +
             "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
             relationships + "/styles\" Target=\"styles.xml\"/><Relationship Id=\"rId3\" Type=\"" +
             relationships + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
        {"xl/styles.xml",
         "<styleSheet" + main +
             "><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"2\"/><xf numFmtId=\"14\"/>"
             "</cellXfs></styleSheet>"},
        {"xl/sharedStrings.xml", "<sst" + main + ">" + strings + "</sst>"},
        {"xl/worksheets/sheet1.xml", sheet},
    });
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// What the heap holds, in bytes.
double heapBytes()
{
    const struct mallinfo2 heap = mallinfo2();
    return double(heap.uordblks + heap.hblkhd);
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) {
        return double(t.tv_sec) + t.tv_usec / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Figures
{
    double wall = 0;
    double cpu = 0;
    double peakMegabytes = 0;
    double heldMegabytes = 0;
    long long rowsRead = 0;
};

// Runs this program again as `mode` on `path`, and collects what it
// measured and its peak memory. Linux keeps a process's peak across exec,
// so the parent stays small: it makes no table itself.
Figures runChild(const char *self, const char *mode, const QString &path)
{
    int channel[2];
    if (pipe(channel) != 0)
        std::exit(1);
    const QByteArray file = QFile::encodeName(path);
    char *arguments[] = {const_cast<char *>(self), const_cast<char *>(mode),
                         const_cast<char *>(file.constData()), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, channel[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, channel[0]);
    pid_t child = 0;
    if (posix_spawn(&child, self, &actions, nullptr, arguments, environ) != 0)
        std::exit(1);
    posix_spawn_file_actions_destroy(&actions);
    close(channel[1]);
    char output[256] = {};
    const ssize_t length = read(channel[0], output, sizeof output - 1);
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0 || length <= 0) {
        std::fprintf(stderr, "%s %s failed: %s\n", mode, file.constData(), output);
        std::exit(1);
    }
    Figures figures;
    std::sscanf(output, "%lf %lf %lld %lf", &figures.wall, &figures.cpu, &figures.rowsRead,
                &figures.heldMegabytes);
    figures.peakMegabytes = usage.ru_maxrss / 1024.0;
    return figures;
}

Figures bestOf(const char *self, const QString &path)
{
    Figures best = runChild(self, "read", path);
    for (int i = 1; i < repeats; ++i) {
        const Figures figures = runChild(self, "read", path);
        if (figures.cpu < best.cpu)
            best = figures;
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "write") == 0) {
        const QString folder = QFile::decodeName(argv[2]);
        const QList<Row> table = customerRows();
        const bool written = writeFile(folder + QStringLiteral("/orders.csv"), csvOf(table)) &&
                             writeFile(folder + QStringLiteral("/orders.xlsx"), xlsxOf(table));
        std::printf("0 0 0\n");
        return written ? 0 : 1;
    }
    if (argc == 3 && qstrcmp(argv[1], "read") == 0) {
        const double heap = heapBytes();
        const double cpu = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        const DataRead read = readDataFile(QFile::decodeName(argv[2]), DataSourceOptions());
        const double wall = clock.nsecsElapsed() / 1e9;
        if (!read.table) {
            std::printf("%s\n", qPrintable(read.error));
            return 1;
        }
        std::printf("%.6f %.6f %lld %.3f\n", wall, cpuSeconds() - cpu,
                    qint64(read.table->rows.size()), (heapBytes() - heap) / 1048576.0);
        return 0;
    }
    if (argc == 3 && qstrcmp(argv[1], "idle") == 0) {
        std::printf("0 0 0\n");
        return 0;
    }

    const QTemporaryDir folder;
    runChild(argv[0], "write", folder.path());
    const Figures idle = runChild(argv[0], "idle", folder.path());
    std::printf("Reading %d rows of 10 columns; seconds on the clock (processor), best of %d; "
                "peak MB beside %.1f MB of a child that reads nothing\n",
                rows, repeats, idle.peakMegabytes);
    for (const QString &name : {QStringLiteral("orders.csv"), QStringLiteral("orders.xlsx")}) {
        const QString path = folder.filePath(name);
        const Figures figures = bestOf(argv[0], path);
        const double fileMegabytes = QFileInfo(path).size() / 1048576.0;
        std::printf("%-12s %5.1f MB file  %6.3f s (%6.3f)  peak %7.1f MB  table %6.1f MB "
                    "(%.1f x the file)  %lld rows\n",
                    qPrintable(name), fileMegabytes, figures.wall, figures.cpu,
                    figures.peakMegabytes, figures.heldMegabytes,
                    figures.heldMegabytes / fileMegabytes, figures.rowsRead);
    }
    return 0;
}
