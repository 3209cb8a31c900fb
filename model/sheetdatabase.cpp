#include "sheetdatabase.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace {

using PaperSizes = QHash<QString, QSizeF>;

struct Shape
{
    QLatin1StringView element;
    LabelShape shape;
};

constexpr Shape shapes[] = {
    {QLatin1StringView("Label-rectangle"), LabelShape::Rectangle},
    {QLatin1StringView("Label-round"), LabelShape::Round},
    {QLatin1StringView("Label-ellipse"), LabelShape::Ellipse},
    {QLatin1StringView("Label-cd"), LabelShape::Cd},
};

// A product as its file gives it: a layout, or the part it is the same as.
struct ReadProduct
{
    SheetLayout layout;
    QString equivalent;
};

// A distance attribute in points; `missing` when it is absent.
std::optional<double> distanceOf(const QXmlStreamAttributes &attributes, QLatin1StringView name,
                                 std::optional<double> missing = std::nullopt)
{
    if (!attributes.hasAttribute(name))
        return missing;
    return pointsOf(attributes.value(name));
}

std::optional<int> countOf(const QXmlStreamAttributes &attributes, QLatin1StringView name)
{
    bool ok = false;
    const int count = attributes.value(name).toInt(&ok);
    return ok ? std::optional(count) : std::nullopt;
}

// Reads the label element the reader is on (one of `shapes`) into `layout`,
// with its grids; an error text when it cannot.
QString readLabel(QXmlStreamReader &xml, LabelShape shape, SheetLayout &layout)
{
    const QXmlStreamAttributes attributes = xml.attributes();
    layout.shape = shape;
    if (shape == LabelShape::Round || shape == LabelShape::Cd) {
        const std::optional<double> radius = distanceOf(attributes, QLatin1StringView("radius"));
        if (!radius)
            return QStringLiteral("a label without a radius");
        // A CD label may be cut square: its width and height say how.
        layout.label =
            QSizeF(distanceOf(attributes, QLatin1StringView("width"), 2 * *radius).value_or(-1),
                   distanceOf(attributes, QLatin1StringView("height"), 2 * *radius).value_or(-1));
        layout.cornerRadius = *radius;
        layout.holeRadius = distanceOf(attributes, QLatin1StringView("hole"), 0.0).value_or(-1);
    } else {
        layout.label = QSizeF(distanceOf(attributes, QLatin1StringView("width")).value_or(-1),
                              distanceOf(attributes, QLatin1StringView("height")).value_or(-1));
        layout.cornerRadius = distanceOf(attributes, QLatin1StringView("round"), 0.0).value_or(-1);
    }
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1StringView("Layout")) {
            xml.skipCurrentElement();
            continue;
        }
        const QXmlStreamAttributes grid = xml.attributes();
        const std::optional<int> columns = countOf(grid, QLatin1StringView("nx"));
        const std::optional<int> rows = countOf(grid, QLatin1StringView("ny"));
        const auto x0 = distanceOf(grid, QLatin1StringView("x0"), 0.0);
        const auto y0 = distanceOf(grid, QLatin1StringView("y0"), 0.0);
        const auto dx = distanceOf(grid, QLatin1StringView("dx"), 0.0);
        const auto dy = distanceOf(grid, QLatin1StringView("dy"), 0.0);
        if (!columns || !rows || !x0 || !y0 || !dx || !dy)
            return QStringLiteral("a layout that cannot be read");
        layout.grids.append({*columns, *rows, *x0, *y0, *dx, *dy});
        xml.skipCurrentElement();
    }
    return layout.problem();
}

// Reads the Template element the reader is on; an error text when it cannot.
QString readProduct(QXmlStreamReader &xml, const PaperSizes &papers, ReadProduct &product)
{
    const QXmlStreamAttributes attributes = xml.attributes();
    SheetLayout &layout = product.layout;
    layout.make = attributes.value(QLatin1StringView("brand")).toString().trimmed();
    layout.part = attributes.value(QLatin1StringView("part")).toString().trimmed();
    layout.description = attributes.value(QLatin1StringView("_description")).toString();
    if (layout.description.isEmpty())
        layout.description = attributes.value(QLatin1StringView("description")).toString();
    product.equivalent = attributes.value(QLatin1StringView("equiv")).toString().trimmed();
    if (layout.make.isEmpty() || layout.part.isEmpty())
        return QStringLiteral("a product without a make or part");
    if (!product.equivalent.isEmpty()) {
        xml.skipCurrentElement();
        return {};
    }
    const QString size = attributes.value(QLatin1StringView("size")).toString();
    if (papers.contains(size)) {
        layout.paper = papers.value(size);
    } else {
        const auto width = distanceOf(attributes, QLatin1StringView("width"));
        const auto height = distanceOf(attributes, QLatin1StringView("height"));
        if (!width || !height)
            return QStringLiteral("paper \"%1\", which is not known").arg(size);
        layout.paper = QSizeF(*width, *height);
    }
    bool labelRead = false;
    while (xml.readNextStartElement()) {
        const auto shape = std::find_if(std::begin(shapes), std::end(shapes),
                                        [&xml](const Shape &s) { return xml.name() == s.element; });
        if (shape == std::end(shapes) || labelRead) {
            xml.skipCurrentElement();
            continue;
        }
        const QString problem = readLabel(xml, shape->shape, layout);
        if (!problem.isEmpty())
            return problem;
        labelRead = true;
    }
    return labelRead ? QString() : QStringLiteral("no label");
}

PaperSizes readPaperSizes(const QString &path)
{
    PaperSizes papers;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return papers;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement ||
            xml.name() != QLatin1StringView("Paper-size"))
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        const auto width = distanceOf(attributes, QLatin1StringView("width"));
        const auto height = distanceOf(attributes, QLatin1StringView("height"));
        if (width && height)
            papers.insert(attributes.value(QLatin1StringView("id")).toString(),
                          QSizeF(*width, *height));
    }
    return papers;
}

QString nameOf(const SheetLayout &layout)
{
    return (layout.make + QLatin1Char(' ') + layout.part).toLower();
}

// The name of the product of `make` that `part` names.
QString nameOf(const QString &make, const QString &part)
{
    SheetLayout named;
    named.make = make;
    named.part = part;
    return nameOf(named);
}

using Skip = std::function<void(const QString &)>;

// How many products one may be the same as in a row.
constexpr int mostEquivalentSteps = 8;

QStringList productFiles(const QDir &dir)
{
    return dir.entryList({QStringLiteral("*-templates.xml")}, QDir::Files, QDir::Name);
}

// The products of the file `name` holding `bytes`; nothing when it cannot be
// read, which `skip` is told.
std::optional<std::vector<ReadProduct>> readProducts(const QString &name, const QByteArray &bytes,
                                                     const PaperSizes &papers, const Skip &skip)
{
    // Namespaced or not, elements are known by their local names.
    QXmlStreamReader xml(bytes);
    std::vector<ReadProduct> products;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement ||
            xml.name() != QLatin1StringView("Template"))
            continue;
        const qint64 line = xml.lineNumber();
        ReadProduct product;
        const QString problem = readProduct(xml, papers, product);
        if (problem.isEmpty())
            products.push_back(product);
        else if (!xml.hasError())
            skip(QStringLiteral("%1: line %2: %3 %4 has %5")
                     .arg(name)
                     .arg(line)
                     .arg(product.layout.make, product.layout.part, problem));
    }
    if (xml.hasError()) {
        skip(QStringLiteral("%1: line %2: %3")
                 .arg(name)
                 .arg(xml.lineNumber())
                 .arg(xml.errorString()));
        return std::nullopt;
    }
    return products;
}

// Reads the products of the file `name` of `dir` into `read` when its bytes
// pass `wanted`. False when they did not, so that it may be wanted later.
bool readFile(const QDir &dir, const QString &name, const PaperSizes &papers, const Skip &skip,
              const std::function<bool(const QByteArray &)> &wanted, std::vector<ReadProduct> &read)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        skip(QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
        return true;
    }
    const QByteArray bytes = file.readAll();
    if (!wanted(bytes))
        return false;
    if (const auto products = readProducts(file.fileName(), bytes, papers, skip))
        read.insert(read.end(), products->begin(), products->end());
    return true;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool isAsciiLetter(char c)
{
    return asciiLower(c) >= 'a' && asciiLower(c) <= 'z';
}

// Whether `bytes` hold `word`, ASCII in lower case, in any case. The search
// runs on the word's longest stretch without letters, which has no case, and
// checks the whole word where that is found.
bool holdsInAnyCase(QByteArrayView bytes, QByteArrayView word)
{
    const auto sameLetters = [](char a, char b) {
        return asciiLower(a) == asciiLower(b);
    };
    qsizetype anchor = 0;
    qsizetype anchorSize = 0;
    for (qsizetype at = 0; at < word.size();) {
        qsizetype end = at;
        while (end < word.size() && !isAsciiLetter(word[end]))
            ++end;
        if (end - at > anchorSize) {
            anchor = at;
            anchorSize = end - at;
        }
        at = end + 1;
    }
    if (anchorSize == 0)
        return std::search(bytes.begin(), bytes.end(), word.begin(), word.end(), sameLetters) !=
               bytes.end();
    const char *const begin = bytes.data();
    const char *const end = begin + bytes.size();
    for (const char *found = begin;
         (found = static_cast<const char *>(::memmem(
              found, std::size_t(end - found), word.data() + anchor, std::size_t(anchorSize)))) !=
         nullptr;
         ++found) {
        const char *const start = found - anchor;
        if (start >= begin && start + word.size() <= end &&
            std::equal(word.begin(), word.end(), start, sameLetters))
            return true;
    }
    return false;
}

// Whether a file of `bytes` may hold the product `name` names: its part's
// last word is in them, in any case. A word the file may write otherwise
// (escaped, or in letters beyond ASCII) is taken to be there.
bool mayHold(const QByteArray &bytes, const QString &name)
{
    const QString word = name.section(QLatin1Char(' '), -1);
    const bool plain = std::all_of(word.begin(), word.end(), [](QChar c) {
        return c.unicode() < 0x80 && !QStringView(u"&<>\"'").contains(c);
    });
    return !plain || holdsInAnyCase(bytes, word.toLatin1());
}

// The products read, by name, and the names of those the same as another.
class ProductIndex
{
public:
    explicit ProductIndex(const std::vector<ReadProduct> &read)
    {
        for (const ReadProduct &product : read) {
            if (product.equivalent.isEmpty())
                m_byName.emplace(nameOf(product.layout), &product.layout);
            else
                m_equivalents.emplace(nameOf(product.layout), product.equivalent);
        }
    }

    // The layout of `product`: its own, or for one the same as another that
    // one's under its own part, followed a few steps; nothing when it leads
    // to no product.
    std::optional<SheetLayout> layoutOf(const ReadProduct &product) const
    {
        if (product.equivalent.isEmpty())
            return product.layout;
        SheetLayout same;
        same.make = product.layout.make;
        same.part = product.equivalent;
        auto found = m_byName.find(nameOf(same));
        for (int step = 0; found == m_byName.end() && step < mostEquivalentSteps; ++step) {
            const auto next = m_equivalents.find(nameOf(same));
            if (next == m_equivalents.end())
                break;
            same.part = next->second;
            found = m_byName.find(nameOf(same));
        }
        if (found == m_byName.end())
            return std::nullopt;
        SheetLayout layout = *found->second;
        layout.part = product.layout.part;
        if (!product.layout.description.isEmpty())
            layout.description = product.layout.description;
        return layout;
    }

private:
    std::map<QString, const SheetLayout *> m_byName;
    std::map<QString, QString> m_equivalents;
};

} // namespace

SheetDatabase SheetDatabase::read(const QString &folder, QStringList *skipped)
{
    const QDir dir(folder);
    const PaperSizes papers = readPaperSizes(dir.filePath(QStringLiteral("paper-sizes.xml")));
    const Skip skip = [skipped](const QString &line) {
        if (skipped)
            skipped->append(line);
    };
    std::vector<ReadProduct> read;
    for (const QString &name : productFiles(dir))
        readFile(
            dir, name, papers, skip, [](const QByteArray &) { return true; }, read);
    const ProductIndex index(read);
    QList<SheetLayout> layouts;
    for (const ReadProduct &product : read) {
        if (std::optional<SheetLayout> layout = index.layoutOf(product))
            layouts.append(*layout);
        else
            skip(QStringLiteral("%1 %2: the same as %3, which is not in the database")
                     .arg(product.layout.make, product.layout.part, product.equivalent));
    }
    return SheetDatabase(layouts);
}

std::optional<SheetLayout> SheetDatabase::lookUp(const QString &folder, QStringView makeAndPart,
                                                 bool *installed, QStringList *skipped)
{
    const QDir dir(folder);
    QStringList unread = productFiles(dir);
    if (installed)
        *installed = !unread.isEmpty();
    const PaperSizes papers = readPaperSizes(dir.filePath(QStringLiteral("paper-sizes.xml")));
    const Skip skip = [skipped](const QString &line) {
        if (skipped)
            skipped->append(line);
    };
    std::vector<ReadProduct> read;
    const auto named = [&read](const QString &name) {
        return std::find_if(read.begin(), read.end(), [&name](const ReadProduct &product) {
            return nameOf(product.layout) == name;
        });
    };
    // The files that may hold the product, then those of what it is the same as.
    QString name = makeAndPart.toString().simplified().toLower();
    for (int step = 0; step <= mostEquivalentSteps && !name.isEmpty(); ++step) {
        if (named(name) == read.end()) {
            QStringList passed;
            for (const QString &file : std::as_const(unread)) {
                const auto holds = [&name](const QByteArray &bytes) {
                    return mayHold(bytes, name);
                };
                if (!readFile(dir, file, papers, skip, holds, read))
                    passed.append(file);
            }
            unread = passed;
        }
        const auto product = named(name);
        if (product == read.end())
            return std::nullopt;
        name = product->equivalent.isEmpty() ? QString()
                                             : nameOf(product->layout.make, product->equivalent);
    }
    // Whatever else the files read hold is not asked for, nor told of.
    const ProductIndex index(read);
    const QString wanted = makeAndPart.toString().simplified().toLower();
    for (const ReadProduct &product : read) {
        if (nameOf(product.layout) != wanted)
            continue;
        if (std::optional<SheetLayout> layout = index.layoutOf(product))
            return layout;
    }
    return std::nullopt;
}

SheetDatabase::SheetDatabase(QList<SheetLayout> products) : m_products(std::move(products))
{
    std::stable_sort(
        m_products.begin(), m_products.end(), [](const SheetLayout &a, const SheetLayout &b) {
            const int make = a.make.compare(b.make, Qt::CaseInsensitive);
            return make != 0 ? make < 0 : a.part.compare(b.part, Qt::CaseInsensitive) < 0;
        });
    for (const SheetLayout &layout : std::as_const(m_products))
        m_searchTexts.append(
            (layout.make + QLatin1Char(' ') + layout.part + QLatin1Char(' ') + layout.description)
                .toLower());
}

std::optional<SheetLayout> SheetDatabase::find(QStringView makeAndPart) const
{
    const QString wanted = makeAndPart.toString().simplified().toLower();
    for (const SheetLayout &layout : m_products) {
        if (nameOf(layout) == wanted)
            return layout;
    }
    return std::nullopt;
}

QList<int> SheetDatabase::matching(QStringView text) const
{
    const QStringList words = text.toString().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<int> found;
    QList<int> partTyped; // products whose whole number is one of the words
    for (int i = 0; i < m_searchTexts.size(); ++i) {
        const QString &searched = m_searchTexts[i];
        if (!std::all_of(words.begin(), words.end(),
                         [&searched](const QString &word) { return searched.contains(word); }))
            continue;
        const QString part = m_products[i].part.toLower();
        (words.contains(part) ? partTyped : found).append(i);
    }
    return partTyped + found;
}
