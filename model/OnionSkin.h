#pragma once
// The onion skin of the painter: the cels around the current one, shown under it so that
// an animator sees where the drawing was and where it goes. It is a view only: the layer
// is made from the cels and read when the view reaches the screen; nothing of it is ever
// written into a cel, a file or the undo history.
//
// Nothing is blended: a shown pixel is always exactly a palette entry. A cel's pixels that
// differ from the background are tinted (the colour half-way to the tint of their side,
// further for cels further away, then the nearest user colour of the palette) and show
// through a checkerboard of view pixels, only where the current cel shows the background.
// Owns its layer; refers to nothing. Plain C++; user-interface thread only.
#include <cstdint>
#include <vector>

#include "imaging/Color.h"

class TSprite;
class TPxPalette;

// One cel the onion skin shows: its index, whether it comes after the current cel in
// playback order, and how many cels away it is (1 to 3).
struct TOnionCel {
    int Index = 0;
    bool After = false;
    int Distance = 1;
};

// The cels shown around cel Current of Count cels, Before of them before it and After of
// them after it (each 0 to 3), the nearest first and the earlier before the later at the
// same distance. Playback loops, so the order wraps around at both ends; the current cel
// and cels already listed are left out.
std::vector<TOnionCel> OnionCels(int Current, int Count, int Before, int After);

// Where the tints lead: before to red, after to blue.
constexpr TRgbColor OnionBeforeTint{255, 0, 0};
constexpr TRgbColor OnionAfterTint{0, 0, 255};

class TOnionLayer {
public:
    // Builds the layer of the cels around Sprite's cel Current; an empty layer when no
    // other cel shows anything.
    void Build(const TSprite& Sprite, int Current, int Before, int After);
    void Clear();
    bool Empty() const { return Shown == 0; }
    int Width() const { return LayerWidth; }
    int Height() const { return LayerHeight; }
    // The palette index the layer shows at cel pixel (X, Y), or 0 where it shows nothing
    // (index 0 is a system colour, never a user colour that the layer shows).
    std::uint8_t At(int X, int Y) const {
        return Pixels[std::size_t(Y) * std::size_t(LayerWidth) + std::size_t(X)];
    }
    // The background's palette index in the cels the layer was built from.
    std::uint8_t BackgroundIndex() const { return Background; }

    // Lays the layer under view row Row of a view at Zoom: Row holds view pixels X0 to X1 - 1
    // (Row[0] is pixel X0) of view row Y; each of them that shows the background and lies on
    // a dark square of the view's checkerboard takes the layer's pixel of its cel pixel,
    // where the layer shows one.
    void ComposeRow(std::uint8_t* Row, int X0, int X1, int Y, int Zoom) const;

private:
    int LayerWidth = 0;
    int LayerHeight = 0;
    std::uint8_t Background = 0;
    std::size_t Shown = 0;
    std::vector<std::uint8_t> Pixels;
};

// The palette index a pixel of colour Index takes in the onion skin: its colour moved
// towards Tint by Distance (1: half-way, 2: two thirds, 3: three quarters), then the
// nearest user colour of Palette.
std::uint8_t OnionTint(const TPxPalette& Palette, int Index, TRgbColor Tint, int Distance);
