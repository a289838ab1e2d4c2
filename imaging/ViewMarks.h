#pragma once
// What the painter's previews have drawn over its zoomed view since the view last showed
// only the cel: for every view row the columns touched, so that the next preview puts back
// just those pixels instead of the whole view (at zoom 10 a 640 x 480 cel is 30 MB of
// view). Owns its row table; refers to nothing. User-interface thread only.
#include <vector>

#include "imaging/Color.h"

class TPxBitmap;

class TViewMarks {
public:
    // Forgets every mark and takes the size of the view the marks are made on.
    void Reset(int ViewWidth, int ViewHeight);
    // Forgets every mark.
    void Clear();
    // Marks the view rectangle Area (right and bottom exclusive), clipped to the view.
    void Add(const TRect& Area);
    bool Empty() const { return Top >= Bottom; }
    // The smallest view rectangle holding every mark (empty when there is none).
    TRect Bounds() const;
    // Writes the cel's pixels, enlarged by Zoom, back over every marked view pixel, then
    // forgets the marks; returns the bounds they had, for the repaint.
    TRect Restore(const TPxBitmap& Cel, TPxBitmap& View, int Zoom);

private:
    int Width = 0;
    int Height = 0;
    // Per view row, the first and last marked column; First > Last for an unmarked row.
    std::vector<int> First;
    std::vector<int> Last;
    int Top = 0;
    int Bottom = 0;
    int Left = 0;
    int Right = 0;
};
