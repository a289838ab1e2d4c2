#pragma once
// The 256-entry palette that every cel of an animation shares. Entries 10..245 are the
// user colours (a user colour's index minus 10 is its colour number in GIF files); the ten
// entries at each end hold the reserved system colours and are never edited.
//
// Owned by the animation window, the palette editor (its working copy), the main window
// (the default palette) or the import dialog; bitmaps and sprites only refer to it and
// must not outlive it. User-interface thread only.
#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/Color.h"
#include "imaging/ColorTable.h"
#include "imaging/FileReplace.h"
#include "imaging/RgbPicture.h"

constexpr int FirstUserColor = 10;
constexpr int LastUserColor = 245;
constexpr int UserColorCount = 236;
constexpr std::uint8_t PC_NOCOLLAPSE = 4;

struct TPaletteEntry {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    std::uint8_t Flags = 0;

    TRgbColor Color() const { return {Red, Green, Blue}; }
};

// A palette file that cannot be opened, read or written; what() names the file and cause.
class EPaletteFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The colours of a palette file in the editor's own format (a count, then red, green and
// blue a line), read the forgiving way CreateFromFile reads them: at most 236, unreadable
// colours skipped. Throws EPaletteFileError naming FileName when the text does not start
// with a number or cannot be read.
std::vector<TRgbColor> ReadPaletteText(std::FILE* File, const std::string& FileName);

// The standard reserved colours of a 256-colour display: entries 0..9 and 246..255.
const std::array<TPaletteEntry, 256>& SystemPaletteEntries();

class TPxPalette {
public:
    // Every constructor fills the system entries first. CreateFromFile throws
    // EPaletteFileError when the file cannot be opened or does not start with a number.
    static std::unique_ptr<TPxPalette> CreateFromFile(const std::string& FileName);
    // CreateFromGraphic keeps the picture's own colours, first come first, from entry 10 on:
    // its colour table as it stands, then any colour its pixels use that the table lacks, in
    // the order the pixels show them; the entries left over are black. Where that is more
    // than 236 colours, repeats go, then colours no pixel uses, then the least used ones;
    // a picture of up to 236 colours always keeps every one.
    static std::unique_ptr<TPxPalette> CreateFromGraphic(const TRgbPicture& Graphic);
    static std::unique_ptr<TPxPalette> CreateFromColorMap(const std::vector<TRgbColor>& ColorMap);
    static std::unique_ptr<TPxPalette> CreateCopy(const TPxPalette& Source);

    TPxPalette(const TPxPalette&) = delete;
    TPxPalette& operator=(const TPxPalette&) = delete;
    virtual ~TPxPalette() = default;

    // Throws EPaletteFileError when the file cannot be written; a failed write leaves any
    // existing file as it was.
    void SaveToFile(const std::string& FileName) const;
    // What SaveToFile writes: the count 236, then a tab before each of red, green and blue
    // of every user colour, each line ended by CR LF.
    std::string FileText() const;
    // 768 bytes: entries 10..245 as red, green, blue, then 20 black entries.
    void WriteGifColorTable(const ByteSink& Sink) const;

    // PALETTERGB of entry Index.
    COLORREF GetColor(int Index) const;
    // User entries only; any other index shows "Index out of range to update palette!".
    void SetColor(int Index, COLORREF Color);
    void SwapColors(int IndexA, int IndexB);
    void CopyColor(int DestIndex, int SourceIndex);
    void MakeGradient(int IndexA, int IndexB);
    // Same colours in all 256 entries; flags are not compared.
    bool Equals(const TPxPalette& Other) const;

    // PALETTEINDEX of the user colour nearest to Color.
    COLORREF NearestIndexColor(COLORREF Color) const;
    // The same as a bare index 10..245.
    int NearestUserIndex(TRgbColor Color) const;
    // The RGB colour a colour value stands for on this palette.
    TRgbColor ColorOf(COLORREF Color) const;

    // Fills Map: for every entry of this palette, the nearest user entry of Target.
    void BuildMap(const TPxPalette& Target);
    const std::array<std::uint8_t, 256>& Map() const { return TranslationMap; }

    // The matching palette: user colours 10..245 at positions 0..235, then 20 copies of
    // entry 10, so that the lowest nearest position + 10 is always a user colour.
    TColorTablePtr CreateMatchPalette() const;

    const TPaletteEntry& Entry(int Index) const { return Entries[Index & 0xFF]; }
    // All 256 colours as they are now; a bitmap created now keeps this table.
    const TColorTablePtr& Handle() const { return FullTable; }
    const TColorTablePtr& MatchHandle() const { return MatchTable; }

private:
    TPxPalette();
    void Rebuild();

    std::array<TPaletteEntry, 256> Entries;
    TColorTablePtr FullTable;
    TColorTablePtr MatchTable;
    std::array<std::uint8_t, 256> TranslationMap{};
};
