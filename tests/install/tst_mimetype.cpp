#include "documentbuilder.h"
#include "file/documentfile.h"

#include <QMimeDatabase>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString paginetteType = QStringLiteral("application/x-paginette");

} // namespace

// The document type as a desktop sees it: the installed MIME package,
// compiled by update-mime-database, read through Qt's MIME database.
class TestMimeType : public QObject
{
    Q_OBJECT

    QString write(const QString &name, const QByteArray &content) const
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            return QString();
        return file.fileName();
    }

    // What the program writes for a document with one number.
    QByteArray savedDocument() const
    {
        Document doc = emptyDocument(1);
        addNumber(doc, 72, 72, 125, 5);
        const QString path = m_dir.filePath(QStringLiteral("saved by the program"));
        QFile file(path);
        return saveDocument(doc, {}, path).isEmpty() && file.open(QIODevice::ReadOnly)
                   ? file.readAll()
                   : QByteArray();
    }

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        // Only this database; Qt reads the folders at its first use.
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_dir.filePath(QStringLiteral("share"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("home"))));
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("share/mime/packages")));
        QVERIFY(QFile::copy(QStringLiteral(MIME_PACKAGE),
                            m_dir.filePath(QStringLiteral("share/mime/packages/paginette.xml"))));
        QCOMPARE(QProcess::execute(QStringLiteral("update-mime-database"),
                                   {m_dir.filePath(QStringLiteral("share/mime"))}),
                 0);
    }

    void typeOfFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("paginette");
        const QByteArray saved = savedDocument();
        QVERIFY(saved.size() > 8);
        QByteArray otherFormat = saved;
        otherFormat[0] = '\x03';
        QTest::newRow("saved by the program, no extension") << "run" << saved << true;
        QTest::newRow("saved by the program, other extension") << "run.bak" << saved << true;
        QTest::newRow("named .pgt") << "notes.pgt" << QByteArray("hello") << true;
        QTest::newRow("named .PGT") << "NOTES.PGT" << QByteArray("hello") << true;
        QTest::newRow("another format number") << "other" << otherFormat << false;
        QTest::newRow("the header cut short") << "short" << saved.left(7) << false;
        QTest::newRow("text") << "notes.txt" << QByteArray("hello") << false;
    }

    void typeOfFile()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, paginette);
        const QString path = write(name, content);
        QVERIFY(!path.isEmpty());
        const QString type = QMimeDatabase().mimeTypeForFile(path).name();
        QVERIFY2((type == paginetteType) == paginette,
                 qPrintable(QStringLiteral("type '%1'").arg(type)));
    }
};

QTEST_GUILESS_MAIN(TestMimeType)
#include "tst_mimetype.moc"
