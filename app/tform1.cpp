#include "tform1.h"

#include "documentfile.h"
#include "documentstate.h"
#include "filedialogs.h"
#include "guarded.h"
#include "messagedialog.h"
#include "numberconversion.h"
#include "objecttable.h"
#include "pagespinbox.h"
#include "preferences.h"
#include "renderstate.h"
#include "saveprompt.h"
#include "screenrender.h"
#include "services.h"
#include "tform10.h"
#include "tform11.h"
#include "tform2.h"
#include "tform3.h"
#include "tform6.h"
#include "tform7.h"
#include "toolglyphs.h"
#include "viewstate.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QScreen>
#include <QSignalBlocker>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <algorithm>

namespace {

constexpr QSize buttonSize{23, 22};
constexpr QSize glyphSize{20, 20};
// The resolution the program's printer works at.
constexpr int printerDotsPerInch = 360;

const QString readMePath = QStringLiteral("paginette_readme/pgt_readme.htm");

bool isEnterKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The printable area of the default printer in dots at the program's
// resolution; Qt's default page when no printer is installed.
Bounds32 printablePageExtent()
{
    QPrinter printer;
    printer.setResolution(printerDotsPerInch);
    const QRect area = printer.pageLayout().paintRectPixels(printerDotsPerInch);
    return {0, 0, area.width(), area.height()};
}

// Where the read-me may be: the current folder, beside the program, then
// the installed data folder.
QStringList readMeLocations()
{
    return {QDir::current().absoluteFilePath(readMePath),
            QCoreApplication::applicationDirPath() + QLatin1Char('/') + readMePath,
            QStringLiteral(PAGINETTE_DATA_DIR) + QLatin1Char('/') + readMePath};
}

QAction *addItem(QMenu *menu, const QString &name, const QString &caption,
                 const QKeySequence &shortcut = QKeySequence())
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    return action;
}

QMenu *addMenu(QMenuBar *bar, const QString &name, const QString &title)
{
    QMenu *menu = bar->addMenu(title);
    menu->setObjectName(name);
    return menu;
}

QMenu *addSubmenu(QMenu *parent, const QString &name, const QString &title)
{
    QMenu *menu = parent->addMenu(title);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

QLabel *addLabel(QToolBar *bar, const QString &name, const QString &caption, int width)
{
    auto *label = new QLabel(caption, bar);
    label->setObjectName(name);
    label->setFixedWidth(width);
    bar->addWidget(label);
    return label;
}

} // namespace

TForm1::TForm1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Paginette"));
    createMenu();
    createToolBar();
    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName(QStringLiteral("mdiArea"));
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCentralWidget(mdiArea);
    fileDialogs = new FileDialogs(this);
    m_hooks.runModal = [](QDialog &dialog) {
        dialog.exec();
    };
    m_hooks.openUrl = [](const QUrl &url) {
        return QDesktopServices::openUrl(url);
    };
    pages->installEventFilter(this);
    page->installEventFilter(this);
    connect(page, &QSpinBox::valueChanged, this, &TForm1::pageChange);
    // Created disabled: the first show enables it after the splash.
    setEnabled(false);
    FormCreate();
}

void TForm1::setHooks(ShellHooks hooks)
{
    m_hooks = std::move(hooks);
}

void TForm1::createWindows()
{
    Form2 = new TForm2(this);
    Form2->installEventFilter(this);
    Form10 = new TForm10(this);
    Form11 = new TForm11(this);
    Form3 = new TForm3(this);
    setMessageDialog(Form3);
    Form7 = new TForm7(this);
}

void TForm1::FormShow()
{
    m_hooks.runModal(*Form7);
    setEnabled(true);
    // Fill the work area even where no window manager maximises the frame.
    setGeometry(screen()->availableGeometry());
    showMaximized();
    theRenderState().pageExtent = printablePageExtent();
    theViewState().vScrollPos = 0;
    if (theShellState().docOpen == 1) {
        createDocumentWindow();
        showObjectProperties();
    }
    ShowLinks1->setChecked(thePreferences().showLinks != 0);
}

void TForm1::createDocumentWindow()
{
    Form6 =
        new TForm6(EditorContext{theDocument(), theShellState(), theViewState(), theRenderState()});
    Form6->setHooks(documentWindowHooks());
    connect(Form6, &TForm6::selectionChanged, this, &TForm1::updateMenuState);
    // No system menu and no minimise, maximise or close box.
    m_documentSubWindow =
        mdiArea->addSubWindow(Form6, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_documentSubWindow->installEventFilter(this);
    m_documentSubWindow->showMaximized();
}

DocumentWindowHooks TForm1::documentWindowHooks()
{
    DocumentWindowHooks hooks;
    hooks.render = [this] {
        renderScreen();
    };
    return hooks;
}

void TForm1::FormCreate()
{
    // The document window gives it its size when it is shown.
    theRenderState().backBuffer = QImage(QSize(1, 1), QImage::Format_RGB32);
    const int capacity = loadStartupPreferences(thePreferences(), preferencesPath());
    resetTheDocument(capacity);
    main->setChecked(true);
    ShellState &shell = theShellState();
    shell.docOpen = 1;
    shell.docNamed = 0;
    shell.docModified = 0;
    updateMenuState();
}

void TForm1::createMenu()
{
    QMenuBar *bar = menuBar();

    QMenu *file = addMenu(bar, QStringLiteral("File1"), QStringLiteral("File"));
    Quit1 = addItem(file, QStringLiteral("Quit1"), QStringLiteral("New"), Qt::CTRL | Qt::Key_N);
    Close1 = addItem(file, QStringLiteral("Close1"), QStringLiteral("Open"), Qt::CTRL | Qt::Key_O);
    Close2 = addItem(file, QStringLiteral("Close2"), QStringLiteral("Close"), Qt::CTRL | Qt::Key_W);
    file->addSeparator();
    Save1 = addItem(file, QStringLiteral("Save1"), QStringLiteral("Save"), Qt::CTRL | Qt::Key_S);
    SaveAs1 = addItem(file, QStringLiteral("SaveAs1"), QStringLiteral("Save As"));
    file->addSeparator();
    PageSetup1 = addItem(file, QStringLiteral("PageSetup1"), QStringLiteral("Page Setup"),
                         Qt::CTRL | Qt::Key_T);
    Print1 = addItem(file, QStringLiteral("Print1"), QStringLiteral("Print"), Qt::CTRL | Qt::Key_P);
    file->addSeparator();
    Quit2 = addItem(file, QStringLiteral("Quit2"), QStringLiteral("Quit"), Qt::CTRL | Qt::Key_Q);
    connect(Quit1, &QAction::triggered, this, &TForm1::Quit1Click);
    connect(Close1, &QAction::triggered, this, &TForm1::Close1Click);
    connect(Close2, &QAction::triggered, this, &TForm1::Close2Click);
    connect(Save1, &QAction::triggered, this, &TForm1::Save1Click);
    connect(SaveAs1, &QAction::triggered, this, &TForm1::SaveAs1Click);
    connect(Quit2, &QAction::triggered, this, &TForm1::Quit2Click);

    QMenu *edit = addMenu(bar, QStringLiteral("Edit1"), QStringLiteral("Edit"));
    Undo1 = addItem(edit, QStringLiteral("Undo1"), QStringLiteral("Undo"), Qt::CTRL | Qt::Key_Z);
    edit->addSeparator();
    Cut1 = addItem(edit, QStringLiteral("Cut1"), QStringLiteral("Cut"), Qt::CTRL | Qt::Key_X);
    Copy1 = addItem(edit, QStringLiteral("Copy1"), QStringLiteral("Copy"), Qt::CTRL | Qt::Key_C);
    Paste1 = addItem(edit, QStringLiteral("Paste1"), QStringLiteral("Paste"), Qt::CTRL | Qt::Key_V);
    Clear = addItem(edit, QStringLiteral("Clear"), QStringLiteral("Clear"));
    edit->addSeparator();
    SelectAll1 = addItem(edit, QStringLiteral("SelectAll1"), QStringLiteral("Select All"),
                         Qt::CTRL | Qt::Key_A);
    Duplicate = addItem(edit, QStringLiteral("Duplicate"), QStringLiteral("Duplicate"),
                        Qt::CTRL | Qt::Key_D);
    edit->addSeparator();
    Preferences1 = addItem(edit, QStringLiteral("Preferences1"), QStringLiteral("Preferences"));
    connect(Preferences1, &QAction::triggered, this, &TForm1::Preferences1Click);
    // No undo or clipboard in this program.
    for (QAction *never : {Undo1, Cut1, Copy1, Paste1})
        never->setEnabled(false);

    QMenu *tools = addMenu(bar, QStringLiteral("Tools1"), QStringLiteral("Tools"));
    Main1 = addItem(tools, QStringLiteral("Main1"), QStringLiteral("Main"));
    tools->addSeparator();
    PlaceNumber1 = addItem(tools, QStringLiteral("PlaceNumber1"), QStringLiteral("Place Number"));
    PlaceText1 = addItem(tools, QStringLiteral("PlaceText1"), QStringLiteral("Place Text"));
    PlacePicture1 =
        addItem(tools, QStringLiteral("PlacePicture1"), QStringLiteral("Place Picture"));
    tools->addSeparator();
    LinkMode1 = addItem(tools, QStringLiteral("LinkMode1"), QStringLiteral("Link Mode"));
    UnlinkMode1 = addItem(tools, QStringLiteral("UnlinkMode1"), QStringLiteral("Unlink Mode"));
    connect(Main1, &QAction::triggered, this, &TForm1::Main1Click);
    connect(PlaceNumber1, &QAction::triggered, this, &TForm1::PlaceNumber1Click);
    connect(PlaceText1, &QAction::triggered, this, &TForm1::PlaceText1Click);
    connect(PlacePicture1, &QAction::triggered, this, &TForm1::PlacePicture1Click);
    connect(LinkMode1, &QAction::triggered, this, &TForm1::LinkMode1Click);
    connect(UnlinkMode1, &QAction::triggered, this, &TForm1::UnlinkMode1Click);

    QMenu *view = addMenu(bar, QStringLiteral("View1"), QStringLiteral("View"));
    Arrange2 = addSubmenu(view, QStringLiteral("Arrange2"), QStringLiteral("Arrange"));
    BF = addItem(Arrange2, QStringLiteral("BF"), QStringLiteral("Bring Forward"),
                 Qt::CTRL | Qt::Key_BracketRight);
    SB = addItem(Arrange2, QStringLiteral("SB"), QStringLiteral("Send Backward"),
                 Qt::CTRL | Qt::Key_BracketLeft);
    Arrange2->addSeparator();
    BTF = addItem(Arrange2, QStringLiteral("BTF"), QStringLiteral("Bring To Front"),
                  Qt::CTRL | Qt::Key_F);
    STB = addItem(Arrange2, QStringLiteral("STB"), QStringLiteral("Send To Back"),
                  Qt::CTRL | Qt::Key_B);
    Zoom1 = addSubmenu(view, QStringLiteral("Zoom1"), QStringLiteral("Zoom"));
    N251 = addItem(Zoom1, QStringLiteral("N251"), QStringLiteral("25 %"));
    N501 = addItem(Zoom1, QStringLiteral("N501"), QStringLiteral("50 %"));
    N1001 = addItem(Zoom1, QStringLiteral("N1001"), QStringLiteral("100 %"));
    N2001 = addItem(Zoom1, QStringLiteral("N2001"), QStringLiteral("200 %"));
    view->addSeparator();
    ShowLinks1 = addItem(view, QStringLiteral("ShowLinks1"), QStringLiteral("Show Links"));
    ShowLinks1->setCheckable(true);
    connect(ShowLinks1, &QAction::triggered, this, &TForm1::ShowLinks1Click);

    QMenu *addOns = addMenu(bar, QStringLiteral("Addons1"), QStringLiteral("Add-ons"));
    CreateMatrix1 = addItem(addOns, QStringLiteral("CreateMatrix1"),
                            QStringLiteral("Create Matrix"), Qt::CTRL | Qt::Key_M);
    ExporttoDB1 = addItem(addOns, QStringLiteral("ExporttoDB1"), QStringLiteral("Export to DB"),
                          Qt::CTRL | Qt::Key_E);
    ExporttoDB1->setEnabled(false);
    connect(CreateMatrix1, &QAction::triggered, this, &TForm1::CreateMatrix1Click);

    QMenu *windows = addMenu(bar, QStringLiteral("Windows1"), QStringLiteral("Windows"));
    ObjectProperties1 =
        addItem(windows, QStringLiteral("ObjectProperties1"), QStringLiteral("Object Properties"));
    ObjectProperties1->setCheckable(true);
    connect(ObjectProperties1, &QAction::triggered, this, &TForm1::ObjectProperties1Click);
    windows->addSeparator();
    Untitled1 = addItem(windows, QStringLiteral("Untitled1"), QStringLiteral("Untitled"));
    Untitled1->setEnabled(false);

    QMenu *help = addMenu(bar, QStringLiteral("Help1"), QStringLiteral("Help"));
    Help2 = addItem(help, QStringLiteral("Help2"), QStringLiteral("Help"));
    help->addSeparator();
    AboutPaginette1 =
        addItem(help, QStringLiteral("AboutPaginette1"), QStringLiteral("About Paginette"));
    connect(Help2, &QAction::triggered, this, &TForm1::Help2Click);
    connect(AboutPaginette1, &QAction::triggered, this, &TForm1::AboutPaginette1Click);
}

QToolButton *TForm1::addModeButton(const QString &name, const QString &caption, const QString &hint)
{
    auto *button = new QToolButton(ToolBar1);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setCheckable(true);
    button->setAutoRaise(true);
    button->setFixedSize(buttonSize);
    button->setIconSize(glyphSize);
    modeGroup->addButton(button);
    ToolBar1->addWidget(button);
    return button;
}

QToolButton *TForm1::addAlignButton(const QString &name, const QString &hint)
{
    auto *button = new QToolButton(ToolBar1);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    button->setAutoRaise(true);
    button->setFixedSize(buttonSize);
    button->setIconSize(glyphSize);
    ToolBar1->addWidget(button);
    return button;
}

void TForm1::createToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(glyphSize);
    ToolBar1->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    modeGroup = new QButtonGroup(this);
    modeGroup->setObjectName(QStringLiteral("modeGroup"));
    modeGroup->setExclusive(true);

    ToolBar1->addSeparator();
    main = addModeButton(QStringLiteral("main"), QStringLiteral("M"), QStringLiteral("Main mode"));
    ToolBar1->addSeparator();
    number = addModeButton(QStringLiteral("number"), QStringLiteral("N"),
                           QStringLiteral("Place Number"));
    text = addModeButton(QStringLiteral("text"), QStringLiteral("T"), QStringLiteral("Place Text"));
    pict =
        addModeButton(QStringLiteral("pict"), QStringLiteral("P"), QStringLiteral("Place Picture"));
    ToolBar1->addSeparator();
    link = addModeButton(QStringLiteral("link"), QStringLiteral("L"), QStringLiteral("Link Mode"));
    unlink =
        addModeButton(QStringLiteral("unlink"), QStringLiteral("U"), QStringLiteral("Unlink Mode"));
    main->setIcon(toolGlyph(Glyph::Main));
    number->setIcon(toolGlyph(Glyph::Number));
    text->setIcon(toolGlyph(Glyph::Text));
    link->setIcon(toolGlyph(Glyph::Link));
    unlink->setIcon(toolGlyph(Glyph::Unlink));
    // Pictures can be placed from the Tools menu only.
    pict->setEnabled(false);
    connect(main, &QToolButton::clicked, this, &TForm1::mainClick);
    connect(number, &QToolButton::clicked, this, &TForm1::numberClick);
    connect(text, &QToolButton::clicked, this, &TForm1::textClick);
    connect(link, &QToolButton::clicked, this, &TForm1::linkClick);
    connect(unlink, &QToolButton::clicked, this, &TForm1::unlinkClick);
    ToolBar1->addSeparator();

    Label1 = addLabel(ToolBar1, QStringLiteral("Label1"), QStringLiteral("Pages:"), 37);
    pages = new QLineEdit(QStringLiteral("1"), ToolBar1);
    pages->setObjectName(QStringLiteral("pages"));
    pages->setFixedWidth(34);
    pages->setToolTip(QStringLiteral("Pages to Print"));
    ToolBar1->addWidget(pages);
    ToolBar1->addSeparator();

    Label2 = addLabel(ToolBar1, QStringLiteral("Label2"), QStringLiteral("Page:"), 32);
    page = new PageSpinBox(ToolBar1);
    page->setObjectName(QStringLiteral("page"));
    page->setMinimumWidth(46);
    page->setToolTip(QStringLiteral("Page Shown"));
    ToolBar1->addWidget(page);
    ToolBar1->addSeparator();

    zoom = new QComboBox(ToolBar1);
    zoom->setObjectName(QStringLiteral("zoom"));
    zoom->setEditable(true);
    zoom->addItems({QStringLiteral("25 %"), QStringLiteral("50 %"), QStringLiteral("100 %"),
                    QStringLiteral("200 %")});
    zoom->setCurrentIndex(-1);
    zoom->setEditText(QStringLiteral("Zoom"));
    zoom->setToolTip(QStringLiteral("Zoom Factor"));
    zoom->setMinimumWidth(57);
    // The page is always shown at one pixel per page unit.
    zoom->setEnabled(false);
    ToolBar1->addWidget(zoom);
    ToolBar1->addSeparator();

    left = addAlignButton(QStringLiteral("left"), QStringLiteral("Align Object Left"));
    hCenter = addAlignButton(QStringLiteral("hCenter"), QStringLiteral("Align Objects Center"));
    right = addAlignButton(QStringLiteral("right"), QStringLiteral("Align Objects Right"));
    ToolBar1->addSeparator();
    top = addAlignButton(QStringLiteral("top"), QStringLiteral("Align Objects Bottom"));
    vCenter = addAlignButton(QStringLiteral("vCenter"), QStringLiteral("Align Objects Center"));
    bottom = addAlignButton(QStringLiteral("bottom"), QStringLiteral("ALign Objects Right"));
    left->setIcon(toolGlyph(Glyph::AlignLeft));
    hCenter->setIcon(toolGlyph(Glyph::AlignHCenter));
    right->setIcon(toolGlyph(Glyph::AlignRight));
    top->setIcon(toolGlyph(Glyph::AlignTop));
    vCenter->setIcon(toolGlyph(Glyph::AlignVCenter));
    bottom->setIcon(toolGlyph(Glyph::AlignBottom));
    ToolBar1->addSeparator();

    mode = new QLabel(QStringLiteral("Main Mode"), ToolBar1);
    mode->setObjectName(QStringLiteral("mode"));
    mode->setFrameStyle(QFrame::Box | QFrame::Plain);
    mode->setLineWidth(1);
    mode->setFixedSize(96, 22);
    ToolBar1->addWidget(mode);
}

void TForm1::updateMenuState()
{
    const DocumentState &doc = theDocument();
    const ShellState &shell = theShellState();
    CreateMatrix1->setEnabled(doc.selectedCount == 1);
    Duplicate->setEnabled(doc.selectedCount != 0);
    // An unnamed document leaves Save as it was.
    if (shell.docNamed == 1)
        Save1->setEnabled(shell.docModified == 1);
    Close2->setEnabled(shell.docOpen == 1);
}

void TForm1::setEditMode(EditMode editMode, const QString &status)
{
    mode->setText(status);
    theShellState().editMode = editMode;
}

void TForm1::renderScreen()
{
    ::renderScreen(Form6);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pages && isEnterKey(event)) {
        pagesKeyDown();
        return true;
    }
    if (watched == page && isEnterKey(event)) {
        // Taken here: the spin box's own Enter handling would send its value
        // through pageChange again.
        pageKeyDown();
        return true;
    }
    if (watched == Form2 && event->type() == QEvent::Hide && !event->spontaneous())
        ObjectProperties1->setChecked(false);
    if (watched == m_documentSubWindow && event->type() == QEvent::Close) {
        // The one document window lives as long as the frame.
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        renderScreen();
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!closeDocument()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool TForm1::closeDocument()
{
    return theShellState().docOpen != 1 || maybeSave();
}

bool TForm1::maybeSave()
{
    SavePromptServices prompt;
    prompt.messageDialog = showMessageDialog;
    prompt.choosePath = [this](QString &path) {
        return fileDialogs->chooseSavePath(path);
    };
    prompt.save = [](const QString &path) {
        return saveDocument(theDocument(), path) == 0;
    };
    return ::maybeSave(theShellState(), prompt);
}

void TForm1::showDocumentWindow()
{
    if (!m_documentSubWindow)
        return;
    m_documentSubWindow->show();
    mdiArea->setActiveSubWindow(m_documentSubWindow);
}

void TForm1::showObjectProperties()
{
    if (!m_objectPropertiesPlaced) {
        // Beside the page, at the frame's top right, the first time it opens.
        const QRect frame = geometry();
        Form2->move(frame.right() - Form2->frameGeometry().width() - 24, frame.top() + 80);
        m_objectPropertiesPlaced = true;
    }
    Form2->show();
    ObjectProperties1->setChecked(true);
}

void TForm1::setCaption(const QString &caption)
{
    if (Form6)
        Form6->setWindowTitle(caption);
}

// The boxes show the values of the document in hand, so what is printed is
// what the boxes say.
void TForm1::showDocumentValues()
{
    const DocumentState &doc = theDocument();
    pages->setText(QString::number(doc.pagesToPrint));
    const QSignalBlocker blocker(page);
    page->settle();
    page->setValue(doc.pageShown);
}

void TForm1::Quit1Click()
{
    ShellState &shell = theShellState();
    if (shell.docOpen == 1) {
        if (!closeDocument())
            return;
        shell.docOpen = 0;
        clearDocument(theDocument());
    }
    showDocumentWindow();
    shell.docOpen = 1;
    shell.docNamed = 0;
    shell.docModified = 0;
    showObjectProperties();
    showDocumentValues();
    updateMenuState();
    renderScreen();
}

void TForm1::Close1Click()
{
    ShellState &shell = theShellState();
    if (shell.docOpen == 1 && !closeDocument())
        return;
    QString path;
    if (!fileDialogs->chooseOpenPath(path))
        return;
    DocumentState &doc = theDocument();
    // The file layer has shown why; the name and caption stay as they were.
    if (loadDocument(doc, path) != 0)
        return;
    shell.docFileName = path;
    showDocumentWindow();
    setCaption(path);
    shell.docOpen = 1;
    shell.docNamed = 1;
    shell.docModified = 0;
    showObjectProperties();
    showDocumentValues();
    updateMenuState();
    runLayout(doc);
    renderScreen();
}

void TForm1::Close2Click()
{
    if (theShellState().docOpen == 1) {
        Form2->close();
        if (!closeDocument())
            return;
        clearDocument(theDocument());
        showDocumentValues();
    }
    updateMenuState();
}

void TForm1::Save1Click()
{
    ShellState &shell = theShellState();
    if (shell.docNamed != 0) {
        if (saveDocument(theDocument(), shell.docFileName) == 0)
            shell.docModified = 0;
    } else {
        QString path;
        if (!fileDialogs->chooseSavePath(path))
            return;
        if (saveDocument(theDocument(), path) == 0) {
            shell.docFileName = path;
            shell.docNamed = 1;
            shell.docModified = 0;
            setCaption(path);
        }
    }
    updateMenuState();
}

void TForm1::SaveAs1Click()
{
    QString path;
    if (!fileDialogs->chooseSavePath(path))
        return;
    if (saveDocument(theDocument(), path) != 0)
        return;
    ShellState &shell = theShellState();
    shell.docFileName = path;
    shell.docNamed = 1;
    shell.docModified = 0;
    setCaption(path);
}

void TForm1::Quit2Click()
{
    // The close handling makes the offer to save.
    close();
}

void TForm1::Preferences1Click()
{
    m_hooks.runModal(*Form11);
}

void TForm1::ShowLinks1Click()
{
    // The item has already changed its tick.
    thePreferences().showLinks = ShowLinks1->isChecked() ? 1 : 0;
    renderScreen();
}

void TForm1::CreateMatrix1Click()
{
    // A matrix grows from exactly one selected object.
    if (theDocument().selectedCount == 1)
        m_hooks.runModal(*Form10);
}

void TForm1::ObjectProperties1Click()
{
    // The item has already changed its tick; closing the window removes it.
    if (ObjectProperties1->isChecked())
        showObjectProperties();
    else
        Form2->close();
}

void TForm1::Help2Click()
{
    for (const QString &location : readMeLocations()) {
        if (QFileInfo(location).isFile() && m_hooks.openUrl(QUrl::fromLocalFile(location)))
            return;
    }
    showMessage(QStringLiteral("Can't find Read Me files"), QString());
}

void TForm1::AboutPaginette1Click()
{
    m_hooks.runModal(*Form7);
}

void TForm1::pagesKeyDown()
{
    guarded([this] {
        // A text that is no number is reported here, before anything changed.
        const std::int32_t count = textToInt32(pages->text());
        DocumentState &doc = theDocument();
        if (count != doc.pagesToPrint) {
            doc.pagesToPrint = count;
            theShellState().docModified = 1;
            updateMenuState();
        }
        pages->setText(QString::number(count));
        mode->setFocus();
    });
}

void TForm1::pageChange(int value)
{
    page->settle();
    DocumentState &doc = theDocument();
    doc.pageShown = std::min<std::int32_t>(std::max(value, 1), doc.pagesToPrint);
    {
        const QSignalBlocker blocker(page);
        page->setValue(doc.pageShown);
    }
    renderScreen();
}

void TForm1::pageKeyDown()
{
    theDocument().pageShown = page->value();
}

void TForm1::mainClick()
{
    setEditMode(ModeMain, QStringLiteral("Main Mode"));
    renderScreen();
}

void TForm1::numberClick()
{
    setEditMode(ModePlaceNumber, QStringLiteral("Place Number"));
    renderScreen();
}

void TForm1::textClick()
{
    setEditMode(ModePlaceText, QStringLiteral("Place Text"));
    renderScreen();
}

void TForm1::linkClick()
{
    setEditMode(ModeLink, QStringLiteral("Create Link"));
    renderScreen();
}

void TForm1::unlinkClick()
{
    setEditMode(ModeUnlink, QStringLiteral("Break link"));
    renderScreen();
}

void TForm1::Main1Click()
{
    main->setChecked(true);
    setEditMode(ModeMain, QStringLiteral("Main Mode"));
}

void TForm1::PlaceNumber1Click()
{
    number->setChecked(true);
    setEditMode(ModePlaceNumber, QStringLiteral("Place Number"));
}

void TForm1::PlaceText1Click()
{
    text->setChecked(true);
    setEditMode(ModePlaceText, QStringLiteral("Place Text"));
}

void TForm1::PlacePicture1Click()
{
    pict->setChecked(true);
    setEditMode(ModePlacePicture, QStringLiteral("Place Picture"));
}

void TForm1::LinkMode1Click()
{
    link->setChecked(true);
    setEditMode(ModeLink, QStringLiteral("Create Link"));
}

void TForm1::UnlinkMode1Click()
{
    unlink->setChecked(true);
    setEditMode(ModeUnlink, QStringLiteral("Delete Link"));
}
