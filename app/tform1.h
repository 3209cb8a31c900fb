#pragma once

#include "shellstate.h"

#include <QMainWindow>

class PageSpinBox;
class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMenu;
class QToolBar;
class QToolButton;

// The main frame: the menu, the tool bar and the area that hosts the
// document window. Its controls keep their design names as object names.
class TForm1 : public QMainWindow
{
    Q_OBJECT

public:
    // Runs the creation handling: preferences, object table, an empty document.
    explicit TForm1(QWidget *parent = nullptr);

    // Enables Create Matrix, Duplicate, Save and Close from the document state.
    void updateMenuState();

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

private:
    void FormCreate();
    void createMenu();
    void createToolBar();
    QToolButton *addModeButton(const QString &name, const QString &caption, const QString &hint);
    QToolButton *addAlignButton(const QString &name, const QString &hint);
    void setEditMode(EditMode editMode, const QString &status);
    void renderScreen();
};
