#pragma once

#include "commands/appcontext.h"

#include <QList>
#include <QMainWindow>

class Commands;
class DocumentCommands;
class DocumentWindow;
class HelpCommands;
class ModeCommands;
class ObjectPropertiesWindow;
class PrintCommands;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class ViewCommands;
class WindowCommands;

// The main window: the menus and the tool bar, laid out from the rows that
// the command classes declare, and the area that hosts the one document
// window. It follows the document and keeps the windows beside it in step;
// the commands themselves are the command classes'.
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
    ObjectPropertiesWindow *objectProperties() const;
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
    void buildCommands();
    void buildMenus();
    void buildToolBar();
    void paintGlyphs();
    void connectDocument();
    // The document changed: its layout, the commands and the page follow it.
    void documentChanged();
    // A document is shown afresh: window in front, Object Properties open,
    // the boxes and commands following it.
    void documentShown();

    AppContext m_context;
    ShellHooks m_hooks;
    QMdiArea *m_mdiArea = nullptr;
    // The one document window, hosted from start() and never destroyed
    // before the main window.
    DocumentWindow *m_documentWindow = nullptr;
    QMdiSubWindow *m_documentSubWindow = nullptr;
    QLabel *m_refusalLabel = nullptr;
    // Every command class, a child of the window; those the frame itself
    // calls on are named too.
    QList<Commands *> m_commands;
    DocumentCommands *m_documentCommands = nullptr;
    ModeCommands *m_modeCommands = nullptr;
    ViewCommands *m_viewCommands = nullptr;
    PrintCommands *m_printCommands = nullptr;
    HelpCommands *m_helpCommands = nullptr;
    WindowCommands *m_windowCommands = nullptr;
};
