#pragma once

#include "pageobject.h"
#include "properties/objectpage.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;

// The Shape tab: what a shape draws (a line, a rectangle, an ellipse), its
// size, its outline's width, colour and dashes, and its fill.
class ShapePage : public ObjectPage
{
    Q_OBJECT

public:
    explicit ShapePage(const DocumentEditor &editor);

    void fill(const Document &doc, int index, bool forSelection) override;
    void store(Document &doc, int index, bool closing) override;

private:
    // The colour chosen in place of `current`; nothing when the user cancels.
    std::optional<std::uint32_t> askColor(std::uint32_t current, const QString &title);

    QComboBox *m_typeBox = nullptr;
    QDoubleSpinBox *m_widthSpinBox = nullptr;
    QDoubleSpinBox *m_heightSpinBox = nullptr;
    QDoubleSpinBox *m_strokeSpinBox = nullptr;
    QComboBox *m_dashBox = nullptr;
    QPushButton *m_colorButton = nullptr;
    QCheckBox *m_fillCheckBox = nullptr;
    QPushButton *m_fillColorButton = nullptr;
    // What the page shows and stores beyond its boxes: the colours chosen and
    // a dash pattern that no choice of the box names.
    ShapeStyle m_shown;
};
