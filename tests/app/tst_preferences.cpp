#include "messagerecorder.h"
#include "preferences.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray recordBytes(std::int32_t maxObjects, std::int32_t copy, std::int32_t showLinks)
{
    QByteArray bytes(prefRecordSize, '\0');
    auto *data = reinterpret_cast<uchar *>(bytes.data());
    qToLittleEndian(maxObjects, data + 28);
    qToLittleEndian(copy, data + 32);
    qToLittleEndian(showLinks, data + 152);
    return bytes;
}

std::int32_t int32At(const QByteArray &bytes, int offset)
{
    return qFromLittleEndian<std::int32_t>(bytes.constData() + offset);
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool isSymbolicLink(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void pathHonoursTemporaryDirectory();
    void firstStartCreatesDefaultFile();
    void nextStartAsksNothing();
    void storedCapacity_data();
    void storedCapacity();
    void recordIsLittleEndianAtItsOffsets();
    void shortFileKeepsUnreadBytes();
    void longFileKeepsItsTail();
    void reservedBytesAreWrittenBack();
    void symbolicLinkIsNeitherFollowedNorWrittenThrough();
    void danglingLinkCreatesNothing();
    void fileOfAnotherUserIsNotTrusted();
    void missingDirectoryShowsOneErrorAndStarts();
    void pathThatIsNoDirectoryShowsOneError();
    void fifoAtThePathDoesNotHang();

private:
    QString path() const { return m_dir->filePath(QStringLiteral("pgtpc.ini")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_savedTmpdir;
};

void TestPreferences::init()
{
    m_savedTmpdir = qgetenv("TMPDIR");
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("TMPDIR", QFile::encodeName(m_dir->path()));
}

void TestPreferences::cleanup()
{
    qputenv("TMPDIR", m_savedTmpdir);
    m_dir.reset();
}

void TestPreferences::pathHonoursTemporaryDirectory()
{
    QCOMPARE(preferencesPath(), QDir(m_dir->path()).canonicalPath() + QStringLiteral("/pgtpc.ini"));
}

void TestPreferences::firstStartCreatesDefaultFile()
{
    MessageRecorder recorder;
    prefStruct prefs{};
    QCOMPARE(loadStartupPreferences(prefs, preferencesPath()), 20);

    QCOMPARE(recorder.messages.size(), 1);
    QCOMPARE(recorder.messages.first(),
             MessageRecorder::Message(QStringLiteral("Creating preferences file"),
                                      QStringLiteral("File")));
    const QByteArray bytes = readFile(path());
    QByteArray expected = recordBytes(20, 20, 0);
    QCOMPARE(bytes, expected);
    QCOMPARE(prefs.maxObjects, 20);
    QCOMPARE(prefs.maxObjectsCopy, 20);

    // Only its owner may read or write it.
    QCOMPARE(QFile::permissions(path()) &
                 (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
             QFile::Permissions());
}

void TestPreferences::nextStartAsksNothing()
{
    {
        MessageRecorder first;
        prefStruct prefs{};
        loadStartupPreferences(prefs, preferencesPath());
    }
    MessageRecorder recorder;
    prefStruct prefs{};
    QCOMPARE(loadStartupPreferences(prefs, preferencesPath()), 20);
    QVERIFY(recorder.messages.isEmpty());
    QCOMPARE(readPreferences(prefs, path()), std::int16_t(0));
}

void TestPreferences::storedCapacity_data()
{
    QTest::addColumn<std::int32_t>("stored");
    QTest::addColumn<int>("capacity");
    QTest::newRow("50") << std::int32_t(50) << 50;
    QTest::newRow("0 leaves no room") << std::int32_t(0) << 0;
    QTest::newRow("10000") << std::int32_t(10000) << 10000;
    QTest::newRow("10001") << std::int32_t(10001) << 20;
    QTest::newRow("-5") << std::int32_t(-5) << 20;
    QTest::newRow("int32 max") << std::int32_t(2147483647) << 20;
    QTest::newRow("int32 min") << std::int32_t(-2147483647 - 1) << 20;
}

void TestPreferences::storedCapacity()
{
    QFETCH(std::int32_t, stored);
    QFETCH(int, capacity);
    QVERIFY(writeFile(path(), recordBytes(stored, stored, 0)));
    MessageRecorder recorder;
    prefStruct prefs{};
    QCOMPARE(loadStartupPreferences(prefs, preferencesPath()), capacity);
    QVERIFY(recorder.messages.isEmpty());
    // The stored value itself is kept as read.
    QCOMPARE(prefs.maxObjects, stored);
}

void TestPreferences::recordIsLittleEndianAtItsOffsets()
{
    MessageRecorder recorder;
    prefStruct prefs{};
    prefs.maxObjects = 0x01020304;
    prefs.maxObjectsCopy = -2;
    prefs.showLinks = 1;
    QCOMPARE(writePreferences(prefs, path()), 0);

    const QByteArray bytes = readFile(path());
    QCOMPARE(bytes.size(), 156);
    QCOMPARE(bytes.mid(28, 4), QByteArray("\x04\x03\x02\x01", 4));
    QCOMPARE(int32At(bytes, 32), -2);
    QCOMPARE(int32At(bytes, 152), 1);

    prefStruct back{};
    QCOMPARE(readPreferences(back, path()), std::int16_t(0));
    QCOMPARE(back.maxObjects, 0x01020304);
    QCOMPARE(back.maxObjectsCopy, -2);
    QCOMPARE(back.showLinks, 1);
    QVERIFY(recorder.messages.isEmpty());
}

void TestPreferences::shortFileKeepsUnreadBytes()
{
    // 30 bytes: the two low bytes of maxObjects are in the file, the rest is not.
    QByteArray bytes = recordBytes(0x0105, 0, 0).left(30);
    QVERIFY(writeFile(path(), bytes));
    MessageRecorder recorder;
    prefStruct prefs{};
    prefs.maxObjects = 0x7F000000;
    prefs.showLinks = 1;
    QCOMPARE(readPreferences(prefs, path()), std::int16_t(0));
    QCOMPARE(prefs.maxObjects, 0x7F000105);
    QCOMPARE(prefs.showLinks, 1);
    QVERIFY(recorder.messages.isEmpty());

    // An empty file at start-up leaves maxObjects at 0: a table with no room.
    QVERIFY(writeFile(path(), QByteArray()));
    prefStruct fresh{};
    QCOMPARE(loadStartupPreferences(fresh, preferencesPath()), 0);
    QVERIFY(recorder.messages.isEmpty());
}

void TestPreferences::longFileKeepsItsTail()
{
    const QByteArray tail("tail that is not ours", 21);
    QVERIFY(writeFile(path(), recordBytes(35, 35, 0) + tail));
    MessageRecorder recorder;
    prefStruct prefs{};
    QCOMPARE(loadStartupPreferences(prefs, preferencesPath()), 35);
    prefs.showLinks = 1;
    prefs.maxObjects = 7;
    QCOMPARE(writePreferences(prefs, path()), 0);

    const QByteArray bytes = readFile(path());
    QCOMPARE(bytes.size(), 156 + tail.size());
    QCOMPARE(bytes.mid(156), tail);
    QCOMPARE(int32At(bytes, 28), 7);
    QCOMPARE(int32At(bytes, 152), 1);
}

void TestPreferences::reservedBytesAreWrittenBack()
{
    QByteArray bytes = recordBytes(20, 20, 0);
    for (int i = 0; i < 28; ++i)
        bytes[i] = char(0xA0 + i);
    for (int i = 36; i < 152; ++i)
        bytes[i] = char(i);
    QVERIFY(writeFile(path(), bytes));
    MessageRecorder recorder;
    prefStruct prefs{};
    QCOMPARE(readPreferences(prefs, path()), std::int16_t(0));
    prefs.maxObjects = 35;
    prefs.maxObjectsCopy = 35;
    QCOMPARE(writePreferences(prefs, path()), 0);

    QByteArray expected = bytes;
    qToLittleEndian(std::int32_t(35), reinterpret_cast<uchar *>(expected.data()) + 28);
    qToLittleEndian(std::int32_t(35), reinterpret_cast<uchar *>(expected.data()) + 32);
    QCOMPARE(readFile(path()), expected);
}

void TestPreferences::symbolicLinkIsNeitherFollowedNorWrittenThrough()
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("victim"));
    const QByteArray victim = recordBytes(50, 50, 1);
    QVERIFY(writeFile(target, victim));
    QVERIFY(QFile::link(target, path()));

    MessageRecorder recorder;
    prefStruct prefs{};
    QCOMPARE(loadStartupPreferences(prefs, preferencesPath()), 20);
    QCOMPARE(recorder.captions(), QStringList{QStringLiteral("Error")});
    QVERIFY(!recorder.messages.first().first.isEmpty());
    QCOMPARE(prefs.showLinks, 0);

    QCOMPARE(writePreferences(prefs, path()), -1);
    QCOMPARE(readFile(target), victim);
    QVERIFY(isSymbolicLink(path()));
}

void TestPreferences::danglingLinkCreatesNothing()
{
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("planted"));
    QVERIFY(QFile::link(target, path()));

    MessageRecorder recorder;
    prefStruct prefs{};
    QCOMPARE(loadStartupPreferences(prefs, preferencesPath()), 20);
    QCOMPARE(writePreferences(prefs, path()), -1);
    QVERIFY(!QFile::exists(target));
    QCOMPARE(recorder.captions(), QStringList({QStringLiteral("Error"), QStringLiteral("Error")}));
}

void TestPreferences::fileOfAnotherUserIsNotTrusted()
{
    if (::geteuid() != 0)
        QSKIP("needs root to give the file away");
    const QByteArray planted = recordBytes(5000, 5000, 1);
    QVERIFY(writeFile(path(), planted));
    QCOMPARE(::chown(QFile::encodeName(path()).constData(), 65534, 65534), 0);

    MessageRecorder recorder;
    prefStruct prefs{};
    QCOMPARE(loadStartupPreferences(prefs, preferencesPath()), 20);
    QCOMPARE(prefs.showLinks, 0);
    QCOMPARE(recorder.captions(), QStringList{QStringLiteral("Error")});
    QCOMPARE(recorder.messages.first().first, QString::fromLocal8Bit(std::strerror(EACCES)));

    QCOMPARE(writePreferences(prefs, path()), -1);
    QCOMPARE(readFile(path()), planted);
}

void TestPreferences::missingDirectoryShowsOneErrorAndStarts()
{
    qputenv("TMPDIR", QFile::encodeName(m_dir->filePath(QStringLiteral("gone/deeper"))));
    // Nothing may land in the file-system root instead.
    QVERIFY(preferencesPath().isEmpty());

    MessageRecorder recorder;
    prefStruct prefs{};
    QCOMPARE(loadStartupPreferences(prefs, preferencesPath()), 20);
    QCOMPARE(recorder.captions(), QStringList{QStringLiteral("Error")});
    QCOMPARE(prefs.maxObjects, 20);
    QCOMPARE(prefs.maxObjectsCopy, 20);
}

void TestPreferences::pathThatIsNoDirectoryShowsOneError()
{
    const QString notADirectory = m_dir->filePath(QStringLiteral("plain"));
    QVERIFY(writeFile(notADirectory, "x"));
    qputenv("TMPDIR", QFile::encodeName(notADirectory));

    MessageRecorder recorder;
    prefStruct prefs{};
    QCOMPARE(loadStartupPreferences(prefs, preferencesPath()), 20);
    QCOMPARE(recorder.messages.size(), 1);
    QCOMPARE(recorder.messages.first().second, QStringLiteral("Error"));
    QCOMPARE(recorder.messages.first().first, QString::fromLocal8Bit(std::strerror(ENOTDIR)));
    QCOMPARE(readFile(notADirectory), QByteArray("x"));
}

void TestPreferences::fifoAtThePathDoesNotHang()
{
    QCOMPARE(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    MessageRecorder recorder;
    prefStruct prefs{};
    QCOMPARE(loadStartupPreferences(prefs, preferencesPath()), 20);
    QCOMPARE(writePreferences(prefs, path()), -1);
    QCOMPARE(recorder.captions(), QStringList({QStringLiteral("Error"), QStringLiteral("Error")}));
}

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
