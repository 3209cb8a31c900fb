#include "docbytes.h"
#include "documentbuilder.h"
#include "file/documentfile.h"
#include "objecttable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

using LinkTable = QList<LinkFields>;

Q_DECLARE_METATYPE(LinkTable)

namespace {

struct Field
{
    int offset;
    int width;
    std::int64_t value;
};

// The reserved areas of a record: offset and width.
const QList<std::pair<int, int>> reservedAreas{{12, 8},  {38, 2},  {42, 2},  {76, 2},
                                               {80, 12}, {156, 4}, {224, 4}, {292, 90}};

// Reserved bytes in four areas of objects 0 and 1, each object its own; none in object 2.
QByteArray sampleReserved(int i)
{
    if (i == 2)
        return {};
    QByteArray reserved(388, '\0');
    for (const int offset : {15, 38, 91, 342})
        reserved[offset] = char(7 + i);
    return reserved;
}

// Three objects whose every field differs from its neighbours' and from zero, with
// reserved bytes that go out to the file and back. Object 0 is a hexadecimal number,
// whose stored text is stale: the file gets the text of the page shown.
Document sampleDocument()
{
    Document doc = emptyDocument(20);
    for (int i = 0; i < 3; ++i) {
        PageObject r;
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
        r.kind = i == 2 ? KindPicture : i;
        r.linkId = i < 2 ? 0 : -1;
        r.linkPrev = i == 1 ? 0 : -1;
        r.linkNext = i == 0 ? 1 : -1;
        r.selected = std::int16_t(1 - i);
        r.format.system = i == 0 ? NumberSystem::Hexadecimal : NumberSystem::Decimal;
        r.angle = 90 * i;
        r.reserved = sampleReserved(i);
        doc.objects.append(r);
    }
    doc.objects[0].fontName = QStringLiteral("Arial");
    doc.objects[1].fontName = QStringLiteral("Courier New");
    doc.objects[0].text = QStringLiteral("stale");
    doc.objects[1].text = QStringLiteral("caf\u00e9");
    doc.objects[2].text = QStringLiteral("5 \u20ac");
    doc.objects[0].name = QStringLiteral("num0");
    doc.objects[1].name = QStringLiteral("txt1");
    doc.objects[2].name = QStringLiteral("pic2");
    doc.drawOrder = {2, 0, 1};
    doc.linkCount = 1;
    doc.pageShown = 2;
    doc.pagesToPrint = 9;
    return doc;
}

// The boxes the sample is saved with.
const QList<Bounds32> sampleBoxes{{10, 20, 30, 40}, {11, 21, 31, 41}, {12, 22, 32, 42}};

QList<Field> sampleFields(int i)
{
    return {{0, 4, 100 + i},
            {4, 4, -(200 + i)},
            {8, 4, 125 + 1000 * i},
            {20, 4, 3 + i},
            {24, 4, -(4 + i)},
            {28, 2, 5 + i},
            // The number shows 00080 on page 2: three zeros.
            {30, 2, i == 0 ? 3 : 2 - i},
            {32, 4, 0x00123456 + i},
            {36, 2, i == 1},
            {40, 2, 14 + i},
            {44, 4, 10 + i},
            {48, 4, 20 + i},
            {52, 4, 30 + i},
            {56, 4, 40 + i},
            {60, 4, i == 2 ? 3 : i},
            {64, 4, i < 2 ? 0 : -1},
            {68, 4, i == 1 ? 0 : -1},
            {72, 4, i == 0 ? 1 : -1},
            {78, 2, 1 - i},
            {382, 2, i == 0},
            {384, 4, 90 * i}};
}

QByteArray area(const QByteArray &text)
{
    return text + QByteArray(64 - text.size(), '\0');
}

QByteArray recordBytesOf(const PageObject &object)
{
    return toByteArray(encodeRecord(object, Bounds32{}));
}

// Each message of a load on one line: box text, caption, detail.
QStringList messagesOf(const LoadResult &result)
{
    QStringList lines;
    for (const FileMessage &message : result.messages)
        lines.append(message.text + QStringLiteral(" | ") + message.caption +
                     QStringLiteral(" | ") + message.detail);
    return lines;
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
// child process that has given up root; true when the save succeeded.
bool saveWithoutFolderRights(const Document &doc, const QString &path)
{
    if (geteuid() != 0)
        return saveDocument(doc, sampleBoxes, path).isEmpty();
    const pid_t child = fork();
    if (child == 0) {
        constexpr uid_t nobody = 65534;
        const bool dropped = setgid(nobody) == 0 && setuid(nobody) == 0;
        _exit(dropped && saveDocument(doc, sampleBoxes, path).isEmpty() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class TestDocumentFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void emptyDocumentIsTheBareHeader();
    void everyFieldLandsAtItsOffset();
    void roundTripRestoresTheDocument();
    void fileGoesBackOutByteForByte();
    void overwritingLeavesOnlyTheNewContent();
    void longAndForeignTextIsCutAndReplaced();
    void largeCountsAreCut();
    void pageShownFollowsPagesToPrint_data();
    void pageShownFollowsPagesToPrint();
    void refusedFilesLoadNothing_data();
    void refusedFilesLoadNothing();
    void unreadablePathsLoadNothing();
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
    void loadedDocumentTakesObjectsUpToItsCapacity();
    void numberFormatsTravelAfterTheDrawingOrder();
    void picturesAndTheSheetTravelWithTheDocument();
    void theDataSourceTravelsWithTheDocument();
    void shapesTravelWithTheDocument();
    void backNumbersNameAFrontNumber_data();
    void backNumbersNameAFrontNumber();
    void startsPastThirtyTwoBitsTravelInTheBlock_data();
    void startsPastThirtyTwoBitsTravelInTheBlock();
    void damagedFormatsLeavePlainNumbers_data();
    void damagedFormatsLeavePlainNumbers();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString writeFile(const QString &name, const QByteArray &bytes) const;
    static QByteArray readFile(const QString &path);
    static QString keepAsSeed(const QString &path);

    QTemporaryDir m_dir;
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
}

void TestDocumentFile::emptyDocumentIsTheBareHeader()
{
    QCOMPARE(saveDocument(emptyDocument(20), {}, path("empty.pgt")), QString());
    QCOMPARE(readFile(path("empty.pgt")),
             QByteArray::fromHex("0200000004000100840100000000000000000000"
                                 "0100000001000000") +
                 QByteArray(20, '\0'));
    keepAsSeed(path("empty.pgt"));
}

void TestDocumentFile::everyFieldLandsAtItsOffset()
{
    QCOMPARE(saveDocument(sampleDocument(), sampleBoxes, path("three.pgt")), QString());
    const QByteArray file = readFile(path("three.pgt"));
    QCOMPARE(file.size(), 1224);
    QCOMPARE(file.left(28), fileHeader(3, 1, 2, 9).left(28));
    QCOMPARE(file.mid(28, 20), QByteArray(20, '\0'));

    const QList<QByteArray> fontAreas = {area("Arial"), area("Courier New"), area("")};
    const QList<QByteArray> textAreas = {area("00080"), area("caf\xe9"), area("5 \x80")};
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
        const QByteArray reserved = i == 2 ? QByteArray(388, '\0') : sampleReserved(i);
        for (const auto &[offset, width] : reservedAreas)
            QCOMPARE(record.mid(offset, width), reserved.mid(offset, width));
        QCOMPARE(record.mid(92, 64), fontAreas[i]);
        QCOMPARE(record.mid(160, 64), textAreas[i]);
        QCOMPARE(record.mid(228, 64), nameAreas[i]);
    }
    QCOMPARE(file.mid(48 + 3 * 388), fileOrder({2, 0, 1}));
    keepAsSeed(path("three.pgt"));
}

void TestDocumentFile::roundTripRestoresTheDocument()
{
    const Document saved = sampleDocument();
    QCOMPARE(saveDocument(saved, sampleBoxes, path("trip.pgt")), QString());

    const LoadResult result = loadDocument(path("trip.pgt"), 20);
    QVERIFY(result.document);
    QCOMPARE(messagesOf(result), QStringList());
    QCOMPARE(result.storedObjects, 3);
    // Everything comes back but the number's text and zero count, which are
    // those of the page shown.
    Document expected = saved;
    expected.objects[0].text = QStringLiteral("00080");
    expected.objects[0].zeros = 3;
    QCOMPARE(documentDump(*result.document), documentDump(expected));
    QVERIFY(*result.document == expected);
}

void TestDocumentFile::fileGoesBackOutByteForByte()
{
    // Reserved bytes in every area, a number whose text is that of the page shown,
    // and a link: nothing the program would write otherwise.
    QByteArray number = fileRecord(1, {0, 0, -1});
    putLe(number, 60, KindNumber, 4);
    putLe(number, 8, 40, 4);
    putLe(number, 20, 2, 4);
    putLe(number, 28, 4, 2);
    putLe(number, 30, 2, 2);
    putText(number, 160, QByteArray("0042").append(60, '\0'));
    QByteArray text = fileRecord(0, {0, -1, 1});
    for (const auto &[offset, width] : reservedAreas) {
        for (const int at : {offset, offset + width - 1}) {
            text[at] = char(0xA0 + width);
            number[at] = char(0x50 + width);
        }
    }
    const QByteArray bytes = fileHeader(2, 1, 2, 3) + text + number + fileOrder({1, 0});

    const LoadResult result = loadDocument(keepAsSeed(writeFile("reserved.pgt", bytes)), 20);
    QVERIFY(result.document);
    QCOMPARE(documentBytes(*result.document, {}), bytes);
    QCOMPARE(saveDocument(*result.document, {}, path("again.pgt")), QString());
    QCOMPARE(readFile(path("again.pgt")), bytes);
}

void TestDocumentFile::overwritingLeavesOnlyTheNewContent()
{
    Document doc = sampleDocument();
    QCOMPARE(saveDocument(doc, sampleBoxes, path("shrink.pgt")), QString());
    clearDocument(doc);
    QCOMPARE(saveDocument(doc, {}, path("shrink.pgt")), QString());
    QCOMPARE(readFile(path("shrink.pgt")).size(), 48);
}

void TestDocumentFile::longAndForeignTextIsCutAndReplaced()
{
    Document doc = sampleDocument();
    doc.objects[0].digits = 70;
    doc.objects[1].text = QString(70, QLatin1Char('x'));
    doc.objects[1].name = QString(63, QLatin1Char('n'));
    doc.objects[2].fontName = QStringLiteral("\u4e2d\u6587 Font");
    QCOMPARE(saveDocument(doc, sampleBoxes, path("long.pgt")), QString());
    const QByteArray file = readFile(path("long.pgt"));
    // The number's 70 characters are 68 zeros and "80".
    QCOMPARE(file.mid(48 + 160, 64), QByteArray(63, '0') + '\0');
    QCOMPARE(file.mid(48 + 388 + 160, 64), QByteArray(63, 'x') + '\0');
    QCOMPARE(file.mid(48 + 388 + 228, 64), QByteArray(63, 'n') + '\0');

    const LoadResult result = loadDocument(path("long.pgt"), 20);
    QVERIFY(result.document);
    const Document &loaded = *result.document;
    QCOMPARE(loaded.objects[1].text, QString(63, QLatin1Char('x')));
    QCOMPARE(loaded.objects[1].name, QString(63, QLatin1Char('n')));
    QCOMPARE(loaded.objects[2].fontName, QStringLiteral("?? Font"));

    // An area without a NUL ends at its 64th byte, not in the next field.
    QByteArray record = fileRecord(1);
    putText(record, 92, QByteArray(64, 'F'));
    const LoadResult full =
        loadDocument(writeFile("full.pgt", fileHeader(1, 0) + record + fileOrder({0})), 20);
    QVERIFY(full.document);
    QCOMPARE(full.document->objects[0].fontName, QString(64, QLatin1Char('F')));
}

void TestDocumentFile::largeCountsAreCut()
{
    QByteArray bytes = fileHeader(50, 60);
    QList<std::int32_t> reversed;
    for (int i = 0; i < 50; ++i) {
        bytes += fileRecord(i);
        reversed.prepend(i);
    }
    const LoadResult result =
        loadDocument(keepAsSeed(writeFile("fifty.pgt", bytes + fileOrder(reversed))), 20);
    QVERIFY(result.document);
    QCOMPARE(messagesOf(result), QStringList());
    QCOMPARE(result.storedObjects, 50);
    const Document &doc = *result.document;
    QCOMPARE(doc.count(), 20);
    QCOMPARE(doc.linkCount, 20);
    QVERIFY(doc.isFull());
    for (int i = 0; i < 20; ++i) {
        QCOMPARE(doc.objects[i].x, i);
        QCOMPARE(doc.objects[i].name, QStringLiteral("obj%1").arg(i));
    }
    // The file's order names records that were not read.
    QList<std::int32_t> identity;
    for (int i = 0; i < 20; ++i)
        identity.append(i);
    QCOMPARE(drawOrderOf(doc), identity);
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
    const LoadResult result =
        loadDocument(writeFile("pages.pgt", fileHeader(0, 0, shownInFile, toPrintInFile)), 20);
    QVERIFY(result.document);
    QCOMPARE(result.document->pageShown, shown);
    QCOMPARE(result.document->pagesToPrint, toPrintInFile);
}

void TestDocumentFile::refusedFilesLoadNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("zero length") << QByteArray();
    QTest::newRow("47 bytes") << fileHeader(0, 0).left(47);
    QTest::newRow("record size 387") << fileHeader(1, 0, 1, 1, 387) + fileRecord(1);
    QTest::newRow("record size 389") << fileHeader(1, 0, 1, 1, 389) + fileRecord(1) + '\0';
    QTest::newRow("negative objects") << fileHeader(-1, 0);
    QTest::newRow("negative links") << fileHeader(0, INT32_MIN);
}

void TestDocumentFile::refusedFilesLoadNothing()
{
    QFETCH(QByteArray, bytes);
    const LoadResult result = loadDocument(writeFile("refused.pgt", bytes), 20);
    QVERIFY(!result.document);
    QCOMPARE(messagesOf(result), QStringList{"Bad file header | O-o-o-ps | Bad file header"});
    QCOMPARE(result.storedObjects, 0);
}

void TestDocumentFile::unreadablePathsLoadNothing()
{
    for (const QString &unreadable : {path("missing.pgt"), m_dir.path()}) {
        const LoadResult result = loadDocument(unreadable, 20);
        QVERIFY(!result.document);
        QCOMPARE(result.messages.size(), 1);
        QCOMPARE(result.messages[0].text, QStringLiteral("Can't open file"));
        QCOMPARE(result.messages[0].caption, QStringLiteral("File Name"));
        // The system's reason, for the command line.
        QVERIFY(!result.messages[0].detail.isEmpty());
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

    const LoadResult result = loadDocument(keepAsSeed(writeFile("short.pgt", bytes)), 20);
    QVERIFY(result.document);
    QCOMPARE(messagesOf(result),
             QStringList{QStringLiteral("%1 | fontNameChar | the file ends inside object 3 of %2")
                             .arg(boxText)
                             .arg(headerCount)});
    QCOMPARE(result.storedObjects, headerCount);
    const Document &doc = *result.document;
    QCOMPARE(doc.count(), objects);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(recordBytesOf(doc.objects[i]), fileRecord(i));
    if (objects == 3) {
        // Unread link fields would say link 0, which the file does not have.
        QByteArray expected = last.left(lastRecordBytes);
        expected.append(QByteArray(388 - expected.size(), '\0'));
        expected.replace(64, 12, QByteArray(12, char(0xFF)));
        QCOMPARE(recordBytesOf(doc.objects[2]), expected);
        QCOMPARE(doc.objects[2].fontName, boxText);
    }
    QList<std::int32_t> identity;
    for (int i = 0; i < objects; ++i)
        identity.append(i);
    QCOMPARE(drawOrderOf(doc), identity);
}

void TestDocumentFile::shortLastRecordKeepsTheLinksBeforeIt()
{
    // Cut before the link fields of the last record.
    const QByteArray bytes = fileHeader(3, 1) + fileRecord(0, {0, -1, 1}) +
                             fileRecord(1, {0, 0, -1}) + fileRecord(2).left(50);
    const LoadResult result = loadDocument(keepAsSeed(writeFile("shortlinked.pgt", bytes)), 20);
    QVERIFY(result.document);
    const Document &doc = *result.document;
    QCOMPARE(doc.count(), 3);
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
    const LoadResult result = loadDocument(keepAsSeed(writeFile("order.pgt", bytes)), 20);
    QVERIFY(result.document);
    QCOMPARE(messagesOf(result), QStringList());
    QCOMPARE(result.document->count(), 3);
    QCOMPARE(drawOrderOf(*result.document), expected);
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
    const LoadResult result =
        loadDocument(keepAsSeed(writeFile("links.pgt", bytes + fileOrder({0, 1, 2, 3, 4}))), 20);
    QVERIFY(result.document);
    const Document &doc = *result.document;
    QCOMPARE(doc.linkCount, 2);
    for (int i = 0; i < 5; ++i) {
        const PageObject &object = doc.objects[i];
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
    const LoadResult result = loadDocument(keepAsSeed(writeFile("marks.pgt", marks)), 20);
    QVERIFY(result.document);
    QCOMPARE(marksOf(*result.document), (QList<int>{0, -1, 1, 1}));
    QCOMPARE(selectedCount(*result.document), 2);
    QCOMPARE(firstSelected(*result.document), 2);

    const QByteArray noMarks = fileHeader(1, 0) + fileRecord(0, {}, 2) + fileOrder({0});
    const LoadResult none = loadDocument(writeFile("nomarks.pgt", noMarks), 20);
    QVERIFY(none.document);
    QCOMPARE(selectedCount(*none.document), 0);
    QCOMPARE(firstSelected(*none.document), 1);
}

void TestDocumentFile::failedSaveKeepsTheOldFile()
{
    const Document doc = sampleDocument();
    const auto expectError = [](const QString &error) {
        QVERIFY(!error.isEmpty());
        QVERIFY(error.size() <= 100);
    };

    QVERIFY(QDir(m_dir.path()).mkdir("folder.pgt"));
    expectError(saveDocument(doc, sampleBoxes, path("folder.pgt")));
    QVERIFY(QFileInfo(path("folder.pgt")).isDir());

    expectError(saveDocument(doc, sampleBoxes, path("no/such/dir.pgt")));

    // Running out of room halfway: the earlier version must survive whole.
    const QByteArray old = fileHeader(0, 0, 4, 8);
    writeFile("old.pgt", old);
    const QStringList entriesBefore = QDir(m_dir.path()).entryList(QDir::Files);
    {
        const FileSizeLimit limit(500);
        expectError(saveDocument(doc, sampleBoxes, path("old.pgt")));
    }
    QCOMPARE(readFile(path("old.pgt")), old);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), entriesBefore);
}

void TestDocumentFile::fileInAFolderThatCannotBeWrittenIsSavedInPlace()
{
    const Document doc = sampleDocument();
    QCOMPARE(saveDocument(doc, sampleBoxes, path("free.pgt")), QString());

    QVERIFY(QDir(m_dir.path()).mkdir("locked"));
    const QString locked = path("locked/doc.pgt");
    writeFile("locked/doc.pgt", fileHeader(0, 0));
    const auto all = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const auto enter = QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    const auto write = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    QVERIFY(QFile::setPermissions(m_dir.path(), all | enter | QFileDevice::WriteOwner));
    QVERIFY(QFile::setPermissions(path("locked"), all | enter));
    QVERIFY(QFile::setPermissions(locked, all | write));

    const bool saved = saveWithoutFolderRights(doc, locked);
    QFile::setPermissions(path("locked"), all | enter | QFileDevice::WriteOwner);
    QVERIFY(saved);
    QCOMPARE(readFile(locked), readFile(path("free.pgt")));
    QCOMPARE(QDir(path("locked")).entryList(QDir::Files), QStringList{"doc.pgt"});
}

void TestDocumentFile::loadedDocumentTakesObjectsUpToItsCapacity()
{
    const QString smaller =
        writeFile("smaller.pgt", fileHeader(1, 0) + fileRecord(9) + fileOrder({0}));

    // A number placed now is the same as one placed beside one object in a new document.
    LoadResult result = loadDocument(smaller, 20);
    QVERIFY(result.document);
    Document loaded = *result.document;
    QCOMPARE(loaded.capacity, 20);
    Document fresh = emptyDocument(20);
    addObject(fresh, KindText, 0, 0, QString());
    QCOMPARE(createObject(loaded, KindNumber, 30, 40), 1);
    QCOMPARE(createObject(fresh, KindNumber, 30, 40), 1);
    QCOMPARE(objectDump(loaded.objects[1]), objectDump(fresh.objects[1]));
    QCOMPARE(loaded.objects[1].name, QStringLiteral("num1"));
    QCOMPARE(drawOrderOf(loaded), (QList<std::int32_t>{0, 1}));

    // Loaded with room for its one object only, it takes no more.
    result = loadDocument(smaller, 1);
    QVERIFY(result.document);
    loaded = *result.document;
    QCOMPARE(createObject(loaded, KindNumber, 30, 40), std::nullopt);
    QCOMPARE(loaded.count(), 1);
}

QTEST_GUILESS_MAIN(TestDocumentFile)
#include "tst_documentfile.moc"

namespace {

// Two numbers and a text: the first hexadecimal with a prefix, the second in
// base 36 repeating, with a check and a width from the run.
Document formattedDocument()
{
    Document doc = emptyDocument(20);
    const int hex = addNumber(doc, 10, 10, 255, 4);
    doc.objects[hex].format.system = NumberSystem::Hexadecimal;
    doc.objects[hex].format.prefix = QStringLiteral("No. ");
    const int base36 = addNumber(doc, 10, 40, 35, 3);
    NumberFormat &format = doc.objects[base36].format;
    format = NumberFormat{.suffix = QStringLiteral(" of {last}"),
                          .repeat = 3,
                          .check = CheckDigit::Luhn,
                          .system = NumberSystem::Base36,
                          .autoWidth = true};
    addObject(doc, KindText, 10, 70, QStringLiteral("Hello!"));
    return doc;
}

// The JSON of the block after a drawing order of `count` entries.
QJsonObject blockJson(const QByteArray &file, int count)
{
    const qsizetype at = 48 + qsizetype{count} * 392;
    if (file.mid(at, 4) != "PGTX")
        return {};
    const auto length = static_cast<qsizetype>(getLe(file, int(at) + 4, 4));
    return QJsonDocument::fromJson(file.mid(at + 8, length)).object();
}

} // namespace

// Each picture's bytes go once, under the id they give, whatever the file
// called them; a picture no object shows stays behind; the sheet of labels
// comes back whole.
void TestDocumentFile::picturesAndTheSheetTravelWithTheDocument()
{
    Document doc = emptyDocument(10);
    const QByteArray logo("logo bytes");
    const QByteArray form("form bytes");
    placePicture(doc, 0, 0, logo, QStringLiteral("logo.png"), 1, QSizeF(20, 10));
    placePicture(doc, 30, 0, logo, QStringLiteral("logo.png"), 1, QSizeF(40, 20));
    placePicture(doc, 0, 40, form, QStringLiteral("form.pdf"), 2, QSizeF(100, 140));
    doc.objects[2].picture->background = true;
    doc.objects[1].picture->printed = false;
    doc.pictures.add(QByteArray("shown by a step taken back"));
    SheetLayout sheet;
    sheet.paper = QSizeF(612, 792);
    sheet.label = QSizeF(189, 72);
    sheet.grids = {{3, 10, 11.25, 36, 200.25, 72}};
    sheet.order = SheetOrder::DownColumns;
    doc.sheet = sheet;

    QByteArray file = documentBytes(doc, {});
    QCOMPARE(file.count(logo.toBase64()), 1);
    QCOMPARE(file.count(form.toBase64()), 1);
    QCOMPARE(file.count(QByteArray("shown by a step taken back").toBase64()), 0);
    // A file that calls its pictures otherwise.
    file.replace(pictureId(logo).toLatin1(), QByteArray(32, 'a'));

    const LoadResult loaded = readDocument(file, 20);
    QCOMPARE(messagesOf(loaded), QStringList());
    QVERIFY(loaded.document);
    const Document &back = *loaded.document;
    QCOMPARE(back.pictures.entries().size(), std::size_t{2});
    for (int i = 0; i < doc.count(); ++i) {
        const PictureRef &picture = *back.objects[i].picture;
        QCOMPARE(picture.id, doc.objects[i].picture->id);
        QCOMPARE(back.pictures.bytes(picture.id), doc.pictures.bytes(picture.id));
        QCOMPARE(picture.width, doc.objects[i].picture->width);
        QCOMPARE(picture.page, doc.objects[i].picture->page);
        QCOMPARE(picture.background, doc.objects[i].picture->background);
        QCOMPARE(picture.printed, doc.objects[i].picture->printed);
    }
    QCOMPARE(back.sheet, doc.sheet);
}

// The data source comes back whole and the file goes back out as it came; a
// counting that names an object that is no number damages the block; the
// countings follow the objects through a cut and a deletion.
// A shape's record is an object of its own kind; what it draws goes in its
// entry, and a drawing on any other kind is damage.
void TestDocumentFile::shapesTravelWithTheDocument()
{
    Document doc = emptyDocument(20);
    addNumber(doc, 10, 10, 7, 3);
    const int tear = addObject(doc, KindShape, 120, 4, QString());
    ShapeStyle &line = doc.objects[tear].shape.emplace();
    line.width = 0;
    line.height = 64;
    line.dash = {3, 2};
    const int box = addObject(doc, KindShape, 4, 4, QString());
    ShapeStyle &ellipse = doc.objects[box].shape.emplace();
    ellipse.type = ShapeType::Ellipse;
    ellipse.width = 72;
    ellipse.height = 36.5;
    ellipse.stroke = 0;
    ellipse.color = 0x123456;
    ellipse.fill = 0xFF8000;
    const QByteArray file = documentBytes(doc, {});
    const QJsonObject objects = blockJson(file, 3).value(QStringLiteral("objects")).toObject();
    QCOMPARE(
        objects.value(QStringLiteral("1")).toObject().value(QStringLiteral("shape")).toObject(),
        (QJsonObject{{"type", "line"},
                     {"width", 0},
                     {"height", 64},
                     {"stroke", 1},
                     {"color", "#000000"},
                     {"dash", QJsonArray{3, 2}}}));
    const LoadResult loaded = readDocument(file, 20);
    QCOMPARE(messagesOf(loaded), QStringList());
    for (const int shape : {tear, box}) {
        QCOMPARE(objectDump(loaded.document->objects[shape]), objectDump(doc.objects[shape]));
        QVERIFY(loaded.document->objects[shape].shape == doc.objects[shape].shape);
    }
    QCOMPARE(documentBytes(*loaded.document, {}), file);

    Document drawnNumber = doc;
    drawnNumber.objects[0].shape = ShapeStyle();
    const LoadResult damaged = readDocument(documentBytes(drawnNumber, {}), 20);
    QVERIFY(!messagesOf(damaged).isEmpty());
    QVERIFY(!damaged.document->objects[0].shape);
}

void TestDocumentFile::backNumbersNameAFrontNumber_data()
{
    QTest::addColumn<int>("object");   // the number on the back that names another
    QTest::addColumn<int>("sameAs");   // what it names
    QTest::addColumn<bool>("damaged"); // the block then read as damaged
    QTest::newRow("a front number") << 1 << 0 << false;
    QTest::newRow("itself") << 1 << 1 << true;
    QTest::newRow("a text") << 1 << 2 << true;
    QTest::newRow("from a text") << 2 << 0 << true;
    QTest::newRow("no object of the table") << 1 << 7 << true;
    QTest::newRow("one that names another itself") << 0 << 1 << true;
}

// A two-sided document comes back as it was saved; a back number naming
// anything but a number that shows its own values is damage.
void TestDocumentFile::backNumbersNameAFrontNumber()
{
    QFETCH(int, object);
    QFETCH(int, sameAs);
    QFETCH(bool, damaged);
    Document doc = emptyDocument(20);
    addNumber(doc, 10, 10, 7, 3);
    addNumber(doc, 10, 40, 1, 3);
    addObject(doc, KindText, 10, 70, QStringLiteral("stub"));
    doc.duplex = Duplex::LongEdge;
    doc.objects[1].side = Side::Back;
    doc.objects[1].sameAs = 0;
    doc.objects[object].sameAs = sameAs;
    QCOMPARE(saveDocument(doc, {}, path("sides.pgt")), QString());
    const LoadResult loaded = loadDocument(path("sides.pgt"), 20);
    QVERIFY(loaded.document);
    QCOMPARE(messagesOf(loaded).isEmpty(), !damaged);
    const auto sides = [](const Document &d) {
        QList<std::pair<Side, std::int32_t>> each;
        for (const PageObject &o : d.objects)
            each.append({o.side, o.sameAs});
        return std::pair(d.duplex, each);
    };
    QCOMPARE(sides(*loaded.document) == sides(doc), !damaged);
    if (damaged)
        QCOMPARE(loaded.document->objects[object].sameAs, -1);
    else
        QCOMPARE(documentBytes(*loaded.document, {}), readFile(path("sides.pgt")));
}

void TestDocumentFile::theDataSourceTravelsWithTheDocument()
{
    Document doc = formattedDocument();
    doc.data = DataSourceSettings{.file = "orders.csv", .quantity = "Qty"};
    doc.data->counting[0] = {NumberCounting::Mode::Restart};
    doc.data->counting[1] = {NumberCounting::Mode::StartColumn, "First"};
    const QByteArray file = documentBytes(doc, {});
    QCOMPARE(blockJson(file, 3).value(QStringLiteral("data")).toObject(),
             QJsonDocument::fromJson(R"({"file":"orders.csv","quantity":"Qty","counting":)"
                                     R"({"0":"restart","1":{"startColumn":"First"}}})")
                 .object());
    const LoadResult loaded = readDocument(file, 20);
    QCOMPARE(messagesOf(loaded), QStringList());
    QVERIFY(loaded.document);
    QCOMPARE(loaded.document->data, doc.data);
    QCOMPARE(documentBytes(*loaded.document, {}), file);
    keepAsSeed(writeFile("data.pgt", file));

    Document countsText = doc;
    countsText.data->counting[2] = {NumberCounting::Mode::Restart};
    const QByteArray damagedFile = documentBytes(countsText, {});
    const LoadResult damaged = readDocument(damagedFile, 20);
    QCOMPARE(messagesOf(damaged), QStringList{"Some number formats could not be read | Number "
                                              "Formats | Some number formats could not be read"});
    QCOMPARE(damaged.document->data, std::nullopt);
    // The records show plain numbers now; the block goes back as it came.
    const qsizetype blockStart = 48 + 3 * 392;
    QCOMPARE(documentBytes(*damaged.document, {}).mid(blockStart), damagedFile.mid(blockStart));

    const LoadResult cut = readDocument(file, 1);
    QVERIFY(cut.document);
    QCOMPARE(cut.document->data->counting,
             (std::map<std::int32_t, NumberCounting>{{0, {NumberCounting::Mode::Restart}}}));

    deleteObject(doc, 0);
    QCOMPARE(doc.data->counting, (std::map<std::int32_t, NumberCounting>{
                                     {0, {NumberCounting::Mode::StartColumn, "First"}}}));
}

void TestDocumentFile::numberFormatsTravelAfterTheDrawingOrder()
{
    Document doc = formattedDocument();
    // What a later version wrote that this one does not know.
    doc.objects[1].unknownKeys = {{QStringLiteral("engraving"), R"({"depth":2})"}};
    doc.objects[1].format.barcode = BarcodeStyle{.symbology = Symbology::Qr,
                                                 .barHeight = 40,
                                                 .moduleWidth = 2,
                                                 .unknownKeys = {{"quiet", "4"}}};
    doc.extensionKeys = {{QStringLiteral("layers"), "2"}};
    const QByteArray file = documentBytes(doc, {});
    const QJsonObject json = blockJson(file, 3);
    QCOMPARE(json.value(QStringLiteral("version")).toInt(), 1);
    QCOMPARE(json.value(QStringLiteral("layers")).toInt(), 2);
    const QJsonObject objects = json.value(QStringLiteral("objects")).toObject();
    // The record says hexadecimal: the block names only what it must.
    QCOMPARE(objects.value(QStringLiteral("0")).toObject(),
             (QJsonObject{{QStringLiteral("prefix"), QStringLiteral("No. ")}}));
    const QJsonObject second = objects.value(QStringLiteral("1")).toObject();
    QCOMPARE(second.keys(), (QStringList{"autoWidth", "barcode", "check", "engraving", "repeat",
                                         "suffix", "system"}));
    QCOMPARE(
        second.value(QStringLiteral("barcode")).toObject(),
        (QJsonObject{
            {"symbology", "qr"}, {"height", 40}, {"module", 2}, {"text", true}, {"quiet", 4}}));
    QVERIFY(!objects.contains(QStringLiteral("2")));

    const LoadResult loaded = readDocument(file, 20);
    QCOMPARE(messagesOf(loaded), QStringList());
    QVERIFY(loaded.document);
    for (int i = 0; i < doc.count(); ++i) {
        QVERIFY(loaded.document->objects[i].format == doc.objects[i].format);
        QCOMPARE(loaded.document->objects[i].unknownKeys, doc.objects[i].unknownKeys);
    }
    QCOMPARE(loaded.document->extensionKeys, doc.extensionKeys);
    QCOMPARE(documentBytes(*loaded.document, {}), file);
    keepAsSeed(writeFile("formats.pgt", file));

    // Without formats the file is what it always was.
    for (PageObject &object : doc.objects) {
        object.format = NumberFormat{};
        object.unknownKeys = {};
    }
    doc.extensionKeys = {};
    QCOMPARE(documentBytes(doc, {}).size(), 48 + 3 * 392);
}

// The record's field keeps a start it holds, as it always did; a larger one
// goes in the block as text, and is read back only while the field still
// holds its low bits: a version of 32-bit values that changed the start
// wrote the field alone.
void TestDocumentFile::startsPastThirtyTwoBitsTravelInTheBlock_data()
{
    QTest::addColumn<NumberValue>("start");
    QTest::addColumn<bool>("hexadecimal");
    QTest::addColumn<QString>("inBlock"); // empty: the record holds it
    QTest::newRow("small") << NumberValue{7} << false << "";
    QTest::newRow("negative") << NumberValue{-5} << false << "";
    QTest::newRow("ten digits") << NumberValue{3000000001} << false << "3000000001";
    QTest::newRow("largest") << std::numeric_limits<NumberValue>::max() << false
                             << "9223372036854775807";
    QTest::newRow("hexadecimal, 32 bits") << NumberValue{0xFFFFFFFF} << true << "";
    QTest::newRow("hexadecimal, 33 bits") << NumberValue{0x1FFFFFFFF} << true << "8589934591";
    QTest::newRow("hexadecimal, negative") << NumberValue{-5} << true << "-5";
}

void TestDocumentFile::startsPastThirtyTwoBitsTravelInTheBlock()
{
    QFETCH(NumberValue, start);
    QFETCH(bool, hexadecimal);
    QFETCH(QString, inBlock);
    Document doc = emptyDocument(4);
    const int number = addNumber(doc, 10, 10, start, 4);
    if (hexadecimal)
        doc.objects[number].format.system = NumberSystem::Hexadecimal;
    const QByteArray file = documentBytes(doc, {});
    const QJsonObject entry =
        blockJson(file, 1).value(QStringLiteral("objects")).toObject().value("0").toObject();
    QCOMPARE(entry.value(QStringLiteral("start")).toString(), inBlock);
    if (inBlock.isEmpty())
        QCOMPARE(file.size(), 48 + 392);
    const LoadResult loaded = readDocument(file, 4);
    QVERIFY(loaded.document);
    QCOMPARE(loaded.document->objects[0].start, start);
    QCOMPARE(documentBytes(*loaded.document, {}), file);

    // The field changed by a version that knows no block start wins.
    QByteArray edited = file;
    edited[48 + 8] = char(edited[48 + 8] ^ 1);
    const LoadResult older = readDocument(edited, 4);
    QVERIFY(older.document);
    QCOMPARE(older.document->objects[0].start == start, false);
    QCOMPARE(static_cast<std::uint32_t>(older.document->objects[0].start),
             static_cast<std::uint32_t>(start) ^ 1u);
}

void TestDocumentFile::damagedFormatsLeavePlainNumbers_data()
{
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<bool>("damaged");
    const auto block = [](const QByteArray &json, int extra = 0) {
        QByteArray bytes("PGTX");
        bytes.append(QByteArray(4, '\0'));
        putLe(bytes, 4, json.size() + extra, 4);
        return bytes + json;
    };
    QTest::newRow("JSON that does not parse") << block("{\"version\": 1, ") << true;
    QTest::newRow("length past the end") << block("{\"version\": 1}", 5) << true;
    QTest::newRow("repeat out of range")
        << block(R"({"version": 1, "objects": {"0": {"repeat": 0}}})") << true;
    QTest::newRow("prefix of the wrong type")
        << block(R"({"version": 1, "objects": {"0": {"prefix": 7}}})") << true;
    QTest::newRow("barcode of no known symbology")
        << block(R"({"version": 1, "objects": {"0": {"barcode": {"symbology": "pdf417"}}}})")
        << true;
    QTest::newRow("barcode module out of range")
        << block(
               R"({"version": 1, "objects": {"0": {"barcode": {"symbology": "qr", "module": 0}}}})")
        << true;
    // One wrong letter in the tag, or the tag gone with its length and JSON left.
    QTest::newRow("tag PGTx") << "PGTx" +
                                     block(R"({"version":1,"objects":{"0":{"repeat":2}}})").mid(4)
                              << true;
    QTest::newRow("tag gone") << QByteArray(4, '\0') + block(R"({"version":1,"objects":{}})").mid(4)
                              << true;
    // What follows the order of a file written over a longer one in place.
    QTest::newRow("an old file's tail") << QByteArray("\x01\x02\x03\x04junk") << false;
    QTest::newRow("an old file's tail, a brace after a long length")
        << QByteArray("\x01\x02\x03\x04\xff\xff\x00\x00{}") << false;
}

void TestDocumentFile::damagedFormatsLeavePlainNumbers()
{
    QFETCH(QByteArray, after);
    QFETCH(bool, damaged);
    Document doc = emptyDocument(20);
    addNumber(doc, 10, 10, 7, 3);
    const QByteArray plain = documentBytes(doc, {});
    const LoadResult loaded = readDocument(plain + after, 20);
    QVERIFY(loaded.document);
    QCOMPARE(messagesOf(loaded),
             damaged ? QStringList{"Some number formats could not be read | Number Formats | Some "
                                   "number formats could not be read"}
                     : QStringList());
    // A damaged block is kept as it came while nothing takes its place; an
    // old file's tail is not.
    QCOMPARE(documentBytes(*loaded.document, {}), damaged ? plain + after : plain);
    QVERIFY(!saveDropsUnreadFormats(*loaded.document));
    Document formatted = *loaded.document;
    formatted.objects[0].format.prefix = QStringLiteral("No. ");
    QCOMPARE(saveDropsUnreadFormats(formatted), damaged);
    formatted.objects[0].format.prefix.clear();
    QVERIFY(!saveDropsUnreadFormats(formatted));
}
