// Sprite sheet data comes from other programs; reading it must give usable frames or a
// reason, within its bounds, whatever the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/SpriteSheet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const TSheetDataResult Read = ParseSheetData(reinterpret_cast<const char*>(Data), Size);
    if (Read.Ok() == Read.Data.Frames.empty()) std::abort();
    if (Read.Data.Frames.size() > MaxSheetFrames || Read.Data.Scale < 1) std::abort();
    for (const TSheetFrame& Frame : Read.Data.Frames)
        if (Frame.W < 1 || Frame.H < 1 || Frame.Duration < -1) std::abort();
    if (Read.Ok() && SheetFrameAt(Read.Data, Read.Data.Frames[0].X, Read.Data.Frames[0].Y) != 0)
        std::abort();
    return 0;
}
