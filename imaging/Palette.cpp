#include "imaging/Palette.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_set>
#include <utility>

#include "imaging/Report.h"

const std::array<TPaletteEntry, 256>& SystemPaletteEntries() {
    static const std::array<TPaletteEntry, 256> Entries = [] {
        std::array<TPaletteEntry, 256> E{};
        const TPaletteEntry Low[10] = {{0, 0, 0, 0},      {128, 0, 0, 0},     {0, 128, 0, 0},
                                       {128, 128, 0, 0},  {0, 0, 128, 0},     {128, 0, 128, 0},
                                       {0, 128, 128, 0},  {192, 192, 192, 0}, {192, 220, 192, 0},
                                       {166, 202, 240, 0}};
        const TPaletteEntry High[10] = {{255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0},
                                        {255, 0, 0, 0},     {0, 255, 0, 0},     {255, 255, 0, 0},
                                        {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},
                                        {255, 255, 255, 0}};
        for (int i = 0; i < 10; ++i) {
            E[i] = Low[i];
            E[246 + i] = High[i];
        }
        return E;
    }();
    return Entries;
}

TPxPalette::TPxPalette() {
    Entries = SystemPaletteEntries();
    for (int i = FirstUserColor; i <= LastUserColor; ++i)
        Entries[i] = {0, 0, 0, PC_NOCOLLAPSE};
}

void TPxPalette::Rebuild() {
    std::array<TRgbColor, 256> Colors;
    for (int i = 0; i < 256; ++i)
        Colors[i] = Entries[i].Color();
    FullTable = std::make_shared<const TColorTable>(Colors);
    MatchTable = CreateMatchPalette();
}

TColorTablePtr TPxPalette::CreateMatchPalette() const {
    std::array<TRgbColor, 256> Colors;
    for (int i = 0; i < 256; ++i)
        Colors[i] = Entries[i < UserColorCount ? FirstUserColor + i : FirstUserColor].Color();
    return std::make_shared<const TColorTable>(Colors);
}

// ---- construction --------------------------------------------------------------------

namespace {

// Reads a palette file the forgiving way the format has always been read: numbers separated
// by any white space, the rest of a line after a colour ignored, unreadable colours skipped.
class TPaletteFileReader {
public:
    explicit TPaletteFileReader(std::FILE* File) : File(File) {}

    // Skips blanks, tabs and line ends; false at the end of the file.
    bool SkipSpace() {
        int c;
        while ((c = std::getc(File)) != EOF)
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
                std::ungetc(c, File);
                return true;
            }
        return false;
    }

    // One whole number, optionally signed, ended by white space or the end of the file.
    // Keeps only what the caller needs: the value modulo 2^64, whose low 8 bits are those
    // of the number however long it is.
    bool ReadNumber(std::uint64_t& Value) {
        if (!SkipSpace()) return false;
        int c = std::getc(File);
        bool Negative = false;
        if (c == '-' || c == '+') {
            Negative = c == '-';
            c = std::getc(File);
        }
        if (c == EOF || c < '0' || c > '9') {
            if (c != EOF) std::ungetc(c, File);
            return false;
        }
        Value = 0;
        while (c != EOF && c >= '0' && c <= '9') {
            Value = Value * 10 + std::uint64_t(c - '0');
            c = std::getc(File);
        }
        if (c != EOF) std::ungetc(c, File);
        if (c != EOF && c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
        if (Negative) Value = ~Value + 1;
        return true;
    }

    // Skips to just past the next line end (or to the end of the file). Always consumes at
    // least one character unless at the end, so a bad line can never stall the reading.
    // Files come from every kind of system, so CR LF, LF and a lone CR all end a line; a
    // line end that knew only one of them would run a colour into the next.
    void SkipLine() {
        int c;
        while ((c = std::getc(File)) != EOF && c != '\n' && c != '\r') {
        }
        if (c == '\r' && (c = std::getc(File)) != '\n' && c != EOF) std::ungetc(c, File);
    }

private:
    std::FILE* File;
};

struct TFileCloser {
    void operator()(std::FILE* File) const { std::fclose(File); }
};
using FileHandle = std::unique_ptr<std::FILE, TFileCloser>;

} // namespace

std::vector<TRgbColor> ReadPaletteText(std::FILE* File, const std::string& FileName) {
    TPaletteFileReader Reader(File);
    std::uint64_t Count;
    if (!Reader.ReadNumber(Count))
        throw EPaletteFileError("\"" + FileName +
                                "\" is not a palette file: it does not start with a number.");
    Reader.SkipLine();

    std::vector<TRgbColor> Colors;
    while (Colors.size() < std::size_t(UserColorCount) && Reader.SkipSpace()) {
        std::uint64_t Red, Green, Blue;
        const bool Read =
            Reader.ReadNumber(Red) && Reader.ReadNumber(Green) && Reader.ReadNumber(Blue);
        Reader.SkipLine();
        if (Read) Colors.push_back({std::uint8_t(Red), std::uint8_t(Green), std::uint8_t(Blue)});
    }
    if (std::ferror(File))
        throw EPaletteFileError("Cannot read the palette file \"" + FileName +
                                "\": " + std::strerror(errno));
    return Colors;
}

std::unique_ptr<TPxPalette> TPxPalette::CreateFromFile(const std::string& FileName) {
    FileHandle File(std::fopen(FileName.c_str(), "rb"));
    if (!File)
        throw EPaletteFileError("Cannot open the palette file \"" + FileName +
                                "\": " + std::strerror(errno));
    return CreateFromColorMap(ReadPaletteText(File.get(), FileName));
}

namespace {

TRgbColor PixelColor(const TRgbPicture& Picture, std::size_t Pixel) {
    const std::uint8_t* P = &Picture.Pixels[Pixel * 3];
    return {P[0], P[1], P[2]};
}

// The user colours of a palette made from Picture, as CreateFromGraphic describes them.
std::vector<TRgbColor> PictureColors(const TRgbPicture& Picture) {
    const std::size_t Pixels = Picture.Pixels.size() / 3;
    std::vector<TRgbColor> Used;
    std::unordered_set<COLORREF> Seen;
    COLORREF Last = CLR_INVALID;
    for (std::size_t i = 0; i < Pixels; ++i) {
        const TRgbColor Color = PixelColor(Picture, i);
        if (Color.Ref() == Last) continue;
        Last = Color.Ref();
        if (!Seen.insert(Last).second) continue;
        if (Used.size() == std::size_t(UserColorCount))
            return MostUsedColors(Picture, UserColorCount, TColorOrder::FirstSeen);
        Used.push_back(Color);
    }

    std::vector<TRgbColor> Colors = Picture.Palette;
    const std::unordered_set<COLORREF> InTable = [&] {
        std::unordered_set<COLORREF> Refs;
        for (const TRgbColor& Color : Picture.Palette)
            Refs.insert(Color.Ref());
        return Refs;
    }();
    for (const TRgbColor& Color : Used)
        if (!InTable.count(Color.Ref())) Colors.push_back(Color);
    if (Colors.size() <= std::size_t(UserColorCount)) return Colors;

    std::unordered_set<COLORREF> Once;
    Colors.erase(
        std::remove_if(Colors.begin(), Colors.end(),
                       [&](const TRgbColor& Color) { return !Once.insert(Color.Ref()).second; }),
        Colors.end());
    if (Colors.size() <= std::size_t(UserColorCount)) return Colors;
    Colors.erase(std::remove_if(Colors.begin(), Colors.end(),
                                [&](const TRgbColor& Color) { return !Seen.count(Color.Ref()); }),
                 Colors.end());
    return Colors;
}

} // namespace

std::unique_ptr<TPxPalette> TPxPalette::CreateFromGraphic(const TRgbPicture& Graphic) {
    return CreateFromColorMap(PictureColors(Graphic));
}

std::unique_ptr<TPxPalette> TPxPalette::CreateFromColorMap(const std::vector<TRgbColor>& ColorMap) {
    std::unique_ptr<TPxPalette> Palette(new TPxPalette());
    for (int k = 0; k < UserColorCount && k < int(ColorMap.size()); ++k) {
        const TRgbColor& C = ColorMap[k];
        Palette->Entries[FirstUserColor + k] = {C.Red, C.Green, C.Blue, PC_NOCOLLAPSE};
    }
    Palette->Rebuild();
    return Palette;
}

std::unique_ptr<TPxPalette> TPxPalette::CreateCopy(const TPxPalette& Source) {
    std::unique_ptr<TPxPalette> Palette(new TPxPalette());
    Palette->Entries = Source.Entries;
    Palette->Rebuild();
    return Palette;
}

// ---- files ---------------------------------------------------------------------------

std::string TPxPalette::FileText() const {
    std::string Text = std::to_string(UserColorCount) + "\r\n";
    for (int i = FirstUserColor; i <= LastUserColor; ++i)
        Text += "\t" + std::to_string(Entries[i].Red) + "\t" + std::to_string(Entries[i].Green) +
                "\t" + std::to_string(Entries[i].Blue) + "\r\n";
    return Text;
}

void TPxPalette::SaveToFile(const std::string& FileName) const {
    const std::string Text = FileText();
    try {
        ReplaceFile(FileName, [&](const ByteSink& Sink) {
            Sink(reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size());
        });
    } catch (const EFileWriteError& Error) {
        throw EPaletteFileError(Error.what());
    }
}

void TPxPalette::WriteGifColorTable(const ByteSink& Sink) const {
    std::uint8_t Table[768] = {};
    for (int i = 0; i < UserColorCount; ++i) {
        const TPaletteEntry& E = Entries[FirstUserColor + i];
        Table[3 * i] = E.Red;
        Table[3 * i + 1] = E.Green;
        Table[3 * i + 2] = E.Blue;
    }
    Sink(Table, sizeof Table);
}

// ---- colours -------------------------------------------------------------------------

COLORREF TPxPalette::GetColor(int Index) const {
    const TPaletteEntry& E = Entries[Index & 0xFF];
    return PALETTERGB(E.Red, E.Green, E.Blue);
}

void TPxPalette::SetColor(int Index, COLORREF Color) {
    if (Index < FirstUserColor || Index > LastUserColor) {
        ShowMessage("Index out of range to update palette!");
        return;
    }
    Entries[Index] = {GetRValue(Color), GetGValue(Color), GetBValue(Color), PC_NOCOLLAPSE};
    Rebuild();
}

void TPxPalette::SwapColors(int IndexA, int IndexB) {
    const TPaletteEntry A = Entries[IndexA & 0xFF];
    Entries[IndexA & 0xFF] = Entries[IndexB & 0xFF];
    TPaletteEntry& B = Entries[IndexB & 0xFF];
    B.Red = A.Red;
    B.Green = A.Green;
    B.Blue = A.Blue;
    Rebuild();
}

void TPxPalette::CopyColor(int DestIndex, int SourceIndex) {
    const TPaletteEntry Source = Entries[SourceIndex & 0xFF];
    TPaletteEntry& Dest = Entries[DestIndex & 0xFF];
    Dest.Red = Source.Red;
    Dest.Green = Source.Green;
    Dest.Blue = Source.Blue;
    Rebuild();
}

void TPxPalette::MakeGradient(int IndexA, int IndexB) {
    const int Lo = std::min(IndexA, IndexB) & 0xFF;
    const int Hi = std::max(IndexA, IndexB) & 0xFF;
    if (Hi - Lo > 1) {
        const TPaletteEntry& L = Entries[Lo];
        const TPaletteEntry& H = Entries[Hi];
        const double Steps = Hi - Lo;
        const double StepR = (double(H.Red) - L.Red) / Steps;
        const double StepG = (double(H.Green) - L.Green) / Steps;
        const double StepB = (double(H.Blue) - L.Blue) / Steps;
        double R = L.Red, G = L.Green, B = L.Blue;
        for (int k = Lo + 1; k < Hi; ++k) {
            R += StepR;
            G += StepG;
            B += StepB;
            // Truncation drops the fraction, as the blend always has.
            Entries[k].Red = std::uint8_t(int(R));
            Entries[k].Green = std::uint8_t(int(G));
            Entries[k].Blue = std::uint8_t(int(B));
        }
    }
    Rebuild();
}

bool TPxPalette::Equals(const TPxPalette& Other) const {
    for (int i = 0; i < 256; ++i)
        if (Entries[i].Color() != Other.Entries[i].Color()) return false;
    return true;
}

TRgbColor TPxPalette::ColorOf(COLORREF Color) const {
    if (IsPaletteIndex(Color)) return Entries[Color & 0xFF].Color();
    return TRgbColor::FromRef(Color);
}

int TPxPalette::NearestUserIndex(TRgbColor Color) const {
    return FirstUserColor + MatchTable->Nearest(Color);
}

COLORREF TPxPalette::NearestIndexColor(COLORREF Color) const {
    return PALETTEINDEX(NearestUserIndex(ColorOf(Color)));
}

void TPxPalette::BuildMap(const TPxPalette& Target) {
    for (int i = 0; i < 256; ++i)
        TranslationMap[i] = std::uint8_t(Target.NearestUserIndex(Entries[i].Color()));
}
