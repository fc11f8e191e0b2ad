#pragma once

#include "model/canvasspec.h"
#include "model/rendersettings.h"

namespace orvo {

// The ranges of the look's pixel measures: the window's controls show no other value, and a
// stored one is brought into them when it is read.
inline constexpr int kMaxMargin = 150; // on the standard-definition canvases
inline constexpr int kMaxOutlineSpacing = 5;
inline constexpr int kMinOutlineWidth = 1;
inline constexpr int kMaxOutlineWidth = 4;
inline constexpr int kMaxShadowOffset = 4;

// The margins' range on canvas: the standard-definition range in its lines, so that every
// margin of a standard-definition look has its match on an HD canvas.
int MaxMargin(const CanvasSpec& canvas);

// The look made on the canvas from as it draws the same picture on to, and naming to as its
// canvas. The font's height (its sign kept), the margins, the outline's width and letter
// spacing and the shadow's offset are scaled by the ratio of the lines the canvases measure
// text in, rounded to the nearest pixel (halves away from zero) and brought into their ranges
// on to. PAL and NTSC measure in the same lines: between them nothing is scaled.
RenderSettings LookOnCanvas(const RenderSettings& look, const CanvasSpec& from,
                            const CanvasSpec& to);

} // namespace orvo
