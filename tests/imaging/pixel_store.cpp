#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "imaging/PixelStore.h"

namespace {
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif
#else
constexpr bool Sanitized = false;
#endif

bool AllEqual(const TPixelBlock& Block, std::uint8_t Value) {
    return std::all_of(Block.Data(), Block.Data() + Block.Size(),
                       [Value](std::uint8_t Byte) { return Byte == Value; });
}
} // namespace

TEST(PixelBlock, HeapBlocksAreZeroedAndMoveTheirBytes) {
    TPixelBlock Block = TPixelBlock::Zeroed(5000);
    ASSERT_EQ(Block.Size(), 5000u);
    EXPECT_TRUE(AllEqual(Block, 0));
    std::uint8_t* const Bytes = Block.Data();
    TPixelBlock Moved = std::move(Block);
    EXPECT_EQ(Moved.Data(), Bytes);
    EXPECT_EQ(Block.Data(), nullptr);
    EXPECT_EQ(Block.Size(), 0u);
    EXPECT_EQ(TPixelBlock::Zeroed(0).Data(), nullptr);
}

// Blocks of an odd size, enough of them to need several mappings: each keeps what was
// written into it, so no two overlap.
TEST(PixelStore, BlocksNeverOverlap) {
    constexpr std::size_t Size = 300001;
    auto Store = TPixelStore::Create(Size);
    EXPECT_EQ(Store->BlockBytes(), Size);
    std::vector<TPixelBlock> Blocks;
    for (int i = 0; i < 40; ++i) {
        Blocks.push_back(i % 2 ? Store->TakeZeroed() : Store->TakeUnwritten());
        ASSERT_EQ(Blocks.back().Size(), Size);
        std::memset(Blocks.back().Data(), i + 1, Size);
    }
    for (int i = 0; i < 40; ++i)
        EXPECT_TRUE(AllEqual(Blocks[std::size_t(i)], std::uint8_t(i + 1))) << "block " << i;
}

TEST(PixelStore, FreshBlocksHoldZeros) {
    auto Store = TPixelStore::Create(4096);
    std::vector<TPixelBlock> Blocks;
    for (int i = 0; i < 600; ++i) {
        Blocks.push_back(i % 2 ? Store->TakeZeroed() : Store->TakeUnwritten());
        ASSERT_TRUE(AllEqual(Blocks.back(), 0)) << "block " << i;
        std::memset(Blocks.back().Data(), 0xEE, Blocks.back().Size());
    }
}

TEST(PixelStore, ABlockGivenBackIsZeroedBeforeItIsTakenAgain) {
    auto Store = TPixelStore::Create(1000);
    std::set<const std::uint8_t*> Seen;
    for (int Round = 0; Round < 3; ++Round) {
        std::vector<TPixelBlock> Blocks;
        for (int i = 0; i < 4; ++i) {
            Blocks.push_back(Store->TakeZeroed());
            EXPECT_TRUE(AllEqual(Blocks.back(), 0)) << "round " << Round << ", block " << i;
            Seen.insert(Blocks.back().Data());
            std::memset(Blocks.back().Data(), 0xAB, 1000);
        }
    }
    // The address sanitizer's build gives every block a heap block of its own instead.
    if (!Sanitized) {
        EXPECT_EQ(Seen.size(), 4u) << "blocks given back are taken again first";
    }
}

TEST(PixelStore, ABlockKeepsItsStoreAlive) {
    TPixelBlock Block;
    {
        auto Store = TPixelStore::Create(64);
        Block = Store->TakeZeroed();
    }
    std::memset(Block.Data(), 0x5A, Block.Size());
    EXPECT_TRUE(AllEqual(Block, 0x5A));
    Block = TPixelBlock(); // gives the block back to a store that only it kept alive
    EXPECT_EQ(Block.Data(), nullptr);
}
