#include "gif/Exchange.h"

#include <algorithm>
#include <array>
#include <map>
#include <stdexcept>

#include "imaging/FileReplace.h"
#include "imaging/Png.h"
#include "imaging/PxBitmap.h"
#include "model/Spritez.h"

namespace {

TIndexedPng PngOf(const TSprite& Sprite, const TPxPalette& Palette, bool BackgroundTransparent,
                  int Width, int Height) {
    TIndexedPng Image;
    Image.Width = Width;
    Image.Height = Height;
    for (int Index = FirstUserColor; Index <= LastUserColor; ++Index)
        Image.Palette.push_back(Palette.Entry(Index).Color());
    if (BackgroundTransparent) Image.TransparentIndex = GifBackgroundIndex(Sprite, Palette);
    return Image;
}

// Row Y of a cel as colour numbers, each pixel Scale times over.
std::uint8_t* ScaledRow(const TPxBitmap& Bitmap, int Y, int Scale,
                        const std::array<std::uint8_t, 256>& Numbers, std::uint8_t* Target) {
    const std::uint8_t* Row = Bitmap.ScanLine(Y);
    for (int X = 0; X < Bitmap.Width(); ++X)
        Target = std::fill_n(Target, Scale, Numbers[Row[X]]);
    return Target;
}

std::string BaseName(const std::string& FileName) {
    const std::size_t Slash = FileName.find_last_of('/');
    return Slash == std::string::npos ? FileName : FileName.substr(Slash + 1);
}

// Runs a save, turning what it throws into the reason for the user.
template <typename Save> ExportResult Saved(const std::string& FileName, Save&& Run) {
    try {
        Run();
    } catch (const std::bad_alloc&) {
        return {false, "Not enough memory to save " + FileName};
    } catch (const std::exception& Error) {
        return {false, Error.what()};
    }
    return {true, {}};
}

} // namespace

void WriteCelPng(const ByteSink& Sink, const TSprite& Sprite, int CelIndex,
                 const TPxPalette& Palette, bool BackgroundTransparent, int Scale) {
    CheckExportScale(Scale);
    const TPxBitmap& Bitmap = Sprite.CelBitmap(CelIndex);
    const std::array<std::uint8_t, 256> Numbers = GifColorNumbers(Palette);
    WriteIndexedPng(
        Sink,
        PngOf(Sprite, Palette, BackgroundTransparent, Bitmap.Width() * Scale,
              Bitmap.Height() * Scale),
        [&](int Y, std::uint8_t* Row) { ScaledRow(Bitmap, Y / Scale, Scale, Numbers, Row); });
}

ExportResult SaveCelPng(const std::string& FileName, const TSprite& Sprite, int CelIndex,
                        const TPxPalette& Palette, bool BackgroundTransparent, int Scale) {
    return Saved(FileName, [&] {
        CheckExportScale(Scale);
        ReplaceFile(FileName, [&](const ByteSink& Sink) {
            WriteCelPng(Sink, Sprite, CelIndex, Palette, BackgroundTransparent, Scale);
        });
    });
}

void WriteSheetPng(const ByteSink& Sink, const TSprite& Sprite, const TPxPalette& Palette,
                   bool BackgroundTransparent, const TSheetLayout& Layout) {
    const std::array<std::uint8_t, 256> Numbers = GifColorNumbers(Palette);
    const std::uint8_t Background = GifBackgroundIndex(Sprite, Palette);
    const int Pitch = Layout.CelHeight + Layout.Spacing;
    WriteIndexedPng(Sink,
                    PngOf(Sprite, Palette, BackgroundTransparent, Layout.Width, Layout.Height),
                    [&](int Y, std::uint8_t* Row) {
                        std::fill_n(Row, Layout.Width, Background);
                        const int Within = Y % Pitch;
                        if (Within >= Layout.CelHeight) return;
                        for (int Column = 0; Column < Layout.Columns; ++Column) {
                            const int Cel = Y / Pitch * Layout.Columns + Column;
                            if (Cel >= Sprite.CelCount()) break;
                            ScaledRow(Sprite.CelBitmap(Cel), Within / Layout.Scale, Layout.Scale,
                                      Numbers, Row + Layout.CelPlace(Cel).X);
                        }
                    });
}

ExportResult SaveSpriteSheet(const std::string& PngFile, const std::string& DataFile,
                             const TSprite& Sprite, const TPxPalette& Palette,
                             const TGifWriteSettings& Settings, const TSheetOptions& Options) {
    TSheetLayout Layout;
    if (ExportResult Planned = Saved(PngFile,
                                     [&] {
                                         Layout = PlanSheet(Sprite.CelCount(), Sprite.Width(),
                                                            Sprite.Height(), Options);
                                     });
        !Planned)
        return Planned;
    if (ExportResult Written = Saved(PngFile,
                                     [&] {
                                         ReplaceFile(PngFile, [&](const ByteSink& Sink) {
                                             WriteSheetPng(Sink, Sprite, Palette,
                                                           Settings.BackgroundTransparent, Layout);
                                         });
                                     });
        !Written || DataFile.empty())
        return Written;
    std::vector<int> Durations;
    for (int Index = 0; Index < Sprite.CelCount(); ++Index)
        Durations.push_back(Sprite.Cel(Index).Delay());
    const std::string Text =
        SheetDataJson(Layout, Durations, BaseName(PngFile), Settings.LoopCount);
    return Saved(DataFile, [&] {
        ReplaceFile(DataFile, [&](const ByteSink& Sink) {
            Sink(reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size());
        });
    });
}

std::vector<TRgbColor> MostUsedColors(const TSprite& Sprite, std::size_t Limit) {
    std::array<std::uint64_t, 256> Uses{};
    for (int Cel = 0; Cel < Sprite.CelCount(); ++Cel) {
        const TPxBitmap& Bitmap = Sprite.CelBitmap(Cel);
        for (int Y = 0; Y < Bitmap.Height(); ++Y) {
            const std::uint8_t* Row = Bitmap.ScanLine(Y);
            for (int X = 0; X < Bitmap.Width(); ++X)
                ++Uses[Row[X]];
        }
    }
    // Entries of one colour are one colour to whoever sees the picture.
    std::map<COLORREF, std::pair<std::uint64_t, int>> ByColor;
    for (int Index = 0; Index < 256; ++Index)
        if (Uses[Index] > 0) {
            auto& Use = ByColor.try_emplace(Sprite.Palette().Entry(Index).Color().Ref(), 0, Index)
                            .first->second;
            Use.first += Uses[Index];
        }
    std::vector<std::pair<std::uint64_t, int>> Order;
    for (const auto& Entry : ByColor)
        Order.push_back(Entry.second);
    std::sort(Order.begin(), Order.end(), [](const auto& A, const auto& B) {
        return A.first != B.first ? A.first > B.first : A.second < B.second;
    });
    std::vector<TRgbColor> Colors;
    for (std::size_t i = 0; i < Order.size() && i < Limit; ++i)
        Colors.push_back(Sprite.Palette().Entry(Order[i].second).Color());
    return Colors;
}
