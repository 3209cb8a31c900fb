#pragma once

#include "log/sharedlogsession.h"
#include "sharedlog/sharedlogsetting.h"

#include <QStringList>

#include <functional>
#include <memory>

// What one print of the program does with the shop's shared print log. It
// starts connecting when the print dialog opens, so that the log is ready
// when the user clicks Print, and every wait on the server leaves the
// windows drawing themselves under a busy cursor.
class SharedLogRun
{
public:
    // The run of the log `setting` keeps; nothing when it keeps none.
    static std::unique_ptr<SharedLogRun>
    start(const SharedLogSetting &setting = SharedLogSetting());

    explicit SharedLogRun(const SharedLogAddress &address);
    // A log whose setting cannot be used, for `error`.
    explicit SharedLogRun(QString error);
    ~SharedLogRun();
    SharedLogRun(const SharedLogRun &) = delete;
    SharedLogRun &operator=(const SharedLogRun &) = delete;

    // Waits for the log; why it cannot serve, naming the server, or empty.
    // `told` gets a line for each value a run printed here without the log,
    // and sent now, shares with a run of another machine.
    QString open(QStringList &told);

    // Reserves the values of the run of `plan` from `doc`, logged as `entry`
    // under `documentKey`. The user is asked about the runs that printed
    // them (`askAgain` with the lines of the check before a run) without the
    // document's lock held, so that no machine waits on an answer: the
    // reservation is tried again, and goes ahead when it finds nothing the
    // user has not let pass. False with `error` empty when the user would
    // not print them again.
    bool reserve(const Document &doc, const RunData *data, const PrintPlan &plan,
                 const PrintLogEntry &entry, const QString &documentKey,
                 const std::function<bool(const QStringList &lines)> &askAgain, QString &error);

    // The end of the run reserved: printed whole, or not. An error text when
    // the server did not hear it; the end then waits for the next run.
    QString finish(bool printed);

private:
    std::unique_ptr<SharedLogSession> m_session;
    QString m_settingError;
};
