#pragma once

#include "paginetteerror.h"

#include <QCoreApplication>
#include <QEvent>
#include <QString>

#include <exception>

// Carries the text of an error raised in an input handler to the program's
// one error display, which watches the application object for it.
class ErrorEvent : public QEvent
{
public:
    explicit ErrorEvent(const QString &text) : QEvent(eventType()), m_text(text) {}

    static QEvent::Type eventType()
    {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    QString text() const { return m_text; }

private:
    QString m_text;
};

// Queues the error for the display: it is shown from the event loop, after
// the handler that raised it has returned.
inline void reportError(const QString &text)
{
    if (QCoreApplication *application = QCoreApplication::instance())
        QCoreApplication::postEvent(application, new ErrorEvent(text));
}

// Runs the body of an input handler. An error it raises abandons the rest of
// the handler and goes to the program's error display; it never unwinds into
// Qt's event dispatch.
template <typename Body> void guarded(Body &&body) noexcept
{
    try {
        body();
    } catch (const PaginetteError &error) {
        reportError(error.message());
    } catch (const std::exception &error) {
        reportError(QString::fromLocal8Bit(error.what()));
    }
}
