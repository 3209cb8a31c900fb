#pragma once

#include "outcome.h"

#include <QString>

#include <optional>

// Where a shop's shared print log lives: a PostgreSQL server reached by a
// postgresql:// URI. The password, when the URI gives one, is held only as
// long as the address: it is never shown, stored or logged; without one,
// libpq finds it as it always does (PGPASSWORD, ~/.pgpass, a service file).
struct SharedLogAddress
{
    QString host; // a name, an address, or the folder of a Unix socket
    int port = -1;
    QString database;
    QString user;
    QString password;
    // Further libpq keywords (service, sslmode, connect_timeout, ...) as
    // "key=value" pairs joined by ';', as Qt's driver takes them.
    QString options;

    // The URI as it may be shown: everything but the password.
    QString shown() const;
};

// The address a postgresql:// (or postgres://) URI names, or why it names
// none: "postgresql://USER@HOST:PORT/DATABASE?host=/run/postgresql".
Outcome<SharedLogAddress> parseSharedLogUri(const QString &uri);
