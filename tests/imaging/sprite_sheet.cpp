// Sprite sheet layout, and the data file beside the sheet written and read back, including
// files written by other programs.
#include <fstream>
#include <stdexcept>

#include "imaging/SpriteSheet.h"
#include "support/PictureAssert.h"

namespace {

TSheetDataResult Parse(const std::string& Text) {
    return ParseSheetData(Text.data(), Text.size());
}

std::vector<std::tuple<int, int, int, int, int>> Places(const TSheetData& Data) {
    std::vector<std::tuple<int, int, int, int, int>> Out;
    for (const TSheetFrame& F : Data.Frames)
        Out.emplace_back(F.X, F.Y, F.W, F.H, F.Duration);
    return Out;
}

} // namespace

TEST(SpriteSheet, LayoutTakesTheSmallestSquareByDefault) {
    const auto Shape = [](int Cels, TSheetOptions Options) {
        const TSheetLayout L = PlanSheet(Cels, 10, 8, Options);
        return std::make_tuple(L.Columns, L.Rows, L.Width, L.Height);
    };
    EXPECT_EQ(Shape(1, {}), std::make_tuple(1, 1, 10, 8));
    EXPECT_EQ(Shape(5, {}), std::make_tuple(3, 2, 30, 16));
    EXPECT_EQ(Shape(4, {10, 1, 0}), std::make_tuple(4, 1, 40, 8));
    // Spacing lies between cels only; the cel size is scaled.
    const TSheetLayout Spaced = PlanSheet(5, 10, 8, {2, 2, 3});
    EXPECT_EQ(std::make_tuple(Spaced.Columns, Spaced.Rows, Spaced.CelWidth, Spaced.CelHeight,
                              Spaced.Width, Spaced.Height),
              std::make_tuple(2, 3, 20, 16, 43, 54));
    EXPECT_EQ(std::make_pair(Spaced.CelPlace(3).X, Spaced.CelPlace(3).Y), std::make_pair(23, 19));

    for (const TSheetOptions Wrong :
         {TSheetOptions{0, 0, 0}, TSheetOptions{0, 9, 0}, TSheetOptions{0, 1, -1},
          TSheetOptions{0, 1, 1025}, TSheetOptions{-1, 1, 0}})
        EXPECT_THROW(PlanSheet(3, 10, 8, Wrong), std::invalid_argument);
    EXPECT_THROW(PlanSheet(0, 10, 8, {}), std::invalid_argument);
    EXPECT_THROW(PlanSheet(5000, 65535, 1, {5000, 8, 0}), std::length_error);
}

TEST(SpriteSheet, DataReadsBackWhatWasWritten) {
    const TSheetLayout Layout = PlanSheet(5, 10, 8, {2, 2, 3});
    const TSheetDataResult Read =
        Parse(SheetDataJson(Layout, {100, 0, 65535, 30, 40}, "walk \"fast\".png", 3));
    ASSERT_TRUE(Read.Ok()) << Read.Error;
    const TSheetData& Data = Read.Data;
    EXPECT_EQ(Places(Data),
              (std::vector<std::tuple<int, int, int, int, int>>{{0, 0, 20, 16, 100},
                                                                {23, 0, 20, 16, 0},
                                                                {0, 19, 20, 16, 65535},
                                                                {23, 19, 20, 16, 30},
                                                                {0, 38, 20, 16, 40}}));
    EXPECT_EQ(Data.Frames[4].Name, "walk \"fast\"-004");
    EXPECT_EQ(std::make_tuple(Data.Image, Data.Width, Data.Height, Data.Scale, Data.Loop),
              std::make_tuple(std::string("walk \"fast\".png"), 43, 54, 2, 3));
    // Points in the spacing belong to no frame.
    EXPECT_EQ(std::make_tuple(SheetFrameAt(Data, 23, 19), SheetFrameAt(Data, 42, 34),
                              SheetFrameAt(Data, 21, 5), SheetFrameAt(Data, 20, 60)),
              std::make_tuple(3, 3, -1, -1));
    EXPECT_EQ(SheetDataFileFor("a/b.c/sheet.png"), "a/b.c/sheet.json");
    EXPECT_EQ(SheetDataFileFor("a.b/sheet"), "a.b/sheet.json");
}

TEST(SpriteSheet, DataOfOtherProgramsIsReadTolerantly) {
    // The hash form, numbers as text or with fractions, unknown keys, frames without a
    // usable rectangle skipped, a frame without a duration.
    const TSheetDataResult Hash =
        Parse("\xEF\xBB\xBF{\"frames\": {\n"
              " \"a\\u00e9\\ud83d\\ude00\": {\"frame\": {\"x\": \"4\", "
              "\"y\": 0, \"w\": 8.4, \"h\": 8}, \"duration\": 99.6},\n"
              " \"no size\": {\"frame\": {\"x\": 0, \"y\": 0}},\n"
              " \"huge\": {\"frame\": {\"x\": 1e-999, \"y\": 0, \"w\": 1e999, \"h\": 8}},\n"
              " \"empty\": {\"frame\": {\"x\": 0, \"y\": 0, \"w\": 0, "
              "\"h\": 5}},\n"
              " \"b\": {\"frame\": {\"x\": 12, \"y\": 0, \"w\": 8, \"h\": "
              "8}, \"pivot\": [0.5, null, true]}},\n"
              "\"meta\": {\"scale\": 2, \"size\": {\"w\": 20, \"h\": 8}}}");
    ASSERT_TRUE(Hash.Ok()) << Hash.Error;
    EXPECT_EQ(Places(Hash.Data), (std::vector<std::tuple<int, int, int, int, int>>{
                                     {4, 0, 8, 8, 100}, {12, 0, 8, 8, -1}}));
    EXPECT_EQ(Hash.Data.Frames[0].Name, "a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(std::make_tuple(Hash.Data.Scale, Hash.Data.Loop, Hash.Data.Width),
              std::make_tuple(2, -1, 20));

    const std::vector<std::pair<std::string, std::string>> Refused = {
        {"{\"frames\": [\n{\"frame\": {\"x\": 1,}}]}", "not JSON: a key expected on line 2"},
        {"{\"frames\": [{\"frame\": {\"x\": 0, \"y\": 0, \"w\": 1, \"h\": 1}}]", "not JSON"},
        {"\"frames\"", "lists no frames"},
        {std::string(100, '[') + std::string(100, ']'), "nesting too deep"},
    };
    for (const auto& [Text, Says] : Refused) {
        const TSheetDataResult Result = Parse(Text);
        EXPECT_NE(Result.Error.find(Says), std::string::npos) << Text << ": " << Result.Error;
    }
    ScratchFolder Folder;
    std::ofstream(Folder / "big.json") << "{}";
    fs::resize_file(Folder / "big.json", MaxSheetDataBytes + 1);
    EXPECT_NE(ReadSheetDataFile((Folder / "big.json").string()).Error.find("larger than"),
              std::string::npos);
    EXPECT_NE(ReadSheetDataFile((Folder / "none.json").string()).Error.find("Cannot open"),
              std::string::npos);
}
