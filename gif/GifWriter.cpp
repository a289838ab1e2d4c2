#include "gif/GifWriter.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "gif/DynArrB.h"
#include "gif/LzwEncoder.h"
#include "imaging/FileReplace.h"
#include "imaging/PxBitmap.h"
#include "model/Spritez.h"

namespace {

void Put16(std::vector<std::uint8_t>& Out, unsigned Value) {
    Out.push_back(std::uint8_t(Value & 0xFF));
    Out.push_back(std::uint8_t((Value >> 8) & 0xFF));
}

void Put(const ByteSink& Sink, const std::vector<std::uint8_t>& Bytes) {
    Sink(Bytes.data(), Bytes.size());
}

// After a cel that clears its area or restores the picture before it, a viewer no longer
// shows that cel, so a rectangle measured against it would be drawn over the wrong picture.
bool LeavesOtherPicture(std::uint8_t Disposal) {
    return Disposal == DisposalRestoreBackground || Disposal == DisposalRestorePrevious;
}

// Where A and B first hold different bytes in From..End - 1 (End when nowhere), and where
// they last do in Low..From (Low - 1 when nowhere): eight bytes at a time, since the
// pictures of an animation mostly agree.
int FirstByteDifference(const std::uint8_t* A, const std::uint8_t* B, int From, int End) {
    for (; From + 8 <= End; From += 8) {
        std::uint64_t X, Y;
        std::memcpy(&X, A + From, 8);
        std::memcpy(&Y, B + From, 8);
        if (X != Y) break;
    }
    while (From < End && A[From] == B[From])
        ++From;
    return From;
}

int LastByteDifference(const std::uint8_t* A, const std::uint8_t* B, int From, int Low) {
    for (; From - 8 >= Low - 1; From -= 8) {
        std::uint64_t X, Y;
        std::memcpy(&X, A + From - 7, 8);
        std::memcpy(&Y, B + From - 7, 8);
        if (X != Y) break;
    }
    while (From >= Low && A[From] == B[From])
        --From;
    return From;
}

std::string CommentText(const std::vector<std::string>& Lines) {
    std::string Text;
    for (const std::string& Line : Lines)
        Text += Line + "\r\n";
    // A comment is C text to every reader: it ends at the first zero byte.
    return Text.substr(0, Text.find('\0'));
}

} // namespace

TRect GetChangedRect(const TSprite& Sprite, int CelIndex) {
    const int W = Sprite.Width();
    const int H = Sprite.Height();
    if (CelIndex == 0 || Sprite.Cel(CelIndex).Disposal() == DisposalRestoreBackground ||
        LeavesOtherPicture(Sprite.Cel(CelIndex - 1).Disposal()))
        return {0, 0, W - 1, H - 1};

    const TPxBitmap& Previous = Sprite.CelBitmap(CelIndex - 1);
    const TPxBitmap& Cel = Sprite.CelBitmap(CelIndex);
    const TColorTable& PreviousColors = Previous.ColorTable();
    const TColorTable& CelColors = Cel.ColorTable();
    // Two entries of the same colour look the same, so they do not count as a change.
    auto Differs = [&](std::uint8_t A, std::uint8_t B) {
        return A != B && PreviousColors[A] != CelColors[B];
    };

    int MinX = INT_MAX, MinY = INT_MAX, MaxX = -1, MaxY = -1;
    for (int Y = 0; Y < H; ++Y) {
        const std::uint8_t* A = Previous.ScanLine(Y);
        const std::uint8_t* B = Cel.ScanLine(Y);
        int First = FirstByteDifference(A, B, 0, W);
        while (First < W && !Differs(A[First], B[First]))
            First = FirstByteDifference(A, B, First + 1, W);
        if (First == W) continue;
        int Last = LastByteDifference(A, B, W - 1, First);
        while (!Differs(A[Last], B[Last]))
            Last = LastByteDifference(A, B, Last - 1, First);
        MinX = std::min(MinX, First);
        MaxX = std::max(MaxX, Last);
        MinY = std::min(MinY, Y);
        MaxY = Y;
    }
    if (MaxX < 0) return {0, 0, std::min(1, W - 1), std::min(1, H - 1)};
    return {MinX, MinY, MaxX, MaxY};
}

std::array<std::uint8_t, 256> GifColorNumbers(const TPxPalette& Palette) {
    std::array<std::uint8_t, 256> Numbers{};
    for (int Index = 0; Index < 256; ++Index) {
        const int User = Index >= FirstUserColor && Index <= LastUserColor
                             ? Index
                             : Palette.NearestUserIndex(Palette.Entry(Index).Color());
        Numbers[Index] = std::uint8_t(User - FirstUserColor);
    }
    return Numbers;
}

std::uint8_t GifBackgroundIndex(const TSprite& Sprite, const TPxPalette& Palette) {
    const int User = Palette.NearestUserIndex(Palette.ColorOf(Sprite.BackColor()));
    return std::uint8_t(User - FirstUserColor);
}

void WriteGif(const ByteSink& Sink, const TSprite& Sprite, const TPxPalette& Palette,
              const TGifWriteSettings& Settings, const GifWriteProgress& Progress) {
    const int S = Settings.Scale;
    CheckExportScale(S);
    const long long W = (long long)Sprite.Width() * S;
    const long long H = (long long)Sprite.Height() * S;
    if (W < 1 || H < 1 || W > 65535 || H > 65535)
        throw std::length_error("A GIF picture is 1 to 65535 pixels wide and high, not " +
                                std::to_string(W) + " x " + std::to_string(H));
    const int CelCount = Sprite.CelCount();
    if (Progress) Progress(0, CelCount);

    const std::uint8_t Background = GifBackgroundIndex(Sprite, Palette);
    std::vector<std::uint8_t> Out = {'G', 'I', 'F', '8', '9', 'a'};
    Put16(Out, unsigned(W));
    Put16(Out, unsigned(H));
    // Global colour table of 256 entries, 8 bits of colour resolution, not sorted.
    Out.insert(Out.end(), {0xF7, Background, 0});
    Put(Sink, Out);
    Palette.WriteGifColorTable(Sink);

    // Each piece of the comment is an extension of its own, so that readers which keep
    // only the first data block of a comment still see the text whole.
    const std::string Comment = CommentText(Settings.Comments);
    for (std::size_t At = 0; At < Comment.size(); At += 255) {
        const std::size_t Length = std::min<std::size_t>(255, Comment.size() - At);
        Out = {0x21, 0xFE, std::uint8_t(Length)};
        Out.insert(Out.end(), Comment.begin() + std::ptrdiff_t(At),
                   Comment.begin() + std::ptrdiff_t(At + Length));
        Out.push_back(0);
        Put(Sink, Out);
    }

    Out = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01};
    Put16(Out, Settings.LoopCount);
    Out.push_back(0);
    Put(Sink, Out);

    const std::array<std::uint8_t, 256> Numbers = GifColorNumbers(Palette);
    for (int I = 0; I < CelCount; ++I) {
        const TCel& Cel = Sprite.Cel(I);
        // What changed between the cels changes between their scaled pictures, block for
        // block, so the rectangle is measured on the cels and then scaled.
        const TRect R = GetChangedRect(Sprite, I);
        const int RectWidth = R.Right - R.Left + 1;
        const int RectHeight = R.Bottom - R.Top + 1;

        const std::uint8_t Packed = std::uint8_t(((Cel.Disposal() & 0x07) << 2) |
                                                 (Settings.BackgroundTransparent ? 0x01 : 0x00));
        // Hundredths of a second; the field cannot hold more than 65535 of them.
        const int Delay = std::clamp(Cel.Delay(), 0, 655359) / 10;
        Out = {0x21, 0xF9, 0x04, Packed};
        Put16(Out, unsigned(Delay));
        Out.insert(Out.end(), {Background, 0x00, 0x2C});
        Put16(Out, unsigned(R.Left * S));
        Put16(Out, unsigned(R.Top * S));
        Put16(Out, unsigned(RectWidth * S));
        Put16(Out, unsigned(RectHeight * S));
        Out.push_back(0x00);
        Put(Sink, Out);

        const long long PixelCount = (long long)RectWidth * RectHeight * S * S;
        if (PixelCount > INT32_MAX)
            throw std::length_error("A frame of " + std::to_string(PixelCount) +
                                    " pixels is too large to compress");
        auto Pixels = std::make_unique<TBigByteArray>(std::int32_t(PixelCount));
        const TPxBitmap& Bitmap = Cel.Bitmap();
        const std::size_t ScaledWidth = std::size_t(RectWidth) * std::size_t(S);
        std::uint8_t* Target = Pixels->Data();
        for (int Y = 0; Y < RectHeight; ++Y) {
            const std::uint8_t* Row = Bitmap.ScanLine(R.Top + Y) + R.Left;
            std::uint8_t* First = Target;
            for (int X = 0; X < RectWidth; ++X)
                Target = std::fill_n(Target, S, Numbers[Row[X]]);
            // The rows of one block are the same row again.
            for (int Copy = 1; Copy < S; ++Copy)
                Target = std::copy_n(First, ScaledWidth, Target);
        }
        WriteImageData(Sink, EncodeImageData(std::move(Pixels)));
        if (Progress) Progress(I + 1, CelCount);
    }

    const std::uint8_t Trailer = 0x3B;
    Sink(&Trailer, 1);
}

TGifWriteResult SaveGifFile(const std::string& FileName, const TSprite& Sprite,
                            const TPxPalette& Palette, const TGifWriteSettings& Settings,
                            const GifWriteProgress& Progress) {
    try {
        ReplaceFile(FileName, [&](const ByteSink& Sink) {
            WriteGif(Sink, Sprite, Palette, Settings, Progress);
        });
    } catch (const std::bad_alloc&) {
        return {false, "Not enough memory to save " + FileName};
    } catch (const std::exception& Error) {
        return {false, Error.what()};
    }
    return {true, {}};
}
