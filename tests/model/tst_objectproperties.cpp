#include "documentbuilder.h"
#include "objectproperties.h"
#include "paginetteerror.h"

#include <QTest>

namespace {

// The Number fields of an object as a compact dump.
QString numberOf(const Document &doc, int index)
{
    const PageObject &object = doc.objects[index];
    return QStringLiteral("start %1 digits %2 zeros %3 steps %4/%5 format %6")
        .arg(object.start)
        .arg(object.digits)
        .arg(object.zeros)
        .arg(object.stepPage)
        .arg(object.stepLink)
        .arg(int(object.format.system));
}

// The conversion error an apply raised, or nothing.
template <typename Apply> QString errorOf(Apply apply)
{
    try {
        apply();
    } catch (const PaginetteError &error) {
        return error.message();
    }
    return QString();
}

} // namespace

class ObjectPropertiesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numberEntriesShowTheStartText();
    void applyNumber_data();
    void applyNumber();
    void linkedMemberGetsItsStartBack();
    void applyTextLeavesNumbersAlone();
    void applyPositionStopsAtTheFirstBadField();
    void colorNames_data();
    void colorNames();
    void endPreview_data();
    void endPreview();
};

void ObjectPropertiesTest::numberEntriesShowTheStartText()
{
    PageObject object;
    object.start = 125;
    object.digits = 5;
    object.stepPage = -3;
    object.stepLink = 1;
    // Formed from the start value, not from a text stored before.
    object.text = QStringLiteral("00127");
    NumberEntries entries = numberEntriesOf(object);
    QCOMPARE((QStringList{entries.start, entries.format, entries.nextPage, entries.nextLink}),
             (QStringList{"00125", "decimal", "-3", "1"}));

    object.format.system = NumberSystem::Hexadecimal;
    object.start = 255;
    entries = numberEntriesOf(object);
    QCOMPARE((QStringList{entries.start, entries.format}), (QStringList{"000FF", "hexadecimal"}));
}

void ObjectPropertiesTest::applyNumber_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("nextPage");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("error");

    // The object starts as 125 in five digits with steps 2 and 1.
    QTest::newRow("007 keeps its zeros") << "007"
                                         << "decimal"
                                         << "2"
                                         << "start 7 digits 3 zeros 2 steps 2/1 format 0"
                                         << "";
    QTest::newRow("7 has no zeros") << "7"
                                    << "decimal"
                                    << "2"
                                    << "start 7 digits 1 zeros 0 steps 2/1 format 0"
                                    << "";
    QTest::newRow("fraction and negative step") << "12.9"
                                                << "decimal"
                                                << "-4.5"
                                                << "start 12 digits 4 zeros 2 steps -4/1 format 0"
                                                << "";
    QTest::newRow("hexadecimal 00ff") << "00ff"
                                      << "hexadecimal"
                                      << "2"
                                      << "start 255 digits 4 zeros 2 steps 2/1 format 1"
                                      << "";
    QTest::newRow("any other format text reads hexadecimal")
        << "1A"
        << "hex"
        << "2"
        << "start 26 digits 2 zeros 0 steps 2/1 format 1"
        << "";
    QTest::newRow("bad step: start stored, steps and width kept")
        << "7"
        << "decimal"
        << "x"
        << "start 7 digits 5 zeros 2 steps 2/1 format 0"
        << "'x' is not a valid floating point value";
    QTest::newRow("hexadecimal start stored before a bad step")
        << "abc"
        << "hexadecimal"
        << "zz"
        << "start 2748 digits 3 zeros 0 steps 2/1 format 1"
        << "'zz' is not a valid floating point value";
    QTest::newRow("bad decimal start: nothing but the format")
        << "abc"
        << "decimal"
        << "3"
        << "start 125 digits 5 zeros 2 steps 2/1 format 0"
        << "'abc' is not a valid floating point value";
}

void ObjectPropertiesTest::applyNumber()
{
    QFETCH(QString, start);
    QFETCH(QString, format);
    QFETCH(QString, nextPage);
    QFETCH(QString, after);
    QFETCH(QString, error);

    Document doc = emptyDocument(2);
    const int index = addNumber(doc, 0, 0, 125, 5, 2);
    doc.objects[index].zeros = 2;
    const QString raised = errorOf([&] {
        ::applyNumber(doc, index, NumberEntries{start, format, nextPage, QStringLiteral("1")});
    });
    QCOMPARE(raised, error);
    QCOMPARE(numberOf(doc, index), after);
}

void ObjectPropertiesTest::linkedMemberGetsItsStartBack()
{
    Document doc = emptyDocument(2);
    const int head = addNumber(doc, 0, 0, 100, 3);
    const int member = addNumber(doc, 0, 0, 101, 3);
    doc.objects[head].stepLink = 5;
    linkObjects(doc, 0, {head, member});
    ::applyNumber(doc, member, NumberEntries{"9", "decimal", "1", "1"});
    QCOMPARE(numberOf(doc, member),
             QStringLiteral("start 105 digits 3 zeros 0 steps 1/1 format 0"));
}

void ObjectPropertiesTest::applyTextLeavesNumbersAlone()
{
    Document doc = emptyDocument(3);
    addNumber(doc, 0, 0, 125, 5);
    addObject(doc, KindText, 0, 0, QStringLiteral("Hello!"));
    addObject(doc, KindPicture, 0, 0, QString());
    for (PageObject &object : doc.objects)
        applyText(object, QStringLiteral("typed"));
    // A number shows its value; the typed text is not kept for it.
    QCOMPARE(textsOf(doc, 1), (QStringList{"00125", "typed", "typed"}));
    QVERIFY(doc.objects[0].text.isEmpty());
}

void ObjectPropertiesTest::applyPositionStopsAtTheFirstBadField()
{
    PageObject object;
    object.x = 10;
    object.y = 20;
    object.name = QStringLiteral("old");
    QCOMPARE(errorOf([&] {
                 applyPosition(object, PositionEntries{"30", "y?", "45", "new"});
             }),
             QStringLiteral("'y?' is not a valid floating point value"));
    QCOMPARE((QList<int>{object.x, object.y, object.angle}), (QList<int>{30, 20, 0}));
    QCOMPARE(object.name, QStringLiteral("old"));

    applyPosition(object, PositionEntries{"-1", "2.5", "1e2", "new"});
    QCOMPARE((QList<int>{object.x, object.y, object.angle}), (QList<int>{-1, 2, 100}));
    QCOMPARE(object.name, QStringLiteral("new"));
}

void ObjectPropertiesTest::colorNames_data()
{
    QTest::addColumn<int>("color");
    QTest::addColumn<int>("customColor");
    QTest::addColumn<QString>("name");
    QTest::newRow("black") << 0 << 0 << "Black";
    QTest::newRow("green") << 32768 << 0 << "Green";
    QTest::newRow("blue") << 16711680 << 0 << "Blue";
    QTest::newRow("from the chooser") << 255 << 1 << "Custom ...";
    QTest::newRow("no name") << 12345 << 0 << "";
}

void ObjectPropertiesTest::colorNames()
{
    QFETCH(int, color);
    QFETCH(int, customColor);
    QFETCH(QString, name);
    PageObject object;
    object.color = color;
    object.customColor = static_cast<std::int16_t>(customColor);
    QCOMPARE(colorNameOf(object).value_or(QString()), name);

    // Named colours map back to their values; Gradient and the chooser's entry store nothing.
    PageObject painted;
    painted.color = 7;
    applyNamedColor(painted, name);
    QCOMPARE(painted.color, name.isEmpty() || customColor ? 7 : color);
    applyNamedColor(painted, QStringLiteral("Gradient"));
    QCOMPARE(painted.customColor, 0);
}

void ObjectPropertiesTest::endPreview_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("system");
    QTest::addColumn<QString>("end");

    // Three pages of one step each: the last page shows start + 2.
    QTest::newRow("decimal") << "7"
                             << "decimal"
                             << "9";
    QTest::newRow("decimal keeps the typed width") << "007"
                                                   << "decimal"
                                                   << "009";
    QTest::newRow("a lone minus is no number yet") << "-"
                                                   << "decimal"
                                                   << "";
    QTest::newRow("empty") << ""
                           << "decimal"
                           << "";
    QTest::newRow("hexadecimal") << "1a"
                                 << "hexadecimal"
                                 << "1C";
    QTest::newRow("not a hexadecimal digit") << "1G"
                                             << "hexadecimal"
                                             << "";
    QTest::newRow("hexadecimal text read as decimal is no number") << "ff"
                                                                   << "decimal"
                                                                   << "";
    QTest::newRow("base 36") << "0z"
                             << "base 36"
                             << "11";
    QTest::newRow("letters") << "A"
                             << "letters"
                             << "C";
    QTest::newRow("letters below A show in decimal") << "-3"
                                                     << "letters"
                                                     << "-1 (decimal: below A)";
}

void ObjectPropertiesTest::endPreview()
{
    QFETCH(QString, entry);
    QFETCH(QString, system);
    QFETCH(QString, end);

    Document doc = emptyDocument(1);
    const int index = addNumber(doc, 0, 0, 125, 5);
    doc.pagesToPrint = 3;
    QCOMPARE(::endPreview(doc, index, entry, systemNamed(system)).value_or(QString()), end);
    // A preview stores nothing.
    QCOMPARE(numberOf(doc, index), QStringLiteral("start 125 digits 5 zeros 0 steps 1/1 format 0"));
}

QTEST_APPLESS_MAIN(ObjectPropertiesTest)
#include "tst_objectproperties.moc"
