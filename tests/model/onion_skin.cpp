#include "model/OnionSkin.h"

#include "model/Spritez.h"
#include "support/PictureAssert.h"

namespace {

constexpr int White = CubeIndex(255, 255, 255), Red = CubeIndex(255, 0, 0),
              Green = CubeIndex(0, 255, 0), Blue = CubeIndex(0, 0, 255), Black = CubeIndex(0, 0, 0);
const PictureLegend Legend{{White, '.'}, {Red, 'R'}, {Green, 'G'}, {Blue, 'B'}, {Black, 'K'}};

std::vector<int> Indices(const std::vector<TOnionCel>& Cels) {
    std::vector<int> Out;
    for (const TOnionCel& Cel : Cels)
        Out.push_back(Cel.Index * (Cel.After ? 1 : -1) * 10 - Cel.Distance);
    return Out;
}

TEST(OnionSkin, CelsFollowPlaybackOrderAndWrapAround) {
    // Written as index * 10, negative before the current cel, less the distance.
    EXPECT_EQ(Indices(OnionCels(0, 6, 1, 0)), (std::vector<int>{-51}));
    EXPECT_EQ(Indices(OnionCels(5, 6, 1, 1)), (std::vector<int>{-41, -1}));
    EXPECT_EQ(Indices(OnionCels(1, 6, 3, 2)), (std::vector<int>{-1, 19, -52, 28, -43}));
    // Three cels: each other cel once, at its nearest place; one cel shows nothing else.
    EXPECT_EQ(Indices(OnionCels(0, 3, 3, 3)), (std::vector<int>{-21, 9}));
    EXPECT_TRUE(OnionCels(0, 1, 3, 3).empty());
    EXPECT_TRUE(OnionCels(2, 6, 0, 0).empty());
}

TEST(OnionSkin, ShowsTintedPixelsThatDifferFromTheBackgroundThroughACheckerboard) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(4, 2, *Palette, RGB(255, 255, 255));
    for (int i = 0; i < 4; ++i)
        Sprite->AddCel(100);
    PaintPicture(Sprite->CelBitmap(0), Legend, {"K...", "...."}); // before, distance 1
    PaintPicture(Sprite->CelBitmap(1), Legend, {"..GG", "...."}); // current
    PaintPicture(Sprite->CelBitmap(2), Legend, {"KK..", "K..K"}); // after, distance 1
    PaintPicture(Sprite->CelBitmap(3), Legend, {"....", "RRRR"}); // before, distance 2
    TOnionLayer Layer;
    Layer.Build(*Sprite, 1, 2, 1);
    ASSERT_FALSE(Layer.Empty());
    // Black half-way to red is (128, 0, 0), nearest (153, 0, 0); to blue (0, 0, 153). Red two
    // thirds of the way to red stays red.
    const int BeforeBlack = CubeIndex(153, 0, 0), AfterBlack = CubeIndex(0, 0, 153);
    EXPECT_EQ(OnionTint(*Palette, Black, OnionBeforeTint, 1), BeforeBlack);
    EXPECT_EQ(Layer.At(0, 0), BeforeBlack); // the previous cel lies over the next one
    EXPECT_EQ(Layer.At(1, 0), AfterBlack);
    EXPECT_EQ(Layer.At(2, 0), 0);
    EXPECT_EQ(Layer.At(0, 1), AfterBlack);
    EXPECT_EQ(Layer.At(1, 1), Red);
    EXPECT_EQ(Layer.At(3, 1), AfterBlack);

    // At zoom 2 only background pixels of the current cel on the even squares change.
    std::vector<std::uint8_t> Row = {White, White, White, White, Green, Green, Green, Green};
    Layer.ComposeRow(Row.data(), 0, 8, 0, 2);
    EXPECT_EQ(Row,
              (std::vector<std::uint8_t>{std::uint8_t(BeforeBlack), White, std::uint8_t(AfterBlack),
                                         White, Green, Green, Green, Green}));
    // The next view row starts on the other square; a part of a row keeps the squares.
    std::vector<std::uint8_t> Part = {White, White, White};
    Layer.ComposeRow(Part.data(), 1, 4, 3, 2);
    EXPECT_EQ(Part, (std::vector<std::uint8_t>{std::uint8_t(AfterBlack), White, Red}));

    // Every shown pixel is a user colour; without other cels there is no layer.
    Sprite->DeleteCel(3);
    Sprite->DeleteCel(2);
    Sprite->DeleteCel(0);
    Layer.Build(*Sprite, 0, 3, 3);
    EXPECT_TRUE(Layer.Empty());
}

} // namespace
