// The dialogs: what each offers at first, Restore, and what each keeps between uses.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "ui/animation/QSize.h"
#include "ui/animation/f_animprops.h"
#include "ui/animation/f_new.h"
#include "ui/shell/Sizedlg.h"

namespace {

template <typename T> T* Control(QWidget& Dialog, const char* Name) {
    T* Found = Dialog.findChild<T*>(Name);
    EXPECT_NE(Found, nullptr) << Name;
    return Found;
}

void Press(QWidget& Window, const char* Button) {
    QTest::mouseClick(Control<QPushButton>(Window, Button), Qt::LeftButton);
}

} // namespace

TEST(NewAnimation, OffersItsDefaultsAndKeepsOnlyWhatOkAccepted) {
    QTemporaryDir Palettes;
    TfrmNew Dialog(Palettes.path());
    EXPECT_EQ(std::make_tuple(Dialog.AnimationWidth(), Dialog.AnimationHeight(),
                              Dialog.NumberOfCels(), Dialog.FrameRate(), Dialog.Transparent()),
              std::make_tuple(64, 64, 4, 200, true));

    Control<QSpinBox>(Dialog, "spinWidth")->setValue(100);
    QComboBox* Colors = Control<QComboBox>(Dialog, "cboBGColor");
    Colors->setCurrentIndex(Colors->findText("clRed"));
    Dialog.done(QDialog::Accepted);

    Control<QSpinBox>(Dialog, "spinWidth")->setValue(20);
    Control<QCheckBox>(Dialog, "chkTransparent")->setChecked(false);
    Dialog.done(QDialog::Rejected);
    EXPECT_EQ(
        std::make_tuple(Dialog.AnimationWidth(), Dialog.BackgroundColor(), Dialog.Transparent()),
        std::make_tuple(100, RGB(255, 0, 0), true));
}

TEST(AnimationProperties, ShowsTheValuesSetAndOnlyOkKeepsTheEdits) {
    TfrmAnimProps Dialog;
    Dialog.SetDisposal(1);
    Dialog.SetTransparent(true);
    Dialog.SetLoopCount(7);
    Dialog.SetComments({"made by hand", "", "caf\xe9"}); // the last one Latin-1, from a file
    EXPECT_EQ(std::make_tuple(Control<QRadioButton>(Dialog, "radNoDisposal")->isChecked(),
                              Control<QCheckBox>(Dialog, "chkTransparent")->isChecked(),
                              Control<QSpinBox>(Dialog, "spinLoops")->value()),
              std::make_tuple(true, true, 7));
    QPlainTextEdit* Memo = Control<QPlainTextEdit>(Dialog, "memComments");
    EXPECT_EQ(Memo->toPlainText(), QString("made by hand\n\ncaf") + QChar(0xE9));
    // Shown but untouched, the comments come back byte for byte.
    EXPECT_EQ(Dialog.Comments(), (std::vector<std::string>{"made by hand", "", "caf\xe9"}));

    QTimer::singleShot(0, &Dialog, [&Dialog] { Press(Dialog, "butOk"); });
    Control<QRadioButton>(Dialog, "radOverwrite")->setChecked(true);
    Control<QSpinBox>(Dialog, "spinLoops")->setValue(60000);
    Memo->setPlainText("one\ntwo\n");
    EXPECT_EQ(Dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(std::make_tuple(Dialog.Disposal(), Dialog.LoopCount()), std::make_tuple(3, 50000));
    EXPECT_EQ(Dialog.Comments(), (std::vector<std::string>{"one", "two"}));
}

TEST(ResizeCels, ShowsTheSizeRestoresItAndKeepsTheChoice) {
    TdlgSize Dialog;

    Dialog.SetSize(34, 34);
    Dialog.open();
    auto* Across = Control<QSpinBox>(Dialog, "spinX");
    Across->setValue(50);
    Control<QRadioButton>(Dialog, "radStretch")->click();
    Press(Dialog, "butRestore");
    EXPECT_EQ(std::make_tuple(Dialog.Width(), Dialog.Height(), Dialog.Stretch()),
              std::make_tuple(34, 34, false));

    Across->setValue(50);
    Control<QRadioButton>(Dialog, "radStretch")->click();
    Press(Dialog, "butOk");
    EXPECT_EQ(std::make_tuple(Dialog.result(), Dialog.Width(), Dialog.Stretch()),
              std::make_tuple(int(QDialog::Accepted), 50, true));

    // Cancel forgets a choice made in the cancelled opening.
    Dialog.open();
    Control<QRadioButton>(Dialog, "radCrop")->click();
    Press(Dialog, "butCancel");
    EXPECT_TRUE(Dialog.Stretch());

    // Only sizes a cel can have.
    Dialog.SetSize(1000, 0);
    EXPECT_EQ(std::make_pair(Dialog.Width(), Dialog.Height()), std::make_pair(640, 1));
}

TEST(SizeQuestion, AsksAndKeepsTheLastAnswer) {
    TfrmQSize Question;
    EXPECT_EQ(Control<QLabel>(Question, "lblQuestion")->text(),
              "The size of the Source image is different than the size of the Destination "
              "image.");
    EXPECT_TRUE(Question.ResizeChosen());

    Question.open();
    Control<QRadioButton>(Question, "radNothing")->click();
    Press(Question, "Button1");
    EXPECT_EQ(std::make_pair(Question.result(), Question.ResizeChosen()),
              std::make_pair(int(QDialog::Accepted), false));

    Question.open();
    Control<QRadioButton>(Question, "radResize")->click();
    Press(Question, "Button2");
    EXPECT_FALSE(Question.ResizeChosen()) << "a cancelled answer is not kept";
}
