#include "feedbackrecorder.h"
#include "filebytes.h"
#include "preferences.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

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
    void init()
    {
        m_savedTmpdir = qgetenv("TMPDIR");
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("TMPDIR", QFile::encodeName(m_dir->path()));
        m_recorder = std::make_unique<FeedbackRecorder>();
    }

    void cleanup()
    {
        m_recorder.reset();
        qputenv("TMPDIR", m_savedTmpdir);
        m_dir.reset();
    }

    void pathHonoursTemporaryDirectory()
    {
        QCOMPARE(preferencesPath(),
                 QDir(m_dir->path()).canonicalPath() + QStringLiteral("/pgtpc.ini"));
    }

    void firstStartCreatesDefaultFileOnce()
    {
        PreferencesRecord prefs{};
        QCOMPARE(loadStartupPreferences(prefs, preferencesPath(), feedback()), 20);

        QCOMPARE(m_recorder->messages.size(), 1);
        QCOMPARE(m_recorder->messages.first(),
                 FeedbackRecorder::Message(QStringLiteral("Creating preferences file"),
                                           QStringLiteral("File")));
        QCOMPARE(readFile(path()), preferenceRecord(20, 20, 0));
        QCOMPARE(prefs.maxObjects, 20);
        QCOMPARE(prefs.maxObjectsCopy, 20);

        // Only its owner may read or write it.
        QCOMPARE(QFile::permissions(path()) &
                     (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());

        // The next start finds it and asks nothing.
        PreferencesRecord next{};
        QCOMPARE(loadStartupPreferences(next, preferencesPath(), feedback()), 20);
        QCOMPARE(m_recorder->messages.size(), 1);
        QCOMPARE(readPreferences(next, path(), feedback()), std::int16_t(0));
    }

    void storedCapacity_data()
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

    void storedCapacity()
    {
        QFETCH(std::int32_t, stored);
        QFETCH(int, capacity);
        QVERIFY(writeFile(path(), preferenceRecord(stored, stored, 0)));
        PreferencesRecord prefs{};
        QCOMPARE(loadStartupPreferences(prefs, preferencesPath(), feedback()), capacity);
        QVERIFY(m_recorder->messages.isEmpty());
        // The stored value itself is kept as read.
        QCOMPARE(prefs.maxObjects, stored);
    }

    void recordIsLittleEndianAtItsOffsets()
    {
        PreferencesRecord prefs{};
        prefs.maxObjects = 0x01020304;
        prefs.maxObjectsCopy = -2;
        prefs.showLinks = 1;
        QCOMPARE(writePreferences(prefs, path(), feedback()), 0);

        const QByteArray bytes = readFile(path());
        QCOMPARE(bytes.size(), 156);
        QCOMPARE(bytes.mid(28, 4), QByteArray("\x04\x03\x02\x01", 4));
        QCOMPARE(int32At(bytes, 32), -2);
        QCOMPARE(int32At(bytes, 152), 1);

        PreferencesRecord back{};
        QCOMPARE(readPreferences(back, path(), feedback()), std::int16_t(0));
        QCOMPARE(back.maxObjects, 0x01020304);
        QCOMPARE(back.maxObjectsCopy, -2);
        QCOMPARE(back.showLinks, 1);
        QVERIFY(m_recorder->messages.isEmpty());
    }

    void shortFileKeepsUnreadBytes()
    {
        // 30 bytes: the two low bytes of maxObjects are in the file, the rest is not.
        QByteArray bytes = preferenceRecord(0x0105, 0, 0).left(30);
        QVERIFY(writeFile(path(), bytes));
        PreferencesRecord prefs{};
        prefs.maxObjects = 0x7F000000;
        prefs.showLinks = 1;
        QCOMPARE(readPreferences(prefs, path(), feedback()), std::int16_t(0));
        QCOMPARE(prefs.maxObjects, 0x7F000105);
        QCOMPARE(prefs.showLinks, 1);
        QVERIFY(m_recorder->messages.isEmpty());

        // An empty file at start-up leaves maxObjects at 0: a table with no room.
        QVERIFY(writeFile(path(), QByteArray()));
        PreferencesRecord fresh{};
        QCOMPARE(loadStartupPreferences(fresh, preferencesPath(), feedback()), 0);
        QVERIFY(m_recorder->messages.isEmpty());
    }

    void longFileKeepsItsTail()
    {
        const QByteArray tail("tail that is not ours", 21);
        QVERIFY(writeFile(path(), preferenceRecord(35, 35, 0) + tail));
        PreferencesRecord prefs{};
        QCOMPARE(loadStartupPreferences(prefs, preferencesPath(), feedback()), 35);
        prefs.showLinks = 1;
        prefs.maxObjects = 7;
        QCOMPARE(writePreferences(prefs, path(), feedback()), 0);

        const QByteArray bytes = readFile(path());
        QCOMPARE(bytes.size(), 156 + tail.size());
        QCOMPARE(bytes.mid(156), tail);
        QCOMPARE(int32At(bytes, 28), 7);
        QCOMPARE(int32At(bytes, 152), 1);
    }

    void reservedBytesAreWrittenBack()
    {
        QByteArray bytes = preferenceRecord(20, 20, 0);
        for (int i = 0; i < 28; ++i)
            bytes[i] = char(0xA0 + i);
        for (int i = 36; i < 152; ++i)
            bytes[i] = char(i);
        QVERIFY(writeFile(path(), bytes));
        PreferencesRecord prefs{};
        QCOMPARE(readPreferences(prefs, path(), feedback()), std::int16_t(0));
        prefs.maxObjects = 35;
        prefs.maxObjectsCopy = 35;
        QCOMPARE(writePreferences(prefs, path(), feedback()), 0);

        QByteArray expected = bytes;
        putInt32(expected, 28, 35);
        putInt32(expected, 32, 35);
        QCOMPARE(readFile(path()), expected);
    }

    void symbolicLinkIsNeitherFollowedNorWrittenThrough()
    {
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("victim"));
        const QByteArray victim = preferenceRecord(50, 50, 1);
        QVERIFY(writeFile(target, victim));
        QVERIFY(QFile::link(target, path()));

        PreferencesRecord prefs{};
        QCOMPARE(loadStartupPreferences(prefs, preferencesPath(), feedback()), 20);
        QCOMPARE(m_recorder->captions(), QStringList{QStringLiteral("Error")});
        QVERIFY(!m_recorder->messages.first().first.isEmpty());
        QCOMPARE(prefs.showLinks, 0);

        QCOMPARE(writePreferences(prefs, path(), feedback()), -1);
        QCOMPARE(readFile(target), victim);
        QVERIFY(isSymbolicLink(path()));
    }

    void danglingLinkCreatesNothing()
    {
        QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("planted"));
        QVERIFY(QFile::link(target, path()));

        PreferencesRecord prefs{};
        QCOMPARE(loadStartupPreferences(prefs, preferencesPath(), feedback()), 20);
        QCOMPARE(writePreferences(prefs, path(), feedback()), -1);
        QVERIFY(!QFile::exists(target));
        QCOMPARE(m_recorder->captions(),
                 QStringList({QStringLiteral("Error"), QStringLiteral("Error")}));
    }

    void fileOfAnotherUserIsNotTrusted()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to give the file away");
        const QByteArray planted = preferenceRecord(5000, 5000, 1);
        QVERIFY(writeFile(path(), planted));
        QCOMPARE(::chown(QFile::encodeName(path()).constData(), 65534, 65534), 0);

        PreferencesRecord prefs{};
        QCOMPARE(loadStartupPreferences(prefs, preferencesPath(), feedback()), 20);
        QCOMPARE(prefs.showLinks, 0);
        QCOMPARE(m_recorder->captions(), QStringList{QStringLiteral("Error")});
        QCOMPARE(m_recorder->messages.first().first, QString::fromLocal8Bit(std::strerror(EACCES)));

        QCOMPARE(writePreferences(prefs, path(), feedback()), -1);
        QCOMPARE(readFile(path()), planted);
    }

    void missingDirectoryShowsOneErrorAndStarts()
    {
        qputenv("TMPDIR", QFile::encodeName(m_dir->filePath(QStringLiteral("gone/deeper"))));
        // Nothing may land in the file-system root instead.
        QVERIFY(preferencesPath().isEmpty());

        PreferencesRecord prefs{};
        QCOMPARE(loadStartupPreferences(prefs, preferencesPath(), feedback()), 20);
        QCOMPARE(m_recorder->captions(), QStringList{QStringLiteral("Error")});
        QCOMPARE(prefs.maxObjects, 20);
        QCOMPARE(prefs.maxObjectsCopy, 20);
    }

    void pathThatIsNoDirectoryShowsOneError()
    {
        const QString notADirectory = m_dir->filePath(QStringLiteral("plain"));
        QVERIFY(writeFile(notADirectory, "x"));
        qputenv("TMPDIR", QFile::encodeName(notADirectory));

        PreferencesRecord prefs{};
        QCOMPARE(loadStartupPreferences(prefs, preferencesPath(), feedback()), 20);
        QCOMPARE(m_recorder->captions(), QStringList{QStringLiteral("Error")});
        QCOMPARE(m_recorder->messages.first().first,
                 QString::fromLocal8Bit(std::strerror(ENOTDIR)));
        QCOMPARE(readFile(notADirectory), QByteArray("x"));
    }

    void fifoAtThePathDoesNotHang()
    {
        QCOMPARE(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
        PreferencesRecord prefs{};
        QCOMPARE(loadStartupPreferences(prefs, preferencesPath(), feedback()), 20);
        QCOMPARE(writePreferences(prefs, path(), feedback()), -1);
        QCOMPARE(m_recorder->captions(),
                 QStringList({QStringLiteral("Error"), QStringLiteral("Error")}));
    }

private:
    QString path() const { return m_dir->filePath(QStringLiteral("pgtpc.ini")); }
    Feedback feedback() const { return m_recorder->feedback(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FeedbackRecorder> m_recorder;
    QByteArray m_savedTmpdir;
};

QTEST_GUILESS_MAIN(TestPreferences)
#include "tst_preferences.moc"
