#pragma once
// The undo history of one animation: snapshots of cel pixels taken before an edit, and
// cel insertions and deletions, on an undo stack of at most 32 records and a redo stack.
// The painter applies the records; this is only the history.
//
// The history owns its records and each record owns its snapshot blocks. All records of one
// history refer to cels of one size (the history is discarded when the size changes).
// Room for MaxUndo records is kept on each stack, so adding a record made beforehand never
// allocates (the undo stack never holds more; the redo stack does not while every new edit
// empties it): an edit makes its record, changes the cels, then adds the record, and a
// failure on the way leaves no half-made history. User-interface thread only.
#include <cstdint>
#include <memory>
#include <vector>

enum TPxUndoKind : std::uint8_t {
    ukCelImage = 0,    // CelIndex, Bits: the pixels of one cel before a change
    ukAllCels = 1,     // CelBits: the pixels of every cel before a change on all cels
    ukCelDeleted = 2,  // CelIndex, and on the undo side Bits: the deleted cel's pixels
    ukCelInserted = 3, // CelIndex: a cel was inserted or appended there
};

using TPxUndoBlock = std::vector<std::uint8_t>;
using TPxUndoBlocks = std::vector<TPxUndoBlock>;

class TPxUndoNode {
public:
    TPxUndoNode(TPxUndoKind Kind, std::int32_t CelIndex, TPxUndoBlock Bits = {},
                TPxUndoBlocks CelBits = {});
    TPxUndoNode(const TPxUndoNode&) = delete;
    TPxUndoNode& operator=(const TPxUndoNode&) = delete;

    TPxUndoKind Kind() const { return NodeKind; }
    std::int32_t CelIndex() const { return Index; }
    // One cel's bytes as CopyBits made them; empty when the record holds none.
    const TPxUndoBlock& Bits() const { return CelBytes; }
    // One block per cel, in cel order (ukAllCels only); empty otherwise.
    const TPxUndoBlocks& CelBits() const { return AllCelBytes; }

private:
    TPxUndoKind NodeKind;
    std::int32_t Index;
    TPxUndoBlock CelBytes;
    TPxUndoBlocks AllCelBytes;
};

class TPxUndo {
public:
    static constexpr std::size_t MaxUndo = 32;

    TPxUndo();
    TPxUndo(const TPxUndo&) = delete;
    TPxUndo& operator=(const TPxUndo&) = delete;
    ~TPxUndo();

    bool CanUndo() const { return !UndoList.empty(); }
    bool CanRedo() const { return !RedoList.empty(); }
    // Oldest first, newest last.
    const std::vector<std::unique_ptr<TPxUndoNode>>& UndoNodes() const { return UndoList; }
    const std::vector<std::unique_ptr<TPxUndoNode>>& RedoNodes() const { return RedoList; }

    // Pushes Node; with 32 records already held, the oldest is dropped first. The redo
    // stack is left alone.
    void AddUndo(std::unique_ptr<TPxUndoNode> Node);
    void AddRedo(std::unique_ptr<TPxUndoNode> Node);
    // Pops the newest record; on an empty stack shows "GetUndoNode: error" (or
    // "GetRedoNode: error") and returns none.
    std::unique_ptr<TPxUndoNode> GetUndoNode();
    std::unique_ptr<TPxUndoNode> GetRedoNode();
    void ClearRedo();
    // Both stacks emptied; the room kept for records stays.
    void Clear();

    // Record makers; the history takes the blocks.
    void AddUndoCel(std::int32_t CelIndex, TPxUndoBlock Bits);
    void AddUndoAllCels(TPxUndoBlocks CelBits);
    void AddUndoCelDeleted(std::int32_t CelIndex, TPxUndoBlock Bits);
    void AddUndoCelInserted(std::int32_t CelIndex);
    void AddRedoCel(std::int32_t CelIndex, TPxUndoBlock Bits);
    void AddRedoAllCels(TPxUndoBlocks CelBits);
    void AddRedoCelDeleted(std::int32_t CelIndex);
    void AddRedoCelInserted(std::int32_t CelIndex);

private:
    std::vector<std::unique_ptr<TPxUndoNode>> UndoList;
    std::vector<std::unique_ptr<TPxUndoNode>> RedoList;
};
