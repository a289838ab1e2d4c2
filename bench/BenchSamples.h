#pragma once
// Pictures the benchmarks share, made from fixed seeds so that every run measures the same
// work.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "model/Spritez.h"

// The default palette the editor ships: a 6 x 6 x 6 colour cube and 20 greys.
inline std::unique_ptr<TPxPalette> ShippedPalette() {
    return TPxPalette::CreateFromFile(VIMBREL_APP_DIR "/vimbrel.pal");
}

// Appends CelCount cels to Sprite, each with Disposal: boxes and discs of different colours
// bouncing about a flat background, one step per cel.
inline void AddMovingShapes(TSprite& Sprite, int CelCount, std::uint8_t Disposal) {
    const int Width = Sprite.Width(), Height = Sprite.Height();
    struct Shape {
        int X, Y, Size, Dx, Dy;
        bool Disc;
        std::uint8_t Color;
    };
    std::mt19937 Random(2024);
    std::vector<Shape> Shapes;
    for (int I = 0; I < 8; ++I)
        Shapes.push_back({int(Random() % 500), int(Random() % 340), 40 + int(Random() % 100),
                          int(Random() % 13) - 6, int(Random() % 11) - 5, I % 2 == 1,
                          std::uint8_t(10 + Random() % 216)});
    for (int Step = 0; Step < CelCount; ++Step) {
        const int Cel = Sprite.AddCel(80);
        Sprite.Cel(Cel).SetDisposal(Disposal);
        TPxBitmap& Bitmap = Sprite.CelBitmap(Cel);
        for (Shape& S : Shapes) {
            const int R = S.Size / 2;
            for (int Y = std::max(0, S.Y); Y < std::min(Height, S.Y + S.Size); ++Y)
                for (int X = std::max(0, S.X); X < std::min(Width, S.X + S.Size); ++X) {
                    const int Dx = X - S.X - R, Dy = Y - S.Y - R;
                    if (!S.Disc || Dx * Dx + Dy * Dy <= R * R) Bitmap.ScanLine(Y)[X] = S.Color;
                }
            S.X += S.Dx;
            S.Y += S.Dy;
            if (S.X < -S.Size / 2 || S.X > Width - S.Size / 2) S.Dx = -S.Dx;
            if (S.Y < -S.Size / 2 || S.Y > Height - S.Size / 2) S.Dy = -S.Dy;
        }
    }
}
