#pragma once

class PageSpinBox;
class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMdiArea;
class QMenu;
class QPalette;
class QToolBar;
class QToolButton;

// The main frame's menu items and tool-bar controls under their design
// names, which are also their object names.
struct MainFrameUi
{
    // File
    QAction *Quit1 = nullptr;  // New
    QAction *Close1 = nullptr; // Open
    QAction *Close2 = nullptr; // Close
    QAction *Save1 = nullptr;
    QAction *SaveAs1 = nullptr;
    QAction *PageSetup1 = nullptr;
    QAction *PrinterCalibration1 = nullptr;
    QAction *Print1 = nullptr;
    QAction *PrintPreview1 = nullptr;
    QAction *Quit2 = nullptr; // Quit
    // Edit
    QAction *Undo1 = nullptr;
    QAction *Redo1 = nullptr;
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
    QAction *ContinueNumbering1 = nullptr;
    QAction *PrintLog1 = nullptr;
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
};

// Builds the menu bar, the tool bar and the area that hosts the document
// window into `frame`. Nothing is connected here.
void buildMainFrameUi(QMainWindow &frame, MainFrameUi &ui);

// Sizes the Pages and Page boxes and their labels for their font, so that
// five digits and the labels' colons show whole.
void fitToolBarToFont(MainFrameUi &ui);

// Draws the tool bar's pictures in the colours of `palette`.
void paintToolGlyphs(MainFrameUi &ui, const QPalette &palette);
