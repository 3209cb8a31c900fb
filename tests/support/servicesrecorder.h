#pragma once

#include "services.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

// Records the beeps, message boxes, errors and layout passes the program asks
// for, instead of making them; puts the previous services back when it goes
// out of scope.
class ServicesRecorder
{
public:
    using Message = std::pair<QString, QString>; // text, caption

    ServicesRecorder() : m_previous(services())
    {
        services().beep = [this] {
            ++beeps;
        };
        services().showMessage = [this](const QString &text, const QString &caption) {
            messages.append({text, caption});
        };
        services().showError = [this](const QString &text) {
            errors.append(text);
        };
        services().layout = [this](DocumentState &doc) {
            ++layouts;
            if (layoutStep)
                layoutStep(doc);
        };
    }
    ~ServicesRecorder() { services() = m_previous; }
    ServicesRecorder(const ServicesRecorder &) = delete;
    ServicesRecorder &operator=(const ServicesRecorder &) = delete;

    QStringList captions() const
    {
        QStringList result;
        for (const Message &message : messages)
            result.append(message.second);
        return result;
    }

    int beeps = 0;
    int layouts = 0;
    QList<Message> messages;
    QStringList errors;
    // What the layout pass does besides being counted; nothing by default.
    std::function<void(DocumentState &)> layoutStep;

private:
    Services m_previous;
};
