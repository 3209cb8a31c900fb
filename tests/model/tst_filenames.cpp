#include "documentbuilder.h"
#include "documentfile.h"
#include "filenames.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Writes `content` to the file the bytes `name` name in `folder`, without
// Qt's file names.
bool writeRaw(const QTemporaryDir &folder, const QByteArray &name, const QByteArray &content)
{
    const QByteArray path = QFile::encodeName(folder.path()) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && written;
}

} // namespace

// File names are the bytes the system gives: read as a name, each comes back
// as it was, and the name reaches its own file, not the one Qt would read it as.
class TestFileNames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyNameComesBackAsItsBytes()
    {
        const quint32 seed = qEnvironmentVariableIntValue("PAGINETTE_SEED");
        QRandomGenerator random(seed ? seed : 2026);
        for (int round = 0; round < 5000; ++round) {
            QByteArray bytes;
            const int length = random.bounded(0, 24);
            for (int i = 0; i < length; ++i) {
                // Mostly text, with stray bytes, cut sequences and surrogates' bytes.
                const int kind = random.bounded(4);
                if (kind == 0)
                    bytes.append(char(random.bounded(1, 256)));
                else if (kind == 1)
                    bytes.append(QStringLiteral("é€😀").toUtf8().mid(random.bounded(0, 9),
                                                                    random.bounded(1, 5)));
                else
                    bytes.append(char(random.bounded(0x20, 0x7F)));
            }
            const QString name = fileNameFromNative(bytes);
            const QByteArray where = bytes.toHex();
            QVERIFY2(nativeFileName(name) == bytes, where.constData());
            // UTF-8 reads as Qt reads it; anything else is told apart, and shows as Qt shows it.
            const bool utf8 = QString::fromUtf8(bytes).toUtf8() == bytes;
            QVERIFY2(holdsNonUtf8(name) != utf8, where.constData());
            if (utf8)
                QVERIFY2(name == QString::fromUtf8(bytes), where.constData());
            QVERIFY2(!shownFileName(name).contains(QChar(0xDCFF)), where.constData());
        }
    }

    void aNameReachesItsOwnFile_data()
    {
        QTest::addColumn<bool>("relative");
        QTest::newRow("an absolute name") << false;
        QTest::newRow("a name in the working folder") << true;
    }

    void aNameReachesItsOwnFile()
    {
        QFETCH(bool, relative);
        const QTemporaryDir folder;
        Document three = emptyDocument(5);
        three.pagesToPrint = 3;
        Document five = three;
        five.pagesToPrint = 5;
        const QByteArray name = QByteArray("doc") + '\xff' + ".pgt";
        // The twin under the name Qt reads the bytes as.
        QVERIFY(writeRaw(folder, name, documentBytes(three, {})));
        QVERIFY(writeRaw(folder, QString::fromUtf8(name).toUtf8(), documentBytes(five, {})));
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        const QString given =
            relative ? fileNameFromNative(name) : folder.path() + u'/' + fileNameFromNative(name);
        const QString absolute = absoluteFileName(given);
        const LoadResult read = loadDocument(absolute, 5);
        QVERIFY(QDir::setCurrent(saved));
        QVERIFY(read.document);
        QCOMPARE(read.document->pagesToPrint, 3);
        QCOMPARE(nativeFileName(absolute), QFile::encodeName(folder.path()) + '/' + name);
    }
};

QTEST_GUILESS_MAIN(TestFileNames)
#include "tst_filenames.moc"
