#pragma once

#include "documentbuilder.h"
#include "run/printrun.h"

#include <QImage>
#include <QList>
#include <QStringList>

// A paged device made of one white image: each new sheet keeps a copy of the
// image and wipes it. Failures can be planted after a given page.
class SheetRecorder
{
public:
    explicit SheetRecorder(QSize size) : m_image(size, QImage::Format_RGB32)
    {
        m_image.fill(Qt::white);
    }

    PrintSheets sheets()
    {
        PrintSheets sheets;
        sheets.device = &m_image;
        sheets.newSheet = [this] {
            ++newSheets;
            keepSheet();
            m_image.fill(Qt::white);
            return newSheets != refuseSheet;
        };
        sheets.failure = [this] {
            return pagesSeen() == failAfterPage ? QStringLiteral("out of paper") : QString();
        };
        sheets.abort = [this] {
            ++aborts;
        };
        return sheets;
    }

    // The sheets of a run that has ended, the last one included.
    void finish() { keepSheet(); }

    QList<QImage> pages;
    int newSheets = 0;
    int aborts = 0;
    int refuseSheet = 0;   // the new sheet (counted from 1) that fails; 0 for none
    int failAfterPage = 0; // the page after which the device reports a failure; 0 for none

private:
    int pagesSeen() const { return newSheets + 1; }
    void keepSheet() { pages.append(m_image.copy()); }

    QImage m_image;
};
