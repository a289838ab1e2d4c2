// Any byte string given to the GIF reader either opens as a sound animation (at least one
// cel, every cel of the sprite's size on the result's palette, disposals 0..3, delays
// that a file can give) or fails with a reason; anything else (a crash, a sanitizer
// report, a leak, an exception, an inconsistent result) is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "gif/GifReader.h"
#include "imaging/PxBitmap.h"
#include "model/Spritez.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    // A smaller budget than the editor's keeps each run fast and far from the fuzzer's
    // memory limit; the refusal path is the same.
    TGifReadLimits Limits;
    Limits.MaxPictureBytes = std::size_t(16) << 20;
    const TGifReadResult Result = ReadGif(Data, Size, Limits);
    if (!Result.Opened()) {
        if (Result.Error.empty() || Result.Palette) std::abort();
        return 0;
    }
    const TSprite& Sprite = *Result.Sprite;
    if (!Result.Error.empty() || !Result.Palette || &Sprite.Palette() != Result.Palette.get() ||
        Sprite.CelCount() < 1 || Sprite.Current() != 0 || Sprite.Width() < 1 ||
        Sprite.Height() < 1 || Result.DefaultDelay != Sprite.Cel(Sprite.CelCount() - 1).Delay())
        std::abort();
    for (int Index = 0; Index < Sprite.CelCount(); ++Index) {
        const TCel& Cel = Sprite.Cel(Index);
        const TPxBitmap& Bitmap = Cel.Bitmap();
        if (Bitmap.Width() != Sprite.Width() || Bitmap.Height() != Sprite.Height() ||
            &Bitmap.Palette() != Result.Palette.get() || Cel.Disposal() > 3 || Cel.Delay() <= 0 ||
            Cel.Delay() > 655350)
            std::abort();
        // Every pixel is a user colour, so the cel saves back without loss.
        for (int Y = 0; Y < Bitmap.Height(); ++Y)
            for (int X = 0; X < Bitmap.Width(); ++X)
                if (Bitmap.IndexAt(X, Y) < FirstUserColor || Bitmap.IndexAt(X, Y) > LastUserColor)
                    std::abort();
    }
    return 0;
}
