#pragma once

#include "services.h"

#include <QList>
#include <QString>

#include <utility>

// Records the message boxes and beeps the program asks for, instead of
// showing them; puts the previous services back when it goes out of scope.
class MessageRecorder
{
public:
    using Message = std::pair<QString, QString>; // text, caption

    MessageRecorder() : m_previous(services())
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
        services().layout = [this](DocumentState &) {
            ++layouts;
        };
    }
    ~MessageRecorder() { services() = m_previous; }
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

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

private:
    Services m_previous;
};
