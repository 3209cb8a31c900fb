#include "launchoptions.h"

#include "filenames.h"

#include <QCommandLineParser>

LaunchOptions parseLaunchOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    // Qt's own options are single-dash words: "-stylesheet" must not read as
    // "-s -t -y ... -h" and ask for the help.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOption(help);
    parser.addOption(version);

    LaunchOptions options;
    // --help and --version are read even beside a bad option.
    const bool parsed = parser.parse(arguments);
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    const QStringList documents = parser.positionalArguments();
    if (!parsed)
        options.error = parser.errorText();
    else if (documents.size() > 1)
        options.error = QStringLiteral("give one document");
    else if (!documents.isEmpty())
        options.document = documents.first();
    return options;
}

LaunchOptions parseLaunchOptions(int argc, const char *const *argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(fileNameFromNative(argv[i]));
    return parseLaunchOptions(arguments);
}

QString launchUsage()
{
    return QStringLiteral("Usage: paginette [DOCUMENT.pgt]\n"
                          "Designs a page of serial numbers and prints it as a run of pages,\n"
                          "every number advanced on each page. Opens DOCUMENT.pgt when given.\n"
                          "\n"
                          "  -h, --help   show this help\n"
                          "  --version    show the version\n");
}

QString launchVersion()
{
    return QStringLiteral("paginette " PAGINETTE_VERSION "\n");
}
