// Writes the three animations that bench/resave_vs_peers.sh opens and saves again with
// vimbrel-cli and its peers, through the editor's own writer, from fixed seeds so that
// every run measures the same files:
//   shapes.gif     640 x 480, 100 cels: boxes and discs bouncing about a flat background
//   character.gif  64 x 64, 300 cels: a small figure walking to and fro
//   noise.gif      640 x 480, 20 cels: every pixel a random user colour
// Cels are kept under the next one (no disposal), so the shapes and the figure are stored
// as the rectangles that change, the way animations drawn in the editor are saved.
//
// Usage: resave_samples FOLDER
#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "BenchSamples.h"
#include "gif/GifWriter.h"
#include "imaging/Palette.h"
#include "imaging/PxBitmap.h"
#include "model/Spritez.h"

namespace {

struct Animation {
    std::unique_ptr<TPxPalette> Palette;
    std::unique_ptr<TSprite> Sprite;
};

Animation Start(int Width, int Height, COLORREF Background) {
    Animation A;
    A.Palette = ShippedPalette();
    A.Sprite = TSprite::Create(Width, Height, *A.Palette, Background);
    return A;
}

void FillBox(TPxBitmap& Bitmap, int X0, int Y0, int X1, int Y1, std::uint8_t Index) {
    for (int Y = std::max(0, Y0); Y <= std::min(Bitmap.Height() - 1, Y1); ++Y)
        for (int X = std::max(0, X0); X <= std::min(Bitmap.Width() - 1, X1); ++X)
            Bitmap.ScanLine(Y)[X] = Index;
}

Animation MovingShapes() {
    Animation A = Start(640, 480, RGB(204, 204, 255));
    AddMovingShapes(*A.Sprite, 100, DisposalNone);
    return A;
}

// A head, a body, swinging arms and legs, and an eye that blinks now and then, walking
// across a floor and turning at the edges.
Animation SmallCharacter() {
    constexpr int Size = 64;
    Animation A = Start(Size, Size, RGB(153, 204, 255));
    const std::uint8_t Floor = 10 + 3 * 36 + 1 * 6 + 0; // brown
    const std::uint8_t Skin = 10 + 5 * 36 + 4 * 6 + 3;  // light orange
    const std::uint8_t Shirt = 10 + 0 * 36 + 2 * 6 + 5; // blue
    const std::uint8_t Trousers = 10 + 1 * 36 + 1 * 6 + 1;
    const std::uint8_t Eye = 10;
    int X = 8, Dx = 1;
    for (int Cel = 0; Cel < 300; ++Cel) {
        A.Sprite->AddCel(60);
        A.Sprite->Cel(Cel).SetDisposal(DisposalNone);
        TPxBitmap& B = A.Sprite->CelBitmap(Cel);
        FillBox(B, 0, 56, Size - 1, Size - 1, Floor);
        const int Step = (Cel / 3) % 4; // leg and arm phase
        const int Swing = Step == 0 ? -2 : Step == 2 ? 2 : 0;
        FillBox(B, X + 2, 20, X + 9, 27, Skin); // head
        if (Cel % 40 < 37) FillBox(B, X + (Dx > 0 ? 7 : 3), 22, X + (Dx > 0 ? 7 : 3), 23, Eye);
        FillBox(B, X + 1, 28, X + 10, 41, Shirt);   // body
        FillBox(B, X - 1 + Swing, 29, X, 38, Skin); // arms
        FillBox(B, X + 11 - Swing, 29, X + 12, 38, Skin);
        FillBox(B, X + 2 + Swing, 42, X + 4 + Swing, 55, Trousers); // legs
        FillBox(B, X + 7 - Swing, 42, X + 9 - Swing, 55, Trousers);
        if (Cel % 2 == 1) {
            X += Dx;
            if (X < 2 || X > Size - 15) {
                Dx = -Dx;
                X += 2 * Dx;
            }
        }
    }
    return A;
}

Animation RandomNoise() {
    constexpr int Width = 640, Height = 480;
    Animation A = Start(Width, Height, RGB(0, 0, 0));
    std::mt19937 Random(99);
    for (int Cel = 0; Cel < 20; ++Cel) {
        A.Sprite->AddCel(100);
        A.Sprite->Cel(Cel).SetDisposal(DisposalNone);
        TPxBitmap& B = A.Sprite->CelBitmap(Cel);
        for (int Y = 0; Y < Height; ++Y)
            for (int X = 0; X < Width; ++X)
                B.ScanLine(Y)[X] = std::uint8_t(FirstUserColor + Random() % 236);
    }
    return A;
}

bool Save(const std::string& Path, const Animation& A) {
    A.Sprite->SetCurrent(0);
    const TGifWriteResult Result = SaveGifFile(Path, *A.Sprite, *A.Palette, {});
    if (!Result) std::fprintf(stderr, "resave_samples: %s\n", Result.Reason.c_str());
    return bool(Result);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Usage: resave_samples FOLDER\n");
        return 2;
    }
    const std::string Folder = argv[1];
    const bool Ok = Save(Folder + "/shapes.gif", MovingShapes()) &&
                    Save(Folder + "/character.gif", SmallCharacter()) &&
                    Save(Folder + "/noise.gif", RandomNoise());
    return Ok ? 0 : 1;
}
