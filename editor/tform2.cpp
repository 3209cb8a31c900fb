#include "tform2.h"

#include "barcode.h"
#include "dialogstyle.h"
#include "guarded.h"
#include "kinds.h"
#include "numbering.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
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
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

namespace {

constexpr QSize clientSize{268, 75};
// The Format tab has more rows than the others; the window grows while it shows.
constexpr QSize formatClientSize{268, 150};
// The size box takes three digits; what is past the largest size is brought to it.
constexpr int typedSizeLimit = 999;
// Room for what a character area of the document file holds.
constexpr int longestText = 63;
constexpr int rowHeight = 21;

template <typename Widget> Widget *place(QWidget *tab, const char *name, const QRect &geometry)
{
    auto *widget = new Widget(tab);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel *label(QWidget *tab, const char *name, const QString &text, int left, int top)
{
    auto *result = new QLabel(text, tab);
    result->setObjectName(QLatin1String(name));
    result->move(left, top + 3);
    result->adjustSize();
    // The handlers park the keyboard focus on labels, out of the edit boxes.
    result->setFocusPolicy(Qt::ClickFocus);
    return result;
}

QLineEdit *edit(QWidget *tab, const char *name, const QString &text, const QRect &geometry)
{
    auto *result = place<QLineEdit>(tab, name, geometry);
    result->setText(text);
    return result;
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

TForm2::TForm2(DocumentEditor &editor, QWidget *parent) : QWidget(parent), m_editor(editor)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Object Properties"));
    // A small tool window that stays above the page it edits, with a close box only.
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(designFont());
    setFixedSize(clientSize);

    PageControl1 = place<QTabWidget>(this, "PageControl1", QRect(QPoint(0, 0), clientSize));
    PageControl1->setDocumentMode(true);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    TabSheet3 = new QWidget;
    TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
    TabSheet4 = new QWidget;
    TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
    TabSheet5 = new QWidget;
    TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Number"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Text"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Position"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Font"));
    PageControl1->addTab(TabSheet5, QStringLiteral("Format"));
    PageControl1->setEnabled(false);

    buildNumberTab();
    buildTextTab();
    buildPositionTab();
    buildFontTab();
    buildFormatTab();
    connectHandlers();
}

void TForm2::buildNumberTab()
{
    QWidget *tab = TabSheet1;
    startLabel = label(tab, "startLabel", QStringLiteral("Start:"), 4, 2);
    start = edit(tab, "start", QStringLiteral("0"), QRect(36, 2, 64, rowHeight));
    format = place<QComboBox>(tab, "format", QRect(104, 2, 86, rowHeight));
    format->setEditable(true);
    format->addItems(systemNames());
    format->setEditText(QStringLiteral("d"));
    endLabel = label(tab, "endLabel", QStringLiteral("End:"), 196, 2);
    end = label(tab, "end", QStringLiteral("0"), 222, 2);
    nextPageLabel = label(tab, "nextPageLabel", QStringLiteral("To next page:"), 4, 26);
    nextPage = edit(tab, "nextPage", QStringLiteral("1"), QRect(76, 26, 44, rowHeight));
    nextLinkLabel = label(tab, "nextLinkLabel", QStringLiteral("To next in link:"), 126, 26);
    nextLink = edit(tab, "nextLink", QStringLiteral("1"), QRect(210, 26, 44, rowHeight));
}

void TForm2::buildTextTab()
{
    textLabel = label(TabSheet2, "textLabel", QStringLiteral("Text:"), 4, 2);
    text = edit(TabSheet2, "text", QStringLiteral("text"), QRect(40, 2, 217, 41));
    text->setMaxLength(longestText);
}

void TForm2::buildPositionTab()
{
    QWidget *tab = TabSheet3;
    horizontalLabel = label(tab, "horizontalLabel", QStringLiteral("Horizontal:"), 4, 2);
    x = edit(tab, "x", QStringLiteral("100"), QRect(62, 2, 44, rowHeight));
    verticalLabel = label(tab, "verticalLabel", QStringLiteral("Vertical:"), 112, 2);
    y = edit(tab, "y", QStringLiteral("100"), QRect(158, 2, 44, rowHeight));
    angleLabel = label(tab, "angleLabel", QStringLiteral("Angle:"), 206, 2);
    angle = edit(tab, "angle", QStringLiteral("angle"), QRect(238, 2, 26, rowHeight));
    nameLabel = label(tab, "nameLabel", QStringLiteral("Name:"), 4, 26);
    name = edit(tab, "name", QStringLiteral("name"), QRect(62, 26, 140, rowHeight));
    name->setMaxLength(longestText);
}

void TForm2::buildFontTab()
{
    QWidget *tab = TabSheet4;
    fontLabel = label(tab, "fontLabel", QStringLiteral("Font:"), 4, 2);
    font = place<QComboBox>(tab, "font", QRect(36, 2, 130, rowHeight));
    font->addItem(QStringLiteral("Font"));
    sizeLabel = label(tab, "sizeLabel", QStringLiteral("Size:"), 172, 2);
    size = place<QSpinBox>(tab, "size", QRect(200, 2, 52, rowHeight));
    size->setRange(smallestFontSize, typedSizeLimit);
    color = place<QComboBox>(tab, "color", QRect(4, 26, 84, rowHeight));
    color->addItems(colorNames());
    color->setCurrentIndex(-1);
    color->setPlaceholderText(QStringLiteral("Color"));
    style = place<QComboBox>(tab, "style", QRect(92, 26, 70, rowHeight));
    style->addItems({QStringLiteral("Plain"), QStringLiteral("Bold"), QStringLiteral("Italic"),
                     QStringLiteral("Outline")});
    style->setCurrentIndex(-1);
    style->setPlaceholderText(QStringLiteral("Style"));
    style->setEnabled(false);

    // Three toggles of one group that change nothing; their hints are the program's own.
    alignGroup = new QButtonGroup(this);
    const struct
    {
        QToolButton *TForm2::*member;
        const char *name;
        const char *hint;
        Qt::Alignment alignment;
    } buttons[] = {{&TForm2::left, "left", "Text Align Left", Qt::AlignLeft},
                   {&TForm2::center, "center", "Text Align Right", Qt::AlignHCenter},
                   {&TForm2::right, "right", "Text Align Right", Qt::AlignRight}};
    int left = 170;
    for (const auto &row : buttons) {
        auto *button = place<QToolButton>(tab, row.name, QRect(left, 26, 22, rowHeight));
        button->setToolTip(QLatin1String(row.hint));
        button->setIcon(alignGlyph(row.alignment));
        button->setCheckable(true);
        button->setAutoRaise(true);
        alignGroup->addButton(button);
        this->*row.member = button;
        left += 24;
    }
}

void TForm2::buildFormatTab()
{
    QWidget *tab = TabSheet5;
    prefixLabel = label(tab, "prefixLabel", QStringLiteral("Prefix:"), 4, 2);
    prefix = edit(tab, "prefix", QString(), QRect(44, 2, 86, rowHeight));
    prefix->setMaxLength(NumberFormat::maxAffixLength);
    suffixLabel = label(tab, "suffixLabel", QStringLiteral("Suffix:"), 136, 2);
    suffix = edit(tab, "suffix", QString(), QRect(176, 2, 86, rowHeight));
    suffix->setMaxLength(NumberFormat::maxAffixLength);
    prefix->setToolTip(QStringLiteral("{page}, {pages} and {last} stand for the page, the "
                                      "pages to print and the value on the last page"));
    suffix->setToolTip(prefix->toolTip());
    repeatLabel = label(tab, "repeatLabel", QStringLiteral("Repeat:"), 4, 26);
    repeat = place<QSpinBox>(tab, "repeat", QRect(44, 26, 56, rowHeight));
    repeat->setRange(1, NumberFormat::maxRepeat);
    repeat->setToolTip(QStringLiteral("Pages each value is printed on"));
    checkLabel = label(tab, "checkLabel", QStringLiteral("Check:"), 108, 26);
    check = place<QComboBox>(tab, "check", QRect(146, 26, 116, rowHeight));
    check->addItems(checkNames());
    systemLabel = label(tab, "systemLabel", QStringLiteral("System:"), 4, 50);
    system = place<QComboBox>(tab, "system", QRect(44, 50, 86, rowHeight));
    system->addItems(systemNames());
    autoWidth = place<QCheckBox>(tab, "autoWidth", QRect(136, 50, 128, rowHeight));
    autoWidth->setText(QStringLiteral("Width of the last"));
    autoWidth->setToolTip(QStringLiteral("As many digits as the widest value of the run"));

    barcodeLabel = label(tab, "barcodeLabel", QStringLiteral("Barcode:"), 4, 74);
    barcode = place<QComboBox>(tab, "barcode", QRect(52, 74, 112, rowHeight));
    barcode->addItems(barcodeNames());
    barHeightLabel = label(tab, "barHeightLabel", QStringLiteral("Height:"), 170, 74);
    barHeight = place<QDoubleSpinBox>(tab, "barHeight", QRect(208, 74, 56, rowHeight));
    moduleWidthLabel = label(tab, "moduleWidthLabel", QStringLiteral("Module:"), 4, 98);
    moduleWidth = place<QDoubleSpinBox>(tab, "moduleWidth", QRect(52, 98, 64, rowHeight));
    for (QDoubleSpinBox *length : {barHeight, moduleWidth}) {
        length->setRange(BarcodeStyle::smallestLength, BarcodeStyle::largestLength);
        length->setDecimals(2);
        length->setSingleStep(0.25);
    }
    barHeight->setToolTip(QStringLiteral("Height of the bars, in points"));
    moduleWidth->setToolTip(QStringLiteral("Narrowest bar, or side of a square module, in points"));
    barcodeText = place<QCheckBox>(tab, "barcodeText", QRect(124, 98, 140, rowHeight));
    barcodeText->setText(QStringLiteral("Text under the bars"));
}

void TForm2::connectHandlers()
{
    for (QWidget *field : std::initializer_list<QWidget *>{start, nextPage, nextLink, text, x, y,
                                                           angle, name, size, font, color, style,
                                                           prefix, suffix, repeat, check, system})
        field->installEventFilter(this);

    connect(format, &QComboBox::activated, this, [this] {
        // The entry keeps its value in the system chosen, so it reads there.
        const int index = editedObject();
        if (index >= 0)
            start->setText(convertStartEntry(start->text(),
                                             m_editor.document().objects[index].format.system,
                                             systemNamed(format->currentText())));
        changed(NumberGroup);
    });
    connect(check, &QComboBox::activated, this, [this] { changed(FormatGroup); });
    connect(system, &QComboBox::activated, this, [this] { changed(FormatGroup); });
    connect(autoWidth, &QCheckBox::clicked, this, [this] { changed(FormatGroup); });
    connect(barcode, &QComboBox::activated, this, [this] { changed(FormatGroup); });
    connect(barcodeText, &QCheckBox::clicked, this, [this] { changed(FormatGroup); });
    for (QDoubleSpinBox *length : {barHeight, moduleWidth})
        connect(length, &QDoubleSpinBox::editingFinished, this, [this] { changed(FormatGroup); });
    // Enter or leaving the box; an unchanged repeat makes no step.
    connect(repeat, &QSpinBox::editingFinished, this, [this] { changed(FormatGroup); });
    // What is typed into the format box stays there while it is typed.
    connect(format->lineEdit(), &QLineEdit::textEdited, this,
            [this] { changed(NumberGroup, false); });
    connect(font, &QComboBox::activated, this, [this] { changed(FontGroup); });
    // What is typed into the size box stays there while it is typed; leaving
    // the box shows a size past the largest brought to it.
    connect(size, &QSpinBox::valueChanged, this, [this] { changed(FontGroup, false); });
    connect(size, &QSpinBox::editingFinished, this, [this] {
        const QSignalBlocker blocker(size);
        size->setValue(std::min(size->value(), largestFontSize));
    });
    connect(color, &QComboBox::activated, this, [this] {
        colorChanged = 1;
        m_colorBoxChanged = true;
        changed(FontGroup);
        m_colorBoxChanged = false;
    });
    connect(start, &QLineEdit::textEdited, this, &TForm2::previewEnd);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        setFixedSize(PageControl1->currentWidget() == TabSheet5 ? formatClientSize : clientSize);
        PageControl1->resize(QWidget::size());
        if (editedObject() >= 0)
            fillDialog();
    });
    connect(&m_editor, &DocumentEditor::changed, this, &TForm2::refresh);
}

void TForm2::setColorChooser(ColorChooser chooser)
{
    m_chooseColor = std::move(chooser);
}

int TForm2::editedObject() const
{
    return soleSelected(m_editor.document());
}

void TForm2::fillDialog()
{
    fill(true);
}

void TForm2::refresh()
{
    if (!m_applying)
        fill(false);
}

void TForm2::fill(bool storeSize)
{
    const int index = editedObject();
    if (index < 0) {
        PageControl1->setEnabled(false);
        return;
    }
    PageControl1->setEnabled(true);
    // A colour chosen for another object is not carried over to this one.
    if (index != m_filledObject)
        colorChanged = 0;
    m_filledObject = index;

    const Document &doc = m_editor.document();
    const PageObject &object = doc.objects[index];
    QWidget *tab = PageControl1->currentWidget();
    if (tab == TabSheet1) {
        const NumberEntries entries = numberEntriesOf(object);
        format->setEditText(entries.format);
        start->setText(entries.start);
        start->selectAll();
        nextPage->setText(entries.nextPage);
        nextLink->setText(entries.nextLink);
        refreshEnd();
    } else if (tab == TabSheet2) {
        text->setText(objectText(doc, index, doc.pageShown));
    } else if (tab == TabSheet3) {
        const PositionEntries entries = positionEntriesOf(object);
        x->setText(entries.x);
        y->setText(entries.y);
        angle->setText(entries.angle);
        name->setText(entries.name);
    } else if (tab == TabSheet4) {
        QStringList faces = QFontDatabase::families();
        // A face the system lacks is still the object's and shown as such.
        if (!faces.contains(object.fontName))
            faces.prepend(object.fontName);
        // Refilled only when the list changes: a drag fills on every move.
        if (faces != m_faces) {
            m_faces = faces;
            font->clear();
            font->addItems(faces);
        }
        font->setCurrentText(object.fontName);
        const std::optional<QString> colorName = colorNameOf(object);
        {
            // Setting the size counts as changing it when the window is
            // filled for a selection: an out-of-range size is then stored
            // brought into range.
            const QSignalBlocker blocker(storeSize ? nullptr : size);
            size->setValue(sizeEntryOf(object));
        }
        if (colorName)
            color->setCurrentText(*colorName);
        size->selectAll();
    } else {
        const FormatEntries entries = formatEntriesOf(object);
        prefix->setText(entries.prefix);
        suffix->setText(entries.suffix);
        {
            const QSignalBlocker blocker(repeat);
            repeat->setValue(entries.repeat);
        }
        check->setCurrentText(entries.check);
        system->setCurrentText(entries.system);
        autoWidth->setChecked(entries.autoWidth);
        barcode->setCurrentText(entries.barcode);
        for (const auto &[box, value] :
             {std::pair{barHeight, entries.barHeight}, {moduleWidth, entries.moduleWidth}}) {
            const QSignalBlocker blocker(box);
            box->setValue(value);
        }
        barcodeText->setChecked(entries.barcodeText);
        // Formats are the numbers'.
        TabSheet5->setEnabled(kindRow(object.kind).numbered);
    }
}

void TForm2::refreshEnd()
{
    end->setText(::endLabel(m_editor.document(), editedObject()));
    end->adjustSize();
}

void TForm2::previewEnd()
{
    const int index = editedObject();
    if (index < 0)
        return;
    if (const std::optional<QString> preview = endPreview(m_editor.document(), index, start->text(),
                                                          systemNamed(format->currentText()))) {
        end->setText(*preview);
        end->adjustSize();
    }
}

void TForm2::entered(Group group, QWidget *label)
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

void TForm2::changed(Group group, bool showStored)
{
    guarded([this, group, showStored] {
        applyGroup = group;
        apply(false);
        if (showStored)
            fill(false);
    });
}

void TForm2::apply(bool closing)
{
    const int index = editedObject();
    if (index < 0 || applyGroup == NoGroup)
        return;
    const Group group = static_cast<Group>(applyGroup);
    // Asked before the edit, so that no dialog runs in the middle of one.
    const std::optional<std::int32_t> color =
        group == FontGroup ? chosenColor(m_editor.document().objects[index].color, closing)
                           : std::nullopt;
    static const QString labels[] = {QString(),
                                     QStringLiteral("Number"),
                                     QStringLiteral("Text"),
                                     QStringLiteral("Position"),
                                     QStringLiteral("Font"),
                                     QStringLiteral("Format")};
    m_applying = true;
    const auto done = qScopeGuard([this] { m_applying = false; });
    // The fields stored before one that is no number keep their values.
    m_editor.edit(labels[group], [this, group, index, closing, &color](Document &doc) {
        const Document before = doc;
        storeGroup(doc, index, closing, color);
        // What a barcode cannot show is refused where it is typed.
        const bool numbering = group == NumberGroup || group == FormatGroup;
        if (const QString refusal = numbering ? unscannable(doc, index) : QString();
            !refusal.isEmpty()) {
            doc = before;
            throw PaginetteError(refusal);
        }
    });
}

std::optional<std::int32_t> TForm2::chosenColor(std::int32_t current, bool closing)
{
    if (closing || colorChanged != 1)
        return std::nullopt;
    const QString chosen = color->currentText();
    if (chosen != customColorName()) {
        PageObject named;
        named.color = current;
        applyNamedColor(named, chosen);
        return named.color;
    }
    // The chooser opens only when the colour box itself was just set to it.
    if (!m_colorBoxChanged || !m_chooseColor)
        return std::nullopt;
    return m_chooseColor(current);
}

void TForm2::storeGroup(Document &doc, int index, bool closing,
                        const std::optional<std::int32_t> &chosen)
{
    PageObject &object = doc.objects[index];
    switch (applyGroup) {
    case NumberGroup:
        applyNumber(doc, index,
                    NumberEntries{start->text(), format->currentText(), nextPage->text(),
                                  nextLink->text()});
        break;
    case TextGroup:
        applyText(object, text->text());
        break;
    case PositionGroup:
        applyPosition(object, PositionEntries{x->text(), y->text(), angle->text(), name->text()});
        break;
    case FontGroup:
        applyFont(object, FontEntries{size->value(), font->currentText()});
        if (!closing && chosen) {
            if (color->currentText() == customColorName())
                applyCustomColor(object, *chosen);
            else
                object.color = *chosen;
        }
        break;
    case FormatGroup:
        applyFormat(object, formatEntries());
        break;
    default:
        break;
    }
}

void TForm2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        fillDialog();
}

void TForm2::closeEvent(QCloseEvent *event)
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

FormatEntries TForm2::formatEntries() const
{
    FormatEntries entries;
    entries.prefix = prefix->text();
    entries.suffix = suffix->text();
    entries.repeat = repeat->value();
    entries.check = check->currentText();
    entries.system = system->currentText();
    entries.autoWidth = autoWidth->isChecked();
    entries.barcode = barcode->currentText();
    entries.barHeight = barHeight->value();
    entries.moduleWidth = moduleWidth->value();
    entries.barcodeText = barcodeText->isChecked();
    return entries;
}

QString TForm2::unscannable(const Document &doc, int index)
{
    const PageObject &object = doc.objects[index];
    if (!object.format.barcode || !kindRow(object.kind).numbered)
        return {};
    for (const std::int32_t page : {1, doc.pageShown, doc.pagesToPrint}) {
        const EncodedBarcode code =
            cachedBarcode(*object.format.barcode, objectText(doc, index, page));
        if (!code.ok())
            return code.refusal;
    }
    return {};
}

TForm2::Group TForm2::groupOf(const QObject *field) const
{
    if (field == start || field == nextPage || field == nextLink)
        return NumberGroup;
    if (field == text)
        return TextGroup;
    if (field == x || field == y || field == angle || field == name)
        return PositionGroup;
    if (field == prefix || field == suffix)
        return FormatGroup;
    return NoGroup;
}

void TForm2::commitTyped(Group group, QLineEdit *field)
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

bool TForm2::eventFilter(QObject *watched, QEvent *event)
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
    if (watched == font || watched == color || watched == style) {
        fontLabel->setFocus();
        return true;
    }
    if (!isEnter(key))
        return QWidget::eventFilter(watched, event);
    if (watched == start || watched == nextPage || watched == nextLink)
        entered(NumberGroup, end);
    else if (watched == text)
        entered(TextGroup, textLabel);
    else if (watched == x || watched == y || watched == angle || watched == name)
        entered(PositionGroup, horizontalLabel);
    else if (watched == size)
        entered(FontGroup, fontLabel);
    else if (watched == prefix || watched == suffix)
        entered(FormatGroup, prefixLabel);
    else
        return QWidget::eventFilter(watched, event);
    return true;
}
