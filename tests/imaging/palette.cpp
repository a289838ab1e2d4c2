#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "imaging/Palette.h"
#include "imaging/Report.h"
#include "support/PictureAssert.h"

namespace fs = std::filesystem;

namespace {
class PaletteFiles : public ::testing::Test {
protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() /
                 ("vimbrel-palette-" +
                  std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }

    std::string Write(const std::string& Name, const std::string& Text) {
        const fs::path Path = Folder / Name;
        std::ofstream(Path, std::ios::binary) << Text;
        return Path.string();
    }
    static std::string Read(const std::string& Path) {
        std::ostringstream Text;
        Text << std::ifstream(Path, std::ios::binary).rdbuf();
        return Text.str();
    }

    fs::path Folder;
};

RgbColor ColorAt(const TPxPalette& Palette, int Index) {
    return Palette.Entry(Index).Color();
}

std::vector<std::string> Messages;
ReportHandler Recorder() {
    Messages.clear();
    return [](ReportKind Kind, const std::string& Text) {
        Messages.push_back(Kind == ReportKind::Beep ? "<beep>" : Text);
    };
}
} // namespace

TEST_F(PaletteFiles, SavedPaletteLoadsBackWithTheSameUserColoursAndExactLayout) {
    auto Palette = MakeCubePalette();
    Palette->SetColor(200, RGB(10, 200, 3));
    const std::string Path = (Folder / "cube.pal").string();
    Palette->SaveToFile(Path);

    const std::string Text = Read(Path);
    EXPECT_EQ(Text.substr(0, 15), std::string("236\r\n\t0\t0\t0\r\n\t0"));
    EXPECT_NE(Text.find("\r\n\t10\t200\t3\r\n"), std::string::npos);
    EXPECT_EQ(std::count(Text.begin(), Text.end(), '\n'), 237);
    EXPECT_EQ(std::count(Text.begin(), Text.end(), '\r'), 237);

    auto Loaded = TPxPalette::CreateFromFile(Path);
    EXPECT_TRUE(Loaded->Equals(*Palette));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Loaded->Entry(i).Color(), SystemPaletteEntries()[i].Color());
    EXPECT_EQ(Loaded->Entry(255).Color(), (RgbColor{255, 255, 255}));
    EXPECT_EQ(Loaded->Entry(100).Flags, PC_NOCOLLAPSE);
    // Saving again replaces the file, leaving no temporary file behind.
    Loaded->SaveToFile(Path);
    EXPECT_EQ(Read(Path), Text);
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 1);
}

TEST_F(PaletteFiles, OddFilesLoadAsForgivingAsTheFormatAllows) {
    // Only three colour lines: the rest of the user colours stay black.
    auto Short =
        TPxPalette::CreateFromFile(Write("short.pal", "236\r\n\t1\t2\t3\r\n4 5 6\n\t7\t8\t9"));
    EXPECT_EQ(ColorAt(*Short, 10), (RgbColor{1, 2, 3}));
    EXPECT_EQ(ColorAt(*Short, 11), (RgbColor{4, 5, 6}));
    EXPECT_EQ(ColorAt(*Short, 12), (RgbColor{7, 8, 9}));
    EXPECT_EQ(ColorAt(*Short, 13), (RgbColor{0, 0, 0}));
    EXPECT_EQ(ColorAt(*Short, 245), (RgbColor{0, 0, 0}));

    // 300 lines fill every user colour and the rest is ignored.
    std::string Long = "300\r\n";
    for (int k = 0; k < 300; ++k)
        Long += "\t" + std::to_string(k % 256) + "\t1\t2\r\n";
    auto Full = TPxPalette::CreateFromFile(Write("long.pal", Long));
    EXPECT_EQ(ColorAt(*Full, 245), (RgbColor{235, 1, 2}));
    EXPECT_EQ(ColorAt(*Full, 246), SystemPaletteEntries()[246].Color());

    // Low 8 bits of each number; a first line of 0 is accepted; the count is not used; one
    // colour may be spread over lines; the rest of a colour's line is ignored.
    auto Odd = TPxPalette::CreateFromFile(
        Write("odd.pal", "0 anything here\n\t300\t-1\t255\r\n1\n2\n3 trailing words\n\n\n"));
    EXPECT_EQ(ColorAt(*Odd, 10), (RgbColor{44, 255, 255}));
    EXPECT_EQ(ColorAt(*Odd, 11), (RgbColor{1, 2, 3}));
    EXPECT_EQ(ColorAt(*Odd, 12), (RgbColor{0, 0, 0})) << "trailing blank lines add no colour";

    // Unreadable colour lines are skipped and reading goes on after them.
    auto Skipped = TPxPalette::CreateFromFile(
        Write("bad.pal", "236\n\tred\tgreen\tblue\n\t1\t2\tx3\n\t4\t5\t6\n12abc 1 1\n\t7\t8\n"));
    EXPECT_EQ(ColorAt(*Skipped, 10), (RgbColor{4, 5, 6}));
    EXPECT_EQ(ColorAt(*Skipped, 11), (RgbColor{0, 0, 0})) << "an unfinished colour fills nothing";

    // A huge number keeps its low 8 bits without overflowing anything.
    auto Huge =
        TPxPalette::CreateFromFile(Write("huge.pal", "1\n99999999999999999999999999 256 513\n"));
    EXPECT_EQ(ColorAt(*Huge, 10).Green, 0);
    EXPECT_EQ(ColorAt(*Huge, 10).Blue, 1);
}

TEST_F(PaletteFiles, EveryKindOfLineEndReadsAlike) {
    // Trailing words make the reader skip the rest of a line, where the line end matters.
    const std::vector<std::string> Lines = {"236 colours", "\t1\t2\t3", "4 5 6 trailing words",
                                            "\t7\t8\t9"};
    std::vector<std::pair<std::string, std::string>> Files;
    for (const char* End : {"\n", "\r\n", "\r"}) {
        std::string Text;
        for (const std::string& Line : Lines)
            Text += Line + End;
        Files.push_back({End, Text});
    }
    Files.push_back({"lone CR in CR LF", "236 colours\r\n\t1\t2\t3\r4 5 6 trailing words\r\n"
                                         "\t7\t8\t9\r\n"});
    for (const auto& [Name, Text] : Files) {
        auto Palette = TPxPalette::CreateFromFile(Write("ends.pal", Text));
        EXPECT_EQ(ColorAt(*Palette, 10), (RgbColor{1, 2, 3})) << Name;
        EXPECT_EQ(ColorAt(*Palette, 11), (RgbColor{4, 5, 6})) << Name;
        EXPECT_EQ(ColorAt(*Palette, 12), (RgbColor{7, 8, 9})) << Name;
        EXPECT_EQ(ColorAt(*Palette, 13), (RgbColor{0, 0, 0})) << Name;
    }
}

TEST_F(PaletteFiles, FilesThatAreNotPalettesFailWithAReason) {
    for (const std::string Text :
         {"", "   \r\n", "JASC-PAL\r\n0100\r\n", "abc 1 2 3", "12abc\n1 2 3"}) {
        const std::string Path = Write("bad.pal", Text);
        try {
            TPxPalette::CreateFromFile(Path);
            ADD_FAILURE() << "accepted \"" << Text << "\"";
        } catch (const PaletteFileError& Error) {
            EXPECT_NE(std::string(Error.what()).find("not a palette file"), std::string::npos);
        }
    }
    try {
        TPxPalette::CreateFromFile((Folder / "missing.pal").string());
        ADD_FAILURE() << "opened a missing file";
    } catch (const PaletteFileError& Error) {
        EXPECT_NE(std::string(Error.what()).find("missing.pal"), std::string::npos);
    }
}

TEST_F(PaletteFiles, FailedSaveLeavesTheDiskAsItWas) {
    auto Palette = MakeCubePalette();
    EXPECT_THROW(Palette->SaveToFile((Folder / "no-such-folder" / "x.pal").string()),
                 PaletteFileError);
    // A folder standing where the file should go cannot be replaced by the file.
    fs::create_directories(Folder / "taken.pal" / "inside");
    EXPECT_THROW(Palette->SaveToFile((Folder / "taken.pal").string()), PaletteFileError);
    EXPECT_TRUE(fs::is_directory(Folder / "taken.pal" / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
}

TEST(Palette, SetColorKeepsToTheUserColours) {
    ScopedReportHandler Scope(Recorder());
    auto Palette = MakeCubePalette();
    const RgbColor Before = ColorAt(*Palette, 246);
    Palette->SetColor(246, RGB(1, 2, 3));
    Palette->SetColor(9, RGB(1, 2, 3));
    EXPECT_EQ(Messages, (std::vector<std::string>{"Index out of range to update palette!",
                                                  "Index out of range to update palette!"}));
    EXPECT_EQ(ColorAt(*Palette, 246), Before);
    Palette->SetColor(245, RGB(1, 2, 3));
    EXPECT_EQ(Palette->GetColor(245), PALETTERGB(1, 2, 3));
    EXPECT_EQ(Messages.size(), 2u);
    // The new colour takes part in matching at once.
    EXPECT_EQ(Palette->NearestIndexColor(RGB(1, 2, 3)), PALETTEINDEX(245));
}

TEST(Palette, GradientsBlendEvenlyAndTruncate) {
    auto Palette = MakeCubePalette();
    Palette->SetColor(10, RGB(0, 0, 0));
    Palette->SetColor(14, RGB(100, 0, 200));
    Palette->MakeGradient(14, 10);
    EXPECT_EQ(ColorAt(*Palette, 11), (RgbColor{25, 0, 50}));
    EXPECT_EQ(ColorAt(*Palette, 12), (RgbColor{50, 0, 100}));
    EXPECT_EQ(ColorAt(*Palette, 13), (RgbColor{75, 0, 150}));

    Palette->SetColor(13, RGB(100, 0, 0));
    Palette->MakeGradient(10, 13);
    EXPECT_EQ(ColorAt(*Palette, 11).Red, 33);
    EXPECT_EQ(ColorAt(*Palette, 12).Red, 66);

    // Falling values truncate toward zero as well: 100 - 33.3 = 66.6 gives 66.
    Palette->SetColor(20, RGB(100, 100, 100));
    Palette->SetColor(23, RGB(0, 0, 0));
    Palette->MakeGradient(20, 23);
    EXPECT_EQ(ColorAt(*Palette, 21).Red, 66);
    EXPECT_EQ(ColorAt(*Palette, 22).Red, 33);

    const RgbColor Neighbour = ColorAt(*Palette, 21);
    Palette->MakeGradient(20, 21);
    EXPECT_EQ(ColorAt(*Palette, 21), Neighbour);
}

TEST(Palette, SwapAndCopyMoveColours) {
    auto Palette = MakeCubePalette();
    const RgbColor A = ColorAt(*Palette, 50), B = ColorAt(*Palette, 60);
    Palette->SwapColors(50, 60);
    EXPECT_EQ(ColorAt(*Palette, 50), B);
    EXPECT_EQ(ColorAt(*Palette, 60), A);
    Palette->CopyColor(70, 50);
    EXPECT_EQ(ColorAt(*Palette, 70), B);
    EXPECT_EQ(Palette->NearestIndexColor(B.Ref()), PALETTEINDEX(50)) << "ties go to the lowest";
}

TEST(Palette, NearestColourPrefersTheLowestOfEqualEntries) {
    auto Palette = MakeCubePalette();
    Palette->SetColor(245, RGB(7, 77, 177));
    EXPECT_EQ(Palette->NearestIndexColor(RGB(7, 77, 177)), PALETTEINDEX(245));
    EXPECT_EQ(Palette->NearestIndexColor(PALETTERGB(8, 78, 176)), PALETTEINDEX(245));
    Palette->SetColor(30, RGB(1, 1, 1));
    Palette->SetColor(40, RGB(1, 1, 1));
    EXPECT_EQ(Palette->NearestIndexColor(RGB(1, 1, 1)), PALETTEINDEX(30));
    // Never a system entry, even for a colour only a system entry holds exactly.
    EXPECT_EQ(Palette->NearestIndexColor(RGB(0, 0, 0)), PALETTEINDEX(10));
    EXPECT_EQ(Palette->NearestIndexColor(PALETTEINDEX(0)), PALETTEINDEX(10));
    auto AllBlack = TPxPalette::CreateFromColorMap({});
    EXPECT_EQ(AllBlack->NearestIndexColor(RGB(255, 255, 255)), PALETTEINDEX(10));
}

TEST(Palette, ConstructorsFillUserColours) {
    RgbPicture Sixteen(1, 1);
    for (int k = 0; k < 16; ++k)
        Sixteen.Palette.push_back({std::uint8_t(k), 100, 200});
    auto FromGraphic = TPxPalette::CreateFromGraphic(Sixteen);
    EXPECT_EQ(ColorAt(*FromGraphic, 10), (RgbColor{255, 255, 255}));
    for (int i = 11; i <= 15; ++i)
        EXPECT_EQ(ColorAt(*FromGraphic, i), (RgbColor{std::uint8_t(i), 100, 200}));
    EXPECT_EQ(ColorAt(*FromGraphic, 16), (RgbColor{0, 0, 0}));
    EXPECT_EQ(ColorAt(*FromGraphic, 245), (RgbColor{0, 0, 0}));

    RgbPicture Big(1, 1);
    for (int k = 0; k < 256; ++k)
        Big.Palette.push_back({std::uint8_t(k), 1, 2});
    auto FromBig = TPxPalette::CreateFromGraphic(Big);
    EXPECT_EQ(ColorAt(*FromBig, 245), (RgbColor{245, 1, 2}));

    auto FromMap = TPxPalette::CreateFromColorMap({{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(ColorAt(*FromMap, 11), (RgbColor{4, 5, 6}));
    EXPECT_EQ(ColorAt(*FromMap, 12), (RgbColor{0, 0, 0}));
    EXPECT_EQ(FromMap->Entry(12).Flags, PC_NOCOLLAPSE);

    auto Copy = TPxPalette::CreateCopy(*FromMap);
    EXPECT_TRUE(Copy->Equals(*FromMap));
    Copy->SetColor(100, RGB(9, 9, 9));
    EXPECT_FALSE(Copy->Equals(*FromMap));
}

TEST(Palette, GifColourTableHoldsTheUserColoursThenZeros) {
    auto Palette = MakeCubePalette();
    std::vector<std::uint8_t> Bytes;
    Palette->WriteGifColorTable([&](const std::uint8_t* Data, std::size_t Count) {
        Bytes.insert(Bytes.end(), Data, Data + Count);
    });
    ASSERT_EQ(Bytes.size(), 768u);
    EXPECT_EQ(std::vector<std::uint8_t>(Bytes.begin() + 3, Bytes.begin() + 6),
              (std::vector<std::uint8_t>{0, 0, 51}));
    EXPECT_EQ(std::vector<std::uint8_t>(Bytes.begin() + 705, Bytes.begin() + 708),
              (std::vector<std::uint8_t>{243, 243, 243}));
    EXPECT_EQ(std::count(Bytes.begin() + 708, Bytes.end(), 0), 60);
}

TEST(Palette, TranslationMapLandsEverythingOnUserColours) {
    auto Old = MakeCubePalette();
    auto New = TPxPalette::CreateCopy(*Old);
    New->SetColor(CubeIndex(255, 0, 0), RGB(250, 0, 0));
    Old->BuildMap(*New);
    EXPECT_EQ(Old->Map()[CubeIndex(0, 51, 102)], CubeIndex(0, 51, 102));
    EXPECT_EQ(Old->Map()[CubeIndex(255, 0, 0)], CubeIndex(255, 0, 0))
        << "the nearest is the edited red";
    EXPECT_EQ(Old->Map()[0], 10) << "system black goes to user black";
    EXPECT_EQ(Old->Map()[255], CubeIndex(255, 255, 255));
    EXPECT_EQ(Old->Map()[249], CubeIndex(255, 0, 0));
    for (int i = 0; i < 256; ++i) {
        EXPECT_GE(Old->Map()[i], 10);
        EXPECT_LE(Old->Map()[i], 245);
    }
}

TEST(Palette, ShippedPalettesLoad) {
    for (const char* Name : {"vimbrel.pal", "palettes/vimbrel.pal", "palettes/greys.pal",
                             "palettes/ramps.pal", "palettes/retro16.pal"}) {
        auto Palette =
            TPxPalette::CreateFromFile(std::string(VIMBREL_SOURCE_DIR) + "/data/" + Name);
        bool HasBlack = false, HasWhite = false;
        for (int i = 10; i <= 245; ++i) {
            HasBlack |= ColorAt(*Palette, i) == RgbColor{0, 0, 0};
            HasWhite |= ColorAt(*Palette, i) == RgbColor{255, 255, 255};
        }
        EXPECT_TRUE(HasBlack && HasWhite) << Name;
    }
}
