#include "properties/fontpage.h"

#include "document.h"
#include "objectproperties.h"
#include "textdrawing.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>

namespace {

// The size box takes three digits; what is past the largest size is brought to it.
constexpr int typedSizeLimit = 999;

// Lines of text set flush left, centred or flush right.
QIcon alignGlyph(Qt::Alignment alignment)
{
    QPixmap glyph(16, 16);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setPen(QPen(Qt::black, 1));
    const int lengths[] = {12, 8, 12, 6};
    for (int row = 0; row < 4; ++row) {
        const int length = lengths[row];
        int left = 2;
        if (alignment == Qt::AlignHCenter)
            left = 8 - length / 2;
        else if (alignment == Qt::AlignRight)
            left = 14 - length;
        painter.drawLine(left, 3 + 3 * row, left + length - 1, 3 + 3 * row);
    }
    return QIcon(glyph);
}

} // namespace

FontPage::FontPage(const DocumentEditor &editor)
    : ObjectPage(editor, PropertyPage::Font, "fontTab", QStringLiteral("Font"))
{
    m_fontLabel = label("fontLabel", QStringLiteral("Font:"));
    m_fontBox = make<QComboBox>("fontBox", 130);
    m_fontBox->addItem(QStringLiteral("Font"));
    QLabel *sizeLabel = label("sizeLabel", QStringLiteral("Size:"));
    m_sizeSpinBox = make<QSpinBox>("sizeSpinBox", 52);
    m_sizeSpinBox->setRange(smallestFontSize, typedSizeLimit);
    m_colorBox = make<QComboBox>("colorBox", 84);
    m_colorBox->addItems(colorNames());
    m_colorBox->setCurrentIndex(-1);
    m_colorBox->setPlaceholderText(QStringLiteral("Color"));
    m_styleBox = make<QComboBox>("styleBox", 70);
    m_styleBox->addItems({QStringLiteral("Plain"), QStringLiteral("Bold"), QStringLiteral("Italic"),
                          QStringLiteral("Outline")});
    m_styleBox->setCurrentIndex(-1);
    m_styleBox->setPlaceholderText(QStringLiteral("Style"));
    m_styleBox->setEnabled(false);
    buildAlignButtons();
    layRows({{m_fontLabel, m_fontBox, sizeLabel, m_sizeSpinBox},
             {m_colorBox, m_styleBox, m_alignButtons[0], m_alignButtons[1], m_alignButtons[2]}});

    for (QWidget *box : {static_cast<QWidget *>(m_sizeSpinBox), static_cast<QWidget *>(m_fontBox),
                         static_cast<QWidget *>(m_colorBox), static_cast<QWidget *>(m_styleBox)})
        box->installEventFilter(this);
    connect(m_fontBox, &QComboBox::activated, this, [this] { Q_EMIT changed(true); });
    // What is typed into the size box stays there while it is typed; leaving
    // the box shows a size past the largest brought to it.
    connect(m_sizeSpinBox, &QSpinBox::valueChanged, this, [this] { Q_EMIT changed(false); });
    connect(m_sizeSpinBox, &QSpinBox::editingFinished, this, [this] {
        const QSignalBlocker blocker(m_sizeSpinBox);
        m_sizeSpinBox->setValue(std::min(m_sizeSpinBox->value(), largestFontSize));
    });
    connect(m_colorBox, &QComboBox::activated, this, [this] {
        m_colorChanged = true;
        m_colorBoxChanged = true;
        Q_EMIT changed(true);
        m_colorBoxChanged = false;
    });
}

void FontPage::buildAlignButtons()
{
    // Three toggles of one group that change nothing; their hints are the program's own.
    auto *group = new QButtonGroup(this);
    const struct
    {
        const char *name;
        const char *hint;
        Qt::Alignment alignment;
    } buttons[] = {{"alignTextLeftButton", "Text Align Left", Qt::AlignLeft},
                   {"alignTextCenterButton", "Text Align Right", Qt::AlignHCenter},
                   {"alignTextRightButton", "Text Align Right", Qt::AlignRight}};
    for (int i = 0; i < 3; ++i) {
        auto *button = make<QToolButton>(buttons[i].name);
        button->setToolTip(QLatin1String(buttons[i].hint));
        button->setIcon(alignGlyph(buttons[i].alignment));
        button->setCheckable(true);
        button->setAutoRaise(true);
        group->addButton(button);
        m_alignButtons[i] = button;
    }
}

void FontPage::fill(const Document &doc, int index, bool forSelection)
{
    const PageObject &object = doc.objects[index];
    QStringList faces = QFontDatabase::families();
    // A face the system lacks is still the object's and shown as such.
    if (!faces.contains(object.fontName))
        faces.prepend(object.fontName);
    // Refilled only when the list changes: a drag fills on every move.
    if (faces != m_faces) {
        m_faces = faces;
        m_fontBox->clear();
        m_fontBox->addItems(faces);
    }
    m_fontBox->setCurrentText(object.fontName);
    {
        // Setting the size counts as changing it when the page is filled for
        // a selection: an out-of-range size is then stored brought into range.
        const QSignalBlocker blocker(forSelection ? nullptr : m_sizeSpinBox);
        m_sizeSpinBox->setValue(sizeEntryOf(object));
    }
    if (const std::optional<QString> colorName = colorNameOf(object))
        m_colorBox->setCurrentText(*colorName);
    m_sizeSpinBox->selectAll();
}

void FontPage::prepareStore(const Document &doc, int index, bool closing)
{
    m_chosenColor = chosenColor(doc.objects[index].color, closing);
}

void FontPage::store(Document &doc, int index, bool closing)
{
    PageObject &object = doc.objects[index];
    applyFont(object, FontEntries{m_sizeSpinBox->value(), m_fontBox->currentText()});
    if (closing || !m_chosenColor)
        return;
    if (m_colorBox->currentText() == customColorName())
        applyCustomColor(object, *m_chosenColor);
    else
        object.color = *m_chosenColor;
}

std::optional<std::int32_t> FontPage::chosenColor(std::int32_t current, bool closing)
{
    if (closing || !m_colorChanged)
        return std::nullopt;
    const QString chosen = m_colorBox->currentText();
    if (chosen != customColorName()) {
        PageObject named;
        named.color = current;
        applyNamedColor(named, chosen);
        return named.color;
    }
    // The chooser opens only when the colour box itself was just set to it.
    if (!m_colorBoxChanged)
        return std::nullopt;
    if (!m_colorDialog) {
        m_colorDialog = new QColorDialog(this);
        m_colorDialog->setObjectName(QStringLiteral("colorDialog"));
    }
    m_colorDialog->setCurrentColor(colorFromBgr(current));
    if (m_colorDialog->exec() != QDialog::Accepted)
        return std::nullopt;
    const QColor picked = m_colorDialog->selectedColor();
    return picked.red() | picked.green() << 8 | picked.blue() << 16;
}

bool FontPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return ObjectPage::eventFilter(watched, event);
    // Font, colour and style are changed with the mouse only.
    if (watched != m_sizeSpinBox) {
        m_fontLabel->setFocus();
        return true;
    }
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return ObjectPage::eventFilter(watched, event);
    // The size is stored as it changes: Enter only leaves the box.
    Q_EMIT entered(m_fontLabel, false);
    return true;
}
