#pragma once
// An immutable set of 256 colours with cached nearest-colour answers. A palette hands out
// a new table after every change, and a bitmap keeps the table it was created with, so a
// bitmap's colours never change under it. Tables are shared by pointer; the caches are
// filled lazily on the user-interface thread only.
#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "imaging/Color.h"

class TColorTable {
public:
    explicit TColorTable(const std::array<TRgbColor, 256>& Colors);

    const TRgbColor& operator[](int Index) const { return Colors[Index & 0xFF]; }
    const std::array<TRgbColor, 256>& Entries() const { return Colors; }
    // Distinguishes tables for the translation cache; never reused.
    std::uint64_t Serial() const { return SerialNumber; }

    // Position of the entry nearest to Color (sum of squared differences, ties to the
    // lowest position).
    std::uint8_t Nearest(TRgbColor Color) const;
    // For each position of this table, the nearest position of Target: how a picture on
    // this table is drawn by colour onto a picture on Target. Cached for the last target.
    const std::array<std::uint8_t, 256>& TranslationTo(const TColorTable& Target) const;
    // Nearest for each index 0..255 of a colour map, black standing for the indices beyond
    // its end. Cached for the last map: every image of a GIF file brings the same one.
    const std::array<std::uint8_t, 256>& NearestOfEach(const std::vector<TRgbColor>& Map) const;

private:
    std::array<TRgbColor, 256> Colors;
    std::uint64_t SerialNumber;
    mutable std::unordered_map<std::uint32_t, std::uint8_t> NearestCache;
    mutable std::uint64_t TranslationTarget = 0;
    mutable std::array<std::uint8_t, 256> Translation{};
    mutable bool MapAnswered = false;
    mutable std::vector<TRgbColor> AnsweredMap;
    mutable std::array<std::uint8_t, 256> MapNearest{};
};

using TColorTablePtr = std::shared_ptr<const TColorTable>;
