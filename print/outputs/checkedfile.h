#pragma once

#include <QByteArray>
#include <QIODevice>

// A write-only device over a file descriptor that stays its owner's. Qt's PDF
// engine does not look at what its writes return; this device keeps the first
// failure and writes nothing after it, so that the run's owner can tell a
// whole file from a cut one.
class CheckedFile : public QIODevice
{
public:
    explicit CheckedFile(int fd);

    // Writes out what is buffered; the descriptor stays open.
    void close() override;
    // Only to where the device already is: a file written once, front to back.
    bool seek(qint64 pos) override;

    // Writes out what is buffered, so that the file can be read back; false
    // when any write failed.
    bool flush();
    // Writes out what is buffered and asks the system to keep it on disk.
    // False when any write failed.
    bool finish();
    // Drops what is buffered and writes nothing more, so that a reader of a
    // stream sees a cut file rather than a short whole one.
    void abandon();
    // The error number of the first failure; 0 while every write succeeded.
    int failure() const { return m_failure; }

protected:
    qint64 readData(char *data, qint64 size) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    bool writeAll(const char *data, qint64 size);
    bool writeBuffer();

    const int m_fd;
    QByteArray m_buffer;
    int m_failure = 0;
};
