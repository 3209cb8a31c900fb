#pragma once

#include "log/sharedlogaddress.h"
#include "run/calibration.h"

#include <QString>

#include <optional>

// The shop's shared print log the program prints through: a postgresql://
// URI kept under [PrintLog] in the user's settings file. A password is
// never kept there: libpq finds it in ~/.pgpass or PGPASSWORD.
class SharedLogSetting
{
public:
    explicit SharedLogSetting(QString path = userSettingsPath());

    // The URI kept; empty when the print log is this computer's alone.
    QString uri() const;
    // The address of the URI kept; nothing, without a word, when none is
    // kept, or why the one kept cannot be used.
    Outcome<SharedLogAddress> address() const;

    // Why `uri` cannot be kept (not a postgresql:// URI, or one that holds
    // a password); empty when it can, an empty URI among them.
    static QString refusal(const QString &uri);
    // Keeps `uri`, or no shared log when it is empty; an error text when the
    // file could not be written.
    QString store(const QString &uri) const;

private:
    QString m_path;
};
