#include "imaging/SpriteSheet.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "imaging/Png.h"

void CheckExportScale(int Scale) {
    if (Scale < 1 || Scale > MaxExportScale)
        throw std::invalid_argument("A copy is scaled 1 to " + std::to_string(MaxExportScale) +
                                    " times, not " + std::to_string(Scale));
}

TSheetLayout PlanSheet(int CelCount, int Width, int Height, const TSheetOptions& Options) {
    if (CelCount < 1) throw std::invalid_argument("There are no cels to lay out");
    if (Width < 1 || Height < 1) throw std::invalid_argument("The cels have no pixels");
    CheckExportScale(Options.Scale);
    if (Options.Spacing < 0 || Options.Spacing > MaxSheetSpacing)
        throw std::invalid_argument("The spacing is 0 to " + std::to_string(MaxSheetSpacing) +
                                    " pixels, not " + std::to_string(Options.Spacing));
    if (Options.Columns < 0)
        throw std::invalid_argument("A sheet cannot have " + std::to_string(Options.Columns) +
                                    " columns");
    TSheetLayout Layout;
    Layout.CelCount = CelCount;
    int Columns = Options.Columns;
    if (Columns == 0)
        while ((long long)Columns * Columns < CelCount)
            ++Columns;
    Layout.Columns = std::min(Columns, CelCount);
    Layout.Rows = (CelCount + Layout.Columns - 1) / Layout.Columns;
    Layout.Spacing = Options.Spacing;
    Layout.Scale = Options.Scale;
    const long long CelWidth = (long long)Width * Options.Scale;
    const long long CelHeight = (long long)Height * Options.Scale;
    const long long SheetWidth = Layout.Columns * (CelWidth + Options.Spacing) - Options.Spacing;
    const long long SheetHeight = Layout.Rows * (CelHeight + Options.Spacing) - Options.Spacing;
    if (SheetWidth > MaxPngSide || SheetHeight > MaxPngSide)
        throw std::length_error("A sheet of " + std::to_string(SheetWidth) + " x " +
                                std::to_string(SheetHeight) +
                                " pixels is larger than a PNG file can be");
    Layout.CelWidth = int(CelWidth);
    Layout.CelHeight = int(CelHeight);
    Layout.Width = int(SheetWidth);
    Layout.Height = int(SheetHeight);
    return Layout;
}

// ---- writing ---------------------------------------------------------------------------

namespace {

std::string Quoted(const std::string& Text) {
    std::string Out = "\"";
    for (const char Char : Text) {
        const auto Byte = static_cast<unsigned char>(Char);
        if (Char == '"' || Char == '\\') {
            Out += '\\';
            Out += Char;
        } else if (Byte < 0x20) {
            char Escape[8];
            std::snprintf(Escape, sizeof Escape, "\\u%04x", Byte);
            Out += Escape;
        } else {
            Out += Char;
        }
    }
    return Out + "\"";
}

std::string Rect(int X, int Y, int W, int H) {
    return "{\"x\": " + std::to_string(X) + ", \"y\": " + std::to_string(Y) +
           ", \"w\": " + std::to_string(W) + ", \"h\": " + std::to_string(H) + "}";
}

std::string Size(int W, int H) {
    return "{\"w\": " + std::to_string(W) + ", \"h\": " + std::to_string(H) + "}";
}

std::string BaseName(const std::string& FileName) {
    const std::size_t Slash = FileName.find_last_of('/');
    return Slash == std::string::npos ? FileName : FileName.substr(Slash + 1);
}

} // namespace

std::string SheetDataJson(const TSheetLayout& Layout, const std::vector<int>& Durations,
                          const std::string& Image, int Loop) {
    const std::string Stem = Image.substr(0, Image.find_last_of('.'));
    std::string Text = "{\"frames\": [\n";
    for (int Index = 0; Index < Layout.CelCount; ++Index) {
        const TPoint At = Layout.CelPlace(Index);
        char Number[16];
        std::snprintf(Number, sizeof Number, "-%03d", Index);
        // The keys beyond frame and duration are what engines expect of an untrimmed,
        // unrotated frame.
        Text += "  {\"filename\": " + Quoted(Stem + Number) +
                ", \"frame\": " + Rect(At.X, At.Y, Layout.CelWidth, Layout.CelHeight) +
                ", \"rotated\": false, \"trimmed\": false, \"spriteSourceSize\": " +
                Rect(0, 0, Layout.CelWidth, Layout.CelHeight) +
                ", \"sourceSize\": " + Size(Layout.CelWidth, Layout.CelHeight) +
                ", \"duration\": " +
                std::to_string(std::size_t(Index) < Durations.size() ? Durations[Index] : 0) + "}" +
                (Index + 1 < Layout.CelCount ? ",\n" : "\n");
    }
    // The scale is text, as packers have always written it.
    Text += "],\n\"meta\": {\"app\": \"Vimbrel\", \"version\": \"" VIMBREL_VERSION
            "\", \"image\": " +
            Quoted(Image) + ", \"size\": " + Size(Layout.Width, Layout.Height) + ", \"scale\": \"" +
            std::to_string(Layout.Scale) + "\", \"loop\": " + std::to_string(Loop) + "}\n}\n";
    return Text;
}

// ---- reading ---------------------------------------------------------------------------

namespace {

// A number in JSON's syntax whatever the locale says a decimal point is (the editor runs
// under the user's locale). Too large it is infinite, which no caller takes; too small, 0.
double Decimal(const char* Start, const char* End) {
    double Value = 0;
    const auto [Stop, Error] = std::from_chars(Start, End, Value);
    if (Error == std::errc::result_out_of_range) {
        const char* Exponent =
            std::find_if(Start, End, [](char C) { return C == 'e' || C == 'E'; });
        if (Exponent + 1 < End && Exponent[1] == '-') return 0;
        return *Start == '-' ? -HUGE_VAL : HUGE_VAL;
    }
    return Stop == Start ? 0 : Value;
}

struct TJsonValue {
    enum class TKind { Null, Boolean, Number, String, Array, Object };
    TKind Type = TKind::Null;
    double Number = 0;
    std::string Text;
    std::vector<TJsonValue> Items;
    std::vector<std::pair<std::string, TJsonValue>> Members;

    const TJsonValue* Find(const char* Key) const {
        for (const auto& Member : Members)
            if (Member.first == Key) return &Member.second;
        return nullptr;
    }
};

// A strict JSON parser over a bounded text; tolerance lives in what is taken from the tree.
class TJsonParser {
public:
    TJsonParser(const char* Text, std::size_t Size) : At(Text), Begin(Text), End(Text + Size) {
        // A byte order mark is no part of the text.
        if (Size >= 3 && std::memcmp(Text, "\xEF\xBB\xBF", 3) == 0) At += 3;
    }

    bool ParseDocument(TJsonValue& Value) {
        if (!ParseValue(Value, 0)) return false;
        SkipSpace();
        return At == End || Fail("text after the end");
    }

    std::string Problem() const {
        int Line = 1;
        for (const char* P = Begin; P < FailedAt && P < End; ++P)
            Line += *P == '\n';
        return Reason + " on line " + std::to_string(Line);
    }

private:
    static constexpr int MaxDepth = 64;

    bool Fail(const char* Why) {
        if (Reason.empty()) {
            Reason = Why;
            FailedAt = At;
        }
        return false;
    }

    void SkipSpace() {
        while (At < End && (*At == ' ' || *At == '\t' || *At == '\n' || *At == '\r'))
            ++At;
    }

    bool Literal(const char* Word) {
        const std::size_t Length = std::strlen(Word);
        if (std::size_t(End - At) < Length || std::memcmp(At, Word, Length) != 0) return false;
        At += Length;
        return true;
    }

    bool ParseValue(TJsonValue& Value, int Depth) {
        if (Depth > MaxDepth) return Fail("nesting too deep");
        SkipSpace();
        if (At == End) return Fail("unexpected end");
        switch (*At) {
        case '{':
            return ParseObject(Value, Depth);
        case '[':
            return ParseArray(Value, Depth);
        case '"':
            Value.Type = TJsonValue::TKind::String;
            return ParseString(Value.Text);
        case 't':
        case 'f':
            Value.Type = TJsonValue::TKind::Boolean;
            Value.Number = *At == 't';
            return Literal(*At == 't' ? "true" : "false") || Fail("unknown word");
        case 'n':
            return Literal("null") || Fail("unknown word");
        default:
            return ParseNumber(Value);
        }
    }

    bool ParseObject(TJsonValue& Value, int Depth) {
        Value.Type = TJsonValue::TKind::Object;
        ++At;
        SkipSpace();
        if (At < End && *At == '}') return ++At, true;
        for (;;) {
            SkipSpace();
            std::string Key;
            if (At == End || *At != '"') return Fail("a key expected");
            if (!ParseString(Key)) return false;
            SkipSpace();
            if (At == End || *At != ':') return Fail("':' expected");
            ++At;
            Value.Members.emplace_back(std::move(Key), TJsonValue{});
            if (!ParseValue(Value.Members.back().second, Depth + 1)) return false;
            SkipSpace();
            if (At < End && *At == ',') {
                ++At;
                continue;
            }
            if (At < End && *At == '}') return ++At, true;
            return Fail("',' or '}' expected");
        }
    }

    bool ParseArray(TJsonValue& Value, int Depth) {
        Value.Type = TJsonValue::TKind::Array;
        ++At;
        SkipSpace();
        if (At < End && *At == ']') return ++At, true;
        for (;;) {
            Value.Items.emplace_back();
            if (!ParseValue(Value.Items.back(), Depth + 1)) return false;
            SkipSpace();
            if (At < End && *At == ',') {
                ++At;
                continue;
            }
            if (At < End && *At == ']') return ++At, true;
            return Fail("',' or ']' expected");
        }
    }

    static void PutUtf8(std::string& Out, unsigned Code) {
        if (Code < 0x80) {
            Out += char(Code);
        } else if (Code < 0x800) {
            Out += char(0xC0 | (Code >> 6));
            Out += char(0x80 | (Code & 0x3F));
        } else if (Code < 0x10000) {
            Out += char(0xE0 | (Code >> 12));
            Out += char(0x80 | ((Code >> 6) & 0x3F));
            Out += char(0x80 | (Code & 0x3F));
        } else {
            Out += char(0xF0 | (Code >> 18));
            Out += char(0x80 | ((Code >> 12) & 0x3F));
            Out += char(0x80 | ((Code >> 6) & 0x3F));
            Out += char(0x80 | (Code & 0x3F));
        }
    }

    bool Hex4(unsigned& Code) {
        if (End - At < 4) return Fail("short \\u escape");
        Code = 0;
        for (int i = 0; i < 4; ++i, ++At) {
            const char C = *At;
            const int Digit = C >= '0' && C <= '9'   ? C - '0'
                              : C >= 'a' && C <= 'f' ? C - 'a' + 10
                              : C >= 'A' && C <= 'F' ? C - 'A' + 10
                                                     : -1;
            if (Digit < 0) return Fail("bad \\u escape");
            Code = Code * 16 + unsigned(Digit);
        }
        return true;
    }

    bool ParseString(std::string& Out) {
        ++At;
        while (At < End && *At != '"') {
            const char C = *At++;
            if (static_cast<unsigned char>(C) < 0x20) return Fail("control character in a string");
            if (C != '\\') {
                Out += C;
                continue;
            }
            if (At == End) break;
            const char Escape = *At++;
            unsigned Code = 0;
            switch (Escape) {
            case '"':
            case '\\':
            case '/':
                Out += Escape;
                break;
            case 'b':
                Out += '\b';
                break;
            case 'f':
                Out += '\f';
                break;
            case 'n':
                Out += '\n';
                break;
            case 'r':
                Out += '\r';
                break;
            case 't':
                Out += '\t';
                break;
            case 'u':
                if (!Hex4(Code)) return false;
                // A high surrogate followed by a low one is one character beyond the first
                // plane; a lone half stands for the replacement character.
                if (Code >= 0xD800 && Code < 0xDC00 && End - At >= 6 && At[0] == '\\' &&
                    At[1] == 'u') {
                    At += 2;
                    unsigned Low = 0;
                    if (!Hex4(Low)) return false;
                    Code = Low >= 0xDC00 && Low < 0xE000
                               ? 0x10000 + ((Code - 0xD800) << 10) + (Low - 0xDC00)
                               : 0xFFFD;
                } else if (Code >= 0xD800 && Code < 0xE000) {
                    Code = 0xFFFD;
                }
                PutUtf8(Out, Code);
                break;
            default:
                return Fail("unknown escape");
            }
        }
        if (At == End) return Fail("unterminated string");
        ++At;
        return true;
    }

    bool ParseNumber(TJsonValue& Value) {
        const char* Start = At;
        if (At < End && *At == '-') ++At;
        const char* Digits = At;
        while (At < End && *At >= '0' && *At <= '9')
            ++At;
        if (At == Digits) return Fail("a value expected");
        if (At < End && *At == '.') {
            ++At;
            while (At < End && *At >= '0' && *At <= '9')
                ++At;
        }
        if (At < End && (*At == 'e' || *At == 'E')) {
            ++At;
            if (At < End && (*At == '+' || *At == '-')) ++At;
            while (At < End && *At >= '0' && *At <= '9')
                ++At;
        }
        Value.Type = TJsonValue::TKind::Number;
        Value.Number = Decimal(Start, At);
        return true;
    }

    const char* At;
    const char* Begin;
    const char* End;
    std::string Reason;
    const char* FailedAt = nullptr;
};

// A whole number from a number or a numeric string, cut into the range of int; false when
// the value holds none.
bool WholeNumber(const TJsonValue* Value, int& Out) {
    if (!Value) return false;
    double Number = Value->Number;
    if (Value->Type == TJsonValue::TKind::String) {
        const char* Text = Value->Text.c_str();
        const char* End = Text + Value->Text.size();
        const auto [Stop, Error] = std::from_chars(Text, End, Number);
        if (Error != std::errc() || Stop != End) return false;
    } else if (Value->Type != TJsonValue::TKind::Number) {
        return false;
    }
    if (!std::isfinite(Number)) return false;
    Out = int(std::fmax(double(INT_MIN), std::fmin(double(INT_MAX), std::round(Number))));
    return true;
}

bool ReadFrame(const TJsonValue& Entry, TSheetFrame& Frame) {
    const TJsonValue* Rect = Entry.Find("frame");
    if (!Rect || Rect->Type != TJsonValue::TKind::Object) return false;
    if (!WholeNumber(Rect->Find("x"), Frame.X) || !WholeNumber(Rect->Find("y"), Frame.Y) ||
        !WholeNumber(Rect->Find("w"), Frame.W) || !WholeNumber(Rect->Find("h"), Frame.H) ||
        Frame.W < 1 || Frame.H < 1)
        return false;
    if (!WholeNumber(Entry.Find("duration"), Frame.Duration) || Frame.Duration < 0)
        Frame.Duration = -1;
    if (const TJsonValue* Name = Entry.Find("filename");
        Name && Name->Type == TJsonValue::TKind::String)
        Frame.Name = Name->Text;
    return true;
}

} // namespace

TSheetDataResult ParseSheetData(const char* Text, std::size_t Size) {
    TSheetDataResult Result;
    TJsonValue Root;
    TJsonParser Parser(Text, Size);
    if (!Parser.ParseDocument(Root)) {
        Result.Error = "The sheet data is not JSON: " + Parser.Problem() + ".";
        return Result;
    }
    TSheetData& Data = Result.Data;
    const TJsonValue* Frames = Root.Find("frames");
    auto Take = [&](const TJsonValue& Entry, const std::string& Key) {
        TSheetFrame Frame;
        if (Data.Frames.size() >= MaxSheetFrames || Entry.Type != TJsonValue::TKind::Object ||
            !ReadFrame(Entry, Frame))
            return;
        if (Frame.Name.empty()) Frame.Name = Key;
        Data.Frames.push_back(std::move(Frame));
    };
    if (Frames && Frames->Type == TJsonValue::TKind::Array)
        for (const TJsonValue& Entry : Frames->Items)
            Take(Entry, {});
    else if (Frames && Frames->Type == TJsonValue::TKind::Object)
        for (const auto& [Key, Entry] : Frames->Members)
            Take(Entry, Key);
    if (Data.Frames.empty()) {
        Result.Error = "The sheet data lists no frames.";
        return Result;
    }
    if (const TJsonValue* Meta = Root.Find("meta");
        Meta && Meta->Type == TJsonValue::TKind::Object) {
        if (const TJsonValue* Image = Meta->Find("image");
            Image && Image->Type == TJsonValue::TKind::String)
            Data.Image = Image->Text;
        if (const TJsonValue* Size = Meta->Find("size")) {
            WholeNumber(Size->Find("w"), Data.Width);
            WholeNumber(Size->Find("h"), Data.Height);
        }
        if (!WholeNumber(Meta->Find("scale"), Data.Scale) || Data.Scale < 1) Data.Scale = 1;
        if (!WholeNumber(Meta->Find("loop"), Data.Loop) || Data.Loop < 0) Data.Loop = -1;
    }
    return Result;
}

TSheetDataResult ReadSheetDataFile(const std::string& FileName) {
    TSheetDataResult Result;
    std::ifstream File(FileName, std::ios::binary);
    if (!File) {
        Result.Error = "Cannot open " + FileName + ": " + std::strerror(errno) + ".";
        return Result;
    }
    File.seekg(0, std::ios::end);
    const std::streamoff Size = File.tellg();
    if (Size > std::streamoff(MaxSheetDataBytes)) {
        Result.Error = BaseName(FileName) + " is larger than sheet data ever is.";
        return Result;
    }
    File.seekg(0);
    std::string Text(Size > 0 ? std::size_t(Size) : 0, '\0');
    if (!File.read(Text.data(), std::streamsize(Text.size()))) {
        Result.Error = "Cannot read " + FileName + ".";
        return Result;
    }
    return ParseSheetData(Text.data(), Text.size());
}

std::string SheetDataFileFor(const std::string& SheetFileName) {
    const std::size_t Slash = SheetFileName.find_last_of('/');
    const std::size_t Dot = SheetFileName.find_last_of('.');
    const bool HasExtension =
        Dot != std::string::npos && (Slash == std::string::npos || Dot > Slash);
    return (HasExtension ? SheetFileName.substr(0, Dot) : SheetFileName) + ".json";
}

int SheetFrameAt(const TSheetData& Data, int X, int Y) {
    for (std::size_t Index = 0; Index < Data.Frames.size(); ++Index) {
        const TSheetFrame& F = Data.Frames[Index];
        if (X >= F.X && Y >= F.Y && (long long)X < (long long)F.X + F.W &&
            (long long)Y < (long long)F.Y + F.H)
            return int(Index);
    }
    return -1;
}
