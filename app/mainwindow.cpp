#include "mainwindow.h"

#include "commands/addoncommands.h"
#include "commands/datasourcecommands.h"
#include "commands/documentcommands.h"
#include "commands/editcommands.h"
#include "commands/helpcommands.h"
#include "commands/modecommands.h"
#include "commands/picturecommands.h"
#include "commands/printcommands.h"
#include "commands/sheetcommands.h"
#include "commands/viewcommands.h"
#include "commands/windowcommands.h"
#include "desktopbrowser.h"
#include "dialogs/aboutdialog.h"
#include "documentwindow.h"
#include "properties/objectpropertieswindow.h"
#include "screenrender.h"

#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <map>
#include <optional>

namespace {

// The menus, in the order of the menu bar; a title's '&' marks the letter
// that opens it. A menu under another stands first in it, as one group.
struct MenuTitle
{
    Menu menu;
    const char *name;
    const char *title;
    std::optional<Menu> under;
};

const MenuTitle menuTitles[] = {
    {Menu::File, "fileMenu", "&File", {}},
    {Menu::Edit, "editMenu", "&Edit", {}},
    {Menu::Tools, "toolsMenu", "&Tools", {}},
    {Menu::View, "viewMenu", "&View", {}},
    {Menu::Arrange, "arrangeMenu", "&Arrange", Menu::View},
    {Menu::Zoom, "zoomMenu", "&Zoom", Menu::View},
    {Menu::Addons, "addonsMenu", "&Add-ons", {}},
    {Menu::Windows, "windowsMenu", "&Windows", {}},
    {Menu::Help, "helpMenu", "&Help", {}},
};

// Rows in the order of their groups and places, whoever declared them.
template <typename Row> void sortRows(QList<Row> &rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
        return std::pair{a.group, a.place} < std::pair{b.group, b.place};
    });
}

} // namespace

MainWindow::MainWindow(const AppContext &context, QWidget *parent)
    : QMainWindow(parent), m_context(context)
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
    m_documentWindow = new DocumentWindow(m_context.editorContext());
    m_documentWindow->setHooks({[this] {
        renderScreen();
    }});
    buildCommands();
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

void MainWindow::buildCommands()
{
    const auto redraw = [this] {
        renderScreen();
    };
    m_documentCommands = new DocumentCommands(m_context, *m_documentWindow, this);
    m_documentCommands->startUntitled(
        loadStartupPreferences(m_context.prefs, preferencesPath(), m_context.feedback));
    PageTool &tool = *m_documentWindow->pageTool;
    m_windowCommands = new WindowCommands(m_context.editor, tool, this);
    m_modeCommands = new ModeCommands(m_context.session, redraw, this);
    m_viewCommands = new ViewCommands(m_context, *m_documentWindow, redraw, this);
    PrintFrameHooks printHooks;
    printHooks.redraw = redraw;
    printHooks.documentWindowHeight = [this] {
        return m_documentWindow->shownHeight();
    };
    m_printCommands = new PrintCommands(m_context.editor, m_context.session, m_context.render,
                                        m_context.view, m_context.feedback, printHooks, this);
    m_helpCommands = new HelpCommands(m_context.feedback, m_hooks, this);
    m_commands = {m_documentCommands,
                  new EditCommands(m_context, tool, m_hooks, this),
                  m_modeCommands,
                  m_viewCommands,
                  m_printCommands,
                  new SheetCommands(m_context, m_hooks, this),
                  new DataSourceCommands(m_context, m_hooks, this),
                  new PictureCommands(m_context, tool, this),
                  new AddonCommands(m_context, *m_printCommands, m_hooks, this),
                  m_windowCommands,
                  m_helpCommands};
}

void MainWindow::buildMenus()
{
    std::map<Menu, QMenu *> menus;
    std::map<Menu, QList<MenuRow>> items;
    for (const MenuTitle &title : menuTitles) {
        QMenu *menu = title.under ? new QMenu(QString::fromLatin1(title.title), menus[*title.under])
                                  : menuBar()->addMenu(QString::fromLatin1(title.title));
        menu->setObjectName(QLatin1String(title.name));
        menu->menuAction()->setObjectName(QLatin1String(title.name));
        menus[title.menu] = menu;
        if (title.under)
            items[*title.under].append({*title.under, 0, int(title.menu), menu->menuAction()});
    }
    for (const Commands *commands : std::as_const(m_commands))
        for (const MenuRow &row : commands->rows().menus)
            items[row.menu].append(row);
    for (auto &[menu, rows] : items) {
        sortRows(rows);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (i > 0 && rows[i].group != rows[i - 1].group)
                menus[menu]->addSeparator();
            menus[menu]->addAction(rows[i].item);
        }
    }

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

    QList<ToolBarRow> controls;
    for (const Commands *commands : std::as_const(m_commands))
        controls += commands->rows().toolBar;
    sortRows(controls);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        if (i == 0 || controls[i].group != controls[i - 1].group)
            bar->addSeparator();
        bar->addWidget(controls[i].control);
    }
    m_viewCommands->setFocusAfterPages(m_modeCommands->modeLabel);
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
    for (const Commands *commands : std::as_const(m_commands))
        for (const auto &[button, glyph] : commands->rows().glyphs)
            button->setIcon(toolGlyph(glyph, palette()));
}

void MainWindow::connectDocument()
{
    DocumentEditor &editor = m_context.editor;
    connect(&editor, &DocumentEditor::changed, this, &MainWindow::documentChanged);
    connect(&editor, &DocumentEditor::modifiedChanged, this, &MainWindow::updateMenuState);
    connect(m_documentCommands, &DocumentCommands::documentShown, this, &MainWindow::documentShown);
    connect(m_documentCommands, &DocumentCommands::documentShown, m_printCommands,
            &PrintCommands::documentShown);
    connect(m_documentCommands, &DocumentCommands::documentClosing,
            m_windowCommands->objectProperties(), &QWidget::close);
    connect(m_documentCommands, &DocumentCommands::documentClosed, this, [this] {
        m_viewCommands->showDocumentValues();
        // A closed document is no longer drawn.
        renderScreen();
    });
}

ObjectPropertiesWindow *MainWindow::objectProperties() const
{
    return m_windowCommands->objectProperties();
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
        m_windowCommands->showObjectProperties();
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
    for (Commands *commands : std::as_const(m_commands))
        commands->updateEnabled();
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
    // Each document opens on its front.
    m_context.view.side = Side::Front;
    m_documentWindow->updateLayout();
    if (m_documentSubWindow) {
        m_documentSubWindow->show();
        m_mdiArea->setActiveSubWindow(m_documentSubWindow);
    }
    m_windowCommands->showObjectProperties();
    m_viewCommands->showDocumentValues();
    updateMenuState();
    renderScreen();
}

void MainWindow::renderScreen()
{
    const RenderReport report =
        renderPage(m_context.editor.document(), m_documentWindow->boxes(), m_context.render,
                   screenRenderContext(m_context.editor.document(), m_context.session,
                                       m_context.prefs.showLinks, m_context.view,
                                       m_documentSubWindow ? m_documentWindow : nullptr));
    // A number without a width shows nothing; the beep says something is amiss.
    if (report.emptyNumbers > 0)
        m_context.feedback.sound();
    m_refusalLabel->setText(report.refusal);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
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
    else if (event->type() == QEvent::PaletteChange)
        paintGlyphs();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_documentCommands->closeForQuit()) {
        event->ignore();
        return;
    }
    m_windowCommands->keepPlaces();
    QMainWindow::closeEvent(event);
}
