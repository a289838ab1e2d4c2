#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/Palette.h"
#include "imaging/Report.h"
#include "imaging/brush.h"
#include "model/Spritez.h"
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

TEST(Undo, TheThirtyThirdRecordDropsTheOldest) {
    MessageLog Log;
    TPxUndo History;
    EXPECT_FALSE(History.CanUndo());
    EXPECT_FALSE(History.CanRedo());
    for (int Edit = 0; Edit < 33; ++Edit)
        History.AddUndoCel(Edit, Block(std::uint8_t(Edit)));
    ASSERT_EQ(History.UndoNodes().size(), 32u);
    EXPECT_EQ(History.UndoNodes().front()->CelIndex(), 1);

    for (int Edit = 32; Edit >= 1; --Edit) {
        ASSERT_TRUE(History.CanUndo());
        auto Node = History.GetUndoNode();
        ASSERT_NE(Node, nullptr);
        EXPECT_EQ(Node->Kind(), ukCelImage);
        EXPECT_EQ(Node->CelIndex(), Edit);
        EXPECT_BYTES(Node->Bits(), Block(std::uint8_t(Edit)));
    }
    EXPECT_FALSE(History.CanUndo());
    EXPECT_TRUE(Log.Texts.empty());
    EXPECT_EQ(History.GetUndoNode(), nullptr);
    EXPECT_EQ(Log.Texts, std::vector<std::string>{"GetUndoNode: error"});
}

TEST(Undo, RedoStackIsLeftToItsOwnOperations) {
    MessageLog Log;
    TPxUndo History;
    EXPECT_EQ(History.GetRedoNode(), nullptr);
    EXPECT_EQ(Log.Texts, std::vector<std::string>{"GetRedoNode: error"});

    // The redo side has no limit.
    for (int i = 0; i < 40; ++i)
        History.AddRedoCelInserted(i);
    History.AddUndoCelInserted(7);
    EXPECT_EQ(History.RedoNodes().size(), 40u) << "recording an undo leaves redo alone";
    auto Newest = History.GetRedoNode();
    EXPECT_EQ(Newest->CelIndex(), 39);
    EXPECT_TRUE(History.CanRedo());
    History.ClearRedo();
    EXPECT_FALSE(History.CanRedo());
    EXPECT_TRUE(History.CanUndo());
    EXPECT_EQ(Log.Texts.size(), 1u);
}

TEST(Undo, RecordMakersStoreTheirKindAndTakeTheBlocksWithoutCopying) {
    TPxUndo History;
    TPxUndoBlock Cel = Block(1);
    TPxUndoBlocks All{Block(4), Block(5)};
    const std::uint8_t* CelBytes = Cel.data();
    const std::uint8_t* AllBytes = All[1].data();
    History.AddUndoCel(3, std::move(Cel));
    History.AddUndoAllCels(std::move(All));
    History.AddUndoCelDeleted(5, Block(2));
    History.AddUndoCelInserted(6);
    History.AddRedoCel(7, Block(3));
    History.AddRedoAllCels({Block(6)});
    History.AddRedoCelDeleted(8);
    History.AddRedoCelInserted(9);

    const auto& Undo = History.UndoNodes();
    ASSERT_EQ(Undo.size(), 4u);
    EXPECT_EQ(Undo[0]->Bits().data(), CelBytes);
    EXPECT_EQ(Undo[1]->CelBits()[1].data(), AllBytes);
    EXPECT_BYTES(Undo[2]->Bits(), Block(2));
    const auto& Redo = History.RedoNodes();
    ASSERT_EQ(Redo.size(), 4u);
    EXPECT_BYTES(Redo[0]->Bits(), Block(3));
    EXPECT_EQ(Redo[1]->CelBits().size(), 1u);
    EXPECT_TRUE(Redo[2]->Bits().empty()) << "a redone deletion records the index only";

    const TPxUndoKind Kinds[] = {ukCelImage, ukAllCels, ukCelDeleted, ukCelInserted};
    const int UndoIndices[] = {3, 0, 5, 6}, RedoIndices[] = {7, 0, 8, 9};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Undo[i]->Kind(), Kinds[i]);
        EXPECT_EQ(Redo[i]->Kind(), Kinds[i]);
        if (Kinds[i] == ukAllCels) continue;
        EXPECT_EQ(Undo[i]->CelIndex(), UndoIndices[i]);
        EXPECT_EQ(Redo[i]->CelIndex(), RedoIndices[i]);
    }
}

TEST(Undo, AllCelsSnapshotRestoresAPaintOnAllStrokeBothWays) {
    auto Palette = MakeCubePalette();
    auto Sprite = TSprite::Create(5, 3, *Palette, RGB(255, 255, 255));
    for (int i = 0; i < 3; ++i)
        Sprite->AddCel(100);
    Sprite->SetCurrent(0);
    Sprite->CelBitmap(1).Canvas().SetPixel(0, 0, RGB(0, 0, 255));
    const auto Before = Sprite->SaveAllBits();

    TPxUndo History;
    History.AddUndoAllCels(Sprite->SaveAllBits());
    auto Brush = TPxBrush::Create(3, shSquare, PALETTERGB(255, 0, 0), *Palette);
    for (int i = 0; i < Sprite->CelCount(); ++i)
        Sprite->DrawBrushOnCel(2, 1, i, *Brush);
    const auto After = Sprite->SaveAllBits();

    auto Undo = History.GetUndoNode();
    History.AddRedoAllCels(Sprite->SaveAllBits());
    Sprite->RestoreAllBits(Undo->CelBits());
    for (int i = 0; i < 3; ++i)
        EXPECT_BYTES(Sprite->CelBitmap(i).CopyBits(), Before[i]);

    auto Redo = History.GetRedoNode();
    History.AddUndoAllCels(Sprite->SaveAllBits());
    Sprite->RestoreAllBits(Redo->CelBits());
    for (int i = 0; i < 3; ++i)
        EXPECT_BYTES(Sprite->CelBitmap(i).CopyBits(), After[i]);
    EXPECT_TRUE(History.CanUndo());
    EXPECT_FALSE(History.CanRedo());
}
