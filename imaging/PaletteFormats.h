#pragma once
// Palette files of the kinds people share, besides the editor's own .pal: GIMP .gpl,
// JASC-PAL .pal, .hex (one RRGGBB a line) and Adobe .act (768 or 772 bytes). A file's kind
// is told by its content, since JASC files end in .pal as well.
//
// Reading is as forgiving as the editor's own palette reader (lines that hold no colour are
// skipped, counts are bounded) and fails with a clear reason only for a file that cannot be
// read or holds no colour. A palette takes the colours in order as user colours 10, 11, ...;
// beyond 236 the rest are left out, and with fewer the remaining user colours are black, as
// the editor's own reader leaves them. Plain functions; any thread.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/Color.h"
#include "imaging/Palette.h"

enum class TPaletteFormat { Vimbrel, Gimp, Jasc, Hex, Act };

// The most colours taken from one file: what the largest of these formats hold.
constexpr std::size_t MaxPaletteFileColors = 256;
// Only this much of a text palette is read; its colours always come far sooner.
constexpr std::size_t MaxPaletteFileBytes = std::size_t(1) << 20;

struct TPaletteFileColors {
    TPaletteFormat Format = TPaletteFormat::Vimbrel;
    // At least one colour, at most MaxPaletteFileColors, in file order.
    std::vector<TRgbColor> Colors;
    // The name a GIMP palette gives itself; empty otherwise.
    std::string Name;
};

// The colours of a palette file's bytes. FileName only names the file in a EPaletteFileError,
// thrown when the bytes hold no colour.
TPaletteFileColors ParsePaletteFile(const std::uint8_t* Data, std::size_t Size,
                                    const std::string& FileName);
// The same for a file on disk; also throws EPaletteFileError when it cannot be read.
TPaletteFileColors ReadPaletteFile(const std::string& FileName);
// A palette of the file's colours.
std::unique_ptr<TPxPalette> LoadPaletteFile(const std::string& FileName);

// The user colours of Palette as a file of Format. Black colours at the end are left out:
// a palette read from fewer colours has black in the rest anyway, and other programs then
// see the palette that was loaded (a 16-colour palette stays 16 colours). The editor's own
// format always holds all 236. Name titles a GIMP palette.
std::string FormatPaletteFile(const TPxPalette& Palette, TPaletteFormat Format,
                              const std::string& Name);
// Writes that file safely (a failed save leaves an existing file as it was); throws
// EPaletteFileError. A GIMP palette is named after the file.
void SavePaletteFile(const std::string& FileName, const TPxPalette& Palette, TPaletteFormat Format);

// The format a file name asks for when saving: .gpl, .hex, .act, and the editor's own for
// .pal and anything else (a JASC file is chosen by name of format, not by extension).
TPaletteFormat PaletteFormatForFileName(const std::string& FileName);
