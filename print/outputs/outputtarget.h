#pragma once

#include <QString>

#include <optional>
#include <sys/types.h>

// A file as the system knows it, whatever name reaches it.
struct FileIdentity
{
    dev_t device = 0;
    ino_t inode = 0;

    friend bool operator==(const FileIdentity &, const FileIdentity &) = default;
};

// The identity of the file open at `fd`, when the system tells it.
std::optional<FileIdentity> identityOf(int fd);

enum class OutputKind
{
    NewFile,        // nothing there yet
    ExistingFile,   // a regular file, replaced whole
    Stream,         // a character device or a FIFO: it cannot be replaced
    StandardOutput, // the name "-"
    Refused,        // a directory, a socket, a block device, a path in error
    Document,       // the document being printed
};

// Where a run given the name `name` goes, found before anything is written.
struct OutputTarget
{
    OutputKind kind = OutputKind::Refused;
    QString name;    // as given, for messages
    QString file;    // what is written or replaced: a symbolic link's final target
    mode_t bits = 0; // the permission bits of an existing file
    QString refusal; // "NAME: why" when no run may go there
};

// Whether two targets are one file, whichever names and folder links reach
// it: the same file, or for new files the same name in the same folder.
bool sameFile(const OutputTarget &a, const OutputTarget &b);

// `name` "-" is standard output. A run is never written over `document`,
// whichever name, hard link or symbolic link reaches it.
OutputTarget resolveOutput(const QString &name, std::optional<FileIdentity> document = {});
