#include "toolanswers.h"

#include "stopsignals.h"

bool ToolAnswers::goPast(RunWarning warning, const QStringList &lines)
{
    tellAll(lines);
    if (warning != RunWarning::Pictures)
        return true;
    m_report.message(QStringLiteral("pictures that cannot be read: nothing was printed"));
    return false;
}

bool ToolAnswers::printAgain(const QStringList &lines)
{
    tellAll(lines);
    if (m_request.freshOnly)
        m_report.message(QStringLiteral("--fresh-only: nothing was printed"));
    return !m_request.freshOnly;
}

bool ToolAnswers::printWithoutSharedLog(const QString &why)
{
    m_report.message(m_request.offlineOk
                         ? why + QStringLiteral("; printing without it: the run is sent the next "
                                                "time it is reached")
                         : why + QStringLiteral("; nothing was printed (--offline-ok prints "
                                                "without it)"));
    return m_request.offlineOk;
}

bool ToolAnswers::stillWanted()
{
    // A signal held back while the run's end is written counts too.
    return !stopAsked();
}

void ToolAnswers::uninterrupted(const std::function<void()> &work)
{
    const HeldStopSignals held;
    work();
}

void ToolAnswers::tellAll(const QStringList &lines)
{
    for (const QString &line : lines)
        m_report.message(line);
}
