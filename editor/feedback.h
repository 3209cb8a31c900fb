#pragma once

#include <QString>

#include <functional>

// How the editing windows tell the user that something was refused or went
// wrong: the system beep, an OK-only message box, and a question with OK
// and Cancel. The shell gives the real ones; tests give recorders.
struct Feedback
{
    std::function<void()> beep;
    std::function<void(const QString &text, const QString &caption)> message;
    // True for OK, false for Cancel.
    std::function<bool(const QString &text, const QString &caption)> question;

    void sound() const
    {
        if (beep)
            beep();
    }
    void tell(const QString &text, const QString &caption) const
    {
        if (message)
            message(text, caption);
    }
    // Asks, and goes on where there is no one to ask.
    bool confirm(const QString &text, const QString &caption) const
    {
        return !question || question(text, caption);
    }
};
