#pragma once

#include "file/unknownkeys.h"
#include "numberformat.h"
#include "picture.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <optional>

// Object kinds as the document file stores them. A file may hold any other
// value; such an object is shown like a text object.
enum ObjectKind : std::int32_t
{
    KindNumber = 0,
    KindText = 1,
    KindPicture = 3,
    KindShape = 4,
};

enum class ShapeType : std::uint8_t
{
    Line,
    Rectangle,
    Ellipse,
};

// A shape's side and its stroke are at most 2 m and an inch; a dash pattern
// holds at most 16 lengths.
inline constexpr double longestShapeSide = 5670;
inline constexpr double widestStroke = 72;
inline constexpr qsizetype longestDash = 16;

// What a shape object draws, in page units from its position: a line to
// (x + width, y + height), or a rectangle or an ellipse in that box. A line
// across a ticket, dashed, is where its stub tears off.
struct ShapeStyle
{
    ShapeType type = ShapeType::Line;
    double width = 144;
    double height = 0;
    double stroke = 1;                 // the outline's width; 0 draws none
    std::uint32_t color = 0x000000;    // 0xRRGGBB
    std::optional<std::uint32_t> fill; // none leaves the inside clear
    // Lengths drawn and left, in turn, in page units; none is a solid line.
    QList<double> dash;
    UnknownKeys unknownKeys;

    bool operator==(const ShapeStyle &) const = default;
};

// The side of the paper an object is printed on; only a two-sided document
// has a back.
enum class Side : std::uint8_t
{
    Front,
    Back,
};

// A box in document-window pixels: left and top inside, right and bottom outside.
struct Bounds32
{
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool operator==(const Bounds32 &) const = default;
};

// One object on the page, as a value: what it is, where it sits, how it
// counts, how it looks, and its place in a link.
struct PageObject
{
    std::int32_t kind = KindNumber;
    std::int32_t x = 0; // left of the text, in page units
    std::int32_t y = 0; // top of the text, in page units

    // The number rule: start + (page - 1) * stepPage, `digits` characters wide,
    // written as `format` says.
    NumberValue start = 0;
    std::int32_t stepPage = 0;
    std::int32_t stepLink = 0; // added from this member to the next one of its link
    std::int16_t digits = 0;
    NumberFormat format;
    // A picture object's picture; none for a picture placed before there
    // were pictures, which shows a frame.
    std::optional<PictureRef> picture;
    // A shape object's drawing.
    std::optional<ShapeStyle> shape;

    std::int32_t color = 0; // 0x00BBGGRR
    std::int16_t customColor = 0;
    std::int16_t fontSize = 0; // character cell height in page units
    std::int32_t angle = 0;    // degrees, counter-clockwise
    QString fontName;
    QString text; // a text object's text; what a number showed when last saved
    QString name;

    Side side = Side::Front;
    // A number on the back that shows exactly the text of the front number
    // at this table index on every page, as a stub does: one series printed
    // on both sides; -1 for none.
    std::int32_t sameAs = -1;

    std::int32_t linkId = -1;   // the link it belongs to, or -1
    std::int32_t linkPrev = -1; // the member before it, or -1
    std::int32_t linkNext = -1; // the member after it, or -1

    // 1 is selected; deselecting writes -1 or 0, and the file keeps either.
    std::int16_t selected = 0;
    // Leading zeros of the text last formed; the file keeps the count.
    std::int16_t zeros = 0;
    // The record's reserved bytes as they were read, so that a file goes back
    // out byte for byte; empty when they are all zero.
    QByteArray reserved;
    // What the file said of the object that this version does not know, to
    // be written back as it came.
    UnknownKeys unknownKeys;

    bool operator==(const PageObject &) const = default;

    bool isSelected() const { return selected == 1; }
    bool isLinked() const { return linkId != -1; }
    // Out of its link, if it was in one.
    void unlink() { linkId = linkPrev = linkNext = -1; }
};
