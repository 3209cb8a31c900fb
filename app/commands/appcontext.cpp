#include "commands/appcontext.h"

#include "sheetdatabase.h"

#include <QGuiApplication>

AppContext AppState::context(const Feedback &feedback)
{
    return AppContext{editor,
                      session,
                      render,
                      view,
                      prefs,
                      feedback,
                      QGuiApplication::clipboard(),
                      installedSheetFolder};
}
