#include "documentbuilder.h"
#include "file/documentfile.h"
#include "shellfixture.h"

#include <QApplication>
#include <QProcess>
#include <QSocketNotifier>

#include <unistd.h>

namespace {

// This test run again as one of the two programs, built as main() builds
// it: "copy FILE" copies every object of FILE and holds the clipboard until
// its input closes; "paste FILE" pastes into a new document and saves it as
// FILE, failing if the program had anything to tell.
int runPeer(const QString &command, const QString &file)
{
    ShellFixture shell;
    shell.recorder.messages.clear(); // the first start's own
    const auto trigger = [&shell](const char *name) {
        shell.frame->findChild<QAction *>(QLatin1String(name))->trigger();
    };
    if (command == QLatin1String("paste")) {
        trigger("pasteAction");
        return saveDocument(shell.doc(), {}, file).isEmpty() && shell.recorder.messages.isEmpty()
                   ? 0
                   : 1;
    }
    shell.frame->openDocument(file);
    trigger("selectAllAction");
    trigger("copyAction");
    std::puts("copied");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, qApp, [] {
        char byte;
        if (read(STDIN_FILENO, &byte, 1) <= 0)
            QApplication::quit();
    });
    return QApplication::exec();
}

// Two numbers linked, with a prefix, a repeat and a QR code, and one in
// hexadecimal.
Document sourceDocument()
{
    Document doc = emptyDocument(10);
    doc.pagesToPrint = 6;
    const int first = addNumber(doc, 50, 50, 7, 3);
    const int second = addNumber(doc, 150, 50, 0, 3);
    doc.objects[first].format.prefix = QStringLiteral("No. {last}-");
    doc.objects[first].format.repeat = 2;
    doc.objects[second].format.barcode = BarcodeStyle{.symbology = Symbology::Qr};
    linkObjects(doc, 0, {first, second});
    const int hex = addNumber(doc, 50, 150, 255, 4);
    doc.objects[hex].format.system = NumberSystem::Hexadecimal;
    propagateLinks(doc);
    return doc;
}

} // namespace

// Copy in one program, Paste in a second: two processes on an X display of
// the test's own.
class TestClipboardPeers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pasteInASecondProgramGivesTheSameObjects()
    {
        const QTemporaryDir dir;
        QProcess display; // Xvfb picks a free display and names it when ready
        display.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                               QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QTRY_VERIFY_WITH_TIMEOUT(display.canReadLine(), 20000);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), u':' + display.readLine().trimmed());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        const auto peer = [&](QProcess &process, const char *command, const QString &file) {
            process.setProcessEnvironment(environment);
            process.start(QCoreApplication::applicationFilePath(), {QLatin1String(command), file});
        };

        const Document source = sourceDocument();
        const QString copied = dir.filePath(QStringLiteral("source.pgt"));
        const QString pasted = dir.filePath(QStringLiteral("pasted.pgt"));
        QCOMPARE(saveDocument(source, {}, copied), QString());
        QProcess copier;
        peer(copier, "copy", copied);
        QVERIFY(copier.waitForReadyRead(60000));
        QCOMPARE(copier.readLine().trimmed(), QByteArray("copied"));
        QProcess paster;
        peer(paster, "paste", pasted);
        QVERIFY(paster.waitForFinished(60000));
        copier.closeWriteChannel();
        QVERIFY(copier.waitForFinished(60000));
        display.terminate();
        display.waitForFinished();
        QCOMPARE(paster.exitCode() + copier.exitCode(), 0);

        LoadResult read = loadDocument(pasted, 10);
        QVERIFY(read.document);
        Document doc = *read.document;
        doc.pagesToPrint = source.pagesToPrint;
        QCOMPARE(doc.count(), source.count());
        for (int i = 0; i < doc.count(); ++i)
            QCOMPARE(doc.objects[i].format, source.objects[i].format);
        QCOMPARE(linksOf(doc), linksOf(source));
        for (std::int32_t page = 1; page <= doc.pagesToPrint; ++page)
            QCOMPARE(textsOf(doc, page), textsOf(source, page));
    }
};

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Paginette"));
    const QStringList arguments = QApplication::arguments();
    const QStringList peers{QStringLiteral("copy"), QStringLiteral("paste")};
    if (arguments.size() == 3 && peers.contains(arguments[1]))
        return runPeer(arguments[1], arguments[2]);
    TestClipboardPeers test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_clipboardpeers.moc"
