#include "model/undo.h"

#include <utility>

#include "imaging/Report.h"

TPxUndoNode::TPxUndoNode(TPxUndoKind Kind, std::int32_t CelIndex, TPxUndoBlock Bits,
                         TPxUndoBlocks CelBits)
    : NodeKind(Kind), Index(CelIndex), CelBytes(std::move(Bits)), AllCelBytes(std::move(CelBits)) {}

TPxUndo::TPxUndo() {
    UndoList.reserve(MaxUndo);
    RedoList.reserve(MaxUndo);
}

TPxUndo::~TPxUndo() {
    Clear();
}

void TPxUndo::AddUndo(std::unique_ptr<TPxUndoNode> Node) {
    if (UndoList.size() >= MaxUndo) UndoList.erase(UndoList.begin());
    UndoList.push_back(std::move(Node));
}

void TPxUndo::AddRedo(std::unique_ptr<TPxUndoNode> Node) {
    RedoList.push_back(std::move(Node));
}

std::unique_ptr<TPxUndoNode> TPxUndo::GetUndoNode() {
    if (UndoList.empty()) {
        ShowMessage("GetUndoNode: error");
        return nullptr;
    }
    auto Node = std::move(UndoList.back());
    UndoList.pop_back();
    return Node;
}

std::unique_ptr<TPxUndoNode> TPxUndo::GetRedoNode() {
    if (RedoList.empty()) {
        ShowMessage("GetRedoNode: error");
        return nullptr;
    }
    auto Node = std::move(RedoList.back());
    RedoList.pop_back();
    return Node;
}

void TPxUndo::ClearRedo() {
    while (!RedoList.empty())
        RedoList.pop_back();
}

void TPxUndo::Clear() {
    ClearRedo();
    while (!UndoList.empty())
        UndoList.pop_back();
}

void TPxUndo::AddUndoCel(std::int32_t CelIndex, TPxUndoBlock Bits) {
    AddUndo(std::make_unique<TPxUndoNode>(ukCelImage, CelIndex, std::move(Bits)));
}

void TPxUndo::AddUndoAllCels(TPxUndoBlocks CelBits) {
    AddUndo(std::make_unique<TPxUndoNode>(ukAllCels, 0, TPxUndoBlock{}, std::move(CelBits)));
}

void TPxUndo::AddUndoCelDeleted(std::int32_t CelIndex, TPxUndoBlock Bits) {
    AddUndo(std::make_unique<TPxUndoNode>(ukCelDeleted, CelIndex, std::move(Bits)));
}

void TPxUndo::AddUndoCelInserted(std::int32_t CelIndex) {
    AddUndo(std::make_unique<TPxUndoNode>(ukCelInserted, CelIndex));
}

void TPxUndo::AddRedoCel(std::int32_t CelIndex, TPxUndoBlock Bits) {
    AddRedo(std::make_unique<TPxUndoNode>(ukCelImage, CelIndex, std::move(Bits)));
}

void TPxUndo::AddRedoAllCels(TPxUndoBlocks CelBits) {
    AddRedo(std::make_unique<TPxUndoNode>(ukAllCels, 0, TPxUndoBlock{}, std::move(CelBits)));
}

void TPxUndo::AddRedoCelDeleted(std::int32_t CelIndex) {
    AddRedo(std::make_unique<TPxUndoNode>(ukCelDeleted, CelIndex));
}

void TPxUndo::AddRedoCelInserted(std::int32_t CelIndex) {
    AddRedo(std::make_unique<TPxUndoNode>(ukCelInserted, CelIndex));
}
