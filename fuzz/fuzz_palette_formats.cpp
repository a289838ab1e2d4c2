// Palette files of every kind come from anywhere; reading one must give 1 to 256 colours or
// a EPaletteFileError. What was read, written again in each format, must read back as the
// same palette, the format told by the content alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "imaging/PaletteFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    TPaletteFileColors Read;
    try {
        Read = ParsePaletteFile(Data, Size, "input");
    } catch (const EPaletteFileError&) {
        return 0;
    }
    if (Read.Colors.empty() || Read.Colors.size() > MaxPaletteFileColors) std::abort();
    const auto Palette = TPxPalette::CreateFromColorMap(Read.Colors);
    for (const TPaletteFormat Format :
         {TPaletteFormat::Vimbrel, TPaletteFormat::Gimp, TPaletteFormat::Jasc, TPaletteFormat::Hex,
          TPaletteFormat::Act}) {
        const std::string Text = FormatPaletteFile(*Palette, Format, Read.Name);
        const TPaletteFileColors Again = ParsePaletteFile(
            reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size(), "written");
        if (Again.Format != Format ||
            !TPxPalette::CreateFromColorMap(Again.Colors)->Equals(*Palette))
            std::abort();
    }
    return 0;
}
