#include "properties/shapepage.h"

#include "document.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <array>

namespace {

struct DashChoice
{
    const char *name;
    QList<double> dash; // page units
};

// The dashes a shop draws; a pattern read from a file that none names shows
// as "Custom" and is kept until another is chosen.
const std::array<DashChoice, 4> dashChoices{{
    {"Solid", {}},
    {"Dashed", {6, 3}},
    {"Dotted", {1, 2}},
    {"Perforation", {3, 2}},
}};

const char *const customDash = "Custom";
constexpr std::uint32_t white = 0xFFFFFF;

QIcon swatch(std::uint32_t color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(QColor(QRgb(color)));
    return QIcon(pixmap);
}

} // namespace

ShapePage::ShapePage(const DocumentEditor &editor)
    : ObjectPage(editor, PropertyPage::Shape, "shapeTab", QStringLiteral("Shape"))
{
    QLabel *typeLabel = label("shapeTypeLabel", QStringLiteral("Draw:"));
    m_typeBox = make<QComboBox>("shapeTypeBox", 96);
    m_typeBox->addItems(
        {QStringLiteral("Line"), QStringLiteral("Rectangle"), QStringLiteral("Ellipse")});
    QLabel *widthLabel = label("shapeWidthLabel", QStringLiteral("Width:"));
    m_widthSpinBox = make<QDoubleSpinBox>("shapeWidthSpinBox", 72);
    QLabel *heightLabel = label("shapeHeightLabel", QStringLiteral("Height:"));
    m_heightSpinBox = make<QDoubleSpinBox>("shapeHeightSpinBox", 72);
    for (QDoubleSpinBox *side : {m_widthSpinBox, m_heightSpinBox}) {
        side->setRange(0, longestShapeSide);
        side->setDecimals(1);
        side->setToolTip(QStringLiteral("In page units, 72 to the inch"));
    }
    QLabel *strokeLabel = label("strokeLabel", QStringLiteral("Line width:"));
    m_strokeSpinBox = make<QDoubleSpinBox>("strokeSpinBox", 64);
    m_strokeSpinBox->setRange(0, widestStroke);
    m_strokeSpinBox->setDecimals(2);
    m_strokeSpinBox->setToolTip(QStringLiteral("0 draws no outline"));
    QLabel *dashLabel = label("dashLabel", QStringLiteral("Dashes:"));
    m_dashBox = make<QComboBox>("dashBox", 96);
    for (const DashChoice &choice : dashChoices)
        m_dashBox->addItem(QLatin1String(choice.name));
    m_colorButton = make<QPushButton>("shapeColorButton");
    m_colorButton->setText(QStringLiteral("Colour..."));
    m_fillCheckBox = make<QCheckBox>("fillCheckBox");
    m_fillCheckBox->setText(QStringLiteral("Fill"));
    m_fillColorButton = make<QPushButton>("fillColorButton");
    m_fillColorButton->setText(QStringLiteral("Fill Colour..."));
    layRows({{typeLabel, m_typeBox, widthLabel, m_widthSpinBox, heightLabel, m_heightSpinBox},
             {strokeLabel, m_strokeSpinBox, dashLabel, m_dashBox, m_colorButton},
             {m_fillCheckBox, m_fillColorButton}});

    for (QComboBox *box : {m_typeBox, m_dashBox})
        connect(box, &QComboBox::activated, this, [this] { Q_EMIT changed(true); });
    for (QDoubleSpinBox *box : {m_widthSpinBox, m_heightSpinBox, m_strokeSpinBox})
        connect(box, &QDoubleSpinBox::editingFinished, this, [this] { Q_EMIT changed(true); });
    connect(m_fillCheckBox, &QCheckBox::clicked, this, [this] { Q_EMIT changed(true); });
    connect(m_colorButton, &QPushButton::clicked, this, [this] {
        if (const std::optional<std::uint32_t> color =
                askColor(m_shown.color, QStringLiteral("Line Colour"))) {
            m_shown.color = *color;
            Q_EMIT changed(true);
        }
    });
    connect(m_fillColorButton, &QPushButton::clicked, this, [this] {
        if (const std::optional<std::uint32_t> color =
                askColor(m_shown.fill.value_or(white), QStringLiteral("Fill Colour"))) {
            m_shown.fill = *color;
            Q_EMIT changed(true);
        }
    });
}

void ShapePage::fill(const Document &doc, int index, bool)
{
    m_shown = doc.objects[index].shape.value_or(ShapeStyle());
    m_typeBox->setCurrentIndex(static_cast<int>(m_shown.type));
    for (const auto &[box, value] : {std::pair{m_widthSpinBox, m_shown.width},
                                     {m_heightSpinBox, m_shown.height},
                                     {m_strokeSpinBox, m_shown.stroke}}) {
        const QSignalBlocker blocker(box);
        box->setValue(value);
    }
    const int custom = m_dashBox->findText(QLatin1String(customDash));
    if (custom >= 0)
        m_dashBox->removeItem(custom);
    const auto named = std::find_if(dashChoices.begin(), dashChoices.end(),
                                    [this](const DashChoice &c) { return c.dash == m_shown.dash; });
    if (named == dashChoices.end())
        m_dashBox->addItem(QLatin1String(customDash));
    m_dashBox->setCurrentText(QLatin1String(named != dashChoices.end() ? named->name : customDash));
    m_fillCheckBox->setChecked(m_shown.fill.has_value());
    m_colorButton->setIcon(swatch(m_shown.color));
    m_fillColorButton->setIcon(swatch(m_shown.fill.value_or(white)));
    m_fillColorButton->setEnabled(m_shown.fill.has_value());
}

void ShapePage::store(Document &doc, int index, bool)
{
    ShapeStyle shape = m_shown;
    shape.type = static_cast<ShapeType>(m_typeBox->currentIndex());
    shape.width = m_widthSpinBox->value();
    shape.height = m_heightSpinBox->value();
    shape.stroke = m_strokeSpinBox->value();
    if (m_dashBox->currentIndex() < static_cast<int>(dashChoices.size()))
        shape.dash = dashChoices[std::size_t(m_dashBox->currentIndex())].dash;
    if (!m_fillCheckBox->isChecked())
        shape.fill.reset();
    else if (!shape.fill)
        shape.fill = white;
    doc.objects[index].shape = shape;
}

std::optional<std::uint32_t> ShapePage::askColor(std::uint32_t current, const QString &title)
{
    const QColor chosen = QColorDialog::getColor(QColor(QRgb(current)), this, title);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen.rgb() & 0xFFFFFF;
}
