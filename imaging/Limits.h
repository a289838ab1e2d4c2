#pragma once
// The largest sizes the editor takes from a user or a file. Each is checked before anything
// is allocated, so that an absurd size gets a message naming the limit instead of exhausting
// memory. The limits sit far above real sprite work (a 640 x 480 animation of hundreds of
// cels at zoom 10), so a user never meets them by accident. Plain constants, any thread.
#include <cstdint>

// Every cel of an animation together; also what an opened GIF file may take.
constexpr std::uint64_t MaxAnimationBytes = std::uint64_t(1) << 30;

// What Count cels of Width x Height take, each row padded to 4 bytes.
constexpr std::uint64_t AnimationBytes(int Width, int Height, std::uint64_t Count) {
    return Width <= 0 || Height <= 0
               ? 0
               : ((std::uint64_t(Width) + 3) & ~std::uint64_t(3)) * std::uint64_t(Height) * Count;
}

// The painter's zoomed view of a cel (one byte a pixel): at zooms above 1 at most this many
// pixels, over four times the 640 x 480 cel at zoom 10 of everyday work. A larger zoom is
// refused; a painter shown on larger cels takes the largest zoom that fits. At zoom 1 the
// view is as large as one cel, whatever its size.
constexpr std::uint64_t MaxViewPixels = 128'000'000;

// A text brush: the rendered line of text at most this many pixels wide and high, checked
// against the measured text before anything is rendered.
constexpr int MaxTextBrushSide = 4096;

// A picture brought in from outside (BMP, JPEG, clipboard, a picture cut into a grid):
// each side at most MaxPictureSide pixels and at most MaxPicturePixels pixels in all,
// checked against the file's header before its pixels are decoded.
constexpr int MaxPictureSide = 32768;
constexpr std::uint64_t MaxPicturePixels = std::uint64_t(8192) * 8192;
