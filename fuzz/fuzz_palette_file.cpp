// Palette files come from anywhere; reading one must give a palette or a EPaletteFileError.
// The reader takes a file name, so each input is written to a private temporary file.
// A palette that was read must also have kept its system entries and must come back
// unchanged from a save and a second read.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "imaging/Palette.h"

namespace {

// A file name of our own for the whole run, removed when the fuzzer exits.
class ScratchFile {
public:
    explicit ScratchFile(const char* Suffix) {
        char Pattern[] = "/tmp/fuzz_palette_file.XXXXXX";
        const int Descriptor = mkstemp(Pattern);
        if (Descriptor < 0) std::abort();
        ::close(Descriptor);
        Base = Pattern;
        Name = Base + Suffix;
        if (Name != Base) std::remove(Base.c_str());
    }
    ~ScratchFile() { std::remove(Name.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& Path() const { return Name; }

private:
    std::string Base;
    std::string Name;
};

void WriteWhole(const std::string& Path, const std::uint8_t* Data, std::size_t Size) {
    std::FILE* File = std::fopen(Path.c_str(), "wb");
    if (!File) std::abort();
    const bool Written = Size == 0 || std::fwrite(Data, 1, Size, File) == Size;
    if (std::fclose(File) != 0 || !Written) std::abort();
}

void CheckEntries(const TPxPalette& Palette) {
    const auto& System = SystemPaletteEntries();
    for (int i = 0; i < 256; ++i) {
        const TPaletteEntry& Entry = Palette.Entry(i);
        if (i >= FirstUserColor && i <= LastUserColor) {
            if (Entry.Flags != PC_NOCOLLAPSE) std::abort();
        } else if (Entry.Color() != System[i].Color()) {
            std::abort();
        }
        if (Palette.GetColor(i) != (0x02000000u | Entry.Color().Ref())) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    static const ScratchFile Input("");
    static const ScratchFile Saved(".pal");
    WriteWhole(Input.Path(), Data, Size);

    std::unique_ptr<TPxPalette> Palette;
    try {
        Palette = TPxPalette::CreateFromFile(Input.Path());
    } catch (const EPaletteFileError&) {
        return 0;
    }
    if (!Palette) std::abort();
    CheckEntries(*Palette);

    Palette->SaveToFile(Saved.Path());
    const std::unique_ptr<TPxPalette> Again = TPxPalette::CreateFromFile(Saved.Path());
    if (!Again || !Again->Equals(*Palette)) std::abort();
    return 0;
}
