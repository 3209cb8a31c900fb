#pragma once

#include "outputs/runoutput.h"

#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

// A run written as a file a face, for printers that take pictures and for
// proofs sent by mail: run.png gives run-0001.png, run-0002.png, ... beside
// it. The faces are written into a hidden folder there and moved into place
// only when every one is drawn: all of them, or none.
class PageFilesOutput : public RunOutput
{
public:
    PageFilesOutput(OutputTarget target, std::optional<FileIdentity> document);

    // "/jobs/run-0001.png to run-0012.png"
    QString name() const override;
    QString open(const OutputPass &pass) override;
    PrintSheets sheets() override;
    QString deliver(const KeepGoing &keepGoing) override;
    bool waitsForPlace() const override { return true; }
    // Moves the faces into place, all or none.
    QString putInPlace() override;
    std::unique_ptr<RunOutput> forBacks() const override;

protected:
    // The device the face whose file is `path` is drawn on, on paper of
    // `paper` points, its units the pass's dots times `deviceScale()`;
    // null, after setFailure(), when it cannot be made.
    virtual QPaintDevice *startFace(const QString &path, QSizeF paper) = 0;
    // Writes the face drawn to its file; an error text when that failed.
    virtual QString finishFace() = 0;
    virtual qreal deviceScale() const { return 1; }
    // An output of the same kind to `target`.
    virtual std::unique_ptr<RunOutput> madeFor(const OutputTarget &target) const = 0;

    const OutputPass &pass() const { return m_pass; }
    const std::optional<FileIdentity> &document() const { return m_document; }
    // Tells the run what went wrong with a face's file.
    void setFailure(const QString &failure) { m_failure = failure; }

private:
    // The file face `face` (from 1) goes to: NAME-0001.SUFFIX.
    QString facePath(const QString &folder, std::int64_t face) const;
    QPaintDevice *nextFace(std::int64_t face, QSizeF paper);
    // Finds where each face goes, before anything moves; an error text when
    // one of the places takes no page.
    QString planMoves();

    // A face's file drawn in the staging folder and the place it goes to,
    // swapped with the file there, which can then be put back.
    struct Move
    {
        QByteArray staged;
        QByteArray placed;
        bool swapped = false;
    };

    const OutputTarget m_target;
    const std::optional<FileIdentity> m_document;
    OutputPass m_pass;
    std::optional<QTemporaryDir> m_staging;
    std::int64_t m_facesStarted = 0;
    QString m_failure;
    std::vector<Move> m_moves;
};
