#pragma once

#include "arrange.h"
#include "commands/appcontext.h"
#include "commands/commands.h"

#include <QObject>

#include <functional>

class DocumentWindow;
class PageSpinBox;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

// The Pages and Page boxes, the zoom box, Show Links, the align buttons and
// the Arrange items.
class ViewCommands : public Commands
{
    Q_OBJECT

public:
    // `redraw` renders the page shown, which `window` shows at its zoom;
    // `parent`, the main window, carries the items and the tool-bar controls.
    ViewCommands(const AppContext &context, DocumentWindow &window, std::function<void()> redraw,
                 QWidget *parent);

    CommandRows rows() const override;

    QAction *bringForwardAction = nullptr;
    QAction *sendBackwardAction = nullptr;
    QAction *bringToFrontAction = nullptr;
    QAction *sendToBackAction = nullptr;
    // View > Zoom: steps through the zoom box's factors, 100 %, the page
    // whole in the window, and each factor.
    QAction *zoomInAction = nullptr;
    QAction *zoomOutAction = nullptr;
    QAction *actualSizeAction = nullptr;
    QAction *fitPageAction = nullptr;
    QAction *zoom25Action = nullptr;
    QAction *zoom50Action = nullptr;
    QAction *zoom100Action = nullptr;
    QAction *zoom200Action = nullptr;
    QAction *showLinksAction = nullptr;
    // View > Back: the back of a two-sided document shown, or its front.
    QAction *backAction = nullptr;

    QLabel *pagesLabel = nullptr;
    QLineEdit *pagesEdit = nullptr;
    QLabel *pageLabel = nullptr;
    PageSpinBox *pageSpinBox = nullptr;
    QComboBox *sideCombo = nullptr; // Front or Back, beside the Page box
    QComboBox *zoomCombo = nullptr; // shows the zoom; a factor chosen or typed is taken
    QToolButton *alignLeftButton = nullptr;
    QToolButton *alignHCenterButton = nullptr;
    QToolButton *alignRightButton = nullptr;
    QToolButton *alignTopButton = nullptr;
    QToolButton *alignVCenterButton = nullptr;
    QToolButton *alignBottomButton = nullptr;

    // The boxes show the values of the document in hand.
    void showDocumentValues();
    // What the Pages box shows is what the next command uses: taken over
    // when it loses the focus and before every command.
    void takePagesBox();
    // Takes the Pages box over before `command` runs from its shortcut,
    // which leaves the box the focus.
    void watchCommand(QAction *command);
    // The align buttons need two selected objects, the Arrange items one;
    // the side choices, a two-sided document; zooming, an open document.
    void updateEnabled() override;
    // Shows the page at `zoom`, held to minZoom..maxZoom, and says so in the zoom box.
    void zoomTo(double zoom);
    // Shows `side` of the document; what was selected on the other side is
    // no longer.
    void showSide(Side side);
    // Sizes the Pages and Page boxes and their labels for their font, so that
    // five digits and the labels' colons show whole.
    void fitToFont();
    // Where the keyboard focus goes once Enter has taken the Pages box over.
    void setFocusAfterPages(QWidget *widget) { m_focusAfterPages = widget; }

protected:
    // Enter in the Pages box takes its number over; in the Page box, it sets
    // the page shown without a redraw. A watched command's shortcut takes
    // the Pages box over before the command runs.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Takes the Pages box's number over; false when it is no number.
    bool applyPages();
    // A value of the Page box: the page shown, no further than the run.
    void pageChanged(int value);
    // Lines up the selected objects by `rule`, as the step `label`.
    void align(AlignRule rule, const QString &label);
    // Moves the one selected object in the drawing order, as the step `label`.
    void arrange(DrawOrderMove move, const QString &label);
    // The zoom box's text taken as a percentage; what is no number shows the zoom again.
    void takeZoomText();
    void showZoom();

    AppContext m_context;
    DocumentWindow &m_window;
    std::function<void()> m_redraw;
    QWidget *m_focusAfterPages = nullptr;
};
