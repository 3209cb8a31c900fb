#pragma once

#include "documentstate.h"
#include "renderstate.h"

#include <QRect>

#include <functional>

class QPainter;

// What a render needs to know of the shell and the document window.
struct RenderContext
{
    bool docOpen = true;
    bool showLinkOverlay = false;  // a link mode is on or Show Links is ticked
    std::int32_t scrollOffset = 0; // vScrollPos * vScrollStep
    QRect windowRect;              // document window bounds in the main frame's client area
    std::function<void(const QImage &)> present; // copies backBuffer to the window
};

// Screen mode (toPrinter false): draws into backBuffer and presents it.
// Printer mode: draws the objects only onto `canvas` at scale printerResolution div 72.
void renderPage(DocumentState &doc, RenderState &state, const RenderContext &context,
                QPainter *canvas, bool toPrinter);
void drawPageSheet(QPainter &painter, const RenderState &state, std::int32_t scrollOffset);
void drawLinks(QPainter &painter, const DocumentState &doc);
void drawSelection(QPainter &painter, const DocumentState &doc);
void layoutPass(DocumentState &doc, std::int32_t scrollOffset);
// printerResolution div 72, at least 1.
std::int32_t printerScale(std::int32_t printerResolution);
