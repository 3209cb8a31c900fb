#include "sharedlog/sharedlogrun.h"

#include "sharedlog/serverwait.h"

#include <algorithm>

std::unique_ptr<SharedLogRun> SharedLogRun::start(const SharedLogSetting &setting)
{
    QString error;
    const std::optional<SharedLogAddress> address = setting.address(&error);
    if (address)
        return std::make_unique<SharedLogRun>(*address);
    if (!error.isEmpty())
        return std::make_unique<SharedLogRun>(error);
    return nullptr;
}

SharedLogRun::SharedLogRun(const SharedLogAddress &address)
    : m_session(std::make_unique<SharedLogSession>(address))
{
}

SharedLogRun::SharedLogRun(QString error) : m_settingError(std::move(error)) {}

SharedLogRun::~SharedLogRun()
{
    // A connection still being made is waited for, up to its timeout.
    if (m_session)
        waitForServer([this] { m_session.reset(); });
}

QString SharedLogRun::open(QStringList &told)
{
    if (!m_session)
        return m_settingError;
    QString error;
    waitForServer([&] { error = m_session->open(told); });
    return error;
}

bool SharedLogRun::reserve(const Document &doc, const RunData *data, const PrintPlan &plan,
                           const PrintLogEntry &entry, const QString &documentKey,
                           const std::function<bool(const QStringList &)> &askAgain, QString &error)
{
    QStringList passed;
    for (;;) {
        QStringList found;
        const auto goAhead = [&](const QStringList &lines) {
            found = lines;
            return std::all_of(lines.begin(), lines.end(),
                               [&](const QString &line) { return passed.contains(line); });
        };
        Document reserved = doc;
        bool done = false;
        waitForServer([&] {
            done =
                m_session->reserve(reserved, data, plan, entry, documentKey, false, goAhead, error);
        });
        if (done || !error.isEmpty())
            return done;
        if (!askAgain(found))
            return false;
        passed = found;
    }
}

QString SharedLogRun::finish(bool printed)
{
    QString error;
    waitForServer([&] { error = m_session->finish(printed); });
    return error;
}
