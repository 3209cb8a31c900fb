#include "documentbuilder.h"
#include "file/documentfile.h"
#include "log/printlog.h"
#include "run/calibration.h"
#include "smalldisk.h"
#include "toolrun.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

const QString tool = QStringLiteral(PAGINETTE_PRINT);
const QString usageLine =
    QStringLiteral("Usage: paginette-print [OPTION]... (-o OUT.pdf | -P QUEUE) DOCUMENT.pgt");
const QStringList threePages{"00125", "00126", "00127"};

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

// What is at `path`, with a file's permission bits: "file 0644".
QString fileType(const QString &path)
{
    static const QMap<mode_t, QString> types{
        {S_IFREG, "file"},         {S_IFLNK, "symbolic link"},
        {S_IFIFO, "FIFO"},         {S_IFCHR, "character device"},
        {S_IFBLK, "block device"}, {S_IFSOCK, "socket"},
        {S_IFDIR, "directory"}};
    struct stat status = {};
    if (::lstat(encoded(path).constData(), &status) != 0)
        return QStringLiteral("none");
    const QString type = types.value(status.st_mode & S_IFMT);
    return S_ISREG(status.st_mode) ? type + QStringLiteral(" 0%1").arg(status.st_mode & 0777, 0, 8)
                                   : type;
}

QStringList pageTexts(const QString &pdf)
{
    QStringList texts;
    for (int page = 1, pages = pdfPageCount(pdf); page <= pages; ++page)
        texts.append(pdfPageText(pdf, page));
    return texts;
}

// Where pdftotext finds each word of page 1 to begin, in millimetres.
QList<QPointF> wordCorners(const QString &pdf)
{
    const ToolRun run = runTool(QStringLiteral("pdftotext"),
                                {"-bbox", "-f", "1", "-l", "1", pdf, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)")re"));
    QList<QPointF> corners;
    for (auto match = word.globalMatch(run.out); match.hasNext();) {
        const auto found = match.next();
        corners.append(QPointF(found.captured(1).toDouble(), found.captured(2).toDouble()) *
                       (25.4 / 72));
    }
    return corners;
}

// Polls, for up to a minute, until `ready` holds; false when the process
// ends first.
bool waitWhileRunning(const QProcess &process, const std::function<bool()> &ready)
{
    QElapsedTimer timer;
    timer.start();
    while (!ready()) {
        if (process.state() == QProcess::NotRunning || timer.elapsed() > 60000)
            return false;
        QTest::qWait(20);
    }
    return true;
}

// The kernel's name for the call the process is blocked in.
QString waitChannel(qint64 pid)
{
    QFile file(QStringLiteral("/proc/%1/wchan").arg(pid));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

// True when the process has a file of `folder` open that has begun to grow.
bool writesInto(qint64 pid, const QString &folder)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System)) {
        char target[4096];
        const ssize_t size = ::readlink(encoded(fds.filePath(fd)).constData(), target, 4095);
        struct stat status = {};
        if (size > 0 && QFile::decodeName(QByteArray(target, size)).startsWith(folder + '/') &&
            ::stat(encoded(fds.filePath(fd)).constData(), &status) == 0 && status.st_size > 0)
            return true;
    }
    return false;
}

// The files the process has open for writing, as their names read: a log
// only read by the check is not yet the log the run waits to write.
QStringList filesOpenForWriting(qint64 pid)
{
    QStringList names;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System)) {
        QFile info(QStringLiteral("/proc/%1/fdinfo/%2").arg(pid).arg(fd));
        if (!info.open(QIODevice::ReadOnly))
            continue;
        const QByteArray flags = info.readAll().split('\n').value(1); // "flags:\t0100002"
        if (!flags.startsWith("flags:") ||
            (flags.mid(6).trimmed().toInt(nullptr, 8) & O_ACCMODE) == O_RDONLY)
            continue;
        char target[4096];
        const ssize_t size = ::readlink(encoded(fds.filePath(fd)).constData(), target, 4095);
        if (size > 0)
            names.append(QFile::decodeName(QByteArray(target, size)));
    }
    return names;
}

// True when a file the process has open in `folder`, named or not, holds a
// manifest's header and a row after it.
bool writesManifestRows(qint64 pid, const QString &folder)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System)) {
        char target[4096];
        const ssize_t size = ::readlink(encoded(fds.filePath(fd)).constData(), target, 4095);
        if (size <= 0 || !QFile::decodeName(QByteArray(target, size)).startsWith(folder + '/'))
            continue;
        QFile file(fds.filePath(fd));
        if (file.open(QIODevice::ReadOnly) && file.read(4096).count('\n') >= 2 && file.seek(0) &&
            file.readLine().startsWith("\"Sheet\",\"Page\""))
            return true;
    }
    return false;
}

// Documents and output files in a folder of their own.
struct Folder
{
    Folder() = default;
    explicit Folder(const QString &parent) : dir(parent + QStringLiteral("/run-XXXXXX")) {}
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    // Names whose bytes are no UTF-8 are beyond QTemporaryDir's removal:
    // they go by their bytes first.
    ~Folder()
    {
        const QByteArray folder = QFile::encodeName(dir.path());
        if (DIR *entries = ::opendir(folder.constData())) {
            while (const dirent *entry = ::readdir(entries)) {
                if (entry->d_type == DT_REG)
                    ::unlink((folder + '/' + entry->d_name).constData());
            }
            ::closedir(entries);
        }
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    // `count` numbers from 125 up in rows of five, Pages 3.
    QString document(const QString &name, int count = 1, std::int32_t pages = 3) const
    {
        Document doc = emptyDocument(count);
        for (int i = 0; i < count; ++i)
            addNumber(doc, 72 + (i % 5) * 72, 72 + (i / 5) * 36, 125 + i * 1000, 5);
        doc.pagesToPrint = pages;
        // The tool reads no boxes: the records carry empty ones.
        return saveDocument(doc, {}, path(name)).isEmpty() ? path(name) : QString();
    }

    QString file(const QString &name, const QByteArray &content) const
    {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return path(name);
    }

    QByteArray content(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Every entry below the folder, hidden and special ones too.
    QStringList entries() const
    {
        QStringList names;
        QDirIterator it(dir.path(),
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            names.append(QDir(dir.path()).relativeFilePath(it.next()));
        names.sort();
        return names;
    }

    QTemporaryDir dir;
};

// The tool run in the folder; `prepare` may change the process before it starts.
ToolRun runIn(const Folder &folder, const QStringList &arguments, const QByteArray &input = {},
              const std::function<void(QProcess &)> &prepare = {})
{
    QProcess process;
    process.setWorkingDirectory(folder.dir.path());
    process.setProgram(tool);
    process.setArguments(arguments);
    if (prepare)
        prepare(process);
    process.start();
    if (!input.isNull()) {
        process.write(input);
        process.closeWriteChannel();
    }
    return finishRun(process, 60000);
}

// Root writes wherever it likes; run as an ordinary user, the tool meets the
// folder's rights. The user logs its runs in a data folder of its own, beside
// the tests' one.
void asOrdinaryUser(QProcess &process)
{
    if (::geteuid() != 0)
        return;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"),
                       qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/../other"));
    process.setProcessEnvironment(environment);
    process.setArguments(
        QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", process.program()} +
        process.arguments());
    process.setProgram(QStringLiteral("setpriv"));
}

// A name whose byte 0xFF is no UTF-8, and the name Qt would make of it.
QByteArray nonUtf8(const char *stem, const char *suffix)
{
    return QByteArray(stem) + '\xff' + suffix;
}
QString lossy(const QByteArray &name)
{
    return QString::fromUtf8(name);
}

// The tool run in the folder with `arguments` as bytes, as a shell gives
// them: each passes through printf, so that no byte is read as text on the
// way. What it wrote to standard error is given as bytes too.
int runWithBytes(const Folder &folder, const QList<QByteArray> &arguments, QByteArray &err)
{
    QString script = QStringLiteral("exec \"$0\"");
    for (const QByteArray &argument : arguments) {
        QString octal;
        for (const char byte : argument)
            octal += QStringLiteral("\\%1").arg(uchar(byte), 3, 8, QLatin1Char('0'));
        script += QStringLiteral(" \"$(printf '%1')\"").arg(octal);
    }
    QProcess process;
    process.setWorkingDirectory(folder.dir.path());
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, tool});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    err = process.readAllStandardError();
    return process.exitCode();
}

// What is at the bytes `name` in the folder, read without Qt's file names.
QByteArray rawContent(const Folder &folder, const QByteArray &name)
{
    const int fd = ::open((encoded(folder.dir.path()) + '/' + name).constData(), O_RDONLY);
    if (fd < 0)
        return {};
    QByteArray content;
    char piece[65536];
    for (ssize_t got; (got = ::read(fd, piece, sizeof piece)) > 0;)
        content.append(piece, got);
    ::close(fd);
    return content;
}

// The names in the folder as the system gives them, sorted.
QList<QByteArray> rawEntries(const Folder &folder)
{
    QList<QByteArray> names;
    if (DIR *dir = ::opendir(encoded(folder.dir.path()).constData())) {
        while (const dirent *entry = ::readdir(dir))
            names.append(entry->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

class TestPrintTool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void commandLineNeedsNoDisplay_data();
    void commandLineNeedsNoDisplay();
    void refusedRunsLeaveTheOutputAlone_data();
    void refusedRunsLeaveTheOutputAlone();
    void printsEveryPageOfTheRun_data();
    void printsEveryPageOfTheRun();
    void noObjectIsCut();
    void outputsOfEveryKind_data();
    void outputsOfEveryKind();
    void signalsStopTheRun_data();
    void signalsStopTheRun();
    void aDeliveredRunIsAlwaysLogged_data();
    void aDeliveredRunIsAlwaysLogged();
    void aRunThatCannotBeLoggedIsNotDelivered_data();
    void aRunThatCannotBeLoggedIsNotDelivered();
    void aRunGoneBeforeItsLogIsToldUnlogged();
    void aStopEndsTheRunItsManifestWithIt();
    void closedStandardOutputIsSaid();
    void calibrationMovesEveryObject_data();
    void calibrationMovesEveryObject();
    void printedRunsAreLogged_data();
    void printedRunsAreLogged();
    void runsSayWhatTheUserMayStopFor_data();
    void runsSayWhatTheUserMayStopFor();
    void manifestsListEveryNumberPrinted_data();
    void manifestsListEveryNumberPrinted();
    void namesAreTheBytesTheSystemGave_data();
    void namesAreTheBytesTheSystemGave();

private:
    // The user's settings and data folders of every run of the tool.
    QTemporaryDir m_home;
};

void TestPrintTool::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
    // The data folder of the ordinary user some runs are made as.
    const QString other = m_home.filePath(QStringLiteral("other"));
    QVERIFY(QDir().mkpath(other));
    QCOMPARE(::chmod(encoded(m_home.path()).constData(), 0755), 0);
    QCOMPARE(::chmod(encoded(other).constData(), 0777), 0);
}

void TestPrintTool::commandLineNeedsNoDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("out");   // the first line on standard output
    QTest::addColumn<QString>("error"); // a usage error on standard error
    const QString none;
    const QString giveOne = QStringLiteral("give either -o OUT.pdf or -P QUEUE");
    QTest::newRow("--help") << QStringList{"--help"} << usageLine << none;
    QTest::newRow("--version") << QStringList{"--version"} << QStringLiteral("paginette-print 2.0")
                               << none;
    QTest::newRow("nothing") << QStringList{} << none << giveOne;
    QTest::newRow("file and queue")
        << QStringList{"-o", "a.pdf", "-P", "q", "d.pgt"} << none << giveOne;
    QTest::newRow("no document") << QStringList{"-o", "a.pdf"} << none
                                 << QStringLiteral("no document given");
    QTest::newRow("two documents") << QStringList{"-o", "a.pdf", "a.pgt", "b.pgt"} << none
                                   << QStringLiteral("give one document");
    QTest::newRow("pages not a number")
        << QStringList{"--pages=ten", "-o", "a.pdf", "d.pgt"} << none
        << QStringLiteral("--pages needs a whole number, not 'ten'");
    QTest::newRow("unknown option") << QStringList{"-x", "-o", "a.pdf", "d.pgt"} << none
                                    << QStringLiteral("Unknown option 'x'.");
    QTest::newRow("no value") << QStringList{"d.pgt", "-o"} << none
                              << QStringLiteral("Missing value after '-o'.");
    const auto refused = [](const char *name, const QStringList &option, const char *error) {
        QTest::newRow(name) << (option + QStringList{"-o", "a.pdf", "d.pgt"}) << QString()
                            << QString::fromUtf8(error);
    };
    refused("range of one page", {"--range", "5"},
            "--range needs pages F-L with 1 <= F <= L, not '5'");
    refused("range backwards", {"--range=4-2"},
            "--range needs pages F-L with 1 <= F <= L, not '4-2'");
    refused("no copies", {"-n", "0"}, "-n needs a number of copies from 1 to 999, not '0'");
    refused("no pages", {"--pages", "0"}, "--pages needs a whole number of at least 1, not '0'");
    refused("pages below 0", {"--pages=-1"},
            "--pages needs a whole number of at least 1, not '-1'");
    refused("offset beyond 20 mm", {"--offset", "20.5,0"},
            "--offset needs X,Y in millimetres from -20 to 20, not '20.5,0'");
    refused("scale below 90 %", {"--scale", "89.9,100"},
            "--scale needs SX,SY in per cent from 90 to 110, not '89.9,100'");
    refused("scale not a number", {"--scale", "a,b"},
            "--scale needs SX,SY in per cent from 90 to 110, not 'a,b'");
    refused("offset nan", {"--offset", "nan,0"},
            "--offset needs X,Y in millimetres from -20 to 20, not 'nan,0'");
    refused("offset infinite", {"--offset", "0,inf"},
            "--offset needs X,Y in millimetres from -20 to 20, not '0,inf'");
    refused("scale nan", {"--scale", "nan,100"},
            "--scale needs SX,SY in per cent from 90 to 110, not 'nan,100'");
    refused("a flip edge that is none", {"--duplex", "top"},
            "--duplex needs long, short or off, not 'top'");
    refused("a side that is none", {"--sides", "left"},
            "--sides needs both, front or back, not 'left'");
}

void TestPrintTool::commandLineNeedsNoDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);
    QFETCH(QString, error);

    const Folder folder;
    const ToolRun run = runIn(folder, arguments, {}, [](QProcess &process) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        process.setProcessEnvironment(environment);
    });
    QCOMPARE(run.exitCode, error.isEmpty() ? 0 : 2);
    QCOMPARE(run.out.section(QLatin1Char('\n'), 0, 0), out);
    QCOMPARE(run.err.section(QLatin1Char('\n'), 0, 1),
             error.isEmpty()
                 ? QString()
                 : QStringLiteral("paginette-print: ") + error + QLatin1Char('\n') + usageLine);
}

void TestPrintTool::refusedRunsLeaveTheOutputAlone_data()
{
    QTest::addColumn<QString>("document"); // what the folder holds as doc.pgt
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("exitCode");
    // What the reader has to say about a document follows the document's name.
    QTest::newRow("no such document")
        << "none" << QStringList{} << "doc.pgt: No such file or directory" << 1;
    QTest::newRow("damaged header")
        << "garbage" << QStringList{} << "doc.pgt: Bad file header" << 1;
    QTest::newRow("records cut short")
        << "cut" << QStringList{} << "doc.pgt: the file ends inside object 2 of 3" << 1;
    QTest::newRow("a tag one letter wrong")
        << "PGTx" << QStringList{} << "doc.pgt: Some number formats could not be read" << 1;
    QTest::newRow("Pages 0 in the document")
        << "pages0" << QStringList{} << "doc.pgt: Nothing to print: Pages is 0" << 1;
    QTest::newRow("more objects than the program allows")
        << "huge" << QStringList{}
        << "doc.pgt holds 10001 objects; the program allows 10000 at most" << 1;
    const QString tooLarge =
        QStringLiteral(": larger than any document (%1 bytes at most)").arg(maxDocumentBytes);
    QTest::newRow("a file larger than any document")
        << "oversized" << QStringList{} << QStringLiteral("doc.pgt") + tooLarge << 1;
    QTest::newRow("a stream larger than any document")
        << "oversized stream" << QStringList{} << QStringLiteral("standard input") + tooLarge << 1;
    QTest::newRow("no folder for the output") << "good" << QStringList{"-o", "gone/out.pdf"}
                                              << "gone/out.pdf: No such file or directory" << 1;
    QTest::newRow("a range past the run")
        << "good" << QStringList{"--range", "2-4"}
        << "doc.pgt: Pages 2 to 4 are not in the run of 3 pages" << 2;
    QTest::newRow("a range past --pages")
        << "good" << QStringList{"--pages", "5", "--range", "6-6"}
        << "doc.pgt: Pages 6 to 6 are not in the run of 5 pages" << 2;
    QTest::newRow("one side of a one-sided document")
        << "good" << QStringList{"--sides", "back"}
        << "doc.pgt: --sides front or back needs a two-sided document (--duplex long or short)"
        << 2;
    QTest::newRow("backs reversed on one pass")
        << "good" << QStringList{"--duplex", "long", "--backs-reversed"}
        << "doc.pgt: --backs-reversed is for the pass that prints the backs (--sides back)" << 2;
}

void TestPrintTool::refusedRunsLeaveTheOutputAlone()
{
    QFETCH(QString, document);
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    QFETCH(int, exitCode);

    Folder folder;
    const QString doc = folder.path(QStringLiteral("doc.pgt"));
    QString argument = QStringLiteral("doc.pgt");
    QByteArray input;
    if (document == QLatin1String("good")) {
        folder.document(QStringLiteral("doc.pgt"));
    } else if (document == QLatin1String("garbage")) {
        folder.file(QStringLiteral("doc.pgt"), QByteArray(100, 'x'));
    } else if (document == QLatin1String("PGTx")) {
        folder.document(QStringLiteral("doc.pgt"));
        QFile file(doc);
        QVERIFY(file.open(QIODevice::Append));
        file.write(R"(PGTx"    {"version":1,"objects":{"0":{"prefix":"No. "}}})");
    } else if (document == QLatin1String("pages0")) {
        folder.document(QStringLiteral("doc.pgt"), 1, 0);
    } else if (document == QLatin1String("cut")) {
        folder.document(QStringLiteral("doc.pgt"), 3);
        QVERIFY(QFile::resize(doc, 48 + 388 + 100));
    } else if (document == QLatin1String("oversized")) {
        folder.document(QStringLiteral("doc.pgt"));
        QVERIFY(QFile::resize(doc, maxDocumentBytes + 1));
    } else if (document == QLatin1String("oversized stream")) {
        input = QByteArray(maxDocumentBytes + 1, '\0');
        argument = QStringLiteral("-");
    } else if (document == QLatin1String("huge")) {
        folder.document(QStringLiteral("doc.pgt"), 2);
        QFile file(doc);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.seek(12));
        const char count[4] = {0x11, 0x27, 0, 0}; // 10001, little-endian
        file.write(count, 4);
    }
    const QByteArray old("the last run");
    folder.file(QStringLiteral("out.pdf"), old);
    if (!options.contains(QLatin1String("-o")))
        options << QStringLiteral("-o") << QStringLiteral("out.pdf");
    const QStringList before = folder.entries();

    const ToolRun run = runIn(folder, options << argument, input);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.startsWith(QStringLiteral("paginette-print: ") + message),
             qPrintable(run.err));
    QCOMPARE(folder.content(QStringLiteral("out.pdf")), old);
    QCOMPARE(folder.entries(), before);
}

void TestPrintTool::printsEveryPageOfTheRun_data()
{
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QString>("source"); // where the document comes from
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("texts");
    const QString file = QStringLiteral("file");
    const QString out = QStringLiteral("out.pdf");
    QTest::newRow("the document's Pages") << QStringList{} << file << out << threePages;
    QTest::newRow("--pages 5") << QStringList{"--pages", "5"} << file << out
                               << QStringList{"00125", "00126", "00127", "00128", "00129"};
    QTest::newRow("--pages=1") << QStringList{"--pages=1"} << file << out << QStringList{"00125"};
    QTest::newRow("--range 2-3") << QStringList{"--range", "2-3"} << file << out
                                 << QStringList{"00126", "00127"};
    QTest::newRow("--pages 9 --range 8-9") << QStringList{"--pages", "9", "--range", "8-9"} << file
                                           << out << QStringList{"00132", "00133"};
    QTest::newRow("-n 2") << QStringList{"-n", "2"} << file << out
                          << QStringList{"00125", "00125", "00126", "00126", "00127", "00127"};
    QTest::newRow("-n 2 --collate")
        << QStringList{"-n", "2", "--collate"} << file << out
        << QStringList{"00125", "00126", "00127", "00125", "00126", "00127"};
    QTest::newRow("-n3 --range 3-3") << QStringList{"-n3", "--range", "3-3"} << file << out
                                     << QStringList{"00127", "00127", "00127"};
    QTest::newRow("document on standard input") << QStringList{} << "-" << out << threePages;
    QTest::newRow("document from a FIFO") << QStringList{} << "FIFO" << out << threePages;
    QTest::newRow("PDF on standard output") << QStringList{} << file << "-" << threePages;
}

void TestPrintTool::printsEveryPageOfTheRun()
{
    QFETCH(QStringList, pages);
    QFETCH(QString, source);
    QFETCH(QString, output);
    QFETCH(QStringList, texts);

    Folder folder;
    folder.document(QStringLiteral("doc.pgt"));
    folder.file(QStringLiteral("out.pdf"), "the last run");
    QString document = QStringLiteral("doc.pgt");
    QByteArray input;
    QProcess writer;
    if (source == QLatin1String("-")) {
        input = folder.content(document);
        document = source;
    } else if (source == QLatin1String("FIFO")) {
        QCOMPARE(::mkfifo(encoded(folder.path(QStringLiteral("doc.fifo"))).constData(), 0600), 0);
        // The writer opens the FIFO in a process of its own: opening waits for the reader.
        writer.setWorkingDirectory(folder.dir.path());
        writer.start(QStringLiteral("sh"), {"-c", "exec cat doc.pgt >doc.fifo"});
        document = QStringLiteral("doc.fifo");
    }
    // Standard output goes to a file beside the folder.
    const QTemporaryDir elsewhere;
    const QString pdf = output == QLatin1String("-") ? elsewhere.filePath(QStringLiteral("out.pdf"))
                                                     : folder.path(output);
    const QStringList before = folder.entries();

    const ToolRun run = runIn(folder, pages << QStringLiteral("-o") << output << document, input,
                              [&](QProcess &process) {
                                  if (output == QLatin1String("-"))
                                      process.setStandardOutputFile(pdf);
                              });
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(pageTexts(pdf), texts);
    QCOMPARE(folder.entries(), before);
    writer.waitForFinished();
}

void TestPrintTool::noObjectIsCut()
{
    // More than the program's default capacity of 20.
    Folder folder;
    const QString doc = folder.document(QStringLiteral("doc.pgt"), 25);
    const QString out = folder.path(QStringLiteral("out.pdf"));
    const ToolRun run = runTool(
        tool, {QStringLiteral("--pages"), QStringLiteral("2"), QStringLiteral("-o"), out, doc});
    QCOMPARE(run.exitCode, 0);
    // The last row: objects 20 to 24, on page 2.
    const QStringList lastRow =
        pdfPageText(out, 2).split(QLatin1Char('\n')).last().simplified().split(QLatin1Char(' '));
    QCOMPARE(lastRow, (QStringList{"20126", "21126", "22126", "23126", "24126"}));
}

void TestPrintTool::outputsOfEveryKind_data()
{
    QTest::addColumn<QString>("made"); // what is made at `name` before the run
    QTest::addColumn<QString>("name"); // the -o argument
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");   // on standard error, whole
    QTest::addColumn<QString>("typeAfter"); // what is at `name` after the run
    QTest::addColumn<QString>("printedAt"); // where the run can be read, if anywhere

    const auto row = [](const char *name, const QString &made, const QString &output, int exitCode,
                        const QString &why, const QString &typeAfter, const QString &printedAt) {
        const QString message =
            why.isEmpty() ? why : QStringLiteral("paginette-print: %1: %2\n").arg(output, why);
        QTest::newRow(name) << made << output << exitCode << message << typeAfter << printedAt;
    };
    const QString out = QStringLiteral("out.pdf");
    const QString none;
    const QString inPlace =
        QStringLiteral("its folder is not writable; the file was rewritten in place");
    const QString doc = QStringLiteral("is the document being printed; nothing was written");
    // Every run is made under umask 027.
    row("a new file", none, out, 0, none, "file 0640", out);
    row("a file of 0600", "file", out, 0, none, "file 0600", out);
    row("a full disk, found at the end", "full disk", out, 1, "No space left on device",
        "file 0600", none);
    row("a full disk, found mid-run", "full disk, long run", out, 1, "No space left on device",
        "file 0600", none);
    row("a file in a folder not writable", "unwritable folder", out, 0, inPlace, "file 0666", out);
    row("FIFO", "FIFO", out, 0, none, "FIFO", "copy.pdf");
    row("character device", "character device", out, 0, none, "character device", none);
    row("symbolic link", "symbolic link", out, 0, none, "symbolic link", "real/target.pdf");
    row("symbolic link to no file yet", "dangling link", out, 0, none, "symbolic link",
        "real/new.pdf");
    row("directory", "directory", out, 1, "Is a directory", "directory", none);
    row("socket", "socket", out, 1, "is a socket, not a file", "socket", none);
    row("block device", "block device", out, 1, "is a block device, not a file", "block device",
        none);
    row("the document", none, "doc.pgt", 2, doc, "file 0644", none);
    row("the document by another name", none, "./doc.pgt", 2, doc, "file 0644", none);
    row("a hard link to the document", "hard link", "copy.pgt", 2, doc, "file 0644", none);
    row("a symbolic link to the document", "link to the document", "alias.pgt", 2, doc,
        "symbolic link", none);
}

void TestPrintTool::outputsOfEveryKind()
{
    QFETCH(QString, made);
    QFETCH(QString, name);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QString, typeAfter);
    QFETCH(QString, printedAt);

    std::optional<SmallDisk> disk;
    if (made.startsWith(QLatin1String("full disk")) && !disk.emplace().mounted())
        QSKIP(qPrintable(disk->reason));
    const Folder folder(disk ? disk->path() : QDir::tempPath());
    const QString doc = folder.document(QStringLiteral("doc.pgt"), 1,
                                        made.endsWith(QLatin1String("long run")) ? 200 : 3);
    QCOMPARE(::chmod(encoded(doc).constData(), 0644), 0);
    const QByteArray design = folder.content(QStringLiteral("doc.pgt"));
    const QByteArray out = encoded(folder.path(name));
    static const QMap<QString, QPair<mode_t, dev_t>> nodes{
        {"FIFO", {S_IFIFO | 0644, 0}},
        {"socket", {S_IFSOCK | 0644, 0}},
        {"character device", {S_IFCHR | 0666, makedev(1, 3)}}, // a null device
        {"block device", {S_IFBLK | 0600, makedev(7, 0)}}};
    if (made.endsWith(QLatin1String("device")) && ::geteuid() != 0)
        QSKIP("making a device node needs root");
    if (nodes.contains(made)) {
        QCOMPARE(::mknod(out.constData(), nodes[made].first, nodes[made].second), 0);
    } else if (made == QLatin1String("unwritable folder")) {
        folder.file(name, "the last run");
        QCOMPARE(::chmod(out.constData(), 0666), 0);
    } else if (made == QLatin1String("file") || disk) {
        folder.file(name, "the last run");
        QCOMPARE(::chmod(out.constData(), 0600), 0);
    } else if (made == QLatin1String("directory")) {
        QVERIFY(QDir(folder.dir.path()).mkdir(name));
    } else if (made == QLatin1String("hard link")) {
        QCOMPARE(::link(encoded(doc).constData(), out.constData()), 0);
    } else if (made == QLatin1String("link to the document")) {
        QCOMPARE(::symlink("doc.pgt", out.constData()), 0);
    } else if (made.endsWith(QLatin1String("link"))) {
        QVERIFY(QDir(folder.dir.path()).mkdir(QStringLiteral("real")));
        if (made == QLatin1String("symbolic link"))
            folder.file(printedAt, "the last run");
        QCOMPARE(::symlink(encoded(printedAt).constData(), out.constData()), 0);
    }
    if (made == QLatin1String("unwritable folder"))
        QCOMPARE(::chmod(encoded(folder.dir.path()).constData(), 0555), 0);
    if (disk)
        QVERIFY(disk->fill());
    // A file left in place keeps its content.
    const QByteArray kept = printedAt.isEmpty() && typeAfter.startsWith(QLatin1String("file"))
                                ? folder.content(name)
                                : QByteArray();
    QProcess reader;
    if (made == QLatin1String("FIFO")) {
        reader.setStandardOutputFile(folder.path(printedAt));
        reader.start(QStringLiteral("cat"), {folder.path(name)});
    }
    QStringList expected = folder.entries();
    if (!printedAt.isEmpty() && !expected.contains(printedAt))
        expected.append(printedAt);
    expected.sort();

    const ToolRun run = runIn(folder, {QStringLiteral("-o"), name, QStringLiteral("doc.pgt")}, {},
                              [&made](QProcess &process) {
                                  process.setChildProcessModifier([] { ::umask(027); });
                                  if (made == QLatin1String("unwritable folder"))
                                      asOrdinaryUser(process);
                              });
    ::chmod(encoded(folder.dir.path()).constData(), 0700);
    if (!reader.waitForFinished(10000))
        reader.kill();
    QCOMPARE(run.err, message);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(fileType(folder.path(name)), typeAfter);
    QCOMPARE(folder.content(QStringLiteral("doc.pgt")), design);
    if (!kept.isNull())
        QCOMPARE(folder.content(name), kept);
    if (!printedAt.isEmpty())
        QCOMPARE(pageTexts(folder.path(printedAt)), threePages);
    QCOMPARE(folder.entries(), expected);
}

void TestPrintTool::signalsStopTheRun_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("signal");
    const QStringList longRun{"--pages", "1000000", "-o", "out.pdf", "doc.pgt"};
    // pages.pdf is a PDF of 2,000 pages.
    const QStringList longBackground{"--pages", "2000",    "--background", "pages.pdf",
                                     "-o",      "out.pdf", "doc.pgt"};
    // A FIFO nobody opens from the other side: opening it waits for ever.
    const QStringList fifoDocument{"-o", "out.pdf", "fifo"};
    const QStringList fifoOutput{"-o", "fifo", "doc.pgt"};
    QTest::newRow("SIGKILL mid-run") << longRun << SIGKILL;
    QTest::newRow("SIGHUP mid-run") << longRun << SIGHUP;
    QTest::newRow("SIGINT mid-run") << longRun << SIGINT;
    QTest::newRow("SIGQUIT mid-run") << longRun << SIGQUIT;
    QTest::newRow("SIGTERM mid-run") << longRun << SIGTERM;
    QTest::newRow("SIGINT opening a FIFO document") << fifoDocument << SIGINT;
    QTest::newRow("SIGTERM opening a FIFO document") << fifoDocument << SIGTERM;
    QTest::newRow("SIGHUP opening a FIFO output") << fifoOutput << SIGHUP;
    QTest::newRow("SIGTERM with a background of many pages") << longBackground << SIGTERM;
}

void TestPrintTool::signalsStopTheRun()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, signal);

    Folder folder;
    folder.document(QStringLiteral("doc.pgt"), 20);
    folder.file(QStringLiteral("out.pdf"), "the last run");
    QCOMPARE(::mkfifo(encoded(folder.path(QStringLiteral("fifo"))).constData(), 0600), 0);
    if (arguments.contains(QLatin1String("pages.pdf"))) {
        QPdfWriter pages(folder.path(QStringLiteral("pages.pdf")));
        QPainter painter(&pages);
        for (int page = 2; page <= 2000; ++page)
            QVERIFY(pages.newPage());
    }
    const QStringList before = folder.entries();
    QProcess process;
    process.setWorkingDirectory(folder.dir.path());
    process.start(tool, arguments);
    const qint64 pid = process.processId();
    // Signalled once the spool has begun to grow (or the background is being
    // read), or once blocked on the FIFO.
    const bool fifo = arguments.contains(QLatin1String("fifo"));
    QVERIFY2(waitWhileRunning(process,
                              [&] {
                                  return fifo
                                             ? waitChannel(pid) == QLatin1String("wait_for_partner")
                                             : writesInto(pid, folder.dir.path());
                              }),
             "the run never got there");

    QCOMPARE(::kill(pid_t(pid), signal), 0);
    const bool finished = process.waitForFinished(10000);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    QVERIFY2(finished, "still running after the signal");
    const int exit = process.exitStatus() == QProcess::CrashExit ? -1 : process.exitCode();
    QCOMPARE(exit, signal == SIGKILL ? -1 : 128 + signal);
    QCOMPARE(folder.content(QStringLiteral("out.pdf")), QByteArray("the last run"));
    QCOMPARE(folder.entries(), before);
}

void TestPrintTool::aDeliveredRunIsAlwaysLogged_data()
{
    // Sent while the tool waits for the log's lock, before the run takes its
    // place; none waits out the lock.
    QTest::addColumn<int>("signal");

    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("SIGQUIT") << SIGQUIT;
    QTest::newRow("no signal: the lock held past 10 s") << 0;
}

void TestPrintTool::aDeliveredRunIsAlwaysLogged()
{
    QFETCH(int, signal);

    const QTemporaryDir data;
    const QString log = data.filePath(QStringLiteral("paginette/print-log.csv"));
    const QString side = log + QStringLiteral(".pending");
    QVERIFY(QDir().mkpath(QFileInfo(log).path()));
    Folder folder;
    folder.document(QStringLiteral("doc.pgt"));
    const auto inData = [&data](QProcess &process) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
        process.setProcessEnvironment(environment);
    };
    auto held = std::make_unique<QFile>(log);
    QVERIFY(held->open(QIODevice::WriteOnly));
    // Another program holds the log.
    QCOMPARE(::flock(held->handle(), LOCK_EX), 0);
    QProcess process;
    process.setWorkingDirectory(folder.dir.path());
    inData(process);
    process.start(tool, {"--manifest", "m.csv", "-o", "out.pdf", "doc.pgt"});
    if (signal != 0) {
        // Once the run is drawn, the tool opens the log and waits for its lock.
        QVERIFY2(
            waitWhileRunning(
                process, [&] { return filesOpenForWriting(process.processId()).contains(log); }),
            "the run never got there");
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("out.pdf"))));
        QCOMPARE(::kill(pid_t(process.processId()), signal), 0);
    }
    const ToolRun run = finishRun(process, 60000);

    QCOMPARE(run.exitCode, signal == 0 ? 0 : 128 + signal);
    QCOMPARE(run.err, QStringLiteral("paginette-print: The print log %1 is held by another "
                                     "program; the run was noted in %2, which the next run adds "
                                     "to the log\n")
                          .arg(log, side));
    QCOMPARE(pageTexts(folder.path(QStringLiteral("out.pdf"))), threePages);
    QCOMPARE(PrintLog(folder.path(QStringLiteral("m.csv"))).read().items.size(), 4);
    QCOMPARE(held->size(), 0);
    QCOMPARE(PrintLog(log).entriesOf(folder.path(QStringLiteral("doc.pgt"))).items.size(), 1);

    // The lock given up, the check reads the run where it waits, and the next
    // run adds it to the log before its own.
    held.reset();
    const ToolRun fresh = runIn(folder, {"--fresh-only", "-o", "again.pdf", "doc.pgt"}, {}, inData);
    QCOMPARE(fresh.exitCode, 1);
    const ToolRun next = runIn(folder, {"-o", "again.pdf", "doc.pgt"}, {}, inData);
    QCOMPARE(next.exitCode, 0);
    QVERIFY(!QFile::exists(side));
    const QList<PrintLogEntry> logged =
        PrintLog(log).entriesOf(folder.path(QStringLiteral("doc.pgt"))).items;
    QCOMPARE(logged.size(), 2);
    QCOMPARE(logged[0].printer, folder.path(QStringLiteral("out.pdf")));
    QCOMPARE(logged[1].printer, folder.path(QStringLiteral("again.pdf")));
}

void TestPrintTool::aRunThatCannotBeLoggedIsNotDelivered_data()
{
    QTest::addColumn<QString>("blocked"); // what stands in the log's way
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("said"); // %1 the log's path

    const QString notLogged = QStringLiteral(
        "paginette-print: The print log %1 could not be written: %2; the run could not be logged "
        "and was not put in place\n");
    // The check before the run reads the log first, and says what it found.
    const QString folderRead =
        QStringLiteral("paginette-print: %1: not a regular file\n") +
        notLogged.arg(QStringLiteral("%1"), QStringLiteral("Is a directory"));
    QTest::newRow("a folder where the log goes, a PDF") << "log folder"
                                                        << "out.pdf" << folderRead;
    QTest::newRow("a folder where the log goes, PNG pages") << "log folder"
                                                            << "out.png" << folderRead;
    QTest::newRow("a file where the data folder goes")
        << "data file"
        << "out.pdf" << notLogged.arg(QStringLiteral("%1"), "Not a directory");
    QTest::newRow("a full disk") << "full disk"
                                 << "out.pdf"
                                 << notLogged.arg(QStringLiteral("%1"), "No space left on device");
}

// A run whose line cannot be kept, in the log or beside it, leaves the
// files it would have replaced as they were: printed again, it would go
// unwarned.
void TestPrintTool::aRunThatCannotBeLoggedIsNotDelivered()
{
    QFETCH(QString, blocked);
    QFETCH(QString, output);
    QFETCH(QString, said);

    std::optional<SmallDisk> disk;
    const QTemporaryDir data;
    QString home = data.filePath(QStringLiteral("data"));
    if (blocked == QLatin1String("full disk")) {
        disk.emplace();
        if (!disk->mounted())
            QSKIP(qPrintable(disk->reason));
        home = disk->path();
    }
    const QString log = home + QStringLiteral("/paginette/print-log.csv");
    if (blocked == QLatin1String("data file")) {
        QFile blocker(home);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(QFileInfo(log).path()));
    }
    if (blocked == QLatin1String("log folder"))
        QVERIFY(QDir().mkdir(log));
    if (disk)
        QVERIFY(disk->fill());
    Folder folder;
    folder.document(QStringLiteral("doc.pgt"));
    folder.file(QStringLiteral("out.pdf"), "the last run");
    folder.file(QStringLiteral("out-0001.png"), "the last run's page");
    folder.file(QStringLiteral("m.csv"), "the last run's manifest");
    const QStringList before = folder.entries();

    const ToolRun run = runIn(
        folder, {"--manifest", "m.csv", "-o", output, "doc.pgt"}, {}, [&home](QProcess &process) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("XDG_DATA_HOME"), home);
            process.setProcessEnvironment(environment);
        });

    QCOMPARE(run.err, said.arg(log));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(folder.entries(), before);
    QCOMPARE(folder.content(QStringLiteral("out.pdf")), QByteArray("the last run"));
    QCOMPARE(folder.content(QStringLiteral("out-0001.png")), QByteArray("the last run's page"));
    QCOMPARE(folder.content(QStringLiteral("m.csv")), QByteArray("the last run's manifest"));
}

// A stream, like a queue, has the run once it is written: a log that then
// fails is told, and the tool fails.
void TestPrintTool::aRunGoneBeforeItsLogIsToldUnlogged()
{
    const QTemporaryDir data;
    // A file where the data folder should be.
    const QString home = data.filePath(QStringLiteral("file"));
    QFile blocker(home);
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    Folder folder;
    folder.document(QStringLiteral("doc.pgt"));

    const ToolRun run = runIn(folder, {"-o", "-", "doc.pgt"}, {}, [&home](QProcess &process) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home);
        process.setProcessEnvironment(environment);
    });

    QCOMPARE(run.err, QStringLiteral("paginette-print: The print log %1/paginette/print-log.csv "
                                     "could not be written: Not a directory; the run was printed "
                                     "but could not be logged\n")
                          .arg(home));
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.startsWith(QLatin1String("%PDF-")));
}

// The manifest is written as the pages are: a stop ends a run of many pages
// while it goes, and neither file takes its place.
void TestPrintTool::aStopEndsTheRunItsManifestWithIt()
{
    Folder folder;
    folder.document(QStringLiteral("doc.pgt"), 5);
    folder.file(QStringLiteral("out.pdf"), "the last run");
    const QStringList before = folder.entries();
    QProcess process;
    process.setWorkingDirectory(folder.dir.path());
    process.start(tool,
                  {"--pages", "100000000", "--manifest", "m.csv", "-o", "out.pdf", "doc.pgt"});
    QVERIFY2(
        waitWhileRunning(
            process, [&] { return writesManifestRows(process.processId(), folder.dir.path()); }),
        "no manifest rows were written while the run went");

    QCOMPARE(::kill(pid_t(process.processId()), SIGTERM), 0);
    // A bound on the wait, not a measure of it.
    const bool finished = process.waitForFinished(20000);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    QVERIFY2(finished, "still running after the signal");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + SIGTERM);
    QCOMPARE(folder.entries(), before);
    QCOMPARE(folder.content(QStringLiteral("out.pdf")), QByteArray("the last run"));
}

void TestPrintTool::closedStandardOutputIsSaid()
{
    const Folder folder;
    folder.document(QStringLiteral("doc.pgt"));
    const ToolRun run = runIn(folder, {"-o", "-", "doc.pgt"}, {}, [](QProcess &process) {
        process.setChildProcessModifier([] { ::close(STDOUT_FILENO); });
    });
    QCOMPARE(run.err, QStringLiteral("paginette-print: standard output is closed\n"));
    QCOMPARE(run.exitCode, 1);
}

void TestPrintTool::calibrationMovesEveryObject_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QPointF>("shift"); // millimetres

    QTest::newRow("--offset 2.5,-1.0") << QStringList{"--offset", "2.5,-1.0"} << QPointF(2.5, -1);
    QTest::newRow("--printer-profile") << QStringList{"--printer-profile"} << QPointF(1.5, 2.0);
    QTest::newRow("--offset over the profile")
        << QStringList{"--printer-profile", "--offset", "0,-2"} << QPointF(0, -2);
    QTest::newRow("the profile only when asked") << QStringList{} << QPointF(0, 0);
}

void TestPrintTool::calibrationMovesEveryObject()
{
    QFETCH(QStringList, options);
    QFETCH(QPointF, shift);

    const CalibrationStore store;
    QCOMPARE(store.save(pdfOutputName(), {1.5, 2.0, 100, 100}), QString());
    const Folder folder;
    // Two files of one design, so that the second run prints nothing again.
    folder.document(QStringLiteral("plain.pgt"), 7);
    folder.document(QStringLiteral("doc.pgt"), 7);
    QCOMPARE(runIn(folder, {"-o", "plain.pdf", "plain.pgt"}).exitCode, 0);
    const ToolRun run = runIn(folder, options + QStringList{"-o", "moved.pdf", "doc.pgt"});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);

    const QList<QPointF> plain = wordCorners(folder.path(QStringLiteral("plain.pdf")));
    const QList<QPointF> moved = wordCorners(folder.path(QStringLiteral("moved.pdf")));
    QCOMPARE(plain.size(), 7);
    QCOMPARE(moved.size(), plain.size());
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const QPointF by = moved[i] - plain[i];
        QVERIFY2(
            qAbs(by.x() - shift.x()) <= 0.05 && qAbs(by.y() - shift.y()) <= 0.05,
            qPrintable(QStringLiteral("word %1 moved %2, %3 mm").arg(i).arg(by.x()).arg(by.y())));
    }
}

void TestPrintTool::printedRunsAreLogged_data()
{
    QTest::addColumn<bool>("logWritable");
    QTest::addColumn<QString>("message");
    QTest::newRow("a line for the run") << true << "";
    QTest::newRow("a log that cannot be written")
        << false
        << "paginette-print: The print log %1 could not be written: Not a directory; the run "
           "could not be logged and was not put in place\n";
}

void TestPrintTool::printedRunsAreLogged()
{
    QFETCH(bool, logWritable);
    QFETCH(QString, message);

    const QTemporaryDir data;
    QString home = data.filePath(QStringLiteral("data"));
    if (!logWritable) {
        // A file where the data folder should be.
        home = data.filePath(QStringLiteral("file"));
        QFile blocker(home);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    const QString log = home + QStringLiteral("/paginette/print-log.csv");
    const auto inHome = [&home](QProcess &process) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home);
        process.setProcessEnvironment(environment);
    };
    Folder folder;
    folder.document(QStringLiteral("doc.pgt"), 2);
    const ToolRun run =
        runIn(folder, {"--range", "2-3", "-n", "2", "-o", "a.pdf", "doc.pgt"}, {}, inHome);

    QCOMPARE(run.exitCode, logWritable ? 0 : 1);
    QCOMPARE(run.err, message.isEmpty() ? message : message.arg(log));
    QCOMPARE(QFile::exists(folder.path(QStringLiteral("a.pdf"))), logWritable);
    QList<QStringList> records = PrintLog(log).read().items;
    if (!logWritable) {
        QCOMPARE(records, QList<QStringList>{});
        return;
    }
    QCOMPARE(records.size(), 2);
    const QDateTime logged =
        QDateTime::fromString(records[1].takeFirst(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QVERIFY(qAbs(logged.secsTo(QDateTime::currentDateTime())) < 120);
    QCOMPARE(records,
             (QList<QStringList>{logHeader(),
                                 {folder.path(QStringLiteral("doc.pgt")),
                                  folder.path(QStringLiteral("a.pdf")), "2", "3", "2", "", "00126",
                                  "00127", "", "01126", "01127", "126+1*2 1126+1*2"}}));
}

void TestPrintTool::runsSayWhatTheUserMayStopFor_data()
{
    QTest::addColumn<QStringList>("before"); // a run made first, if any
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said"); // DATE the date of the run before
    QTest::addColumn<QStringList>("pages");

    const QStringList out{"-o", "out.pdf", "doc.pgt"};
    const QStringList again{"-o", "first.pdf", "doc.pgt"};
    const QString printedBefore =
        QStringLiteral("paginette-print: object 1 printed 00125-00127 on DATE.\n");
    QTest::newRow("nothing to say") << QStringList{} << out << 125 << 72 << 0 << "" << threePages;
    QTest::newRow("printed before")
        << again << out << 125 << 72 << 0 << printedBefore << threePages;
    QTest::newRow("printed before, --fresh-only")
        << again << QStringList{"--fresh-only"} + out << 125 << 72 << 1
        << printedBefore + "paginette-print: --fresh-only: nothing was printed\n"
        << QStringList{};
    QTest::newRow("a part printed before")
        << QStringList{"--range", "3-3"} + again << QStringList{"--pages", "5"} + out << 125 << 72
        << 0 << "paginette-print: object 1 printed 00127 on DATE.\n"
        << QStringList{"00125", "00126", "00127", "00128", "00129"};
    // Whichever name and folder link reach the document, it is one document.
    QTest::newRow("printed before through a linked folder, --fresh-only")
        << again << QStringList{"--fresh-only", "-o", "out.pdf", "linked/doc.pgt"} << 125 << 72 << 1
        << printedBefore + "paginette-print: --fresh-only: nothing was printed\n"
        << QStringList{};
    QTest::newRow("a name holding a quote, --fresh-only")
        << QStringList{"-o", "first.pdf", "say \"hi\".pgt"}
        << QStringList{"--fresh-only", "-o", "out.pdf", "say \"hi\".pgt"} << 125 << 72 << 1
        << printedBefore + "paginette-print: --fresh-only: nothing was printed\n"
        << QStringList{};
    QTest::newRow("what comes next, --fresh-only")
        << again << QStringList{"--fresh-only", "--pages", "5", "--range", "4-5"} + out << 125 << 72
        << 0 << "" << QStringList{"00128", "00129"};
    QTest::newRow("a number outgrows its width")
        << QStringList{} << out << 99998 << 72 << 0
        << "paginette-print: object 1 grows from 5 to 6 digits on page 3.\n"
        << QStringList{"99998", "99999", "100000"};
    QTest::newRow("pushed off the paper")
        << QStringList{} << QStringList{"--offset", "20,0"} + out << 125 << 520 << 0
        << "paginette-print: These objects fall outside the printable area of PDF output: "
           "\"00125\".\n"
        << QStringList{"", "", ""};
}

void TestPrintTool::runsSayWhatTheUserMayStopFor()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, options);
    QFETCH(int, start);
    QFETCH(int, x);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    QFETCH(QStringList, pages);

    const Folder folder;
    Document doc = emptyDocument(1);
    addNumber(doc, x, 72, start, 5);
    doc.pagesToPrint = 3;
    QCOMPARE(saveDocument(doc, {}, folder.path(QFileInfo(options.back()).fileName())), QString());
    QVERIFY(QFile::link(folder.dir.path(), folder.path(QStringLiteral("linked"))));
    if (!before.isEmpty())
        QCOMPARE(runIn(folder, before).exitCode, 0);
    const ToolRun run = runIn(folder, options);

    static const QRegularExpression date(
        QStringLiteral(" on \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d\\."));
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(QString(run.err).replace(date, QStringLiteral(" on DATE.")), said);
    QCOMPARE(pageTexts(folder.path(QStringLiteral("out.pdf"))), pages);
}

void TestPrintTool::manifestsListEveryNumberPrinted_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("rows"); // sheet, page, copy, object, text
    QTest::addColumn<QString>("error");

    const QStringList out{"-o", "out.pdf", "doc.pgt"};
    QTest::newRow("collated copies of a range")
        << QStringList{"--manifest", "m.csv", "--range", "2-3", "-n", "2", "--collate"} + out << 0
        << QStringList{"1,2,1,object 1,00126", "1,2,1,object 2,01126", "2,3,1,object 1,00127",
                       "2,3,1,object 2,01127", "3,2,2,object 1,00126", "3,2,2,object 2,01126",
                       "4,3,2,object 1,00127", "4,3,2,object 2,01127"}
        << "";
    QTest::newRow("no folder for it")
        << QStringList{"--manifest", "gone/m.csv"} + out << 1 << QStringList{}
        << "paginette-print: gone/m.csv: No such file or directory\n";
    QTest::newRow("the run's own file")
        << QStringList{"--manifest", "./out.pdf"} + out << 2 << QStringList{}
        << "paginette-print: ./out.pdf: the manifest and the run cannot go to one file\n";
    QTest::newRow("the run's own file through a linked folder")
        << QStringList{"--manifest", "linked/out.pdf"} + out << 2 << QStringList{}
        << "paginette-print: linked/out.pdf: the manifest and the run cannot go to one file\n";
    QTest::newRow("the run's file there before, through a linked folder")
        << QStringList{"--manifest", "linked/old.pdf", "-o", "old.pdf", "doc.pgt"} << 2
        << QStringList{}
        << "paginette-print: linked/old.pdf: the manifest and the run cannot go to one file\n";
}

void TestPrintTool::manifestsListEveryNumberPrinted()
{
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QStringList, rows);
    QFETCH(QString, error);

    const Folder folder;
    folder.document(QStringLiteral("doc.pgt"), 2);
    folder.file(QStringLiteral("old.pdf"), "the last run");
    QVERIFY(QFile::link(folder.dir.path(), folder.path(QStringLiteral("linked"))));
    const ToolRun run = runIn(folder, options);

    QCOMPARE(run.err, error);
    QCOMPARE(run.exitCode, exitCode);
    if (rows.isEmpty()) {
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("m.csv"))));
        QVERIFY(!QFile::exists(folder.path(QStringLiteral("out.pdf"))));
        QCOMPARE(folder.content(QStringLiteral("old.pdf")), QByteArray("the last run"));
        return;
    }
    QStringList written;
    for (const QStringList &record : PrintLog(folder.path(QStringLiteral("m.csv"))).read().items)
        written.append(record.join(u','));
    QCOMPARE(written, QStringList{"Sheet,Page,Copy,Object,Text"} + rows);
}

QTEST_GUILESS_MAIN(TestPrintTool)
#include "tst_printtool.moc"

// A name on the command line reaches the file whose name it is, bytes that
// are not UTF-8 and all, never the file Qt's reading of it names; a name
// that reaches nothing is told as it was given.
void TestPrintTool::namesAreTheBytesTheSystemGave_data()
{
    QTest::addColumn<QString>("named");
    QTest::newRow("the document") << "document";
    QTest::newRow("the output, -o") << "output";
    QTest::newRow("the manifest, --manifest") << "manifest";
    QTest::newRow("the background, --background") << "background";
    QTest::newRow("the data file, --data") << "data";
    QTest::newRow("a document that is not there") << "missing";
}

void TestPrintTool::namesAreTheBytesTheSystemGave()
{
    QFETCH(QString, named);
    const Folder folder(m_home.path());
    const QByteArray document = nonUtf8("doc", ".pgt");
    const QByteArray output = nonUtf8("out", ".pdf");
    const QByteArray manifest = nonUtf8("manifest", ".csv");
    const QByteArray background = nonUtf8("background", ".png");
    // The document of three pages has a twin of five under the name Qt reads.
    QVERIFY(!folder.document(QStringLiteral("plain.pgt")).isEmpty());
    if (named != QLatin1String("missing"))
        QCOMPARE(::rename(encoded(folder.path(QStringLiteral("plain.pgt"))).constData(),
                          (encoded(folder.dir.path()) + '/' + document).constData()),
                 0);
    QVERIFY(!folder.document(lossy(document), 1, 5).isEmpty());
    QVERIFY(!folder.document(QStringLiteral("doc.pgt")).isEmpty());
    QImage picture(40, 20, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    QVERIFY(picture.save(folder.path(QStringLiteral("picture.png"))));
    QCOMPARE(::rename(encoded(folder.path(QStringLiteral("picture.png"))).constData(),
                      (encoded(folder.dir.path()) + '/' + background).constData()),
             0);
    folder.file(lossy(background), "no picture at all");
    // Rows for two pages; the twin Qt's reading names has four.
    const QByteArray data = nonUtf8("rows", ".csv");
    QCOMPARE(::rename(encoded(folder.file(QStringLiteral("rows.csv"), "Name\nA\nB\n")).constData(),
                      (encoded(folder.dir.path()) + '/' + data).constData()),
             0);
    folder.file(lossy(data), "Name\nA\nB\nC\nD\n");
    const QList<QByteArray> before = rawEntries(folder);

    QList<QByteArray> arguments{"-o", named == QLatin1String("output") ? output : "out.pdf"};
    if (named == QLatin1String("manifest"))
        arguments << "--manifest" << manifest;
    if (named == QLatin1String("background"))
        arguments << "--background" << background;
    if (named == QLatin1String("data"))
        arguments << "--data" << data;
    const bool documentNamed =
        named == QLatin1String("document") || named == QLatin1String("missing");
    arguments << (documentNamed ? document : QByteArray("doc.pgt"));
    QByteArray err;
    const int exitCode = runWithBytes(folder, arguments, err);

    if (named == QLatin1String("missing")) {
        QCOMPARE(exitCode, 1);
        QVERIFY2(err.contains("paginette-print: " + document + ": No such file or directory"),
                 err.constData());
        return;
    }
    QVERIFY2(exitCode == 0, err.constData());
    // Nothing was made under any other name.
    QList<QByteArray> made = rawEntries(folder);
    for (const QByteArray &entry : before)
        made.removeOne(entry);
    QList<QByteArray> expected{named == QLatin1String("output") ? output : "out.pdf"};
    if (named == QLatin1String("manifest"))
        expected.prepend(manifest);
    QCOMPARE(made, expected);
    const QByteArray pdf = named == QLatin1String("output")
                               ? rawContent(folder, output)
                               : folder.content(QStringLiteral("out.pdf"));
    QVERIFY(pdf.startsWith("%PDF"));
    if (named == QLatin1String("manifest"))
        QVERIFY(rawContent(folder, manifest).contains("Sheet"));
    // The document read is the one named: three pages, not its twin's five;
    // the data file's two rows, not its twin's four.
    const QString read = folder.file(QStringLiteral("read.pdf"), pdf);
    QCOMPARE(pdfPageCount(read), named == QLatin1String("data") ? 2 : 3);
}
