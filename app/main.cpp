#include "appservices.h"
#include "tform1.h"
#include "viewstate.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Paginette"));
    installServices(theViewState());
    TForm1 frame(AppContext{theDocument(), theShellState(), theRenderState(), theViewState(),
                            thePreferences()});
    frame.createWindows();
    frame.FormShow();
    QApplication::exec();
    return 0;
}
