#pragma once

#include "feedback.h"
#include "guarded.h"

#include <QCoreApplication>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <utility>

// Records the beeps and message boxes the program asks for, instead of
// making them, and the errors its input handlers report to the error
// display.
class FeedbackRecorder : public QObject
{
public:
    using Message = std::pair<QString, QString>; // text, caption

    FeedbackRecorder()
    {
        if (QCoreApplication *application = QCoreApplication::instance())
            application->installEventFilter(this);
    }

    Feedback feedback()
    {
        Feedback feedback;
        feedback.beep = [this] {
            ++beeps;
        };
        feedback.message = [this](const QString &text, const QString &caption) {
            messages.append({text, caption});
        };
        feedback.question = [this](const QString &text, const QString &caption) {
            questions.append({text, caption});
            return answer;
        };
        return feedback;
    }

    QStringList captions() const
    {
        QStringList result;
        for (const Message &message : messages)
            result.append(message.second);
        return result;
    }

    // The errors reported so far, those still queued included.
    QStringList errors()
    {
        QCoreApplication::sendPostedEvents(nullptr, ErrorEvent::eventType());
        return m_errors;
    }

    int beeps = 0;
    QList<Message> messages;
    QList<Message> questions;
    bool answer = true; // to every question

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != ErrorEvent::eventType())
            return QObject::eventFilter(watched, event);
        m_errors.append(static_cast<const ErrorEvent *>(event)->text());
        return true;
    }

private:
    QStringList m_errors;
};
