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

struct FontEntries
{
    int size = smallestFontSize;
    QString font;
};

// The colours the colour box names, in its order.
QStringList colorNames();
// The entry that chooses the system colour chooser.
QString customColorName();

// The Start entry shows the number's start value at its width.
NumberEntries numberEntriesOf(const PageObject &object);
PositionEntries positionEntriesOf(const PageObject &object);
// "Custom ..." for a colour from the chooser, else the name of the colour,
// or nothing when no name has this colour.
std::optional<QString> colorNameOf(const PageObject &object);
// The size box's value: the font size brought into 1 to 150.
int sizeEntryOf(const PageObject &object);

// What "End:" shows while `entry` is being typed: the text of the last
// printed page if the entry were applied, or nothing when the entry is not
// (yet) a number in the given format.
std::optional<QString> endPreview(const Document &doc, int index, const QString &entry,
                                  bool hexadecimal);

// Each apply stores its fields in order; the Number group then propagates
// the links.
void applyNumber(Document &doc, int index, const NumberEntries &entries);
// A number's text is its value: only other objects take a typed text.
void applyText(PageObject &object, const QString &text);
void applyPosition(PageObject &object, const PositionEntries &entries);
void applyFont(PageObject &object, const FontEntries &entries);
// A named colour stores its value; any other name changes nothing.
void applyNamedColor(PageObject &object, const QString &name);
// A colour confirmed in the chooser, 0x00BBGGRR.
void applyCustomColor(PageObject &object, std::int32_t color);
