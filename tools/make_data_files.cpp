// Makes the files that ship with the editor and are pictures rather than text: the example
// animations and pictures in data/images/, the shared palettes in data/palettes/ whose
// colours are written down below, and the program's icons in dist/icons/. Everything goes
// through the editor's own writers, so the files are exactly what the editor would save.
//
//   make_data_files ROOT          writes the files under the source tree ROOT
//   make_data_files --check ROOT  exits 1, naming them, when files under ROOT differ from
//                                 what would be written
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "gif/Exchange.h"
#include "gif/GifWriter.h"
#include "imaging/PaletteFormats.h"
#include "imaging/Png.h"
#include "model/Spritez.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
// Every file by its path under the root.
using Files = std::map<std::string, Bytes>;

const double Pi = 3.14159265358979323846;

ByteSink Into(Bytes& Out) {
    return [&Out](const std::uint8_t* Data, std::size_t Count) {
        Out.insert(Out.end(), Data, Data + Count);
    };
}

Bytes TextBytes(const std::string& Text) {
    return Bytes(Text.begin(), Text.end());
}

// ---- drawing on cels, by user colour ------------------------------------------------------

struct Painter {
    TPxBitmap& Cel;
    const TPxPalette& Palette;

    void Plot(int X, int Y, TRgbColor Color) {
        if (X >= 0 && Y >= 0 && X < Cel.Width() && Y < Cel.Height())
            Cel.ScanLine(Y)[X] = std::uint8_t(Palette.NearestUserIndex(Color));
    }
    void Box(int Left, int Top, int Right, int Bottom, TRgbColor Color) {
        for (int Y = Top; Y < Bottom; ++Y)
            for (int X = Left; X < Right; ++X)
                Plot(X, Y, Color);
    }
    // The pixels whose centres lie inside the ellipse around (Cx, Cy).
    void Oval(double Cx, double Cy, double Rx, double Ry, TRgbColor Color) {
        for (int Y = int(Cy - Ry) - 1; Y <= int(Cy + Ry) + 1; ++Y)
            for (int X = int(Cx - Rx) - 1; X <= int(Cx + Rx) + 1; ++X) {
                const double Dx = (X + 0.5 - Cx) / Rx, Dy = (Y + 0.5 - Cy) / Ry;
                if (Dx * Dx + Dy * Dy <= 1.0) Plot(X, Y, Color);
            }
    }
};

struct Example {
    std::unique_ptr<TPxPalette> Palette;
    std::unique_ptr<TSprite> Sprite;
    TGifWriteSettings Settings;

    Example(const TPxPalette& Default, int W, int H, TRgbColor Back)
        : Palette(TPxPalette::CreateCopy(Default)),
          Sprite(TSprite::Create(W, H, *Palette, Back.Ref())) {}

    Painter Cel(int Delay, std::uint8_t Disposal) {
        const int Index = Sprite->AddCel(Delay);
        Sprite->Cel(Index).SetDisposal(Disposal);
        return {Sprite->CelBitmap(Index), *Palette};
    }

    Bytes Gif() const {
        Bytes Out;
        WriteGif(Into(Out), *Sprite, *Palette, Settings);
        return Out;
    }
};

const TRgbColor Sky{153, 204, 255}, Grass{0, 153, 0}, DarkGrass{0, 102, 0}, Red{255, 51, 0},
    Pink{255, 204, 204}, White{255, 255, 255}, Grey{102, 102, 102}, Gold{255, 204, 0},
    DarkGold{204, 153, 0}, Sun{255, 255, 102}, Brown{102, 51, 0}, Leaf{51, 204, 51};

// A ball that falls, squashes on the grass and rises again, its shadow growing as it nears.
Bytes BouncingBall(const TPxPalette& Default) {
    Example E(Default, 32, 32, Sky);
    E.Settings.Comments = {"Bouncing ball: an example animation made for Vimbrel."};
    for (int Frame = 0; Frame < 10; ++Frame) {
        Painter P = E.Cel(60, 1);
        P.Box(0, 27, 32, 32, Grass);
        const double Fall = std::sin(Pi * Frame / 10);
        const bool Squashed = Frame == 0;
        const double Bottom = 27 - 15 * Fall;
        P.Oval(16, 27, 2 + 5 * (1 - Fall), 1.5, DarkGrass);
        const double Rx = Squashed ? 6.5 : 5, Ry = Squashed ? 4 : 5;
        P.Oval(16, Bottom - Ry, Rx, Ry, Red);
        P.Plot(14, int(Bottom - Ry) - 2, Pink);
    }
    return E.Gif();
}

// A chequered flag on a pole, waving as a wave runs along it.
Bytes WavingFlag(const TPxPalette& Default) {
    Example E(Default, 32, 24, Sky);
    E.Settings.Comments = {"Waving flag: an example animation made for Vimbrel."};
    for (int Frame = 0; Frame < 8; ++Frame) {
        Painter P = E.Cel(100, 1);
        P.Box(3, 2, 5, 24, Grey);
        for (int X = 0; X < 22; ++X) {
            // The cloth is held still at the pole and moves more the further it flies.
            const int Lift =
                int(std::lround(1.6 * std::sin(2 * Pi * (X / 11.0 - Frame / 8.0)) * X / 21.0));
            for (int Y = 0; Y < 12; ++Y)
                P.Plot(5 + X, 3 + Y + Lift, (X / 4 + Y / 4) % 2 ? White : Red);
        }
    }
    return E.Gif();
}

// A star that twinkles on a transparent background.
Bytes Twinkle(const TPxPalette& Default) {
    Example E(Default, 16, 16, {255, 0, 255});
    E.Settings.BackgroundTransparent = true;
    E.Settings.Comments = {"Twinkle: an example animation with a transparent background,",
                           "made for Vimbrel."};
    const int Reach[] = {1, 3, 5, 7, 5, 3};
    for (int Frame = 0; Frame < 6; ++Frame) {
        Painter P = E.Cel(120, 2);
        for (int K = -Reach[Frame]; K <= Reach[Frame]; ++K) {
            P.Plot(8 + K, 8, Gold);
            P.Plot(8, 8 + K, Gold);
            if (std::abs(K) <= Reach[Frame] / 2) {
                P.Plot(8 + K, 8 + K, Sun);
                P.Plot(8 + K, 8 - K, Sun);
            }
        }
        P.Plot(8, 8, White);
    }
    return E.Gif();
}

// A still picture: sky in bands, the sun, two hills and a tree.
Bytes Landscape(const TPxPalette& Default) {
    Example E(Default, 64, 48, Sky);
    E.Settings.Comments = {"Landscape: an example picture made for Vimbrel."};
    Painter P = E.Cel(100, 1);
    for (int Y = 0; Y < 24; ++Y)
        P.Box(0, Y, 64, Y + 1,
              Y < 8    ? TRgbColor{102, 153, 255}
              : Y < 16 ? TRgbColor{153, 204, 255}
                       : TRgbColor{204, 255, 255});
    P.Oval(48, 10, 5, 5, Sun);
    for (int X = 0; X < 64; ++X) {
        const int Far = 26 - int(6 * std::sin(Pi * (X + 8) / 40.0));
        const int Near = 34 - int(5 * std::sin(Pi * (X - 20) / 50.0));
        for (int Y = Far; Y < 48; ++Y)
            P.Plot(X, Y, Y < Near ? DarkGrass : Grass);
    }
    P.Box(19, 30, 22, 38, Brown);
    P.Oval(20.5, 27, 5, 5, Leaf);
    return E.Gif();
}

// A coin turning about its upright axis, as a sheet with its data, to cut into cels.
Files CoinSheet(const TPxPalette& Default) {
    Example E(Default, 16, 16, White);
    const double Width[] = {6.5, 5.5, 3.5, 1, 3.5, 5.5};
    for (int Frame = 0; Frame < 6; ++Frame) {
        Painter P = E.Cel(90, 2);
        P.Oval(8, 8, Width[Frame], 6.5, DarkGold);
        if (Width[Frame] > 2) P.Oval(8, 8, Width[Frame] - 1.5, 5, Gold);
        if (Width[Frame] > 4) P.Box(8, 5, 9, 11, DarkGold);
    }
    const TSheetLayout Layout = PlanSheet(6, 16, 16, {3, 1, 0});
    Files Out;
    WriteSheetPng(Into(Out["data/images/coin-sheet.png"]), *E.Sprite, *E.Palette, false, Layout);
    Out["data/images/coin-sheet.json"] =
        TextBytes(SheetDataJson(Layout, std::vector<int>(6, 90), "coin-sheet.png", 0));
    return Out;
}

// ---- palettes whose colours are standards ---------------------------------------------------

std::vector<TRgbColor> FromHex(const std::vector<std::uint32_t>& Codes) {
    std::vector<TRgbColor> Colors;
    for (const std::uint32_t Code : Codes)
        Colors.push_back({std::uint8_t(Code >> 16), std::uint8_t(Code >> 8), std::uint8_t(Code)});
    return Colors;
}

Files Palettes() {
    // The 16 colours of the first colour graphics cards for personal computers (red, green,
    // blue and intensity; colour 6 is brown rather than dark yellow).
    const std::vector<TRgbColor> Cga =
        FromHex({0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAA5500, 0xAAAAAA,
                 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF});
    // Their successors' 64: two bits a channel, 0xAA for the high bit and 0x55 for the low
    // one, in the cards' own order (bits blue, green, red, then the low blue, green, red).
    std::vector<TRgbColor> Ega;
    for (int Index = 0; Index < 64; ++Index) {
        const auto Level = [&](int High, int Low) {
            return std::uint8_t((Index >> High & 1) * 0xAA + (Index >> Low & 1) * 0x55);
        };
        Ega.push_back({Level(2, 5), Level(1, 4), Level(0, 3)});
    }
    // The 16 colour names of HTML 4: black, silver, gray, white, maroon, red, purple,
    // fuchsia, green, lime, olive, yellow, navy, blue, teal, aqua.
    const std::vector<TRgbColor> Html =
        FromHex({0x000000, 0xC0C0C0, 0x808080, 0xFFFFFF, 0x800000, 0xFF0000, 0x800080, 0xFF00FF,
                 0x008000, 0x00FF00, 0x808000, 0xFFFF00, 0x000080, 0x0000FF, 0x008080, 0x00FFFF});
    // The four shades of green of an early handheld console's screen, darkest first, as
    // they are usually written down.
    const std::vector<TRgbColor> Greens = FromHex({0x0F380F, 0x306230, 0x8BAC0F, 0x9BBC0F});
    // The 216 colours every browser once showed without dithering: six levels a channel.
    std::vector<TRgbColor> WebSafe;
    for (int Index = 0; Index < 216; ++Index)
        WebSafe.push_back({std::uint8_t(Index / 36 * 51), std::uint8_t(Index / 6 % 6 * 51),
                           std::uint8_t(Index % 6 * 51)});

    Files Out;
    const auto Add = [&](const char* Name, const std::string& Title,
                         const std::vector<TRgbColor>& Colors, TPaletteFormat Format) {
        Out[std::string("data/palettes/") + Name] =
            TextBytes(FormatPaletteFile(*TPxPalette::CreateFromColorMap(Colors), Format, Title));
    };
    Add("cga16.hex", "", Cga, TPaletteFormat::Hex);
    Add("ega64.gpl", "EGA 64", Ega, TPaletteFormat::Gimp);
    Add("html16.gpl", "HTML 16", Html, TPaletteFormat::Gimp);
    Add("handheld-greens.pal", "", Greens, TPaletteFormat::Jasc);
    Add("websafe216.act", "", WebSafe, TPaletteFormat::Act);
    return Out;
}

// ---- icons --------------------------------------------------------------------------------

// The picture the editor's windows carry: nine colour squares framed in black, 16 x 16,
// '.' transparent.
const char* const IconRows[16] = {
    "................", ".kkkkkkkkkkkkkkk", ".krrrkkgggkkbbbk", ".krrrkkgggkkbbbk",
    ".krrrkkgggkkbbbk", ".kkkkkkkkkkkkkkk", ".kkkkkkkkkkkkkkk", ".kyyykkkkkkkeeek",
    ".kyyykkkkkkkeeek", ".kyyykkkkkkkeeek", ".kkkkkkkkkkkkkkk", ".kkkkkkkkkkkkkkk",
    ".kwwwkkpppkkccck", ".kwwwkkpppkkccck", ".kwwwkkpppkkccck", ".kkkkkkkkkkkkkkk"};

const std::map<char, TRgbColor>& IconColors() {
    static const std::map<char, TRgbColor> Colors = {
        {'k', {0, 0, 0}},       {'r', {192, 0, 0}},   {'g', {0, 128, 0}},
        {'b', {0, 0, 160}},     {'y', {224, 176, 0}}, {'e', {128, 128, 128}},
        {'w', {255, 255, 255}}, {'p', {160, 0, 160}}, {'c', {0, 160, 160}}};
    return Colors;
}

Files Icons() {
    TIndexedPng Image;
    Image.Palette = {{0, 0, 0}};
    Image.TransparentIndex = 0;
    std::map<char, std::uint8_t> Index{{'.', 0}};
    for (const auto& [Char, Color] : IconColors()) {
        Index[Char] = std::uint8_t(Image.Palette.size());
        Image.Palette.push_back(Color);
    }
    Files Out;
    for (const int Size : {16, 32, 48, 64, 128, 256}) {
        Image.Width = Image.Height = Size;
        const int Scale = Size / 16;
        Bytes& File = Out["dist/icons/hicolor/" + std::to_string(Size) + "x" +
                          std::to_string(Size) + "/apps/vimbrel.png"];
        WriteIndexedPng(Into(File), Image, [&](int Y, std::uint8_t* Row) {
            for (int X = 0; X < Size; ++X)
                Row[X] = Index[IconRows[Y / Scale][X / Scale]];
        });
    }
    // The same squares for any size: one rectangle per run of a colour in a row.
    std::string Svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\" "
                      "viewBox=\"0 0 16 16\" shape-rendering=\"crispEdges\">\n";
    for (int Y = 0; Y < 16; ++Y)
        for (int X = 0; X < 16;) {
            const char Char = IconRows[Y][X];
            int End = X;
            while (End < 16 && IconRows[Y][End] == Char)
                ++End;
            if (Char != '.') {
                const TRgbColor C = IconColors().at(Char);
                char Rect[128];
                std::snprintf(Rect, sizeof Rect,
                              "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"1\" "
                              "fill=\"#%02x%02x%02x\"/>\n",
                              X, Y, End - X, C.Red, C.Green, C.Blue);
                Svg += Rect;
            }
            X = End;
        }
    Out["dist/icons/hicolor/scalable/apps/vimbrel.svg"] = TextBytes(Svg + "</svg>\n");
    return Out;
}

Files AllFiles(const std::string& Root) {
    const auto Default = TPxPalette::CreateFromFile(Root + "/data/vimbrel.pal");
    Files Out = {{"data/images/bouncing-ball.gif", BouncingBall(*Default)},
                 {"data/images/waving-flag.gif", WavingFlag(*Default)},
                 {"data/images/twinkle.gif", Twinkle(*Default)},
                 {"data/images/landscape.gif", Landscape(*Default)}};
    for (const Files& More : {CoinSheet(*Default), Palettes(), Icons()})
        Out.insert(More.begin(), More.end());
    return Out;
}

Bytes ReadWhole(const std::string& Path) {
    std::ifstream File(Path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char** argv) {
    const bool Check = argc == 3 && std::string(argv[1]) == "--check";
    if (argc != 2 && !Check) {
        std::cerr << "Usage: make_data_files [--check] SOURCE_ROOT\n";
        return 2;
    }
    const std::string Root = argv[argc - 1];
    int Failures = 0;
    for (const auto& [Name, Contents] : AllFiles(Root)) {
        const std::string Path = Root + "/" + Name;
        if (Check) {
            if (ReadWhole(Path) != Contents) {
                std::cerr << Path << " is not what make_data_files writes; run it again\n";
                ++Failures;
            }
            continue;
        }
        std::error_code Ignored;
        std::filesystem::create_directories(std::filesystem::path(Path).parent_path(), Ignored);
        std::ofstream File(Path, std::ios::binary | std::ios::trunc);
        File.write(reinterpret_cast<const char*>(Contents.data()),
                   std::streamsize(Contents.size()));
        if (!File) {
            std::cerr << "cannot write " << Path << "\n";
            ++Failures;
        }
    }
    return Failures == 0 ? 0 : 1;
}
