#include "file/extensionblock.h"

#include "file/jsontext.h"
#include "file/knownkeys.h"
#include "file/recordcodec.h"
#include "jobid.h"
#include "numberconversion.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QUuid>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr QByteArrayView blockTag = "PGTX";
constexpr qsizetype lengthSize = 4;
constexpr int blockVersion = 1;
// The longest index of a table of at most 2^31 - 1 objects.
constexpr qsizetype maxIndexLength = 10;
// A file name kept with a picture is at most this long.
constexpr qsizetype longestFileName = 1024;

constexpr QLatin1StringView objectsKey("objects");

constexpr std::pair<LabelShape, const char *> shapeNames[] = {
    {LabelShape::Rectangle, "rectangle"},
    {LabelShape::Round, "round"},
    {LabelShape::Ellipse, "ellipse"},
    {LabelShape::Cd, "cd"},
};

constexpr std::pair<SheetOrder, const char *> orderNames[] = {
    {SheetOrder::AcrossRows, "rows"},
    {SheetOrder::DownColumns, "columns"},
    {SheetOrder::CutAndStack, "stack"},
};

constexpr std::pair<CheckDigit, const char *> checkNames[] = {
    {CheckDigit::Luhn, "luhn"},   {CheckDigit::Mod10Weights31, "mod10-31"},
    {CheckDigit::Mod11, "mod11"}, {CheckDigit::Mod7, "mod7"},
    {CheckDigit::Mod9, "mod9"},
};

constexpr std::pair<Side, const char *> sideNames[] = {
    {Side::Front, "front"},
    {Side::Back, "back"},
};

constexpr std::pair<ShapeType, const char *> shapeTypeNames[] = {
    {ShapeType::Line, "line"},
    {ShapeType::Rectangle, "rectangle"},
    {ShapeType::Ellipse, "ellipse"},
};

constexpr std::pair<Duplex, const char *> duplexNames[] = {
    {Duplex::LongEdge, "long"},
    {Duplex::ShortEdge, "short"},
};

template <typename Enum, std::size_t N>
bool readName(const std::pair<Enum, const char *> (&names)[N], const QJsonValue &value, Enum &item)
{
    const QString name = value.toString();
    const auto found = std::find_if(std::begin(names), std::end(names), [&](const auto &entry) {
        return name == QLatin1StringView(entry.second);
    });
    // A value that is not text reads as empty, which names nothing.
    if (found == std::end(names))
        return false;
    item = found->first;
    return true;
}

template <typename Enum, std::size_t N>
QString nameOf(const std::pair<Enum, const char *> (&names)[N], Enum item)
{
    const auto found = std::find_if(std::begin(names), std::end(names),
                                    [item](const auto &entry) { return entry.first == item; });
    return found == std::end(names) ? QString() : QString::fromLatin1(found->second);
}

// The JSON text of `value`, or nothing when it is `omitted`.
template <typename Value> std::optional<QByteArray> unless(const Value &value, const Value &omitted)
{
    if (value == omitted)
        return std::nullopt;
    return jsonText(QJsonValue(value));
}

bool readSystem(const QJsonValue &value, NumberSystem &system)
{
    const QString key = value.toString();
    for (const NumberSystemRow &row : numberSystemRows()) {
        if (key == QLatin1String(row.fileKey)) {
            system = row.system;
            return true;
        }
    }
    return false;
}

bool readAffix(const QJsonValue &value, QString &text)
{
    if (!value.isString() || value.toString().size() > NumberFormat::maxAffixLength)
        return false;
    text = value.toString();
    return true;
}

bool readRepeat(const QJsonValue &value, int &repeat)
{
    const double count = value.toDouble();
    if (!value.isDouble() || !(count >= 1 && count <= NumberFormat::maxRepeat) ||
        std::trunc(count) != count)
        return false;
    repeat = static_cast<int>(count);
    return true;
}

// A table index; whether an object there can be named is the records' to say.
bool readIndex(const QJsonValue &value, std::int32_t &index)
{
    const double number = value.toDouble();
    if (!value.isDouble() || !(number >= 0 && number < maxObjectCapacity) ||
        std::trunc(number) != number)
        return false;
    index = static_cast<std::int32_t>(number);
    return true;
}

bool readBool(const QJsonValue &value, bool &flag)
{
    if (!value.isBool())
        return false;
    flag = value.toBool();
    return true;
}

bool readLength(const QJsonValue &value, double &length)
{
    const double read = value.toDouble();
    if (!value.isDouble() ||
        !(read >= BarcodeStyle::smallestLength && read <= BarcodeStyle::largestLength))
        return false;
    length = read;
    return true;
}

// A barcode names its symbology; its other keys may be left out.
constexpr KnownKey<BarcodeStyle> barcodeKeys[] = {
    {QLatin1StringView("symbology"),
     [](const QJsonValue &v, QByteArrayView, BarcodeStyle &style) {
         const std::optional<Symbology> symbology = symbologyFromName(v.toString());
         if (symbology)
             style.symbology = *symbology;
         return symbology.has_value();
     },
     [](const BarcodeStyle &style) -> std::optional<QByteArray> {
         return jsonText(symbologyName(style.symbology));
     },
     true},
    {QLatin1StringView("height"),
     [](const QJsonValue &v, QByteArrayView, BarcodeStyle &style) {
         return readLength(v, style.barHeight);
     },
     [](const BarcodeStyle &style) -> std::optional<QByteArray> {
         return jsonText(style.barHeight);
     }},
    {QLatin1StringView("module"),
     [](const QJsonValue &v, QByteArrayView, BarcodeStyle &style) {
         return readLength(v, style.moduleWidth);
     },
     [](const BarcodeStyle &style) -> std::optional<QByteArray> {
         return jsonText(style.moduleWidth);
     }},
    {QLatin1StringView("text"),
     [](const QJsonValue &v, QByteArrayView, BarcodeStyle &style) {
         return readBool(v, style.showText);
     },
     [](const BarcodeStyle &style) -> std::optional<QByteArray> {
         return jsonText(style.showText);
     }},
};

bool readSide(const QJsonValue &value, double &side)
{
    const double read = value.toDouble();
    if (!value.isDouble() || !(read >= smallestPictureSide && read <= largestPictureSide))
        return false;
    side = read;
    return true;
}

// A picture names its bytes and its size; its other keys may be left out.
constexpr KnownKey<PictureRef> pictureKeys[] = {
    {QLatin1StringView("id"),
     [](const QJsonValue &v, QByteArrayView, PictureRef &picture) {
         picture.id = v.toString();
         return !picture.id.isEmpty();
     },
     [](const PictureRef &picture) -> std::optional<QByteArray> { return jsonText(picture.id); },
     true},
    {QLatin1StringView("width"),
     [](const QJsonValue &v, QByteArrayView, PictureRef &picture) {
         return readSide(v, picture.width);
     },
     [](const PictureRef &picture) -> std::optional<QByteArray> { return jsonText(picture.width); },
     true},
    {QLatin1StringView("height"),
     [](const QJsonValue &v, QByteArrayView, PictureRef &picture) {
         return readSide(v, picture.height);
     },
     [](const PictureRef &picture) -> std::optional<QByteArray> {
         return jsonText(picture.height);
     },
     true},
    {QLatin1StringView("file"),
     [](const QJsonValue &v, QByteArrayView, PictureRef &picture) {
         if (!v.isString() || v.toString().size() > longestFileName)
             return false;
         picture.file = v.toString();
         return true;
     },
     [](const PictureRef &picture) {
         return unless(picture.file, QString());
     }},
    {QLatin1StringView("page"),
     [](const QJsonValue &v, QByteArrayView, PictureRef &picture) {
         const double page = v.toDouble();
         if (!v.isDouble() || !(page >= 1 && page <= std::numeric_limits<std::int32_t>::max()) ||
             std::trunc(page) != page)
             return false;
         picture.page = static_cast<std::int32_t>(page);
         return true;
     },
     [](const PictureRef &picture) {
         return unless(picture.page, 1);
     }},
    {QLatin1StringView("background"),
     [](const QJsonValue &v, QByteArrayView, PictureRef &picture) {
         return readBool(v, picture.background);
     },
     [](const PictureRef &picture) {
         return unless(picture.background, false);
     }},
    {QLatin1StringView("print"),
     [](const QJsonValue &v, QByteArrayView, PictureRef &picture) {
         return readBool(v, picture.printed);
     },
     [](const PictureRef &picture) {
         return unless(picture.printed, true);
     }},
};

bool readShapeLength(const QJsonValue &value, double longest, double &length)
{
    const double read = value.toDouble();
    if (!value.isDouble() || !(read >= 0 && read <= longest))
        return false;
    length = read;
    return true;
}

// A colour as "#rrggbb".
bool readColor(const QJsonValue &value, std::uint32_t &color)
{
    const QString text = value.toString();
    bool ok = false;
    const uint read = text.mid(1).toUInt(&ok, 16);
    if (!value.isString() || text.size() != 7 || text[0] != u'#' || !ok)
        return false;
    color = read;
    return true;
}

QByteArray colorText(std::uint32_t color)
{
    return jsonText(QStringLiteral("#%1").arg(color, 6, 16, QLatin1Char('0')));
}

bool readDash(const QJsonValue &value, QList<double> &dash)
{
    const QJsonArray lengths = value.toArray();
    if (!value.isArray() || lengths.isEmpty() || lengths.size() > longestDash)
        return false;
    dash.clear();
    for (const QJsonValue &length : lengths) {
        const double read = length.toDouble();
        if (!length.isDouble() || !(read > 0 && read <= longestShapeSide))
            return false;
        dash.append(read);
    }
    return true;
}

constexpr KnownKey<ShapeStyle> shapeKeys[] = {
    {QLatin1StringView("type"),
     [](const QJsonValue &v, QByteArrayView, ShapeStyle &shape) {
         return readName(shapeTypeNames, v, shape.type);
     },
     [](const ShapeStyle &shape) -> std::optional<QByteArray> {
         return jsonText(nameOf(shapeTypeNames, shape.type));
     },
     true},
    {QLatin1StringView("width"),
     [](const QJsonValue &v, QByteArrayView, ShapeStyle &shape) {
         return readShapeLength(v, longestShapeSide, shape.width);
     },
     [](const ShapeStyle &shape) -> std::optional<QByteArray> {
         return jsonText(shape.width);
     }},
    {QLatin1StringView("height"),
     [](const QJsonValue &v, QByteArrayView, ShapeStyle &shape) {
         return readShapeLength(v, longestShapeSide, shape.height);
     },
     [](const ShapeStyle &shape) -> std::optional<QByteArray> {
         return jsonText(shape.height);
     }},
    {QLatin1StringView("stroke"),
     [](const QJsonValue &v, QByteArrayView, ShapeStyle &shape) {
         return readShapeLength(v, widestStroke, shape.stroke);
     },
     [](const ShapeStyle &shape) -> std::optional<QByteArray> {
         return jsonText(shape.stroke);
     }},
    {QLatin1StringView("color"),
     [](const QJsonValue &v, QByteArrayView, ShapeStyle &shape) {
         return readColor(v, shape.color);
     },
     [](const ShapeStyle &shape) -> std::optional<QByteArray> {
         return colorText(shape.color);
     }},
    {QLatin1StringView("fill"),
     [](const QJsonValue &v, QByteArrayView, ShapeStyle &shape) {
         std::uint32_t fill = 0;
         if (!readColor(v, fill))
             return false;
         shape.fill = fill;
         return true;
     },
     [](const ShapeStyle &shape) -> std::optional<QByteArray> {
         if (!shape.fill)
             return std::nullopt;
         return colorText(*shape.fill);
     }},
    {QLatin1StringView("dash"),
     [](const QJsonValue &v, QByteArrayView, ShapeStyle &shape) { return readDash(v, shape.dash); },
     [](const ShapeStyle &shape) -> std::optional<QByteArray> {
         if (shape.dash.isEmpty())
             return std::nullopt;
         QJsonArray lengths;
         for (const double length : shape.dash)
             lengths.append(length);
         return QJsonDocument(lengths).toJson(QJsonDocument::Compact);
     }},
};

// [width, height] in points.
bool readSize(const QJsonValue &value, QSizeF &size)
{
    const QJsonArray pair = value.toArray();
    if (!value.isArray() || pair.size() != 2 || !pair[0].isDouble() || !pair[1].isDouble())
        return false;
    size = QSizeF(pair[0].toDouble(), pair[1].toDouble());
    return true;
}

QByteArray sizeText(const QSizeF &size)
{
    return jsonText(QJsonArray{size.width(), size.height()});
}

// Each grid as [columns, rows, x0, y0, dx, dy].
bool readGrids(const QJsonValue &value, QList<LabelGrid> &grids)
{
    if (!value.isArray() || value.toArray().size() > SheetLayout::maxCells)
        return false;
    QList<LabelGrid> read;
    for (const QJsonValue &entry : value.toArray()) {
        const QJsonArray numbers = entry.toArray();
        if (numbers.size() != 6 || !std::all_of(numbers.begin(), numbers.end(),
                                                [](const QJsonValue &n) { return n.isDouble(); }))
            return false;
        const double columns = numbers[0].toDouble();
        const double rows = numbers[1].toDouble();
        if (!(columns >= 1 && columns <= SheetLayout::maxCells && rows >= 1 &&
              rows <= SheetLayout::maxCells))
            return false;
        read.append({int(columns), int(rows), numbers[2].toDouble(), numbers[3].toDouble(),
                     numbers[4].toDouble(), numbers[5].toDouble()});
    }
    grids = read;
    return true;
}

QByteArray gridsText(const QList<LabelGrid> &grids)
{
    QJsonArray written;
    for (const LabelGrid &grid : grids)
        written.append(QJsonArray{grid.columns, grid.rows, grid.x0, grid.y0, grid.dx, grid.dy});
    return jsonText(written);
}

bool readName(const QJsonValue &value, QString &name)
{
    if (!value.isString() || value.toString().size() > longestFileName)
        return false;
    name = value.toString();
    return true;
}

bool readDistance(const QJsonValue &value, double &distance)
{
    if (!value.isDouble())
        return false;
    distance = value.toDouble();
    return true;
}

// A sheet names its paper, labels and grids; its other keys may be left out.
constexpr KnownKey<SheetLayout> sheetKeys[] = {
    {QLatin1StringView("paper"),
     [](const QJsonValue &v, QByteArrayView, SheetLayout &sheet) {
         return readSize(v, sheet.paper);
     },
     [](const SheetLayout &sheet) -> std::optional<QByteArray> { return sizeText(sheet.paper); },
     true},
    {QLatin1StringView("shape"),
     [](const QJsonValue &v, QByteArrayView, SheetLayout &sheet) {
         return readName(shapeNames, v, sheet.shape);
     },
     [](const SheetLayout &sheet) -> std::optional<QByteArray> {
         return jsonText(nameOf(shapeNames, sheet.shape));
     }},
    {QLatin1StringView("label"),
     [](const QJsonValue &v, QByteArrayView, SheetLayout &sheet) {
         return readSize(v, sheet.label);
     },
     [](const SheetLayout &sheet) -> std::optional<QByteArray> { return sizeText(sheet.label); },
     true},
    {QLatin1StringView("grids"),
     [](const QJsonValue &v, QByteArrayView, SheetLayout &sheet) {
         return readGrids(v, sheet.grids);
     },
     [](const SheetLayout &sheet) -> std::optional<QByteArray> { return gridsText(sheet.grids); },
     true},
    {QLatin1StringView("order"),
     [](const QJsonValue &v, QByteArrayView, SheetLayout &sheet) {
         return readName(orderNames, v, sheet.order);
     },
     [](const SheetLayout &sheet) -> std::optional<QByteArray> {
         return jsonText(nameOf(orderNames, sheet.order));
     }},
    {QLatin1StringView("make"),
     [](const QJsonValue &v, QByteArrayView, SheetLayout &sheet) {
         return readName(v, sheet.make);
     },
     [](const SheetLayout &sheet) {
         return unless(sheet.make, QString());
     }},
    {QLatin1StringView("part"),
     [](const QJsonValue &v, QByteArrayView, SheetLayout &sheet) {
         return readName(v, sheet.part);
     },
     [](const SheetLayout &sheet) {
         return unless(sheet.part, QString());
     }},
    {QLatin1StringView("description"),
     [](const QJsonValue &v, QByteArrayView, SheetLayout &sheet) {
         return readName(v, sheet.description);
     },
     [](const SheetLayout &sheet) {
         return unless(sheet.description, QString());
     }},
    {QLatin1StringView("corner"),
     [](const QJsonValue &v, QByteArrayView, SheetLayout &sheet) {
         return readDistance(v, sheet.cornerRadius);
     },
     [](const SheetLayout &sheet) {
         return unless(sheet.cornerRadius, 0.0);
     }},
    {QLatin1StringView("hole"),
     [](const QJsonValue &v, QByteArrayView, SheetLayout &sheet) {
         return readDistance(v, sheet.holeRadius);
     },
     [](const SheetLayout &sheet) {
         return unless(sheet.holeRadius, 0.0);
     }},
};

// The table index an entry's key names, written as a plain decimal number
// without leading zeros so that two keys never name one object.
std::optional<std::int32_t> objectIndex(const QString &key, std::int32_t objectCount)
{
    if (key.isEmpty() || key.size() > maxIndexLength || (key.size() > 1 && key[0] == u'0'))
        return std::nullopt;
    std::int64_t index = 0;
    for (const QChar c : key) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        index = index * 10 + (c.unicode() - u'0');
    }
    if (index >= objectCount)
        return std::nullopt;
    return static_cast<std::int32_t>(index);
}

// A data file's path is at most this long, as the system's own paths.
constexpr qsizetype longestPath = 4096;
// An encoding's name, as iconv knows it, is at most this long.
constexpr qsizetype longestEncoding = 64;

bool readText(const QJsonValue &value, qsizetype longest, QString &text)
{
    if (!value.isString() || value.toString().size() > longest)
        return false;
    text = value.toString();
    return true;
}

// A column is named as a spreadsheet's cell may be.
bool readColumnName(const QJsonValue &value, QString &name)
{
    return readText(value, DataLimits{}.cellCharacters, name);
}

constexpr std::pair<NumberCounting::Mode, const char *> countingNames[] = {
    {NumberCounting::Mode::On, "on"},
    {NumberCounting::Mode::Restart, "restart"},
};

constexpr KnownKey<NumberCounting> startColumnKeys[] = {
    {QLatin1StringView("startColumn"),
     [](const QJsonValue &v, QByteArrayView, NumberCounting &counting) {
         counting.mode = NumberCounting::Mode::StartColumn;
         return readColumnName(v, counting.startColumn);
     },
     [](const NumberCounting &counting) -> std::optional<QByteArray> {
         return jsonText(counting.startColumn);
     },
     true},
};

// "on", "restart" or {"startColumn": name}.
bool readCounting(const QJsonValue &value, QByteArrayView text, NumberCounting &counting)
{
    if (value.isObject())
        return readKnownKeys<NumberCounting>(value, text, startColumnKeys, counting);
    return readName(countingNames, value, counting.mode);
}

QByteArray countingText(const NumberCounting &counting)
{
    if (counting.mode == NumberCounting::Mode::StartColumn)
        return objectText(knownKeyMembers<NumberCounting>(counting, startColumnKeys));
    return jsonText(nameOf(countingNames, counting.mode));
}

// Each number's counting under its table index, which the block checks
// against its objects.
bool readCountings(const QJsonValue &value, QByteArrayView text,
                   std::map<std::int32_t, NumberCounting> &countings)
{
    const std::optional<JsonMembers> members = objectMembers(text);
    if (!value.isObject() || !members)
        return false;
    const QJsonObject entries = value.toObject();
    for (const auto &[key, json] : *members) {
        const std::optional<std::int32_t> index =
            objectIndex(key, std::numeric_limits<std::int32_t>::max());
        NumberCounting counting;
        if (!index || !readCounting(entries.value(key), json, counting))
            return false;
        countings[*index] = counting;
    }
    return true;
}

QByteArray countingsText(const std::map<std::int32_t, NumberCounting> &countings)
{
    JsonMembers members;
    for (const auto &[index, counting] : countings)
        members.append({QString::number(index), countingText(counting)});
    return objectText(members);
}

// A data source names its file; its other keys may be left out.
constexpr KnownKey<DataSourceSettings> dataKeys[] = {
    {QLatin1StringView("file"),
     [](const QJsonValue &v, QByteArrayView, DataSourceSettings &data) {
         return readText(v, longestPath, data.file) && !data.file.isEmpty();
     },
     [](const DataSourceSettings &data) -> std::optional<QByteArray> {
         return jsonText(data.file);
     },
     true},
    {QLatin1StringView("header"),
     [](const QJsonValue &v, QByteArrayView, DataSourceSettings &data) {
         return readBool(v, data.header);
     },
     [](const DataSourceSettings &data) {
         return unless(data.header, true);
     }},
    {QLatin1StringView("separator"),
     [](const QJsonValue &v, QByteArrayView, DataSourceSettings &data) {
         return readText(v, 1, data.separator);
     },
     [](const DataSourceSettings &data) {
         return unless(data.separator, QString());
     }},
    {QLatin1StringView("encoding"),
     [](const QJsonValue &v, QByteArrayView, DataSourceSettings &data) {
         return readText(v, longestEncoding, data.encoding) && !data.encoding.isEmpty();
     },
     [](const DataSourceSettings &data) {
         return unless(data.encoding, DataSourceSettings().encoding);
     }},
    {QLatin1StringView("sheet"),
     [](const QJsonValue &v, QByteArrayView, DataSourceSettings &data) {
         return readText(v, longestFileName, data.sheet);
     },
     [](const DataSourceSettings &data) {
         return unless(data.sheet, QString());
     }},
    {QLatin1StringView("quantity"),
     [](const QJsonValue &v, QByteArrayView, DataSourceSettings &data) {
         return readColumnName(v, data.quantity);
     },
     [](const DataSourceSettings &data) {
         return unless(data.quantity, QString());
     }},
    {QLatin1StringView("counting"),
     [](const QJsonValue &v, QByteArrayView text, DataSourceSettings &data) {
         return readCountings(v, text, data.counting);
     },
     [](const DataSourceSettings &data) -> std::optional<QByteArray> {
         if (data.counting.empty())
             return std::nullopt;
         return countingsText(data.counting);
     }},
};

// Reads a keyed value that must also pass `valid` into `slot`, which holds
// it only when it read whole.
template <typename Value>
bool readInto(const QJsonValue &value, QByteArrayView text, std::span<const KnownKey<Value>> keys,
              std::optional<Value> &slot, bool (*valid)(const Value &) = nullptr)
{
    Value read;
    if (!readKnownKeys(value, text, keys, read) || (valid && !valid(read)))
        return false;
    slot = read;
    return true;
}

// What an object's entry holds beyond its record: its number format's keys,
// the barcode it is shown as, its picture, its side and its shape. A row
// reads into the object its record gave, so a key left out keeps the record's.
constexpr KnownKey<PageObject> entryKeys[] = {
    {QLatin1StringView("prefix"),
     [](const QJsonValue &v, QByteArrayView, PageObject &o) {
         return readAffix(v, o.format.prefix);
     },
     [](const PageObject &o) {
         return unless(o.format.prefix, QString());
     }},
    {QLatin1StringView("suffix"),
     [](const QJsonValue &v, QByteArrayView, PageObject &o) {
         return readAffix(v, o.format.suffix);
     },
     [](const PageObject &o) {
         return unless(o.format.suffix, QString());
     }},
    {QLatin1StringView("repeat"),
     [](const QJsonValue &v, QByteArrayView, PageObject &o) {
         return readRepeat(v, o.format.repeat);
     },
     [](const PageObject &o) {
         return unless(o.format.repeat, 1);
     }},
    {QLatin1StringView("check"),
     [](const QJsonValue &v, QByteArrayView, PageObject &o) {
         return readName(checkNames, v, o.format.check);
     },
     [](const PageObject &o) {
         return unless(nameOf(checkNames, o.format.check), QString());
     }},
    // "decimal" leaves what the record says: hexadecimal is the record's to say.
    {QLatin1StringView("system"),
     [](const QJsonValue &v, QByteArrayView, PageObject &o) {
         NumberSystem system = NumberSystem::Decimal;
         if (!readSystem(v, system))
             return false;
         if (system != NumberSystem::Decimal)
             o.format.system = system;
         return true;
     },
     [](const PageObject &o) {
         return unless(QString::fromLatin1(numberSystemRow(o.format.system).fileKey),
                       QString::fromLatin1(numberSystemRow(NumberSystem::Decimal).fileKey));
     }},
    // A start the record's field cannot hold, in decimal text (a JSON number
    // holds 53 bits). Taken only while the field still holds its low bits: a
    // version of 32-bit values that changed the start wrote the field alone.
    {QLatin1StringView("start"),
     [](const QJsonValue &v, QByteArrayView, PageObject &o) {
         const std::optional<DecimalValue> read = readDecimalValue(v.toString());
         if (!v.isString() || !read || !read->fits)
             return false;
         if (static_cast<std::uint32_t>(read->value) == static_cast<std::uint32_t>(o.start))
             o.start = read->value;
         return true;
     },
     [](const PageObject &o) -> std::optional<QByteArray> {
         if (recordHoldsStart(o))
             return std::nullopt;
         return jsonText(QString::number(o.start));
     }},
    {QLatin1StringView("autoWidth"),
     [](const QJsonValue &v, QByteArrayView, PageObject &o) {
         return readBool(v, o.format.autoWidth);
     },
     [](const PageObject &o) {
         return unless(o.format.autoWidth, false);
     }},
    {QLatin1StringView("barcode"),
     [](const QJsonValue &v, QByteArrayView text, PageObject &o) {
         return readInto<BarcodeStyle>(v, text, barcodeKeys, o.format.barcode);
     },
     [](const PageObject &o) -> std::optional<QByteArray> {
         if (!o.format.barcode)
             return std::nullopt;
         return objectText(knownKeyMembers<BarcodeStyle>(*o.format.barcode, barcodeKeys));
     }},
    {QLatin1StringView("picture"),
     [](const QJsonValue &v, QByteArrayView text, PageObject &o) {
         return readInto<PictureRef>(v, text, pictureKeys, o.picture);
     },
     [](const PageObject &o) -> std::optional<QByteArray> {
         if (!o.picture)
             return std::nullopt;
         return objectText(knownKeyMembers<PictureRef>(*o.picture, pictureKeys));
     }},
    {QLatin1StringView("side"),
     [](const QJsonValue &v, QByteArrayView, PageObject &o) {
         return readName(sideNames, v, o.side);
     },
     [](const PageObject &o) {
         return unless(nameOf(sideNames, o.side), nameOf(sideNames, Side::Front));
     }},
    {QLatin1StringView("sameAs"),
     [](const QJsonValue &v, QByteArrayView, PageObject &o) { return readIndex(v, o.sameAs); },
     [](const PageObject &o) {
         return unless(o.sameAs, -1);
     }},
    {QLatin1StringView("shape"),
     [](const QJsonValue &v, QByteArrayView text, PageObject &o) {
         return readInto<ShapeStyle>(v, text, shapeKeys, o.shape);
     },
     [](const PageObject &o) -> std::optional<QByteArray> {
         if (!o.shape)
             return std::nullopt;
         return objectText(knownKeyMembers<ShapeStyle>(*o.shape, shapeKeys));
     }},
};

// The members of an object's entry: the unknown keys it came with and the
// known ones that differ from the defaults, its format within its limits.
JsonMembers entryOf(const PageObject &object)
{
    PageObject written = object;
    written.format = withinLimits(object.format);
    return knownKeyMembers<PageObject>(written, entryKeys);
}

// Each object's entry under its table index.
bool readObjects(const QJsonValue &value, QByteArrayView text, ExtensionBlock &block)
{
    const std::optional<JsonMembers> members = objectMembers(text);
    if (!value.isObject() || !members)
        return false;
    const QJsonObject objects = value.toObject();
    const auto count = static_cast<std::int32_t>(block.objects.size());
    for (const auto &[key, json] : *members) {
        const std::optional<std::int32_t> index = objectIndex(key, count);
        if (!index ||
            !readKnownKeys<PageObject>(objects.value(key), json, entryKeys, block.objects[*index]))
            return false;
    }
    return true;
}

QByteArray objectsText(const ExtensionBlock &block)
{
    JsonMembers objects;
    for (qsizetype i = 0; i < block.objects.size(); ++i) {
        const JsonMembers entry = entryOf(block.objects[i]);
        if (!entry.isEmpty())
            objects.append({QString::number(i), objectText(entry)});
    }
    return objectText(objects);
}

// The pictures' bytes, each under its id, in Base64.
bool readPictures(const QJsonValue &value, QByteArrayView text,
                  std::map<QString, QByteArray> &pictures)
{
    const std::optional<JsonMembers> members = objectMembers(text);
    if (!value.isObject() || !members)
        return false;
    const QJsonObject entries = value.toObject();
    for (const auto &member : *members) {
        const QJsonValue entry = entries.value(member.first);
        const auto decoded = QByteArray::fromBase64Encoding(
            entry.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!entry.isString() || !decoded || decoded.decoded.size() > maxPictureBytes)
            return false;
        pictures[member.first] = decoded.decoded;
    }
    return true;
}

QByteArray picturesText(const std::map<QString, QByteArray> &pictures)
{
    JsonMembers members;
    for (const auto &[id, bytes] : pictures)
        members.append({id, '"' + bytes.toBase64() + '"'});
    return objectText(members);
}

// The block's own keys: its version, which later additions leave at 1, the
// objects' entries, the pictures' bytes, the data source, the sheet, the
// flip edge and the document's id.
constexpr KnownKey<ExtensionBlock> blockKeys[] = {
    {QLatin1StringView("version"),
     [](const QJsonValue &v, QByteArrayView, ExtensionBlock &) {
         return v.isDouble() && v.toDouble() == blockVersion;
     },
     [](const ExtensionBlock &) -> std::optional<QByteArray> { return jsonText(blockVersion); },
     true},
    {objectsKey, readObjects,
     [](const ExtensionBlock &block) -> std::optional<QByteArray> {
         return objectsText(block);
     }},
    {QLatin1StringView("pictures"),
     [](const QJsonValue &v, QByteArrayView text, ExtensionBlock &block) {
         return readPictures(v, text, block.pictures);
     },
     [](const ExtensionBlock &block) -> std::optional<QByteArray> {
         if (block.pictures.empty())
             return std::nullopt;
         return picturesText(block.pictures);
     }},
    {QLatin1StringView("data"),
     [](const QJsonValue &v, QByteArrayView text, ExtensionBlock &block) {
         std::optional<DataSourceSettings> data;
         if (!readInto<DataSourceSettings>(v, text, dataKeys, data))
             return false;
         // Every counting names one of the objects, known before the keys are read.
         const auto count = static_cast<std::int32_t>(block.objects.size());
         if (!data->counting.empty() && data->counting.rbegin()->first >= count)
             return false;
         block.data = std::move(data);
         return true;
     },
     [](const ExtensionBlock &block) -> std::optional<QByteArray> {
         if (!block.data)
             return std::nullopt;
         return objectText(knownKeyMembers<DataSourceSettings>(*block.data, dataKeys));
     }},
    {QLatin1StringView("sheet"),
     [](const QJsonValue &v, QByteArrayView text, ExtensionBlock &block) {
         return readInto<SheetLayout>(
             v, text, sheetKeys, block.sheet,
             [](const SheetLayout &sheet) { return sheet.problem().isEmpty(); });
     },
     [](const ExtensionBlock &block) -> std::optional<QByteArray> {
         if (!block.sheet)
             return std::nullopt;
         return objectText(knownKeyMembers<SheetLayout>(*block.sheet, sheetKeys));
     }},
    {QLatin1StringView("duplex"),
     [](const QJsonValue &v, QByteArrayView, ExtensionBlock &block) {
         return readName(duplexNames, v, block.duplex);
     },
     [](const ExtensionBlock &block) {
         return unless(nameOf(duplexNames, block.duplex), QString());
     }},
    {QLatin1StringView("id"),
     [](const QJsonValue &v, QByteArrayView, ExtensionBlock &block) {
         // Kept as the logs key it; an unchanged block is written back as read.
         block.id = jobId(v.toString());
         return v.isString() && !QUuid::fromString(block.id).isNull();
     },
     [](const ExtensionBlock &block) -> std::optional<QByteArray> {
         if (block.id.isEmpty())
             return std::nullopt;
         return jsonText(block.id);
     }},
};

} // namespace

std::optional<ExtensionBlock> readExtensionBlock(QByteArrayView bytes, QList<PageObject> records)
{
    ExtensionBlock block;
    block.objects = std::move(records);
    if (bytes.isEmpty())
        return block;

    const qsizetype headerSize = blockTag.size() + lengthSize;
    if (bytes.size() < headerSize || !bytes.startsWith(blockTag))
        return std::nullopt;
    const quint32 length = qFromLittleEndian<quint32>(bytes.data() + blockTag.size());
    if (length > static_cast<quint64>(bytes.size() - headerSize))
        return std::nullopt;

    const QByteArrayView json = bytes.sliced(headerSize, static_cast<qsizetype>(length));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    if (!readKnownKeys<ExtensionBlock>(document.object(), json, blockKeys, block))
        return std::nullopt;
    return block;
}

QByteArray extensionBlockBytes(const ExtensionBlock &block)
{
    const JsonMembers members = knownKeyMembers<ExtensionBlock>(block, blockKeys);
    const auto objects = std::find_if(members.begin(), members.end(), [](const auto &member) {
        return member.first == objectsKey;
    });
    // A document that uses nothing the block holds stays as it always was.
    if (objects->second == "{}" && block.unknownKeys.isEmpty() && !block.sheet && !block.data &&
        block.id.isEmpty() && block.duplex == Duplex::Off)
        return QByteArray();
    const QByteArray json = objectText(members);
    QByteArray bytes;
    bytes.reserve(blockTag.size() + lengthSize + json.size());
    bytes.append(blockTag);
    char length[lengthSize];
    qToLittleEndian<quint32>(static_cast<quint32>(json.size()), length);
    bytes.append(length, lengthSize);
    bytes.append(json);
    return bytes;
}
