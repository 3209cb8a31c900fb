#include "outputs/spool.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestOutputFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void spoolTakesThePlaceOnlyWhenAsked_data();
    void spoolTakesThePlaceOnlyWhenAsked();
};

void TestOutputFile::spoolTakesThePlaceOnlyWhenAsked_data()
{
    // A named spool is what file systems without anonymous files get.
    QTest::addColumn<Spool::Kind>("kind");
    QTest::addColumn<bool>("replace");
    QTest::newRow("anonymous, put in place") << Spool::Kind::Anonymous << true;
    QTest::newRow("anonymous, dropped") << Spool::Kind::Anonymous << false;
    QTest::newRow("named, put in place") << Spool::Kind::Named << true;
    QTest::newRow("named, dropped") << Spool::Kind::Named << false;
}

void TestOutputFile::spoolTakesThePlaceOnlyWhenAsked()
{
    QFETCH(Spool::Kind, kind);
    QFETCH(bool, replace);

    const QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.pdf"));
    const auto entries = [&dir] {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    };
    const auto content = [&out] {
        QFile file(out);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    {
        QFile old(out);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("the last run") == 12);
    }
    {
        Spool spool;
        QCOMPARE(spool.open(dir.path(), kind), 0);
        QCOMPARE(entries().size(), kind == Spool::Kind::Named ? 2 : 1);
        QCOMPARE(spool.file().write("the new run"), 11);
        QVERIFY(spool.file().finish());
        QCOMPARE(content(), QByteArray("the last run"));
        if (replace)
            QCOMPARE(spool.replace(out), 0);
    }
    QCOMPARE(entries(), QStringList{"out.pdf"});
    QCOMPARE(content(), QByteArray(replace ? "the new run" : "the last run"));
}

QTEST_GUILESS_MAIN(TestOutputFile)
#include "tst_outputfile.moc"
