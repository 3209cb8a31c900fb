#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

// How much a data file may hold and make the reader do; past any of these
// the file is refused. A file comes from outside: its size bounds the text
// read, the expanded bytes bound what a small workbook may inflate to, the
// counts bound the table however few bytes declare it (a repeat count, a
// cell far down the sheet), the depth bounds the XML reader's stack.
struct DataLimits
{
    qint64 fileBytes = qint64(64) << 20;
    qint64 expandedBytes = qint64(200) << 20;
    qsizetype rows = 1'000'000;
    qsizetype columns = 1'000;
    qsizetype cells = 10'000'000;
    // A workbook cell's text, as long as the longest a spreadsheet keeps:
    // a workbook may spell out spaces by the billion in a few bytes.
    qsizetype cellCharacters = 32'767;
    // A number format's code, as long as the longest a spreadsheet keeps.
    qsizetype formatCharacters = 255;
    int xmlDepth = 64;
    // Asked every few thousand rows or elements: false ends the reading, so
    // that a stop signal is heard within a second whatever the file.
    std::function<bool()> stillWanted{};

    // Whether the reading goes on.
    bool goesOn() const { return !stillWanted || stillWanted(); }
    // What a reading that was stopped says.
    static QString stoppedText() { return QStringLiteral("the reading was stopped"); }
};
