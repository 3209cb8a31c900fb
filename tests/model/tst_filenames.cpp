#include "filenames.h"

#include <QRandomGenerator>
#include <QTest>

// File names are the bytes the system gives: read as a name, each comes back
// as it was.
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
};

QTEST_GUILESS_MAIN(TestFileNames)
#include "tst_filenames.moc"
