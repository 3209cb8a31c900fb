#include "screenrender.h"

#include "shellstate.h"
#include "tform6.h"
#include "viewstate.h"

RenderContext screenRenderContext(const ShellState &shell, std::int32_t showLinks,
                                  const ViewState &view, TForm6 *documentWindow)
{
    RenderContext context;
    context.docOpen = shell.docOpen != 0;
    context.showLinkOverlay =
        shell.editMode == ModeLink || shell.editMode == ModeUnlink || showLinks != 0;
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
