#include "objectpropertieswindow.h"

#include "barcode.h"
#include "dialogstyle.h"
#include "guarded.h"
#include "kinds.h"
#include "numbering.h"
#include "picturedrawing.h"
#include "textdrawing.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QScopeGuard>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The size box takes three digits; what is past the largest size is brought to it.
constexpr int typedSizeLimit = 999;
// Room for what a character area of the document file holds.
constexpr int longestText = 63;

// A control of a tab, as wide as the design made it where it gave a width.
template <typename Widget> Widget *make(QWidget *tab, const char *name, int designWidth = 0)
{
    auto *widget = new Widget(tab);
    widget->setObjectName(QLatin1String(name));
    if (designWidth > 0)
        widget->setFixedWidth(designWidth);
    return widget;
}

QLabel *label(QWidget *tab, const char *name, const QString &text)
{
    auto *result = new QLabel(text, tab);
    result->setObjectName(QLatin1String(name));
    // The handlers park the keyboard focus on labels, out of the edit boxes.
    result->setFocusPolicy(Qt::ClickFocus);
    return result;
}

QLineEdit *edit(QWidget *tab, const char *name, const QString &text, int designWidth)
{
    auto *result = make<QLineEdit>(tab, name, designWidth);
    result->setText(text);
    return result;
}

// The tab's rows, top to bottom, each its controls left to right.
void layRows(QWidget *tab, std::initializer_list<std::initializer_list<QWidget *>> rows)
{
    auto *column = new QVBoxLayout(tab);
    column->setContentsMargins(4, 2, 4, 2);
    column->setSpacing(3);
    for (const auto &controls : rows) {
        auto *row = new QHBoxLayout;
        for (QWidget *control : controls)
            row->addWidget(control);
        row->addStretch();
        column->addLayout(row);
    }
    column->addStretch();
}

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

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

ObjectPropertiesWindow::ObjectPropertiesWindow(DocumentEditor &editor, QWidget *parent)
    : QWidget(parent), m_editor(editor)
{
    setObjectName(QStringLiteral("ObjectPropertiesWindow"));
    setWindowTitle(QStringLiteral("Object Properties"));
    // A small tool window above the page it edits, with a close box only; not
    // above every window, which would hide the messages it causes.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(designFont());

    tabs = make<QTabWidget>(this, "tabs");
    tabs->setDocumentMode(true);
    // Every tab's title shows: the window is as wide as its tab bar.
    tabs->tabBar()->setUsesScrollButtons(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs);
    numberTab = new QWidget;
    numberTab->setObjectName(QStringLiteral("numberTab"));
    textTab = new QWidget;
    textTab->setObjectName(QStringLiteral("textTab"));
    positionTab = new QWidget;
    positionTab->setObjectName(QStringLiteral("positionTab"));
    fontTab = new QWidget;
    fontTab->setObjectName(QStringLiteral("fontTab"));
    formatTab = new QWidget;
    formatTab->setObjectName(QStringLiteral("formatTab"));
    pictureTab = new QWidget;
    pictureTab->setObjectName(QStringLiteral("pictureTab"));
    tabs->addTab(numberTab, QStringLiteral("Number"));
    tabs->addTab(textTab, QStringLiteral("Text"));
    tabs->addTab(positionTab, QStringLiteral("Position"));
    tabs->addTab(fontTab, QStringLiteral("Font"));
    tabs->addTab(formatTab, QStringLiteral("Format"));
    tabs->addTab(pictureTab, QStringLiteral("Picture"));
    tabs->setEnabled(false);

    buildNumberTab();
    buildTextTab();
    buildPositionTab();
    buildFontTab();
    buildFormatTab();
    buildPictureTab();
    connectHandlers();
}

void ObjectPropertiesWindow::buildNumberTab()
{
    QWidget *tab = numberTab;
    startLabel = label(tab, "startLabel", QStringLiteral("Start:"));
    startEdit = edit(tab, "startEdit", QStringLiteral("0"), 64);
    formatBox = make<QComboBox>(tab, "formatBox", 86);
    formatBox->setEditable(true);
    formatBox->addItems(systemNames());
    formatBox->setEditText(QStringLiteral("d"));
    endLabel = label(tab, "endLabel", QStringLiteral("End:"));
    endValue = label(tab, "endValue", QStringLiteral("0"));
    nextPageLabel = label(tab, "nextPageLabel", QStringLiteral("To next page:"));
    nextPageEdit = edit(tab, "nextPageEdit", QStringLiteral("1"), 44);
    nextLinkLabel = label(tab, "nextLinkLabel", QStringLiteral("To next in link:"));
    nextLinkEdit = edit(tab, "nextLinkEdit", QStringLiteral("1"), 44);
    layRows(tab, {{startLabel, startEdit, formatBox, endLabel, endValue},
                  {nextPageLabel, nextPageEdit, nextLinkLabel, nextLinkEdit}});
}

void ObjectPropertiesWindow::buildTextTab()
{
    textLabel = label(textTab, "textLabel", QStringLiteral("Text:"));
    textEdit = edit(textTab, "textEdit", QStringLiteral("text"), 217);
    textEdit->setMaxLength(longestText);
    layRows(textTab, {{textLabel, textEdit}});
}

void ObjectPropertiesWindow::buildPositionTab()
{
    QWidget *tab = positionTab;
    horizontalLabel = label(tab, "horizontalLabel", QStringLiteral("Horizontal:"));
    xEdit = edit(tab, "xEdit", QStringLiteral("100"), 44);
    verticalLabel = label(tab, "verticalLabel", QStringLiteral("Vertical:"));
    yEdit = edit(tab, "yEdit", QStringLiteral("100"), 44);
    angleLabel = label(tab, "angleLabel", QStringLiteral("Angle:"));
    angleEdit = edit(tab, "angleEdit", QStringLiteral("angle"), 32);
    nameLabel = label(tab, "nameLabel", QStringLiteral("Name:"));
    nameEdit = edit(tab, "nameEdit", QStringLiteral("name"), 140);
    nameEdit->setMaxLength(longestText);
    layRows(tab, {{horizontalLabel, xEdit, verticalLabel, yEdit, angleLabel, angleEdit},
                  {nameLabel, nameEdit}});
}

void ObjectPropertiesWindow::buildFontTab()
{
    QWidget *tab = fontTab;
    fontLabel = label(tab, "fontLabel", QStringLiteral("Font:"));
    fontBox = make<QComboBox>(tab, "fontBox", 130);
    fontBox->addItem(QStringLiteral("Font"));
    sizeLabel = label(tab, "sizeLabel", QStringLiteral("Size:"));
    sizeSpinBox = make<QSpinBox>(tab, "sizeSpinBox", 52);
    sizeSpinBox->setRange(smallestFontSize, typedSizeLimit);
    colorBox = make<QComboBox>(tab, "colorBox", 84);
    colorBox->addItems(colorNames());
    colorBox->setCurrentIndex(-1);
    colorBox->setPlaceholderText(QStringLiteral("Color"));
    styleBox = make<QComboBox>(tab, "styleBox", 70);
    styleBox->addItems({QStringLiteral("Plain"), QStringLiteral("Bold"), QStringLiteral("Italic"),
                        QStringLiteral("Outline")});
    styleBox->setCurrentIndex(-1);
    styleBox->setPlaceholderText(QStringLiteral("Style"));
    styleBox->setEnabled(false);

    // Three toggles of one group that change nothing; their hints are the program's own.
    alignGroup = new QButtonGroup(this);
    const struct
    {
        QToolButton *ObjectPropertiesWindow::*member;
        const char *name;
        const char *hint;
        Qt::Alignment alignment;
    } buttons[] = {{&ObjectPropertiesWindow::alignTextLeftButton, "alignTextLeftButton",
                    "Text Align Left", Qt::AlignLeft},
                   {&ObjectPropertiesWindow::alignTextCenterButton, "alignTextCenterButton",
                    "Text Align Right", Qt::AlignHCenter},
                   {&ObjectPropertiesWindow::alignTextRightButton, "alignTextRightButton",
                    "Text Align Right", Qt::AlignRight}};
    for (const auto &row : buttons) {
        auto *button = make<QToolButton>(tab, row.name);
        button->setToolTip(QLatin1String(row.hint));
        button->setIcon(alignGlyph(row.alignment));
        button->setCheckable(true);
        button->setAutoRaise(true);
        alignGroup->addButton(button);
        this->*row.member = button;
    }
    layRows(tab, {{fontLabel, fontBox, sizeLabel, sizeSpinBox},
                  {colorBox, styleBox, alignTextLeftButton, alignTextCenterButton,
                   alignTextRightButton}});
}

void ObjectPropertiesWindow::buildFormatTab()
{
    QWidget *tab = formatTab;
    prefixLabel = label(tab, "prefixLabel", QStringLiteral("Prefix:"));
    prefixEdit = edit(tab, "prefixEdit", QString(), 86);
    prefixEdit->setMaxLength(NumberFormat::maxAffixLength);
    suffixLabel = label(tab, "suffixLabel", QStringLiteral("Suffix:"));
    suffixEdit = edit(tab, "suffixEdit", QString(), 86);
    suffixEdit->setMaxLength(NumberFormat::maxAffixLength);
    prefixEdit->setToolTip(QStringLiteral("{page}, {pages} and {last} stand for the page, the "
                                          "pages to print and the value on the last page"));
    suffixEdit->setToolTip(prefixEdit->toolTip());
    repeatLabel = label(tab, "repeatLabel", QStringLiteral("Repeat:"));
    repeatSpinBox = make<QSpinBox>(tab, "repeatSpinBox", 56);
    repeatSpinBox->setRange(1, NumberFormat::maxRepeat);
    repeatSpinBox->setToolTip(QStringLiteral("Pages each value is printed on"));
    checkLabel = label(tab, "checkLabel", QStringLiteral("Check:"));
    checkCharacterBox = make<QComboBox>(tab, "checkCharacterBox", 116);
    checkCharacterBox->addItems(checkNames());
    systemLabel = label(tab, "systemLabel", QStringLiteral("System:"));
    systemBox = make<QComboBox>(tab, "systemBox", 86);
    systemBox->addItems(systemNames());
    autoWidthCheckBox = make<QCheckBox>(tab, "autoWidthCheckBox");
    autoWidthCheckBox->setText(QStringLiteral("Width of the last"));
    autoWidthCheckBox->setToolTip(QStringLiteral("As many digits as the widest value of the run"));

    barcodeLabel = label(tab, "barcodeLabel", QStringLiteral("Barcode:"));
    barcodeBox = make<QComboBox>(tab, "barcodeBox", 112);
    barcodeBox->addItems(barcodeNames());
    barHeightLabel = label(tab, "barHeightLabel", QStringLiteral("Height:"));
    barHeightSpinBox = make<QDoubleSpinBox>(tab, "barHeightSpinBox", 56);
    moduleWidthLabel = label(tab, "moduleWidthLabel", QStringLiteral("Module:"));
    moduleWidthSpinBox = make<QDoubleSpinBox>(tab, "moduleWidthSpinBox", 64);
    for (QDoubleSpinBox *length : {barHeightSpinBox, moduleWidthSpinBox}) {
        length->setRange(BarcodeStyle::smallestLength, BarcodeStyle::largestLength);
        length->setDecimals(2);
        length->setSingleStep(0.25);
    }
    barHeightSpinBox->setToolTip(QStringLiteral("Height of the bars, in points"));
    moduleWidthSpinBox->setToolTip(
        QStringLiteral("Narrowest bar, or side of a square module, in points"));
    barcodeTextCheckBox = make<QCheckBox>(tab, "barcodeTextCheckBox");
    barcodeTextCheckBox->setText(QStringLiteral("Text under the bars"));
    layRows(tab, {{prefixLabel, prefixEdit, suffixLabel, suffixEdit},
                  {repeatLabel, repeatSpinBox, checkLabel, checkCharacterBox},
                  {systemLabel, systemBox, autoWidthCheckBox},
                  {barcodeLabel, barcodeBox, barHeightLabel, barHeightSpinBox},
                  {moduleWidthLabel, moduleWidthSpinBox, barcodeTextCheckBox}});
}

void ObjectPropertiesWindow::buildPictureTab()
{
    QWidget *tab = pictureTab;
    pictureWidthLabel = label(tab, "pictureWidthLabel", QStringLiteral("Width:"));
    pictureWidthSpinBox = make<QDoubleSpinBox>(tab, "pictureWidthSpinBox", 72);
    pictureHeightLabel = label(tab, "pictureHeightLabel", QStringLiteral("Height:"));
    pictureHeightSpinBox = make<QDoubleSpinBox>(tab, "pictureHeightSpinBox", 72);
    for (QDoubleSpinBox *side : {pictureWidthSpinBox, pictureHeightSpinBox}) {
        side->setRange(smallestPictureSide, largestPictureSide);
        side->setDecimals(1);
        side->setToolTip(QStringLiteral("In page units, 72 to the inch"));
    }
    keepProportionsCheckBox = make<QCheckBox>(tab, "keepProportionsCheckBox");
    keepProportionsCheckBox->setText(QStringLiteral("Keep proportions"));
    keepProportionsCheckBox->setChecked(true);
    pictureFileLabel = label(tab, "pictureFileLabel", QStringLiteral("File:"));
    pictureFileValue = label(tab, "pictureFileValue", QString());
    picturePageLabel = label(tab, "picturePageLabel", QStringLiteral("Page:"));
    picturePageSpinBox = make<QSpinBox>(tab, "picturePageSpinBox", 56);
    backgroundCheckBox = make<QCheckBox>(tab, "backgroundCheckBox");
    backgroundCheckBox->setText(QStringLiteral("Page background"));
    backgroundCheckBox->setToolTip(QStringLiteral("Covers the page, under everything else"));
    printedCheckBox = make<QCheckBox>(tab, "printedCheckBox");
    printedCheckBox->setText(QStringLiteral("Print it"));
    printedCheckBox->setToolTip(
        QStringLiteral("Off: shown on screen only, a guide for stock already printed"));
    layRows(tab, {{pictureWidthLabel, pictureWidthSpinBox, pictureHeightLabel, pictureHeightSpinBox,
                   keepProportionsCheckBox},
                  {pictureFileLabel, pictureFileValue, picturePageLabel, picturePageSpinBox},
                  {backgroundCheckBox, printedCheckBox}});
}

void ObjectPropertiesWindow::pictureSideSet(QDoubleSpinBox *side)
{
    const int index = editedObject();
    if (index < 0 || !m_editor.document().objects[index].picture)
        return;
    const PictureRef &stored = *m_editor.document().objects[index].picture;
    if (keepProportionsCheckBox->isChecked()) {
        const bool width = side == pictureWidthSpinBox;
        QDoubleSpinBox *other = width ? pictureHeightSpinBox : pictureWidthSpinBox;
        const double ratio = width ? stored.height / stored.width : stored.width / stored.height;
        const QSignalBlocker blocker(other);
        other->setValue(side->value() * ratio);
    }
    changed(PictureGroup);
}

void ObjectPropertiesWindow::connectHandlers()
{
    for (QWidget *field : std::initializer_list<QWidget *>{
             startEdit, nextPageEdit, nextLinkEdit, textEdit, xEdit, yEdit, angleEdit, nameEdit,
             sizeSpinBox, fontBox, colorBox, styleBox, prefixEdit, suffixEdit, repeatSpinBox,
             checkCharacterBox, systemBox})
        field->installEventFilter(this);

    connect(formatBox, &QComboBox::activated, this, [this] {
        convertStartEntryTo(formatBox->currentText());
        changed(NumberGroup);
    });
    connect(checkCharacterBox, &QComboBox::activated, this, [this] { changed(FormatGroup); });
    connect(systemBox, &QComboBox::activated, this, [this] { changed(FormatGroup); });
    connect(autoWidthCheckBox, &QCheckBox::clicked, this, [this] { changed(FormatGroup); });
    connect(barcodeBox, &QComboBox::activated, this, [this] { changed(FormatGroup); });
    connect(barcodeTextCheckBox, &QCheckBox::clicked, this, [this] { changed(FormatGroup); });
    for (QDoubleSpinBox *side : {pictureWidthSpinBox, pictureHeightSpinBox})
        connect(side, &QDoubleSpinBox::editingFinished, this,
                [this, side] { pictureSideSet(side); });
    connect(picturePageSpinBox, &QSpinBox::editingFinished, this,
            [this] { changed(PictureGroup); });
    for (QCheckBox *choice : {backgroundCheckBox, printedCheckBox})
        connect(choice, &QCheckBox::clicked, this, [this] { changed(PictureGroup); });
    for (QDoubleSpinBox *length : {barHeightSpinBox, moduleWidthSpinBox})
        connect(length, &QDoubleSpinBox::editingFinished, this, [this] { changed(FormatGroup); });
    // Enter or leaving the box; an unchanged repeat makes no step.
    connect(repeatSpinBox, &QSpinBox::editingFinished, this, [this] { changed(FormatGroup); });
    // What is typed into the format box stays there while it is typed, and
    // switches the system once it names one.
    connect(formatBox->lineEdit(), &QLineEdit::textEdited, this, [this](const QString &typed) {
        if (!systemNames().contains(typed))
            return;
        convertStartEntryTo(typed);
        changed(NumberGroup, false);
    });
    connect(fontBox, &QComboBox::activated, this, [this] { changed(FontGroup); });
    // What is typed into the size box stays there while it is typed; leaving
    // the box shows a size past the largest brought to it.
    connect(sizeSpinBox, &QSpinBox::valueChanged, this, [this] { changed(FontGroup, false); });
    connect(sizeSpinBox, &QSpinBox::editingFinished, this, [this] {
        const QSignalBlocker blocker(sizeSpinBox);
        sizeSpinBox->setValue(std::min(sizeSpinBox->value(), largestFontSize));
    });
    connect(colorBox, &QComboBox::activated, this, [this] {
        colorChanged = true;
        m_colorBoxChanged = true;
        changed(FontGroup);
        m_colorBoxChanged = false;
    });
    connect(startEdit, &QLineEdit::textEdited, this, &ObjectPropertiesWindow::previewEnd);
    connect(tabs, &QTabWidget::currentChanged, this, [this] {
        if (editedObject() >= 0)
            fillDialog();
    });
    connect(&m_editor, &DocumentEditor::changed, this, &ObjectPropertiesWindow::refresh);
}

ObjectPropertiesWindow::~ObjectPropertiesWindow()
{
    // The window hides as it goes, and a box that loses the focus then would
    // apply itself to a window half gone.
    for (const QObject *control : findChildren<QObject *>())
        disconnect(control, nullptr, this, nullptr);
}

void ObjectPropertiesWindow::convertStartEntryTo(const QString &systemName)
{
    // The entry keeps its value in the system chosen, so it reads there.
    const int index = editedObject();
    if (index >= 0)
        startEdit->setText(convertStartEntry(startEdit->text(),
                                             m_editor.document().objects[index].format.system,
                                             systemNamed(systemName)));
}

int ObjectPropertiesWindow::editedObject() const
{
    return soleSelected(m_editor.document());
}

void ObjectPropertiesWindow::fillDialog()
{
    fill(true);
}

void ObjectPropertiesWindow::refresh()
{
    if (!m_applying)
        fill(false);
}

void ObjectPropertiesWindow::fill(bool storeSize)
{
    const int index = editedObject();
    if (index < 0) {
        tabs->setEnabled(false);
        return;
    }
    tabs->setEnabled(true);
    // A colour chosen for another object is not carried over to this one.
    if (index != m_filledObject)
        colorChanged = false;
    m_filledObject = index;

    const Document &doc = m_editor.document();
    const PageObject &object = doc.objects[index];
    QWidget *tab = tabs->currentWidget();
    if (tab == numberTab) {
        const NumberEntries entries = numberEntriesOf(object);
        formatBox->setEditText(entries.format);
        startEdit->setText(entries.start);
        startEdit->selectAll();
        nextPageEdit->setText(entries.nextPage);
        nextLinkEdit->setText(entries.nextLink);
        refreshEnd();
    } else if (tab == textTab) {
        textEdit->setText(objectText(doc, index, doc.pageShown));
    } else if (tab == positionTab) {
        const PositionEntries entries = positionEntriesOf(object);
        xEdit->setText(entries.x);
        yEdit->setText(entries.y);
        angleEdit->setText(entries.angle);
        nameEdit->setText(entries.name);
    } else if (tab == fontTab) {
        QStringList faces = QFontDatabase::families();
        // A face the system lacks is still the object's and shown as such.
        if (!faces.contains(object.fontName))
            faces.prepend(object.fontName);
        // Refilled only when the list changes: a drag fills on every move.
        if (faces != m_faces) {
            m_faces = faces;
            fontBox->clear();
            fontBox->addItems(faces);
        }
        fontBox->setCurrentText(object.fontName);
        const std::optional<QString> colorName = colorNameOf(object);
        {
            // Setting the size counts as changing it when the window is
            // filled for a selection: an out-of-range size is then stored
            // brought into range.
            const QSignalBlocker blocker(storeSize ? nullptr : sizeSpinBox);
            sizeSpinBox->setValue(sizeEntryOf(object));
        }
        if (colorName)
            colorBox->setCurrentText(*colorName);
        sizeSpinBox->selectAll();
    } else if (tab == pictureTab) {
        pictureTab->setEnabled(object.picture.has_value());
        const PictureRef picture = object.picture.value_or(PictureRef());
        for (const auto &[side, value] : {std::pair{pictureWidthSpinBox, picture.width},
                                          {pictureHeightSpinBox, picture.height}}) {
            const QSignalBlocker blocker(side);
            side->setValue(value);
        }
        pictureFileValue->setText(picture.file);
        {
            const std::optional<PictureFile> file =
                readPictureFile(doc.pictures.bytes(picture.id), 1);
            const QSignalBlocker blocker(picturePageSpinBox);
            picturePageSpinBox->setRange(1, file ? file->pages : picture.page);
            picturePageSpinBox->setValue(picture.page);
            picturePageSpinBox->setEnabled(picturePageSpinBox->maximum() > 1);
        }
        backgroundCheckBox->setChecked(picture.background);
        printedCheckBox->setChecked(picture.printed);
    } else {
        const FormatEntries entries = formatEntriesOf(object);
        prefixEdit->setText(entries.prefix);
        suffixEdit->setText(entries.suffix);
        {
            const QSignalBlocker blocker(repeatSpinBox);
            repeatSpinBox->setValue(entries.repeat);
        }
        checkCharacterBox->setCurrentText(entries.check);
        systemBox->setCurrentText(entries.system);
        autoWidthCheckBox->setChecked(entries.autoWidth);
        barcodeBox->setCurrentText(entries.barcode);
        for (const auto &[box, value] : {std::pair{barHeightSpinBox, entries.barHeight},
                                         {moduleWidthSpinBox, entries.moduleWidth}}) {
            const QSignalBlocker blocker(box);
            box->setValue(value);
        }
        barcodeTextCheckBox->setChecked(entries.barcodeText);
        // Formats are the numbers'.
        formatTab->setEnabled(kindRow(object.kind).numbered);
    }
}

void ObjectPropertiesWindow::refreshEnd()
{
    endValue->setText(::endLabel(m_editor.document(), editedObject()));
}

void ObjectPropertiesWindow::previewEnd()
{
    const int index = editedObject();
    if (index < 0)
        return;
    if (const std::optional<QString> preview = endPreview(
            m_editor.document(), index, startEdit->text(), systemNamed(formatBox->currentText()))) {
        endValue->setText(*preview);
    }
}

void ObjectPropertiesWindow::entered(Group group, QWidget *label)
{
    guarded([this, group, label] {
        applyGroup = group;
        if (group != FontGroup) {
            apply(false);
            // What was stored, which links and ranges may have changed.
            fill(false);
        }
        label->setFocus();
    });
}

void ObjectPropertiesWindow::changed(Group group, bool showStored)
{
    guarded([this, group, showStored] {
        applyGroup = group;
        apply(false);
        if (showStored)
            fill(false);
    });
}

void ObjectPropertiesWindow::apply(bool closing)
{
    const int index = editedObject();
    if (index < 0 || applyGroup == NoGroup)
        return;
    const Group group = applyGroup;
    // Asked before the edit, so that no dialog runs in the middle of one.
    const std::optional<std::int32_t> color =
        group == FontGroup ? chosenColor(m_editor.document().objects[index].color, closing)
                           : std::nullopt;
    static const QString labels[] = {QString(),
                                     QStringLiteral("Number"),
                                     QStringLiteral("Text"),
                                     QStringLiteral("Position"),
                                     QStringLiteral("Font"),
                                     QStringLiteral("Format"),
                                     QStringLiteral("Picture")};
    QString refusal;
    {
        m_applying = true;
        const auto done = qScopeGuard([this] { m_applying = false; });
        // The fields stored before one that is no number keep their values.
        m_editor.edit(labels[group], [&](Document &doc) {
            const Document before = doc;
            storeGroup(doc, index, closing, color);
            // What a barcode cannot show is refused where it is chosen.
            if (group == NumberGroup || group == FormatGroup)
                refusal = unscannable(doc, index);
            if (!refusal.isEmpty())
                doc = before;
        });
    }
    if (!refusal.isEmpty()) {
        // The window shows what is stored again: nothing refused stays on
        // show, to be applied again when the focus moves.
        applyGroup = NoGroup;
        fill(false);
        throw PaginetteError(refusal);
    }
}

std::optional<std::int32_t> ObjectPropertiesWindow::chosenColor(std::int32_t current, bool closing)
{
    if (closing || !colorChanged)
        return std::nullopt;
    const QString chosen = colorBox->currentText();
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

void ObjectPropertiesWindow::storeGroup(Document &doc, int index, bool closing,
                                        const std::optional<std::int32_t> &chosen)
{
    PageObject &object = doc.objects[index];
    switch (applyGroup) {
    case NumberGroup:
        applyNumber(doc, index,
                    NumberEntries{startEdit->text(), formatBox->currentText(), nextPageEdit->text(),
                                  nextLinkEdit->text()});
        break;
    case TextGroup:
        applyText(object, textEdit->text());
        break;
    case PositionGroup:
        applyPosition(object, PositionEntries{xEdit->text(), yEdit->text(), angleEdit->text(),
                                              nameEdit->text()});
        break;
    case FontGroup:
        applyFont(object, FontEntries{sizeSpinBox->value(), fontBox->currentText()});
        if (!closing && chosen) {
            if (colorBox->currentText() == customColorName())
                applyCustomColor(object, *chosen);
            else
                object.color = *chosen;
        }
        break;
    case FormatGroup:
        applyFormat(object, formatEntries());
        break;
    case PictureGroup:
        applyPicture(object, pictureEntries());
        break;
    default:
        break;
    }
}

void ObjectPropertiesWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        fillDialog();
}

void ObjectPropertiesWindow::closeEvent(QCloseEvent *event)
{
    // A field that is no number keeps the window open, so it can be mended.
    bool applied = false;
    guarded([this, &applied] {
        apply(true);
        applied = true;
    });
    if (!applied) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

PictureEntries ObjectPropertiesWindow::pictureEntries() const
{
    return PictureEntries{pictureWidthSpinBox->value(), pictureHeightSpinBox->value(),
                          picturePageSpinBox->value(), backgroundCheckBox->isChecked(),
                          printedCheckBox->isChecked()};
}

FormatEntries ObjectPropertiesWindow::formatEntries() const
{
    FormatEntries entries;
    entries.prefix = prefixEdit->text();
    entries.suffix = suffixEdit->text();
    entries.repeat = repeatSpinBox->value();
    entries.check = checkCharacterBox->currentText();
    entries.system = systemBox->currentText();
    entries.autoWidth = autoWidthCheckBox->isChecked();
    entries.barcode = barcodeBox->currentText();
    entries.barHeight = barHeightSpinBox->value();
    entries.moduleWidth = moduleWidthSpinBox->value();
    entries.barcodeText = barcodeTextCheckBox->isChecked();
    return entries;
}

QString ObjectPropertiesWindow::unscannable(const Document &doc, int index)
{
    const PageObject &object = doc.objects[index];
    if (!object.format.barcode || !kindRow(object.kind).numbered)
        return {};
    for (const std::int32_t page : {1, doc.pageShown, doc.pagesToPrint}) {
        if (const std::optional<BarcodeRefusal> refusal =
                barcodeRefusal(*object.format.barcode, objectText(doc, index, page)))
            return refusal->onPage(page);
    }
    return {};
}

ObjectPropertiesWindow::Group ObjectPropertiesWindow::groupOf(const QObject *field) const
{
    if (field == startEdit || field == nextPageEdit || field == nextLinkEdit)
        return NumberGroup;
    if (field == textEdit)
        return TextGroup;
    if (field == xEdit || field == yEdit || field == angleEdit || field == nameEdit)
        return PositionGroup;
    if (field == prefixEdit || field == suffixEdit)
        return FormatGroup;
    return NoGroup;
}

void ObjectPropertiesWindow::commitTyped(Group group, QLineEdit *field)
{
    bool applied = false;
    guarded([this, group, &applied] {
        applyGroup = group;
        apply(false);
        fill(false);
        applied = true;
    });
    // An entry that is no number keeps the focus, so that it can be mended.
    if (!applied)
        QTimer::singleShot(0, field, [field] { field->setFocus(); });
}

bool ObjectPropertiesWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        // A typed value is applied when the focus leaves its box, as Enter would.
        auto *field = qobject_cast<QLineEdit *>(watched);
        const Group group = groupOf(watched);
        if (field && group != NoGroup && field->isModified())
            commitTyped(group, field);
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    // Font, colour and style are changed with the mouse only.
    if (watched == fontBox || watched == colorBox || watched == styleBox) {
        fontLabel->setFocus();
        return true;
    }
    if (!isEnter(key))
        return QWidget::eventFilter(watched, event);
    if (watched == startEdit || watched == nextPageEdit || watched == nextLinkEdit)
        entered(NumberGroup, endValue);
    else if (watched == textEdit)
        entered(TextGroup, textLabel);
    else if (watched == xEdit || watched == yEdit || watched == angleEdit || watched == nameEdit)
        entered(PositionGroup, horizontalLabel);
    else if (watched == sizeSpinBox)
        entered(FontGroup, fontLabel);
    else if (watched == prefixEdit || watched == suffixEdit)
        entered(FormatGroup, prefixLabel);
    else
        return QWidget::eventFilter(watched, event);
    return true;
}
