#pragma once

#include "document.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The rules of the Object Properties window, apart from its widgets: what
// each group of fields shows of an object, and how the entries of a group are
// stored into it. An entry that is not a number throws PaginetteError; the
// fields stored before it keep their new values.

inline constexpr int smallestFontSize = 1;
inline constexpr int largestFontSize = 150;

// The Number group as shown: the start text, the format box, the steps.
struct NumberEntries
{
    QString start;
    QString format;
    QString nextPage;
    QString nextLink;
};

struct PositionEntries
{
    QString x;
    QString y;
    QString angle;
    QString name;
};

struct PictureEntries
{
    double width = 0;
    double height = 0;
    std::int32_t page = 1;
    bool background = false;
    bool printed = true;
};

struct FontEntries
{
    int size = smallestFontSize;
    QString font;
};

// The Format group: what is printed around the digits, the repeat, the
// check character, the number system and the width from the run.
struct FormatEntries
{
    QString prefix;
    QString suffix;
    int repeat = 1;
    QString check;
    QString system;
    bool autoWidth = false;
    // The symbology's title, or "none" for the number's text.
    QString barcode;
    double barHeight = 36;
    double moduleWidth = 1;
    bool barcodeText = true;
};

// The number systems the format boxes name, in their order.
QStringList systemNames();
// The check characters the check box names, in its order; "none" first.
QStringList checkNames();
// "none", then the title of every symbology.
QStringList barcodeNames();
// The system a format box's text names. Any text but the four names is
// hexadecimal, as a typed format always was.
NumberSystem systemNamed(const QString &name);
QString systemName(NumberSystem system);

// The colours the colour box names, in its order.
QStringList colorNames();
// The entry that chooses the system colour chooser.
QString customColorName();

// The Start entry shows the number's start value at its width.
NumberEntries numberEntriesOf(const PageObject &object);
FormatEntries formatEntriesOf(const PageObject &object);
PositionEntries positionEntriesOf(const PageObject &object);
// "Custom ..." for a colour from the chooser, else the name of the colour,
// or nothing when no name has this colour.
std::optional<QString> colorNameOf(const PageObject &object);
// The size box's value: the font size brought into 1 to 150.
int sizeEntryOf(const PageObject &object);

// What "End:" shows for the object: the whole text of the last printed
// page, and a note when its value can only be shown in decimal.
QString endLabel(const Document &doc, int index);
// What "End:" shows while `entry` is being typed: as endLabel if the entry
// were applied in `system`, or nothing when the entry is not (yet) a number
// in it.
std::optional<QString> endPreview(const Document &doc, int index, const QString &entry,
                                  NumberSystem system);
// A Start entry written in `from` rewritten with the same value in `to`, as
// wide as it was where the value fits; unchanged when it is no number in
// `from`.
QString convertStartEntry(const QString &entry, NumberSystem from, NumberSystem to);

// Each apply stores its fields in order; the Number group then propagates
// the links.
void applyNumber(Document &doc, int index, const NumberEntries &entries);
// A number's text is its value: only other objects take a typed text.
void applyText(PageObject &object, const QString &text);
void applyPosition(PageObject &object, const PositionEntries &entries);
void applyFont(PageObject &object, const FontEntries &entries);
// Affixes longer than a document stores are cut; the repeat is brought into
// 1 to 1000.
void applyFormat(PageObject &object, const FormatEntries &entries);
// A picture takes its size within bounds; an object with no picture, nothing.
void applyPicture(PageObject &object, const PictureEntries &entries);
// A named colour stores its value; any other name changes nothing.
void applyNamedColor(PageObject &object, const QString &name);
// A colour confirmed in the chooser, 0x00BBGGRR.
void applyCustomColor(PageObject &object, std::int32_t color);
