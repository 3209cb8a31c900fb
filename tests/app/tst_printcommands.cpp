#include "apptestmain.h"
#include "documentbuilder.h"
#include "feedbackrecorder.h"
#include "modalscript.h"
#include "printcommands.h"
#include "printerjob.h"
#include "toolrun.h"

#include <QDir>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr std::int32_t windowHeight = 479;

int pdfPages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return static_cast<int>(file.readAll().count("/Type /Page\n"));
}

// The print commands over their own document with one number, `pages` Pages
// and page 2 shown; dialogs answered by the test, runs written to out.pdf.
struct PrintBench
{
    explicit PrintBench(std::int32_t pages = 3)
    {
        Document doc = emptyDocument(20);
        addNumber(doc, 72, 72, 125, 5);
        doc.pagesToPrint = pages;
        doc.pageShown = 2;
        editor.replace(doc);
        shell.docOpen = 1;
        render.printerResolution = 300; // as left by an earlier run on another printer
        PrintFrameHooks hooks;
        hooks.redraw = [this] {
            ++redraws;
        };
        hooks.documentWindowHeight = [] {
            return windowHeight;
        };
        commands = std::make_unique<PrintCommands>(editor, shell, render, view, recorder.feedback(),
                                                   hooks, &frame);

        dialogs.print = [this](QPrinter &printer) {
            ++printDialogs;
            printer.setOutputFileName(output);
            // A dialog may leave the printer at another resolution.
            printer.setResolution(600);
            return confirm;
        };
        dialogs.pageSetup = [this](QPrinter &printer) {
            printer.setPageOrientation(QPageLayout::Landscape);
            return confirm;
        };
        dialogs.progress = [this](std::int32_t) {
            return [this](std::int32_t page, std::int32_t) {
                return page != cancelAt;
            };
        };
        commands->setDialogs(dialogs);
    }

    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files); }

    QTemporaryDir dir;
    QString output = dir.filePath(QStringLiteral("out.pdf"));
    QWidget frame;
    FeedbackRecorder recorder;
    ShellState shell;
    DocumentEditor editor{shell};
    RenderState render;
    ViewState view;
    PrintDialogs dialogs;
    std::unique_ptr<PrintCommands> commands;
    bool confirm = true;
    int cancelAt = 0;
    int printDialogs = 0;
    int redraws = 0;
};

} // namespace

class TestPrintCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printRunsEveryPageAt360Dpi_data();
    void printRunsEveryPageAt360Dpi();
    void runsThatPrintNothing_data();
    void runsThatPrintNothing();
    void pageSetupTakesTheSheet_data();
    void pageSetupTakesTheSheet();
    void previewShowsEveryPage();
    void printDialogOffersNoRange();
    void progressDialogCountsPagesAndCancels();
};

void TestPrintCommands::printRunsEveryPageAt360Dpi_data()
{
    QTest::addColumn<bool>("fromThePreview");
    QTest::newRow("File > Print") << false;
    QTest::newRow("printed from the preview") << true;
}

void TestPrintCommands::printRunsEveryPageAt360Dpi()
{
    QFETCH(bool, fromThePreview);

    PrintBench bench;
    if (fromThePreview) {
        // What the preview does when the user prints from it, after its print dialog.
        bench.dialogs.preview = [&bench](QPrinter &printer,
                                         const std::function<void(QPrinter &)> &paint) {
            bench.dialogs.print(printer);
            paint(printer);
        };
        bench.commands->setDialogs(bench.dialogs);
        bench.commands->PrintPreview1Click();
    } else {
        bench.commands->Print1Click();
    }

    QCOMPARE(bench.printDialogs, 1);
    QCOMPARE(bench.recorder.errors(), QStringList());
    QCOMPARE(pdfPages(bench.output), 3);
    QCOMPARE(bench.files(), QStringList{"out.pdf"});
    QCOMPARE(bench.render.printerResolution, 360);
    QCOMPARE(bench.commands->printer().resolution(), 360);
    QCOMPARE(bench.commands->printer().docName(), QStringLiteral("Paginette 2.0"));
    QCOMPARE(bench.commands->printer().outputFileName(), bench.output);
    // Each page carries its own number, whatever page is shown.
    QCOMPARE((QStringList{pdfPageText(bench.output, 1), pdfPageText(bench.output, 2),
                          pdfPageText(bench.output, 3)}),
             (QStringList{"00125", "00126", "00127"}));
    QCOMPARE(bench.redraws, 0);
}

void TestPrintCommands::runsThatPrintNothing_data()
{
    QTest::addColumn<int>("docOpen");
    QTest::addColumn<int>("pages");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("cancelAt");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("printDialogs");
    QTest::addColumn<QList<FeedbackRecorder::Message>>("messages");
    QTest::addColumn<QString>("error");

    using Messages = QList<FeedbackRecorder::Message>;
    const QString out = QStringLiteral("out.pdf");
    QTest::newRow("no document") << 0 << 3 << true << 0 << out << 0 << Messages{} << "";
    QTest::newRow("Pages 0") << 1 << 0 << true << 0 << out << 0
                             << Messages{{"Nothing to print: Pages is 0", "Print"}} << "";
    QTest::newRow("Pages -2") << 1 << -2 << true << 0 << out << 0
                              << Messages{{"Nothing to print: Pages is -2", "Print"}} << "";
    QTest::newRow("dialog cancelled") << 1 << 3 << false << 0 << out << 1 << Messages{} << "";
    QTest::newRow("cancelled on page 2") << 1 << 3 << true << 2 << out << 1 << Messages{} << "";
    QTest::newRow("no folder for the file")
        << 1 << 3 << true << 0 << "gone/out.pdf" << 1 << Messages{}
        << "/gone/out.pdf: No such file or directory";
}

void TestPrintCommands::runsThatPrintNothing()
{
    QFETCH(int, docOpen);
    QFETCH(int, pages);
    QFETCH(bool, confirm);
    QFETCH(int, cancelAt);
    QFETCH(QString, output);
    QFETCH(int, printDialogs);
    QFETCH(QList<FeedbackRecorder::Message>, messages);
    QFETCH(QString, error);

    PrintBench bench(pages);
    bench.shell.docOpen = docOpen;
    bench.confirm = confirm;
    bench.cancelAt = cancelAt;
    bench.output = bench.dir.filePath(output);
    const QString old = bench.dir.filePath(QStringLiteral("out.pdf"));
    {
        QFile file(old);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("the last run");
    }
    bench.commands->Print1Click();

    QCOMPARE(bench.printDialogs, printDialogs);
    QCOMPARE(bench.recorder.messages, messages);
    const QStringList errors = bench.recorder.errors();
    QCOMPARE(errors.size(), error.isEmpty() ? 0 : 1);
    if (!error.isEmpty())
        QVERIFY2(errors.first().endsWith(error), qPrintable(errors.first()));
    QFile kept(old);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("the last run"));
    QCOMPARE(bench.files(), QStringList{"out.pdf"});
}

void TestPrintCommands::pageSetupTakesTheSheet_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("confirmed") << true;
    QTest::newRow("cancelled") << false;
}

void TestPrintCommands::pageSetupTakesTheSheet()
{
    QFETCH(bool, confirm);

    PrintBench bench;
    bench.confirm = confirm;
    const Bounds32 portrait = bench.commands->printableExtent();
    QVERIFY(portrait.bottom > portrait.right);
    bench.render.pageExtent = portrait;
    bench.view.vScrollStep = 7;
    bench.commands->PageSetup1Click();

    if (!confirm) {
        QCOMPARE(edges(bench.render.pageExtent), edges(portrait));
        QCOMPARE(bench.view.vScrollStep, 7);
        QCOMPARE(bench.redraws, 0);
        return;
    }
    const Bounds32 &landscape = bench.render.pageExtent;
    QCOMPARE(landscape.left, 0);
    QCOMPARE(landscape.top, 0);
    QVERIFY(landscape.right > landscape.bottom);
    // The margins turn with the sheet, so width and height swap all but exactly.
    QVERIFY(qAbs(landscape.right - portrait.bottom) < printerDotsPerInch);
    QVERIFY(qAbs(landscape.bottom - portrait.right) < printerDotsPerInch);
    QCOMPARE(bench.view.vScrollStep, (landscape.bottom - windowHeight) / 100);
    QCOMPARE(bench.redraws, 1);
    QCOMPARE(bench.render.printerResolution, 300);
}

void TestPrintCommands::previewShowsEveryPage()
{
    PrintBench bench;
    bench.dialogs.preview = standardPrintDialogs(&bench.frame).preview;
    bench.commands->setDialogs(bench.dialogs);
    int previewPages = -1;
    ModalScript script;
    script.expect("QPrintPreviewDialog", [&previewPages](QWidget *dialog) {
        previewPages = dialog->findChild<QPrintPreviewWidget *>()->pageCount();
        qobject_cast<QDialog *>(dialog)->reject();
    });
    QCOMPARE(script.run([&bench] { bench.commands->PrintPreview1Click(); }), QStringList());

    QCOMPARE(previewPages, 3);
    QCOMPARE(bench.files(), QStringList());
    QCOMPARE(bench.recorder.errors(), QStringList());
    QCOMPARE(bench.render.printerResolution, 300);
}

void TestPrintCommands::printDialogOffersNoRange()
{
    QWidget frame;
    QPrinter printer;
    QAbstractPrintDialog::PrintDialogOptions options;
    ModalScript script;
    script.expect("QPrintDialog", [&options](QWidget *dialog) {
        options = qobject_cast<QPrintDialog *>(dialog)->options();
        qobject_cast<QDialog *>(dialog)->reject();
    });
    bool confirmed = true;
    QCOMPARE(script.run([&] { confirmed = standardPrintDialogs(&frame).print(printer); }),
             QStringList());
    QVERIFY(!confirmed);
    QVERIFY(options.testFlag(QAbstractPrintDialog::PrintToFile));
    QVERIFY(!options.testFlag(QAbstractPrintDialog::PrintPageRange));
    QVERIFY(!options.testFlag(QAbstractPrintDialog::PrintSelection));
    QVERIFY(!options.testFlag(QAbstractPrintDialog::PrintCurrentPage));
}

void TestPrintCommands::progressDialogCountsPagesAndCancels()
{
    QWidget frame;
    const PrintProgress progress = printProgressDialog(&frame, 5);
    QVERIFY(progress(1, 5));
    auto *dialog = frame.findChild<QProgressDialog *>();
    QVERIFY(dialog);
    QCOMPARE(dialog->labelText(), QStringLiteral("Printing page 1 of 5"));
    QCOMPARE(dialog->maximum(), 5);
    QVERIFY(progress(4, 5));
    QCOMPARE(dialog->labelText(), QStringLiteral("Printing page 4 of 5"));
    QCOMPARE(dialog->value(), 3);
    dialog->cancel();
    QVERIFY(!progress(5, 5));
}

PAGINETTE_APP_TEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
