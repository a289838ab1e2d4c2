#include "imaging/PaletteFormats.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>

namespace {

using Line = std::pair<const char*, const char*>;

bool StartsWith(const char* Text, std::size_t Size, const char* Prefix) {
    const std::size_t Length = std::strlen(Prefix);
    return Size >= Length && std::memcmp(Text, Prefix, Length) == 0;
}

// Lines ended by CR LF, LF or a lone CR, with blanks and tabs trimmed at both ends.
std::vector<Line> LinesOf(const char* Text, std::size_t Size) {
    std::vector<Line> Lines;
    const char* End = Text + Size;
    for (const char* At = Text; At < End;) {
        const char* Stop = At;
        while (Stop < End && *Stop != '\n' && *Stop != '\r')
            ++Stop;
        const char* First = At;
        const char* Last = Stop;
        while (First < Last && (*First == ' ' || *First == '\t'))
            ++First;
        while (Last > First && (Last[-1] == ' ' || Last[-1] == '\t'))
            --Last;
        Lines.emplace_back(First, Last);
        if (Stop == End) break;
        At = Stop + 1;
        if (*Stop == '\r' && At < End && *At == '\n') ++At;
    }
    return Lines;
}

// Reads whole numbers separated by blanks or tabs from the start of a line; stops at the
// first word that is no number. Values far beyond a colour's range are only kept large.
int LeadingNumbers(Line L, long (&Values)[3]) {
    int Count = 0;
    const char* At = L.first;
    while (Count < 3 && At < L.second) {
        while (At < L.second && (*At == ' ' || *At == '\t'))
            ++At;
        const char* Start = At;
        if (At < L.second && (*At == '-' || *At == '+')) ++At;
        const char* Digits = At;
        long Value = 0;
        while (At < L.second && *At >= '0' && *At <= '9') {
            Value = std::min(Value * 10 + (*At - '0'), 100000L);
            ++At;
        }
        if (At == Digits || (At < L.second && *At != ' ' && *At != '\t')) break;
        Values[Count++] = *Start == '-' ? -Value : Value;
    }
    return Count;
}

std::uint8_t Channel(long Value) {
    return std::uint8_t(std::clamp(Value, 0L, 255L));
}

// Red, green and blue at the start of a line (more may follow, such as a colour's name).
bool RgbLine(Line L, TRgbColor& Color) {
    long Values[3];
    if (LeadingNumbers(L, Values) < 3) return false;
    Color = {Channel(Values[0]), Channel(Values[1]), Channel(Values[2])};
    return true;
}

int HexDigit(char C) {
    return C >= '0' && C <= '9'   ? C - '0'
           : C >= 'a' && C <= 'f' ? C - 'a' + 10
           : C >= 'A' && C <= 'F' ? C - 'A' + 10
                                  : -1;
}

// "RRGGBB" or "#RRGGBB", the whole line.
bool HexLine(Line L, TRgbColor& Color) {
    const char* At = L.first;
    if (At < L.second && *At == '#') ++At;
    if (L.second - At != 6) return false;
    std::uint8_t Channels[3];
    for (int i = 0; i < 3; ++i) {
        const int High = HexDigit(At[2 * i]), Low = HexDigit(At[2 * i + 1]);
        if (High < 0 || Low < 0) return false;
        Channels[i] = std::uint8_t(High * 16 + Low);
    }
    Color = {Channels[0], Channels[1], Channels[2]};
    return true;
}

void Add(TPaletteFileColors& File, TRgbColor Color) {
    if (File.Colors.size() < MaxPaletteFileColors) File.Colors.push_back(Color);
}

// "GIMP Palette", then "Name:" and "Columns:" lines, comments after '#', and a colour a line
// given by its red, green and blue, often followed by a name.
void ReadGimp(const std::vector<Line>& Lines, TPaletteFileColors& File) {
    for (std::size_t i = 1; i < Lines.size(); ++i) {
        const std::string Text(Lines[i].first, Lines[i].second);
        TRgbColor Color;
        if (Text.compare(0, 5, "Name:") == 0 && File.Name.empty()) {
            const std::size_t Start = Text.find_first_not_of(" \t", 5);
            File.Name = Start == std::string::npos ? "" : Text.substr(Start);
        } else if (RgbLine(Lines[i], Color)) {
            Add(File, Color);
        }
    }
}

// "JASC-PAL", a version line ("0100"), the number of colours, then red, green and blue a
// line. The count ends the reading when it is sound; colour lines beyond it are not read.
void ReadJasc(const std::vector<Line>& Lines, TPaletteFileColors& File) {
    std::size_t Limit = MaxPaletteFileColors;
    for (std::size_t i = 2; i < Lines.size() && File.Colors.size() < Limit; ++i) {
        long Values[3];
        const int Count = LeadingNumbers(Lines[i], Values);
        if (Count == 1 && i == 2 && Values[0] >= 1)
            Limit = std::min(Limit, std::size_t(std::min(Values[0], long(MaxPaletteFileColors))));
        else if (Count == 3)
            Add(File, {Channel(Values[0]), Channel(Values[1]), Channel(Values[2])});
    }
}

// Whether the lines are .hex colours: some line is one, and none holds three numbers, as
// every colour line of the editor's own format does.
bool LooksLikeHex(const std::vector<Line>& Lines) {
    bool Found = false;
    for (const Line& L : Lines) {
        TRgbColor Color;
        long Values[3];
        if (LeadingNumbers(L, Values) == 3) return false;
        Found = Found || HexLine(L, Color);
    }
    return Found;
}

// No byte of a text file is a control character other than a line end or a tab.
bool LooksLikeText(const std::uint8_t* Data, std::size_t Size) {
    for (std::size_t i = 0; i < Size; ++i)
        if ((Data[i] < 0x20 && Data[i] != '\t' && Data[i] != '\n' && Data[i] != '\r') ||
            Data[i] == 0x7F)
            return false;
    return true;
}

// 256 colours of red, green and blue bytes; the 772-byte form adds the number of colours
// used (big-endian, 1 to 256) and a transparent index, which the editor has no use for.
void ReadAct(const std::uint8_t* Data, std::size_t Size, TPaletteFileColors& File) {
    std::size_t Count = 256;
    if (Size == 772) {
        const std::size_t Used = std::size_t(Data[768]) << 8 | Data[769];
        if (Used >= 1 && Used <= 256) Count = Used;
    }
    for (std::size_t i = 0; i < Count; ++i)
        Add(File, {Data[3 * i], Data[3 * i + 1], Data[3 * i + 2]});
}

// The editor's own format, read by its own reader.
void ReadVimbrel(const std::uint8_t* Data, std::size_t Size, const std::string& FileName,
                 TPaletteFileColors& File) {
    if (Size == 0) return;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> Stream(
        fmemopen(const_cast<std::uint8_t*>(Data), Size, "rb"), &std::fclose);
    if (!Stream) throw std::bad_alloc();
    File.Colors = ReadPaletteText(Stream.get(), FileName);
}

std::string BaseName(const std::string& FileName) {
    const std::size_t Slash = FileName.find_last_of('/');
    return Slash == std::string::npos ? FileName : FileName.substr(Slash + 1);
}

std::string Extension(const std::string& FileName) {
    const std::string Base = BaseName(FileName);
    const std::size_t Dot = Base.find_last_of('.');
    std::string Ext = Dot == std::string::npos ? "" : Base.substr(Dot + 1);
    std::transform(Ext.begin(), Ext.end(), Ext.begin(),
                   [](unsigned char C) { return char(std::tolower(C)); });
    return Ext;
}

// The user colours worth writing: all up to the last that is not black (at least one).
std::vector<TRgbColor> WrittenColors(const TPxPalette& Palette) {
    int Last = LastUserColor;
    while (Last > FirstUserColor && Palette.Entry(Last).Color() == TRgbColor{})
        --Last;
    std::vector<TRgbColor> Colors;
    for (int Index = FirstUserColor; Index <= Last; ++Index)
        Colors.push_back(Palette.Entry(Index).Color());
    return Colors;
}

std::string HexCode(TRgbColor Color) {
    char Code[8];
    std::snprintf(Code, sizeof Code, "%02x%02x%02x", Color.Red, Color.Green, Color.Blue);
    return Code;
}

std::string Decimal(TRgbColor Color, const char* Between) {
    return std::to_string(Color.Red) + Between + std::to_string(Color.Green) + Between +
           std::to_string(Color.Blue);
}

} // namespace

TPaletteFileColors ParsePaletteFile(const std::uint8_t* Data, std::size_t Size,
                                    const std::string& FileName) {
    TPaletteFileColors File;
    const std::size_t Whole = Size;
    const char* Text = reinterpret_cast<const char*>(Data);
    // A byte order mark is no part of a text palette.
    if (StartsWith(Text, Size, "\xEF\xBB\xBF")) {
        Text += 3;
        Size -= 3;
    }
    const std::size_t TextSize = std::min(Size, MaxPaletteFileBytes);
    const bool ActSize = Whole == 768 || Whole == 772;
    if (StartsWith(Text, Size, "GIMP Palette")) {
        File.Format = TPaletteFormat::Gimp;
        ReadGimp(LinesOf(Text, TextSize), File);
    } else if (StartsWith(Text, Size, "JASC-PAL")) {
        File.Format = TPaletteFormat::Jasc;
        ReadJasc(LinesOf(Text, TextSize), File);
    } else if (ActSize && !LooksLikeText(Data, Whole)) {
        File.Format = TPaletteFormat::Act;
    } else if (const std::vector<Line> Lines = LinesOf(Text, TextSize); LooksLikeHex(Lines)) {
        File.Format = TPaletteFormat::Hex;
        for (const Line& L : Lines) {
            TRgbColor Color;
            if (HexLine(L, Color)) Add(File, Color);
        }
    } else {
        try {
            ReadVimbrel(reinterpret_cast<const std::uint8_t*>(Text), TextSize, FileName, File);
        } catch (const EPaletteFileError&) {
            // Text that does not start with a number holds no colour of any kind we read.
        }
    }
    // A colour table that happens to read as text is still a colour table.
    if (File.Colors.empty() && ActSize && File.Format == TPaletteFormat::Vimbrel)
        File.Format = TPaletteFormat::Act;
    if (File.Format == TPaletteFormat::Act) ReadAct(Data, Whole, File);
    if (File.Colors.empty())
        throw EPaletteFileError("\"" + FileName +
                                "\" holds no colour: it is not a palette file of a kind the "
                                "editor reads (its own .pal, GIMP .gpl, JASC-PAL .pal, .hex or "
                                "Adobe .act).");
    return File;
}

TPaletteFileColors ReadPaletteFile(const std::string& FileName) {
    std::ifstream Stream(FileName, std::ios::binary);
    if (!Stream)
        throw EPaletteFileError("Cannot open the palette file \"" + FileName +
                                "\": " + std::strerror(errno));
    // Enough to tell a 772-byte colour table from a longer file, and every colour of a text
    // palette; the rest of a larger file is never looked at.
    std::vector<std::uint8_t> Bytes(MaxPaletteFileBytes + 1);
    Stream.read(reinterpret_cast<char*>(Bytes.data()), std::streamsize(Bytes.size()));
    if (Stream.bad())
        throw EPaletteFileError("Cannot read the palette file \"" + FileName +
                                "\": " + std::strerror(errno));
    Bytes.resize(std::size_t(Stream.gcount()));
    return ParsePaletteFile(Bytes.data(), Bytes.size(), FileName);
}

std::unique_ptr<TPxPalette> LoadPaletteFile(const std::string& FileName) {
    return TPxPalette::CreateFromColorMap(ReadPaletteFile(FileName).Colors);
}

std::string FormatPaletteFile(const TPxPalette& Palette, TPaletteFormat Format,
                              const std::string& Name) {
    if (Format == TPaletteFormat::Vimbrel) return Palette.FileText();
    const std::vector<TRgbColor> Colors = WrittenColors(Palette);
    std::string Out;
    switch (Format) {
    case TPaletteFormat::Gimp:
        Out = "GIMP Palette\nName: " + (Name.empty() ? std::string("Untitled") : Name) +
              "\nColumns: 16\n#\n";
        for (const TRgbColor& Color : Colors)
            Out += Decimal(Color, " ") + "\t#" + HexCode(Color) + "\n";
        break;
    case TPaletteFormat::Jasc:
        Out = "JASC-PAL\r\n0100\r\n" + std::to_string(Colors.size()) + "\r\n";
        for (const TRgbColor& Color : Colors)
            Out += Decimal(Color, " ") + "\r\n";
        break;
    case TPaletteFormat::Hex:
        for (const TRgbColor& Color : Colors)
            Out += HexCode(Color) + "\n";
        break;
    default: {
        // The 772-byte form, so that the number of colours travels with them; no colour is
        // transparent (0xFFFF).
        Out.assign(772, '\0');
        for (std::size_t i = 0; i < Colors.size(); ++i) {
            Out[3 * i] = char(Colors[i].Red);
            Out[3 * i + 1] = char(Colors[i].Green);
            Out[3 * i + 2] = char(Colors[i].Blue);
        }
        Out[768] = char(Colors.size() >> 8);
        Out[769] = char(Colors.size() & 0xFF);
        Out[770] = Out[771] = char(0xFF);
    }
    }
    return Out;
}

void SavePaletteFile(const std::string& FileName, const TPxPalette& Palette,
                     TPaletteFormat Format) {
    const std::string Base = BaseName(FileName);
    const std::string Text =
        FormatPaletteFile(Palette, Format, Base.substr(0, Base.find_last_of('.')));
    try {
        ReplaceFile(FileName, [&](const ByteSink& Sink) {
            Sink(reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size());
        });
    } catch (const EFileWriteError& Error) {
        throw EPaletteFileError(Error.what());
    }
}

TPaletteFormat PaletteFormatForFileName(const std::string& FileName) {
    const std::string Ext = Extension(FileName);
    if (Ext == "gpl") return TPaletteFormat::Gimp;
    if (Ext == "hex") return TPaletteFormat::Hex;
    if (Ext == "act") return TPaletteFormat::Act;
    return TPaletteFormat::Vimbrel;
}
