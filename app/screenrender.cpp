#include "screenrender.h"

#include "documentwindow.h"
#include "session.h"
#include "viewstate.h"

RenderContext screenRenderContext(const Document &doc, const Session &session,
                                  std::int32_t showLinks, const ViewState &view,
                                  DocumentWindow *documentWindow)
{
    RenderContext context;
    context.side = shownSide(doc, view);
    context.docOpen = session.docOpen;
    context.showLinkOverlay =
        session.editMode == ModeLink || session.editMode == ModeUnlink || showLinks != 0;
    context.scrollOffset = view.scrollOffset();
    if (documentWindow) {
        // Drawn at one pixel per page unit, then scaled by the zoom: zoomed
        // in, at the pixels the window shows it with.
        context.windowRect = documentWindow->renderBounds();
        context.devicePixelRatio = documentWindow->devicePixelRatioF() * view.zoom;
        context.present = [documentWindow](const QImage &image) {
            documentWindow->present(image);
        };
    }
    return context;
}
