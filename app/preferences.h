#pragma once

#include "document.h"
#include "feedback.h"

#include <QString>

#include <cstdint>

// The preferences record, stored byte for byte (little-endian) in pgtpc.ini.
struct PreferencesRecord
{
    std::uint8_t reserved0[28];
    std::int32_t maxObjects;
    std::int32_t maxObjectsCopy;
    std::uint8_t reserved36[116];
    std::int32_t showLinks;
};
static_assert(sizeof(PreferencesRecord) == 156);

inline constexpr int prefRecordSize = 156;
// Capacity used when the stored one is unusable or the file cannot be had.
inline constexpr int defaultObjectCapacity = 20;

// <temporary directory>/pgtpc.ini, or an empty path when the temporary
// directory does not exist (so nothing lands in the file-system root).
QString preferencesPath();

// 0 when an existing file was read; -1 when there was none (an empty one is
// created) or reading failed (the system's text is told under "Error").
std::int16_t readPreferences(PreferencesRecord &prefs, const QString &path,
                             const Feedback &feedback);
// 0 on success; -1 on failure (the system's text is told under "Error").
int writePreferences(const PreferencesRecord &prefs, const QString &path, const Feedback &feedback);

// The start-up cycle: read, create with defaults when missing, and return the
// object capacity to use in this run. Never asks twice: when the file can be
// neither read nor created, one "Error" box is shown and the defaults stay.
int loadStartupPreferences(PreferencesRecord &prefs, const QString &path, const Feedback &feedback);
