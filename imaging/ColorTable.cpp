#include "imaging/ColorTable.h"

#include <cstring>

namespace {
std::uint64_t NextSerial() {
    static std::uint64_t Counter = 0;
    return ++Counter;
}
} // namespace

TColorTable::TColorTable(const std::array<TRgbColor, 256>& Colors_)
    : Colors(Colors_), SerialNumber(NextSerial()) {}

std::uint8_t TColorTable::Nearest(TRgbColor Color) const {
    const std::uint32_t Key = Color.Ref();
    auto Found = NearestCache.find(Key);
    if (Found != NearestCache.end()) return Found->second;
    int Best = 0;
    int BestDistance = ColorDistance(Colors[0], Color);
    for (int i = 1; i < 256 && BestDistance != 0; ++i) {
        const int Distance = ColorDistance(Colors[i], Color);
        if (Distance < BestDistance) {
            Best = i;
            BestDistance = Distance;
        }
    }
    // A photograph can bring hundreds of thousands of colours; start afresh rather than let
    // one import keep megabytes of answers alive.
    if (NearestCache.size() >= 65536) NearestCache.clear();
    NearestCache.emplace(Key, std::uint8_t(Best));
    return std::uint8_t(Best);
}

const std::array<std::uint8_t, 256>& TColorTable::TranslationTo(const TColorTable& Target) const {
    if (TranslationTarget != Target.SerialNumber) {
        for (int i = 0; i < 256; ++i)
            Translation[i] = Target.Nearest(Colors[i]);
        TranslationTarget = Target.SerialNumber;
    }
    return Translation;
}

const std::array<std::uint8_t, 256>&
TColorTable::NearestOfEach(const std::vector<TRgbColor>& Map) const {
    static_assert(sizeof(TRgbColor) == 3, "colour maps are compared as bytes");
    const bool Same = MapAnswered && Map.size() == AnsweredMap.size() &&
                      (Map.empty() || std::memcmp(Map.data(), AnsweredMap.data(),
                                                  Map.size() * sizeof(TRgbColor)) == 0);
    if (!Same) {
        for (int i = 0; i < 256; ++i)
            MapNearest[i] = Nearest(i < int(Map.size()) ? Map[i] : TRgbColor{});
        AnsweredMap = Map;
        MapAnswered = true;
    }
    return MapNearest;
}
