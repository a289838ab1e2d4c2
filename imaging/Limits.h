#pragma once
// The largest sizes the editor takes from a user or a file. Each is checked before anything
// is allocated, so that an absurd size gets a message naming the limit instead of exhausting
// memory. The limits sit far above real sprite work (a 640 x 480 animation of hundreds of
// cels at zoom 10), so a user never meets them by accident. Plain constants, any thread.
#include <cstdint>

// Every cel of an animation together; also what an opened GIF file may take.
constexpr std::uint64_t MaxAnimationBytes = std::uint64_t(1) << 30;

// A picture brought in from outside (BMP, JPEG, clipboard, a picture cut into a grid):
// each side at most MaxPictureSide pixels and at most MaxPicturePixels pixels in all,
// checked against the file's header before its pixels are decoded.
constexpr int MaxPictureSide = 32768;
constexpr std::uint64_t MaxPicturePixels = std::uint64_t(8192) * 8192;
