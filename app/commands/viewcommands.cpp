#include "commands/viewcommands.h"

#include "commands/actions.h"
#include "documentwindow.h"
#include "guarded.h"
#include "numberconversion.h"
#include "numbering.h"
#include "objectshapes.h"
#include "pagespinbox.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

#include <algorithm>

namespace {

bool isEnterKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QLabel *makeLabel(QWidget *parent, const char *name, const char *caption)
{
    auto *label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

// The width at which `edit` shows `sample` whole: the text with the cursor
// and its pixel beyond it, the space QLineEdit keeps either side, and the
// style's frame.
int widthShowing(const QLineEdit &edit, const QString &sample)
{
    constexpr int lineEditMargin = 2;
    const QStyle *style = edit.style();
    const QMargins margins = edit.textMargins();
    const QFontMetrics metrics = edit.fontMetrics();
    const int text = metrics.horizontalAdvance(sample) + 1 +
                     style->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, &edit) +
                     2 * lineEditMargin + margins.left() + margins.right();
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth =
        edit.hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit) : 0;
    option.state |= QStyle::State_Sunken;
    return style
        ->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(text, metrics.height()), &edit)
        .width();
}

// One align button: what it lines up, the step it makes, its picture and its
// group on the tool bar. The hints are the program's own, odd ones included.
struct AlignRow
{
    QToolButton *ViewCommands::*button;
    const char *name;
    const char *hint;
    AlignRule rule;
    const char *step;
    Glyph glyph;
    int group;
};

const AlignRow alignRows[] = {
    {&ViewCommands::alignLeftButton, "alignLeftButton", "Align Object Left", AlignRule::Left,
     "Align Left", Glyph::AlignLeft, 7},
    {&ViewCommands::alignHCenterButton, "alignHCenterButton", "Align Objects Center",
     AlignRule::HCenter, "Align Centers", Glyph::AlignHCenter, 7},
    {&ViewCommands::alignRightButton, "alignRightButton", "Align Objects Right", AlignRule::Right,
     "Align Right", Glyph::AlignRight, 7},
    {&ViewCommands::alignTopButton, "alignTopButton", "Align Objects Bottom", AlignRule::Top,
     "Align Top", Glyph::AlignTop, 8},
    {&ViewCommands::alignVCenterButton, "alignVCenterButton", "Align Objects Center",
     AlignRule::VCenter, "Align Middles", Glyph::AlignVCenter, 8},
    {&ViewCommands::alignBottomButton, "alignBottomButton", "ALign Objects Right",
     AlignRule::Bottom, "Align Bottom", Glyph::AlignBottom, 8},
};

// One Arrange item: its move in the drawing order, and its group in the menu.
struct ArrangeRow
{
    QAction *ViewCommands::*item;
    const char *name;
    const char *caption;
    QKeyCombination key;
    DrawOrderMove move;
    const char *step;
    int group;
};

const ArrangeRow arrangeRows[] = {
    {&ViewCommands::bringForwardAction, "bringForwardAction", "Bring &Forward",
     Qt::CTRL | Qt::Key_BracketRight, DrawOrderMove::BringForward, "Bring Forward", 1},
    {&ViewCommands::sendBackwardAction, "sendBackwardAction", "Send &Backward",
     Qt::CTRL | Qt::Key_BracketLeft, DrawOrderMove::SendBackward, "Send Backward", 1},
    {&ViewCommands::bringToFrontAction, "bringToFrontAction", "Bring &To Front",
     Qt::CTRL | Qt::Key_F, DrawOrderMove::BringToFront, "Bring To Front", 2},
    // Ctrl+B is View > Back's.
    {&ViewCommands::sendToBackAction, "sendToBackAction", "&Send To Back", Qt::CTRL | Qt::Key_B,
     DrawOrderMove::SendToBack, "Send To Back", 2},
};

// The zoom box's factors, each a Zoom item too; Zoom In and Out step through them.
struct ZoomFactorRow
{
    QAction *ViewCommands::*item;
    const char *name;
    const char *caption;
    int percent;
};

const ZoomFactorRow zoomFactorRows[] = {
    {&ViewCommands::zoom25Action, "zoom25Action", "&25 %", 25},
    {&ViewCommands::zoom50Action, "zoom50Action", "&50 %", 50},
    {&ViewCommands::zoom100Action, "zoom100Action", "&100 %", 100},
    {&ViewCommands::zoom200Action, "zoom200Action", "2&00 %", 200},
};

QString zoomText(double zoom)
{
    return QStringLiteral("%1 %").arg(qRound(zoom * 100));
}

// The next factor past `zoom`, up or down; the limit where there is none.
double zoomStep(double zoom, bool in)
{
    const int percent = qRound(zoom * 100);
    if (in) {
        for (const ZoomFactorRow &row : zoomFactorRows)
            if (row.percent > percent)
                return row.percent / 100.0;
        return maxZoom;
    }
    for (auto row = std::rbegin(zoomFactorRows); row != std::rend(zoomFactorRows); ++row)
        if (row->percent < percent)
            return row->percent / 100.0;
    return minZoom;
}

} // namespace

ViewCommands::ViewCommands(const AppContext &context, DocumentWindow &window,
                           std::function<void()> redraw, QWidget *parent)
    : Commands(parent), m_context(context), m_window(window), m_redraw(std::move(redraw))
{
    for (const ArrangeRow &row : arrangeRows) {
        QAction *item = makeAction(parent, row.name, row.caption, QKeySequence(row.key));
        this->*row.item = item;
        const DrawOrderMove move = row.move;
        const QString step = QString::fromLatin1(row.step);
        connect(item, &QAction::triggered, this, [this, move, step] { arrange(move, step); });
    }
    zoomInAction = makeAction(parent, "zoomInAction", "Zoom &In", ctrl(Qt::Key_Plus));
    // Where + is shifted, Ctrl and the key under it zoom in too.
    zoomInAction->setShortcuts({ctrl(Qt::Key_Plus), ctrl(Qt::Key_Equal)});
    zoomOutAction = makeAction(parent, "zoomOutAction", "Zoom &Out", ctrl(Qt::Key_Minus));
    actualSizeAction = makeAction(parent, "actualSizeAction", "&Actual Size", ctrl(Qt::Key_0));
    fitPageAction = makeAction(parent, "fitPageAction", "&Fit Page");
    connect(zoomInAction, &QAction::triggered, this,
            [this] { zoomTo(zoomStep(m_context.view.zoom, true)); });
    connect(zoomOutAction, &QAction::triggered, this,
            [this] { zoomTo(zoomStep(m_context.view.zoom, false)); });
    connect(actualSizeAction, &QAction::triggered, this, [this] { zoomTo(1); });
    connect(fitPageAction, &QAction::triggered, this, [this] {
        m_window.scrollToTop();
        zoomTo(m_window.fittingZoom());
    });
    for (const ZoomFactorRow &row : zoomFactorRows) {
        QAction *item = makeAction(parent, row.name, row.caption);
        this->*row.item = item;
        const double zoom = row.percent / 100.0;
        connect(item, &QAction::triggered, this, [this, zoom] { zoomTo(zoom); });
    }
    showLinksAction = makeAction(parent, "showLinksAction", "Show &Links");
    showLinksAction->setCheckable(true);
    showLinksAction->setChecked(m_context.prefs.showLinks != 0);
    connect(showLinksAction, &QAction::triggered, this, [this] {
        // The item has already changed its tick.
        m_context.prefs.showLinks = showLinksAction->isChecked() ? 1 : 0;
        m_redraw();
    });

    backAction = makeAction(parent, "backAction", "&Back",
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), false);
    backAction->setCheckable(true);
    connect(backAction, &QAction::triggered, this,
            [this](bool back) { showSide(back ? Side::Back : Side::Front); });

    pagesLabel = makeLabel(parent, "pagesLabel", "Pages:");
    pagesEdit = new QLineEdit(QStringLiteral("1"), parent);
    pagesEdit->setObjectName(QStringLiteral("pagesEdit"));
    pagesEdit->setToolTip(QStringLiteral("Pages to Print"));
    pageLabel = makeLabel(parent, "pageLabel", "Page:");
    pageSpinBox = new PageSpinBox(parent);
    pageSpinBox->setObjectName(QStringLiteral("pageSpinBox"));
    pageSpinBox->setToolTip(QStringLiteral("Page Shown"));
    sideCombo = new QComboBox(parent);
    sideCombo->setObjectName(QStringLiteral("sideCombo"));
    sideCombo->addItems({QStringLiteral("Front"), QStringLiteral("Back")});
    sideCombo->setToolTip(QStringLiteral("Side Shown"));
    sideCombo->setEnabled(false);
    connect(sideCombo, &QComboBox::activated, this,
            [this](int index) { showSide(index == 1 ? Side::Back : Side::Front); });
    zoomCombo = new QComboBox(parent);
    zoomCombo->setObjectName(QStringLiteral("zoomCombo"));
    zoomCombo->setEditable(true);
    zoomCombo->setInsertPolicy(QComboBox::NoInsert);
    for (const ZoomFactorRow &row : zoomFactorRows)
        zoomCombo->addItem(zoomText(row.percent / 100.0));
    zoomCombo->setToolTip(QStringLiteral("Zoom Factor"));
    zoomCombo->setMinimumWidth(57);
    zoomCombo->setEnabled(false);
    showZoom();
    connect(zoomCombo, &QComboBox::activated, this, &ViewCommands::takeZoomText);
    connect(zoomCombo->lineEdit(), &QLineEdit::returnPressed, this, &ViewCommands::takeZoomText);
    for (const AlignRow &row : alignRows) {
        QToolButton *button = makeToolButton(parent, row.name, "", row.hint);
        this->*row.button = button;
        const AlignRule rule = row.rule;
        const QString step = QString::fromLatin1(row.step);
        connect(button, &QToolButton::clicked, this, [this, rule, step] { align(rule, step); });
    }

    pagesEdit->installEventFilter(this);
    pageSpinBox->installEventFilter(this);
    connect(pageSpinBox, &QSpinBox::valueChanged, this, &ViewCommands::pageChanged);
}

void ViewCommands::watchCommand(QAction *command)
{
    command->installEventFilter(this);
}

bool ViewCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Shortcut)
        takePagesBox();
    if (watched == pagesEdit && isEnterKey(event)) {
        if (applyPages() && m_focusAfterPages)
            m_focusAfterPages->setFocus();
        return true;
    }
    if (watched == pagesEdit && event->type() == QEvent::FocusOut)
        takePagesBox();
    if (watched == pageSpinBox && isEnterKey(event)) {
        // Taken here: the spin box's own Enter handling would send its value
        // through pageChanged again.
        m_context.editor.setPageShown(pageSpinBox->value());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ViewCommands::takePagesBox()
{
    if (pagesEdit->text() != QString::number(m_context.editor.document().pagesToPrint))
        applyPages();
}

bool ViewCommands::applyPages()
{
    bool applied = false;
    guarded([this, &applied] {
        // A text that is no number is reported here, before anything changed.
        const std::int32_t count = textToInt32(pagesEdit->text());
        m_context.editor.edit(QStringLiteral("Pages"),
                              [count](Document &doc) { doc.pagesToPrint = count; });
        pagesEdit->setText(QString::number(count));
        applied = true;
    });
    return applied;
}

void ViewCommands::pageChanged(int value)
{
    DocumentEditor &editor = m_context.editor;
    const std::int32_t shown =
        std::min<std::int32_t>(std::max(value, 1), editor.document().pagesToPrint);
    {
        const QSignalBlocker blocker(pageSpinBox);
        pageSpinBox->setValue(shown);
    }
    editor.setPageShown(shown);
}

void ViewCommands::align(AlignRule rule, const QString &label)
{
    RenderCache &cache = m_context.render.cache;
    m_context.editor.edit(label, [rule, &cache](Document &doc) {
        // Each object is as wide as it shows on the page shown.
        alignSelected(doc, rule, [&doc, &cache](int index) {
            return objectBoxSize(cache, doc.objects[index], objectText(doc, index, doc.pageShown))
                .width;
        });
    });
}

void ViewCommands::arrange(DrawOrderMove move, const QString &label)
{
    m_context.editor.edit(label, [move](Document &doc) { moveInDrawOrder(doc, move); });
}

void ViewCommands::showDocumentValues()
{
    const Document &doc = m_context.editor.document();
    // On a sheet of labels the run counts labels.
    pagesLabel->setText(doc.sheet ? QStringLiteral("Labels:") : QStringLiteral("Pages:"));
    // What the user is typing stays until it is taken over.
    if (!pagesEdit->isModified())
        pagesEdit->setText(QString::number(doc.pagesToPrint));
    const QSignalBlocker blocker(pageSpinBox);
    pageSpinBox->setValue(doc.pageShown);
    const bool back = shownSide(doc, m_context.view) == Side::Back;
    backAction->setChecked(back);
    sideCombo->setCurrentIndex(back ? 1 : 0);
}

void ViewCommands::showSide(Side side)
{
    m_context.view.side = side;
    const Side shown = shownSide(m_context.editor.document(), m_context.view);
    // Announces the change, which lays out and draws the side now shown.
    m_context.editor.select([shown](Selection &selection) { deselectOtherSide(selection, shown); });
}

void ViewCommands::zoomTo(double zoom)
{
    m_window.setZoom(zoom);
    showZoom();
    updateEnabled();
}

void ViewCommands::takeZoomText()
{
    QString text = zoomCombo->currentText();
    text.remove(u'%');
    bool number = false;
    const double percent = text.trimmed().toDouble(&number);
    if (number && percent > 0)
        zoomTo(percent / 100);
    else
        showZoom();
}

void ViewCommands::showZoom()
{
    const QString text = zoomText(m_context.view.zoom);
    const QSignalBlocker blocker(zoomCombo);
    zoomCombo->setCurrentIndex(zoomCombo->findText(text));
    zoomCombo->setEditText(text);
}

void ViewCommands::updateEnabled()
{
    const std::int32_t selected = selectedCount(m_context.editor.document());
    for (const AlignRow &row : alignRows)
        (this->*row.button)->setEnabled(selected >= 2);
    for (const ArrangeRow &row : arrangeRows)
        (this->*row.item)->setEnabled(selected == 1);
    const bool twoSided =
        m_context.session.docOpen && m_context.editor.document().duplex != Duplex::Off;
    backAction->setEnabled(twoSided);
    sideCombo->setEnabled(twoSided);
    const bool open = m_context.session.docOpen;
    const double zoom = m_context.view.zoom;
    zoomInAction->setEnabled(open && zoom < maxZoom);
    zoomOutAction->setEnabled(open && zoom > minZoom);
    actualSizeAction->setEnabled(open);
    fitPageAction->setEnabled(open);
    for (const ZoomFactorRow &row : zoomFactorRows)
        (this->*row.item)->setEnabled(open);
    zoomCombo->setEnabled(open);
}

void ViewCommands::fitToFont()
{
    // The design widths are the least; a larger font widens the controls.
    // Wide enough for "Labels:" too, which it says on a sheet of labels.
    const int labelsWidth = pagesLabel->fontMetrics().horizontalAdvance(QStringLiteral("Labels:")) +
                            pagesLabel->sizeHint().width() -
                            pagesLabel->fontMetrics().horizontalAdvance(pagesLabel->text());
    pagesLabel->setFixedWidth(std::max({37, pagesLabel->sizeHint().width(), labelsWidth}));
    pagesEdit->setFixedWidth(std::max(34, widthShowing(*pagesEdit, QStringLiteral("60000"))));
    pageLabel->setFixedWidth(std::max(32, pageLabel->sizeHint().width()));
    pageSpinBox->setMinimumWidth(std::max(46, pageSpinBox->sizeHint().width()));
}

CommandRows ViewCommands::rows() const
{
    CommandRows rows;
    int place = 0;
    for (const ArrangeRow &row : arrangeRows)
        rows.menus.append({Menu::Arrange, row.group, ++place, this->*row.item});
    for (QAction *zoom : {zoomInAction, zoomOutAction, actualSizeAction, fitPageAction})
        rows.menus.append({Menu::Zoom, 1, ++place, zoom});
    for (const ZoomFactorRow &row : zoomFactorRows)
        rows.menus.append({Menu::Zoom, 2, ++place, this->*row.item});
    // After the Arrange and Zoom menus.
    rows.menus.append({Menu::View, 2, 1, showLinksAction});
    rows.menus.append({Menu::View, 3, 1, backAction});
    rows.toolBar = {{4, 1, pagesLabel},  {4, 2, pagesEdit}, {5, 1, pageLabel},
                    {5, 2, pageSpinBox}, {5, 3, sideCombo}, {6, 1, zoomCombo}};
    for (const AlignRow &row : alignRows) {
        rows.toolBar.append({row.group, ++place, this->*row.button});
        rows.glyphs.append({this->*row.button, row.glyph});
    }
    return rows;
}
