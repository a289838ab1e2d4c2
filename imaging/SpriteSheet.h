#pragma once
// Sprite sheets: every cel of an animation laid out in one grid picture, and the data file
// beside it that game engines and texture packers read (the JSON "array" form: "frames",
// each with its "frame" rectangle and "duration" in ms, and "meta" with "image", "size",
// "scale" and "loop").
//
// Plain values and functions, no state; any thread. The picture itself is written by the
// exchange functions of gif/, which know the animation.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/Color.h"

// The largest scale of every copy made for other programs: GIF, PNG and sprite sheet.
constexpr int MaxExportScale = 8;
// Throws std::invalid_argument, saying why, for a scale outside 1 to MaxExportScale.
void CheckExportScale(int Scale);

// What the user chooses for a sheet.
struct TSheetOptions {
    // Cels per row; 0 for the smallest square that holds them all. More columns than cels
    // give one row of them all.
    int Columns = 0;
    // Every pixel becomes a Scale x Scale block (1 to MaxExportScale).
    int Scale = 1;
    // Pixels of the background colour between neighbouring cels (0 to MaxSheetSpacing).
    int Spacing = 0;
};

constexpr int MaxSheetSpacing = 1024;

// Where every cel goes. CelWidth and CelHeight are the scaled cel size.
struct TSheetLayout {
    int CelCount = 0;
    int Columns = 1;
    int Rows = 1;
    int CelWidth = 0;
    int CelHeight = 0;
    int Spacing = 0;
    int Scale = 1;
    int Width = 0;
    int Height = 0;

    // The top-left pixel of cel Index in the sheet.
    TPoint CelPlace(int Index) const {
        return {Index % Columns * (CelWidth + Spacing), Index / Columns * (CelHeight + Spacing)};
    }
};

// The layout of CelCount cels of Width x Height. Throws std::invalid_argument for options out
// of range or no cels, std::length_error for a sheet wider or higher than a PNG can be.
TSheetLayout PlanSheet(int CelCount, int Width, int Height, const TSheetOptions& Options);

// One frame of the data file: its rectangle in the sheet and its display time.
struct TSheetFrame {
    std::string Name;
    int X = 0;
    int Y = 0;
    int W = 0;
    int H = 0;
    // Milliseconds; -1 when the file gives none.
    int Duration = -1;
};

struct TSheetData {
    std::vector<TSheetFrame> Frames;
    // The sheet picture's file name, as the data file names it.
    std::string Image;
    int Width = 0;
    int Height = 0;
    int Scale = 1;
    // How often the animation repeats (0 for ever); -1 when the file does not say.
    int Loop = -1;
};

// The data file's text for a sheet of Layout whose cels show for Durations (ms, one per
// cel), stored as Image. Frames are named after Image without its extension and numbered
// from 0.
std::string SheetDataJson(const TSheetLayout& Layout, const std::vector<int>& Durations,
                          const std::string& Image, int Loop);

// Largest data file read, and most frames taken from one: far above any real sheet.
constexpr std::size_t MaxSheetDataBytes = std::size_t(16) << 20;
constexpr std::size_t MaxSheetFrames = 65536;

struct TSheetDataResult {
    TSheetData Data;
    // Why no frames could be read; empty when they could.
    std::string Error;

    bool Ok() const { return Error.empty(); }
};

// Reads the data file of a sheet the tolerant way: any JSON text whose "frames" is an array
// of frames or an object of named ones (the "hash" form); unknown keys are ignored, a frame
// without a usable rectangle is skipped, numbers may also come as numeric strings. Fails
// only for text that is not JSON, nests deeper than 64 levels, or lists no usable frame.
TSheetDataResult ParseSheetData(const char* Text, std::size_t Size);
// The same for a file, refused beyond MaxSheetDataBytes.
TSheetDataResult ReadSheetDataFile(const std::string& FileName);

// The data file that belongs beside a sheet: the same name ending in .json instead.
std::string SheetDataFileFor(const std::string& SheetFileName);

// The first frame whose rectangle holds (X, Y), or -1.
int SheetFrameAt(const TSheetData& Data, int X, int Y);
