#include "imaging/PixelStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>

namespace {

constexpr std::size_t HugePage = std::size_t(2) << 20;
constexpr std::size_t CacheLine = 64;

// Under the address sanitizer every block is a heap block of its own, so that a write past
// a cel's end is caught instead of landing in the next cel of a mapping.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool HeapBlocksOnly = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool HeapBlocksOnly = true;
#else
constexpr bool HeapBlocksOnly = false;
#endif
#else
constexpr bool HeapBlocksOnly = false;
#endif

std::size_t RoundUp(std::size_t Value, std::size_t Unit) {
    return (Value + Unit - 1) / Unit * Unit;
}

// Pixel allocations still allowed before memory is said to be out; negative: no limit.
int AllocationsLeft = -1;

} // namespace

void ClaimPixelMemory() {
    if (AllocationsLeft < 0) return;
    if (AllocationsLeft == 0) throw std::bad_alloc();
    --AllocationsLeft;
}

void SimulateOutOfMemory(int After) {
    AllocationsLeft = After < 0 ? -1 : After;
}

// ---- block ---------------------------------------------------------------------------

TPixelBlock TPixelBlock::Zeroed(std::size_t Count) {
    TPixelBlock Block;
    if (Count == 0) return Block;
    ClaimPixelMemory();
    // calloc knows when its memory comes fresh from the system and then writes nothing.
    Block.Bytes = static_cast<std::uint8_t*>(std::calloc(Count, 1));
    if (!Block.Bytes) throw std::bad_alloc();
    Block.Count = Count;
    return Block;
}

TPixelBlock::TPixelBlock(TPixelBlock&& Other) noexcept
    : Bytes(Other.Bytes), Count(Other.Count), Store(std::move(Other.Store)) {
    Other.Bytes = nullptr;
    Other.Count = 0;
}

TPixelBlock& TPixelBlock::operator=(TPixelBlock&& Other) noexcept {
    if (this != &Other) {
        Release();
        Bytes = Other.Bytes;
        Count = Other.Count;
        Store = std::move(Other.Store);
        Other.Bytes = nullptr;
        Other.Count = 0;
    }
    return *this;
}

TPixelBlock::~TPixelBlock() {
    Release();
}

void TPixelBlock::Release() {
    if (Store)
        Store->Give(Bytes);
    else
        std::free(Bytes);
    // The store may go with its last block, so it is let go only after taking it back.
    Store.reset();
    Bytes = nullptr;
    Count = 0;
}

// ---- store ---------------------------------------------------------------------------

std::shared_ptr<TPixelStore> TPixelStore::Create(std::size_t BlockBytes) {
    return std::shared_ptr<TPixelStore>(new TPixelStore(std::max<std::size_t>(BlockBytes, 1)));
}

TPixelStore::TPixelStore(std::size_t BlockBytes)
    : Bytes(BlockBytes), Spacing(RoundUp(BlockBytes, CacheLine)) {}

TPixelStore::~TPixelStore() {
    for (const TMapping& M : Mappings)
        ::munmap(M.Start, M.Length);
}

TPixelBlock TPixelStore::TakeZeroed() {
    bool Fresh = false;
    TPixelBlock Block = TakeBlock(Fresh);
    if (!Fresh) std::memset(Block.Bytes, 0, Bytes);
    return Block;
}

TPixelBlock TPixelStore::TakeUnwritten() {
    bool Fresh = false;
    return TakeBlock(Fresh);
}

TPixelBlock TPixelStore::TakeBlock(bool& Fresh) {
    TPixelBlock Block;
    Block.Bytes = Take(Fresh);
    Block.Count = Bytes;
    Block.Store = shared_from_this();
    return Block;
}

std::uint8_t* TPixelStore::Take(bool& Fresh) {
    ClaimPixelMemory();
    Fresh = true;
    if (HeapBlocksOnly) {
        auto* Block = static_cast<std::uint8_t*>(std::calloc(Bytes, 1));
        if (!Block) throw std::bad_alloc();
        return Block;
    }
    if (!Returned.empty()) {
        std::uint8_t* Block = Returned.back();
        Returned.pop_back();
        Fresh = false;
        return Block;
    }
    // Room to take back every block there is, so that giving one back cannot fail.
    if (Returned.capacity() < Made + 1) Returned.reserve(std::max<std::size_t>(16, 2 * (Made + 1)));
    if (std::size_t(UnusedEnd - Unused) < Bytes) Grow();
    std::uint8_t* Block = Unused;
    Unused += std::min(Spacing, std::size_t(UnusedEnd - Unused));
    ++Made;
    return Block;
}

void TPixelStore::Give(std::uint8_t* Block) {
    if (HeapBlocksOnly)
        std::free(Block);
    else
        Returned.push_back(Block);
}

// Each mapping is as large as all before it together, so a store of n blocks makes about
// log2(n) of them; each starts on a 2 MB boundary and spans whole 2 MB pages, the only kind
// the system can back with large pages.
void TPixelStore::Grow() {
    const std::size_t Length = RoundUp(std::max({MappedBytes, Spacing, HugePage}), HugePage);
    const std::size_t Padded = Length + HugePage;
    Mappings.reserve(Mappings.size() + 1);
    void* Start =
        ::mmap(nullptr, Padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (Start == MAP_FAILED) throw std::bad_alloc();
    auto* Base = static_cast<std::uint8_t*>(Start);
    auto* Aligned =
        reinterpret_cast<std::uint8_t*>(RoundUp(reinterpret_cast<std::uintptr_t>(Base), HugePage));
    if (Aligned > Base) ::munmap(Base, std::size_t(Aligned - Base));
    const std::size_t Tail = Padded - std::size_t(Aligned - Base) - Length;
    if (Tail > 0) ::munmap(Aligned + Length, Tail);
#ifdef MADV_HUGEPAGE
    // Only a hint: where large pages are off or none is free, small ones back the mapping.
    ::madvise(Aligned, Length, MADV_HUGEPAGE);
#endif
    Mappings.push_back({Aligned, Length});
    MappedBytes += Length;
    Unused = Aligned;
    UnusedEnd = Aligned + Length;
}
