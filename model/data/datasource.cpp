#include "data/datasource.h"

#include "data/csvtable.h"
#include "data/datacolumns.h"
#include "data/odsreader.h"
#include "data/spreadsheetzip.h"
#include "data/textdecoding.h"
#include "data/xlsxreader.h"

#include "filenames.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArrayView zipSignature("PK\x03\x04");
const QByteArrayView emptyZipSignature("PK\x05\x06");
// Office's own container, in which it keeps a workbook saved with a
// password, and in which the older .xls workbooks were written.
const QByteArrayView compoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
const QByteArrayView encryptedPackage("E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32);

QString messageOf(const QString &name, const DataProblem &problem)
{
    QString where = name;
    if (problem.row > 0)
        where += QStringLiteral(", row %1").arg(problem.row);
    if (problem.column >= 0)
        where += QStringLiteral(", column %1").arg(columnLetters(problem.column));
    return where + QStringLiteral(": ") + problem.text;
}

// A value as a number is typed: whole ones in digits however large.
QString plainNumber(double value)
{
    return value == std::trunc(value) ? QString::number(value, 'f', 0)
                                      : QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString tooLarge(const DataLimits &limits)
{
    return QStringLiteral("the file is larger than %1 MB, more than a data file may be")
        .arg(limits.fileBytes >> 20);
}

CellGrid refusedGrid(DataProblem problem)
{
    CellGrid grid;
    grid.problem = std::move(problem);
    return grid;
}

CellGrid readWorkbook(const QByteArray &bytes, const DataSourceOptions &options,
                      const DataLimits &limits)
{
    SpreadsheetZip zip(bytes, limits.expandedBytes);
    if (!zip.problem().isEmpty())
        return refusedGrid(zip.problem());
    if (isXlsxArchive(zip))
        return readXlsx(zip, options.sheet, limits);
    if (isOdsArchive(zip))
        return readOds(zip, options.sheet, limits);
    return refusedGrid({QStringLiteral("the file is a zip archive but no .xlsx or .ods workbook")});
}

CellGrid readCompoundFile(const QByteArray &bytes)
{
    if (bytes.contains(encryptedPackage)) {
        return refusedGrid({QStringLiteral("the workbook is protected by a password; save it "
                                           "without one to read it here")});
    }
    return refusedGrid({QStringLiteral("the file is an Excel 97-2003 workbook, which this program "
                                       "does not read; save it as .xlsx or .ods")});
}

// The cells of delimited text; `table` takes the encoding it was read in,
// and a warning of lines read in another.
CellGrid readText(const QByteArray &bytes, const QString &fileName,
                  const DataSourceOptions &options, const DataLimits &limits, DataTable &table)
{
    if (options.separator.size() > 1)
        return refusedGrid(
            {QStringLiteral("a separator is one character, not \"%1\"").arg(options.separator)});
    DecodedText decoded = decodeText(bytes, options.encoding);
    if (!decoded.problem.isEmpty())
        return refusedGrid(decoded.problem);
    table.encoding = decoded.encoding;
    if (!decoded.warning.isEmpty())
        table.warnings.append(messageOf(QFileInfo(fileName).fileName(), {decoded.warning}));
    // A tab-separated file is split at its tabs, whatever its values hold,
    // unless another separator is chosen.
    const QString suffix = QFileInfo(fileName).suffix();
    const bool tabbed = suffix.compare(QLatin1StringView("tsv"), Qt::CaseInsensitive) == 0 ||
                        suffix.compare(QLatin1StringView("tab"), Qt::CaseInsensitive) == 0;
    const QChar chosen = !options.separator.isEmpty() ? options.separator.front()
                         : tabbed                     ? QChar(u'\t')
                                                      : QChar();
    return readCsv(decoded.text, chosen, limits);
}

} // namespace

qsizetype DataTable::sheetRow(qsizetype row) const
{
    return rowsAbove + row + 1;
}

QString DataTable::valueText(qsizetype row, qsizetype column) const
{
    const qsizetype at = sheetRow(row) - 1;
    if (at < values.size()) {
        for (const CellValue &cell : values[at]) {
            if (cell.column == column)
                return plainNumber(cell.value);
        }
    }
    return rows[row].view(column).toString();
}

DataRead readDataFile(const QString &path, const DataSourceOptions &options,
                      const DataLimits &limits)
{
    const QString name = shownFileName(QFileInfo(path).fileName());
    // Opened by the bytes the system gave, and without waiting: opening a
    // pipe or a device would wait on it or read without end.
    const int fd =
        ::open(nativeFileName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return {std::nullopt,
                messageOf(name, {errno == ENOENT ? QStringLiteral("there is no such file")
                                                 : QString::fromLocal8Bit(std::strerror(errno))})};
    QFile file;
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return {std::nullopt, messageOf(name, {QStringLiteral("this is no file of data")})};
    }
    if (status.st_size > limits.fileBytes) {
        ::close(fd);
        return {std::nullopt, messageOf(name, {tooLarge(limits)})};
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {std::nullopt, messageOf(name, {file.errorString()})};
    }
    const QByteArray bytes = file.read(limits.fileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return {std::nullopt, messageOf(name, {file.errorString()})};
    return readData(bytes, path, options, limits);
}

DataRead readData(const QByteArray &bytes, const QString &fileName,
                  const DataSourceOptions &options, const DataLimits &limits)
{
    const QString name = QFileInfo(fileName).fileName();
    if (bytes.size() > limits.fileBytes)
        return {std::nullopt, messageOf(name, {tooLarge(limits)})};

    DataTable table;
    CellGrid grid;
    if (bytes.startsWith(zipSignature) || bytes.startsWith(emptyZipSignature))
        grid = readWorkbook(bytes, options, limits);
    else if (bytes.startsWith(compoundFileSignature))
        grid = readCompoundFile(bytes);
    else
        grid = readText(bytes, fileName, options, limits, table);
    if (!grid.problem.isEmpty())
        return {std::nullopt, messageOf(name, grid.problem)};

    // Every row is laid out as wide as the widest: the cells that makes
    // are bounded, however few a sheet holds.
    qsizetype width = 0;
    for (const CellRows::Row row : grid.rows)
        width = std::max(width, row.size());
    if (width > 0 && grid.rows.size() > limits.cells / width)
        return {std::nullopt,
                messageOf(name, {QStringLiteral("more than %1 cells").arg(limits.cells)})};

    NamedRows named = nameColumns(std::move(grid.rows), options.header);
    table.columns = std::move(named.columns);
    table.rows = std::move(named.rows);
    table.rowsAbove = options.header ? 1 : 0;
    table.values = std::move(grid.values);
    table.separator = grid.separator;
    table.sheets = std::move(grid.sheets);
    return {std::move(table), {}};
}
