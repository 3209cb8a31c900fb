#pragma once

#include <QString>

#include <cstdint>

enum EditMode : std::int32_t
{
    ModeMain = 0,
    // Places an object of the session's placeKind.
    ModePlace = 1,
    ModeLink = 2,
    ModeUnlink = 3,
};

// The session of the document in hand: whether one is open, under which
// file name, whether it holds unsaved changes, and the editing mode.
struct Session
{
    bool docOpen = false;
    bool docNamed = false;
    // Follows the undo history; the document editor alone writes it.
    bool docModified = false;
    QString docFileName;
    EditMode editMode = ModeMain;
    std::int32_t placeKind = 0;
};
