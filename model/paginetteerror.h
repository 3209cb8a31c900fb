#pragma once

#include <QString>

#include <stdexcept>

// An error raised inside an event handler; the application shows its text.
class PaginetteError : public std::runtime_error
{
public:
    explicit PaginetteError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }

    QString message() const { return m_message; }

private:
    QString m_message;
};
