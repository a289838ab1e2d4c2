// Every test file that opens, saved again and composed by giflib as a viewer does, shows
// the very cels the reader made.
#include <algorithm>
#include <set>

#include "gif/GifReader.h"
#include "gif/GifWriter.h"
#include "giflib_viewer.h"
#include "support/PictureAssert.h"

namespace {

const fs::path Data = VIMBREL_TEST_DATA;

using giflib_viewer::ViewedFrame;
using giflib_viewer::ViewedPixel;

struct Mismatches {
    // Pixels that show another colour than the cel, or are drawn where the cel shows the
    // transparent background (or the reverse).
    int Wrong = 0;
    // Of those, pixels turning into the transparent background over a kept picture
    // (disposal 0 or 1): a frame can only let the pixel beneath show, so no GIF can.
    int Unshowable = 0;
    std::string First;
};

TRgbColor ColorOf(const GifColorType& Color) {
    return {Color.Red, Color.Green, Color.Blue};
}

// Opened is what the reader made of a file; it is saved and viewed through giflib.
Mismatches CompareResaved(const TGifReadResult& Opened) {
    const TSprite& Sprite = *Opened.Sprite;
    const TPxPalette& Palette = *Opened.Palette;
    TGifWriteSettings Settings;
    Settings.BackgroundTransparent = Opened.BackgroundTransparent;
    Settings.LoopCount = Opened.LoopCount;
    Settings.Comments = Opened.Comments;
    giflib_viewer::Bytes Saved;
    WriteGif(AppendTo(Saved), Sprite, Palette, Settings);

    Mismatches Result;
    const giflib_viewer::GiflibFile Gif = giflib_viewer::ReadWithGiflib(Saved);
    if (!Gif || Gif->ImageCount != Sprite.CelCount()) {
        Result.Wrong = 1;
        Result.First = "giflib does not read the saved file back whole";
        return Result;
    }
    const std::vector<ViewedFrame> Frames = giflib_viewer::ViewerFrames(*Gif);
    const TRgbColor Background = ColorOf(Gif->SColorMap->Colors[Gif->SBackGroundColor]);
    const int W = Sprite.Width();
    for (int Cel = 0; Cel < Sprite.CelCount(); ++Cel) {
        const TPxBitmap& Bitmap = Sprite.CelBitmap(Cel);
        const bool OverKeptPicture = Cel > 0 && Sprite.Cel(Cel - 1).Disposal() <= DisposalNone;
        for (int K = 0; K < W * Sprite.Height(); ++K) {
            const TRgbColor Expected = Palette.Entry(Bitmap.IndexAt(K % W, K / W)).Color();
            const bool ExpectedTransparent = Opened.BackgroundTransparent && Expected == Background;
            const ViewedPixel& Shown = Frames[std::size_t(Cel)][std::size_t(K)];
            if (Shown.Drawn ? ExpectedTransparent || ColorOf(Shown.Color) != Expected
                            : !ExpectedTransparent) {
                ++Result.Wrong;
                Result.Unshowable += ExpectedTransparent && OverKeptPicture;
                if (Result.First.empty())
                    Result.First = "cel " + std::to_string(Cel) + " at (" + std::to_string(K % W) +
                                   ", " + std::to_string(K / W) + ")";
            }
        }
    }
    return Result;
}

} // namespace

TEST(GifRoundTrip, EveryFileThatOpensSavesAsTheViewerShowedIt) {
    // Files with pixels that turn into the transparent background over a kept picture.
    // The first frame keeps its picture (disposal 1); each later frame covers the whole
    // screen, so the editor clears the picture to the transparent colour before drawing it,
    // and the pixels the first frame had there can only show through once saved.
    const std::string ClearedOverKept = "whole-screen frames cleared after a disposal-1 frame";
    const std::map<std::string, std::string> Unshowable = {
        {"peterdn/animated_transparent_frame_restorebackground_loop", ClearedOverKept},
        {"peterdn/animated_transparent_loop", ClearedOverKept},
        {"peterdn/animated_transparent_loop_frames_out_of_bounds", ClearedOverKept},
    };
    std::set<std::string> Opened, SeenUnshowable;
    for (const char* Folder : {"fixtures", "peterdn", "pygif", "damaged"}) {
        for (const fs::path& File : FilesIn(Data / Folder, ".gif")) {
            const std::string Name = std::string(Folder) + "/" + File.stem().string();
            SCOPED_TRACE(Name);
            const TGifReadResult Result = ReadGifFile(File.string());
            if (!Result.Opened()) continue;
            Opened.insert(Name);
            const Mismatches Found = CompareResaved(Result);
            if (Unshowable.count(Name)) {
                EXPECT_EQ(Found.Wrong, Found.Unshowable) << "first: " << Found.First;
                if (Found.Unshowable > 0) SeenUnshowable.insert(Name);
            } else {
                EXPECT_EQ(Found.Wrong, 0) << "first: " << Found.First;
            }
        }
    }
    // Each exemption must still be needed, or it hides nothing but could hide a fault.
    for (const auto& [Name, Why] : Unshowable)
        EXPECT_TRUE(SeenUnshowable.count(Name)) << Name << " (" << Why << ") needs no exemption";
    EXPECT_GE(Opened.size(), 100u);
}
