#include "properties/picturepage.h"

#include "document.h"
#include "objectproperties.h"
#include "pictures/picturedrawing.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

PicturePage::PicturePage(const DocumentEditor &editor)
    : ObjectPage(editor, PropertyPage::Picture, "pictureTab", QStringLiteral("Picture"))
{
    QLabel *widthLabel = label("pictureWidthLabel", QStringLiteral("Width:"));
    m_widthSpinBox = make<QDoubleSpinBox>("pictureWidthSpinBox", 72);
    QLabel *heightLabel = label("pictureHeightLabel", QStringLiteral("Height:"));
    m_heightSpinBox = make<QDoubleSpinBox>("pictureHeightSpinBox", 72);
    for (QDoubleSpinBox *side : {m_widthSpinBox, m_heightSpinBox}) {
        side->setRange(smallestPictureSide, largestPictureSide);
        side->setDecimals(1);
        side->setToolTip(QStringLiteral("In page units, 72 to the inch"));
    }
    m_keepProportionsCheckBox = make<QCheckBox>("keepProportionsCheckBox");
    m_keepProportionsCheckBox->setText(QStringLiteral("Keep proportions"));
    m_keepProportionsCheckBox->setChecked(true);
    QLabel *fileLabel = label("pictureFileLabel", QStringLiteral("File:"));
    m_fileValue = label("pictureFileValue", QString());
    QLabel *pageLabel = label("picturePageLabel", QStringLiteral("Page:"));
    m_pageSpinBox = make<QSpinBox>("picturePageSpinBox", 56);
    m_backgroundCheckBox = make<QCheckBox>("backgroundCheckBox");
    m_backgroundCheckBox->setText(QStringLiteral("Page background"));
    m_backgroundCheckBox->setToolTip(QStringLiteral("Covers the page, under everything else"));
    m_printedCheckBox = make<QCheckBox>("printedCheckBox");
    m_printedCheckBox->setText(QStringLiteral("Print it"));
    m_printedCheckBox->setToolTip(
        QStringLiteral("Off: shown on screen only, a guide for stock already printed"));
    layRows({{widthLabel, m_widthSpinBox, heightLabel, m_heightSpinBox, m_keepProportionsCheckBox},
             {fileLabel, m_fileValue, pageLabel, m_pageSpinBox},
             {m_backgroundCheckBox, m_printedCheckBox}});

    for (QDoubleSpinBox *side : {m_widthSpinBox, m_heightSpinBox})
        connect(side, &QDoubleSpinBox::editingFinished, this, [this, side] { sideSet(side); });
    connect(m_pageSpinBox, &QSpinBox::editingFinished, this, [this] { Q_EMIT changed(true); });
    for (QCheckBox *choice : {m_backgroundCheckBox, m_printedCheckBox})
        connect(choice, &QCheckBox::clicked, this, [this] { Q_EMIT changed(true); });
}

void PicturePage::fill(const Document &doc, int index, bool)
{
    const PictureRef picture = doc.objects[index].picture.value_or(PictureRef());
    for (const auto &[side, value] :
         {std::pair{m_widthSpinBox, picture.width}, {m_heightSpinBox, picture.height}}) {
        const QSignalBlocker blocker(side);
        side->setValue(value);
    }
    m_fileValue->setText(picture.file);
    {
        const Outcome<PictureFile> file = readPictureFile(doc.pictures.bytes(picture.id), 1);
        const QSignalBlocker blocker(m_pageSpinBox);
        m_pageSpinBox->setRange(1, file ? file->pages : picture.page);
        m_pageSpinBox->setValue(picture.page);
        m_pageSpinBox->setEnabled(m_pageSpinBox->maximum() > 1);
    }
    m_backgroundCheckBox->setChecked(picture.background);
    m_printedCheckBox->setChecked(picture.printed);
}

void PicturePage::store(Document &doc, int index, bool)
{
    applyPicture(doc.objects[index],
                 PictureEntries{m_widthSpinBox->value(), m_heightSpinBox->value(),
                                m_pageSpinBox->value(), m_backgroundCheckBox->isChecked(),
                                m_printedCheckBox->isChecked()});
}

void PicturePage::sideSet(QDoubleSpinBox *side)
{
    const int index = editedObject();
    if (index < 0 || !document().objects[index].picture)
        return;
    const PictureRef &stored = *document().objects[index].picture;
    if (m_keepProportionsCheckBox->isChecked()) {
        const bool width = side == m_widthSpinBox;
        QDoubleSpinBox *other = width ? m_heightSpinBox : m_widthSpinBox;
        const double ratio = width ? stored.height / stored.width : stored.width / stored.height;
        const QSignalBlocker blocker(other);
        other->setValue(side->value() * ratio);
    }
    Q_EMIT changed(true);
}
