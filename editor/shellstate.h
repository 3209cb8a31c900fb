#pragma once

#include <QString>

#include <cstdint>

enum EditMode : std::int32_t
{
    ModeMain = 0,
    ModePlaceNumber = 1,
    ModePlaceText = 2,
    ModePlacePicture = 3,
    ModeLink = 4,
    ModeUnlink = 5,
};

// Flags shared by the main frame's commands and the document window.
struct ShellState
{
    std::int32_t docOpen = 0;
    std::int32_t docNamed = 0;
    // Set by the document editor for every edit; nothing else sets it for one.
    std::int32_t docModified = 0;
    QString docFileName;
    EditMode editMode = ModeMain;
};
