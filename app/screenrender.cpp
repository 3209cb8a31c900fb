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
        context.windowRect = documentWindow->frameBounds();
        context.devicePixelRatio = documentWindow->devicePixelRatioF();
        context.present = [documentWindow](const QImage &image) {
            documentWindow->present(image);
        };
    }
    return context;
}
