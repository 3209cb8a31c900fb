#pragma once

#include "appcontext.h"
#include "arrange.h"

struct MainFrameUi;
class TForm1;

// The Pages and Page boxes, Show Links, the align buttons and the Arrange
// items, and the enabled states of the commands that follow the document and
// its selection.
class ViewCommands
{
public:
    ViewCommands(TForm1 &frame, MainFrameUi &ui, const AppContext &context);

    // Enter in the Pages box takes its number over.
    void pagesKeyDown();
    // What the Pages box shows is what the next command uses: taken over
    // when it loses the focus and before every command.
    void takePagesBox();
    void pageChange(int value);
    // Enter in the Page box.
    void pageKeyDown();
    void showLinks();
    // Lines up the selected objects by `rule`, as the step `label`.
    void align(AlignRule rule, const QString &label);
    // Moves the one selected object in the drawing order, as the step `label`.
    void arrange(DrawOrderMove move, const QString &label);

    // The boxes show the values of the document in hand.
    void showDocumentValues();

    // Create Matrix, Duplicate, Save and Close from the document state.
    void updateMenuState();
    // The align buttons need two selected objects, the Arrange items one.
    void updateAlignButtons();
    void updateArrangeItems();

private:
    // Takes the Pages box's number over; false when it is no number.
    bool applyPages();

    TForm1 &m_frame;
    MainFrameUi &m_ui;
    AppContext m_context;
};
