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

// The largest zoom up to Wanted (at least 1) whose view of a cel of CelWidth x CelHeight
// stays within MaxViewPixels; zoom 1 always fits.
int FittingZoom(int CelWidth, int CelHeight, int Wanted);

// Stamps a brush into the view at Zoom without enlarging it first: every pixel of Stamp but
// its transparent index (when it has one) becomes a Zoom x Zoom block, Stamp's pixel (0, 0)
// the block at view point (Left, Top). Only the part inside View is written or costs
// anything, however large the stamp. Index-exact. Returns the view rectangle the enlarged
// stamp covers, clipped to View.
TRect StampZoomed(const TPxBitmap& Stamp, TPxBitmap& View, int Zoom, int Left, int Top);

// The cel rectangle (right and bottom exclusive) whose view blocks cover the view
// rectangle ViewArea, clipped to a cel of CelWidth x CelHeight.
TRect CelAreaOfView(const TRect& ViewArea, int Zoom, int CelWidth, int CelHeight);
