#pragma once

#include "data/zipentrydevice.h"

#include <QByteArray>
#include <QString>

#include <memory>

struct zip;

// A workbook's zip archive, read from its bytes in memory. What its entries
// inflate to is counted as it is read, all of them together against one
// budget, so that the sizes the archive claims are never trusted.
class SpreadsheetZip
{
public:
    // `bytes` must outlive the archive.
    SpreadsheetZip(const QByteArray &bytes, qint64 expandedLimit);
    ~SpreadsheetZip();
    SpreadsheetZip(const SpreadsheetZip &) = delete;
    SpreadsheetZip &operator=(const SpreadsheetZip &) = delete;

    bool contains(const QString &name) const;
    // The entry `name`, to be read a piece at a time; null when the archive
    // has none (or it cannot be read, which problem() then says).
    std::unique_ptr<ZipEntryDevice> open(const QString &name);
    // What stopped the archive or an entry from being read: damage, a
    // password, the budget spent. Empty while all is well.
    const DataProblem &problem() const { return m_state.problem; }

private:
    zip *m_archive = nullptr;
    ZipReadState m_state;
};
