#pragma once

#include "document.h"
#include "fields.h"
#include "numberrun.h"
#include "rowcounting.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// The numbering rule: what a number shows on each page of a run, and how the
// members of a link follow one another.

// start + (page - 1) * stepPage, wrapping in 64 bits.
NumberValue valueOnPage(const PageObject &object, std::int32_t page);

// The fixed-width text of `valueText`: zero-filled after its sign when shorter
// than `digits`, whole when longer (a number never loses a character), empty
// when `digits` is 0 or less. Stores the leading-zero count in `zeros` when
// given and digits is above 0.
QString formatNumber(const QString &valueText, std::int16_t digits, std::int16_t *zeros = nullptr);

// The digits of a value in the object's number system: signed decimal,
// upper-case hexadecimal or base 36 of the unsigned value, or letters
// (decimal for a value below 1).
QString numberValueText(const PageObject &object, NumberValue value);

// numberValueText at the object's width: zero-filled in a digit system,
// never in letters, never cut. Stores the leading-zero count in `zeros` as
// formatNumber does.
QString widthText(const PageObject &object, NumberValue value, std::int16_t *zeros = nullptr);

// A link is one series: every member keeps step with its head page by page,
// so the head's repeat holds for the whole link.

// The head of the link object `index` is in, or `index` itself when it is
// not linked. A damaged chain ends the walk where it breaks.
int seriesHead(const Document &doc, int index);
// The head of every object, in table order, found in one walk of each link.
std::vector<int> seriesHeads(const Document &doc);
// The format object `index` counts with: its own, with its head's repeat.
NumberFormat seriesFormat(const Document &doc, int index, int head);

// The object whose numbers object `index` shows: the front number it is the
// same as, for a back number that shows exactly a front number's text, else
// itself.
int shownSource(const Document &doc, int index);
// Whether object `index` is a number printing values of its own, which a
// run's log and check hold: not one showing another number's text.
bool printsOwnValues(const Document &doc, int index);

class RunData;

// What object `index` shows on page `page` of the document's run: a
// number's formatted value for that page (prefix, digits, check character,
// suffix), any other object its text. Every text that is drawn, printed,
// measured or previewed comes from here or from RunTexts.
QString objectText(const Document &doc, int index, std::int32_t page);
// The texts of a document's objects over one run of its pages to print, as
// objectText gives them; what stays the same from page to page (a number's
// width, its last value, its link's repeat) is worked out once, for the pages
// of a print run.
class RunTexts
{
public:
    explicit RunTexts(const Document &doc);
    // The texts of a run with `data`, which must outlive them and have been
    // made for `doc`: fields filled in (fields.h); numbers counting across
    // the data's rows as its countings say, every member of a link as its
    // head, each value held `repeat` pages of its row; {page}, {pages} and
    // {last} of the whole run, which is the data's pages (the document's
    // Pages without a data file). A number's auto width follows the widest
    // value of the whole run.
    RunTexts(const Document &doc, const RunData &data);

    QString text(int index, std::int32_t page) const;
    // The value number `index` prints on `page`; 0 for an object that is no number.
    NumberValue value(int index, std::int32_t page) const;
    // The repeat number `index` counts with; 1 for an object that is no number.
    int repeat(int index) const;
    // How number `index` counts across data rows; on through them without data.
    NumberCounting::Mode counting(int index) const;
    const Document &document() const { return m_doc; }
    // The run's data; null for texts made without.
    const RunData *data() const { return m_data; }
    // The pages of the run.
    std::int32_t pages() const { return m_pages; }

private:
    // What a run with data keeps of each object beyond its number rule.
    struct DataTexts
    {
        FieldText prefix;
        FieldText suffix;
        FieldText text;
        // Whether its text is shown: a number's, or a text object's.
        bool shown = false;
        bool usesRow = false;
        NumberCounting::Mode counting = NumberCounting::Mode::On;
        // A member keeps its distance from its head's start on every row.
        NumberValue fromHead = 0;
        const std::vector<NumberValue> *rowStarts = nullptr;
        // The number part of the run's last page, for {last}.
        QString last;
    };
    NumberValue valueAt(int index, std::int32_t page, const RowPlace &place) const;

    const Document &m_doc;
    const RunData *m_data = nullptr;
    std::int32_t m_pages = 0;
    std::vector<std::optional<NumberRun>> m_runs; // none for an object that is no number
    std::vector<DataTexts> m_dataTexts;           // empty without data
    // Whose texts each object shows: a back number that is the same as a
    // front one shows that one's.
    std::vector<int> m_sources;
};

// The values a number printed, as a run of them: first, first + step, ...
// `count` values, wrapping in 64 bits.
struct ValueSpan
{
    NumberValue first = 0;
    NumberValue step = 0;
    std::int64_t count = 0;

    bool operator==(const ValueSpan &) const = default;
};

// The values number `index` prints on pages `firstPage` to `lastPage` of
// the run, which the check before a run and the print log compare, in as
// few spans as say them, in the order they are first printed. One span
// without data and for a number counting on through the rows; else one for
// each row's pages, a row that continues the values of the one before
// joined to it, and a span that begins where an earlier one begins folded
// into the longer of the two: a number that restarts at each row gives one
// span, the longest row's.
QList<ValueSpan> printedSpans(const RunTexts &texts, int index, std::int32_t firstPage,
                              std::int32_t lastPage);

// Whether number `index`'s value on `page` has no digits in its system
// (letters below 1) and shows in decimal instead.
bool showsInDecimal(const Document &doc, int index, std::int32_t page);

// A number with no width shows nothing on any page.
bool showsNothing(const PageObject &object);

// The number's start value as the Start entry shows it, at its width.
QString startText(const PageObject &object);

// Rewrites start and digits of every linked object after the first of its
// link from the member before it. A member that is not a number takes the
// formatted start as its text.
void propagateLinks(Document &doc);

// Reads a Start entry written in `system` into the object's start, digits
// and zeros and stores `system` with it. A decimal, base 36 or letters entry
// that is no number there throws PaginetteError and changes nothing.
void parseStart(PageObject &object, const QString &entry, NumberSystem system);

// Whether every character a hexadecimal Start entry is read by is a
// hexadecimal digit.
bool isHexadecimalEntry(const QString &entry);

// The text object `index` shows on the last printed page.
QString endText(const Document &doc, int index);

// Where number `index` first prints more characters than its width on pages
// `firstPage` to `lastPage` of the run; nothing for an object that is no
// number, one whose width follows the run, or one that always fits.
std::optional<WidthGrowth> widthGrowth(const Document &doc, int index, std::int32_t firstPage,
                                       std::int32_t lastPage);
