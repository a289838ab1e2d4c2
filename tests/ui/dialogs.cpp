// The animation dialogs: what each offers at first, what it keeps between uses, and the
// palette folder listing of the New Animation dialog.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "support/ScriptedQuestions.h"
#include "ui/animation/f_animprops.h"
#include "ui/animation/f_new.h"
#include "ui/animation/f_progress.h"
#include "ui/animation/frmGlobDisposal.h"

namespace {

template <typename T> T* Control(QWidget& Dialog, const char* Name) {
    T* Found = Dialog.findChild<T*>(Name);
    EXPECT_NE(Found, nullptr) << Name;
    return Found;
}

void MakeFiles(const QString& Folder, const QStringList& Names) {
    for (const QString& Name : Names) {
        QFile File(Folder + '/' + Name);
        ASSERT_TRUE(File.open(QIODevice::WriteOnly)) << Name.toStdString();
    }
}

QStringList Items(QComboBox* Box) {
    QStringList Texts;
    for (int Index = 0; Index < Box->count(); ++Index)
        Texts << Box->itemText(Index);
    return Texts;
}

// Clicks a button of a dialog that is being shown modally, once its loop runs.
void ClickLater(QWidget& Dialog, const char* Button) {
    QTimer::singleShot(0, &Dialog, [&Dialog, Button] {
        QTest::mouseClick(Dialog.findChild<QPushButton*>(Button), Qt::LeftButton);
    });
}

} // namespace

TEST(NewAnimation, OffersItsDefaultsWithinItsRangesAndKeepsOnlyWhatOkAccepted) {
    QTemporaryDir Palettes;
    TfrmNew Dialog(Palettes.path());
    EXPECT_EQ(Dialog.windowTitle(), "New Animation");
    EXPECT_FALSE(Dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(Dialog.AnimationWidth(), 64);
    EXPECT_EQ(Dialog.AnimationHeight(), 64);
    EXPECT_EQ(Dialog.BackgroundColor(), RGB(255, 255, 255));
    EXPECT_EQ(Control<QComboBox>(Dialog, "cboBGColor")->currentText(), "clWhite");
    EXPECT_TRUE(Dialog.Transparent());
    EXPECT_EQ(Dialog.NumberOfCels(), 4);
    EXPECT_EQ(Dialog.FrameRate(), 200);
    EXPECT_TRUE(Control<QPushButton>(Dialog, "butOk")->isDefault());
    EXPECT_EQ(Control<QPushButton>(Dialog, "butGetPaletteFile")->accessibleName(),
              "Locate Palette File...");
    EXPECT_EQ(Control<QSpinBox>(Dialog, "spinFrameRate")->accessibleName(),
              "Default Frame Rate (1/1000 sec)");

    struct TRange {
        const char* Spin;
        int Low, High;
    };
    for (const TRange& Range : {TRange{"spinWidth", 1, 640}, TRange{"spinHeight", 1, 480},
                                TRange{"spinNumCels", 1, 32}, TRange{"spinFrameRate", 1, 99999}}) {
        QSpinBox* Spin = Control<QSpinBox>(Dialog, Range.Spin);
        Spin->setValue(Range.High + 1);
        EXPECT_EQ(Spin->value(), Range.High) << Range.Spin;
        Spin->setValue(Range.Low - 1);
        EXPECT_EQ(Spin->value(), Range.Low) << Range.Spin;
    }

    Control<QSpinBox>(Dialog, "spinWidth")->setValue(100);
    QComboBox* Colors = Control<QComboBox>(Dialog, "cboBGColor");
    Colors->setCurrentIndex(Colors->findText("clRed"));
    Dialog.done(QDialog::Accepted);
    EXPECT_EQ(Dialog.BackgroundColor(), RGB(255, 0, 0));

    Control<QSpinBox>(Dialog, "spinWidth")->setValue(20);
    Colors->setCurrentIndex(Colors->findText("clNavy"));
    Control<QCheckBox>(Dialog, "chkTransparent")->setChecked(false);
    Dialog.done(QDialog::Rejected);
    EXPECT_EQ(Dialog.AnimationWidth(), 100);
    EXPECT_EQ(Dialog.BackgroundColor(), RGB(255, 0, 0));
    EXPECT_TRUE(Dialog.Transparent());
}

TEST(NewAnimation, ListsThePaletteFolderSortedAndLocatesPalettesElsewhere) {
    QTemporaryDir Palettes, Elsewhere;
    MakeFiles(Palettes.path(), {"retro16.pal", "Greys.pal", "vimbrel.pal", "ARCADE.PAL",
                                "notes.txt", ".hidden.pal"});
    MakeFiles(Elsewhere.path(), {"sunset.pal", "dawn.pal", "odd.colours"});
    const QString Folder = QDir(Palettes.path()).absolutePath();
    const QString Other = QDir(Elsewhere.path()).absolutePath();

    TfrmNew Dialog(Folder + '/');
    QComboBox* List = Control<QComboBox>(Dialog, "cboPalette");
    EXPECT_EQ(Items(List), QStringList({".hidden.pal", "ARCADE.PAL", "Greys.pal", "retro16.pal",
                                        "vimbrel.pal"}));
    EXPECT_EQ(List->currentText(), "vimbrel.pal");
    EXPECT_EQ(Dialog.PaletteDir(), Folder);
    EXPECT_EQ(Dialog.PalettePath(), Folder + "/vimbrel.pal");

    Script().Clear();
    Script().AnswerFile(Other + "/sunset.pal");
    Dialog.butGetPaletteFileClick();
    ASSERT_EQ(Script().Asked.size(), 1u);
    const TFileDialog& Asked = Script().Asked.front().Dialog;
    EXPECT_EQ(Asked.Name, "dlgOpenPalette");
    EXPECT_FALSE(Asked.Save);
    EXPECT_EQ(Asked.Filter, "Palette Files (*.pal)");
    EXPECT_EQ(Asked.Folder, Folder);
    EXPECT_EQ(Items(List), QStringList({"dawn.pal", "sunset.pal"}));
    EXPECT_EQ(Dialog.PalettePath(), Other + "/sunset.pal");
    Dialog.done(QDialog::Accepted);
    EXPECT_EQ(Dialog.PalettePath(), Other + "/sunset.pal");

    // A file chosen by hand is used even when its name does not end in .pal.
    Script().AnswerFile(Other + "/odd.colours");
    Dialog.butGetPaletteFileClick();
    EXPECT_EQ(Items(List), QStringList({"dawn.pal", "odd.colours", "sunset.pal"}));
    EXPECT_EQ(Dialog.PalettePath(), Other + "/odd.colours");
    // Cancel goes back to the folder and file that OK accepted.
    Dialog.done(QDialog::Rejected);
    EXPECT_EQ(Dialog.PalettePath(), Other + "/sunset.pal");

    // A cancelled open dialog changes nothing.
    Script().AnswerFile(QString());
    Dialog.butGetPaletteFileClick();
    EXPECT_EQ(Dialog.PalettePath(), Other + "/sunset.pal");

    // Palettes saved into the folder since the last use are offered when it shows again.
    MakeFiles(Other, {"noon.pal"});
    Dialog.show();
    EXPECT_EQ(Items(List), QStringList({"dawn.pal", "noon.pal", "sunset.pal"}));
    EXPECT_EQ(List->currentText(), "sunset.pal");
    Dialog.hide();
    EXPECT_EQ(Script().Asked.size(), 3u);
}

TEST(NewAnimation, WithoutItsDefaultPaletteChoosesNoneAndNamesTheFolder) {
    QTemporaryDir Empty, NoDefault;
    MakeFiles(NoDefault.path(), {"b.pal", "a.pal"});

    TfrmNew EmptyFolder(Empty.path());
    EXPECT_EQ(Control<QComboBox>(EmptyFolder, "cboPalette")->count(), 0);
    EXPECT_EQ(EmptyFolder.PalettePath(), QDir(Empty.path()).absolutePath() + '/');

    TfrmNew Missing(NoDefault.path());
    QComboBox* List = Control<QComboBox>(Missing, "cboPalette");
    EXPECT_EQ(Items(List), QStringList({"a.pal", "b.pal"}));
    EXPECT_EQ(List->currentIndex(), -1);
    Missing.done(QDialog::Accepted);
    EXPECT_EQ(Missing.PalettePath(), QDir(NoDefault.path()).absolutePath() + '/');
    List->setCurrentIndex(1);
    EXPECT_EQ(Missing.PalettePath(), QDir(NoDefault.path()).absolutePath() + "/b.pal");

    TfrmNew NoFolder(QDir(Empty.path()).filePath("absent"));
    EXPECT_EQ(Control<QComboBox>(NoFolder, "cboPalette")->count(), 0);
    EXPECT_EQ(NoFolder.PalettePath(), QDir(Empty.path()).absolutePath() + "/absent/");
}

TEST(AnimationProperties, ShowsTheValuesSetAndOnlyOkKeepsTheEdits) {
    TfrmAnimProps Dialog;
    EXPECT_EQ(Dialog.windowTitle(), "Animation Properties");
    Dialog.SetDisposal(1);
    Dialog.SetTransparent(true);
    Dialog.SetLoopCount(7);
    Dialog.SetComments({"made by hand", "", "caf\xe9"}); // the last one Latin-1, from a file
    EXPECT_TRUE(Control<QRadioButton>(Dialog, "radNoDisposal")->isChecked());
    EXPECT_TRUE(Control<QCheckBox>(Dialog, "chkTransparent")->isChecked());
    EXPECT_EQ(Control<QSpinBox>(Dialog, "spinLoops")->value(), 7);
    QPlainTextEdit* Memo = Control<QPlainTextEdit>(Dialog, "memComments");
    EXPECT_EQ(Memo->toPlainText(), QString("made by hand\n\ncaf") + QChar(0xE9));
    EXPECT_EQ(Memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // Shown but untouched, the comments come back byte for byte.
    EXPECT_EQ(Dialog.Comments(), (std::vector<std::string>{"made by hand", "", "caf\xe9"}));

    ClickLater(Dialog, "butOk");
    Control<QRadioButton>(Dialog, "radOverwrite")->setChecked(true);
    Control<QSpinBox>(Dialog, "spinLoops")->setValue(60000);
    Memo->setPlainText("one\ntwo\n");
    EXPECT_EQ(Dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(Dialog.Disposal(), 3);
    EXPECT_EQ(Dialog.LoopCount(), 50000);
    EXPECT_EQ(Dialog.Comments(), (std::vector<std::string>{"one", "two"}));

    // Reset returns to what was set; Cancel is reported so the caller keeps its values.
    Control<QCheckBox>(Dialog, "chkTransparent")->setChecked(false);
    QTest::mouseClick(Control<QPushButton>(Dialog, "butReset"), Qt::LeftButton);
    EXPECT_EQ(Dialog.Disposal(), 1);
    EXPECT_TRUE(Dialog.Transparent());
    EXPECT_EQ(Dialog.LoopCount(), 7);
    EXPECT_EQ(Dialog.Comments(), (std::vector<std::string>{"made by hand", "", "caf\xe9"}));
    ClickLater(Dialog, "butCancel");
    EXPECT_EQ(Dialog.exec(), QDialog::Rejected);
}

TEST(DisposalForAllCels, StartsWithRestoreBackgroundAndKeepsTheChoiceOfItsLastOk) {
    TfrmGlobDisp Dialog;
    EXPECT_EQ(Dialog.windowTitle(), "Set Disposal Method for All Cels");
    EXPECT_EQ(Dialog.Disposal(), 2);
    EXPECT_TRUE(Control<QRadioButton>(Dialog, "radRestoreBG")->isChecked());
    EXPECT_EQ(Control<QRadioButton>(Dialog, "radRestoreBG")->accessibleName(),
              "Restore Background Color");

    ClickLater(Dialog, "butOk");
    Control<QRadioButton>(Dialog, "radUnspecified")->setChecked(true);
    EXPECT_EQ(Dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(Dialog.Disposal(), 0);

    ClickLater(Dialog, "butCancel");
    Control<QRadioButton>(Dialog, "radNoDisposal")->setChecked(true);
    EXPECT_EQ(Dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(Dialog.Disposal(), 0);
    EXPECT_TRUE(Control<QRadioButton>(Dialog, "radUnspecified")->isChecked());
}

TEST(Progress, ShowsTheCaptionAndFillsTheBarFromBlackToBlue) {
    TfrmProgress Window;
    EXPECT_EQ(Window.windowTitle(), "Progress");
    EXPECT_EQ(Window.size(), QSize(340, 72));
    EXPECT_TRUE(Window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(Window.windowFlags() & Qt::WindowCloseButtonHint);

    Window.Start("Optimizing and Saving...", 4);
    EXPECT_TRUE(Window.isVisible());
    EXPECT_EQ(Window.CaptionText(), "Optimizing and Saving...");
    EXPECT_EQ(Window.Maximum(), 4);
    EXPECT_EQ(Window.Position(), 0);

    QProgressBar* Bar = Control<QProgressBar>(Window, "progProgress");
    Window.SetPosition(2);
    EXPECT_EQ(Window.Position(), 2);
    EXPECT_EQ(Bar->text(), "50%");
    // Half filled: dark at the left, blue-ish in the middle, the empty part beyond.
    const QImage Half = Bar->grab().toImage();
    const int Row = Half.height() / 2 + 7; // below the percentage text
    const QColor Left = Half.pixelColor(3, Row);
    const QColor Middle = Half.pixelColor(Half.width() / 2 - 3, Row);
    const QColor Empty = Half.pixelColor(Half.width() - 4, Row);
    EXPECT_LT(Left.red() + Left.green() + Left.blue(), 30);
    EXPECT_EQ(Middle.red(), 0);
    EXPECT_GT(Middle.blue(), 110);
    EXPECT_LT(Middle.blue(), 140);
    EXPECT_NE(Empty, Middle);
    Window.SetPosition(4);
    const QColor Right = Bar->grab().toImage().pixelColor(Half.width() - 4, Row);
    EXPECT_GT(Right.blue(), 240);
    EXPECT_EQ(Right.red() + Right.green(), 0);

    // Escape does not close it in the middle of a save.
    QTest::keyClick(&Window, Qt::Key_Escape);
    EXPECT_TRUE(Window.isVisible());
    Window.Finish();
    EXPECT_FALSE(Window.isVisible());
}
