#include "application.h"
#include "tform1.h"

#include <exception>

int main(int argc, char **argv)
{
    Application app(argc, argv);
    try {
        installServices();
        TForm1 frame;
        frame.createWindows();
        frame.FormShow();
        app.exec();
    } catch (const std::exception &error) {
        app.showError(QString::fromLocal8Bit(error.what()));
    }
    return 0;
}
