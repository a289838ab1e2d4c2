#include <fstream>
#include <random>

#include "imaging/PaletteFormats.h"
#include "imaging/Report.h"
#include "support/PictureAssert.h"

namespace {
TRgbColor ColorAt(const TPxPalette& Palette, int Index) {
    return Palette.Entry(Index).Color();
}

TPaletteFileColors Parse(const std::string& Text) {
    return ParsePaletteFile(reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size(),
                            "test.pal");
}

std::vector<TRgbColor> Colors(std::initializer_list<TRgbColor> List) {
    return List;
}
} // namespace

TEST(PaletteFiles, SavedFilesHaveTheFixedLayoutAndLoadBack) {
    ScratchFolder Folder;
    auto Palette = MakeCubePalette();
    Palette->SetColor(200, RGB(10, 200, 3));
    const std::string Path = (Folder / "cube.pal").string();
    Palette->SaveToFile(Path);
    const std::string Text = ReadText(Path);
    EXPECT_EQ(Text.substr(0, 15), "236\r\n\t0\t0\t0\r\n\t0");
    EXPECT_NE(Text.find("\r\n\t10\t200\t3\r\n"), std::string::npos);
    EXPECT_EQ(std::count(Text.begin(), Text.end(), '\n'), 237);
    EXPECT_EQ(std::count(Text.begin(), Text.end(), '\r'), 237);
    auto Loaded = TPxPalette::CreateFromFile(Path);
    EXPECT_TRUE(Loaded->Equals(*Palette)) << "user colours, and the system colours around them";
    EXPECT_EQ(Loaded->Entry(100).Flags, PC_NOCOLLAPSE);
}

TEST(PaletteFiles, ReadingIsForgivingAndRefusesOnlyFilesWithoutACount) {
    ScratchFolder Folder;
    auto Write = [&](const std::string& Text) {
        std::ofstream(Folder / "file.pal", std::ios::binary) << Text;
        return (Folder / "file.pal").string();
    };
    // Trailing words make the reader skip the rest of a line, where the line end matters.
    std::vector<std::pair<std::string, std::vector<TRgbColor>>> Files;
    for (const std::string End : {"\n", "\r\n", "\r"})
        Files.push_back({"236 colours" + End + "\t1\t2\t3" + End + "4 5 6 trailing words" + End +
                             "\t7\t8\t9" + End,
                         {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}});
    // Low 8 bits of each number, however long; a count of 0; a colour spread over lines.
    Files.push_back(
        {"0 anything here\n\t300\t-1\t255\r\n1\n2\n3 words\n\n\n", {{44, 255, 255}, {1, 2, 3}}});
    Files.push_back({"1\n99999999999999999999999999 256 513\n", {{255, 0, 1}}});
    // Unreadable and unfinished colours are skipped.
    Files.push_back(
        {"236\n\tred\tgreen\tblue\n\t1\t2\tx3\n\t4\t5\t6\n12abc 1 1\n\t7\t8\n", {{4, 5, 6}}});
    for (const auto& [Text, Colors] : Files) {
        SCOPED_TRACE(Text);
        auto Palette = TPxPalette::CreateFromFile(Write(Text));
        for (std::size_t k = 0; k < Colors.size(); ++k)
            EXPECT_EQ(ColorAt(*Palette, 10 + int(k)), Colors[k]);
        EXPECT_EQ(ColorAt(*Palette, 10 + int(Colors.size())), (TRgbColor{0, 0, 0}));
        EXPECT_EQ(ColorAt(*Palette, 245), (TRgbColor{0, 0, 0}));
    }
    // More lines than user colours: the rest is ignored.
    std::string Long = "300\r\n";
    for (int k = 0; k < 300; ++k)
        Long += "\t" + std::to_string(k % 256) + "\t1\t2\r\n";
    auto Full = TPxPalette::CreateFromFile(Write(Long));
    EXPECT_EQ(ColorAt(*Full, 245), (TRgbColor{235, 1, 2}));
    EXPECT_EQ(ColorAt(*Full, 246), SystemPaletteEntries()[246].Color());
    for (const std::string Text :
         {"", "   \r\n", "JASC-PAL\r\n0100\r\n", "abc 1 2 3", "12abc\n1"}) {
        try {
            TPxPalette::CreateFromFile(Write(Text));
            ADD_FAILURE() << "accepted \"" << Text << "\"";
        } catch (const EPaletteFileError& Error) {
            EXPECT_NE(std::string(Error.what()).find("not a palette file"), std::string::npos);
        }
    }
    EXPECT_THROW(TPxPalette::CreateFromFile((Folder / "missing.pal").string()), EPaletteFileError);
}

TEST(Palette, EditsKeepToTheUserColoursAndMatchingToTheLowestNearest) {
    std::vector<std::string> Messages;
    TScopedReportHandler Scope(
        [&](TReportKind, const std::string& Text) { Messages.push_back(Text); });
    auto Palette = MakeCubePalette();
    const TRgbColor Before = ColorAt(*Palette, 246);
    Palette->SetColor(246, RGB(1, 2, 3));
    Palette->SetColor(9, RGB(1, 2, 3));
    Palette->SetColor(245, RGB(1, 2, 3));
    EXPECT_EQ(Messages, std::vector<std::string>(2, "Index out of range to update palette!"));
    EXPECT_EQ(ColorAt(*Palette, 246), Before);
    EXPECT_EQ(Palette->GetColor(245), PALETTERGB(1, 2, 3));
    EXPECT_EQ(Palette->NearestIndexColor(RGB(1, 2, 3)), PALETTEINDEX(245)) << "matched at once";
    // Gradients step evenly and truncate, rising or falling.
    Palette->SetColor(10, RGB(0, 0, 0));
    Palette->SetColor(14, RGB(100, 0, 200));
    Palette->MakeGradient(14, 10);
    EXPECT_EQ(ColorAt(*Palette, 11), (TRgbColor{25, 0, 50}));
    EXPECT_EQ(ColorAt(*Palette, 13), (TRgbColor{75, 0, 150}));
    Palette->SetColor(20, RGB(100, 201, 100));
    Palette->SetColor(22, RGB(0, 0, 0));
    Palette->MakeGradient(20, 22);
    EXPECT_EQ(ColorAt(*Palette, 21), (TRgbColor{50, 100, 50})) << "one entry between";

    // Matching goes to the lowest nearest user colour.
    Palette->SetColor(245, RGB(7, 77, 177));
    Palette->SetColor(30, RGB(1, 1, 1));
    Palette->SetColor(40, RGB(1, 1, 1));
    EXPECT_EQ(Palette->NearestIndexColor(PALETTERGB(8, 78, 176)), PALETTEINDEX(245));
    EXPECT_EQ(Palette->NearestIndexColor(RGB(1, 1, 1)), PALETTEINDEX(30));
    EXPECT_EQ(Palette->NearestIndexColor(RGB(2, 2, 2)), PALETTEINDEX(30));
    // Never a system entry, even for a colour only a system entry holds exactly.
    EXPECT_EQ(Palette->NearestIndexColor(PALETTEINDEX(0)), PALETTEINDEX(10));
    EXPECT_EQ(TPxPalette::CreateFromColorMap({})->NearestIndexColor(RGB(255, 255, 255)),
              PALETTEINDEX(10));
    auto Copy = TPxPalette::CreateCopy(*Palette);
    EXPECT_TRUE(Copy->Equals(*Palette));
    Copy->SetColor(100, RGB(9, 9, 9));
    EXPECT_FALSE(Copy->Equals(*Palette));
}

TEST(Palette, APictureKeepsItsOwnColoursFirstComeFirst) {
    // A small table comes from entry 10 on as it stands, colours no pixel uses and repeats
    // included; a colour the pixels use beyond the table follows it; the rest is black.
    TRgbPicture Small(3, 1);
    Small.Palette = {{9, 9, 9}, {200, 0, 0}, {9, 9, 9}, {0, 0, 200}};
    Small.Set(0, 0, {200, 0, 0});
    Small.Set(1, 0, {1, 2, 3});
    Small.Set(2, 0, {9, 9, 9});
    auto Made = TPxPalette::CreateFromGraphic(Small);
    const std::vector<TRgbColor> Expected{
        {9, 9, 9}, {200, 0, 0}, {9, 9, 9}, {0, 0, 200}, {1, 2, 3}};
    for (int i = 0; i < UserColorCount; ++i)
        EXPECT_EQ(ColorAt(*Made, FirstUserColor + i),
                  (i < int(Expected.size()) ? Expected[i] : TRgbColor{0, 0, 0}))
            << i;
    EXPECT_EQ(ColorAt(*Made, 255), (TRgbColor{255, 255, 255})) << "system entries as always";

    // A table of 256 (the reserved colours around the user ones, as other programs write
    // them) loses its repeats, then the colours no pixel uses; every used colour stays.
    TRgbPicture Full(2, 1);
    for (int i = 0; i < 256; ++i)
        Full.Palette.push_back({std::uint8_t(i), std::uint8_t(i < 128 ? 0 : 1), 0});
    Full.Set(0, 0, Full.Palette[250]);
    Full.Set(1, 0, Full.Palette[3]);
    Made = TPxPalette::CreateFromGraphic(Full);
    EXPECT_EQ(ColorAt(*Made, 10), Full.Palette[3]);
    EXPECT_EQ(ColorAt(*Made, 11), Full.Palette[250]);
    EXPECT_EQ(ColorAt(*Made, 12), (TRgbColor{0, 0, 0}));

    // More colours than the palette holds: the 236 most used, in the order they come; a
    // picture of over a million pixels is counted another way, to the same end.
    for (int Height : {2, 3600}) {
        TRgbPicture Many(300, Height);
        for (int x = 0; x < 300; ++x) {
            const TRgbColor Own{std::uint8_t(x / 256), std::uint8_t(x), 7};
            Many.Set(x, 0, Own);
            for (int y = 1; y < Height; ++y)
                Many.Set(x, y, x < 235 ? Own : TRgbColor{9, 9, 9});
        }
        Made = TPxPalette::CreateFromGraphic(Many);
        EXPECT_EQ(ColorAt(*Made, 10), (TRgbColor{0, 0, 7}));
        EXPECT_EQ(ColorAt(*Made, 244), (TRgbColor{0, 234, 7}));
        EXPECT_EQ(ColorAt(*Made, 245), (TRgbColor{9, 9, 9})) << "the most used, seen last";
    }
}

// Palette files of other programs: each format round-trips, files are told apart by their
// content, junk is skipped, and a file without a colour gets a clear error.
TEST(PaletteFormats, EveryFormatGivesBackThePalette) {
    std::mt19937 Random(1602);
    // 40 colours with black among them, then the black that a shorter palette leaves; and
    // all 236 colours in use.
    std::vector<TRgbColor> Some;
    for (int i = 0; i < 40; ++i)
        Some.push_back(
            {std::uint8_t(Random()), std::uint8_t(Random()), std::uint8_t(Random() | 1)});
    Some[3] = Some[38] = TRgbColor{};
    std::vector<TRgbColor> Full = Some;
    while (Full.size() < 236)
        Full.push_back({std::uint8_t(Random()), std::uint8_t(Random()), 1});
    for (const auto& ColorMap : {Some, Full}) {
        const auto Palette = TPxPalette::CreateFromColorMap(ColorMap);
        for (const TPaletteFormat Format :
             {TPaletteFormat::Vimbrel, TPaletteFormat::Gimp, TPaletteFormat::Jasc,
              TPaletteFormat::Hex, TPaletteFormat::Act}) {
            SCOPED_TRACE(int(Format));
            const std::string Text = FormatPaletteFile(*Palette, Format, "Some");
            const TPaletteFileColors Read = Parse(Text);
            EXPECT_EQ(Read.Format, Format);
            EXPECT_EQ(Read.Colors.size(),
                      Format == TPaletteFormat::Vimbrel ? 236u : ColorMap.size());
            EXPECT_TRUE(TPxPalette::CreateFromColorMap(Read.Colors)->Equals(*Palette));
        }
    }

    // The files as other programs expect them, without the black that fills the rest.
    const auto Three =
        TPxPalette::CreateFromColorMap({{255, 0, 16}, {0, 0, 0}, {1, 2, 3}, {0, 0, 0}});
    EXPECT_EQ(FormatPaletteFile(*Three, TPaletteFormat::Hex, ""), "ff0010\n000000\n010203\n");
    EXPECT_EQ(FormatPaletteFile(*Three, TPaletteFormat::Jasc, ""),
              "JASC-PAL\r\n0100\r\n3\r\n255 0 16\r\n0 0 0\r\n1 2 3\r\n");
    EXPECT_EQ(FormatPaletteFile(*Three, TPaletteFormat::Gimp, "Mine"),
              "GIMP Palette\nName: Mine\nColumns: 16\n#\n255 0 16\t#ff0010\n0 0 0\t#000000\n"
              "1 2 3\t#010203\n");
    EXPECT_EQ(FormatPaletteFile(*Three, TPaletteFormat::Act, "").substr(766),
              std::string("\x00\x00\x00\x03\xFF\xFF", 6));
    EXPECT_EQ(FormatPaletteFile(*TPxPalette::CreateFromColorMap({}), TPaletteFormat::Hex, ""),
              "000000\n");
}

TEST(PaletteFormats, ContentTellsTheKindAndJunkIsSkipped) {
    const std::vector<std::pair<std::string, TPaletteFileColors>> Cases = {
        // JASC also ends in .pal: its count bounds the colours read.
        {"JASC-PAL\r\n0100\r\n3\r\n1 2 3\r\nnot a colour\r\n4 5 6\r\n7 8 9\r\n10 11 12\r\n",
         {TPaletteFormat::Jasc, Colors({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}), ""}},
        // GIMP: header lines, comments and names; values beyond a channel's range are
        // clamped; a line of two numbers is junk.
        {"\xEF\xBB\xBFGIMP Palette\nName: Dusk  \nColumns: 4\n# made by hand\n\n"
         "  9  8  7\tdeep blue\n300 -5 20 Hot\n1 2\n",
         {TPaletteFormat::Gimp, Colors({{9, 8, 7}, {255, 0, 20}}), "Dusk"}},
        // .hex: any case, with or without '#', comments and blank lines around.
        {"; from a site\r\n\r\nFF8000\r\n#00ff7f\r\n12345\r\nabcdefg\r\n",
         {TPaletteFormat::Hex, Colors({{255, 128, 0}, {0, 255, 127}}), ""}},
        // The editor's own: a count, then three numbers a line.
        {"2\r\n\t10\t20\t30\r\n\t40\t50\t60\r\n",
         {TPaletteFormat::Vimbrel, Colors({{10, 20, 30}, {40, 50, 60}}), ""}},
        // Six digits that are both hex and a number: a line of three numbers marks its own.
        {"123456\n1 2 3\n", {TPaletteFormat::Vimbrel, Colors({{1, 2, 3}}), ""}},
    };
    for (const auto& [Text, Expected] : Cases) {
        SCOPED_TRACE(Text);
        const TPaletteFileColors Read = Parse(Text);
        EXPECT_EQ(std::tie(Read.Format, Read.Colors, Read.Name),
                  std::tie(Expected.Format, Expected.Colors, Expected.Name));
    }

    // Colour tables: all 256, or as many as the 772-byte form says (a count out of range
    // counting as all); one that happens to read as text is still a table.
    std::string Act(768, '\0');
    for (int i = 0; i < 768; ++i)
        Act[i] = char(i % 7);
    EXPECT_EQ(Parse(Act).Colors.size(), 256u);
    EXPECT_EQ(Parse(Act + std::string("\x00\x05\xFF\xFF", 4)).Colors,
              Colors({{0, 1, 2}, {3, 4, 5}, {6, 0, 1}, {2, 3, 4}, {5, 6, 0}}));
    EXPECT_EQ(Parse(Act + std::string("\x01\x01\x00\x00", 4)).Colors.size(), 256u);
    EXPECT_EQ(Parse(std::string(768, 'A')).Format, TPaletteFormat::Act);

    // More colours than any format holds: 256 are read; a palette takes the first 236.
    std::string Many;
    for (int i = 0; i < 300; ++i)
        Many += "0000" + std::string(i % 2 ? "01" : "02") + "\n";
    EXPECT_EQ(Parse(Many).Colors.size(), 256u);
    ScratchFolder Folder;
    std::ofstream(Folder / "many.hex") << Many;
    const auto FromMany = LoadPaletteFile((Folder / "many.hex").string());
    EXPECT_EQ(FromMany->Entry(245).Color(), (TRgbColor{0, 0, 1}));

    for (const std::string& Text : {std::string(), std::string("GIMP Palette\n# nothing\n"),
                                    std::string("JASC-PAL\n0100\n0\n"), std::string("236\r\n"),
                                    std::string("hello 1 2 3"), std::string(500, '\x01')}) {
        try {
            Parse(Text);
            ADD_FAILURE() << "accepted \"" << Text << "\"";
        } catch (const EPaletteFileError& Error) {
            EXPECT_NE(std::string(Error.what()).find("\"test.pal\" holds no colour"),
                      std::string::npos)
                << Error.what();
        }
    }
    EXPECT_THROW(ReadPaletteFile((Folder / "missing.gpl").string()), EPaletteFileError);
}
