#pragma once

#include <QString>

#include <functional>

// How the editing windows tell the user that something was refused or went
// wrong: the system beep and an OK-only message box. The shell gives the
// real ones; tests give recorders.
struct Feedback
{
    std::function<void()> beep;
    std::function<void(const QString &text, const QString &caption)> message;

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
};
