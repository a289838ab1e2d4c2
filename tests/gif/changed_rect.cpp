// The writer's changed rectangle against a pixel-by-pixel account, at every row width.
#include <algorithm>
#include <climits>
#include <random>
#include <tuple>

#include "gif/GifWriter.h"
#include "model/Spritez.h"
#include "support/PictureAssert.h"

namespace {

// Every pixel whose colour differs from the cel before, boxed; the 2 x 2 corner when none.
TRect ChangedPixels(const TSprite& Sprite, int Index) {
    const TPxBitmap& Before = Sprite.CelBitmap(Index - 1);
    const TPxBitmap& Now = Sprite.CelBitmap(Index);
    TRect Box{INT_MAX, INT_MAX, -1, -1};
    for (int Y = 0; Y < Sprite.Height(); ++Y)
        for (int X = 0; X < Sprite.Width(); ++X)
            if (Before.ColorTable()[Before.IndexAt(X, Y)] != Now.ColorTable()[Now.IndexAt(X, Y)])
                Box = {std::min(Box.Left, X), std::min(Box.Top, Y), std::max(Box.Right, X),
                       std::max(Box.Bottom, Y)};
    if (Box.Right < 0)
        return {0, 0, std::min(1, Sprite.Width() - 1), std::min(1, Sprite.Height() - 1)};
    return Box;
}

} // namespace

TEST(ChangedRect, BoxesEveryPixelThatChangedColourAndNoOther) {
    auto Palette = MakeCubePalette();
    // System entry 0 and user entry 10 are both black: a pixel moving between them has not
    // changed.
    ASSERT_EQ(Palette->Entry(0).Color(), Palette->Entry(10).Color());
    std::mt19937 Random(7);
    for (const int Width : {1, 7, 8, 9, 16, 17, 37, 64, 100}) {
        auto Sprite = TSprite::Create(Width, 6, *Palette, RGB(0, 0, 0));
        for (int Cel = 0; Cel < 40; ++Cel) {
            Sprite->Cel(Sprite->AddCel(10)).SetDisposal(DisposalNone);
            TPxBitmap& Bitmap = Sprite->CelBitmap(Cel);
            if (Cel > 0) {
                const TPxBitmap& Before = Sprite->CelBitmap(Cel - 1);
                std::copy(Before.Bits(), Before.Bits() + Before.ImageSize(), Bitmap.Bits());
            }
            // A few pixels painted, some of them only swapped between the two blacks.
            const int Changes = int(Random() % 4);
            for (int I = 0; I < Changes; ++I) {
                std::uint8_t& Pixel = Bitmap.ScanLine(int(Random() % 6))[Random() % Width];
                Pixel = Random() % 3 == 0 ? std::uint8_t(Pixel == 0 ? 10 : 0)
                                          : std::uint8_t(10 + Random() % 216);
            }
            if (Cel == 0) continue;
            const TRect Expected = ChangedPixels(*Sprite, Cel);
            const TRect Got = GetChangedRect(*Sprite, Cel);
            EXPECT_EQ(std::tie(Got.Left, Got.Top, Got.Right, Got.Bottom),
                      std::tie(Expected.Left, Expected.Top, Expected.Right, Expected.Bottom))
                << "width " << Width << ", cel " << Cel;
        }
    }
}
