#pragma once

#include "properties/objectpage.h"

#include <QStringList>

#include <cstdint>
#include <optional>

class QColorDialog;
class QComboBox;
class QSpinBox;

// The Font tab: the face, the size and the colour, named or chosen in the
// system chooser. The style box and the alignment toggles change nothing.
class FontPage : public ObjectPage
{
    Q_OBJECT

public:
    explicit FontPage(const DocumentEditor &editor);

    void fill(const Document &doc, int index, bool forSelection) override;
    void prepareStore(const Document &doc, int index, bool closing) override;
    void store(Document &doc, int index, bool closing) override;
    // The colour box was changed for the object or the press before.
    void forgetChoices() override { m_colorChanged = false; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildAlignButtons();
    // The colour the page stores, if any: a named one, or one confirmed in
    // the chooser. `closing`: the colour stays as it is.
    std::optional<std::int32_t> chosenColor(std::int32_t current, bool closing);

    QLabel *m_fontLabel = nullptr;
    QComboBox *m_fontBox = nullptr;
    QSpinBox *m_sizeSpinBox = nullptr;
    QComboBox *m_colorBox = nullptr;
    QComboBox *m_styleBox = nullptr;
    QWidget *m_alignButtons[3] = {};
    // Built when the custom colour is first chosen.
    QColorDialog *m_colorDialog = nullptr;
    // The colour box was changed since the last press on the page.
    bool m_colorChanged = false;
    // The colour box itself changed this time, not the font or the size.
    bool m_colorBoxChanged = false;
    // What prepareStore() chose for store().
    std::optional<std::int32_t> m_chosenColor;
    // The faces the font box lists.
    QStringList m_faces;
};
