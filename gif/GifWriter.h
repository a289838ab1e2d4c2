#pragma once
// Writes an animation as a GIF89a file: one global colour table made of the palette's 236
// user colours, the comments, a NETSCAPE looping extension, and for every cel a graphic
// control extension and the smallest rectangle that differs from the cel before it,
// compressed by the LZW encoder.
//
// The writer only reads the sprite, the palette and the settings it is given; it shows
// nothing and reads no settings of its own. A failure comes back as a reason for the
// caller to turn into a message. User-interface thread only (it reads cel bitmaps).
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/Color.h"
#include "imaging/Palette.h"
#include "imaging/SpriteSheet.h"

class TSprite;

// The document settings that the file carries besides the cels.
struct TGifWriteSettings {
    // The background colour is marked transparent in every frame.
    bool BackgroundTransparent = false;
    // How often a viewer repeats the animation; 0 means for ever.
    std::uint16_t LoopCount = 0;
    // Text lines, stored as one comment with a CR LF after each line.
    std::vector<std::string> Comments;
    // Every pixel is written as a Scale x Scale block: 1 for the document itself, more for
    // a larger copy to show elsewhere (1 to MaxExportScale).
    int Scale = 1;
};

// Told (0, cel count) before the first cel and (n, cel count) after the n-th cel is written.
using GifWriteProgress = std::function<void(int Position, int Maximum)>;

struct TGifWriteResult {
    bool Ok = false;
    // Why the file could not be written, for the user; empty on success.
    std::string Reason;

    explicit operator bool() const { return Ok; }
};

// The rectangle, inclusive on all sides, that the file stores for cel CelIndex. It is the
// whole cel for the first cel, for a cel that clears to the background afterwards
// (disposal 2), and for a cel after one that clears or restores the picture before it
// (disposal 2 or 3), since a viewer then no longer shows that cel to draw over. Otherwise
// it is the bounding box of the pixels whose colour differs from the previous cel, or the
// top-left 2 x 2 pixels (cut to the sprite) when none does, so that the frame still carries
// its delay.
TRect GetChangedRect(const TSprite& Sprite, int CelIndex);

// The colour number (0..235) of the user colour nearest to the sprite's background colour:
// the screen's background colour and the transparent colour of every frame.
std::uint8_t GifBackgroundIndex(const TSprite& Sprite, const TPxPalette& Palette);

// The colour number (0..235) each pixel index is written as. A pixel can hold a system entry
// (the canvas stores one whenever it matches the drawing colour best, as pure black does);
// files have no such colour, so it gets the user colour that looks nearest to it.
std::array<std::uint8_t, 256> GifColorNumbers(const TPxPalette& Palette);

// The whole GIF stream, handed to Sink piece by piece. Sink may throw to abandon the
// writing; the exception reaches the caller. Throws std::length_error for a sprite that a
// GIF cannot describe (wider or higher than 65535 pixels at the scale asked) and
// std::invalid_argument for a scale outside 1 to MaxExportScale. A scaled copy is made one
// frame at a time: the rectangle that changed, scaled, is all it holds at once.
void WriteGif(const ByteSink& Sink, const TSprite& Sprite, const TPxPalette& Palette,
              const TGifWriteSettings& Settings, const GifWriteProgress& Progress = {});

// Saves the animation as FileName. The file is written under a temporary name in the same
// folder and takes FileName's place only once it is complete, so a failed save leaves any
// previous file as it was and no partial file behind.
TGifWriteResult SaveGifFile(const std::string& FileName, const TSprite& Sprite,
                            const TPxPalette& Palette, const TGifWriteSettings& Settings,
                            const GifWriteProgress& Progress = {});
