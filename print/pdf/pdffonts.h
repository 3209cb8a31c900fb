#pragma once

#include <QByteArray>
#include <QRawFont>
#include <QStringView>

#include <vector>

class PdfObjects;

// The faces a run's PDF sets text in: the glyphs each face draws and the
// characters they stand for, written when the run ends as a subset of the
// face embedded in a Type 0 font (glyph numbers as they are), or for a face
// without TrueType or CFF tables (a Type 1 file) as a Type 3 font of the
// glyphs' outlines, with a ToUnicode map either way so that the text can be
// found and copied.
class PdfFonts
{
public:
    PdfFonts();
    ~PdfFonts();
    PdfFonts(const PdfFonts &) = delete;
    PdfFonts &operator=(const PdfFonts &) = delete;

    // The number of `font`'s face among the faces used, from 0.
    int faceOf(const QRawFont &font);
    // Notes `count` glyphs of face `face` drawn in `font`, setting `text`:
    // one character for each glyph (a null one where it is not known), and
    // gives the codes the content shows them with. Their widths are the
    // advances `font` gives them first. False when a Type 3 face has no code
    // left for one of them: its 256 are taken.
    bool use(int face, const QRawFont &font, const quint32 *glyphs, int count, QStringView text,
             unsigned *codes);
    // The bytes of a code in face `face`: 2, or 1 in a Type 3 face.
    int codeBytes(int face) const;
    // The advance of `glyph` in thousandths of the em, as the PDF keeps it.
    double width(int face, quint32 glyph) const;

    // Writes each face's font; their object numbers, by face. False when a
    // face could not be subset.
    bool write(PdfObjects &objects, std::vector<int> &numbers) const;

private:
    struct Face;
    // A Type 3 font of the outlines of the face's glyphs, in thousandths of
    // the em; its number.
    static int writeOutlines(PdfObjects &objects, const Face &face);

    // Faces already met, by the raw font last seen with each size.
    std::vector<std::pair<QRawFont, int>> m_seen;
    std::vector<Face> m_faces;
};
