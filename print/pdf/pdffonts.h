#pragma once

#include <QByteArray>
#include <QRawFont>
#include <QStringView>

#include <map>
#include <vector>

class PdfObjects;

// The faces a run's PDF sets text in: the glyphs each face draws and the
// characters they stand for, written when the run ends as a subset of the
// face embedded in a Type 0 font (glyph numbers as they are, a ToUnicode map
// so that the text can be found and copied).
class PdfFonts
{
public:
    PdfFonts();
    ~PdfFonts();
    PdfFonts(const PdfFonts &) = delete;
    PdfFonts &operator=(const PdfFonts &) = delete;

    // The number of `font`'s face among the faces used, from 0; -1 when the
    // face has no tables to embed (its glyphs are then drawn as outlines).
    int faceOf(const QRawFont &font);
    // Notes `count` glyphs of face `face` drawn in `font`, setting `text`:
    // one character for each glyph when the counts agree; else none is
    // known. Their widths are the advances `font` gives them first.
    void use(int face, const QRawFont &font, const quint32 *glyphs, int count, QStringView text);
    // The advance of `glyph` in thousandths of the em, as the PDF keeps it.
    double width(int face, quint32 glyph) const;

    // Writes each face's font; their object numbers, by face. False when a
    // face could not be subset.
    bool write(PdfObjects &objects, std::vector<int> &numbers) const;

private:
    struct Face;
    // Faces already met, by the raw font last seen with each size.
    std::vector<std::pair<QRawFont, int>> m_seen;
    std::vector<Face> m_faces;
};
