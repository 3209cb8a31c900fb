#include "apptestmain.h"
#include "commands/printcommands.h"
#include "dialogs/previewpagesview.h"
#include "dialogs/printercalibrationdialog.h"
#include "dialogs/printpreviewdialog.h"
#include "documentbuilder.h"
#include "feedbackrecorder.h"
#include "log/printlog.h"
#include "modalscript.h"
#include "objecttable.h"
#include "outputs/printer.h"
#include "picturefiles.h"
#include "printbench.h"
#include "renderprobe.h"
#include "run/registrationtest.h"
#include "toolrun.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(Duplex)

namespace {

using Messages = QList<FeedbackRecorder::Message>;

QStringList pageTexts(const QString &pdf)
{
    QStringList texts;
    for (int page = 1, pages = pdfPageCount(pdf); page <= pages; ++page)
        texts.append(pdfPageText(pdf, page));
    return texts;
}

} // namespace

class TestPrintCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printRunsEveryPageAt360Dpi_data();
    void printRunsEveryPageAt360Dpi();
    void placedPdfPagesPrintAsTheyAre();
    void runsThatPrintNothing_data();
    void runsThatPrintNothing();
    void pageSetupTakesTheSheet_data();
    void pageSetupTakesTheSheet();
    void previewShowsEveryPage();
    void printDialogOffersARangeAndTheDocumentsFile_data();
    void printDialogOffersARangeAndTheDocumentsFile();
    void printDialogsRangePrintsThosePagesOnce();
    void printDialogOpensWhereTheDocumentsLastRunWent();
    void printDialogShowsTheDocumentsSides_data();
    void printDialogShowsTheDocumentsSides();
    void printDialogStartsLabelsAtAChosenCell();
    void progressDialogCountsPagesAndCancels();
    void objectsOutsideThePrintableAreaAreNamed_data();
    void objectsOutsideThePrintableAreaAreNamed();
    void objectsBeyondTheLabelAreNamed();
    void unreadablePicturesAreNamed_data();
    void unreadablePicturesAreNamed();
    void numbersOutgrowingTheirWidthAreNamed_data();
    void numbersOutgrowingTheirWidthAreNamed();
    void completedRunsAreLogged_data();
    void completedRunsAreLogged();
    void calibrationDialogKeepsEachPrintersValues();
    void testPageShowsThePrinterAndItsValues();
    void calibrationIsKeptPerSide();
    void twoSidedTestPrintsFourFacesWithTheirSheets();
    void twoSidedRunPrintsBothSidesOrFrontsThenBacks_data();
    void twoSidedRunPrintsBothSidesOrFrontsThenBacks();
    void exportRunWritesTheKindChosen_data();
    void exportRunWritesTheKindChosen();
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
        bench.commands->setModalRunner([](QDialog &preview) {
            qobject_cast<PrintPreviewDialog *>(&preview)->printButton->click();
        });
        bench.commands->printPreviewAction->trigger();
    } else {
        bench.commands->printAction->trigger();
    }

    QCOMPARE(bench.printDialogs, 1);
    QCOMPARE(bench.recorder.errors(), QStringList());
    QCOMPARE(pdfPageCount(bench.output), 3);
    QCOMPARE(bench.files(), QStringList{"out.pdf"});
    QCOMPARE(bench.render.printerResolution, 360);
    QCOMPARE(bench.commands->printer().resolution(), 360);
    QCOMPARE(bench.commands->printer().docName(), QStringLiteral("Paginette 2.0"));
    // Each page carries its own number, whatever page is shown.
    QCOMPARE((QStringList{pdfPageText(bench.output, 1), pdfPageText(bench.output, 2),
                          pdfPageText(bench.output, 3)}),
             (QStringList{"00125", "00126", "00127"}));
    QCOMPARE(bench.redraws, 0);
    QCOMPARE(bench.progressDialogs, 1);
}

// File > Print writes a PDF picture's page as the PDF it is, words and
// all, as paginette-print does: the run and the tool take one path.
void TestPrintCommands::placedPdfPagesPrintAsTheyAre()
{
    QBuffer form;
    QVERIFY(form.open(QIODevice::WriteOnly));
    {
        QPdfWriter writer(&form);
        writer.setPageSize(QPageSize(QPageSize::A6));
        QPainter painter(&writer);
        painter.setFont(QFont(QStringLiteral("Liberation Sans"), 24));
        painter.drawText(QPointF(300, 900), QStringLiteral("Cloakroom"));
    }
    PrintBench bench(1);
    Document doc = bench.editor.document();
    QVERIFY(
        placePicture(doc, 100, 200, form.data(), QStringLiteral("form.pdf"), 1, QSizeF(298, 420)));
    bench.editor.replace(doc);
    bench.commands->printAction->trigger();

    QCOMPARE(bench.recorder.errors(), QStringList());
    QStringList words =
        pdfPageText(bench.output, 1).split(QRegularExpression(QStringLiteral("\\s+")));
    words.sort();
    QCOMPARE(words, (QStringList{"00125", "Cloakroom"}));
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
    // Chosen in a print dialog whose spin boxes allow no such thing.
    QTest::newRow("a range past the run")
        << 1 << 3 << true << -1 << out << 1
        << Messages{{"Pages 2 to 5 are not in the run of 3 pages", "Print"}} << "";
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
    bench.session.docOpen = docOpen;
    bench.confirm = confirm;
    bench.cancelAt = cancelAt;
    if (cancelAt < 0)
        bench.range = {2, 5};
    bench.output = bench.dir.filePath(output);
    const QString old = bench.dir.filePath(QStringLiteral("out.pdf"));
    {
        QFile file(old);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("the last run");
    }
    bench.commands->printAction->trigger();

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
    QVERIFY(!QFile::exists(bench.logPath()));
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
    bench.commands->pageSetupAction->trigger();

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
    // A page background is shown over the paper around the sheet, as printed.
    const QPageLayout layout = bench.commands->printer().pageLayout();
    QCOMPARE(bench.render.paper, QRectF(-layout.paintRect(QPageLayout::Point).topLeft(),
                                        layout.fullRect(QPageLayout::Point).size()));
    QCOMPARE(bench.render.printerResolution, 300);
}

// The preview opens on page 1 of the run, drawn as printed, and draws the
// others only as they come into view; it prints nothing and changes nothing.
void TestPrintCommands::previewShowsEveryPage()
{
    PrintBench bench(500);
    QString label;
    QImage shown;
    int drawn = 0;
    QString lastLabel;
    int drawnAtTheEnd = 0;
    bench.commands->setModalRunner([&](QDialog &dialog) {
        auto &preview = *qobject_cast<PrintPreviewDialog *>(&dialog);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        label = preview.pageLabel->text();
        shown = preview.pagesView->viewport()->grab().toImage();
        drawn = preview.pagesView->pagesDrawn();
        QScrollBar *bar = preview.pagesView->verticalScrollBar();
        bar->setValue(bar->maximum());
        preview.pagesView->viewport()->grab();
        lastLabel = preview.pageLabel->text();
        drawnAtTheEnd = preview.pagesView->pagesDrawn();
        preview.close();
    });
    bench.commands->printPreviewAction->trigger();

    QCOMPARE(label, QStringLiteral("Page 1 of 500"));
    QVERIFY(drawn >= 1 && drawn <= 3);
    // Scrolled to the end, the last pages alone are drawn.
    QVERIFY2(lastLabel.endsWith(QLatin1String(" of 500")) &&
                 lastLabel.section(u' ', 1, 1).toInt() >= 498,
             qPrintable(lastLabel));
    QVERIFY(drawnAtTheEnd > drawn && drawnAtTheEnd <= drawn + 3);
    // The number, an inch in from the paper's corner; the desk and the
    // sheet's frame lie outside.
    QVERIFY(findInk(shown, white, QRect(14, 14, shown.width() / 3, shown.width() / 3)).pixels > 0);
    QCOMPARE(bench.files(), QStringList());
    QCOMPARE(bench.recorder.errors(), QStringList());
    QCOMPARE(bench.render.printerResolution, 300);
    QCOMPARE(bench.printDialogs, 0);

    // A two-sided run counts its paper and names the side shown.
    Document twoSided = bench.editor.document();
    twoSided.duplex = Duplex::LongEdge;
    bench.editor.replace(twoSided);
    bench.commands->printPreviewAction->trigger();
    QCOMPARE(label, QStringLiteral("Sheet 1 of 500, front"));
    QVERIFY2(lastLabel.endsWith(QLatin1String(" of 500, back")), qPrintable(lastLabel));
    QCOMPARE(bench.editor.document().pageShown, 2);
    QVERIFY(!QFile::exists(bench.logPath()));
}

void TestPrintCommands::printDialogOffersARangeAndTheDocumentsFile_data()
{
    QTest::addColumn<QString>("document"); // empty for an unnamed one
    QTest::addColumn<QString>("offered");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QTest::newRow("a named document") << "/srv/jobs/tickets.2026.pgt"
                                      << "/srv/jobs/tickets.2026.pdf";
    QTest::newRow("an unnamed document") << "" << documents + QStringLiteral("/untitled.pdf");
}

void TestPrintCommands::printDialogOffersARangeAndTheDocumentsFile()
{
    QFETCH(QString, document);
    QFETCH(QString, offered);

    PrintBench bench(10);
    bench.session.docNamed = document.isEmpty() ? 0 : 1;
    bench.session.docFileName = document;
    bench.dialogs.print = standardPrintDialogs(&bench.frame).print;
    bench.commands->setDialogs(bench.dialogs);
    QPrintDialog::PrintDialogOptions options;
    QStringList shown;
    ModalScript script;
    script.expect("QPrintDialog", [&](QWidget *dialog) {
        options = qobject_cast<QPrintDialog *>(dialog)->options();
        shown = QStringList{dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->text(),
                            QString::number(dialog->findChild<QSpinBox *>("to")->maximum())};
        for (const char *name : {"printRange", "pagesRadioButton", "pageSetCombo"}) {
            const auto *widget = dialog->findChild<QWidget *>(QLatin1String(name));
            shown.append(widget && !widget->isHidden() && widget->isEnabled()
                             ? QLatin1String(name)
                             : QStringLiteral("hidden"));
        }
        qobject_cast<QDialog *>(dialog)->reject();
    });
    QCOMPARE(script.run([&bench] { bench.commands->printAction->trigger(); }), QStringList());

    QCOMPARE(shown, (QStringList{offered, "10", "printRange", "hidden", "hidden"}));
    QVERIFY(options.testFlag(QAbstractPrintDialog::PrintToFile));
    QVERIFY(options.testFlag(QAbstractPrintDialog::PrintPageRange));
    QVERIFY(options.testFlag(QAbstractPrintDialog::PrintCollateCopies));
    QVERIFY(!options.testFlag(QAbstractPrintDialog::PrintSelection));
    QVERIFY(!options.testFlag(QAbstractPrintDialog::PrintCurrentPage));
    QCOMPARE(bench.files(), QStringList());
}

// On a sheet of labels, the print dialog's Labels tab starts the run at a
// cell of the first sheet: 5 labels from cell 3 of sheets of 2 x 2 take two
// sheets, two labels on the first.
void TestPrintCommands::printDialogStartsLabelsAtAChosenCell()
{
    PrintBench bench(5);
    Document doc = bench.editor.document();
    doc.objects[0].x = 5;
    doc.objects[0].y = 5;
    SheetLayout sheet;
    sheet.paper = QSizeF(400, 400);
    sheet.label = QSizeF(150, 100);
    sheet.grids = {{2, 2, 20, 20, 180, 150}};
    doc.sheet = sheet;
    bench.editor.replace(doc);
    bench.dialogs.print = standardPrintDialogs(&bench.frame).print;
    bench.commands->setDialogs(bench.dialogs);
    ModalScript script;
    int cells = 0;
    script.expect("QPrintDialog", [&](QWidget *dialog) {
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->count() - 1); // Print to File (PDF)
        dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(bench.output);
        auto *firstCell = dialog->findChild<QSpinBox *>(QStringLiteral("firstCellBox"));
        cells = firstCell->maximum();
        firstCell->selectAll();
        QTest::keyClicks(firstCell, QStringLiteral("3"));
        qobject_cast<QDialog *>(dialog)->accept();
    });
    QCOMPARE(script.run([&bench] { bench.commands->printAction->trigger(); }), QStringList());
    QCOMPARE(cells, 4);
    QCOMPARE(pdfPageCount(bench.output), 2);
    const QList<Word> first = pageWords(bench.output, 1);
    QCOMPARE(first.size(), 2);
    // Cell 3 is the first of the second row.
    QCOMPARE(first[0].text, QStringLiteral("00125"));
    QVERIFY(std::abs(first[0].origin.x() - 25) < 2 && std::abs(first[0].origin.y() - 175) < 2);
    QCOMPARE(pageWords(bench.output, 2).size(), 3);
}

void TestPrintCommands::printDialogsRangePrintsThosePagesOnce()
{
    PrintBench bench(10);
    bench.dialogs.print = standardPrintDialogs(&bench.frame).print;
    bench.commands->setDialogs(bench.dialogs);
    ModalScript script;
    script.expect("QPrintDialog", [&bench](QWidget *dialog) {
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->count() - 1); // Print to File (PDF)
        dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(bench.output);
        QTest::mouseClick(dialog->findChild<QRadioButton *>(QStringLiteral("printRange")),
                          Qt::LeftButton);
        dialog->findChild<QSpinBox *>(QStringLiteral("from"))->setValue(4);
        dialog->findChild<QSpinBox *>(QStringLiteral("to"))->setValue(6);
        dialog->findChild<QCheckBox *>(QStringLiteral("reverse"))->setChecked(true);
        dialog->findChild<QSpinBox *>(QStringLiteral("copies"))->setValue(2);
        dialog->findChild<QCheckBox *>(QStringLiteral("collate"))->setChecked(false);
        qobject_cast<QDialog *>(dialog)->accept();
    });
    QCOMPARE(script.run([&bench] { bench.commands->printAction->trigger(); }), QStringList());

    QCOMPARE(bench.recorder.errors(), QStringList());
    // Reverse: the last page first, its copies together.
    QCOMPARE(pageTexts(bench.output),
             (QStringList{"00130", "00130", "00129", "00129", "00128", "00128"}));

    // The next run offers the whole run, one copy, again.
    bool wholeRun = false;
    ModalScript again;
    again.expect("QPrintDialog", [&wholeRun](QWidget *dialog) {
        wholeRun = dialog->findChild<QRadioButton *>(QStringLiteral("printAll"))->isChecked() &&
                   dialog->findChild<QSpinBox *>(QStringLiteral("copies"))->value() == 1;
        qobject_cast<QDialog *>(dialog)->reject();
    });
    QCOMPARE(again.run([&bench] { bench.commands->printAction->trigger(); }), QStringList());
    QVERIFY(wholeRun);
}

// The destination stays with the document for the session: after a run to
// a PDF file the dialog offers that file again; another document shown in
// between offers its own name, and the first gets its file back.
void TestPrintCommands::printDialogOpensWhereTheDocumentsLastRunWent()
{
    PrintBench bench;
    bench.session.docNamed = true;
    bench.session.docFileName = bench.dir.filePath(QStringLiteral("tickets.pgt"));
    bench.dialogs.print = standardPrintDialogs(&bench.frame).print;
    bench.commands->setDialogs(bench.dialogs);
    ModalScript script;
    script.expect("QPrintDialog", [&bench](QWidget *dialog) {
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->count() - 1); // Print to File (PDF)
        dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(bench.output);
        qobject_cast<QDialog *>(dialog)->accept();
    });
    QCOMPARE(script.run([&bench] { bench.commands->printAction->trigger(); }), QStringList());
    QCOMPARE(bench.files(), QStringList{"out.pdf"});

    // What the next dialog shows: the destination chosen, and the file's name
    // when its field can be typed in.
    const auto offered = [&bench] {
        QString shown;
        ModalScript next;
        next.expect("QPrintDialog", [&shown](QWidget *dialog) {
            const auto *file = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
            shown = dialog->findChild<QComboBox *>(QStringLiteral("printers"))->currentText() +
                    u' ' + (file->isEnabled() ? file->text() : QStringLiteral("greyed"));
            qobject_cast<QDialog *>(dialog)->reject();
        });
        const QStringList problems = next.run([&bench] { bench.commands->printAction->trigger(); });
        return problems.isEmpty() ? shown : problems.join(u' ');
    };
    const QString toFile = QStringLiteral("Print to File (PDF) ");
    QCOMPARE(offered(), toFile + bench.output);
    bench.session.docFileName = bench.dir.filePath(QStringLiteral("passes.pgt"));
    bench.commands->documentShown();
    // Another document never printed: the queue last chosen where there is
    // one, its own file's name where the file is all there is.
    const QString other = offered();
    QVERIFY2(other == toFile + bench.dir.filePath(QStringLiteral("passes.pdf")) ||
                 (!other.startsWith(toFile) && other.endsWith(QLatin1String(" greyed"))),
             qPrintable(other));
    bench.session.docFileName = bench.dir.filePath(QStringLiteral("tickets.pgt"));
    bench.commands->documentShown();
    QCOMPARE(offered(), toFile + bench.output);
    QCOMPARE(bench.files(), QStringList{"out.pdf"});
}

void TestPrintCommands::printDialogShowsTheDocumentsSides_data()
{
    QTest::addColumn<Duplex>("duplex");
    QTest::addColumn<QString>("sides"); // the Two-Sided tab's line; none without the tab
    QTest::newRow("one-sided") << Duplex::Off << "";
    QTest::newRow("long edge")
        << Duplex::LongEdge
        << "Both sides, flipped on the long edge, as the document's Sheet Layout says.";
    QTest::newRow("short edge")
        << Duplex::ShortEdge
        << "Both sides, flipped on the short edge, as the document's Sheet Layout says.";
}

// The document's sides are shown once, on the Two-Sided tab: Qt's Double
// Sided Printing, which shows the printer's default, is neither shown nor
// changed.
void TestPrintCommands::printDialogShowsTheDocumentsSides()
{
    QFETCH(Duplex, duplex);
    QFETCH(QString, sides);

    PrintBench bench;
    Document doc = bench.editor.document();
    doc.duplex = duplex;
    bench.editor.replace(doc);
    bench.dialogs.print = standardPrintDialogs(&bench.frame).print;
    bench.commands->setDialogs(bench.dialogs);
    QStringList qtDuplex;
    QString shown;
    ModalScript script;
    script.expect("QPrintDialog", [&](QWidget *dialog) {
        // Qt's duplex lies under Options, which opens the dialog's lower half.
        for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
            if (button->text() == QPrintDialog::tr("&Options >>"))
                QTest::mouseClick(button, Qt::LeftButton);
        }
        for (const char *name : {"duplex", "noDuplex", "duplexLong", "duplexShort"}) {
            const auto *widget = dialog->findChild<QWidget *>(QLatin1String(name));
            if (widget && (widget->isVisible() || widget->isEnabled()))
                qtDuplex.append(QLatin1String(name));
        }
        if (const auto *line = dialog->findChild<QLabel *>(QStringLiteral("sidesLabel")))
            shown = line->text();
        qobject_cast<QDialog *>(dialog)->reject();
    });
    QCOMPARE(script.run([&bench] { bench.commands->printAction->trigger(); }), QStringList());

    QCOMPARE(qtDuplex, QStringList());
    QCOMPARE(shown, sides);
}

void TestPrintCommands::progressDialogCountsPagesAndCancels()
{
    const QStringList shown{"Print", "Printing page 1 of 5", "Printing page 4 of 5"};
    QWidget frame;
    const PrintProgress progress = printProgressDialog(&frame, 5);
    QVERIFY(progress(1, 5));
    auto *dialog = frame.findChild<QProgressDialog *>();
    QVERIFY(dialog);
    QStringList texts{dialog->windowTitle(), dialog->labelText()};
    QCOMPARE(dialog->maximum(), 5);
    QVERIFY(progress(4, 5));
    texts.append(dialog->labelText());
    QCOMPARE(texts, shown);
    QCOMPARE(dialog->value(), 3);
    dialog->cancel();
    QVERIFY(!progress(5, 5));
}

void TestPrintCommands::objectsOutsideThePrintableAreaAreNamed_data()
{
    QTest::addColumn<double>("offset"); // millimetres right, stored for PDF output
    QTest::addColumn<bool>("passWarnings");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<int>("pages"); // printed

    const QString text = QStringLiteral("These objects fall outside the printable area of PDF "
                                        "output: edge, \"Admit one\".\nPrint anyway?");
    QTest::newRow("all inside") << 0.0 << true << "" << 3;
    QTest::newRow("pushed out, printed anyway") << 20.0 << true << text << 3;
    QTest::newRow("pushed out, cancelled") << 20.0 << false << text << 0;
}

void TestPrintCommands::objectsOutsideThePrintableAreaAreNamed()
{
    QFETCH(double, offset);
    QFETCH(bool, passWarnings);
    QFETCH(QString, warning);
    QFETCH(int, pages);

    PrintBench bench;
    bench.passWarnings = passWarnings;
    QCOMPARE(CalibrationStore().save(pdfOutputName(), {offset, 0, 100, 100}), QString());
    // 10 mm (28 units) and less from the printable area's right edge.
    QPrinter &printer = bench.commands->printer();
    printer.setOutputFileName(bench.output);
    const int right = int(printer.pageLayout().paintRect(QPageLayout::Point).width());
    Document doc = bench.editor.document();
    const int edge = addNumber(doc, right - 50, 200, 1, 3);
    doc.objects[edge].name = QStringLiteral("edge");
    addObject(doc, KindText, right - 60, 300, QStringLiteral("Admit one"));
    bench.editor.replace(doc);

    bench.commands->printAction->trigger();
    const Messages warned =
        warning.isEmpty() ? Messages{} : Messages{{warning, QStringLiteral("Print")}};
    QCOMPARE(bench.warnings, warned);
    QCOMPARE(bench.files(), pages ? QStringList{"out.pdf"} : QStringList{});
    QCOMPARE(pdfPageCount(bench.output), pages ? pages : -1);
}

void TestPrintCommands::unreadablePicturesAreNamed_data()
{
    QTest::addColumn<bool>("passWarnings");
    QTest::addColumn<int>("pages"); // printed
    QTest::newRow("printed anyway") << true << 3;
    QTest::newRow("cancelled") << false << 0;
}

// A picture that cannot be read is named before the run, which prints it as
// nothing only when asked to.
void TestPrintCommands::unreadablePicturesAreNamed()
{
    QFETCH(bool, passWarnings);
    QFETCH(int, pages);

    PrintBench bench;
    bench.passWarnings = passWarnings;
    bench.commands->printer().setOutputFileName(bench.output);
    Document doc = bench.editor.document();
    const QByteArray png = encodedImage(busyImage(QSize(60, 40), 19), "png");
    const std::optional<int> logo = placePicture(doc, 200, 300, png.left(png.size() / 2),
                                                 QStringLiteral("cut.png"), 1, QSizeF(60, 40));
    QVERIFY(logo);
    doc.objects[*logo].name = QStringLiteral("logo");
    bench.editor.replace(doc);

    bench.commands->printAction->trigger();
    QCOMPARE(bench.warnings,
             (Messages{{"logo: cut.png is no PNG, JPEG, SVG or PDF file that can be read.\n"
                        "Print anyway?",
                        QStringLiteral("Print")}}));
    QCOMPARE(bench.files(), pages ? QStringList{"out.pdf"} : QStringList{});
    QCOMPARE(pdfPageCount(bench.output), pages ? pages : -1);
}

// On a sheet of labels, what reaches beyond the label is named before the
// run: the label cuts it off.
void TestPrintCommands::objectsBeyondTheLabelAreNamed()
{
    PrintBench bench(2);
    Document doc = bench.editor.document();
    SheetLayout sheet;
    sheet.paper = QSizeF(400, 400);
    sheet.label = QSizeF(150, 100);
    sheet.grids = {{2, 2, 20, 20, 180, 150}};
    doc.sheet = sheet;
    const int edge = addNumber(doc, 130, 10, 1, 3);
    doc.objects[edge].name = QStringLiteral("edge");
    bench.editor.replace(doc);
    bench.passWarnings = false;
    bench.commands->printAction->trigger();
    // The bench's number lies at (72, 72), inside the label.
    QCOMPARE(bench.warnings, (Messages{{"These objects reach beyond the label and are cut off "
                                        "at its edge: edge.\nPrint anyway?",
                                        QStringLiteral("Print")}}));
    QCOMPARE(bench.files(), QStringList());
}

void TestPrintCommands::numbersOutgrowingTheirWidthAreNamed_data()
{
    QTest::addColumn<bool>("passWarnings");
    QTest::newRow("printed anyway") << true;
    QTest::newRow("cancelled") << false;
}

void TestPrintCommands::numbersOutgrowingTheirWidthAreNamed()
{
    QFETCH(bool, passWarnings);

    PrintBench bench;
    bench.passWarnings = passWarnings;
    Document doc = bench.editor.document();
    const int count = addNumber(doc, 72, 144, 99, 2);
    doc.objects[count].name = QStringLiteral("count");
    bench.editor.replace(doc);
    bench.commands->printAction->trigger();

    QCOMPARE(bench.warnings,
             (Messages{{"count grows from 2 to 3 digits on page 2.\nPrint anyway?", "Print"}}));
    // Printed whole, never cut.
    QStringList printed;
    for (const QString &page : pageTexts(bench.output))
        printed.append(page.simplified());
    const QStringList whole{"00125 99", "00126 100", "00127 101"};
    QCOMPARE(printed, passWarnings ? whole : QStringList{});
}

void TestPrintCommands::completedRunsAreLogged_data()
{
    QTest::addColumn<int>("cancelAt");
    QTest::addColumn<bool>("logBlocked");
    QTest::addColumn<int>("runs"); // logged
    QTest::newRow("printed twice") << 0 << false << 2;
    QTest::newRow("cancelled twice") << 2 << false << 0;
    // A file's run that cannot be logged is not put in place: each run says so.
    QTest::newRow("no room for the log, nothing delivered") << 0 << true << 0;
}

void TestPrintCommands::completedRunsAreLogged()
{
    QFETCH(int, cancelAt);
    QFETCH(bool, logBlocked);
    QFETCH(int, runs);

    PrintBench bench(3, logBlocked);
    bench.session.docNamed = true;
    bench.session.docFileName = QStringLiteral("/srv/jobs/tickets.pgt");
    bench.cancelAt = cancelAt;
    bench.commands->printAction->trigger();
    // Pages 2 to 3 of the run, two of each.
    bench.range = {2, 3};
    bench.copies = 2;
    bench.collate = false;
    bench.commands->printAction->trigger();

    const QString blocked = QStringLiteral("The print log %1 could not be written: Not a "
                                           "directory; the run could not be logged and was not "
                                           "put in place")
                                .arg(bench.logPath());
    QCOMPARE(bench.recorder.messages, Messages{});
    QCOMPARE(bench.recorder.errors(), (logBlocked ? QStringList{blocked, blocked} : QStringList{}));
    QCOMPARE(
        pageTexts(bench.output),
        (cancelAt || logBlocked ? QStringList{} : QStringList{"00126", "00126", "00127", "00127"}));
    QCOMPARE(QFile::exists(bench.output), !cancelAt && !logBlocked);
    QList<QStringList> records = PrintLog(bench.logPath()).read().items;
    for (qsizetype i = 1; i < records.size(); ++i)
        records[i].removeFirst(); // the date and time
    const QString document = bench.session.docFileName;
    QCOMPARE(records.mid(1),
             runs == 0
                 ? QList<QStringList>{}
                 : (QList<QStringList>{
                       {document, bench.output, "1", "3", "1", "", "00125", "00127", "125+1*3"},
                       {document, bench.output, "2", "3", "2", "", "00126", "00127", "126+1*2"}}));
    // The second run prints values the first printed, and says so first.
    QCOMPARE(bench.warnings.size(), runs == 2 ? 1 : 0);
    if (runs == 2) {
        const QString warning = bench.warnings.front().first;
        QVERIFY2(warning.startsWith(QLatin1String("object 1 printed 00125-00127 on ")) &&
                     warning.endsWith(QLatin1String(".\nPrint them again?")),
                 qPrintable(warning));
    }
}

void TestPrintCommands::calibrationDialogKeepsEachPrintersValues()
{
    const QTemporaryDir dir;
    const CalibrationStore store(dir.filePath(QStringLiteral("paginette.conf")));
    QCOMPARE(store.save(QStringLiteral("office"), {1.5, -0.5, 99.0, 101.0}), QString());
    FeedbackRecorder recorder;
    PrinterCalibrationDialog dialog(store, recorder.feedback());
    QList<Calibration> testPages;
    dialog.setTestPagePrinter(
        [&testPages](const Calibration &c, const Calibration &) { testPages.append(c); });

    dialog.edit(QStringLiteral("office"));
    const Calibration shown = dialog.values();
    dialog.horizontalOffsetSpinBox->setValue(-20.5); // held at the bound
    dialog.verticalScaleSpinBox->setValue(109.94);
    QTest::mouseClick(dialog.testPageButton, Qt::LeftButton);
    QTest::mouseClick(dialog.okButton, Qt::LeftButton);
    const int accepted = dialog.result();
    dialog.edit(pdfOutputName());
    const Calibration pdf = dialog.values();
    dialog.horizontalScaleSpinBox->setValue(95);
    QTest::mouseClick(dialog.cancelButton, Qt::LeftButton);

    QCOMPARE(dialog.windowTitle(), QStringLiteral("Printer Calibration"));
    QCOMPARE(dialog.printerLabel->text(), QStringLiteral("Printer: PDF output"));
    QCOMPARE(accepted, int(QDialog::Accepted));
    const Calibration office{-20, -0.5, 99.0, 109.9};
    QVERIFY((QList<Calibration>{shown, pdf, store.load(QStringLiteral("office")),
                                store.load(pdfOutputName())}) ==
            (QList<Calibration>{{1.5, -0.5, 99.0, 101.0}, {}, office, {}}));
    QVERIFY(testPages == QList<Calibration>{office});
}

void TestPrintCommands::testPageShowsThePrinterAndItsValues()
{
    PrintBench bench;
    bench.commands->printer().setOutputFileName(bench.output);
    bench.commands->printTestPage({1.5, -0.5, 99.0, 100.0}, {-2.0, 1.0, 101.0, 98.5, -12});

    const QString page = bench.dir.filePath(QStringLiteral("calibration-page.pdf"));
    QCOMPARE(bench.recorder.errors(), QStringList());
    QCOMPARE(bench.recorder.messages,
             (Messages{{QStringLiteral("The test page was written to ") + page,
                        QStringLiteral("Printer Calibration")}}));
    QCOMPARE(bench.files(), QStringList{"calibration-page.pdf"});
    QCOMPARE(pdfPageCount(page), 1);
    const QString text = pdfPageText(page, 1);
    for (const QString &shown :
         {QStringLiteral("Printer: PDF output"),
          QStringLiteral("Front: horizontal offset 1.5 mm, vertical offset -0.5 mm"),
          QStringLiteral("Front: horizontal scale 99.0 %, vertical scale 100.0 %, rotation 0"),
          QStringLiteral("Back: horizontal offset -2.0 mm, vertical offset 1.0 mm"),
          QStringLiteral("Back: horizontal scale 101.0 %, vertical scale 98.5 %, rotation -12"),
          QStringLiteral("20 mm"), QStringLiteral("100 mm")})
        QVERIFY2(text.contains(shown), qPrintable(shown));
}

// Each side's values go through the dialog's own boxes and come back
// apart: the side box switches what the boxes show and store.
void TestPrintCommands::calibrationIsKeptPerSide()
{
    const QTemporaryDir dir;
    const CalibrationStore store(dir.filePath(QStringLiteral("paginette.conf")));
    FeedbackRecorder recorder;
    PrinterCalibrationDialog dialog(store, recorder.feedback());
    dialog.edit(QStringLiteral("office"));
    dialog.horizontalOffsetSpinBox->setValue(1.5);
    dialog.rotationSpinBox->setValue(7);
    dialog.sideBox->setCurrentIndex(1);
    const Calibration backAtFirst = dialog.values();
    dialog.verticalOffsetSpinBox->setValue(-2.5);
    dialog.horizontalScaleSpinBox->setValue(101);
    dialog.rotationSpinBox->setValue(-Calibration::maxRotation - 10); // held at the bound
    QTest::mouseClick(dialog.okButton, Qt::LeftButton);

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.rotationSpinBox->minimum(), -Calibration::maxRotation);
    QVERIFY(backAtFirst == Calibration{});
    QVERIFY(
        (store.load(QStringLiteral("office"), Side::Front) == Calibration{1.5, 0, 100, 100, 7}));
    QVERIFY((store.load(QStringLiteral("office"), Side::Back) ==
             Calibration{0, -2.5, 101, 100, -Calibration::maxRotation}));
    // Shown again, each side shows its own.
    dialog.edit(QStringLiteral("office"));
    QCOMPARE(dialog.values().rotation, 7.0);
    dialog.sideBox->setCurrentIndex(1);
    QCOMPARE(dialog.values().offsetY, -2.5);
}

// Two sheets, front and back each: four pages, each with its sheet's number;
// a back's crosses mirrored about the flip edge.
void TestPrintCommands::twoSidedTestPrintsFourFacesWithTheirSheets()
{
    PrintBench bench;
    bench.commands->printer().setOutputFileName(bench.output);
    bench.commands->printTwoSidedTest({}, {});

    const QString test = bench.dir.filePath(QStringLiteral("two-sided-test.pdf"));
    QCOMPARE(bench.recorder.errors(), QStringList());
    QCOMPARE(pdfPageCount(test), 4);
    const QList<QList<Word>> pages = pagesWords(test);
    QStringList sheets;
    for (const QList<Word> &words : pages) {
        QString figure;
        for (const Word &word : words) {
            if (word.text == u"1" || word.text == u"2")
                figure += word.text;
        }
        sheets.append(figure);
    }
    QCOMPARE(sheets, (QStringList{"1", "1", "2", "2"}));
    const QSizeF a4(210, 297);
    for (const QPointF &cross : registrationCrosses(a4)) {
        const QPointF back = mirroredOnBack(cross, a4, Duplex::LongEdge);
        QCOMPARE(back.x() + cross.x(), a4.width());
        QCOMPARE(back.y(), cross.y());
        QCOMPARE(mirroredOnBack(cross, a4, Duplex::ShortEdge).y() + cross.y(), a4.height());
    }
}

void TestPrintCommands::twoSidedRunPrintsBothSidesOrFrontsThenBacks_data()
{
    QTest::addColumn<bool>("frontsThenBacks");
    QTest::addColumn<bool>("faceUp");
    QTest::addColumn<bool>("turned"); // Continue pressed when asked
    QTest::addColumn<QStringList>("fronts");
    // The second pass, beside the first; the back shows its front's number.
    QTest::addColumn<QStringList>("backs");
    QTest::newRow("one job on both sides")
        << false << false << true << QStringList{"00125", "00125", "00126", "00126"}
        << QStringList();
    QTest::newRow("fronts, then backs")
        << true << false << true << QStringList{"00125", "00126", "00127"}
        << QStringList{"00125", "00126", "00127"};
    QTest::newRow("fronts, then backs stacked face up")
        << true << true << true << QStringList{"00125", "00126", "00127"}
        << QStringList{"00127", "00126", "00125"};
    QTest::newRow("fronts, the turn cancelled")
        << true << false << false << QStringList{"00125", "00126", "00127"} << QStringList();
}

// The print dialog's Two-Sided tab, through its own boxes; the turn of the
// stack answered on the message box itself when it shows.
void TestPrintCommands::twoSidedRunPrintsBothSidesOrFrontsThenBacks()
{
    QFETCH(bool, frontsThenBacks);
    QFETCH(bool, faceUp);
    QFETCH(bool, turned);
    QFETCH(QStringList, fronts);
    QFETCH(QStringList, backs);

    PrintBench bench(frontsThenBacks ? 3 : 2);
    Document doc = bench.editor.document();
    doc.duplex = Duplex::LongEdge;
    const int back = addNumber(doc, 72, 200, 0, 1);
    doc.objects[back].side = Side::Back;
    doc.objects[back].sameAs = 0;
    bench.editor.replace(doc);
    const PrintDialogs standard = standardPrintDialogs(&bench.frame);
    bench.dialogs.print = standard.print;
    bench.dialogs.choose = standard.choose;
    bench.commands->setDialogs(bench.dialogs);
    QString asked;
    ModalScript script;
    script.expect("QPrintDialog", [&](QWidget *dialog) {
        auto *printers = dialog->findChild<QComboBox *>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->count() - 1); // Print to File (PDF)
        dialog->findChild<QLineEdit *>(QStringLiteral("filename"))->setText(bench.output);
        auto *firstPass = dialog->findChild<QCheckBox *>(QStringLiteral("frontsThenBacksBox"));
        auto *stacked = dialog->findChild<QCheckBox *>(QStringLiteral("faceUpBox"));
        if (frontsThenBacks)
            firstPass->click();
        if (faceUp)
            stacked->click();
        qobject_cast<QDialog *>(dialog)->accept();
    });
    if (frontsThenBacks)
        script.expect("QMessageBox", [&](QWidget *box) {
            auto *message = qobject_cast<QMessageBox *>(box);
            asked = message->text();
            for (QAbstractButton *button : message->buttons()) {
                const bool goesOn = message->buttonRole(button) == QMessageBox::AcceptRole;
                if (goesOn == turned)
                    QTest::mouseClick(button, Qt::LeftButton);
            }
        });
    QCOMPARE(script.run([&bench] { bench.commands->printAction->trigger(); }), QStringList());

    QCOMPARE(bench.recorder.errors(), QStringList());
    if (frontsThenBacks)
        QCOMPARE(asked, QStringLiteral("Turn the printed stack over and put it back in the "
                                       "paper tray, then press Continue."));
    const auto textsOf = [](const QString &path) {
        QStringList texts;
        for (const QList<Word> &words : pagesWords(path))
            for (const Word &word : words)
                texts.append(word.text);
        return texts;
    };
    QCOMPARE(textsOf(bench.output), fronts);
    const QString backsFile = bench.dir.filePath(QStringLiteral("out-backs.pdf"));
    QCOMPARE(QFile::exists(backsFile), !backs.isEmpty());
    if (!backs.isEmpty())
        QCOMPARE(textsOf(backsFile), backs);
    // The run is one line of the log, however many passes it took.
    QCOMPARE(bench.commands->printedRuns().size(), 1);
    QCOMPARE(PrintLog(bench.logPath()).entriesOf(QStringLiteral("untitled")).items.size(), 1);
}

void TestPrintCommands::exportRunWritesTheKindChosen_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("logged"); // as the log names where the run went
    QTest::newRow("PDF") << "run.pdf" << QStringList{"run.pdf"} << "run.pdf";
    QTest::newRow("PNG pages") << "run.png"
                               << QStringList{"run-0001.png", "run-0002.png", "run-0003.png"}
                               << "run-0001.png to run-0003.png";
    QTest::newRow("SVG pages") << "run.svg"
                               << QStringList{"run-0001.svg", "run-0002.svg", "run-0003.svg"}
                               << "run-0001.svg to run-0003.svg";
}

void TestPrintCommands::exportRunWritesTheKindChosen()
{
    QFETCH(QString, name);
    QFETCH(QStringList, files);
    QFETCH(QString, logged);

    PrintBench bench;
    QString offered;
    bench.dialogs.exportRun = [&](const QString &suggested) -> std::optional<ExportChoice> {
        offered = suggested;
        return ExportChoice{bench.dir.filePath(name), 72};
    };
    bench.commands->setDialogs(bench.dialogs);
    bench.commands->exportRunAction->trigger();

    QCOMPARE(offered, QStringLiteral("untitled"));
    QCOMPARE(bench.recorder.errors(), QStringList());
    QCOMPARE(bench.files(), files);
    // Logged as a print to that file is.
    QCOMPARE(bench.commands->printedRuns().size(), 1);
    QCOMPARE(bench.commands->printedRuns().front().entry.printer.section(u'/', -1), logged);
    if (name.endsWith(QLatin1String(".png")))
        QCOMPARE(QImage(bench.dir.filePath(files.front())).width(), 595);
}

PAGINETTE_APP_TEST_MAIN(TestPrintCommands)
#include "tst_printcommands.moc"
