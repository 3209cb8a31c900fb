#pragma once

#include "appcontext.h"
#include "windowplaces.h"

#include <QMainWindow>

class AddonCommands;
class SheetCommands;
class DocumentCommands;
class DocumentWindow;
class EditCommands;
class HelpCommands;
class ModeCommands;
class ObjectPropertiesWindow;
class PictureCommands;
class PrintCommands;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class ViewCommands;

// The main window: the menus and the tool bar, laid out from the items and
// controls of the command classes that own them, and the area that hosts
// the one document window. It follows the document and keeps the windows
// beside it in step; the commands themselves are the command classes'.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Reads the preferences and opens an empty document; the window stays
    // disabled until start().
    explicit MainWindow(const AppContext &context, QWidget *parent = nullptr);
    ~MainWindow() override;

    // How modal windows are shown and the read-me opened; tests record them.
    void setHooks(ShellHooks hooks);
    // The first show: the About box as a splash, the printable area, the
    // document window and the Object Properties window.
    void start();
    // Opens the document named on the command line, as File > Open would.
    void openDocument(const QString &path);

    DocumentWindow *documentWindow() const { return m_documentWindow; }
    ObjectPropertiesWindow *objectProperties() const { return m_objectProperties; }
    QMdiArea *mdiArea() const { return m_mdiArea; }

    // Every item and control follows the document and its selection.
    void updateMenuState();
    // A screen render of the page shown into the document window.
    void renderScreen();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Redraws the page whenever the window becomes active. A new font
    // resizes the tool bar's boxes, a new palette redraws its pictures.
    void changeEvent(QEvent *event) override;
    // The close box makes the same offer to save as File > Quit.
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    void buildToolBar();
    void paintGlyphs();
    void connectDocument();
    // The document changed: its layout, the commands and the page follow it.
    void documentChanged();
    // A document is shown afresh: window in front, Object Properties open,
    // the boxes and commands following it.
    void documentShown();
    void showObjectProperties();

    AppContext m_context;
    ShellHooks m_hooks;
    WindowPlaces m_places;
    QMdiArea *m_mdiArea = nullptr;
    // The one document window, hosted from start() and never destroyed
    // before the main window.
    DocumentWindow *m_documentWindow = nullptr;
    QMdiSubWindow *m_documentSubWindow = nullptr;
    ObjectPropertiesWindow *m_objectProperties = nullptr;
    bool m_objectPropertiesPlaced = false;
    QAction *m_objectPropertiesAction = nullptr;
    QAction *m_untitledAction = nullptr;
    QLabel *m_refusalLabel = nullptr;
    // Children of the window, as the items and controls they own.
    DocumentCommands *m_documentCommands = nullptr;
    EditCommands *m_editCommands = nullptr;
    ModeCommands *m_modeCommands = nullptr;
    ViewCommands *m_viewCommands = nullptr;
    PrintCommands *m_printCommands = nullptr;
    AddonCommands *m_addonCommands = nullptr;
    SheetCommands *m_sheetCommands = nullptr;
    HelpCommands *m_helpCommands = nullptr;
    PictureCommands *m_pictureCommands = nullptr;
};
