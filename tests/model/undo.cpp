#include "model/undo.h"
#include "imaging/Report.h"
#include "support/PictureAssert.h"

namespace {
TPxUndoBlock Block(int Value) {
    return TPxUndoBlock(16, std::uint8_t(Value));
}
} // namespace

TEST(Undo, RecordsKeepTheirContentsAndUndoKeepsTheNewest32) {
    std::vector<std::string> Messages;
    TScopedReportHandler Scope(
        [&](TReportKind, const std::string& Text) { Messages.push_back(Text); });
    TPxUndo History;
    EXPECT_EQ(History.GetUndoNode(), nullptr);
    EXPECT_EQ(History.GetRedoNode(), nullptr);
    EXPECT_EQ(Messages, (std::vector<std::string>{"GetUndoNode: error", "GetRedoNode: error"}));
    // 33 records: the oldest is dropped.
    History.AddUndoCel(99, Block(99));
    History.AddUndoAllCels({Block(4), Block(5)});
    History.AddUndoCelDeleted(5, Block(2));
    History.AddUndoCelInserted(6);
    for (int Edit = 0; Edit < 29; ++Edit)
        History.AddUndoCel(Edit, Block(Edit));
    const auto& Undo = History.UndoNodes();
    ASSERT_EQ(Undo.size(), 32u);
    EXPECT_EQ(Undo[0]->Kind(), ukAllCels);
    EXPECT_EQ(Undo[0]->CelBits(), (TPxUndoBlocks{Block(4), Block(5)}));
    EXPECT_EQ(std::make_tuple(Undo[1]->Kind(), Undo[1]->CelIndex(), Undo[1]->Bits()),
              std::make_tuple(ukCelDeleted, 5, Block(2)));
    EXPECT_EQ(std::make_pair(Undo[2]->Kind(), Undo[2]->CelIndex()),
              std::make_pair(ukCelInserted, 6));
    // Redo has no limit and recording an undo leaves it alone.
    History.AddRedoCel(7, Block(3));
    History.AddRedoAllCels({Block(6)});
    History.AddRedoCelDeleted(8);
    for (int Cel = 0; Cel < 40; ++Cel)
        History.AddRedoCelInserted(Cel);
    History.AddUndoCelInserted(50);
    const auto& Redo = History.RedoNodes();
    ASSERT_EQ(Redo.size(), 43u);
    EXPECT_EQ(std::make_tuple(Redo[0]->Kind(), Redo[0]->CelIndex(), Redo[0]->Bits()),
              std::make_tuple(ukCelImage, 7, Block(3)));
    EXPECT_EQ(Redo[1]->CelBits(), TPxUndoBlocks{Block(6)});
    EXPECT_EQ(std::make_pair(Redo[2]->Kind(), Redo[2]->CelIndex()),
              std::make_pair(ukCelDeleted, 8));
    EXPECT_EQ(History.GetRedoNode()->CelIndex(), 39);
    // Records come back newest first.
    for (int Expected : {50, 28, 27}) {
        const auto Node = History.GetUndoNode();
        ASSERT_NE(Node, nullptr);
        EXPECT_EQ(Node->CelIndex(), Expected);
    }
    History.ClearRedo();
    EXPECT_FALSE(History.CanRedo());
    EXPECT_TRUE(History.CanUndo());
    EXPECT_EQ(Messages.size(), 2u);
}
