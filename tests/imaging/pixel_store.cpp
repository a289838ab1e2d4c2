#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "imaging/PixelStore.h"

namespace {
bool AllEqual(const TPixelBlock& Block, std::uint8_t Value) {
    return std::all_of(Block.Data(), Block.Data() + Block.Size(),
                       [Value](std::uint8_t Byte) { return Byte == Value; });
}
} // namespace

TEST(PixelStore, BlocksNeverOverlapComeZeroedWhenAskedToAndKeepTheirStoreAlive) {
    EXPECT_TRUE(AllEqual(TPixelBlock::Zeroed(5000), 0));
    // Blocks of an odd size, enough of them to need several mappings: each keeps what was
    // written into it. Fresh blocks hold zeros either way.
    constexpr std::size_t Size = 300001;
    auto Store = TPixelStore::Create(Size);
    std::vector<TPixelBlock> Blocks;
    for (int i = 0; i < 40; ++i) {
        Blocks.push_back(i % 2 ? Store->TakeZeroed() : Store->TakeUnwritten());
        ASSERT_EQ(Blocks.back().Size(), Size);
        ASSERT_TRUE(AllEqual(Blocks.back(), 0)) << "block " << i;
        std::memset(Blocks.back().Data(), i + 1, Size);
    }
    for (int i = 0; i < 40; ++i)
        EXPECT_TRUE(AllEqual(Blocks[std::size_t(i)], std::uint8_t(i + 1))) << "block " << i;
    // A block given back is taken again first, and zeroed before.
    auto Small = TPixelStore::Create(1000);
    std::set<const std::uint8_t*> Seen;
    for (int Round = 0; Round < 3; ++Round) {
        std::vector<TPixelBlock> Taken;
        for (int i = 0; i < 4; ++i) {
            Taken.push_back(Small->TakeZeroed());
            EXPECT_TRUE(AllEqual(Taken.back(), 0)) << "round " << Round << ", block " << i;
            Seen.insert(Taken.back().Data());
            std::memset(Taken.back().Data(), 0xAB, 1000);
        }
    }
#if !defined(__SANITIZE_ADDRESS__) // which gives every block a heap block of its own
    EXPECT_EQ(Seen.size(), 4u);
#endif
    // The last block of a store is written to and given back after the store was let go.
    TPixelBlock Kept = Small->TakeZeroed();
    Small.reset();
    std::memset(Kept.Data(), 0x5A, Kept.Size());
    EXPECT_TRUE(AllEqual(Kept, 0x5A));
}
