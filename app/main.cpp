#include "desktopfeedback.h"
#include "documenteditor.h"
#include "preferences.h"
#include "renderstate.h"
#include "shellstate.h"
#include "tform1.h"
#include "viewstate.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Paginette"));
    ErrorDisplay errorDisplay;
    app.installEventFilter(&errorDisplay);

    ShellState shell;
    RenderState render;
    ViewState view;
    prefStruct prefs{};
    DocumentEditor editor(shell);
    TForm1 frame(AppContext{editor, shell, render, view, prefs, desktopFeedback()});
    frame.createWindows();
    frame.FormShow();
    QApplication::exec();
    return 0;
}
