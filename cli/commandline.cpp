#include "commandline.h"

#include <limits>

namespace {

std::optional<std::int32_t> pageCount(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// The value after an option, or an error when there is none.
bool takeValue(const QStringList &arguments, qsizetype &i, QString &value, QString &error)
{
    if (i + 1 >= arguments.size()) {
        error = QStringLiteral("%1 needs a value").arg(arguments[i]);
        return false;
    }
    value = arguments[++i];
    return true;
}

} // namespace

QString usageText()
{
    return QStringLiteral(
        "Usage: paginette-print [--pages N] (-o OUT.pdf | -P QUEUE) DOCUMENT.pgt\n"
        "Prints pages 1 to N of a Paginette document at 360 dpi, every number\n"
        "advanced on each page, to a PDF file or to a print queue.\n"
        "\n"
        "  --pages N    print pages 1 to N (default: the document's own Pages)\n"
        "  -o OUT.pdf   write the run to OUT.pdf; an existing file is replaced\n"
        "               only when the whole run is written\n"
        "  -P QUEUE     send the run to the print queue QUEUE\n"
        "  --help       show this help\n"
        "\n"
        "Exit status: 0 printed, 1 document or output error, 2 usage error.\n");
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine line;
    PrintRequest &request = line.request;
    QStringList documents;
    // arguments[0] is the program.
    for (qsizetype i = 1; i < arguments.size() && line.error.isEmpty(); ++i) {
        const QString &argument = arguments[i];
        QString value;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.help = true;
        } else if (argument == QLatin1String("--pages")) {
            if (takeValue(arguments, i, value, line.error)) {
                request.pages = pageCount(value);
                if (!request.pages)
                    line.error =
                        QStringLiteral("--pages needs a whole number, not '%1'").arg(value);
            }
        } else if (argument == QLatin1String("-o")) {
            if (takeValue(arguments, i, value, line.error))
                request.output = value;
        } else if (argument == QLatin1String("-P")) {
            if (takeValue(arguments, i, value, line.error))
                request.queue = value;
        } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            line.error = QStringLiteral("unknown option %1").arg(argument);
        } else {
            documents.append(argument);
        }
    }
    if (line.help || !line.error.isEmpty())
        return line;
    if (request.output.isEmpty() == request.queue.isEmpty())
        line.error = QStringLiteral("give either -o OUT.pdf or -P QUEUE");
    else if (documents.size() != 1)
        line.error = documents.isEmpty() ? QStringLiteral("no document given")
                                         : QStringLiteral("give one document");
    else
        request.document = documents.first();
    return line;
}
