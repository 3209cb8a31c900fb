#pragma once

#include "numbering.h"
#include "rendercache.h"
#include "run/calibration.h"
#include "run/placements.h"

#include <QDialog>
#include <QPageLayout>

class PreviewPagesView;
class QLabel;
class QPushButton;

// File > Print Preview: the pages of the run as the printer will put them
// on paper, under its calibration, shown at once and drawn as they come
// into view. Print closes it and goes on to the print dialog.
class PrintPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    // The run of `texts`, whose document and data outlive the dialog.
    PrintPreviewDialog(const RunTexts &texts, const Calibration &calibration,
                       const QPageLayout &layout, QWidget *parent = nullptr);

    // Whether the user chose to print.
    bool printChosen() const { return m_printChosen; }

    PreviewPagesView *pagesView = nullptr;
    QLabel *pageLabel = nullptr;
    QPushButton *printButton = nullptr;
    QPushButton *closeButton = nullptr;

private:
    void showPage(std::int32_t page);

    const RunTexts m_texts;
    const RunPlacements m_placements;
    RenderCache m_cache;
    bool m_printChosen = false;
};
