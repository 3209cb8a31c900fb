#include "pdf/pdffonts.h"

#include "pdf/pdfcontent.h"
#include "pdf/pdfobjects.h"

#include <hb-subset.h>
#include <hb.h>

#include <QPainterPath>
#include <QTransform>
#include <QtEndian>
#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// The tables a PDF reader draws glyphs from; layout tables are not needed
// once the glyphs are chosen.
constexpr std::array<const char *, 12> embeddedTables = {
    "CFF ", "OS/2", "cmap", "cvt ", "fpgm", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "prep",
};

quint32 tagOf(const char *name)
{
    return qFromBigEndian<quint32>(name);
}

// The face's tables that `font` has, put together as one font file.
QByteArray fontFile(const QRawFont &font)
{
    std::vector<std::pair<quint32, QByteArray>> tables;
    for (const char *name : embeddedTables) {
        const QByteArray table = font.fontTable(name);
        if (!table.isEmpty())
            tables.emplace_back(tagOf(name), table);
    }
    const bool cff = !tables.empty() && tables.front().first == tagOf("CFF ");
    const auto count = quint16(tables.size());
    quint16 power = 1;
    quint16 log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    QByteArray file(12 + 16 * qsizetype(count), '\0');
    const auto put32 = [&file](qsizetype at, quint32 value) {
        qToBigEndian(value, file.data() + at);
    };
    const auto put16 = [&file](qsizetype at, quint16 value) {
        qToBigEndian(value, file.data() + at);
    };
    put32(0, cff ? tagOf("OTTO") : 0x00010000);
    put16(4, count);
    put16(6, quint16(power * 16));
    put16(8, log);
    put16(10, quint16(count * 16 - power * 16));
    for (qsizetype i = 0; i < qsizetype(tables.size()); ++i) {
        const QByteArray &table = tables[std::size_t(i)].second;
        quint32 sum = 0;
        QByteArray padded = table;
        padded.append((4 - table.size() % 4) % 4, '\0');
        for (qsizetype at = 0; at < padded.size(); at += 4)
            sum += qFromBigEndian<quint32>(padded.constData() + at);
        put32(12 + 16 * i, tables[std::size_t(i)].first);
        put32(12 + 16 * i + 4, sum);
        put32(12 + 16 * i + 8, quint32(file.size()));
        put32(12 + 16 * i + 12, quint32(table.size()));
        file += padded;
    }
    return file;
}

qint16 signed16(const QByteArray &table, qsizetype at)
{
    return table.size() >= at + 2 ? qFromBigEndian<qint16>(table.constData() + at) : 0;
}

// `value` of the face's units in thousandths of the em.
int thousandths(int value, int unitsPerEm)
{
    return int(std::lround(value * 1000.0 / unitsPerEm));
}

QByteArray hex16(unsigned value)
{
    return QByteArray::number(value, 16).rightJustified(4, '0').toUpper();
}

// The characters as UTF-16 in hexadecimal.
QByteArray hexUtf16(const QString &text)
{
    QByteArray hex;
    for (const QChar c : text)
        hex += hex16(c.unicode());
    return hex;
}

// A name with nothing a PDF name would need to escape.
QByteArray plainName(const QString &name)
{
    QByteArray plain;
    for (const QChar c : name) {
        if (c.unicode() > 32 && c.unicode() < 127 &&
            !QByteArrayView("()<>[]{}/%#").contains(char(c.unicode())))
            plain += char(c.unicode());
    }
    return plain.isEmpty() ? QByteArray("Font") : plain;
}

} // namespace

struct PdfFonts::Face
{
    QRawFont font; // any size: its tables are the face's
    QString family;
    QString style;
    QByteArray head;       // its 'head' table, which tells one face from another
    bool outlines = false; // a Type 3 font of the glyphs' outlines
    // By glyph, as far as the highest drawn: its width in thousandths of
    // the em (NaN for a glyph not drawn), its character (0 where none is
    // known) and in a Type 3 font its code (-1 for none).
    std::vector<double> widths;
    std::vector<char16_t> characters;
    std::vector<int> codes;
    int codeCount = 0;

    bool drawn(quint32 glyph) const { return !std::isnan(widths[glyph]); }
    // The glyphs drawn and their characters, as a ToUnicode map takes them
    // (glyphs, or a Type 3 font's codes).
    std::vector<std::pair<unsigned, QString>> characterCodes() const
    {
        std::vector<std::pair<unsigned, QString>> mapped;
        for (quint32 glyph = 0; glyph < characters.size(); ++glyph) {
            if (characters[glyph] != 0)
                mapped.emplace_back(outlines ? unsigned(codes[glyph]) : glyph,
                                    QString(QChar(characters[glyph])));
        }
        std::sort(mapped.begin(), mapped.end());
        return mapped;
    }
};

namespace {

// The code space and the characters of `codes` (glyphs, or a Type 3 font's
// codes) as a ToUnicode map.
QByteArray toUnicode(const std::vector<std::pair<unsigned, QString>> &codes, int bytes)
{
    const auto code = [bytes](unsigned value) {
        return QByteArray::number(value, 16).rightJustified(2 * bytes, '0').toUpper();
    };
    QByteArray cmap = "/CIDInit/ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>>def\n"
                      "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<" +
                      code(0) + "><" + code(bytes == 1 ? 0xff : 0xffff) + ">\nendcodespacerange\n";
    for (std::size_t from = 0; from < codes.size(); from += 100) {
        const std::size_t to = std::min(codes.size(), from + 100);
        cmap += QByteArray::number(qulonglong(to - from)) + " beginbfchar\n";
        for (std::size_t i = from; i < to; ++i)
            cmap += '<' + code(codes[i].first) + "><" + hexUtf16(codes[i].second) + ">\n";
        cmap += "endbfchar\n";
    }
    return cmap + "endcmap\nCMapName currentdict/CMap defineresource pop\nend\nend\n";
}

} // namespace

int PdfFonts::writeOutlines(PdfObjects &objects, const Face &face)
{
    QRawFont measured = face.font;
    measured.setPixelSize(1000);
    QByteArray procs;
    QByteArray differences;
    QByteArray widths;
    QRectF box;
    // Codes in the order they were given, each glyph's outline in glyph
    // space, y up.
    std::vector<quint32> byCode(std::size_t(face.codeCount));
    for (quint32 glyph = 0; glyph < face.codes.size(); ++glyph) {
        if (face.codes[glyph] >= 0)
            byCode[std::size_t(face.codes[glyph])] = glyph;
    }
    for (std::size_t code = 0; code < byCode.size(); ++code) {
        const quint32 glyph = byCode[code];
        const QPainterPath path = QTransform(1, 0, 0, -1, 0, 0).map(measured.pathForGlyph(glyph));
        const QRectF bounds = path.boundingRect();
        box |= bounds;
        PdfContent content;
        content.number(face.widths[glyph]).integer(0);
        content.number(bounds.left()).number(bounds.top()).number(bounds.right());
        content.number(bounds.bottom()).op("d1");
        if (!path.isEmpty())
            content.path(path).op("f");
        const QByteArray name = "/g" + QByteArray::number(qulonglong(code));
        procs += name + ' ' + QByteArray::number(objects.writeStream({}, content.bytes())) + " 0 R";
        differences += name;
        widths += QByteArray::number(face.widths[glyph], 'g', 8) + ' ';
    }
    const int map = objects.writeStream({}, toUnicode(face.characterCodes(), 1));
    return objects.write(
        "<</Type/Font/Subtype/Type3/FontBBox[" + QByteArray::number(qFloor(box.left())) + ' ' +
        QByteArray::number(qFloor(box.top())) + ' ' + QByteArray::number(qCeil(box.right())) + ' ' +
        QByteArray::number(qCeil(box.bottom())) + "]/FontMatrix[0.001 0 0 0.001 0 0]/CharProcs<<" +
        procs + ">>/Encoding<</Type/Encoding/Differences[0" + differences +
        "]>>/FirstChar 0/LastChar " + QByteArray::number(face.codeCount - 1) + "/Widths[" + widths +
        "]/Resources<<>>/ToUnicode " + QByteArray::number(map) + " 0 R>>");
}

PdfFonts::PdfFonts() = default;
PdfFonts::~PdfFonts() = default;

int PdfFonts::faceOf(const QRawFont &font)
{
    for (auto &[seen, face] : m_seen) {
        if (seen == font)
            return face;
    }
    // A face met at another size is the same face.
    const QByteArray head = font.fontTable("head");
    const bool tables = head.size() >= 54 &&
                        (!font.fontTable("glyf").isEmpty() || !font.fontTable("CFF ").isEmpty());
    const auto same = std::find_if(m_faces.begin(), m_faces.end(), [&](const Face &known) {
        return known.head == head && known.outlines == !tables &&
               known.family == font.familyName() && known.style == font.styleName();
    });
    const int face = int(same - m_faces.begin());
    if (same == m_faces.end())
        m_faces.push_back({font, font.familyName(), font.styleName(), head, !tables, {}, {}, {}});
    m_seen.emplace_back(font, face);
    return face;
}

bool PdfFonts::use(int face, const QRawFont &font, const quint32 *glyphs, int count,
                   QStringView text, unsigned *codes)
{
    Face &used = m_faces[std::size_t(face)];
    for (int i = 0; i < count; ++i) {
        const quint32 glyph = glyphs[i];
        if (glyph > 0xffff)
            return false;
        if (glyph >= used.widths.size()) {
            used.widths.resize(glyph + 1, std::numeric_limits<double>::quiet_NaN());
            used.characters.resize(glyph + 1, 0);
            used.codes.resize(glyph + 1, -1);
        }
        if (used.outlines && used.codes[glyph] < 0) {
            if (used.codeCount == 256)
                return false;
            used.codes[glyph] = used.codeCount++;
        }
        codes[i] = used.outlines ? unsigned(used.codes[glyph]) : glyph;
        if (!used.drawn(glyph)) {
            const qreal advance = font.advancesForGlyphIndexes(QList<quint32>{glyph}).value(0).x();
            used.widths[glyph] = font.pixelSize() > 0 ? advance * 1000 / font.pixelSize() : 0;
        }
        if (used.characters[glyph] == 0 && i < text.size())
            used.characters[glyph] = text[i].unicode();
    }
    return true;
}

int PdfFonts::codeBytes(int face) const
{
    return m_faces[std::size_t(face)].outlines ? 1 : 2;
}

double PdfFonts::width(int face, quint32 glyph) const
{
    return m_faces[std::size_t(face)].widths[glyph];
}

bool PdfFonts::write(PdfObjects &objects, std::vector<int> &numbers) const
{
    numbers.clear();
    for (std::size_t index = 0; index < m_faces.size(); ++index) {
        const Face &face = m_faces[index];
        if (face.outlines) {
            numbers.push_back(writeOutlines(objects, face));
            continue;
        }
        const QByteArray whole = fontFile(face.font);
        hb_blob_t *blob = hb_blob_create(whole.constData(), unsigned(whole.size()),
                                         HB_MEMORY_MODE_READONLY, nullptr, nullptr);
        hb_face_t *source = hb_face_create(blob, 0);
        hb_blob_destroy(blob);
        hb_subset_input_t *input = hb_subset_input_create_or_fail();
        if (!input) {
            hb_face_destroy(source);
            return false;
        }
        hb_set_t *kept = hb_subset_input_glyph_set(input);
        hb_set_add(kept, 0);
        for (quint32 glyph = 0; glyph < face.widths.size(); ++glyph) {
            if (face.drawn(glyph))
                hb_set_add(kept, glyph);
        }
        // Glyph numbers stay as the page's text has them.
        hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS | HB_SUBSET_FLAGS_NO_HINTING);
        hb_face_t *subset = hb_subset_or_fail(source, input);
        hb_subset_input_destroy(input);
        hb_face_destroy(source);
        if (!subset)
            return false;
        hb_blob_t *subsetBlob = hb_face_reference_blob(subset);
        unsigned length = 0;
        const char *data = hb_blob_get_data(subsetBlob, &length);
        const QByteArray file(data, qsizetype(length));
        hb_blob_destroy(subsetBlob);
        hb_face_destroy(subset);
        if (file.isEmpty())
            return false;

        const bool cff = !face.font.fontTable("CFF ").isEmpty();
        const int program = objects.writeStream(cff ? QByteArray("/Subtype/OpenType")
                                                    : "/Length1 " + QByteArray::number(file.size()),
                                                file);

        const int unicodeMap = objects.writeStream({}, toUnicode(face.characterCodes(), 2));

        const int unitsPerEm =
            std::max<int>(qFromBigEndian<quint16>(face.head.constData() + 18), 16);
        const auto box = [&](qsizetype at) {
            return QByteArray::number(thousandths(signed16(face.head, at), unitsPerEm));
        };
        QRawFont measured = face.font;
        measured.setPixelSize(unitsPerEm);
        // Six capitals that name this subset, as PDF readers expect of one.
        const QByteArray tag =
            QByteArray(6, 'A').replace(5, 1, QByteArray(1, char('A' + index % 26)));
        const QByteArray name = tag + '+' + plainName(face.family) + '-' + plainName(face.style);
        const int descriptor = objects.write(
            "<</Type/FontDescriptor/FontName/" + name + "/Flags 4/FontBBox[" + box(36) + ' ' +
            box(38) + ' ' + box(40) + ' ' + box(42) + "]/ItalicAngle 0/Ascent " +
            QByteArray::number(thousandths(int(measured.ascent()), unitsPerEm)) + "/Descent " +
            QByteArray::number(-thousandths(int(measured.descent()), unitsPerEm)) + "/CapHeight " +
            QByteArray::number(thousandths(int(measured.capHeight()), unitsPerEm)) + "/StemV 80/" +
            (cff ? "FontFile3 " : "FontFile2 ") + QByteArray::number(program) + " 0 R>>");

        QByteArray widths = "[";
        // Runs of glyphs drawn one after another, each run's widths listed.
        for (quint32 glyph = 0; glyph < face.widths.size(); ++glyph) {
            if (!face.drawn(glyph))
                continue;
            widths += QByteArray::number(glyph) + '[';
            for (; glyph < face.widths.size() && face.drawn(glyph); ++glyph)
                widths +=
                    QByteArray::number(std::round(face.widths[glyph] * 1000) / 1000, 'g', 10) + ' ';
            widths.chop(1);
            widths += ']';
        }
        widths += ']';
        const int descendant = objects.write(
            QByteArray("<</Type/Font/Subtype/") + (cff ? "CIDFontType0" : "CIDFontType2") +
            "/BaseFont/" + name +
            "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>/FontDescriptor " +
            QByteArray::number(descriptor) + " 0 R/W " + widths +
            (cff ? "" : "/CIDToGIDMap/Identity") + ">>");
        numbers.push_back(objects.write("<</Type/Font/Subtype/Type0/BaseFont/" + name +
                                        "/Encoding/Identity-H/DescendantFonts[" +
                                        QByteArray::number(descendant) + " 0 R]/ToUnicode " +
                                        QByteArray::number(unicodeMap) + " 0 R>>"));
    }
    return true;
}
