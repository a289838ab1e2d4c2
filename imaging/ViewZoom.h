#pragma once
// The painter's enlarged view of a cel: each cel pixel becomes a Zoom x Zoom block of the
// same palette index (pixel replication, never blending), so the view can be refreshed
// one changed rectangle at a time. Plain C++; user-interface thread only.
#include "imaging/Color.h"

class TPxBitmap;

// Writes the cel pixels of Area (right and bottom exclusive, clipped to Cel) enlarged by
// Zoom into View, where cel pixel (x, y) covers view pixels x * Zoom .. x * Zoom + Zoom - 1
// (the same for y). Index-exact; view pixels beyond View's edges are dropped.
void ZoomCelArea(const TPxBitmap& Cel, TPxBitmap& View, int Zoom, TRect Area);
// The whole cel.
void ZoomCel(const TPxBitmap& Cel, TPxBitmap& View, int Zoom);

// The cel rectangle (right and bottom exclusive) whose view blocks cover the view
// rectangle ViewArea, clipped to a cel of CelWidth x CelHeight.
TRect CelAreaOfView(const TRect& ViewArea, int Zoom, int CelWidth, int CelHeight);
