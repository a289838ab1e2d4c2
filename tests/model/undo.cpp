#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/Report.h"
#include "model/undo.h"
#include "support/PictureAssert.h"

namespace {
struct MessageLog {
    std::vector<std::string> Texts;
    ScopedReportHandler Handler{[this](ReportKind Kind, const std::string& Text) {
        if (Kind == ReportKind::Message) Texts.push_back(Text);
    }};
};

TPxUndoBlock Block(std::uint8_t Value) {
    return TPxUndoBlock(16, Value);
}
} // namespace

TEST(Undo, TheThirtyThirdRecordDropsTheOldestAndAnEmptyHistorySaysSo) {
    MessageLog Log;
    TPxUndo History;
    EXPECT_FALSE(History.CanUndo());
    for (int Edit = 0; Edit < 33; ++Edit)
        History.AddUndoCel(Edit, Block(std::uint8_t(Edit)));
    for (int Edit = 32; Edit >= 1; --Edit) {
        ASSERT_TRUE(History.CanUndo());
        auto Node = History.GetUndoNode();
        ASSERT_NE(Node, nullptr);
        EXPECT_EQ(Node->CelIndex(), Edit);
        EXPECT_BYTES(Node->Bits(), Block(std::uint8_t(Edit)));
    }
    EXPECT_FALSE(History.CanUndo());
    EXPECT_TRUE(Log.Texts.empty());
    EXPECT_EQ(History.GetUndoNode(), nullptr);
    EXPECT_EQ(History.GetRedoNode(), nullptr);
    EXPECT_EQ(Log.Texts, (std::vector<std::string>{"GetUndoNode: error", "GetRedoNode: error"}));
}

TEST(Undo, RedoHasNoLimitAndIsLeftToItsOwnOperations) {
    TPxUndo History;
    for (int i = 0; i < 40; ++i)
        History.AddRedoCelInserted(i);
    History.AddUndoCelInserted(7);
    EXPECT_EQ(History.RedoNodes().size(), 40u) << "recording an undo leaves redo alone";
    EXPECT_EQ(History.GetRedoNode()->CelIndex(), 39);
    EXPECT_TRUE(History.CanRedo());
    History.ClearRedo();
    EXPECT_FALSE(History.CanRedo());
    EXPECT_TRUE(History.CanUndo());
}

TEST(Undo, RecordMakersStoreTheirKindIndexAndPixels) {
    TPxUndo History;
    History.AddUndoCel(3, Block(1));
    History.AddUndoAllCels({Block(4), Block(5)});
    History.AddUndoCelDeleted(5, Block(2));
    History.AddUndoCelInserted(6);
    History.AddRedoCel(7, Block(3));
    History.AddRedoAllCels({Block(6)});
    History.AddRedoCelDeleted(8);
    History.AddRedoCelInserted(9);

    const auto& Undo = History.UndoNodes();
    const auto& Redo = History.RedoNodes();
    ASSERT_EQ(Undo.size(), 4u);
    ASSERT_EQ(Redo.size(), 4u);
    const TPxUndoKind Kinds[] = {ukCelImage, ukAllCels, ukCelDeleted, ukCelInserted};
    const int UndoIndices[] = {3, 0, 5, 6}, RedoIndices[] = {7, 0, 8, 9};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Undo[i]->Kind(), Kinds[i]);
        EXPECT_EQ(Redo[i]->Kind(), Kinds[i]);
        if (Kinds[i] == ukAllCels) continue;
        EXPECT_EQ(Undo[i]->CelIndex(), UndoIndices[i]);
        EXPECT_EQ(Redo[i]->CelIndex(), RedoIndices[i]);
    }
    EXPECT_BYTES(Undo[0]->Bits(), Block(1));
    ASSERT_EQ(Undo[1]->CelBits().size(), 2u);
    EXPECT_BYTES(Undo[1]->CelBits()[1], Block(5));
    EXPECT_BYTES(Undo[2]->Bits(), Block(2));
    EXPECT_BYTES(Redo[0]->Bits(), Block(3));
    EXPECT_EQ(Redo[1]->CelBits().size(), 1u);
}
