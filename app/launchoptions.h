#pragma once

#include <QString>
#include <QStringList>

// What the program's command line asks for: a document to open, the help,
// the version, or nothing but a usage error.
struct LaunchOptions
{
    QString document{}; // empty: start with a new document
    bool help = false;
    bool version = false;
    QString error{};

    bool operator==(const LaunchOptions &) const = default;
};

// arguments[0] is the program, as in QCoreApplication::arguments().
LaunchOptions parseLaunchOptions(const QStringList &arguments);
// The command line as main() gets it: a document's name keeps bytes that are
// not UTF-8, which QCoreApplication::arguments() would lose.
LaunchOptions parseLaunchOptions(int argc, const char *const *argv);
QString launchUsage();
QString launchVersion();
