#pragma once

#include <QString>

#include <functional>

struct DocumentState;

// What the model needs from the layers above it: the system beep, an OK-only
// message box, the error display of input handlers, and the layout pass that
// recomputes object boxes. The shell installs the real ones; tests install
// recorders.
struct Services
{
    std::function<void()> beep;
    std::function<void(const QString &text, const QString &caption)> showMessage;
    std::function<void(const QString &text)> showError;
    std::function<void(DocumentState &)> layout;
};

Services &services();

void beep();
void showMessage(const QString &text, const QString &caption);
void showError(const QString &text);
void runLayout(DocumentState &doc);
