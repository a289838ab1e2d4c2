#pragma once
// Reads a GIF87a or GIF89a file into a new animation: the global colour table becomes the
// palette, every image of non-zero size becomes one cel holding the whole picture at that
// frame, and the delays, disposal methods, transparency, loop count and comments become
// the cel and window settings that the writer stores back.
//
// A damaged file opens with every image that decoded (a cut-short image with the rows it
// has); only a file with no decodable image, a picture without pixels or one too large to
// hold fails, with a reason. The reader shows nothing: the caller turns the reason into
// its message. The result owns the palette and the sprite, which refers to the palette.
// User-interface thread only (it builds bitmaps).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Limits.h"
#include "imaging/Palette.h"
#include "model/Spritez.h"

struct TGifReadLimits {
    // The most that the cels (and the picture they are composed in) may take together; a
    // file needing more is refused rather than allowed to exhaust memory.
    std::size_t MaxPictureBytes = MaxAnimationBytes;
};

struct TGifReadResult {
    // Declared before the sprite, which refers to it and so must go first.
    std::unique_ptr<TPxPalette> Palette;
    std::unique_ptr<TSprite> Sprite;

    // The window settings the file carries.
    bool BackgroundTransparent = false;
    std::uint16_t LoopCount = 0;
    std::vector<std::string> Comments;
    int DefaultDelay = 50;

    // Why the file could not be opened; empty when it opened.
    std::string Error;
    // What was wrong with a file that opened all the same (each fault once, in file
    // order); empty for a sound file.
    std::vector<std::string> Faults;

    bool Opened() const { return Sprite != nullptr; }
};

TGifReadResult ReadGif(const std::uint8_t* Data, std::size_t Size,
                       const TGifReadLimits& Limits = {});
TGifReadResult ReadGifFile(const std::string& FileName, const TGifReadLimits& Limits = {});

// Comment text as lines: CR LF, a lone CR and a lone LF each end a line; a line end at the
// very end of the text does not start another line.
std::vector<std::string> SplitCommentLines(const std::string& Text);
