#pragma once

#include <QString>

#include <cstdint>
#include <functional>

struct ShellState;

// What the offer to save asks of the shell; tests put recorders in their place.
struct SavePromptServices
{
    // The message dialog: 1 for OK, 2 for Cancel or the close box, 5 for No.
    std::function<int(const QString &label, const QString &line1, const QString &line2,
                      std::int16_t showCancel, std::int16_t showNo)>
        messageDialog;
    std::function<bool(QString &path)> choosePath; // the save dialog; false when cancelled
    std::function<bool(const QString &path)> save; // writes the document; true on success
};

// Offers to save a modified document, then marks the document closed.
// Returns false, changing nothing, when the user chose to save but cancelled
// the save dialog or the save failed.
bool maybeSave(ShellState &shell, const SavePromptServices &services);
