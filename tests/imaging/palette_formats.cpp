// Palette files of other programs: each format round-trips, files are told apart by their
// content, junk is skipped, and a file without a colour gets a clear error.
#include <fstream>
#include <random>

#include "imaging/PaletteFormats.h"
#include "support/PictureAssert.h"

namespace {

const TPaletteFormat AllFormats[] = {TPaletteFormat::Vimbrel, TPaletteFormat::Gimp,
                                     TPaletteFormat::Jasc, TPaletteFormat::Hex,
                                     TPaletteFormat::Act};

TPaletteFileColors Parse(const std::string& Text) {
    return ParsePaletteFile(reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size(),
                            "test.pal");
}

std::vector<TRgbColor> Colors(std::initializer_list<TRgbColor> List) {
    return List;
}

} // namespace

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
    ScratchFolder Folder;
    for (const auto& ColorMap : {Some, Full}) {
        const auto Palette = TPxPalette::CreateFromColorMap(ColorMap);
        for (const TPaletteFormat Format : AllFormats) {
            SCOPED_TRACE(int(Format));
            const std::string Text = FormatPaletteFile(*Palette, Format, "Some");
            const TPaletteFileColors Read = Parse(Text);
            EXPECT_EQ(Read.Format, Format);
            EXPECT_EQ(Read.Colors.size(),
                      Format == TPaletteFormat::Vimbrel ? 236u : ColorMap.size());
            EXPECT_TRUE(TPxPalette::CreateFromColorMap(Read.Colors)->Equals(*Palette));
        }
        // Through a file, the format chosen by the name's extension.
        for (const char* Name : {"a.pal", "a.GPL", "a.hex", "a.act"}) {
            SavePaletteFile((Folder / Name).string(), *Palette, PaletteFormatForFileName(Name));
            EXPECT_TRUE(LoadPaletteFile((Folder / Name).string())->Equals(*Palette)) << Name;
        }
    }
    EXPECT_EQ(ReadPaletteFile((Folder / "a.GPL").string()).Name, "a");

    // The files as other programs expect them, without the black that fills the rest.
    const auto Three =
        TPxPalette::CreateFromColorMap({{255, 0, 16}, {0, 0, 0}, {1, 2, 3}, {0, 0, 0}});
    EXPECT_EQ(FormatPaletteFile(*Three, TPaletteFormat::Hex, ""), "ff0010\n000000\n010203\n");
    EXPECT_EQ(FormatPaletteFile(*Three, TPaletteFormat::Jasc, ""),
              "JASC-PAL\r\n0100\r\n3\r\n255 0 16\r\n0 0 0\r\n1 2 3\r\n");
    EXPECT_EQ(FormatPaletteFile(*Three, TPaletteFormat::Gimp, "Mine"),
              "GIMP Palette\nName: Mine\nColumns: 16\n#\n255 0 16\t#ff0010\n0 0 0\t#000000\n"
              "1 2 3\t#010203\n");
    const std::string Act = FormatPaletteFile(*Three, TPaletteFormat::Act, "");
    ASSERT_EQ(Act.size(), 772u);
    EXPECT_EQ(Act.substr(0, 6), std::string("\xFF\x00\x10\x00\x00\x00", 6));
    EXPECT_EQ(Act.substr(766), std::string("\x00\x00\x00\x03\xFF\xFF", 6));
    EXPECT_EQ(FormatPaletteFile(*TPxPalette::CreateFromColorMap({}), TPaletteFormat::Hex, ""),
              "000000\n");
}

TEST(PaletteFormats, ContentTellsTheKindAndJunkIsSkipped) {
    const std::vector<std::pair<std::string, TPaletteFileColors>> Cases = {
        // JASC also ends in .pal: its count bounds the colours read.
        {"JASC-PAL\r\n0100\r\n3\r\n1 2 3\r\nnot a colour\r\n4 5 6\r\n7 8 9\r\n10 11 12\r\n",
         {TPaletteFormat::Jasc, Colors({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}), ""}},
        {"JASC-PAL\n0100\n9999\n1 2 3\n", {TPaletteFormat::Jasc, Colors({{1, 2, 3}}), ""}},
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
    const TPaletteFileColors Letters = Parse(std::string(768, 'A'));
    EXPECT_EQ(std::make_pair(Letters.Format, Letters.Colors.size()),
              std::make_pair(TPaletteFormat::Act, std::size_t(256)));

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

TEST(PaletteFormats, ShippedPalettes) {
    const std::string Folder = std::string(VIMBREL_SOURCE_DIR) + "/data/palettes/";
    const std::vector<std::tuple<const char*, TPaletteFormat, std::size_t, TRgbColor>> Shipped = {
        {"cga16.hex", TPaletteFormat::Hex, 16, {170, 85, 0}},
        {"html16.gpl", TPaletteFormat::Gimp, 16, {192, 192, 192}},
        {"ega64.gpl", TPaletteFormat::Gimp, 64, {85, 170, 255}},
        {"handheld-greens.pal", TPaletteFormat::Jasc, 4, {48, 98, 48}},
        {"websafe216.act", TPaletteFormat::Act, 216, {51, 102, 153}},
    };
    for (const auto& [Name, Format, Count, Among] : Shipped) {
        SCOPED_TRACE(Name);
        const TPaletteFileColors Read = ReadPaletteFile(Folder + Name);
        EXPECT_EQ(std::make_pair(Read.Format, Read.Colors.size()), std::make_pair(Format, Count));
        EXPECT_NE(std::find(Read.Colors.begin(), Read.Colors.end(), Among), Read.Colors.end());
    }
}
