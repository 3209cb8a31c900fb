#pragma once

#include "pageobject.h"
#include "rendercache.h"

#include <QImage>
#include <QPoint>
#include <QRectF>

#include <cstdint>

// Shift of the page origin in the document window, in pixels.
inline constexpr std::int32_t pageWindowOffset = 40;

// Values the renderer keeps for the whole run.
struct RenderState
{
    std::int32_t printerResolution = 360;
    Bounds32 pageExtent; // printable area in printer dots
    QRectF paper;        // the printer's paper, page units from the printable area's corner
    QPoint windowOffset{pageWindowOffset, pageWindowOffset}; // page origin in the document window
    QImage backBuffer;                                       // surface of every screen render
    Bounds32 windowBounds; // document window bounds, recorded by each screen render
    RenderCache cache;     // of the screen's renders and layouts
};
