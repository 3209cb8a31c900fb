#include "mainwindow.h"

#include "aboutdialog.h"
#include "actions.h"
#include "addoncommands.h"
#include "calibration.h"
#include "desktopbrowser.h"
#include "documentcommands.h"
#include "documentwindow.h"
#include "editcommands.h"
#include "helpcommands.h"
#include "modecommands.h"
#include "objectpropertieswindow.h"
#include "pagespinbox.h"
#include "pagetool.h"
#include "picturecommands.h"
#include "printcommands.h"
#include "screenrender.h"
#include "sheetcommands.h"
#include "toolglyphs.h"
#include "viewcommands.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <initializer_list>

namespace {

// Adds `items` to `menu` in order; a null item is a separator.
void addItems(QMenu *menu, std::initializer_list<QAction *> items)
{
    for (QAction *item : items) {
        if (item)
            menu->addAction(item);
        else
            menu->addSeparator();
    }
}

// A menu under `name`; its title's '&' marks the letter that opens it.
template <typename Parent> QMenu *addMenu(Parent *parent, const char *name, const char *title)
{
    QMenu *menu = parent->addMenu(QString::fromLatin1(title));
    menu->setObjectName(QLatin1String(name));
    menu->menuAction()->setObjectName(QLatin1String(name));
    return menu;
}

} // namespace

MainWindow::MainWindow(const AppContext &context, QWidget *parent)
    : QMainWindow(parent), m_context(context), m_places(userSettingsPath())
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Paginette"));
    m_hooks.runModal = [](QDialog &dialog) {
        dialog.exec();
    };
    m_hooks.openUrl = [this](const QUrl &url, std::function<void()> notOpened) {
        openInDesktop(this, url, std::move(notOpened));
    };
    m_hooks.showSplash = [](AboutDialog &splash) {
        splash.showAsSplash();
    };

    // The document window gives it its size when it is shown.
    m_context.render.backBuffer = QImage(QSize(1, 1), QImage::Format_RGB32);
    const int capacity =
        loadStartupPreferences(m_context.prefs, preferencesPath(), m_context.feedback);
    m_context.editor.replace(emptyDocument(capacity));
    m_context.session.docOpen = true;
    m_context.session.docNamed = false;

    const auto redraw = [this] {
        renderScreen();
    };
    m_documentWindow = new DocumentWindow(m_context.editorContext());
    m_documentWindow->setHooks({redraw});
    m_objectProperties = new ObjectPropertiesWindow(m_context.editor, this);
    m_objectProperties->installEventFilter(this);

    m_documentCommands = new DocumentCommands(m_context, *m_documentWindow, this);
    m_editCommands = new EditCommands(m_context, *m_documentWindow->pageTool, m_hooks, this);
    m_modeCommands = new ModeCommands(m_context.session, redraw, this);
    m_viewCommands = new ViewCommands(m_context, redraw, this);
    PrintFrameHooks printHooks;
    printHooks.redraw = redraw;
    printHooks.documentWindowHeight = [this] {
        return m_documentWindow->height();
    };
    m_printCommands = new PrintCommands(m_context.editor, m_context.session, m_context.render,
                                        m_context.view, m_context.feedback, printHooks, this);
    m_addonCommands = new AddonCommands(m_context, *m_printCommands, m_hooks, this);
    m_sheetCommands = new SheetCommands(m_context, m_hooks, this);
    m_helpCommands = new HelpCommands(m_context.feedback, m_hooks, this);
    m_pictureCommands = new PictureCommands(m_context, this);
    m_objectPropertiesAction = makeAction(this, "objectPropertiesAction", "&Object Properties");
    m_objectPropertiesAction->setCheckable(true);
    // The Windows menu lists no windows: its one document window is fixed.
    m_untitledAction = makeAction(this, "untitledAction", "&Untitled", {}, false);

    buildMenus();
    buildToolBar();
    // Why a barcode on the page shows no symbol, while one does not.
    m_refusalLabel = new QLabel(this);
    m_refusalLabel->setObjectName(QStringLiteral("refusalLabel"));
    statusBar()->addWidget(m_refusalLabel);
    connectDocument();
    // Created disabled: start() enables it as it shows it.
    setEnabled(false);
    updateMenuState();
}

MainWindow::~MainWindow()
{
    // The MDI area owns the document window once start() hosts it.
    if (!m_documentSubWindow)
        delete m_documentWindow;
}

void MainWindow::buildMenus()
{
    QMenuBar *bar = menuBar();
    const DocumentCommands &document = *m_documentCommands;
    const PrintCommands &print = *m_printCommands;
    addItems(addMenu(bar, "fileMenu", "&File"),
             {document.newAction, document.openAction, document.closeAction, nullptr,
              document.saveAction, document.saveAsAction, nullptr, print.pageSetupAction,
              m_sheetCommands->sheetLayoutAction, print.printerCalibrationAction, print.printAction,
              print.printPreviewAction, nullptr, document.quitAction});
    const EditCommands &edit = *m_editCommands;
    addItems(addMenu(bar, "editMenu", "&Edit"),
             {edit.undoAction, edit.redoAction, nullptr, edit.cutAction, edit.copyAction,
              edit.pasteAction, edit.clearAction, nullptr, edit.selectAllAction,
              edit.duplicateAction, nullptr, edit.preferencesAction});
    const ModeCommands &modes = *m_modeCommands;
    addItems(addMenu(bar, "toolsMenu", "&Tools"),
             {modes.mainModeAction, nullptr, modes.placeNumberAction, modes.placeTextAction,
              modes.placePictureAction, nullptr, modes.linkModeAction, modes.unlinkModeAction});
    const ViewCommands &view = *m_viewCommands;
    QMenu *viewMenu = addMenu(bar, "viewMenu", "&View");
    addItems(addMenu(viewMenu, "arrangeMenu", "&Arrange"),
             {view.bringForwardAction, view.sendBackwardAction, nullptr, view.bringToFrontAction,
              view.sendToBackAction});
    addItems(addMenu(viewMenu, "zoomMenu", "&Zoom"),
             {view.zoom25Action, view.zoom50Action, view.zoom100Action, view.zoom200Action});
    addItems(viewMenu, {nullptr, view.showLinksAction});
    const AddonCommands &addons = *m_addonCommands;
    addItems(addMenu(bar, "addonsMenu", "&Add-ons"),
             {addons.createMatrixAction, addons.exportToDbAction, nullptr,
              addons.continueNumberingAction, addons.printLogAction});
    addItems(addMenu(bar, "windowsMenu", "&Windows"),
             {m_objectPropertiesAction, nullptr, m_untitledAction});
    addItems(addMenu(bar, "helpMenu", "&Help"),
             {m_helpCommands->helpAction, nullptr, m_helpCommands->aboutAction});

    // A command given from its shortcut reads what the boxes show too.
    for (QAction *item : findChildren<QAction *>())
        m_viewCommands->watchCommand(item);
}

void MainWindow::buildToolBar()
{
    auto *bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("toolBar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(20, 20));
    bar->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, bar);

    const ModeCommands &modes = *m_modeCommands;
    const ViewCommands &view = *m_viewCommands;
    // A null control is a separator.
    const std::initializer_list<QWidget *> controls{nullptr,
                                                    modes.mainModeButton,
                                                    nullptr,
                                                    modes.placeNumberButton,
                                                    modes.placeTextButton,
                                                    modes.placePictureButton,
                                                    nullptr,
                                                    modes.linkModeButton,
                                                    modes.unlinkModeButton,
                                                    nullptr,
                                                    view.pagesLabel,
                                                    view.pagesEdit,
                                                    nullptr,
                                                    view.pageLabel,
                                                    view.pageSpinBox,
                                                    nullptr,
                                                    view.zoomCombo,
                                                    nullptr,
                                                    view.alignLeftButton,
                                                    view.alignHCenterButton,
                                                    view.alignRightButton,
                                                    nullptr,
                                                    view.alignTopButton,
                                                    view.alignVCenterButton,
                                                    view.alignBottomButton,
                                                    nullptr,
                                                    modes.modeLabel};
    for (QWidget *control : controls) {
        if (control)
            bar->addWidget(control);
        else
            bar->addSeparator();
    }
    m_viewCommands->setFocusAfterPages(modes.modeLabel);
    m_viewCommands->fitToFont();
    paintGlyphs();

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCentralWidget(m_mdiArea);
}

void MainWindow::paintGlyphs()
{
    const ModeCommands &modes = *m_modeCommands;
    const ViewCommands &view = *m_viewCommands;
    const std::pair<QToolButton *, Glyph> buttons[] = {
        {modes.mainModeButton, Glyph::Main},
        {modes.placeNumberButton, Glyph::Number},
        {modes.placeTextButton, Glyph::Text},
        {modes.placePictureButton, Glyph::Picture},
        {modes.linkModeButton, Glyph::Link},
        {modes.unlinkModeButton, Glyph::Unlink},
        {view.alignLeftButton, Glyph::AlignLeft},
        {view.alignHCenterButton, Glyph::AlignHCenter},
        {view.alignRightButton, Glyph::AlignRight},
        {view.alignTopButton, Glyph::AlignTop},
        {view.alignVCenterButton, Glyph::AlignVCenter},
        {view.alignBottomButton, Glyph::AlignBottom},
    };
    for (const auto &[button, glyph] : buttons)
        button->setIcon(toolGlyph(glyph, palette()));
}

void MainWindow::connectDocument()
{
    DocumentEditor &editor = m_context.editor;
    connect(&editor, &DocumentEditor::changed, this, &MainWindow::documentChanged);
    connect(&editor, &DocumentEditor::modifiedChanged, this, &MainWindow::updateMenuState);
    connect(m_documentCommands, &DocumentCommands::documentShown, this, &MainWindow::documentShown);
    connect(m_documentCommands, &DocumentCommands::documentClosing, m_objectProperties,
            &QWidget::close);
    connect(m_documentCommands, &DocumentCommands::documentClosed, this, [this] {
        m_viewCommands->showDocumentValues();
        // A closed document is no longer drawn.
        renderScreen();
    });
    const PageTool *tool = m_documentWindow->pageTool;
    // Asked after the press: the file dialog does not run inside it.
    connect(tool, &PageTool::pictureRequested, m_pictureCommands, &PictureCommands::placeAt,
            Qt::QueuedConnection);
    connect(tool, &PageTool::pressed, this, [this] { m_objectProperties->colorChanged = false; });
    connect(tool, &PageTool::pressHandled, m_objectProperties, &ObjectPropertiesWindow::fillDialog);
    connect(m_objectPropertiesAction, &QAction::triggered, this, [this] {
        // The item has already changed its tick; closing the window removes it.
        if (m_objectPropertiesAction->isChecked())
            showObjectProperties();
        else
            m_objectProperties->close();
    });
}

void MainWindow::setHooks(ShellHooks hooks)
{
    m_hooks = std::move(hooks);
    m_printCommands->setModalRunner(m_hooks.runModal);
}

void MainWindow::start()
{
    setEnabled(true);
    // Fill the work area even where no window manager maximises the window.
    setGeometry(screen()->availableGeometry());
    showMaximized();
    m_printCommands->takePrintersPaper();
    m_context.view.vScrollPos = 0;
    m_viewCommands->showLinksAction->setChecked(m_context.prefs.showLinks != 0);
    if (m_context.session.docOpen) {
        m_documentWindow->updateLayout();
        // No system menu and no minimise, maximise or close box.
        m_documentSubWindow = m_mdiArea->addSubWindow(
            m_documentWindow, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        m_documentSubWindow->installEventFilter(this);
        m_documentSubWindow->showMaximized();
        showObjectProperties();
    }
    // Over the program, which is usable at once.
    m_helpCommands->showSplash();
}

void MainWindow::openDocument(const QString &path)
{
    m_documentCommands->openFile(path);
}

void MainWindow::updateMenuState()
{
    // The document window's title joins this window's, where its [*] shows
    // this window's modified state.
    setWindowModified(m_context.session.docModified);
    m_documentCommands->updateEnabled();
    m_editCommands->updateEnabled();
    m_viewCommands->updateEnabled();
    m_addonCommands->updateEnabled();
}

void MainWindow::documentChanged()
{
    m_documentWindow->updateLayout();
    m_viewCommands->showDocumentValues();
    updateMenuState();
    renderScreen();
}

void MainWindow::documentShown()
{
    if (m_documentSubWindow) {
        m_documentSubWindow->show();
        m_mdiArea->setActiveSubWindow(m_documentSubWindow);
    }
    showObjectProperties();
    m_viewCommands->showDocumentValues();
    updateMenuState();
    renderScreen();
}

void MainWindow::renderScreen()
{
    const RenderReport report =
        renderPage(m_context.editor.document(), m_documentWindow->boxes(), m_context.render,
                   screenRenderContext(m_context.session, m_context.prefs.showLinks, m_context.view,
                                       m_documentSubWindow ? m_documentWindow : nullptr));
    // A number without a width shows nothing; the beep says something is amiss.
    if (report.emptyNumbers > 0)
        m_context.feedback.sound();
    m_refusalLabel->setText(report.refusal);
}

void MainWindow::showObjectProperties()
{
    if (!m_objectPropertiesPlaced && !m_places.restore(*m_objectProperties)) {
        // Beside the page, at the window's top right, the first time it opens.
        const QRect frame = geometry();
        m_objectProperties->adjustSize();
        m_objectProperties->move(frame.right() - m_objectProperties->width() - 24,
                                 frame.top() + 80);
    }
    m_objectPropertiesPlaced = true;
    m_objectProperties->show();
    m_objectPropertiesAction->setChecked(true);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_objectProperties && event->type() == QEvent::Hide && !event->spontaneous())
        m_objectPropertiesAction->setChecked(false);
    if (watched == m_documentSubWindow && event->type() == QEvent::Close) {
        // The one document window lives as long as the main window.
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        renderScreen();
    else if (event->type() == QEvent::FontChange && m_viewCommands)
        m_viewCommands->fitToFont();
    else if (event->type() == QEvent::PaletteChange && m_modeCommands)
        paintGlyphs();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_documentCommands->closeForQuit()) {
        event->ignore();
        return;
    }
    m_places.keep(*m_objectProperties);
    QMainWindow::closeEvent(event);
}
