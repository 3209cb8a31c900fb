#pragma once

#include "outcome.h"

#include "outputs/outputtarget.h"
#include "picture.h"
#include "run/printrun.h"

#include <QPageLayout>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// What one pass of a run asks of its output.
struct OutputPass
{
    // The device's paper and margins, as the printer's page setup gives them.
    QPageLayout layout;
    // The paper the run brings (a sheet of labels, a PDF background's first
    // page), which a queue is asked for; none for the device's own.
    std::optional<QSizeF> runPaper;
    std::int32_t dotsPerInch = 360; // what the run is drawn at
    Duplex duplex = Duplex::Off;    // both sides in one job, turning about this edge
    std::int64_t faces = 0;         // sides of paper the pass prints
    // The pictures whose PDF pages and JPEGs a PDF places as they are.
    PictureStore pictures;
    QString title;
};

// Asked now and then while an output is put in place; false stops it.
using KeepGoing = std::function<bool()>;

// Where a run's pages go: a PDF file, a print queue, a file a page. An
// output is whole or not at all: what it delivers takes the place of what
// was there only when every page is drawn and it is put in place, and a run
// that fails or is cancelled leaves everything as it was.
class RunOutput
{
public:
    virtual ~RunOutput() = default;

    // How the log and the messages name where the run went.
    virtual QString name() const = 0;
    // Whether one job prints both sides of the paper.
    virtual bool printsBothSides() const { return true; }
    // Gets ready for a pass; an error text when it cannot.
    virtual QString open(const OutputPass &pass) = 0;
    // What the pass draws on, once open.
    virtual PrintSheets sheets() = 0;
    // Hands the finished pass over: a queue's job is sent, a stream written
    // out, a file made whole and on disk beside its place. An error text when
    // that failed.
    virtual QString deliver(const KeepGoing &keepGoing = {}) = 0;
    // Whether what deliver() made waits to take its place, so that the run
    // can be logged first: a file's does, a job sent or a stream written has
    // gone.
    virtual bool waitsForPlace() const { return false; }
    // Puts what deliver() made in place of what was there; an error text
    // when that failed.
    virtual QString putInPlace() { return {}; }
    // What the user should know of a delivery that went otherwise than
    // asked (a file rewritten in place); empty mostly.
    virtual QString deliveryNote() const { return {}; }
    // Where a second pass, the backs after the stack is turned, goes: the
    // same queue, or files beside these, so that the fronts stay.
    virtual std::unique_ptr<RunOutput> forBacks() const = 0;
};

// The settings a file output is made with beyond its name.
struct FileOutputSettings
{
    std::int32_t dotsPerInch = 300; // of a raster page
    // The document being printed, which no output may replace.
    std::optional<FileIdentity> document;
};

// One kind of file a run can be written to: one row a kind.
struct FileOutputKind
{
    const char *key;    // "pdf"
    const char *suffix; // ".pdf", by which an output name chooses it
    QString nameFilter; // for a file dialog: "PDF file (*.pdf)"
    bool rastered;      // pictures of a resolution of their own
    std::unique_ptr<RunOutput> (*make)(const OutputTarget &target,
                                       const FileOutputSettings &settings);
};

// Every kind of file output, the PDF first.
const QList<FileOutputKind> &fileOutputKinds();
// The kind an output name asks for by its suffix; a PDF for any other.
const FileOutputKind &fileOutputKindFor(const QString &name);
// The output for the name `name` ("-": standard output, a PDF), or the
// reason no run may go there.
Outcome<std::unique_ptr<RunOutput>> fileOutput(const QString &name,
                                               const FileOutputSettings &settings);
