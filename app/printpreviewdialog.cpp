#include "printpreviewdialog.h"

#include "previewpagesview.h"
#include "printrun.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

PrintPreviewDialog::PrintPreviewDialog(const Document &doc, const Calibration &calibration,
                                       const QPageLayout &layout, QWidget *parent)
    : QDialog(parent), m_texts(doc), m_labels(doc.sheet.has_value())
{
    setObjectName(QStringLiteral("PrintPreviewDialog"));
    setWindowTitle(QStringLiteral("Print Preview"));
    if (doc.sheet) {
        // Sheets of labels, the run's labels in their cells.
        PrintPlan plan = wholeRun(doc.pagesToPrint);
        plan.calibration = calibration;
        pagesView = new PreviewPagesView(
            static_cast<std::int32_t>(sheetsFor(*doc.sheet, plan.firstCell, doc.pagesToPrint)),
            doc.sheet->paper,
            [this, plan](std::int32_t sheet, std::int32_t dotsPerInch) {
                return labelSheetImage(m_cache, m_texts, plan, sheet, dotsPerInch);
            },
            this);
    } else {
        const QSizeF paper = layout.fullRect(QPageLayout::Point).size();
        const QPointF printableOrigin = layout.paintRect(QPageLayout::Point).topLeft();
        pagesView = new PreviewPagesView(
            doc.pagesToPrint, paper,
            [this, calibration, paper, printableOrigin](std::int32_t page,
                                                        std::int32_t dotsPerInch) {
                return paperImage(m_cache, m_texts, page, calibration, paper, printableOrigin,
                                  dotsPerInch);
            },
            this);
    }
    pageLabel = new QLabel(this);
    pageLabel->setObjectName(QStringLiteral("pageLabel"));
    printButton = new QPushButton(QStringLiteral("&Print..."), this);
    printButton->setObjectName(QStringLiteral("printButton"));
    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(pageLabel);
    buttons->addStretch();
    buttons->addWidget(printButton);
    buttons->addWidget(closeButton);
    auto *column = new QVBoxLayout(this);
    column->addWidget(pagesView, 1);
    column->addLayout(buttons);

    connect(pagesView, &PreviewPagesView::currentPageChanged, this, &PrintPreviewDialog::showPage);
    connect(printButton, &QPushButton::clicked, this, [this] {
        m_printChosen = true;
        accept();
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    showPage(1);
    // Most of the screen's height, and as wide as a sheet wants at that height.
    const QRect screen =
        (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
    resize(std::min(screen.width(), screen.height() * 2 / 3), screen.height() * 9 / 10);
}

void PrintPreviewDialog::showPage(std::int32_t page)
{
    pageLabel->setText(
        (m_labels ? QStringLiteral("Sheet %1 of %2") : QStringLiteral("Page %1 of %2"))
            .arg(page)
            .arg(pagesView->pageCount()));
}
