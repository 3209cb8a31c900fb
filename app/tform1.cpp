#include "tform1.h"

#include "addoncommands.h"
#include "documentcommands.h"
#include "documentfile.h"
#include "editcommands.h"
#include "filedialogs.h"
#include "helpwindow.h"
#include "messagedialog.h"
#include "modecommands.h"
#include "pagespinbox.h"
#include "pagetool.h"
#include "printcommands.h"
#include "screenrender.h"
#include "textdrawing.h"
#include "tform10.h"
#include "tform11.h"
#include "tform2.h"
#include "tform3.h"
#include "tform4.h"
#include "tform6.h"
#include "tform7.h"
#include "tform8.h"
#include "tform9.h"
#include "viewcommands.h"

#include <QAction>
#include <QCloseEvent>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QToolButton>
#include <QUndoStack>
#include <QUrl>

#include <algorithm>

namespace {

const QString readMePath = QStringLiteral("paginette_readme/pgt_readme.htm");

bool isEnterKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Where the read-me may be: the current folder, beside the program, then
// the data folder of the installed program, wherever its prefix is.
QStringList readMeLocations()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    return {QDir::current().absoluteFilePath(readMePath),
            programDir + QLatin1Char('/') + readMePath,
            programDir + QStringLiteral("/../share/paginette/") + readMePath};
}

} // namespace

TForm1::TForm1(const AppContext &context, QWidget *parent)
    : QMainWindow(parent), m_context(context),
      m_documentCommands(std::make_unique<DocumentCommands>(*this, context)),
      m_modeCommands(std::make_unique<ModeCommands>(*this, *this, context.shell)),
      m_editCommands(std::make_unique<EditCommands>(*this, context)),
      m_viewCommands(std::make_unique<ViewCommands>(*this, *this, context)),
      m_addonCommands(std::make_unique<AddonCommands>(*this, context))
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Paginette"));
    buildMainFrameUi(*this, *this);
    fileDialogs = new FileDialogs(this);
    PrintFrameHooks printHooks;
    printHooks.redraw = [this] {
        renderScreen();
    };
    printHooks.documentWindowHeight = [this] {
        return Form6 ? Form6->height() : 0;
    };
    printCommands = new PrintCommands(context.editor, context.shell, context.render, context.view,
                                      context.feedback, printHooks, this);
    m_hooks.runModal = [](QDialog &dialog) {
        dialog.exec();
    };
    m_hooks.openUrl = [](const QUrl &url) {
        return QDesktopServices::openUrl(url);
    };
    connectCommands();
    // Created disabled: the first show enables it after the splash.
    setEnabled(false);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::connectCommands()
{
    // Connected first, so that every command reads what the Pages box shows.
    for (QAction *action : findChildren<QAction *>())
        connect(action, &QAction::triggered, this, [this] { m_viewCommands->takePagesBox(); });
    connect(Quit1, &QAction::triggered, this, &TForm1::Quit1Click);
    connect(Close1, &QAction::triggered, this, &TForm1::Close1Click);
    connect(Close2, &QAction::triggered, this, &TForm1::Close2Click);
    connect(Save1, &QAction::triggered, this, &TForm1::Save1Click);
    connect(SaveAs1, &QAction::triggered, this, &TForm1::SaveAs1Click);
    connect(PageSetup1, &QAction::triggered, this, &TForm1::PageSetup1Click);
    connect(PrinterCalibration1, &QAction::triggered, this, &TForm1::PrinterCalibration1Click);
    connect(Print1, &QAction::triggered, this, &TForm1::Print1Click);
    connect(PrintPreview1, &QAction::triggered, this, &TForm1::PrintPreview1Click);
    connect(Quit2, &QAction::triggered, this, &TForm1::Quit2Click);
    connect(Undo1, &QAction::triggered, this, &TForm1::Undo1Click);
    connect(Redo1, &QAction::triggered, this, &TForm1::Redo1Click);
    connect(Clear, &QAction::triggered, this, &TForm1::ClearClick);
    connect(SelectAll1, &QAction::triggered, this, &TForm1::SelectAll1Click);
    connect(Duplicate, &QAction::triggered, this, &TForm1::DuplicateClick);
    connect(Preferences1, &QAction::triggered, this, &TForm1::Preferences1Click);
    connect(Main1, &QAction::triggered, this, &TForm1::Main1Click);
    connect(PlaceNumber1, &QAction::triggered, this, &TForm1::PlaceNumber1Click);
    connect(PlaceText1, &QAction::triggered, this, &TForm1::PlaceText1Click);
    connect(PlacePicture1, &QAction::triggered, this, &TForm1::PlacePicture1Click);
    connect(LinkMode1, &QAction::triggered, this, &TForm1::LinkMode1Click);
    connect(UnlinkMode1, &QAction::triggered, this, &TForm1::UnlinkMode1Click);
    connect(ShowLinks1, &QAction::triggered, this, &TForm1::ShowLinks1Click);
    connect(CreateMatrix1, &QAction::triggered, this, &TForm1::CreateMatrix1Click);
    connect(ContinueNumbering1, &QAction::triggered, this, &TForm1::ContinueNumbering1Click);
    connect(PrintLog1, &QAction::triggered, this, &TForm1::PrintLog1Click);
    connect(ObjectProperties1, &QAction::triggered, this, &TForm1::ObjectProperties1Click);
    connect(Help2, &QAction::triggered, this, &TForm1::Help2Click);
    connect(AboutPaginette1, &QAction::triggered, this, &TForm1::AboutPaginette1Click);

    connect(BF, &QAction::triggered, this, &TForm1::BFClick);
    connect(SB, &QAction::triggered, this, &TForm1::SBClick);
    connect(BTF, &QAction::triggered, this, &TForm1::BTFClick);
    connect(STB, &QAction::triggered, this, &TForm1::STBClick);
    connect(left, &QToolButton::clicked, this, &TForm1::leftClick);
    connect(hCenter, &QToolButton::clicked, this, &TForm1::hCenterClick);
    connect(right, &QToolButton::clicked, this, &TForm1::rightClick);
    connect(top, &QToolButton::clicked, this, &TForm1::topClick);
    connect(vCenter, &QToolButton::clicked, this, &TForm1::vCenterClick);
    connect(bottom, &QToolButton::clicked, this, &TForm1::bottomClick);

    connect(main, &QToolButton::clicked, this, &TForm1::mainClick);
    connect(number, &QToolButton::clicked, this, &TForm1::numberClick);
    connect(text, &QToolButton::clicked, this, &TForm1::textClick);
    connect(link, &QToolButton::clicked, this, &TForm1::linkClick);
    connect(unlink, &QToolButton::clicked, this, &TForm1::unlinkClick);

    DocumentEditor &editor = m_context.editor;
    connect(&editor, &DocumentEditor::changed, this, &TForm1::documentChanged);
    connect(&editor, &DocumentEditor::modifiedChanged, this, &TForm1::updateMenuState);
    // The items name the step they take back or make again.
    const QUndoStack &stack = editor.undoStack();
    connect(&stack, &QUndoStack::canUndoChanged, Undo1, &QAction::setEnabled);
    connect(&stack, &QUndoStack::canRedoChanged, Redo1, &QAction::setEnabled);
    connect(&stack, &QUndoStack::undoTextChanged, this, [this](const QString &step) {
        Undo1->setText(step.isEmpty() ? QStringLiteral("&Undo") : QStringLiteral("&Undo ") + step);
    });
    connect(&stack, &QUndoStack::redoTextChanged, this, [this](const QString &step) {
        Redo1->setText(step.isEmpty() ? QStringLiteral("&Redo") : QStringLiteral("&Redo ") + step);
    });

    pages->installEventFilter(this);
    page->installEventFilter(this);
    connect(page, &QSpinBox::valueChanged, this, &TForm1::pageChange);
}

void TForm1::setHooks(ShellHooks hooks)
{
    m_hooks = std::move(hooks);
}

void TForm1::runModal(QDialog &dialog)
{
    m_hooks.runModal(dialog);
}

void TForm1::createWindows()
{
    Form2 = new TForm2(m_context.editor, this);
    Form2->installEventFilter(this);
    ColorDialog1 = new QColorDialog(this);
    ColorDialog1->setObjectName(QStringLiteral("ColorDialog1"));
    Form2->setColorChooser([this](std::int32_t current) -> std::optional<std::int32_t> {
        ColorDialog1->setCurrentColor(colorFromBgr(current));
        if (ColorDialog1->exec() != QDialog::Accepted)
            return std::nullopt;
        const QColor chosen = ColorDialog1->selectedColor();
        return chosen.red() | chosen.green() << 8 | chosen.blue() << 16;
    });
    Form10 = new TForm10(m_context.editorContext(), this);
    Form11 = new TForm11(m_context.prefs, m_context.editor.document().capacity, m_context.feedback,
                         this);
    Form3 = new TForm3(this);
    setMessageDialog(Form3);
    Form4 = new TForm4(printCommands->calibrations(), m_context.feedback, this);
    Form4->setTestPagePrinter(
        [this](const Calibration &calibration) { printCommands->printTestPage(calibration); });
    Form7 = new TForm7(this);
    Form8 = new TForm8(this);
    Form9 = new TForm9(this);
    helpWindow = new HelpWindow(this);
}

void TForm1::FormShow()
{
    runModal(*Form7);
    setEnabled(true);
    // Fill the work area even where no window manager maximises the frame.
    setGeometry(screen()->availableGeometry());
    showMaximized();
    m_context.render.pageExtent = printCommands->printableExtent();
    m_context.view.vScrollPos = 0;
    if (m_context.shell.docOpen == 1) {
        createDocumentWindow();
        showObjectProperties();
    }
    ShowLinks1->setChecked(m_context.prefs.showLinks != 0);
}

void TForm1::createDocumentWindow()
{
    Form6 = new TForm6(m_context.editorContext());
    DocumentWindowHooks hooks;
    hooks.render = [this] {
        renderScreen();
    };
    Form6->setHooks(hooks);
    Form6->updateLayout();
    PageTool *tool = Form6->pageTool;
    connect(tool, &PageTool::pressed, this, [this] { Form2->colorChanged = 0; });
    connect(tool, &PageTool::pressHandled, Form2, &TForm2::fillDialog);
    // No system menu and no minimise, maximise or close box.
    m_documentSubWindow =
        mdiArea->addSubWindow(Form6, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_documentSubWindow->installEventFilter(this);
    m_documentSubWindow->showMaximized();
}

void TForm1::FormCreate()
{
    // The document window gives it its size when it is shown.
    m_context.render.backBuffer = QImage(QSize(1, 1), QImage::Format_RGB32);
    const int capacity =
        loadStartupPreferences(m_context.prefs, preferencesPath(), m_context.feedback);
    m_context.editor.replace(emptyDocument(capacity));
    main->setChecked(true);
    ShellState &shell = m_context.shell;
    shell.docOpen = 1;
    shell.docNamed = 0;
    shell.docModified = 0;
    updateMenuState();
}

void TForm1::updateMenuState()
{
    m_viewCommands->updateMenuState();
}

void TForm1::documentChanged()
{
    if (Form6)
        Form6->updateLayout();
    m_viewCommands->updateAlignButtons();
    m_viewCommands->updateArrangeItems();
    showDocumentValues();
    updateMenuState();
    renderScreen();
}

void TForm1::renderScreen()
{
    const QList<Bounds32> noBoxes;
    const RenderReport report = renderPage(
        m_context.editor.document(), Form6 ? Form6->boxes() : noBoxes, m_context.render,
        screenRenderContext(m_context.shell, m_context.prefs.showLinks, m_context.view, Form6));
    // A number without a width shows nothing; the beep says something is amiss.
    if (report.emptyNumbers > 0)
        m_context.feedback.sound();
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

void TForm1::showDocumentValues()
{
    m_viewCommands->showDocumentValues();
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pages && isEnterKey(event)) {
        pagesKeyDown();
        return true;
    }
    if (watched == pages && event->type() == QEvent::FocusOut)
        m_viewCommands->takePagesBox();
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
    else if (event->type() == QEvent::FontChange)
        fitToolBarToFont(*this);
    else if (event->type() == QEvent::PaletteChange)
        paintToolGlyphs(*this, palette());
}

void TForm1::closeEvent(QCloseEvent *event)
{
    if (!m_documentCommands->closeForQuit()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TForm1::Quit1Click()
{
    m_documentCommands->newDocument();
}

void TForm1::Close1Click()
{
    m_documentCommands->open();
}

void TForm1::openDocument(const QString &path)
{
    m_documentCommands->openFile(path);
}

void TForm1::Close2Click()
{
    m_documentCommands->close();
}

void TForm1::Save1Click()
{
    m_documentCommands->save();
}

void TForm1::SaveAs1Click()
{
    m_documentCommands->saveAs();
}

void TForm1::PageSetup1Click()
{
    printCommands->PageSetup1Click();
}

void TForm1::PrinterCalibration1Click()
{
    Form4->edit(printCommands->calibrationName());
    runModal(*Form4);
}

void TForm1::Print1Click()
{
    printCommands->Print1Click();
}

void TForm1::PrintPreview1Click()
{
    printCommands->PrintPreview1Click();
}

void TForm1::Quit2Click()
{
    m_documentCommands->quit();
}

void TForm1::Undo1Click()
{
    m_editCommands->undo();
}

void TForm1::Redo1Click()
{
    m_editCommands->redo();
}

void TForm1::ClearClick()
{
    m_editCommands->clear();
}

void TForm1::SelectAll1Click()
{
    m_editCommands->selectAll();
}

void TForm1::DuplicateClick()
{
    m_editCommands->duplicate();
}

void TForm1::Preferences1Click()
{
    m_editCommands->preferences();
}

void TForm1::ShowLinks1Click()
{
    m_viewCommands->showLinks();
}

void TForm1::BFClick()
{
    m_viewCommands->arrange(DrawOrderMove::BringForward, QStringLiteral("Bring Forward"));
}

void TForm1::SBClick()
{
    m_viewCommands->arrange(DrawOrderMove::SendBackward, QStringLiteral("Send Backward"));
}

void TForm1::BTFClick()
{
    m_viewCommands->arrange(DrawOrderMove::BringToFront, QStringLiteral("Bring To Front"));
}

void TForm1::STBClick()
{
    m_viewCommands->arrange(DrawOrderMove::SendToBack, QStringLiteral("Send To Back"));
}

void TForm1::leftClick()
{
    m_viewCommands->align(AlignRule::Left, QStringLiteral("Align Left"));
}

void TForm1::hCenterClick()
{
    m_viewCommands->align(AlignRule::HCenter, QStringLiteral("Align Centers"));
}

void TForm1::rightClick()
{
    m_viewCommands->align(AlignRule::Right, QStringLiteral("Align Right"));
}

void TForm1::topClick()
{
    m_viewCommands->align(AlignRule::Top, QStringLiteral("Align Top"));
}

void TForm1::vCenterClick()
{
    m_viewCommands->align(AlignRule::VCenter, QStringLiteral("Align Middles"));
}

void TForm1::bottomClick()
{
    m_viewCommands->align(AlignRule::Bottom, QStringLiteral("Align Bottom"));
}

void TForm1::CreateMatrix1Click()
{
    // A matrix grows from exactly one selected object.
    if (selectedCount(m_context.editor.document()) == 1) {
        runModal(*Form10);
        updateMenuState();
    }
}

void TForm1::ContinueNumbering1Click()
{
    m_addonCommands->continueNumbering();
}

void TForm1::PrintLog1Click()
{
    m_addonCommands->showPrintLog();
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
    const QStringList locations = readMeLocations();
    const auto found =
        std::find_if(locations.begin(), locations.end(),
                     [](const QString &location) { return QFileInfo(location).isFile(); });
    if (found == locations.end()) {
        m_context.feedback.tell(QStringLiteral("Can't find Read Me files"), QString());
        return;
    }
    // The desktop's browser shows it; where it has none, a window of our own.
    const QUrl readMe = QUrl::fromLocalFile(*found);
    if (!m_hooks.openUrl(readMe))
        helpWindow->showPage(readMe);
}

void TForm1::AboutPaginette1Click()
{
    runModal(*Form7);
}

void TForm1::pagesKeyDown()
{
    m_viewCommands->pagesKeyDown();
}

void TForm1::pageChange(int value)
{
    m_viewCommands->pageChange(value);
}

void TForm1::pageKeyDown()
{
    m_viewCommands->pageKeyDown();
}

void TForm1::mainClick()
{
    m_modeCommands->chooseFromButton(ModeMain);
}

void TForm1::numberClick()
{
    m_modeCommands->chooseFromButton(ModePlaceNumber);
}

void TForm1::textClick()
{
    m_modeCommands->chooseFromButton(ModePlaceText);
}

void TForm1::linkClick()
{
    m_modeCommands->chooseFromButton(ModeLink);
}

void TForm1::unlinkClick()
{
    m_modeCommands->chooseFromButton(ModeUnlink);
}

void TForm1::Main1Click()
{
    m_modeCommands->chooseFromMenu(ModeMain);
}

void TForm1::PlaceNumber1Click()
{
    m_modeCommands->chooseFromMenu(ModePlaceNumber);
}

void TForm1::PlaceText1Click()
{
    m_modeCommands->chooseFromMenu(ModePlaceText);
}

void TForm1::PlacePicture1Click()
{
    m_modeCommands->chooseFromMenu(ModePlacePicture);
}

void TForm1::LinkMode1Click()
{
    m_modeCommands->chooseFromMenu(ModeLink);
}

void TForm1::UnlinkMode1Click()
{
    m_modeCommands->chooseFromMenu(ModeUnlink);
}
