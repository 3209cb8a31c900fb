#pragma once

#include "services.h"

#include <QList>
#include <QString>

#include <functional>
#include <utility>

// Installs recorders for the beep, the message box and the layout pass, and
// puts the empty services back when it goes out of scope.
class ServicesRecorder
{
public:
    using Message = std::pair<QString, QString>;

    ServicesRecorder()
    {
        services().beep = [this] {
            ++beeps;
        };
        services().showMessage = [this](const QString &text, const QString &caption) {
            messages.append({text, caption});
        };
        services().layout = [this](DocumentState &doc) {
            ++layouts;
            if (layoutStep)
                layoutStep(doc);
        };
    }
    ~ServicesRecorder() { services() = Services{}; }
    ServicesRecorder(const ServicesRecorder &) = delete;
    ServicesRecorder &operator=(const ServicesRecorder &) = delete;

    int beeps = 0;
    int layouts = 0;
    QList<Message> messages;
    // What the layout pass does besides being counted; nothing by default.
    std::function<void(DocumentState &)> layoutStep;
};
