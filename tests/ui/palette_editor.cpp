// The palette editor as a user meets it: the swatches and markers, clicks, sliders and
// boxes, the palette commands, palette files, and what OK, Cancel and Reset hand back.
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "imaging/Palette.h"
#include "support/PictureAssert.h"
#include "support/ScriptedQuestions.h"
#include "ui/shell/f_palette.h"

namespace {

constexpr int Pitch = TfrmPalette::SwatchWidth + TfrmPalette::SwatchGap;
constexpr int Rise = TfrmPalette::SwatchHeight + TfrmPalette::SwatchGap;

TRgbColor Rgb(QRgb c) {
    return {std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c))};
}

class PaletteEditor : public ::testing::Test {
protected:
    void SetUp() override {
        Script().Clear();
        Original = MakeCubePalette();
        Original->SetColor(10, RGB(200, 100, 50));
        Editor.SetWorkingPalette(*Original);
        Editor.show();
    }
    void TearDown() override { Editor.hide(); }

    template <class T> T* Control(const char* Name) {
        T* Found = Editor.findChild<T*>(Name);
        EXPECT_NE(Found, nullptr) << Name;
        return Found;
    }
    // A click in the middle of the swatch of user entry Index.
    void Click(int Index, Qt::MouseButton Button = Qt::LeftButton) {
        const int Column = (Index - 10) % 32, Row = (Index - 10) / 32;
        Editor.imgUserColorsMouseDown(Button, Column * Pitch + 6, Row * Rise + 7);
    }
    void Press(const char* Button) {
        QTest::mouseClick(Control<QPushButton>(Button), Qt::LeftButton);
    }
    TRgbColor Working(int Index) const { return Editor.WorkingPalette().Entry(Index).Color(); }
    void SetWorking(int Index, TRgbColor Color) {
        auto Changed = TPxPalette::CreateCopy(Editor.WorkingPalette());
        Changed->SetColor(Index, Color.Ref());
        Editor.SetWorkingPalette(*Changed);
    }

    std::unique_ptr<TPxPalette> Original;
    TfrmPalette Editor;
};

} // namespace

TEST_F(PaletteEditor, ClicksChooseTheEntriesAndTheSlidersFollowTheLeftOne) {
    Click(20, Qt::RightButton);
    EXPECT_EQ(Editor.RightIndex(), 20);
    EXPECT_TRUE(Control<QPushButton>("butCopy")->isEnabled());

    Click(170);
    EXPECT_EQ(Editor.LeftIndex(), 170) << "the sixth row";
    const TRgbColor Left = Working(170);
    EXPECT_EQ(std::make_tuple(Control<QSlider>("trkRed")->value(),
                              Control<QSlider>("trkGreen")->value(),
                              Control<QLineEdit>("txtBlue")->text()),
              std::make_tuple(int(Left.Red), int(Left.Green), QString::number(Left.Blue)));
}

TEST_F(PaletteEditor, GradientsSpaceTheEntriesBetweenLAndR) {
    SetWorking(10, {0, 0, 0});
    SetWorking(14, {100, 0, 0});
    // R below L gives the same as the other way round.
    Click(14);
    Click(10, Qt::RightButton);
    Press("butGradient");
    EXPECT_EQ(Working(12), (TRgbColor{50, 0, 0}));
    EXPECT_EQ(Rgb(Editor.UserColorsImage().pixel(2 * Pitch + 2 + 5, 2 + 6)), Working(12))
        << "the swatch shows the new colour";
}

TEST_F(PaletteEditor, SwapCopyAndResetChangeTheMarkedEntries) {
    const TRgbColor A = Original->Entry(50).Color(), B = Original->Entry(90).Color();
    Click(50);
    Click(90, Qt::RightButton);
    Press("butSwap");
    EXPECT_EQ(std::make_pair(Working(50), Working(90)), std::make_pair(B, A));

    Press("butCopy");
    EXPECT_EQ(std::make_pair(Working(50), Working(90)), std::make_pair(A, A));
    Control<QSlider>("trkBlue")->setValue(1);
    Press("butReset");
    EXPECT_TRUE(Editor.WorkingPalette().Equals(*Original));
}

TEST_F(PaletteEditor, CancelAndOkHandBackTheRightPalette) {
    Click(40);
    Click(60, Qt::RightButton);
    Press("butSwap");
    Editor.open();
    Press("butCancel");
    EXPECT_EQ(Editor.result(), QDialog::Rejected);
    EXPECT_TRUE(Editor.WorkingPalette().Equals(*Original)) << "Cancel drops every edit";

    Editor.SetWorkingPalette(*Original);
    Press("butSwap");
    Editor.open();
    Press("butOk");
    EXPECT_EQ(Editor.result(), QDialog::Accepted);
    auto Taken = Editor.TakeWorkingPalette();
    EXPECT_EQ(std::make_pair(Taken->Entry(40).Color(), Taken->Entry(60).Color()),
              std::make_pair(Original->Entry(60).Color(), Original->Entry(40).Color()));
}

TEST_F(PaletteEditor, LoadAndSavePaletteFiles) {
    QTemporaryDir Folder;
    const auto Write = [&Folder](const char* Name, const char* Text) {
        QFile File(Folder.filePath(Name));
        EXPECT_TRUE(File.open(QIODevice::WriteOnly));
        File.write(Text);
        return File.fileName();
    };
    Script().AnswerFile(Write("three.pal", "236\r\n\t1\t2\t3\r\n\t4\t5\t6\r\n\t7\t8\t9\r\n"));
    Press("butLoad");
    EXPECT_EQ(Working(12), (TRgbColor{7, 8, 9}));

    // Save writes the colours the editor shows.
    const QString Saved = Folder.filePath("saved.pal");
    Script().AnswerFile(Saved);
    Press("butSave");
    EXPECT_TRUE(TPxPalette::CreateFromFile(Saved.toStdString())->Equals(Editor.WorkingPalette()));

    const auto Before = TPxPalette::CreateCopy(Editor.WorkingPalette());
    Script().AnswerFile(Write("words.pal", "not a palette\r\n"));
    Press("butLoad");
    Script().AnswerFile(Folder.filePath("missing/folder/x.pal"));
    Press("butSave");
    const QStringList Messages = Script().Messages();
    ASSERT_EQ(Messages.size(), 2);
    EXPECT_TRUE(Messages[0].startsWith("Error:  Unable to open the palette file.  The file may "
                                       "be invalid or there may be a drive error."));
    EXPECT_EQ(Messages[1], "Error:  Unable to save the palette file.  There may be a drive error.");
    EXPECT_TRUE(Editor.WorkingPalette().Equals(*Before));
}
