#pragma once

#include "data/cellgrid.h"

#include <QIODevice>
#include <QString>

struct zip_file;

// What the entries of one archive share while they are read: the bytes they
// may still inflate to, and the first thing that went wrong.
struct ZipReadState
{
    qint64 bytesLeft = 0;
    qint64 limit = 0;
    DataProblem problem;
};

// One entry of a zip archive as a sequential device, inflated a piece at a
// time as it is read. Past the archive's budget, or on damaged data, reading
// fails and the shared state says why.
class ZipEntryDevice : public QIODevice
{
public:
    ZipEntryDevice(zip_file *file, const QString &name, ZipReadState *state);
    ~ZipEntryDevice() override;

    bool isSequential() const override { return true; }
    bool atEnd() const override { return m_finished; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    zip_file *m_file;
    QString m_name;
    ZipReadState *m_state;
    bool m_finished = false;
};
