#include "extensionblock.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr QByteArrayView blockTag = "PGTX";
constexpr qsizetype lengthSize = 4;
constexpr int blockVersion = 1;
// The longest index of a table of at most 2^31 - 1 objects.
constexpr qsizetype maxIndexLength = 10;

constexpr QLatin1StringView versionKey("version");
constexpr QLatin1StringView objectsKey("objects");

constexpr std::pair<CheckDigit, const char *> checkNames[] = {
    {CheckDigit::Luhn, "luhn"},   {CheckDigit::Mod10Weights31, "mod10-31"},
    {CheckDigit::Mod11, "mod11"}, {CheckDigit::Mod7, "mod7"},
    {CheckDigit::Mod9, "mod9"},
};

constexpr std::pair<NumberSystem, const char *> systemNames[] = {
    {NumberSystem::Decimal, "decimal"},
    {NumberSystem::Hexadecimal, "hex"},
    {NumberSystem::Base36, "base36"},
    {NumberSystem::Letters, "letters"},
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
bool readBarcode(const QJsonValue &value, std::optional<BarcodeStyle> &barcode)
{
    if (!value.isObject())
        return false;
    const QJsonObject entry = value.toObject();
    BarcodeStyle style;
    const std::optional<Symbology> symbology =
        symbologyFromName(entry.value(symbologyKey).toString());
    if (!symbology)
        return false;
    style.symbology = *symbology;
    for (auto it = entry.begin(); it != entry.end(); ++it) {
        const QString &key = it.key();
        if (key == heightKey) {
            if (!readLength(it.value(), style.barHeight))
                return false;
        } else if (key == moduleKey) {
            if (!readLength(it.value(), style.moduleWidth))
                return false;
        } else if (key == textKey) {
            if (!it.value().isBool())
                return false;
            style.showText = it.value().toBool();
        } else if (key != symbologyKey) {
            style.unknownKeys.insert(key, it.value());
        }
    }
    barcode = style;
    return true;
}

QJsonObject barcodeEntry(const BarcodeStyle &style)
{
    QJsonObject entry = style.unknownKeys;
    entry.insert(symbologyKey, symbologyName(style.symbology));
    entry.insert(heightKey, style.barHeight);
    entry.insert(moduleKey, style.moduleWidth);
    entry.insert(textKey, style.showText);
    return entry;
}

// How each key of an object's entry is read into a format: false on a value
// of the wrong type or out of range.
struct KeyReader
{
    QLatin1StringView name;
    bool (*read)(const QJsonValue &value, NumberFormat &format);
};

constexpr KeyReader keyReaders[] = {
    {prefixKey,
     [](const QJsonValue &v, NumberFormat &f) {
         return readAffix(v, f.prefix);
     }},
    {suffixKey,
     [](const QJsonValue &v, NumberFormat &f) {
         return readAffix(v, f.suffix);
     }},
    {repeatKey,
     [](const QJsonValue &v, NumberFormat &f) {
         return readRepeat(v, f.repeat);
     }},
    {checkKey,
     [](const QJsonValue &v, NumberFormat &f) {
         return readName(checkNames, v, f.check);
     }},
    {systemKey,
     [](const QJsonValue &v, NumberFormat &f) {
         return readName(systemNames, v, f.system);
     }},
    {autoWidthKey,
     [](const QJsonValue &v, NumberFormat &f) {
         f.autoWidth = v.toBool();
         return v.isBool();
     }},
    {barcodeKey,
     [](const QJsonValue &v, NumberFormat &f) {
         return readBarcode(v, f.barcode);
     }},
};

// Every key this version knows, with its value in `format`.
QJsonObject knownKeys(const NumberFormat &format)
{
    QJsonObject keys{
        {prefixKey, format.prefix},
        {suffixKey, format.suffix},
        {repeatKey, format.repeat},
        {checkKey, nameOf(checkNames, format.check)},
        {systemKey, nameOf(systemNames, format.system)},
        {autoWidthKey, format.autoWidth},
    };
    if (format.barcode)
        keys.insert(barcodeKey, barcodeEntry(*format.barcode));
    return keys;
}

std::optional<StoredFormat> readEntry(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject entry = value.toObject();
    StoredFormat stored;
    for (auto it = entry.begin(); it != entry.end(); ++it) {
        const auto reader =
            std::find_if(std::begin(keyReaders), std::end(keyReaders),
                         [&it](const KeyReader &candidate) { return it.key() == candidate.name; });
        if (reader == std::end(keyReaders))
            stored.unknownKeys.insert(it.key(), it.value());
        else if (!reader->read(it.value(), stored.format))
            return std::nullopt;
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

bool readObjects(const QJsonValue &value, ExtensionBlock &block)
{
    if (!value.isObject())
        return false;
    const QJsonObject objects = value.toObject();
    const auto count = static_cast<std::int32_t>(block.objects.size());
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        const std::optional<std::int32_t> index = objectIndex(it.key(), count);
        const std::optional<StoredFormat> stored = index ? readEntry(it.value()) : std::nullopt;
        if (!stored)
            return false;
        block.objects[*index] = *stored;
    }
    return true;
}

// The keys of an object's entry: the unknown ones it came with and the
// known ones that differ from the defaults.
QJsonObject entryOf(const StoredFormat &stored)
{
    const QJsonObject known = knownKeys(withinLimits(stored.format));
    const QJsonObject defaults = knownKeys(NumberFormat());
    QJsonObject entry = stored.unknownKeys;
    for (auto it = known.begin(); it != known.end(); ++it) {
        if (it.value() != defaults.value(it.key()))
            entry.insert(it.key(), it.value());
        else
            entry.remove(it.key());
    }
    return entry;
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

    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(
        bytes.sliced(headerSize, static_cast<qsizetype>(length)).toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;

    const QJsonObject root = document.object();
    const QJsonValue version = root.value(versionKey);
    if (!version.isDouble() || version.toDouble() != blockVersion)
        return std::nullopt;
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (it.key() == objectsKey) {
            if (!readObjects(it.value(), block))
                return std::nullopt;
        } else if (it.key() != versionKey) {
            block.unknownKeys.insert(it.key(), it.value());
        }
    }
    return block;
}

QByteArray extensionBlockBytes(const ExtensionBlock &block)
{
    QJsonObject objects;
    for (std::size_t i = 0; i < block.objects.size(); ++i) {
        const QJsonObject entry = entryOf(block.objects[i]);
        if (!entry.isEmpty())
            objects.insert(QString::number(i), entry);
    }
    if (objects.isEmpty() && block.unknownKeys.isEmpty())
        return QByteArray();

    QJsonObject root = block.unknownKeys;
    root.insert(versionKey, blockVersion);
    root.insert(objectsKey, objects);
    const QByteArray json = QJsonDocument(root).toJson(QJsonDocument::Compact);

    QByteArray bytes;
    bytes.reserve(blockTag.size() + lengthSize + json.size());
    bytes.append(blockTag);
    char length[lengthSize];
    qToLittleEndian<quint32>(static_cast<quint32>(json.size()), length);
    bytes.append(length, lengthSize);
    bytes.append(json);
    return bytes;
}
