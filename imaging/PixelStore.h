#pragma once
// Where bitmap pixels live. A bitmap of its own takes its bytes from the heap; the cels of
// an animation, all of one size, take theirs from the animation's TPixelStore, which hands
// out blocks cut from a few large mappings. Opening a file makes hundreds of cels at once:
// from one store their memory comes in by the 2 MB page where the system allows it, rather
// than page by 4 KB page, and a block given back is handed out again before new memory is
// touched.
//
// A block keeps its store alive, so a bitmap may outlive the animation it came from. Stores
// and blocks are not shared between threads.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class TPixelStore;

// The pixel bytes of one bitmap. Moves, never copies.
class TPixelBlock {
public:
    TPixelBlock() = default;
    // Count zero bytes from the heap; memory the system hands out fresh is not written, so
    // a large bitmap costs nothing until it is drawn on.
    static TPixelBlock Zeroed(std::size_t Count);

    TPixelBlock(TPixelBlock&& Other) noexcept;
    TPixelBlock& operator=(TPixelBlock&& Other) noexcept;
    TPixelBlock(const TPixelBlock&) = delete;
    TPixelBlock& operator=(const TPixelBlock&) = delete;
    ~TPixelBlock();

    std::uint8_t* Data() const { return Bytes; }
    std::size_t Size() const { return Count; }

private:
    friend class TPixelStore;
    void Release();

    std::uint8_t* Bytes = nullptr;
    std::size_t Count = 0;
    // Null for a heap block.
    std::shared_ptr<TPixelStore> Store;
};

class TPixelStore : public std::enable_shared_from_this<TPixelStore> {
public:
    // A store of blocks of BlockBytes bytes each (BlockBytes >= 1).
    static std::shared_ptr<TPixelStore> Create(std::size_t BlockBytes);
    TPixelStore(const TPixelStore&) = delete;
    TPixelStore& operator=(const TPixelStore&) = delete;
    ~TPixelStore();

    std::size_t BlockBytes() const { return Bytes; }

    // A block of zeros.
    TPixelBlock TakeZeroed();
    // A block whose bytes are whatever they happen to be, for a caller that writes every
    // one of them at once (a picture copied in whole).
    TPixelBlock TakeUnwritten();

private:
    explicit TPixelStore(std::size_t BlockBytes);
    friend class TPixelBlock;

    // A block and whether it is still as the system gave it (all zeros).
    std::uint8_t* Take(bool& Fresh);
    // The same block handed out as a block that gives itself back.
    TPixelBlock TakeBlock(bool& Fresh);
    void Give(std::uint8_t* Block);
    void Grow();

    struct TMapping {
        void* Start;
        std::size_t Length;
    };

    std::size_t Bytes;
    // The distance between blocks: whole cache lines, so no two bitmaps share one.
    std::size_t Spacing;
    std::vector<TMapping> Mappings;
    std::size_t MappedBytes = 0;
    std::uint8_t* Unused = nullptr; // the next block never handed out
    std::uint8_t* UnusedEnd = nullptr;
    std::vector<std::uint8_t*> Returned;
    std::size_t Made = 0; // blocks cut from the mappings so far
};

// Every allocation of pixel memory (cels, bitmaps, undo snapshots) claims it here first.
// Throws std::bad_alloc while memory is said to be out (below).
void ClaimPixelMemory();
// For tests of the way out of a failed command: the After-th pixel allocation from now on
// (0: the next one) and every one after it throw std::bad_alloc, as when memory runs out in
// the middle of a command. A negative After ends it.
void SimulateOutOfMemory(int After);
