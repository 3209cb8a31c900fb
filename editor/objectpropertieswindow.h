#pragma once

#include "documenteditor.h"
#include "objectproperties.h"

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QColorDialog;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QToolButton;

// The Object Properties window: edits the one selected object, a group of
// fields at a time. A group is written back when the user confirms a field
// with Enter or changes a box, and once more when the window closes.
class ObjectPropertiesWindow : public QWidget
{
    Q_OBJECT

public:
    enum Group
    {
        NoGroup = 0,
        NumberGroup = 1,
        TextGroup = 2,
        PositionGroup = 3,
        FontGroup = 4,
        FormatGroup = 5,
        PictureGroup = 6
    };

    explicit ObjectPropertiesWindow(DocumentEditor &editor, QWidget *parent = nullptr);
    ~ObjectPropertiesWindow() override;

    // Shows the current object's values on the active tab, or disables the
    // tabs unless exactly one object is selected. Showing a size out of range
    // stores it brought into range.
    void fillDialog();

    QTabWidget *tabs = nullptr;
    QWidget *numberTab = nullptr;
    QWidget *textTab = nullptr;
    QWidget *positionTab = nullptr;
    QWidget *fontTab = nullptr;
    QWidget *formatTab = nullptr;
    QWidget *pictureTab = nullptr;

    QLabel *startLabel = nullptr;
    QLineEdit *startEdit = nullptr;
    QComboBox *formatBox = nullptr;
    QLabel *endLabel = nullptr;
    QLabel *endValue = nullptr;
    QLabel *nextPageLabel = nullptr;
    QLineEdit *nextPageEdit = nullptr;
    QLabel *nextLinkLabel = nullptr;
    QLineEdit *nextLinkEdit = nullptr;

    QLabel *textLabel = nullptr;
    QLineEdit *textEdit = nullptr;

    QLabel *horizontalLabel = nullptr;
    QLineEdit *xEdit = nullptr;
    QLabel *verticalLabel = nullptr;
    QLineEdit *yEdit = nullptr;
    QLabel *angleLabel = nullptr;
    QLineEdit *angleEdit = nullptr;
    QLabel *nameLabel = nullptr;
    QLineEdit *nameEdit = nullptr;

    QLabel *fontLabel = nullptr;
    QComboBox *fontBox = nullptr;
    QLabel *sizeLabel = nullptr;
    QSpinBox *sizeSpinBox = nullptr;
    QComboBox *colorBox = nullptr;
    QComboBox *styleBox = nullptr;
    QButtonGroup *alignGroup = nullptr;
    QToolButton *alignTextLeftButton = nullptr;
    QToolButton *alignTextCenterButton = nullptr;
    QToolButton *alignTextRightButton = nullptr;

    QLabel *prefixLabel = nullptr;
    QLineEdit *prefixEdit = nullptr;
    QLabel *suffixLabel = nullptr;
    QLineEdit *suffixEdit = nullptr;
    QLabel *repeatLabel = nullptr;
    QSpinBox *repeatSpinBox = nullptr;
    QLabel *checkLabel = nullptr;
    QComboBox *checkCharacterBox = nullptr;
    QLabel *systemLabel = nullptr;
    QComboBox *systemBox = nullptr;
    QCheckBox *autoWidthCheckBox = nullptr;
    QLabel *barcodeLabel = nullptr;
    QComboBox *barcodeBox = nullptr;
    QLabel *barHeightLabel = nullptr;
    QDoubleSpinBox *barHeightSpinBox = nullptr;
    QLabel *moduleWidthLabel = nullptr;
    QDoubleSpinBox *moduleWidthSpinBox = nullptr;
    QCheckBox *barcodeTextCheckBox = nullptr;

    QLabel *pictureWidthLabel = nullptr;
    QDoubleSpinBox *pictureWidthSpinBox = nullptr;
    QLabel *pictureHeightLabel = nullptr;
    QDoubleSpinBox *pictureHeightSpinBox = nullptr;
    QCheckBox *keepProportionsCheckBox = nullptr;
    QLabel *pictureFileLabel = nullptr;
    QLabel *pictureFileValue = nullptr;
    QLabel *picturePageLabel = nullptr;
    QSpinBox *picturePageSpinBox = nullptr;
    QCheckBox *backgroundCheckBox = nullptr;
    QCheckBox *printedCheckBox = nullptr;

    // The group last edited, kept across selections and across closing.
    Group applyGroup = NoGroup;
    // The colour box was changed since the last press on the page.
    bool colorChanged = false;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildNumberTab();
    void buildTextTab();
    void buildPositionTab();
    void buildFontTab();
    void buildFormatTab();
    void buildPictureTab();
    void connectHandlers();
    // A side of the picture was set: with proportions kept, the other follows.
    void pictureSideSet(QDoubleSpinBox *side);

    // Enter in a field of `group`: the group is applied, then the focus
    // leaves the field for `label`. A field that is no number is reported
    // and ends the handler there.
    void entered(Group group, QWidget *label);
    FormatEntries formatEntries() const;
    PictureEntries pictureEntries() const;
    // Why a number shown as a barcode cannot show its value on the first,
    // the shown or the last page; empty when it can.
    static QString unscannable(const Document &doc, int index);
    // The group of a box whose typed text Enter applies, or NoGroup.
    Group groupOf(const QObject *field) const;
    // The focus left `field` with a typed value: the group is applied.
    void commitTyped(Group group, QLineEdit *field);
    // A box of `group` changed: the group is applied, and the window shows
    // what was stored when `showStored`.
    void changed(Group group, bool showStored = true);
    // `closing`: the Font group keeps the colour as it is.
    void apply(bool closing);
    // The colour the Font group stores, if any: a named one, or one
    // confirmed in the chooser.
    std::optional<std::int32_t> chosenColor(std::int32_t current, bool closing);
    void storeGroup(Document &doc, int index, bool closing,
                    const std::optional<std::int32_t> &color);
    // Shows the stored values again after the document changed under the window.
    void refresh();
    // `storeSize`: a size shown brought into range is stored so.
    void fill(bool storeSize);
    void refreshEnd();
    void previewEnd();
    int editedObject() const;
    // The Start entry rewritten for the system named `systemName`.
    void convertStartEntryTo(const QString &systemName);

    DocumentEditor &m_editor;
    // Built when the custom colour is first chosen.
    QColorDialog *m_colorDialog = nullptr;
    // An apply is in progress: the window shows what the user typed.
    bool m_applying = false;
    // The colour box itself changed this time, not the font or the size.
    bool m_colorBoxChanged = false;
    // The object last filled in; the colour box's change belongs to it.
    int m_filledObject = -1;
    // The faces the font box lists.
    QStringList m_faces;
};
