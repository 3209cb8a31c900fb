#include "mainframeui.h"

#include "pagespinbox.h"
#include "toolglyphs.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace {

constexpr QSize buttonSize{23, 22};
constexpr QSize glyphSize{20, 20};

// One row of a menu: an item, a separator (no member), or a submenu whose
// rows follow in `children`.
struct MenuRow
{
    QAction *MainFrameUi::*item = nullptr;
    const char *name = nullptr;
    const char *caption = nullptr;
    QKeySequence shortcut = {};
    bool enabled = true;
    bool checkable = false;
    QMenu *MainFrameUi::*submenu = nullptr;
    std::vector<MenuRow> children = {};
};

const MenuRow separator{};

MenuRow item(QAction *MainFrameUi::*member, const char *name, const char *caption,
             QKeySequence shortcut = {})
{
    return MenuRow{member, name, caption, shortcut};
}

// Items that are disabled until the program's state enables them.
MenuRow disabled(QAction *MainFrameUi::*member, const char *name, const char *caption,
                 QKeySequence shortcut = {})
{
    return MenuRow{member, name, caption, shortcut, false};
}

// Items that are shown but have no command in this program.
MenuRow inert(QAction *MainFrameUi::*member, const char *name, const char *caption,
              QKeySequence shortcut = {})
{
    return MenuRow{member, name, caption, shortcut, false};
}

MenuRow ticked(QAction *MainFrameUi::*member, const char *name, const char *caption)
{
    return MenuRow{member, name, caption, {}, true, true};
}

MenuRow submenu(QMenu *MainFrameUi::*member, const char *name, const char *caption,
                std::vector<MenuRow> rows)
{
    MenuRow row{nullptr, name, caption};
    row.submenu = member;
    row.children = std::move(rows);
    return row;
}

void addRows(QMenu *menu, MainFrameUi &ui, const std::vector<MenuRow> &rows)
{
    for (const MenuRow &row : rows) {
        if (row.submenu) {
            QMenu *submenu = menu->addMenu(QString::fromLatin1(row.caption));
            submenu->setObjectName(QLatin1String(row.name));
            submenu->menuAction()->setObjectName(QLatin1String(row.name));
            ui.*row.submenu = submenu;
            addRows(submenu, ui, row.children);
        } else if (row.item) {
            QAction *action = menu->addAction(QString::fromLatin1(row.caption));
            action->setObjectName(QLatin1String(row.name));
            action->setShortcut(row.shortcut);
            action->setEnabled(row.enabled);
            action->setCheckable(row.checkable);
            ui.*row.item = action;
        } else {
            menu->addSeparator();
        }
    }
}

void addMenu(QMenuBar *bar, MainFrameUi &ui, const char *name, const char *title,
             const std::vector<MenuRow> &rows)
{
    QMenu *menu = bar->addMenu(QString::fromLatin1(title));
    menu->setObjectName(QLatin1String(name));
    addRows(menu, ui, rows);
}

// The '&' in a caption marks the letter that, underlined, picks the title or
// item from the keyboard (Alt+F opens File); each letter is used once per menu.
void buildMenu(QMenuBar *bar, MainFrameUi &ui)
{
    using Ui = MainFrameUi;
    const auto ctrl = [](int key) {
        return QKeySequence(Qt::CTRL | key);
    };
    addMenu(bar, ui, "File1", "&File",
            {item(&Ui::Quit1, "Quit1", "&New", ctrl(Qt::Key_N)),
             item(&Ui::Close1, "Close1", "&Open", ctrl(Qt::Key_O)),
             item(&Ui::Close2, "Close2", "&Close", ctrl(Qt::Key_W)), separator,
             item(&Ui::Save1, "Save1", "&Save", ctrl(Qt::Key_S)),
             item(&Ui::SaveAs1, "SaveAs1", "Save &As"), separator,
             item(&Ui::PageSetup1, "PageSetup1", "Page Set&up", ctrl(Qt::Key_T)),
             item(&Ui::PrinterCalibration1, "PrinterCalibration1", "Printer Ca&libration..."),
             item(&Ui::Print1, "Print1", "&Print", ctrl(Qt::Key_P)),
             item(&Ui::PrintPreview1, "PrintPreview1", "Print Pre&view"), separator,
             item(&Ui::Quit2, "Quit2", "&Quit", ctrl(Qt::Key_Q))});
    // No clipboard in this program; Undo and Redo follow the history.
    addMenu(bar, ui, "Edit1", "&Edit",
            {disabled(&Ui::Undo1, "Undo1", "&Undo", ctrl(Qt::Key_Z)),
             disabled(&Ui::Redo1, "Redo1", "&Redo", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)),
             separator, inert(&Ui::Cut1, "Cut1", "Cu&t", ctrl(Qt::Key_X)),
             inert(&Ui::Copy1, "Copy1", "&Copy", ctrl(Qt::Key_C)),
             inert(&Ui::Paste1, "Paste1", "&Paste", ctrl(Qt::Key_V)),
             item(&Ui::Clear, "Clear", "Cl&ear"), separator,
             item(&Ui::SelectAll1, "SelectAll1", "Select &All", ctrl(Qt::Key_A)),
             item(&Ui::Duplicate, "Duplicate", "&Duplicate", ctrl(Qt::Key_D)), separator,
             item(&Ui::Preferences1, "Preferences1", "Pre&ferences")});
    ui.Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), ctrl(Qt::Key_Y)});
    addMenu(bar, ui, "Tools1", "&Tools",
            {item(&Ui::Main1, "Main1", "&Main"), separator,
             item(&Ui::PlaceNumber1, "PlaceNumber1", "Place &Number"),
             item(&Ui::PlaceText1, "PlaceText1", "Place &Text"),
             item(&Ui::PlacePicture1, "PlacePicture1", "Place &Picture"), separator,
             item(&Ui::LinkMode1, "LinkMode1", "&Link Mode"),
             item(&Ui::UnlinkMode1, "UnlinkMode1", "&Unlink Mode")});
    // The page is always shown at one pixel per page unit; the zoom items do nothing.
    addMenu(bar, ui, "View1", "&View",
            {submenu(&Ui::Arrange2, "Arrange2", "&Arrange",
                     {item(&Ui::BF, "BF", "Bring &Forward", ctrl(Qt::Key_BracketRight)),
                      item(&Ui::SB, "SB", "Send &Backward", ctrl(Qt::Key_BracketLeft)), separator,
                      item(&Ui::BTF, "BTF", "Bring &To Front", ctrl(Qt::Key_F)),
                      item(&Ui::STB, "STB", "&Send To Back", ctrl(Qt::Key_B))}),
             submenu(&Ui::Zoom1, "Zoom1", "&Zoom",
                     {item(&Ui::N251, "N251", "&25 %"), item(&Ui::N501, "N501", "&50 %"),
                      item(&Ui::N1001, "N1001", "&100 %"), item(&Ui::N2001, "N2001", "2&00 %")}),
             separator, ticked(&Ui::ShowLinks1, "ShowLinks1", "Show &Links")});
    addMenu(bar, ui, "Addons1", "&Add-ons",
            {item(&Ui::CreateMatrix1, "CreateMatrix1", "Create &Matrix", ctrl(Qt::Key_M)),
             inert(&Ui::ExporttoDB1, "ExporttoDB1", "&Export to DB", ctrl(Qt::Key_E)), separator,
             item(&Ui::ContinueNumbering1, "ContinueNumbering1", "&Continue Numbering..."),
             item(&Ui::PrintLog1, "PrintLog1", "&Print Log")});
    addMenu(bar, ui, "Windows1", "&Windows",
            {ticked(&Ui::ObjectProperties1, "ObjectProperties1", "&Object Properties"), separator,
             inert(&Ui::Untitled1, "Untitled1", "&Untitled")});
    addMenu(bar, ui, "Help1", "&Help",
            {item(&Ui::Help2, "Help2", "&Help", QKeySequence(Qt::Key_F1)), separator,
             item(&Ui::AboutPaginette1, "AboutPaginette1", "&About Paginette")});
}

// One tool-bar button; mode buttons join the radio group.
struct ButtonRow
{
    QToolButton *MainFrameUi::*member;
    const char *name;
    const char *caption;
    const char *hint;
};

// The buttons that show a picture; Place Picture shows its letter.
struct GlyphButton
{
    QToolButton *MainFrameUi::*member;
    Glyph glyph;
};

constexpr GlyphButton glyphButtons[] = {
    {&MainFrameUi::main, Glyph::Main},
    {&MainFrameUi::number, Glyph::Number},
    {&MainFrameUi::text, Glyph::Text},
    {&MainFrameUi::link, Glyph::Link},
    {&MainFrameUi::unlink, Glyph::Unlink},
    {&MainFrameUi::left, Glyph::AlignLeft},
    {&MainFrameUi::hCenter, Glyph::AlignHCenter},
    {&MainFrameUi::right, Glyph::AlignRight},
    {&MainFrameUi::top, Glyph::AlignTop},
    {&MainFrameUi::vCenter, Glyph::AlignVCenter},
    {&MainFrameUi::bottom, Glyph::AlignBottom},
};

void addButtons(QToolBar *bar, MainFrameUi &ui, QButtonGroup *group,
                std::initializer_list<ButtonRow> rows)
{
    for (const ButtonRow &row : rows) {
        auto *button = new QToolButton(bar);
        button->setObjectName(QLatin1String(row.name));
        button->setText(QString::fromLatin1(row.caption));
        button->setToolTip(QString::fromLatin1(row.hint));
        button->setStatusTip(QString::fromLatin1(row.hint));
        button->setAutoRaise(true);
        button->setFixedSize(buttonSize);
        button->setIconSize(glyphSize);
        if (group) {
            button->setCheckable(true);
            group->addButton(button);
        }
        bar->addWidget(button);
        ui.*row.member = button;
    }
}

QLabel *addLabel(QToolBar *bar, const char *name, const char *caption)
{
    auto *label = new QLabel(QString::fromLatin1(caption), bar);
    label->setObjectName(QLatin1String(name));
    bar->addWidget(label);
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

void buildToolBar(QMainWindow &frame, MainFrameUi &ui)
{
    using Ui = MainFrameUi;
    QToolBar *bar = new QToolBar(&frame);
    ui.ToolBar1 = bar;
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(glyphSize);
    bar->toggleViewAction()->setVisible(false);
    frame.addToolBar(Qt::TopToolBarArea, bar);

    ui.modeGroup = new QButtonGroup(&frame);
    ui.modeGroup->setObjectName(QStringLiteral("modeGroup"));
    ui.modeGroup->setExclusive(true);

    bar->addSeparator();
    addButtons(bar, ui, ui.modeGroup, {{&Ui::main, "main", "M", "Main mode"}});
    bar->addSeparator();
    addButtons(bar, ui, ui.modeGroup,
               {{&Ui::number, "number", "N", "Place Number"},
                {&Ui::text, "text", "T", "Place Text"},
                {&Ui::pict, "pict", "P", "Place Picture"}});
    // Pictures can be placed from the Tools menu only.
    ui.pict->setEnabled(false);
    bar->addSeparator();
    addButtons(
        bar, ui, ui.modeGroup,
        {{&Ui::link, "link", "L", "Link Mode"}, {&Ui::unlink, "unlink", "U", "Unlink Mode"}});
    bar->addSeparator();

    ui.Label1 = addLabel(bar, "Label1", "Pages:");
    ui.pages = new QLineEdit(QStringLiteral("1"), bar);
    ui.pages->setObjectName(QStringLiteral("pages"));
    ui.pages->setToolTip(QStringLiteral("Pages to Print"));
    bar->addWidget(ui.pages);
    bar->addSeparator();

    ui.Label2 = addLabel(bar, "Label2", "Page:");
    ui.page = new PageSpinBox(bar);
    ui.page->setObjectName(QStringLiteral("page"));
    ui.page->setToolTip(QStringLiteral("Page Shown"));
    bar->addWidget(ui.page);
    bar->addSeparator();

    ui.zoom = new QComboBox(bar);
    ui.zoom->setObjectName(QStringLiteral("zoom"));
    ui.zoom->setEditable(true);
    ui.zoom->addItems({QStringLiteral("25 %"), QStringLiteral("50 %"), QStringLiteral("100 %"),
                       QStringLiteral("200 %")});
    ui.zoom->setCurrentIndex(-1);
    ui.zoom->setEditText(QStringLiteral("Zoom"));
    ui.zoom->setToolTip(QStringLiteral("Zoom Factor"));
    ui.zoom->setMinimumWidth(57);
    ui.zoom->setEnabled(false);
    bar->addWidget(ui.zoom);
    bar->addSeparator();

    // The hints are the program's own, odd ones included.
    addButtons(bar, ui, nullptr,
               {{&Ui::left, "left", "", "Align Object Left"},
                {&Ui::hCenter, "hCenter", "", "Align Objects Center"},
                {&Ui::right, "right", "", "Align Objects Right"}});
    bar->addSeparator();
    addButtons(bar, ui, nullptr,
               {{&Ui::top, "top", "", "Align Objects Bottom"},
                {&Ui::vCenter, "vCenter", "", "Align Objects Center"},
                {&Ui::bottom, "bottom", "", "ALign Objects Right"}});
    bar->addSeparator();

    ui.mode = new QLabel(QStringLiteral("Main Mode"), bar);
    ui.mode->setObjectName(QStringLiteral("mode"));
    ui.mode->setFrameStyle(QFrame::Box | QFrame::Plain);
    ui.mode->setLineWidth(1);
    ui.mode->setFixedSize(96, 22);
    bar->addWidget(ui.mode);
}

} // namespace

void fitToolBarToFont(MainFrameUi &ui)
{
    // The design widths are the least; a larger font widens the controls.
    ui.Label1->setFixedWidth(std::max(37, ui.Label1->sizeHint().width()));
    ui.pages->setFixedWidth(std::max(34, widthShowing(*ui.pages, QStringLiteral("60000"))));
    ui.Label2->setFixedWidth(std::max(32, ui.Label2->sizeHint().width()));
    ui.page->setMinimumWidth(std::max(46, ui.page->sizeHint().width()));
}

void paintToolGlyphs(MainFrameUi &ui, const QPalette &palette)
{
    for (const GlyphButton &button : glyphButtons)
        (ui.*button.member)->setIcon(toolGlyph(button.glyph, palette));
}

void buildMainFrameUi(QMainWindow &frame, MainFrameUi &ui)
{
    buildMenu(frame.menuBar(), ui);
    buildToolBar(frame, ui);
    fitToolBarToFont(ui);
    paintToolGlyphs(ui, frame.palette());
    ui.mdiArea = new QMdiArea(&frame);
    ui.mdiArea->setObjectName(QStringLiteral("mdiArea"));
    ui.mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui.mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    frame.setCentralWidget(ui.mdiArea);
}
