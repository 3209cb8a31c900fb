#pragma once

#include "outputs/checkedfile.h"

#include <QString>

#include <optional>
#include <sys/types.h>

// The file a run is written into until it is whole. Anonymous where the file
// system allows it, so that nothing is left behind whatever ends the program;
// named otherwise, and removed when the spool goes without being put in
// place. Errors are the system's error numbers; 0 is success.
class Spool
{
public:
    enum class Kind
    {
        Anonymous,
        Named,
    };

    Spool() = default;
    ~Spool();
    Spool(const Spool &) = delete;
    Spool &operator=(const Spool &) = delete;

    // Makes the spool in `folder`; an anonymous one falls back to a named
    // one where the file system makes no anonymous files. A new file's bits
    // are 0644 less the umask.
    int open(const QString &folder, Kind kind = Kind::Anonymous);
    // Makes the spool in the temporary folder, or in memory.
    int openElsewhere();

    CheckedFile &file() { return *m_file; }
    const CheckedFile &file() const { return *m_file; }
    // A name by which other programs can read the spool while it lives.
    QString readablePath() const;
    int setPermissions(mode_t bits);
    // Puts the spool in the place of `target`, which is in the spool's
    // folder, replacing whatever is there in one step.
    int replace(const QString &target);
    // Writes the spool over the file open at `fd` from its start, cuts that
    // file to the spool's length and syncs it. The room is claimed first, so
    // that a full disk is found before the old content is touched.
    int copyOver(int fd);

private:
    int adopt(int fd, const QString &name);

    int m_fd = -1;
    QString m_name; // of a named spool, until it is put in place
    std::optional<CheckedFile> m_file;
};
