#pragma once

#include "log/sharedlog.h"

#include <QList>
#include <QString>
#include <QStringList>

// The runs this machine printed that a shop's shared print log has not had
// yet: printed while it could not be reached, or whose end it never heard.
// They wait in a small file beside the local print log, under its own lock,
// until the next run that reaches the log sends them.
class UnsharedRuns
{
public:
    // paginette/unshared-runs.csv in the user's data folder by default.
    explicit UnsharedRuns(QString path = defaultPath());

    static QString defaultPath();
    const QString &path() const { return m_path; }

    // Keeps `run` for later; an error text when it could not be written.
    QString add(const SharedRun &run) const;
    // The runs waiting, oldest first, or why the file cannot be read.
    Outcome<QList<SharedRun>> waiting() const;
    // Lets go of the runs whose local ids are `sent`, writing the rest into
    // a new file that takes the old one's place.
    QString remove(const QStringList &sent) const;

private:
    QString m_path;
};
