#pragma once

#include "outputs/checkedfile.h"
#include "outputs/outputtarget.h"
#include "outputs/spool.h"

#include <QIODevice>
#include <QString>

#include <optional>

// Where a run is written and how it is put in place. A file is spooled
// beside itself and replaced only when the run is whole and on disk; a
// stream is written straight; a file whose folder takes no spool is spooled
// elsewhere and rewritten in place once the run is whole. Errors read
// "NAME: why", in the system's words.
class OutputFile
{
public:
    explicit OutputFile(OutputTarget target);
    // Without a commit, the spool goes and the file stays as it was.
    ~OutputFile();
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Makes the spool or opens the stream.
    QString open();
    // What the run is written into, once open.
    CheckedFile &device();
    // The first failed write so far; empty while every write succeeded.
    QString failure() const;
    // Writes out and syncs the run, not yet in place.
    QString finish();
    // Puts the finished run in place of what was there.
    QString place();
    // Both in turn.
    QString commit();
    // True when the file was rewritten in place, its folder taking no spool.
    bool rewroteInPlace() const { return m_inPlace; }

private:
    QString error(int number) const;

    const OutputTarget m_target;
    Spool m_spool;
    int m_fd = -1; // a stream opened by name, or the file rewritten in place
    std::optional<CheckedFile> m_stream;
    bool m_inPlace = false;
};
