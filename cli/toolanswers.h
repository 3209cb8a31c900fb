#pragma once

#include "commandline.h"
#include "printtool.h"
#include "run/runsession.h"

// The tool's answers to a run's questions: its flags, and lines on
// standard error. It waits for no one: a printer that prints one side gets
// the fronts, and the backs are a pass of their own.
class ToolAnswers : public RunQuestions
{
public:
    ToolAnswers(const PrintRequest &request, const ToolReport &report)
        : m_request(request), m_report(report)
    {
    }

    // Goes past every warning but pictures that cannot be read: a run from
    // part of a design is waste.
    bool goPast(RunWarning warning, const QStringList &lines) override;
    // Prints values again unless --fresh-only.
    bool printAgain(const QStringList &lines) override;
    // Never: a data file outside the document's folder is read when --data
    // names it.
    bool readDataOutside(const QString &, const QString &) override { return false; }
    // Only with --offline-ok.
    bool printWithoutSharedLog(const QString &why) override;
    bool waitsForTheTurn() const override { return false; }
    bool stackTurned(const QString &) override { return false; }
    void tell(const QStringList &lines, RunTopic) override { tellAll(lines); }
    PrintProgress progress(std::int64_t) override { return m_report.progress; }
    bool stillWanted() override;
    void waitOnServer(const std::function<void()> &work) override { work(); }
    void uninterrupted(const std::function<void()> &work) override;

private:
    void tellAll(const QStringList &lines);

    const PrintRequest &m_request;
    const ToolReport &m_report;
};
