#include "sheetdatabase.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <set>

namespace {

constexpr double mm = 72 / 25.4;

bool sameDistance(double a, double b)
{
    return std::abs(a - b) < 1e-3;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestSheets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyInstalledProductReads();
    void productsAsTheirFilesSay_data();
    void productsAsTheirFilesSay();
    void aBadFileIsSkippedWithOneLine();
    void searchFindsEveryWord();
    void everyLabelHasACellOfItsOwn();
    void oneProductIsFoundAsTheWholeDatabaseGivesIt();
    void oneProductIsLookedUpInItsFilesAlone_data();
    void oneProductIsLookedUpInItsFilesAlone();
};

void TestSheets::everyInstalledProductReads()
{
    const QDir folder(installedSheetFolder);
    if (!folder.exists())
        QSKIP("glabels-data is not installed");
    QStringList skipped;
    const SheetDatabase database = SheetDatabase::read(folder.path(), &skipped);
    QVERIFY2(skipped.isEmpty(), qPrintable(skipped.join(u'\n')));
    // Every Template element of the files is a product.
    qsizetype templates = 0;
    for (const QString &name : folder.entryList({QStringLiteral("*-templates.xml")})) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray text = file.readAll();
        // Products a comment holds are none.
        for (qsizetype start = text.indexOf("<!--"); start >= 0; start = text.indexOf("<!--")) {
            const qsizetype end = text.indexOf("-->", start);
            text.remove(start, end < 0 ? text.size() - start : end + 3 - start);
        }
        templates += text.count("<Template ");
    }
    QCOMPARE(database.products().size(), templates);
    for (const SheetLayout &layout : database.products())
        QVERIFY2(layout.problem().isEmpty(), qPrintable(layout.title()));
}

void TestSheets::productsAsTheirFilesSay_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSizeF>("paper");
    QTest::addColumn<int>("shape");
    QTest::addColumn<QSizeF>("label");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QList<LabelGrid>>("grids");

    const QSizeF letter(612, 792);
    const QSizeF a4(210 * mm, 297 * mm);
    QTest::newRow("inches") << "Avery 5160" << letter << int(LabelShape::Rectangle)
                            << QSizeF(189, 72) << 4.5
                            << QList<LabelGrid>{{3, 10, 11.25, 36, 200.25, 72}};
    QTest::newRow("the same as another")
        << "avery 5260" << letter << int(LabelShape::Rectangle) << QSizeF(189, 72) << 4.5
        << QList<LabelGrid>{{3, 10, 11.25, 36, 200.25, 72}};
    QTest::newRow("millimetres, A4")
        << "Zweckform 3474" << a4 << int(LabelShape::Rectangle) << QSizeF(70 * mm, 37 * mm) << 0.0
        << QList<LabelGrid>{{3, 8, 0, 0, 70 * mm, 37 * mm}};
    QTest::newRow("no unit") << "Herma 4283" << a4 << int(LabelShape::Rectangle)
                             << QSizeF(544.252, 110.551) << 5.0
                             << QList<LabelGrid>{{1, 6, 25.5118, 32.5984, 544.252, 133.228}};
    QTest::newRow("round") << "Avery 3274.2" << letter << int(LabelShape::Round) << QSizeF(108, 108)
                           << 54.0 << QList<LabelGrid>{{4, 5, 36, 54, 144, 144}};
    QTest::newRow("CD") << "Avery L6043" << a4 << int(LabelShape::Cd)
                        << QSizeF(117.4 * mm, 117.4 * mm) << 58.7 * mm
                        << QList<LabelGrid>{{1, 2, 46 * mm, 21.8 * mm, 123.75 * mm, 137 * mm}};
    QTest::newRow("two layouts") << "Pressit 50blank" << a4 << int(LabelShape::Cd)
                                 << QSizeF(333, 333) << 166.5
                                 << QList<LabelGrid>{{1, 1, 30.096, 70.416, 351, 351},
                                                     {1, 1, 233.208, 440.712, 351, 351}};
}

void TestSheets::productsAsTheirFilesSay()
{
    if (!QDir(installedSheetFolder).exists())
        QSKIP("glabels-data is not installed");
    QFETCH(QString, name);
    QFETCH(QSizeF, paper);
    QFETCH(int, shape);
    QFETCH(QSizeF, label);
    QFETCH(double, radius);
    QFETCH(QList<LabelGrid>, grids);
    static const SheetDatabase database = SheetDatabase::read(installedSheetFolder);
    const std::optional<SheetLayout> layout = database.find(name);
    QVERIFY(layout);
    QVERIFY(sameDistance(layout->paper.width(), paper.width()) &&
            sameDistance(layout->paper.height(), paper.height()));
    QCOMPARE(int(layout->shape), shape);
    QVERIFY(sameDistance(layout->label.width(), label.width()) &&
            sameDistance(layout->label.height(), label.height()));
    QVERIFY(sameDistance(layout->cornerRadius, radius));
    QCOMPARE(layout->grids.size(), grids.size());
    for (qsizetype i = 0; i < grids.size(); ++i) {
        const LabelGrid &read = layout->grids[i];
        QCOMPARE(read.columns, grids[i].columns);
        QCOMPARE(read.rows, grids[i].rows);
        for (const auto &[got, want] : {std::pair{read.x0, grids[i].x0},
                                        {read.y0, grids[i].y0},
                                        {read.dx, grids[i].dx},
                                        {read.dy, grids[i].dy}})
            QVERIFY2(sameDistance(got, want), qPrintable(QString::number(got)));
    }
}

void TestSheets::aBadFileIsSkippedWithOneLine()
{
    const QTemporaryDir folder;
    // A default namespace, a distance without a unit, a product the same as
    // another; then a file cut short.
    const bool paperWritten =
        writeFile(folder.filePath(QStringLiteral("paper-sizes.xml")),
                  R"(<Glabels-paper-sizes><Paper-size id="A4" width="210mm" height="297mm"/>
                         </Glabels-paper-sizes>)");
    QVERIFY(paperWritten);
    const bool goodWritten = writeFile(folder.filePath(QStringLiteral("good-templates.xml")),
                                       R"(<Glabels-templates xmlns="http://glabels.org/xmlns/3.0/">
                         <Template brand="Make" part="1" size="A4" _description="Tags">
                           <Label-ellipse id="0" width="100" height="1in">
                             <Layout nx="2" ny="3" x0="10" y0="1cm" dx="120" dy="1pc"/>
                           </Label-ellipse></Template>
                         <Template brand="Make" part="2" equiv="1"/>
                         <Template brand="Make" part="3" size="Folio" _description="?">
                           <Label-round id="0" radius="1in"/></Template>
                         </Glabels-templates>)");
    QVERIFY(goodWritten);
    const bool cutWritten =
        writeFile(folder.filePath(QStringLiteral("cut-templates.xml")),
                  R"(<Glabels-templates><Template brand="Cut" part="9" size="A4">)");
    QVERIFY(cutWritten);
    QStringList skipped;
    const SheetDatabase database = SheetDatabase::read(folder.path(), &skipped);
    QCOMPARE(skipped.size(), 2);
    QVERIFY(skipped[0].contains(QLatin1String("cut-templates.xml")));
    QVERIFY(skipped[1].contains(QLatin1String("Folio")));
    QCOMPARE(database.products().size(), 2);
    const SheetLayout same = *database.find(u"MAKE 2");
    QCOMPARE(same.description, QStringLiteral("Tags"));
    QCOMPARE(same.shape, LabelShape::Ellipse);
    QCOMPARE(same.label, QSizeF(100, 72));
    QCOMPARE(same.grids.constFirst().y0, 72 / 2.54);
    QCOMPARE(same.grids.constFirst().dy, 12.0);
}

void TestSheets::searchFindsEveryWord()
{
    const QTemporaryDir folder;
    const bool written = writeFile(folder.filePath(QStringLiteral("a-templates.xml")),
                                   R"(<Glabels-templates>
                         <Template brand="Avery" part="5160" size="Other" width="8.5in" height="11in" _description="Address Labels">
                           <Label-rectangle width="1in" height="1in"><Layout nx="1" ny="1"/></Label-rectangle></Template>
                         <Template brand="Herma" part="4212" size="Other" width="8.5in" height="11in" _description="Business Cards">
                           <Label-rectangle width="1in" height="1in"><Layout nx="1" ny="1"/></Label-rectangle></Template>
                         </Glabels-templates>)");
    QVERIFY(written);
    const SheetDatabase database = SheetDatabase::read(folder.path());
    QCOMPARE(database.matching(u"5160"), QList<int>{0});
    QCOMPARE(database.matching(u"herma 4212"), QList<int>{1});
    QCOMPARE(database.matching(u"business CARD"), QList<int>{1});
    QCOMPARE(database.matching(u"avery card"), QList<int>{});
    QCOMPARE(database.matching(u" "), (QList<int>{0, 1}));
}

// Whatever the sheet, first cell and order: the labels of a run take
// distinct cells, never a blank one, on the sheets sheetsFor counts, in the
// order chosen.
void TestSheets::everyLabelHasACellOfItsOwn()
{
    QRandomGenerator random(qEnvironmentVariableIntValue("PAGINETTE_SEED") + 26);
    for (int round = 0; round < 500; ++round) {
        SheetLayout layout;
        layout.grids.append({random.bounded(1, 5), random.bounded(1, 5), 0, 0, 10, 10});
        if (random.bounded(3) == 0)
            layout.grids.append({random.bounded(1, 3), 1, 0, 50, 10, 10});
        layout.order = static_cast<SheetOrder>(random.bounded(3));
        const int cells = layout.cellCount();
        const int firstCell = random.bounded(1, cells + 1);
        const int labels = random.bounded(1, 4 * cells);
        const std::int64_t sheets = sheetsFor(layout, firstCell, labels);
        const QByteArray where = QByteArray::number(round);
        // Read cell by cell, the sheets hold every label once, in a cell of
        // the sheet, never in a blank one.
        std::map<std::pair<std::int64_t, int>, int> taken;
        std::set<std::int64_t> found;
        for (std::int64_t sheet = 0; sheet < sheets; ++sheet) {
            for (int cell = 0; cell < cells; ++cell) {
                const std::optional<std::int64_t> label =
                    labelInCell(layout, firstCell, sheet, cell, labels);
                if (!label)
                    continue;
                QVERIFY2(*label >= 0 && *label < labels, where);
                QVERIFY2(sheet > 0 || cell >= firstCell - 1, where);
                QVERIFY2(found.insert(*label).second, where);
                taken.emplace(std::pair{sheet, cell}, static_cast<int>(*label));
            }
        }
        QCOMPARE(std::int64_t(found.size()), std::int64_t{labels});
        QCOMPARE(sheetsFor(layout, firstCell, labels),
                 taken.empty() ? 0 : taken.rbegin()->first.first + 1);
        // Cut and stack: a cell's label is the one the same cell of the
        // sheet before holds, plus one. Else the run fills cells in turn.
        for (const auto &[place, label] : taken) {
            if (layout.order == SheetOrder::CutAndStack) {
                const auto below = taken.find({place.first + 1, place.second});
                QVERIFY2(below == taken.end() || below->second == label + 1, where);
            } else {
                QCOMPARE(place.first * cells + place.second, firstCell - 1 + label);
            }
        }
    }
}

void TestSheets::oneProductIsFoundAsTheWholeDatabaseGivesIt()
{
    if (!QDir(installedSheetFolder).exists())
        QSKIP("glabels-data is not installed");
    const SheetDatabase database = SheetDatabase::read(installedSheetFolder);
    // A sample of every make's products, those the same as another among them.
    for (qsizetype i = 0; i < database.products().size(); i += 13) {
        const QString title = database.products()[i].title();
        QStringList skipped;
        bool installed = false;
        QCOMPARE(SheetDatabase::lookUp(installedSheetFolder, title.toUpper(), &installed, &skipped),
                 database.find(title));
        QVERIFY(installed);
        QCOMPARE(skipped, QStringList());
    }
}

void TestSheets::oneProductIsLookedUpInItsFilesAlone_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description"); // of the product found, if any
    QTest::addColumn<int>("skipped");

    QTest::newRow("in its file, another cut short") << "Make 1"
                                                    << "Tags" << 0;
    QTest::newRow("the same as one of another file") << "make 5"
                                                     << "Tags" << 0;
    QTest::newRow("a part of words") << "Make Tray (box 2)"
                                     << "Trays" << 0;
    QTest::newRow("no such product") << "Make 7"
                                     << "" << 0;
    QTest::newRow("a part the cut file mentions") << "Cut 9"
                                                  << "" << 1;
}

void TestSheets::oneProductIsLookedUpInItsFilesAlone()
{
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(int, skipped);

    const QTemporaryDir folder;
    const QByteArray tags = R"(<Label-rectangle width="1in" height="1in"><Layout nx="1" ny="1"/>
                               </Label-rectangle></Template>)";
    QVERIFY(writeFile(folder.filePath(QStringLiteral("paper-sizes.xml")),
                      R"(<Glabels-paper-sizes><Paper-size id="A4" width="210mm" height="297mm"/>
                         </Glabels-paper-sizes>)"));
    const QByteArray products =
        R"xml(<Glabels-templates><Template brand="Make" part="1" size="A4" _description="Tags">)xml" +
        tags +
        R"xml(<Template brand="Make" part="Tray (box 2)" size="A4" _description="Trays">)xml" +
        tags + "</Glabels-templates>";
    QVERIFY(writeFile(folder.filePath(QStringLiteral("a-templates.xml")), products));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("b-templates.xml")),
                      R"(<Glabels-templates><Template brand="Make" part="5" equiv="1"/>
                         </Glabels-templates>)"));
    QVERIFY(writeFile(folder.filePath(QStringLiteral("cut-templates.xml")),
                      R"(<Glabels-templates><Template brand="Cut" part="9" size="A4">)"));

    QStringList told;
    bool installed = false;
    const std::optional<SheetLayout> found =
        SheetDatabase::lookUp(folder.path(), name, &installed, &told);
    QVERIFY(installed);
    QCOMPARE(found.has_value(), !description.isEmpty());
    if (found) {
        QCOMPARE(found->title().toLower(), name.toLower());
        QCOMPARE(found->description, description);
        QCOMPARE(*found, *SheetDatabase::read(folder.path()).find(name));
    }
    QCOMPARE(told.size(), skipped);

    const QTemporaryDir empty;
    QVERIFY(!SheetDatabase::lookUp(empty.path(), name, &installed));
    QVERIFY(!installed);
}

QTEST_MAIN(TestSheets)
#include "tst_sheets.moc"
