#include "documentbuilder.h"
#include "outputs/printer.h"
#include "outputs/printqueueoutput.h"
#include "run/calibration.h"
#include "run/placements.h"
#include "run/printablearea.h"
#include "run/printplan.h"

#include <QPrinter>
#include <QtTest>

#include <cmath>
#include <limits>

class TestPrintPlan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sheetsComeInThePlansOrder_data();
    void sheetsComeInThePlansOrder();
    void labelsKeepTheirCellsBackwards();
    void plansThatDoNotFitTheRun_data();
    void plansThatDoNotFitTheRun();
    void calibrationMovesAndStretchesFromThePapersCorner_data();
    void calibrationMovesAndStretchesFromThePapersCorner();
    void jobOptionsComeFromThePrintersSettings_data();
    void jobOptionsComeFromThePrintersSettings();
    void storedCalibrationsAreReadWithinLimits_data();
    void storedCalibrationsAreReadWithinLimits();
    void rotationTurnsAboutThePapersCentre_data();
    void rotationTurnsAboutThePapersCentre();
    void eachSideKeepsItsCalibration();
    void backsTurnAboutTheEdgeThePaperTurnsOn_data();
    void backsTurnAboutTheEdgeThePaperTurnsOn();
    void eachSideIsCheckedUnderItsCalibration_data();
    void eachSideIsCheckedUnderItsCalibration();
};

Q_DECLARE_METATYPE(Duplex)
Q_DECLARE_METATYPE(PrintedSides)

void TestPrintPlan::sheetsComeInThePlansOrder_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<bool>("lastPageFirst");
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<QList<int>>("copyNumbers");

    QTest::newRow("pages 4 to 6") << 4 << 6 << 1 << false << false << QList<int>{4, 5, 6}
                                  << QList<int>{1, 1, 1};
    QTest::newRow("collated copies") << 1 << 3 << 2 << true << false << QList<int>{1, 2, 3, 1, 2, 3}
                                     << QList<int>{1, 1, 1, 2, 2, 2};
    QTest::newRow("uncollated copies")
        << 1 << 3 << 2 << false << false << QList<int>{1, 1, 2, 2, 3, 3}
        << QList<int>{1, 2, 1, 2, 1, 2};
    QTest::newRow("uncollated copies of a reprint")
        << 37 << 38 << 3 << false << false << QList<int>{37, 37, 37, 38, 38, 38}
        << QList<int>{1, 2, 3, 1, 2, 3};
    QTest::newRow("reverse, uncollated")
        << 2 << 4 << 2 << false << true << QList<int>{4, 4, 3, 3, 2, 2}
        << QList<int>{1, 2, 1, 2, 1, 2};
    QTest::newRow("reverse, collated")
        << 2 << 4 << 2 << true << true << QList<int>{4, 3, 2, 4, 3, 2}
        << QList<int>{1, 1, 1, 2, 2, 2};
}

void TestPrintPlan::sheetsComeInThePlansOrder()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(bool, lastPageFirst);
    QFETCH(QList<int>, pages);
    QFETCH(QList<int>, copyNumbers);

    const PrintPlan plan{first, last, copies, collate, {}, lastPageFirst};
    const RunPlacements placements(emptyDocument(1), plan, {});
    QList<int> printed;
    QList<int> printedCopies;
    for (std::int64_t sheet = 1; sheet <= placements.sheetCount(); ++sheet) {
        const Placement placed = placements.onSheet(sheet).constFirst();
        printed.append(placed.page);
        printedCopies.append(placed.copy);
    }
    QCOMPARE(printed, pages);
    QCOMPARE(printedCopies, copyNumbers);
}

// Reverse prints the sheets of labels last first, each label in the cell it
// has forwards, whatever the sheet, first cell, order and copies; so do
// plain pages, one a sheet.
void TestPrintPlan::labelsKeepTheirCellsBackwards()
{
    QRandomGenerator random(qEnvironmentVariableIntValue("PAGINETTE_SEED") + 33);
    for (int round = 0; round < 300; ++round) {
        Document doc = emptyDocument(1);
        if (random.bounded(4) != 0) {
            SheetLayout layout;
            layout.paper = QSizeF(612, 792);
            layout.label = QSizeF(40, 20);
            layout.grids.append({random.bounded(1, 5), random.bounded(1, 5), 10, 10, 50, 30});
            layout.order = static_cast<SheetOrder>(random.bounded(3));
            doc.sheet = layout;
        }
        PrintPlan plan = wholeRun(random.bounded(1, 60));
        plan.first = random.bounded(1, plan.last + 1);
        plan.copies = random.bounded(1, 4);
        plan.collate = random.bounded(2) == 0;
        plan.firstCell = doc.sheet ? random.bounded(1, doc.sheet->cellCount() + 1) : 1;
        const RunPlacements forwards(doc, plan, {});
        plan.lastPageFirst = true;
        const RunPlacements backwards(doc, plan, {});
        const QByteArray where = "round " + QByteArray::number(round);
        QCOMPARE(backwards.sheetCount(), forwards.sheetCount());
        const std::int64_t sheets = forwards.sheetCount();
        for (std::int64_t sheet = 1; sheet <= sheets; ++sheet) {
            QList<Placement> expected = forwards.onSheet(sheets + 1 - sheet);
            for (Placement &placed : expected) {
                placed.sheet = sheet;
                placed.copy = plan.copies + 1 - placed.copy;
            }
            QVERIFY2(backwards.onSheet(sheet) == expected, where);
        }
    }
}

void TestPrintPlan::plansThatDoNotFitTheRun_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("copies");
    QTest::addColumn<QString>("error");

    constexpr int most = std::numeric_limits<std::int32_t>::max();
    QTest::newRow("the whole run") << 1 << 10 << 1 << "";
    QTest::newRow("past the last page")
        << 8 << 11 << 1 << "Pages 8 to 11 are not in the run of 10 pages";
    QTest::newRow("first after last")
        << 5 << 4 << 1 << "Pages 5 to 4 are not in the run of 10 pages";
    QTest::newRow("no copies") << 1 << 10 << 0 << "Copies must be from 1 to 999";
    QTest::newRow("more sheets than a run counts")
        << 1 << most << 2 << "2 copies of 2147483647 pages are more sheets than a run can count";
}

void TestPrintPlan::plansThatDoNotFitTheRun()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, copies);
    QFETCH(QString, error);

    const std::int32_t pages = last == std::numeric_limits<std::int32_t>::max() ? last : 10;
    QCOMPARE(planError(PrintPlan{first, last, copies, true, {}}, pages), error);
}

void TestPrintPlan::calibrationMovesAndStretchesFromThePapersCorner_data()
{
    QTest::addColumn<double>("offsetX");
    QTest::addColumn<double>("offsetY");
    QTest::addColumn<double>("scaleX");
    QTest::addColumn<double>("scaleY");
    QTest::addColumn<QPointF>("origin"); // of the printable area, in points
    QTest::addColumn<QPointF>("point");  // drawn, in dots at 360 dpi
    QTest::addColumn<QPointF>("printed");

    const QPointF corner(0, 0);
    const QPointF inch(72, 72);
    // 2.54 mm is 36 dots at 360 dpi.
    QTest::newRow("2.54 mm right, 1.27 mm up")
        << 2.54 << -1.27 << 100.0 << 100.0 << inch << QPointF(100, 200) << QPointF(136, 182);
    QTest::newRow("stretched from the printable area's corner")
        << 0.0 << 0.0 << 110.0 << 90.0 << corner << QPointF(100, 200) << QPointF(110, 180);
    // The printable area starts an inch (360 dots) into the paper, where
    // the stretch has already moved it by a tenth.
    QTest::newRow("stretched from the paper's corner")
        << 0.0 << 0.0 << 110.0 << 90.0 << inch << QPointF(100, 100) << QPointF(146, 54);
    QTest::newRow("stretched, then moved")
        << 2.54 << 2.54 << 110.0 << 110.0 << inch << QPointF(0, 0) << QPointF(72, 72);
}

void TestPrintPlan::calibrationMovesAndStretchesFromThePapersCorner()
{
    QFETCH(double, offsetX);
    QFETCH(double, offsetY);
    QFETCH(double, scaleX);
    QFETCH(double, scaleY);
    QFETCH(QPointF, origin);
    QFETCH(QPointF, point);
    QFETCH(QPointF, printed);

    const QPointF mapped =
        calibrationTransform({offsetX, offsetY, scaleX, scaleY}, 360, origin).map(point);
    QVERIFY2(qAbs(mapped.x() - printed.x()) < 1e-9 && qAbs(mapped.y() - printed.y()) < 1e-9,
             qPrintable(QStringLiteral("%1, %2").arg(mapped.x()).arg(mapped.y())));
}

void TestPrintPlan::jobOptionsComeFromThePrintersSettings_data()
{
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<bool>("grey");
    QTest::addColumn<bool>("reverse");
    QTest::addColumn<int>("copies");
    QTest::addColumn<QSizeF>("runPaper"); // points; empty for the printer's own
    QTest::addColumn<Duplex>("duplex");
    QTest::addColumn<QStringList>("options");

    // A PDF printer: the sides a queue offers are its own.
    // The run draws its copies; CUPS would make as many of each again.
    QTest::newRow("3 copies") << false << false << false << 3 << QSizeF() << Duplex::Off
                              << QStringList{"media=A4", "print-scaling=none", "sides=one-sided"};
    // The run draws its pages last first; CUPS would turn them round again.
    QTest::newRow("grey, last page first")
        << false << true << true << 1 << QSizeF() << Duplex::Off
        << QStringList{"media=A4", "print-scaling=none", "sides=one-sided",
                       "print-color-mode=monochrome"};
    QTest::newRow("landscape, 2 copies")
        << true << false << false << 2 << QSizeF() << Duplex::Off
        << QStringList{"media=A4", "print-scaling=none", "sides=one-sided", "landscape="};
    QTest::newRow("both sides about the short edge")
        << false << false << false << 1 << QSizeF() << Duplex::ShortEdge
        << QStringList{"media=A4", "print-scaling=none", "sides=two-sided-short-edge"};
    // A sheet of labels is printed on its own paper, whatever the queue's.
    QTest::newRow("Letter labels on an A4 queue")
        << false << false << false << 1 << QSizeF(612, 792) << Duplex::LongEdge
        << QStringList{"media=Letter", "print-scaling=none", "sides=two-sided-long-edge"};
    QTest::newRow("a landscape sheet, not turned again")
        << true << false << false << 1 << QSizeF(792, 612) << Duplex::Off
        << QStringList{"media=Letter", "print-scaling=none", "sides=one-sided"};
    QTest::newRow("a sheet of no standard size")
        << false << false << false << 1 << QSizeF(400, 500) << Duplex::Off
        << QStringList{"media=Custom.400x500", "print-scaling=none", "sides=one-sided"};
}

void TestPrintPlan::jobOptionsComeFromThePrintersSettings()
{
    QFETCH(bool, landscape);
    QFETCH(bool, grey);
    QFETCH(bool, reverse);
    QFETCH(int, copies);
    QFETCH(QSizeF, runPaper);
    QFETCH(Duplex, duplex);
    QFETCH(QStringList, options);

    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setColorMode(grey ? QPrinter::GrayScale : QPrinter::Color);
    printer.setPageOrder(reverse ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    printer.setCopyCount(copies);
    printer.setCollateCopies(true);
    OutputPass pass;
    pass.duplex = duplex;
    if (!runPaper.isEmpty())
        pass.runPaper = runPaper;
    QStringList sent;
    for (const auto &[name, value] : cupsJobOptions(printer, pass))
        sent.append(QString::fromUtf8(name + '=' + value));
    QCOMPARE(sent, options);
    QCOMPARE(printerPlan(printer, 10).lastPageFirst, reverse);
}

void TestPrintPlan::storedCalibrationsAreReadWithinLimits_data()
{
    QTest::addColumn<QStringList>("values"); // keys of the printer "office"
    QTest::addColumn<QList<double>>("read");

    QTest::newRow("as stored") << QStringList{"offsetX=1.5", "offsetY=-2", "scaleX=99",
                                              "scaleY=101"}
                               << QList<double>{1.5, -2, 99, 101};
    QTest::newRow("out of range, brought in")
        << QStringList{"offsetX=30", "scaleY=50"} << QList<double>{20, 0, 100, 90};
    // A value that is no number is damaged: the printer prints as it is.
    QTest::newRow("nan") << QStringList{"offsetX=nan", "scaleX=nan"}
                         << QList<double>{0, 0, 100, 100};
    QTest::newRow("infinity") << QStringList{"offsetY=inf", "scaleY=-inf"}
                              << QList<double>{0, 0, 100, 100};
    QTest::newRow("text") << QStringList{"offsetX=left"} << QList<double>{0, 0, 100, 100};
    QTest::newRow("a rotation past 5 degrees")
        << QStringList{"rotation=-90"} << QList<double>{0, 0, 100, 100, -50};
}

void TestPrintPlan::storedCalibrationsAreReadWithinLimits()
{
    QFETCH(QStringList, values);
    QFETCH(QList<double>, read);

    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("paginette.conf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray text = "[calibration]\n";
    for (const QString &value : values)
        text += "office\\" + value.toLatin1() + '\n';
    QCOMPARE(file.write(text), text.size());
    file.close();

    const Calibration loaded = CalibrationStore(path).load(QStringLiteral("office"));
    QCOMPARE((QList<double>{loaded.offsetX, loaded.offsetY, loaded.scaleX, loaded.scaleY,
                            loaded.rotation})
                 .first(read.size()),
             read);
}

void TestPrintPlan::rotationTurnsAboutThePapersCentre_data()
{
    QTest::addColumn<double>("rotation"); // tenths of a degree
    QTest::addColumn<double>("offsetX");
    QTest::newRow("5 degrees clockwise") << 50.0 << 0.0;
    QTest::newRow("1.2 degrees back") << -12.0 << 0.0;
    QTest::newRow("turned, then moved 2.54 mm") << 30.0 << 2.54;
}

// A feed at an angle is undone about the paper's centre, after the offsets
// have moved the print: the centre stays but for the offsets (turned with
// the print), and a point 150 mm from it turns by the angle, at the same
// distance.
void TestPrintPlan::rotationTurnsAboutThePapersCentre()
{
    QFETCH(double, rotation);
    QFETCH(double, offsetX);
    const QSizeF a4(595, 842);
    const QPointF origin(18, 18); // of the printable area, in points
    const double dots = 360.0 / 72;
    const QTransform transform =
        calibrationTransform({offsetX, 0, 100, 100, rotation}, 360, origin, a4);
    const QPointF centre = (QPointF(a4.width(), a4.height()) / 2 - origin) * dots;
    const QPointF moved(offsetX * 360 / 25.4, 0);
    const double away = 150 * 360 / 25.4;
    const double angle = qDegreesToRadians(rotation / 10);
    const QPointF turned = transform.map(centre + QPointF(away, 0)) - transform.map(centre);
    const QPointF movedTurned(moved.x() * std::cos(angle), moved.x() * std::sin(angle));
    QVERIFY((transform.map(centre) - centre - movedTurned).manhattanLength() < 1e-6);
    QVERIFY2((turned - away * QPointF(std::cos(angle), std::sin(angle))).manhattanLength() < 1e-6,
             qPrintable(QStringLiteral("%1, %2").arg(turned.x()).arg(turned.y())));
}

// The back of the paper has an error of its own: each side's calibration is
// stored and read apart from the other's.
void TestPrintPlan::eachSideKeepsItsCalibration()
{
    const QTemporaryDir dir;
    const CalibrationStore store(dir.filePath(QStringLiteral("paginette.conf")));
    const Calibration front{1.5, -2, 99, 101, 0};
    const Calibration back{-0.5, 1, 100.5, 99.5, -12};
    QCOMPARE(store.save(QStringLiteral("office"), front, Side::Front), QString());
    QCOMPARE(store.save(QStringLiteral("office"), back, Side::Back), QString());
    const auto values = [](const Calibration &c) {
        return QList<double>{c.offsetX, c.offsetY, c.scaleX, c.scaleY, c.rotation};
    };
    QCOMPARE(values(store.load(QStringLiteral("office"))), values(front));
    QCOMPARE(values(store.load(QStringLiteral("office"), Side::Back)), values(back));
    QCOMPARE(values(store.load(QStringLiteral("shop"), Side::Back)), values(Calibration{}));
}

QTEST_MAIN(TestPrintPlan)
#include "tst_printplan.moc"

// The long edge of a sheet taller than wide is its side, of one wider than
// tall its top: a back lies where the paper turning about that edge puts it,
// as the PDF and the print job name the edge.
void TestPrintPlan::backsTurnAboutTheEdgeThePaperTurnsOn_data()
{
    QTest::addColumn<QSizeF>("paper");
    QTest::addColumn<Duplex>("flip");
    QTest::addColumn<QRectF>("back"); // of the front's cell (10, 20, 30, 40)

    QTest::newRow("portrait, long edge")
        << QSizeF(200, 300) << Duplex::LongEdge << QRectF(160, 20, 30, 40);
    QTest::newRow("portrait, short edge")
        << QSizeF(200, 300) << Duplex::ShortEdge << QRectF(10, 240, 30, 40);
    QTest::newRow("landscape, long edge")
        << QSizeF(300, 200) << Duplex::LongEdge << QRectF(10, 140, 30, 40);
    QTest::newRow("landscape, short edge")
        << QSizeF(300, 200) << Duplex::ShortEdge << QRectF(260, 20, 30, 40);
}

void TestPrintPlan::backsTurnAboutTheEdgeThePaperTurnsOn()
{
    QFETCH(QSizeF, paper);
    QFETCH(Duplex, flip);
    QFETCH(QRectF, back);

    QCOMPARE(mirroredOnBack(QRectF(10, 20, 30, 40), paper, flip), back);
    // The run's placements and the registration test take the same mirror.
    Document doc = emptyDocument(2);
    addNumber(doc, 0, 0, 1, 2);
    doc.duplex = flip;
    SheetLayout sheet;
    sheet.paper = paper;
    sheet.label = QSizeF(30, 40);
    sheet.grids = {{1, 1, 10, 20, 0, 0}};
    doc.sheet = sheet;
    const RunPlacements placements(doc, wholeRun(1), {});
    QCOMPARE(placements.onFace({1, Side::Back}).value(0).cell, back);
}

// Each side is moved by its own calibration before the check names what it
// pushes off the printable area; a side the run does not print is not checked.
void TestPrintPlan::eachSideIsCheckedUnderItsCalibration_data()
{
    QTest::addColumn<double>("frontOffset"); // millimetres right
    QTest::addColumn<double>("backOffset");
    QTest::addColumn<PrintedSides>("sides");
    QTest::addColumn<QStringList>("outside");

    QTest::newRow("the back pushed off")
        << 0.0 << 20.0 << PrintedSides::Both << QStringList{"stub"};
    QTest::newRow("the front pushed off, the back unmoved")
        << 20.0 << 0.0 << PrintedSides::Both << QStringList{"ticket"};
    QTest::newRow("the back pushed off, the fronts printed alone")
        << 0.0 << 20.0 << PrintedSides::Front << QStringList{};
}

void TestPrintPlan::eachSideIsCheckedUnderItsCalibration()
{
    QFETCH(double, frontOffset);
    QFETCH(double, backOffset);
    QFETCH(PrintedSides, sides);
    QFETCH(QStringList, outside);

    // 10 mm (28 units) from the printable area's right edge, on both sides.
    const QRectF printable(18, 18, 559, 806);
    Document doc = emptyDocument(4);
    const int ticket = addNumber(doc, 509, 100, 1, 3);
    doc.objects[ticket].name = QStringLiteral("ticket");
    const int stub = addNumber(doc, 509, 100, 1, 3);
    doc.objects[stub].name = QStringLiteral("stub");
    doc.objects[stub].side = Side::Back;
    doc.duplex = Duplex::LongEdge;
    PrintPlan plan = wholeRun(3);
    plan.calibration.offsetX = frontOffset;
    plan.backCalibration.offsetX = backOffset;
    plan.sides = sides;
    QCOMPARE(objectsOutside(RunTexts(doc), plan, 360, printable), outside);
}
