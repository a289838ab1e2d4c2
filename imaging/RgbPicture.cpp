#include "imaging/RgbPicture.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <queue>
#include <string>
#include <unordered_map>
#include <utility>

#include "imaging/Limits.h"

EPictureTooLarge::EPictureTooLarge(std::int64_t Width_, std::int64_t Height_)
    : std::runtime_error("Picture too large: " + std::to_string(Width_) + " x " +
                         std::to_string(Height_) + " pixels"),
      Width(Width_), Height(Height_) {}

void CheckPictureSize(std::int64_t Width, std::int64_t Height) {
    if (Width > MaxPictureSide || Height > MaxPictureSide ||
        std::uint64_t(Width) * std::uint64_t(Height) > MaxPicturePixels)
        throw EPictureTooLarge(Width, Height);
}

namespace {

TRgbColor PixelColor(const TRgbPicture& Picture, std::size_t Pixel) {
    const std::uint8_t* P = &Picture.Pixels[Pixel * 3];
    return {P[0], P[1], P[2]};
}

struct TFileCloser {
    void operator()(std::FILE* File) const { std::fclose(File); }
};

} // namespace

bool ReadPictureBytes(const std::string& FileName, std::vector<std::uint8_t>& Bytes,
                      std::string& Error) {
    std::unique_ptr<std::FILE, TFileCloser> File(std::fopen(FileName.c_str(), "rb"));
    Bytes.clear();
    if (File) {
        std::uint8_t Chunk[65536];
        std::size_t Count;
        while ((Count = std::fread(Chunk, 1, sizeof Chunk, File.get())) > 0)
            Bytes.insert(Bytes.end(), Chunk, Chunk + Count);
        if (!std::ferror(File.get())) return true;
    }
    Error = FileName + ": " + std::strerror(errno);
    return false;
}

// A large picture is counted in a table of every possible colour (64 MB) rather than in a
// node for each of its possibly millions of colours.
std::vector<TRgbColor> MostUsedColors(const TRgbPicture& Picture, std::size_t Limit,
                                      TColorOrder Order) {
    const std::size_t Pixels = Picture.Pixels.size() / 3;
    // The Limit most used, kept in a heap whose top is the least of them.
    using TUse = std::pair<std::uint32_t, std::int64_t>; // count, minus the colour value
    std::priority_queue<TUse, std::vector<TUse>, std::greater<TUse>> Kept;
    const auto Offer = [&Kept, Limit](std::uint32_t Count, COLORREF Color) {
        const TUse Use{Count, -std::int64_t(Color)};
        if (Kept.size() < Limit) {
            Kept.push(Use);
        } else if (Limit > 0 && Kept.top() < Use) {
            Kept.pop();
            Kept.push(Use);
        }
    };
    if (Pixels <= (std::size_t(1) << 20)) {
        std::unordered_map<COLORREF, std::uint32_t> Counts;
        for (std::size_t i = 0; i < Pixels; ++i)
            ++Counts[PixelColor(Picture, i).Ref()];
        for (const auto& [Color, Count] : Counts)
            Offer(Count, Color);
    } else {
        std::vector<std::uint32_t> Counts(std::size_t(1) << 24, 0);
        for (std::size_t i = 0; i < Pixels; ++i)
            ++Counts[PixelColor(Picture, i).Ref()];
        for (std::size_t Color = 0; Color < Counts.size(); ++Color)
            if (Counts[Color] > 0) Offer(Counts[Color], COLORREF(Color));
    }
    std::unordered_map<COLORREF, std::uint32_t> Chosen;
    for (; !Kept.empty(); Kept.pop())
        Chosen.emplace(COLORREF(-Kept.top().second), Kept.top().first);
    std::vector<std::pair<std::uint32_t, TRgbColor>> Seen;
    for (std::size_t i = 0; i < Pixels && !Chosen.empty(); ++i) {
        const TRgbColor Color = PixelColor(Picture, i);
        const auto Found = Chosen.find(Color.Ref());
        if (Found == Chosen.end()) continue;
        Seen.emplace_back(Found->second, Color);
        Chosen.erase(Found);
    }
    if (Order == TColorOrder::MostUsed)
        std::stable_sort(Seen.begin(), Seen.end(),
                         [](const auto& A, const auto& B) { return A.first > B.first; });
    std::vector<TRgbColor> Colors;
    Colors.reserve(Seen.size());
    for (const auto& Use : Seen)
        Colors.push_back(Use.second);
    return Colors;
}
