#pragma once

#include "shellstate.h"

#include <QMainWindow>

#include <functional>

class FileDialogs;
class PageSpinBox;
class QAction;
class QButtonGroup;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QToolButton;
class QUrl;
class TForm10;
class TForm11;
class TForm2;
class TForm3;
class TForm6;
class TForm7;
struct DocumentWindowHooks;

// How the main frame shows its modal windows and opens the read-me; tests
// put recorders in their place.
struct ShellHooks
{
    std::function<void(QDialog &)> runModal;
    std::function<bool(const QUrl &)> openUrl;
};

// The main frame: the menu, the tool bar and the area that hosts the
// document window. Its controls keep their design names as object names.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    // Runs the creation handling: preferences, object table, an empty document.
    // The frame stays disabled until FormShow.
    explicit TForm1(QWidget *parent = nullptr);

    // Creates the other windows in start-up order, owned by the frame.
    void createWindows();
    // The first show: the About box as a splash, the printable area, the
    // document window and the Object Properties window.
    void FormShow();

    void setHooks(ShellHooks hooks);

    // Enables Create Matrix, Duplicate, Save and Close from the document state.
    void updateMenuState();
    // A screen render of the page shown into the document window.
    void renderScreen();

    TForm2 *Form2 = nullptr;
    TForm10 *Form10 = nullptr;
    TForm11 *Form11 = nullptr;
    TForm3 *Form3 = nullptr;
    TForm7 *Form7 = nullptr;
    // The one document window, created by FormShow and never destroyed before the frame.
    TForm6 *Form6 = nullptr;
    FileDialogs *fileDialogs = nullptr;

    // File
    QAction *Quit1 = nullptr;  // New
    QAction *Close1 = nullptr; // Open
    QAction *Close2 = nullptr; // Close
    QAction *Save1 = nullptr;
    QAction *SaveAs1 = nullptr;
    QAction *PageSetup1 = nullptr;
    QAction *Print1 = nullptr;
    QAction *Quit2 = nullptr; // Quit
    // Edit
    QAction *Undo1 = nullptr;
    QAction *Cut1 = nullptr;
    QAction *Copy1 = nullptr;
    QAction *Paste1 = nullptr;
    QAction *Clear = nullptr;
    QAction *SelectAll1 = nullptr;
    QAction *Duplicate = nullptr;
    QAction *Preferences1 = nullptr;
    // Tools
    QAction *Main1 = nullptr;
    QAction *PlaceNumber1 = nullptr;
    QAction *PlaceText1 = nullptr;
    QAction *PlacePicture1 = nullptr;
    QAction *LinkMode1 = nullptr;
    QAction *UnlinkMode1 = nullptr;
    // View
    QMenu *Arrange2 = nullptr;
    QAction *BF = nullptr;
    QAction *SB = nullptr;
    QAction *BTF = nullptr;
    QAction *STB = nullptr;
    QMenu *Zoom1 = nullptr;
    QAction *N251 = nullptr;
    QAction *N501 = nullptr;
    QAction *N1001 = nullptr;
    QAction *N2001 = nullptr;
    QAction *ShowLinks1 = nullptr;
    // Add-ons
    QAction *CreateMatrix1 = nullptr;
    QAction *ExporttoDB1 = nullptr;
    // Windows
    QAction *ObjectProperties1 = nullptr;
    QAction *Untitled1 = nullptr;
    // Help
    QAction *Help2 = nullptr;
    QAction *AboutPaginette1 = nullptr;

    // Tool bar
    QToolBar *ToolBar1 = nullptr;
    QToolButton *main = nullptr;
    QToolButton *number = nullptr;
    QToolButton *text = nullptr;
    QToolButton *pict = nullptr;
    QToolButton *link = nullptr;
    QToolButton *unlink = nullptr;
    QButtonGroup *modeGroup = nullptr;
    QLabel *Label1 = nullptr; // "Pages:"
    QLineEdit *pages = nullptr;
    QLabel *Label2 = nullptr; // "Page:"
    PageSpinBox *page = nullptr;
    QComboBox *zoom = nullptr;
    QToolButton *left = nullptr;
    QToolButton *hCenter = nullptr;
    QToolButton *right = nullptr;
    QToolButton *top = nullptr;
    QToolButton *vCenter = nullptr;
    QToolButton *bottom = nullptr;
    QLabel *mode = nullptr;

    QMdiArea *mdiArea = nullptr;

public Q_SLOTS:
    void Quit1Click();  // New
    void Close1Click(); // Open
    void Close2Click(); // Close
    void Save1Click();
    void SaveAs1Click();
    void Quit2Click(); // Quit
    void Preferences1Click();
    void ShowLinks1Click();
    void CreateMatrix1Click();
    void ObjectProperties1Click();
    void Help2Click();
    void AboutPaginette1Click();
    // Enter in the Pages box takes its number over.
    void pagesKeyDown();
    void pageChange(int value);
    // Enter in the Page box.
    void pageKeyDown();

    // Mode buttons: set the mode and redraw, so the link overlay follows at once.
    void mainClick();
    void numberClick();
    void textClick();
    void linkClick();
    void unlinkClick();
    // Tools items: put the matching button down and set the mode, without a redraw.
    void Main1Click();
    void PlaceNumber1Click();
    void PlaceText1Click();
    void PlacePicture1Click();
    void LinkMode1Click();
    void UnlinkMode1Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // FormActivate: redraws the page whenever the frame becomes active.
    void changeEvent(QEvent *event) override;
    // The close box makes the same offer to save as File > Quit.
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void createDocumentWindow();
    DocumentWindowHooks documentWindowHooks();
    void showDocumentWindow();
    void showObjectProperties();
    void showDocumentValues();
    // The offer to save of an open document; false when the user kept it.
    bool closeDocument();
    // Offers to save a modified document, then marks the document closed.
    // Returns false, changing nothing, when the user chose to save but
    // cancelled the save dialog or the save failed.
    bool maybeSave();
    void setCaption(const QString &caption);
    void createMenu();
    void createToolBar();
    QToolButton *addModeButton(const QString &name, const QString &caption, const QString &hint);
    QToolButton *addAlignButton(const QString &name, const QString &hint);
    void setEditMode(EditMode editMode, const QString &status);

    ShellHooks m_hooks;
    QMdiSubWindow *m_documentSubWindow = nullptr;
    bool m_objectPropertiesPlaced = false;
};
