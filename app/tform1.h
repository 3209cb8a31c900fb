#pragma once

#include "appcontext.h"
#include "mainframeui.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class AddonCommands;
class DocumentCommands;
class EditCommands;
class FileDialogs;
class HelpWindow;
class ModeCommands;
class PrintCommands;
class QColorDialog;
class QDialog;
class QMdiSubWindow;
class QUrl;
class TForm10;
class TForm11;
class TForm2;
class TForm3;
class TForm4;
class TForm6;
class TForm7;
class TForm8;
class TForm9;
class ViewCommands;
struct DocumentWindowHooks;

// How the main frame shows its modal windows and opens the read-me; tests
// put recorders in their place.
struct ShellHooks
{
    std::function<void(QDialog &)> runModal;
    std::function<bool(const QUrl &)> openUrl;
};

// The main frame: the menu, the tool bar and the area that hosts the
// document window. Its commands live in rooms by job; each handler here
// forwards to its room. Controls keep their design names as object names.
class TForm1 : public QMainWindow, public MainFrameUi
{
    Q_OBJECT

public:
    // Runs the creation handling: preferences, object table, an empty document.
    // The frame stays disabled until FormShow.
    explicit TForm1(const AppContext &context, QWidget *parent = nullptr);
    ~TForm1() override;

    // Creates the other windows in start-up order, owned by the frame.
    void createWindows();
    // The first show: the About box as a splash, the printable area, the
    // document window and the Object Properties window.
    void FormShow();

    void setHooks(ShellHooks hooks);
    void runModal(QDialog &dialog);

    // Enables Create Matrix, Duplicate, Save and Close from the document state.
    void updateMenuState();
    // The document changed: its layout, the commands and the page follow it.
    void documentChanged();
    // A screen render of the page shown into the document window.
    void renderScreen();

    // Opens the document named on the command line, as File > Open would.
    void openDocument(const QString &path);
    void showDocumentWindow();
    void showObjectProperties();
    // The Pages and Page boxes show the values of the document in hand.
    void showDocumentValues();

    TForm2 *Form2 = nullptr;
    TForm10 *Form10 = nullptr;
    TForm11 *Form11 = nullptr;
    TForm3 *Form3 = nullptr;
    TForm4 *Form4 = nullptr;
    TForm7 *Form7 = nullptr;
    TForm8 *Form8 = nullptr;
    TForm9 *Form9 = nullptr;
    // The one document window, created by FormShow and never destroyed before the frame.
    TForm6 *Form6 = nullptr;
    FileDialogs *fileDialogs = nullptr;
    // Shows the read-me where the desktop has no browser for it.
    HelpWindow *helpWindow = nullptr;
    // The one printer and the commands that print on it.
    PrintCommands *printCommands = nullptr;
    QColorDialog *ColorDialog1 = nullptr;

public Q_SLOTS:
    void Quit1Click();  // New
    void Close1Click(); // Open
    void Close2Click(); // Close
    void Save1Click();
    void SaveAs1Click();
    void PageSetup1Click();
    void PrinterCalibration1Click();
    void Print1Click();
    void PrintPreview1Click();
    void Quit2Click(); // Quit
    void Undo1Click();
    void Redo1Click();
    void ClearClick();
    void SelectAll1Click();
    void DuplicateClick();
    void Preferences1Click();
    void BFClick();
    void SBClick();
    void BTFClick();
    void STBClick();
    void ShowLinks1Click();
    void CreateMatrix1Click();
    void ContinueNumbering1Click();
    void PrintLog1Click();
    void ObjectProperties1Click();
    void Help2Click();
    void AboutPaginette1Click();
    void pagesKeyDown();
    void pageChange(int value);
    void pageKeyDown();

    // The align buttons of the tool bar.
    void leftClick();
    void hCenterClick();
    void rightClick();
    void topClick();
    void vCenterClick();
    void bottomClick();

    void mainClick();
    void numberClick();
    void textClick();
    void linkClick();
    void unlinkClick();
    void Main1Click();
    void PlaceNumber1Click();
    void PlaceText1Click();
    void PlacePicture1Click();
    void LinkMode1Click();
    void UnlinkMode1Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // FormActivate: redraws the page whenever the frame becomes active. A
    // new font resizes the tool bar's boxes, a new palette redraws its pictures.
    void changeEvent(QEvent *event) override;
    // The close box makes the same offer to save as File > Quit.
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();
    void connectCommands();
    void createDocumentWindow();

    AppContext m_context;
    ShellHooks m_hooks;
    std::unique_ptr<DocumentCommands> m_documentCommands;
    std::unique_ptr<ModeCommands> m_modeCommands;
    std::unique_ptr<EditCommands> m_editCommands;
    std::unique_ptr<ViewCommands> m_viewCommands;
    std::unique_ptr<AddonCommands> m_addonCommands;
    QMdiSubWindow *m_documentSubWindow = nullptr;
    bool m_objectPropertiesPlaced = false;
};
