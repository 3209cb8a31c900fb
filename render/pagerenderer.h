#pragma once

#include "documentstate.h"
#include "renderstate.h"

#include <QRect>

#include <functional>

class QPainter;

// The side of the placeholder frame a picture object shows on screen, and of its box.
inline constexpr std::int32_t pictureSize = 32;

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
// Printer mode: draws the objects only onto `canvas` at scale printerResolution div 72,
// with the page origin at the painter's origin.
void renderPage(DocumentState &doc, RenderState &state, const RenderContext &context,
                QPainter *canvas, bool toPrinter);
// The grey desk over the whole device and the white, black-framed page sheet.
void drawPageSheet(QPainter &painter, const RenderState &state, std::int32_t scrollOffset);
// Link overlay: a red marker and a line from each member's box to the next one's.
void drawLinks(QPainter &painter, const DocumentState &doc);
// A black frame on the box of every selected object.
void drawSelection(QPainter &painter, const DocumentState &doc);
// Forms every number at its start value and recomputes every object's box in
// window pixels for the given scroll offset.
void layoutPass(DocumentState &doc, std::int32_t scrollOffset);
// printerResolution div 72, at least 1.
std::int32_t printerScale(std::int32_t printerResolution);
