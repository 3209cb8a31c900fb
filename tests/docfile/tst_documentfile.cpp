#include "docbytes.h"
#include "documentbuilder.h"
#include "documentfile.h"
#include "objecttable.h"
#include "services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

using Message = std::pair<QString, QString>;
using LinkTable = QList<LinkFields>;

Q_DECLARE_METATYPE(LinkTable)

namespace {

struct Field
{
    int offset;
    int width;
    std::int64_t value;
};

// Three objects whose every field differs from its neighbours' and from zero,
// with non-zero reserved areas that must not reach the file.
DocumentState sampleDocument()
{
    DocumentState doc(20);
    for (int i = 0; i < 3; ++i) {
        mainStruct2 &r = doc.objects[i];
        r.x = 100 + i;
        r.y = -(200 + i);
        r.start = 125 + 1000 * i;
        r.stepPage = 3 + i;
        r.stepLink = -(4 + i);
        r.digits = std::int16_t(5 + i);
        r.zeros = std::int16_t(2 - i);
        r.color = 0x00123456 + i;
        r.customColor = std::int16_t(i == 1);
        r.fontSize = std::int16_t(14 + i);
        r.bounds = {10 + i, 20 + i, 30 + i, 40 + i};
        r.kind = i == 2 ? KindPicture : i;
        r.linkId = i < 2 ? 0 : -1;
        r.linkPrev = i == 1 ? 0 : -1;
        r.linkNext = i == 0 ? 1 : -1;
        r.selected = std::int16_t(1 - i);
        r.format = std::int16_t(i == 0);
        r.angle = 90 * i;
        r.reserved12[3] = 7;
        r.reserved38 = 7;
        r.reserved80[11] = 7;
        r.reserved292[50] = 7;
    }
    doc.fontNames[0] = QStringLiteral("Arial");
    doc.fontNames[1] = QStringLiteral("Courier New");
    doc.fontNames[2] = QString();
    doc.texts[0] = QStringLiteral("00125");
    doc.texts[1] = QStringLiteral("caf\u00e9");
    doc.texts[2] = QStringLiteral("5 \u20ac");
    doc.names[0] = QStringLiteral("num0");
    doc.names[1] = QStringLiteral("txt1");
    doc.names[2] = QStringLiteral("pic2");
    doc.drawOrder[0] = 2;
    doc.drawOrder[1] = 0;
    doc.drawOrder[2] = 1;
    doc.objectCount = 3;
    doc.linkCount = 1;
    doc.pageShown = 2;
    doc.pagesToPrint = 9;
    return doc;
}

QList<Field> sampleFields(int i)
{
    return {{0, 4, 100 + i},
            {4, 4, -(200 + i)},
            {8, 4, 125 + 1000 * i},
            {12, 8, 0},
            {20, 4, 3 + i},
            {24, 4, -(4 + i)},
            {28, 2, 5 + i},
            {30, 2, 2 - i},
            {32, 4, 0x00123456 + i},
            {36, 2, i == 1},
            {38, 2, 0},
            {40, 2, 14 + i},
            {42, 2, 0},
            {44, 4, 10 + i},
            {48, 4, 20 + i},
            {52, 4, 30 + i},
            {56, 4, 40 + i},
            {60, 4, i == 2 ? 3 : i},
            {64, 4, i < 2 ? 0 : -1},
            {68, 4, i == 1 ? 0 : -1},
            {72, 4, i == 0 ? 1 : -1},
            {76, 2, 0},
            {78, 2, 1 - i},
            {80, 8, 0},
            {88, 4, 0},
            {156, 4, 0},
            {224, 4, 0},
            {292, 8, 0},
            {300, 8, 0},
            {308, 4, 0},
            {312, 4, 0},
            {316, 8, 0},
            {374, 8, 0},
            {382, 2, i == 0},
            {384, 4, 90 * i}};
}

QByteArray area(const QByteArray &text)
{
    return text + QByteArray(64 - text.size(), '\0');
}

QByteArray recordBytesOf(const mainStruct2 &record)
{
    return toByteArray(recordToBytes(record));
}

// Everything a load may change, for checking that a refused file changed nothing.
QByteArray fingerprint(const DocumentState &doc)
{
    QByteArray result;
    for (const mainStruct2 &record : doc.objects)
        result.append(recordBytesOf(record));
    for (const auto *strings : {&doc.fontNames, &doc.texts, &doc.names})
        for (const QString &text : *strings)
            result.append(text.toUtf8()).append('\n');
    for (const std::int32_t value : doc.drawOrder)
        result.append(QByteArray::number(value)).append(',');
    for (const std::int32_t value : {doc.objectCount, doc.linkCount, doc.pageShown,
                                     doc.pagesToPrint, doc.selectedCount, doc.currentObject})
        result.append(QByteArray::number(value)).append(',');
    return result;
}

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

// Saves as a user who may write the file but not its folder: as root, from a
// child process that has given up root; 0 when the save succeeded.
int saveWithoutFolderRights(DocumentState &doc, const QString &path)
{
    if (geteuid() != 0)
        return saveDocument(doc, path);
    const pid_t child = fork();
    if (child == 0) {
        constexpr uid_t nobody = 65534;
        const bool dropped = setgid(nobody) == 0 && setuid(nobody) == 0;
        _exit(dropped && saveDocument(doc, path) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : -1;
}

class TestDocumentFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void emptyDocumentIsTheBareHeader();
    void everyFieldLandsAtItsOffset();
    void roundTripRestoresTheDocument();
    void overwritingLeavesOnlyTheNewContent();
    void longAndForeignTextIsCutAndReplaced();
    void largeCountsAreCut();
    void pageShownFollowsPagesToPrint_data();
    void pageShownFollowsPagesToPrint();
    void refusedFilesLeaveTheTableUnchanged_data();
    void refusedFilesLeaveTheTableUnchanged();
    void unreadablePathsLeaveTheTableUnchanged();
    void shortFileShowsOneBox_data();
    void shortFileShowsOneBox();
    void shortLastRecordKeepsTheLinksBeforeIt();
    void badDrawOrderBecomesIdentity_data();
    void badDrawOrderBecomesIdentity();
    void brokenLinksAreDissolved_data();
    void brokenLinksAreDissolved();
    void selectionFollowsTheMarks();
    void failedSaveKeepsTheOldFile();
    void fileInAFolderThatCannotBeWrittenIsSavedInPlace();
    void smallerDocumentLeavesNoTrace();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString writeFile(const QString &name, const QByteArray &bytes) const;
    static QByteArray readFile(const QString &path);
    static QString keepAsSeed(const QString &path);

    QTemporaryDir m_dir;
    QList<Message> m_messages;
};

QString TestDocumentFile::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

QByteArray TestDocumentFile::readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The files the tests have checked double as seeds for the loader's fuzzer.
QString TestDocumentFile::keepAsSeed(const QString &path)
{
    const QString dir = qEnvironmentVariable("PAGINETTE_SEED_DIR");
    if (dir.isEmpty())
        return path;
    QString name = QFileInfo(path).completeBaseName();
    if (const char *tag = QTest::currentDataTag())
        name +=
            QLatin1Char('-') + QString::fromLatin1(tag).replace(QLatin1Char(' '), QLatin1Char('-'));
    const QString target = QDir(dir).filePath(name + QStringLiteral(".pgt"));
    QFile::remove(target);
    if (!QFile::copy(path, target))
        qFatal("cannot keep %s as a seed", qPrintable(path));
    return path;
}

void TestDocumentFile::init()
{
    QVERIFY(m_dir.isValid());
    m_messages.clear();
    services().showMessage = [this](const QString &text, const QString &caption) {
        m_messages.append({text, caption});
    };
}

void TestDocumentFile::cleanup()
{
    services() = Services{};
}

void TestDocumentFile::emptyDocumentIsTheBareHeader()
{
    DocumentState doc(20);
    clearDocument(doc);
    QCOMPARE(saveDocument(doc, path("empty.pgt")), 0);
    QCOMPARE(readFile(path("empty.pgt")),
             QByteArray::fromHex("0200000004000100840100000000000000000000"
                                 "0100000001000000") +
                 QByteArray(20, '\0'));
    QVERIFY(m_messages.isEmpty());
    keepAsSeed(path("empty.pgt"));
}

void TestDocumentFile::everyFieldLandsAtItsOffset()
{
    DocumentState doc = sampleDocument();
    QCOMPARE(saveDocument(doc, path("three.pgt")), 0);
    const QByteArray file = readFile(path("three.pgt"));
    QCOMPARE(file.size(), 1224);
    QCOMPARE(file.left(28), fileHeader(3, 1, 2, 9).left(28));
    QCOMPARE(file.mid(28, 20), QByteArray(20, '\0'));

    const QList<QByteArray> fontAreas = {area("Arial"), area("Courier New"), area("")};
    const QList<QByteArray> textAreas = {area("00125"), area("caf\xe9"), area("5 \x80")};
    const QList<QByteArray> nameAreas = {area("num0"), area("txt1"), area("pic2")};
    for (int i = 0; i < 3; ++i) {
        const QByteArray record = file.mid(48 + 388 * i, 388);
        for (const Field &field : sampleFields(i)) {
            if (getLe(record, field.offset, field.width) != field.value)
                QFAIL(qPrintable(QStringLiteral("record %1, offset %2: %3 instead of %4")
                                     .arg(i)
                                     .arg(field.offset)
                                     .arg(getLe(record, field.offset, field.width))
                                     .arg(field.value)));
        }
        QCOMPARE(record.mid(92, 64), fontAreas[i]);
        QCOMPARE(record.mid(160, 64), textAreas[i]);
        QCOMPARE(record.mid(228, 64), nameAreas[i]);
    }
    QCOMPARE(file.mid(48 + 3 * 388), fileOrder({2, 0, 1}));
    keepAsSeed(path("three.pgt"));
}

void TestDocumentFile::roundTripRestoresTheDocument()
{
    DocumentState saved = sampleDocument();
    QCOMPARE(saveDocument(saved, path("trip.pgt")), 0);

    DocumentState loaded(20);
    loaded.lastLinked = 4;
    QCOMPARE(loadDocument(loaded, path("trip.pgt")), 0);
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(loaded.objectCount, 3);
    QCOMPARE(loaded.linkCount, 1);
    QCOMPARE(loaded.pageShown, 2);
    QCOMPARE(loaded.pagesToPrint, 9);
    QCOMPARE(loaded.lastLinked, -1);
    QCOMPARE(loaded.selectedCount, 1);
    QCOMPARE(loaded.currentObject, 0);
    for (int i = 0; i < 3; ++i) {
        // The saved side's reserved bytes were never written, so compare the
        // encoded form, which holds every field that travels.
        QCOMPARE(recordBytesOf(loaded.objects[i]), recordBytesOf(saved.objects[i]));
        QCOMPARE(loaded.fontNames[i], saved.fontNames[i]);
        QCOMPARE(loaded.texts[i], saved.texts[i]);
        QCOMPARE(loaded.names[i], saved.names[i]);
        QCOMPARE(loaded.drawOrder[i], saved.drawOrder[i]);
    }
    QCOMPARE(loaded.texts[2], QStringLiteral("5 \u20ac"));
}

void TestDocumentFile::overwritingLeavesOnlyTheNewContent()
{
    DocumentState doc = sampleDocument();
    QCOMPARE(saveDocument(doc, path("shrink.pgt")), 0);
    clearDocument(doc);
    QCOMPARE(saveDocument(doc, path("shrink.pgt")), 0);
    QCOMPARE(readFile(path("shrink.pgt")).size(), 48);
}

void TestDocumentFile::longAndForeignTextIsCutAndReplaced()
{
    DocumentState doc = sampleDocument();
    doc.texts[0] = QString(70, QLatin1Char('x'));
    doc.names[1] = QString(63, QLatin1Char('n'));
    doc.fontNames[2] = QStringLiteral("\u4e2d\u6587 Font");
    QCOMPARE(saveDocument(doc, path("long.pgt")), 0);
    const QByteArray file = readFile(path("long.pgt"));
    QCOMPARE(file.mid(48 + 160, 64), QByteArray(63, 'x') + '\0');
    QCOMPARE(file.mid(48 + 388 + 228, 64), QByteArray(63, 'n') + '\0');

    DocumentState loaded(20);
    QCOMPARE(loadDocument(loaded, path("long.pgt")), 0);
    QCOMPARE(loaded.texts[0], QString(63, QLatin1Char('x')));
    QCOMPARE(loaded.names[1], QString(63, QLatin1Char('n')));
    QCOMPARE(loaded.fontNames[2], QStringLiteral("?? Font"));

    // An area without a NUL ends at its 64th byte, not in the next field.
    QByteArray record = fileRecord(1);
    putText(record, 92, QByteArray(64, 'F'));
    QCOMPARE(
        loadDocument(loaded, writeFile("full.pgt", fileHeader(1, 0) + record + fileOrder({0}))), 0);
    QCOMPARE(loaded.fontNames[0], QString(64, QLatin1Char('F')));
}

void TestDocumentFile::largeCountsAreCut()
{
    QByteArray bytes = fileHeader(50, 60);
    QList<std::int32_t> reversed;
    for (int i = 0; i < 50; ++i) {
        bytes += fileRecord(i);
        reversed.prepend(i);
    }
    DocumentState doc(20);
    QCOMPARE(loadDocument(doc, keepAsSeed(writeFile("fifty.pgt", bytes + fileOrder(reversed)))), 0);
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(doc.objectCount, 20);
    QCOMPARE(doc.linkCount, 20);
    for (int i = 0; i < 20; ++i) {
        QCOMPARE(doc.objects[i].x, i);
        QCOMPARE(doc.names[i], QStringLiteral("obj%1").arg(i));
        // The file's order names records that were not read.
        QCOMPARE(doc.drawOrder[i], i);
    }
}

void TestDocumentFile::pageShownFollowsPagesToPrint_data()
{
    QTest::addColumn<int>("shownInFile");
    QTest::addColumn<int>("toPrintInFile");
    QTest::addColumn<int>("shown");
    QTest::newRow("beyond the run") << 7 << 5 << 5;
    QTest::newRow("inside the run") << 3 << 5 << 3;
    QTest::newRow("zero pages") << 1 << 0 << 0;
    QTest::newRow("negative page") << -4 << 2 << -4;
}

void TestDocumentFile::pageShownFollowsPagesToPrint()
{
    QFETCH(int, shownInFile);
    QFETCH(int, toPrintInFile);
    QFETCH(int, shown);
    DocumentState doc(20);
    QCOMPARE(
        loadDocument(doc, writeFile("pages.pgt", fileHeader(0, 0, shownInFile, toPrintInFile))), 0);
    QCOMPARE(doc.pageShown, shown);
    QCOMPARE(doc.pagesToPrint, toPrintInFile);
}

void TestDocumentFile::refusedFilesLeaveTheTableUnchanged_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("zero length") << QByteArray();
    QTest::newRow("47 bytes") << fileHeader(0, 0).left(47);
    QTest::newRow("record size 387") << fileHeader(1, 0, 1, 1, 387) + fileRecord(1);
    QTest::newRow("record size 389") << fileHeader(1, 0, 1, 1, 389) + fileRecord(1) + '\0';
    QTest::newRow("negative objects") << fileHeader(-1, 0);
    QTest::newRow("negative links") << fileHeader(0, INT32_MIN);
}

void TestDocumentFile::refusedFilesLeaveTheTableUnchanged()
{
    QFETCH(QByteArray, bytes);
    DocumentState doc = sampleDocument();
    refreshSelection(doc);
    const QByteArray before = fingerprint(doc);

    QCOMPARE(loadDocument(doc, writeFile("refused.pgt", bytes)), -1);
    QCOMPARE(m_messages,
             QList<Message>({{QStringLiteral("Bad file header"), QStringLiteral("O-o-o-ps")}}));
    QCOMPARE(fingerprint(doc), before);
}

void TestDocumentFile::unreadablePathsLeaveTheTableUnchanged()
{
    DocumentState doc = sampleDocument();
    refreshSelection(doc);
    const QByteArray before = fingerprint(doc);

    const Message cantOpen{QStringLiteral("Can't open file"), QStringLiteral("File Name")};
    for (const QString &unreadable : {path("missing.pgt"), m_dir.path()}) {
        m_messages.clear();
        QCOMPARE(loadDocument(doc, unreadable), -1);
        QCOMPARE(m_messages, QList<Message>({cantOpen}));
        QCOMPARE(fingerprint(doc), before);
    }
}

void TestDocumentFile::shortFileShowsOneBox_data()
{
    QTest::addColumn<int>("headerCount");
    QTest::addColumn<int>("lastRecordBytes");
    QTest::addColumn<int>("objects");
    QTest::addColumn<QString>("boxText");
    QTest::newRow("cut after the font area") << 3 << 200 << 3 << QStringLiteral("Tahoma");
    QTest::newRow("cut inside the font area") << 3 << 95 << 3 << QStringLiteral("Tah");
    QTest::newRow("cut before the font area") << 3 << 50 << 3 << QString();
    QTest::newRow("records missing") << 5 << 0 << 2 << QString();
}

void TestDocumentFile::shortFileShowsOneBox()
{
    QFETCH(int, headerCount);
    QFETCH(int, lastRecordBytes);
    QFETCH(int, objects);
    QFETCH(QString, boxText);
    QByteArray last = fileRecord(7);
    putText(last, 92, "Tahoma");
    const QByteArray bytes =
        fileHeader(headerCount, 0) + fileRecord(0) + fileRecord(1) + last.left(lastRecordBytes);

    // Slot 2 held a different object before; none of it may remain.
    DocumentState doc = sampleDocument();
    QCOMPARE(loadDocument(doc, keepAsSeed(writeFile("short.pgt", bytes))), 0);
    QCOMPARE(m_messages, QList<Message>({{boxText, QStringLiteral("fontNameChar")}}));
    QCOMPARE(doc.objectCount, objects);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(recordBytesOf(doc.objects[i]), fileRecord(i));
        QCOMPARE(doc.texts[i], QStringLiteral("text%1").arg(i));
    }
    // Unread link fields would say link 0, which the file does not have.
    QByteArray expected = last.left(lastRecordBytes);
    expected.append(QByteArray(388 - expected.size(), '\0'));
    expected.replace(64, 12, QByteArray(12, char(0xFF)));
    QCOMPARE(recordBytesOf(doc.objects[2]), objects == 3 ? expected : QByteArray(388, '\0'));
    QCOMPARE(doc.fontNames[2], objects == 3 ? boxText : QStringLiteral(" "));
    for (int i = 0; i < objects; ++i)
        QCOMPARE(doc.drawOrder[i], i);
}

void TestDocumentFile::shortLastRecordKeepsTheLinksBeforeIt()
{
    // Cut before the link fields of the last record.
    const QByteArray bytes = fileHeader(3, 1) + fileRecord(0, {0, -1, 1}) +
                             fileRecord(1, {0, 0, -1}) + fileRecord(2).left(50);
    DocumentState doc(20);
    QCOMPARE(loadDocument(doc, keepAsSeed(writeFile("shortlinked.pgt", bytes))), 0);
    QCOMPARE(doc.objectCount, 3);
    QCOMPARE(doc.linkCount, 1);
    QCOMPARE(linkOf(doc, 0), (Link{0, -1, 1}));
    QCOMPARE(linkOf(doc, 1), (Link{0, 0, -1}));
    QCOMPARE(linkOf(doc, 2), unlinked);
}

void TestDocumentFile::badDrawOrderBecomesIdentity_data()
{
    QTest::addColumn<QByteArray>("order");
    QTest::addColumn<QList<std::int32_t>>("expected");
    const QList<std::int32_t> identity = {0, 1, 2};
    QTest::newRow("permutation kept") << fileOrder({2, 0, 1}) << QList<std::int32_t>{2, 0, 1};
    QTest::newRow("duplicate") << fileOrder({0, 0, 1}) << identity;
    QTest::newRow("beyond the objects") << fileOrder({0, 1, 3}) << identity;
    QTest::newRow("negative") << fileOrder({-1, 0, 1}) << identity;
    QTest::newRow("huge") << fileOrder({0, INT32_MAX, 1}) << identity;
    QTest::newRow("cut short") << fileOrder({2, 0, 1}).left(9) << identity;
    QTest::newRow("missing") << QByteArray() << identity;
}

void TestDocumentFile::badDrawOrderBecomesIdentity()
{
    QFETCH(QByteArray, order);
    QFETCH(QList<std::int32_t>, expected);
    const QByteArray bytes =
        fileHeader(3, 0) + fileRecord(0) + fileRecord(1) + fileRecord(2) + order;
    DocumentState doc(20);
    QCOMPARE(loadDocument(doc, keepAsSeed(writeFile("order.pgt", bytes))), 0);
    QVERIFY(m_messages.isEmpty());
    QCOMPARE(doc.objectCount, 3);
    QCOMPARE(QList<std::int32_t>(doc.drawOrder.begin(), doc.drawOrder.begin() + 3), expected);
}

void TestDocumentFile::brokenLinksAreDissolved_data()
{
    QTest::addColumn<LinkTable>("links");
    QTest::addColumn<QList<std::int32_t>>("kept");
    const LinkFields none;
    // Objects 3 and 4 form a proper second link in every row but the last.
    const LinkFields head1{1, -1, 4};
    const LinkFields tail1{1, 3, -1};
    const QList<std::int32_t> onlySecondKept{-1, -1, -1, 1, 1};
    QTest::newRow("proper chains") << LinkTable{{0, -1, 1}, {0, 0, 2}, {0, 1, -1}, head1, tail1}
                                   << QList<std::int32_t>{0, 0, 0, 1, 1};
    QTest::newRow("two heads") << LinkTable{{0, -1, 1}, {0, 0, -1}, {0, -1, -1}, head1, tail1}
                               << onlySecondKept;
    QTest::newRow("cycle") << LinkTable{{0, -1, 1}, {0, 0, 2}, {0, 1, 1}, head1, tail1}
                           << onlySecondKept;
    QTest::newRow("no head") << LinkTable{{0, 2, 1}, {0, 0, 2}, {0, 1, 0}, head1, tail1}
                             << onlySecondKept;
    QTest::newRow("wrong linkPrev")
        << LinkTable{{0, -1, 1}, {0, 0, 2}, {0, 0, -1}, head1, tail1} << onlySecondKept;
    QTest::newRow("member of another link")
        << LinkTable{{0, -1, 3}, none, none, head1, tail1} << onlySecondKept;
    QTest::newRow("member not reached")
        << LinkTable{{0, -1, -1}, {0, 0, -1}, none, head1, tail1} << onlySecondKept;
    QTest::newRow("next beyond the objects")
        << LinkTable{{0, -1, 50}, none, none, head1, tail1} << onlySecondKept;
    QTest::newRow("negative next")
        << LinkTable{{0, -1, -5}, none, none, head1, tail1} << onlySecondKept;
    QTest::newRow("link number out of range")
        << LinkTable{{2, -1, -1}, {-7, -1, -1}, {INT32_MAX, -1, -1}, head1, tail1}
        << onlySecondKept;
    QTest::newRow("unlinked with neighbours")
        << LinkTable{{-1, 3, 4}, none, none, none, none} << QList<std::int32_t>{-1, -1, -1, -1, -1};
}

void TestDocumentFile::brokenLinksAreDissolved()
{
    QFETCH(LinkTable, links);
    QFETCH(QList<std::int32_t>, kept);
    QByteArray bytes = fileHeader(5, 2);
    for (int i = 0; i < 5; ++i)
        bytes += fileRecord(i, links[i]);
    DocumentState doc(20);
    QCOMPARE(
        loadDocument(doc, keepAsSeed(writeFile("links.pgt", bytes + fileOrder({0, 1, 2, 3, 4})))),
        0);
    QCOMPARE(doc.linkCount, 2);
    for (int i = 0; i < 5; ++i) {
        const mainStruct2 &object = doc.objects[i];
        QCOMPARE(object.linkId, kept[i]);
        QCOMPARE(object.linkPrev, kept[i] == -1 ? -1 : links[i].linkPrev);
        QCOMPARE(object.linkNext, kept[i] == -1 ? -1 : links[i].linkNext);
        QCOMPARE(object.x, i);
    }
}

void TestDocumentFile::selectionFollowsTheMarks()
{
    const QByteArray marks = fileHeader(4, 0) + fileRecord(0, {}, 0) + fileRecord(1, {}, -1) +
                             fileRecord(2, {}, 1) + fileRecord(3, {}, 1) + fileOrder({0, 1, 2, 3});
    DocumentState doc(20);
    QCOMPARE(loadDocument(doc, keepAsSeed(writeFile("marks.pgt", marks))), 0);
    QCOMPARE(doc.selectedCount, 2);
    QCOMPARE(doc.currentObject, 2);

    const QByteArray noMarks = fileHeader(1, 0) + fileRecord(0, {}, 2) + fileOrder({0});
    QCOMPARE(loadDocument(doc, writeFile("nomarks.pgt", noMarks)), 0);
    QCOMPARE(doc.selectedCount, 0);
    QCOMPARE(doc.currentObject, 1);
}

void TestDocumentFile::failedSaveKeepsTheOldFile()
{
    DocumentState doc = sampleDocument();
    const auto expectOneError = [this] {
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages[0].second, QStringLiteral("Error"));
        QVERIFY(!m_messages[0].first.isEmpty());
        QVERIFY(m_messages[0].first.size() <= 100);
        m_messages.clear();
    };

    QVERIFY(QDir(m_dir.path()).mkdir("folder.pgt"));
    QCOMPARE(saveDocument(doc, path("folder.pgt")), -1);
    expectOneError();
    QVERIFY(QFileInfo(path("folder.pgt")).isDir());

    QCOMPARE(saveDocument(doc, path("no/such/dir.pgt")), -1);
    expectOneError();

    // Running out of room halfway: the earlier version must survive whole.
    const QByteArray old = fileHeader(0, 0, 4, 8);
    writeFile("old.pgt", old);
    const QStringList entriesBefore = QDir(m_dir.path()).entryList(QDir::Files);
    {
        const FileSizeLimit limit(500);
        QCOMPARE(saveDocument(doc, path("old.pgt")), -1);
    }
    expectOneError();
    QCOMPARE(readFile(path("old.pgt")), old);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), entriesBefore);
}

void TestDocumentFile::fileInAFolderThatCannotBeWrittenIsSavedInPlace()
{
    DocumentState doc = sampleDocument();
    QCOMPARE(saveDocument(doc, path("free.pgt")), 0);

    QVERIFY(QDir(m_dir.path()).mkdir("locked"));
    const QString locked = path("locked/doc.pgt");
    writeFile("locked/doc.pgt", fileHeader(0, 0));
    const auto all = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const auto enter = QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    const auto write = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    QVERIFY(QFile::setPermissions(m_dir.path(), all | enter | QFileDevice::WriteOwner));
    QVERIFY(QFile::setPermissions(path("locked"), all | enter));
    QVERIFY(QFile::setPermissions(locked, all | write));

    const int result = saveWithoutFolderRights(doc, locked);
    QFile::setPermissions(path("locked"), all | enter | QFileDevice::WriteOwner);
    QCOMPARE(result, 0);
    QCOMPARE(readFile(locked), readFile(path("free.pgt")));
    QCOMPARE(QDir(path("locked")).entryList(QDir::Files), QStringList{"doc.pgt"});
}

void TestDocumentFile::smallerDocumentLeavesNoTrace()
{
    DocumentState doc = sampleDocument();
    QCOMPARE(saveDocument(doc, path("larger.pgt")), 0);
    writeFile("smaller.pgt", fileHeader(1, 0) + fileRecord(9) + fileOrder({0}));

    DocumentState loaded(20);
    QCOMPARE(loadDocument(loaded, path("larger.pgt")), 0);
    QCOMPARE(loadDocument(loaded, path("smaller.pgt")), 0);
    QCOMPARE(loaded.objectCount, 1);
    QCOMPARE(loaded.linkCount, 0);
    for (int i = 1; i < 20; ++i) {
        QCOMPARE(recordBytesOf(loaded.objects[i]), QByteArray(388, '\0'));
        QCOMPARE(loaded.fontNames[i], QStringLiteral(" "));
        QCOMPARE(loaded.texts[i], QStringLiteral(" "));
        QCOMPARE(loaded.names[i], QStringLiteral(" "));
        QCOMPARE(loaded.drawOrder[i], 0);
    }

    // A number placed now is the same as one placed in a fresh document.
    DocumentState fresh(20);
    fresh.objectCount = 1;
    QCOMPARE(createObject(loaded, KindNumber, 30, 40), 1);
    QCOMPARE(createObject(fresh, KindNumber, 30, 40), 1);
    QCOMPARE(recordBytesOf(loaded.objects[1]), recordBytesOf(fresh.objects[1]));
    QCOMPARE(loaded.texts[1], fresh.texts[1]);
    QCOMPARE(loaded.names[1], QStringLiteral("num1"));
    QCOMPARE(loaded.objects[1].start, 125);
}

QTEST_GUILESS_MAIN(TestDocumentFile)
#include "tst_documentfile.moc"
