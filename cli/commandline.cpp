#include "commandline.h"

#include <QCommandLineParser>

#include <functional>
#include <limits>
#include <vector>

namespace {

// One option: its names, value and help, and what it does to the command
// line; an error text when its value will not do.
struct ToolOption
{
    QCommandLineOption option;
    std::function<QString(CommandLine &, const QString &value)> apply;
};

std::optional<std::int32_t> pageCount(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

const std::vector<ToolOption> &toolOptions()
{
    static const std::vector<ToolOption> options{
        {QCommandLineOption(QStringLiteral("pages"),
                            QStringLiteral("print pages 1 to N (default: the document's Pages)"),
                            QStringLiteral("N")),
         [](CommandLine &line, const QString &value) {
             line.request.pages = pageCount(value);
             return line.request.pages
                        ? QString()
                        : QStringLiteral("--pages needs a whole number, not '%1'").arg(value);
         }},
        {QCommandLineOption(QStringLiteral("o"),
                            QStringLiteral("write the run to FILE; - is standard output"),
                            QStringLiteral("FILE")),
         [](CommandLine &line, const QString &value) {
             line.request.output = value;
             return value.isEmpty() ? QStringLiteral("-o needs a file name") : QString();
         }},
        {QCommandLineOption(QStringLiteral("P"),
                            QStringLiteral("send the run to the print queue QUEUE"),
                            QStringLiteral("QUEUE")),
         [](CommandLine &line, const QString &value) {
             line.request.queue = value;
             return value.isEmpty() ? QStringLiteral("-P needs a queue name") : QString();
         }},
        {QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("show this help")),
         [](CommandLine &line, const QString &) {
             line.help = true;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("version"), QStringLiteral("show the version")),
         [](CommandLine &line, const QString &) {
             line.version = true;
             return QString();
         }},
    };
    return options;
}

// "-o FILE" or "--pages N", as the help shows an option.
QString optionSynopsis(const QCommandLineOption &option)
{
    QStringList names;
    for (const QString &name : option.names())
        names.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    QString synopsis = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        synopsis += QLatin1Char(' ') + option.valueName();
    return synopsis;
}

} // namespace

QString usageText()
{
    QString text =
        QStringLiteral("Usage: paginette-print [--pages N] (-o OUT.pdf | -P QUEUE) DOCUMENT.pgt\n"
                       "Prints pages 1 to N of a Paginette document at 360 dpi, every number\n"
                       "advanced on each page, to a PDF file or to a print queue. A DOCUMENT of\n"
                       "- is read from standard input. An existing file is replaced only by a\n"
                       "whole run.\n"
                       "\n");
    for (const ToolOption &entry : toolOptions()) {
        text += QStringLiteral("  %1  %2\n")
                    .arg(optionSynopsis(entry.option), -12)
                    .arg(entry.option.description());
    }
    text += QStringLiteral("\nExit status: 0 printed, 1 document or output error, 2 usage error,\n"
                           "128+N stopped by signal N.\n");
    return text;
}

QString versionText()
{
    return QStringLiteral("paginette-print " PAGINETTE_VERSION "\n");
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const ToolOption &entry : toolOptions())
        parser.addOption(entry.option);
    if (!parser.parse(arguments)) {
        line.error = parser.errorText();
        return line;
    }
    for (const ToolOption &entry : toolOptions()) {
        const QStringList values = parser.values(entry.option);
        if (parser.isSet(entry.option) && line.error.isEmpty())
            line.error = entry.apply(line, values.isEmpty() ? QString() : values.constLast());
    }
    if (line.help || line.version || !line.error.isEmpty())
        return line;

    const QStringList documents = parser.positionalArguments();
    const PrintRequest &request = line.request;
    if (request.output.isEmpty() == request.queue.isEmpty())
        line.error = QStringLiteral("give either -o OUT.pdf or -P QUEUE");
    else if (documents.size() != 1)
        line.error = documents.isEmpty() ? QStringLiteral("no document given")
                                         : QStringLiteral("give one document");
    else
        line.request.document = documents.first();
    return line;
}
