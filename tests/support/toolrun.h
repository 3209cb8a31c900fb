#pragma once

#include <QPointF>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// One run of a command-line program: exit code and what it wrote.
struct ToolRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Waits for a started program and collects what it wrote.
inline ToolRun finishRun(QProcess &process, int timeoutMs = 120000)
{
    ToolRun run;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("did not finish: ") + process.errorString();
        return run;
    }
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// What the program itself wrote to standard error: a sanitizer's summary of
// the suppressions it used is the build's, not the program's.
inline QString programErrors(const QString &err)
{
    QStringList lines = err.split(QLatin1Char('\n'));
    const qsizetype summary = lines.indexOf(QStringLiteral("Suppressions used:"));
    if (summary >= 0) {
        qsizetype end = summary + 1;
        while (end < lines.size() && lines[end].startsWith(QLatin1Char(' ')))
            ++end;
        // The rule of dashes that closes the summary goes with it.
        if (end < lines.size() && lines[end].startsWith(QLatin1String("-----")))
            ++end;
        lines.remove(summary, end - summary);
    }
    return lines.join(QLatin1Char('\n'));
}

inline ToolRun runTool(const QString &program, const QStringList &arguments, int timeoutMs = 120000)
{
    QProcess process;
    process.start(program, arguments);
    return finishRun(process, timeoutMs);
}

// The text pdftotext reads from one page of a PDF file, trimmed.
inline QString pdfPageText(const QString &path, int page)
{
    const QString number = QString::number(page);
    const ToolRun run = runTool(QStringLiteral("pdftotext"),
                                {QStringLiteral("-f"), number, QStringLiteral("-l"), number,
                                 QStringLiteral("-layout"), path, QStringLiteral("-")});
    return run.exitCode == 0 ? run.out.trimmed() : QStringLiteral("pdftotext: ") + run.err;
}

// The page count pdfinfo reads from a PDF file, or -1.
inline int pdfPageCount(const QString &path)
{
    const ToolRun run = runTool(QStringLiteral("pdfinfo"), {path});
    for (const QString &line : run.out.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

// A word pdftotext found, and where its first character starts, in points.
struct Word
{
    QString text;
    QPointF origin;
};

// The words of every page of a PDF file, page by page, read by one run of
// pdftotext -bbox from page `first` to `last` (0: the last page).
inline QList<QList<Word>> pagesWords(const QString &path, int first = 1, int last = 0)
{
    QStringList arguments{QStringLiteral("-bbox"), QStringLiteral("-f"), QString::number(first)};
    if (last > 0)
        arguments << QStringLiteral("-l") << QString::number(last);
    const ToolRun run =
        runTool(QStringLiteral("pdftotext"), arguments << path << QStringLiteral("-"));
    static const QRegularExpression word(
        QStringLiteral(R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)"[^>]*>([^<]*)</word>)re"));
    // The words come as XML text.
    static const QList<std::pair<QString, QString>> entities{
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    QList<QList<Word>> pages;
    for (auto match = word.globalMatch(run.out); match.hasNext();) {
        const auto found = match.next();
        if (found.captured(0) == QLatin1String("<page ")) {
            pages.append(QList<Word>());
            continue;
        }
        QString text = found.captured(3);
        for (const auto &[entity, character] : entities)
            text.replace(entity, character);
        if (!pages.isEmpty())
            pages.last().append(
                {text, {found.captured(1).toDouble(), found.captured(2).toDouble()}});
    }
    return pages;
}

inline QList<Word> pageWords(const QString &path, int page)
{
    return pagesWords(path, page, page).value(0);
}
