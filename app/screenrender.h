#pragma once

#include "pagerenderer.h"

struct Session;
struct ViewState;
class DocumentWindow;

// The render context of a screen render, taken from the session: nothing
// is drawn while no document is open, links show in the link modes or when
// Show Links is ticked (any value but 0, like the tick), and the page lands
// in the document window when there is one.
// The window draws the side of `doc` it shows.
RenderContext screenRenderContext(const Document &doc, const Session &session,
                                  std::int32_t showLinks, const ViewState &view,
                                  DocumentWindow *documentWindow);
