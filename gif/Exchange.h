#pragma once
// Files made from an animation for other programs: a cel as an indexed PNG, every cel in a
// sprite sheet PNG with its JSON data beside it, and the colours an animation uses. Scaled
// GIF copies are the GIF writer's own (TGifWriteSettings::Scale).
//
// Every PNG holds the animation's 236 user colours as its palette, in order, so a pixel's
// value is its colour number, as in the GIF files; the background's entry is fully
// transparent when the background is. These functions only read the sprite and palette;
// like the GIF writer they show nothing and return a reason on failure. User-interface
// thread only (they read cel bitmaps).
#include <string>
#include <vector>

#include "gif/GifWriter.h"
#include "imaging/Color.h"
#include "imaging/SpriteSheet.h"

class TSprite;
class TPxPalette;

// Ok, or why the file could not be written, for the user.
using ExportResult = TGifWriteResult;

// Cel CelIndex as a PNG, every pixel a Scale x Scale block. Throws std::invalid_argument for
// a scale outside 1 to MaxExportScale; Sink may throw to abandon it.
void WriteCelPng(const ByteSink& Sink, const TSprite& Sprite, int CelIndex,
                 const TPxPalette& Palette, bool BackgroundTransparent, int Scale);
ExportResult SaveCelPng(const std::string& FileName, const TSprite& Sprite, int CelIndex,
                        const TPxPalette& Palette, bool BackgroundTransparent, int Scale);

// The sheet of every cel laid out by Layout (see PlanSheet); the spacing and any place
// without a cel take the background colour.
void WriteSheetPng(const ByteSink& Sink, const TSprite& Sprite, const TPxPalette& Palette,
                   bool BackgroundTransparent, const TSheetLayout& Layout);

// Writes the sheet as PngFile and, unless DataFile is empty, its data file naming PngFile's
// base name as its image. Settings give the transparency and the loop count. A sheet that
// cannot be laid out (options out of range, larger than a PNG can be) writes nothing.
ExportResult SaveSpriteSheet(const std::string& PngFile, const std::string& DataFile,
                             const TSprite& Sprite, const TPxPalette& Palette,
                             const TGifWriteSettings& Settings, const TSheetOptions& Options);

// The colours the cels show, the most used first (ties to the lower palette index), at most
// Limit: the palette made from an animation.
std::vector<TRgbColor> MostUsedColors(const TSprite& Sprite, std::size_t Limit);
