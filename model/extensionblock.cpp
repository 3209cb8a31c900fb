#include "extensionblock.h"

#include "jsontext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
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

constexpr QLatin1StringView versionKey("version");
constexpr QLatin1StringView objectsKey("objects");
constexpr QLatin1StringView picturesKey("pictures");
constexpr QLatin1StringView pictureKey("picture");
constexpr QLatin1StringView sheetKey("sheet");
// A file name kept with a picture is at most this long.
constexpr qsizetype longestFileName = 1024;

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

constexpr QLatin1StringView prefixKey("prefix");
constexpr QLatin1StringView suffixKey("suffix");
constexpr QLatin1StringView repeatKey("repeat");
constexpr QLatin1StringView checkKey("check");
constexpr QLatin1StringView systemKey("system");
constexpr QLatin1StringView autoWidthKey("autoWidth");
constexpr QLatin1StringView barcodeKey("barcode");
constexpr QLatin1StringView symbologyKey("symbology");
constexpr QLatin1StringView heightKey("height");
constexpr QLatin1StringView moduleKey("module");
constexpr QLatin1StringView textKey("text");

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
bool readBarcode(const QJsonValue &value, QByteArrayView text, std::optional<BarcodeStyle> &barcode)
{
    const std::optional<JsonMembers> members = objectMembers(text);
    if (!value.isObject() || !members)
        return false;
    const QJsonObject entry = value.toObject();
    BarcodeStyle style;
    const std::optional<Symbology> symbology =
        symbologyFromName(entry.value(symbologyKey).toString());
    if (!symbology)
        return false;
    style.symbology = *symbology;
    for (const auto &[key, json] : *members) {
        const QJsonValue field = entry.value(key);
        if (key == heightKey) {
            if (!readLength(field, style.barHeight))
                return false;
        } else if (key == moduleKey) {
            if (!readLength(field, style.moduleWidth))
                return false;
        } else if (key == textKey) {
            if (!field.isBool())
                return false;
            style.showText = field.toBool();
        } else if (key != symbologyKey) {
            style.unknownKeys.insert(key, json);
        }
    }
    barcode = style;
    return true;
}

bool readSide(const QJsonValue &value, double &side)
{
    const double read = value.toDouble();
    if (!value.isDouble() || !(read >= smallestPictureSide && read <= largestPictureSide))
        return false;
    side = read;
    return true;
}

// A picture names its bytes and its size; its other keys may be left out.
bool readPicture(const QJsonValue &value, QByteArrayView text, std::optional<PictureRef> &picture)
{
    const std::optional<JsonMembers> members = objectMembers(text);
    if (!value.isObject() || !members)
        return false;
    const QJsonObject entry = value.toObject();
    PictureRef read;
    read.id = entry.value(QLatin1String("id")).toString();
    if (read.id.isEmpty() || !readSide(entry.value(QLatin1String("width")), read.width) ||
        !readSide(entry.value(QLatin1String("height")), read.height))
        return false;
    for (const auto &[key, json] : *members) {
        const QJsonValue field = entry.value(key);
        if (key == QLatin1String("file")) {
            if (!field.isString() || field.toString().size() > longestFileName)
                return false;
            read.file = field.toString();
        } else if (key == QLatin1String("page")) {
            const double page = field.toDouble();
            if (!field.isDouble() ||
                !(page >= 1 && page <= std::numeric_limits<std::int32_t>::max()) ||
                std::trunc(page) != page)
                return false;
            read.page = static_cast<std::int32_t>(page);
        } else if (key == QLatin1String("background") || key == QLatin1String("print")) {
            if (!field.isBool())
                return false;
            (key == QLatin1String("print") ? read.printed : read.background) = field.toBool();
        } else if (key != QLatin1String("id") && key != QLatin1String("width") &&
                   key != QLatin1String("height")) {
            read.unknownKeys.insert(key, json);
        }
    }
    picture = read;
    return true;
}

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
        grids.append({int(columns), int(rows), numbers[2].toDouble(), numbers[3].toDouble(),
                      numbers[4].toDouble(), numbers[5].toDouble()});
    }
    return true;
}

// A sheet names its paper, labels and grids; its other keys may be left out.
bool readSheet(const QJsonValue &value, QByteArrayView text, std::optional<SheetLayout> &sheet)
{
    const std::optional<JsonMembers> members = objectMembers(text);
    if (!value.isObject() || !members)
        return false;
    const QJsonObject entry = value.toObject();
    SheetLayout read;
    if (!readSize(entry.value(QLatin1String("paper")), read.paper) ||
        !readSize(entry.value(QLatin1String("label")), read.label) ||
        !readGrids(entry.value(QLatin1String("grids")), read.grids))
        return false;
    for (const auto &[key, json] : *members) {
        const QJsonValue field = entry.value(key);
        if (key == QLatin1String("make") || key == QLatin1String("part") ||
            key == QLatin1String("description")) {
            if (!field.isString() || field.toString().size() > longestFileName)
                return false;
            (key == QLatin1String("make")   ? read.make
             : key == QLatin1String("part") ? read.part
                                            : read.description) = field.toString();
        } else if (key == QLatin1String("shape")) {
            if (!readName(shapeNames, field, read.shape))
                return false;
        } else if (key == QLatin1String("order")) {
            if (!readName(orderNames, field, read.order))
                return false;
        } else if (key == QLatin1String("corner") || key == QLatin1String("hole")) {
            if (!field.isDouble())
                return false;
            (key == QLatin1String("corner") ? read.cornerRadius : read.holeRadius) =
                field.toDouble();
        } else if (key != QLatin1String("paper") && key != QLatin1String("label") &&
                   key != QLatin1String("grids")) {
            read.unknownKeys.insert(key, json);
        }
    }
    if (!read.problem().isEmpty())
        return false;
    sheet = read;
    return true;
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

// Members of an object: the unknown ones it came with, then the known
// ones, which win over an unknown key of the same name.
JsonMembers withUnknown(const UnknownKeys &unknown, const JsonMembers &known)
{
    JsonMembers members;
    for (const UnknownKeys::Member &member : unknown.members()) {
        const QString &key = member.first;
        const bool isKnown = std::any_of(known.begin(), known.end(),
                                         [&key](const auto &other) { return other.first == key; });
        if (!isKnown)
            members.append(member);
    }
    return members + known;
}

QByteArray pictureText(const PictureRef &picture)
{
    JsonMembers known{{QStringLiteral("id"), jsonText(picture.id)},
                      {QStringLiteral("width"), jsonText(picture.width)},
                      {QStringLiteral("height"), jsonText(picture.height)}};
    if (!picture.file.isEmpty())
        known.append({QStringLiteral("file"), jsonText(picture.file)});
    if (picture.page != 1)
        known.append({QStringLiteral("page"), jsonText(picture.page)});
    if (picture.background)
        known.append({QStringLiteral("background"), jsonText(true)});
    if (!picture.printed)
        known.append({QStringLiteral("print"), jsonText(false)});
    return objectText(withUnknown(picture.unknownKeys, known));
}

QByteArray sheetText(const SheetLayout &sheet)
{
    QJsonArray grids;
    for (const LabelGrid &grid : sheet.grids)
        grids.append(QJsonArray{grid.columns, grid.rows, grid.x0, grid.y0, grid.dx, grid.dy});
    JsonMembers known{{QStringLiteral("paper"), sizeText(sheet.paper)},
                      {QStringLiteral("shape"), jsonText(nameOf(shapeNames, sheet.shape))},
                      {QStringLiteral("label"), sizeText(sheet.label)},
                      {QStringLiteral("grids"), jsonText(grids)},
                      {QStringLiteral("order"), jsonText(nameOf(orderNames, sheet.order))}};
    if (!sheet.make.isEmpty())
        known.append({QStringLiteral("make"), jsonText(sheet.make)});
    if (!sheet.part.isEmpty())
        known.append({QStringLiteral("part"), jsonText(sheet.part)});
    if (!sheet.description.isEmpty())
        known.append({QStringLiteral("description"), jsonText(sheet.description)});
    if (sheet.cornerRadius != 0)
        known.append({QStringLiteral("corner"), jsonText(sheet.cornerRadius)});
    if (sheet.holeRadius != 0)
        known.append({QStringLiteral("hole"), jsonText(sheet.holeRadius)});
    return objectText(withUnknown(sheet.unknownKeys, known));
}

QByteArray barcodeText(const BarcodeStyle &style)
{
    return objectText(
        withUnknown(style.unknownKeys, {{symbologyKey, jsonText(symbologyName(style.symbology))},
                                        {heightKey, jsonText(style.barHeight)},
                                        {moduleKey, jsonText(style.moduleWidth)},
                                        {textKey, jsonText(style.showText)}}));
}

// How each key of an object's entry is read into a format: false on a value
// of the wrong type or out of range.
struct KeyReader
{
    QLatin1StringView name;
    bool (*read)(const QJsonValue &value, QByteArrayView text, NumberFormat &format);
};

constexpr KeyReader keyReaders[] = {
    {prefixKey,
     [](const QJsonValue &v, QByteArrayView, NumberFormat &f) {
         return readAffix(v, f.prefix);
     }},
    {suffixKey,
     [](const QJsonValue &v, QByteArrayView, NumberFormat &f) {
         return readAffix(v, f.suffix);
     }},
    {repeatKey,
     [](const QJsonValue &v, QByteArrayView, NumberFormat &f) {
         return readRepeat(v, f.repeat);
     }},
    {checkKey,
     [](const QJsonValue &v, QByteArrayView, NumberFormat &f) {
         return readName(checkNames, v, f.check);
     }},
    {systemKey,
     [](const QJsonValue &v, QByteArrayView, NumberFormat &f) {
         return readSystem(v, f.system);
     }},
    {autoWidthKey,
     [](const QJsonValue &v, QByteArrayView, NumberFormat &f) {
         f.autoWidth = v.toBool();
         return v.isBool();
     }},
    {barcodeKey,
     [](const QJsonValue &v, QByteArrayView text, NumberFormat &f) {
         return readBarcode(v, text, f.barcode);
     }},
};

// Every key this version knows but the barcode, with its value in `format`.
QJsonObject knownKeys(const NumberFormat &format)
{
    return QJsonObject{
        {prefixKey, format.prefix},
        {suffixKey, format.suffix},
        {repeatKey, format.repeat},
        {checkKey, nameOf(checkNames, format.check)},
        {systemKey, QLatin1String(numberSystemRow(format.system).fileKey)},
        {autoWidthKey, format.autoWidth},
    };
}

std::optional<StoredObject> readEntry(const QJsonValue &value, QByteArrayView text)
{
    const std::optional<JsonMembers> members = objectMembers(text);
    if (!value.isObject() || !members)
        return std::nullopt;
    const QJsonObject entry = value.toObject();
    StoredObject stored;
    for (const auto &member : *members) {
        const QString &key = member.first;
        const QByteArray &json = member.second;
        const auto reader =
            std::find_if(std::begin(keyReaders), std::end(keyReaders),
                         [&key](const KeyReader &candidate) { return key == candidate.name; });
        if (key == pictureKey) {
            if (!readPicture(entry.value(key), json, stored.picture))
                return std::nullopt;
        } else if (reader == std::end(keyReaders)) {
            stored.unknownKeys.insert(key, json);
        } else if (!reader->read(entry.value(key), json, stored.format)) {
            return std::nullopt;
        }
    }
    return stored;
}

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

bool readObjects(const QJsonValue &value, QByteArrayView text, ExtensionBlock &block)
{
    const std::optional<JsonMembers> members = objectMembers(text);
    if (!value.isObject() || !members)
        return false;
    const QJsonObject objects = value.toObject();
    const auto count = static_cast<std::int32_t>(block.objects.size());
    for (const auto &[key, json] : *members) {
        const std::optional<std::int32_t> index = objectIndex(key, count);
        const std::optional<StoredObject> stored =
            index ? readEntry(objects.value(key), json) : std::nullopt;
        if (!stored)
            return false;
        block.objects[*index] = *stored;
    }
    return true;
}

// The members of an object's entry: the unknown keys it came with and the
// known ones that differ from the defaults. A known key at its default is
// left out, and so is an unknown key of a known name.
JsonMembers entryOf(const StoredObject &stored)
{
    const NumberFormat format = withinLimits(stored.format);
    const QJsonObject known = knownKeys(format);
    const QJsonObject defaults = knownKeys(NumberFormat());
    JsonMembers members;
    for (const auto &[key, json] : stored.unknownKeys.members()) {
        if (!known.contains(key) && key != barcodeKey && key != pictureKey)
            members.append({key, json});
    }
    for (auto it = known.begin(); it != known.end(); ++it) {
        if (it.value() != defaults.value(it.key()))
            members.append({it.key(), jsonText(it.value())});
    }
    if (format.barcode)
        members.append({barcodeKey, barcodeText(*format.barcode)});
    if (stored.picture)
        members.append({pictureKey, pictureText(*stored.picture)});
    return members;
}

} // namespace

std::optional<ExtensionBlock> readExtensionBlock(QByteArrayView bytes, std::int32_t objectCount)
{
    ExtensionBlock block;
    block.objects.resize(static_cast<std::size_t>(std::max(objectCount, 0)));
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
    const std::optional<JsonMembers> members = objectMembers(json);
    if (!members)
        return std::nullopt;

    const QJsonObject root = document.object();
    const QJsonValue version = root.value(versionKey);
    if (!version.isDouble() || version.toDouble() != blockVersion)
        return std::nullopt;
    for (const auto &[key, text] : *members) {
        if (key == objectsKey) {
            if (!readObjects(root.value(objectsKey), text, block))
                return std::nullopt;
        } else if (key == picturesKey) {
            if (!readPictures(root.value(picturesKey), text, block.pictures))
                return std::nullopt;
        } else if (key == sheetKey) {
            if (!readSheet(root.value(sheetKey), text, block.sheet))
                return std::nullopt;
        } else if (key != versionKey) {
            block.unknownKeys.insert(key, text);
        }
    }
    return block;
}

QByteArray extensionBlockBytes(const ExtensionBlock &block)
{
    JsonMembers objects;
    for (std::size_t i = 0; i < block.objects.size(); ++i) {
        const JsonMembers entry = entryOf(block.objects[i]);
        if (!entry.isEmpty())
            objects.append({QString::number(i), objectText(entry)});
    }
    if (objects.isEmpty() && block.unknownKeys.isEmpty() && !block.sheet)
        return QByteArray();

    JsonMembers known{{versionKey, jsonText(blockVersion)}, {objectsKey, objectText(objects)}};
    if (!block.pictures.empty()) {
        JsonMembers pictures;
        for (const auto &[id, bytes] : block.pictures)
            pictures.append({id, '"' + bytes.toBase64() + '"'});
        known.append({picturesKey, objectText(pictures)});
    }
    if (block.sheet)
        known.append({sheetKey, sheetText(*block.sheet)});
    const QByteArray json = objectText(withUnknown(block.unknownKeys, known));
    QByteArray bytes;
    bytes.reserve(blockTag.size() + lengthSize + json.size());
    bytes.append(blockTag);
    char length[lengthSize];
    qToLittleEndian<quint32>(static_cast<quint32>(json.size()), length);
    bytes.append(length, lengthSize);
    bytes.append(json);
    return bytes;
}
