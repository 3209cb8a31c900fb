#pragma once

#include "file/documentfile.h"
#include "toolrun.h"

#include <QTemporaryDir>

// A document saved as NAME.pgt in a folder and printed by paginette-print
// to NAME.pdf beside it.
struct SavedRun
{
    QString pdf;
    ToolRun print; // a save that fails is told in its err
};

inline SavedRun printSaved(const QTemporaryDir &dir, const Document &doc, const QString &name)
{
    const QString document = dir.filePath(name + QStringLiteral(".pgt"));
    SavedRun run{dir.filePath(name + QStringLiteral(".pdf")), {}};
    run.print.err = saveDocument(doc, {}, document);
    if (run.print.err.isEmpty())
        run.print =
            runTool(QStringLiteral(PAGINETTE_PRINT), {QStringLiteral("-o"), run.pdf, document});
    return run;
}
