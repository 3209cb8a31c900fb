#include "data/zipentrydevice.h"

#include <zip.h>

ZipEntryDevice::ZipEntryDevice(zip_file *file, const QString &name, ZipReadState *state)
    : m_file(file), m_name(name), m_state(state)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

ZipEntryDevice::~ZipEntryDevice()
{
    zip_fclose(m_file);
}

qint64 ZipEntryDevice::readData(char *data, qint64 maxSize)
{
    if (m_finished || !m_state->problem.isEmpty())
        return -1;
    const zip_int64_t read = zip_fread(m_file, data, zip_uint64_t(maxSize));
    if (read < 0) {
        m_finished = true;
        m_state->problem.text = QStringLiteral("the workbook is damaged (%1: %2)")
                                    .arg(m_name, QString::fromLocal8Bit(zip_file_strerror(m_file)));
        return -1;
    }
    m_state->bytesLeft -= read;
    if (m_state->bytesLeft < 0) {
        m_finished = true;
        m_state->problem.text = QStringLiteral("the workbook expands past %1 MB, more than a data "
                                               "file may hold")
                                    .arg(m_state->limit >> 20);
        return -1;
    }
    if (read == 0) {
        m_finished = true;
        return -1;
    }
    return read;
}
