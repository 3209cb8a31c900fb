#pragma once

#include <QString>

#include <functional>

struct Session;

// What the offer to save asks of the shell; tests put recorders in their place.
struct SavePromptServices
{
    // The message dialog: 1 for OK, 2 for Cancel or the close box, 5 for No.
    std::function<int(const QString &caption, const QString &label, const QString &line1,
                      const QString &line2, bool showCancel, bool showNo)>
        messageDialog;
    std::function<bool(QString &path)> choosePath; // the save dialog; false when cancelled
    // Writes the document, which then has that name; true on success.
    std::function<bool(const QString &path)> save;
};

// Offers to save a modified document before it goes. True when it may go:
// it was not modified, the user answered No, or it was saved. False,
// changing nothing, when the user cancelled (Cancel, Escape, the close box)
// or chose to save and then cancelled the save dialog or the save failed.
bool maybeSave(const Session &session, const SavePromptServices &services);
