#include "dialogs/printpreviewdialog.h"

#include "dialogs/previewpagesview.h"
#include "run/printrun.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// The whole run, once each page, under the printer's calibration.
PrintPlan previewPlan(const RunTexts &texts, const Calibration &calibration)
{
    PrintPlan plan = wholeRun(texts.pages());
    plan.calibration = calibration;
    return plan;
}

} // namespace

PrintPreviewDialog::PrintPreviewDialog(const RunTexts &texts, const Calibration &calibration,
                                       const QPageLayout &layout, QWidget *parent)
    : QDialog(parent), m_texts(texts),
      m_placements(texts.document(), previewPlan(texts, calibration), devicePaper(layout))
{
    setObjectName(QStringLiteral("PrintPreviewDialog"));
    setWindowTitle(QStringLiteral("Print Preview"));
    pagesView = new PreviewPagesView(
        static_cast<std::int32_t>(m_placements.faceCount()), m_placements.paperOf(1),
        [this](std::int32_t face, std::int32_t dotsPerInch) {
            return sheetImage(m_cache, m_texts, m_placements, face, dotsPerInch);
        },
        this);
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

// Sheets are counted as paper; a two-sided run names the side shown.
void PrintPreviewDialog::showPage(std::int32_t page)
{
    const bool twoSided = m_placements.faceCount() > m_placements.sheetCount();
    const Face face = m_placements.face(page);
    QString text = (m_placements.sheetLayout() || twoSided ? QStringLiteral("Sheet %1 of %2")
                                                           : QStringLiteral("Page %1 of %2"))
                       .arg(face.sheet)
                       .arg(m_placements.sheetCount());
    if (twoSided)
        text += face.side == Side::Front ? QStringLiteral(", front") : QStringLiteral(", back");
    pageLabel->setText(text);
}
