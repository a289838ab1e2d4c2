// "Resize Cels" and the size question: what they show, Restore, and the choices they keep
// from one use to the next.
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

#include "ui/animation/QSize.h"
#include "ui/shell/Sizedlg.h"

namespace {

template <class T> T* Control(QWidget& Window, const char* Name) {
    T* Found = Window.findChild<T*>(Name);
    EXPECT_NE(Found, nullptr) << Name;
    return Found;
}

void Press(QWidget& Window, const char* Button) {
    QTest::mouseClick(Control<QPushButton>(Window, Button), Qt::LeftButton);
}

} // namespace

TEST(ResizeCels, ShowsTheSizeRestoresItAndKeepsTheChoice) {
    TdlgSize Dialog;
    EXPECT_FALSE(Dialog.Stretch()) << "Crop at first";

    Dialog.SetSize(34, 34);
    Dialog.open();
    auto* Across = Control<QSpinBox>(Dialog, "spinX");
    auto* Down = Control<QSpinBox>(Dialog, "spinY");
    EXPECT_EQ(Across->value(), 34);
    EXPECT_EQ(Down->value(), 34);
    Across->setValue(50);
    Down->setValue(20);
    Control<QRadioButton>(Dialog, "radStretch")->click();
    Press(Dialog, "butRestore");
    EXPECT_EQ(Dialog.Width(), 34);
    EXPECT_EQ(Dialog.Height(), 34);
    EXPECT_FALSE(Dialog.Stretch());

    Across->setValue(50);
    Control<QRadioButton>(Dialog, "radStretch")->click();
    Press(Dialog, "butOk");
    EXPECT_EQ(Dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Dialog.Width(), 50);
    EXPECT_TRUE(Dialog.Stretch());

    // The next opening offers Stretch again; Restore now returns to it, and Cancel
    // forgets a choice made in the cancelled opening.
    Dialog.SetSize(50, 34);
    Dialog.open();
    EXPECT_TRUE(Control<QRadioButton>(Dialog, "radStretch")->isChecked());
    Control<QRadioButton>(Dialog, "radCrop")->click();
    Press(Dialog, "butRestore");
    EXPECT_TRUE(Dialog.Stretch());
    Control<QRadioButton>(Dialog, "radCrop")->click();
    Press(Dialog, "butCancel");
    EXPECT_EQ(Dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(Dialog.Stretch());

    // Only sizes a cel can have.
    Dialog.SetSize(1000, 0);
    EXPECT_EQ(Dialog.Width(), 640);
    EXPECT_EQ(Dialog.Height(), 1);
    Dialog.SetSize(2, 900);
    EXPECT_EQ(Dialog.Height(), 480);
}

TEST(SizeQuestion, AsksAndKeepsTheLastAnswer) {
    TfrmQSize Question;
    EXPECT_EQ(Question.windowTitle(), "Question");
    EXPECT_EQ(Control<QLabel>(Question, "lblQuestion")->text(),
              "The size of the Source image is different than the size of the Destination "
              "image.");
    EXPECT_EQ(Control<QRadioButton>(Question, "radResize")->text(),
              "Resize the Destination Image to match the Source Image.");
    EXPECT_EQ(Control<QRadioButton>(Question, "radNothing")->text(),
              "Leave the Destination Size the same.");
    EXPECT_TRUE(Question.ResizeChosen());

    Question.open();
    Control<QRadioButton>(Question, "radNothing")->click();
    Press(Question, "Button1");
    EXPECT_EQ(Question.result(), QDialog::Accepted);
    EXPECT_FALSE(Question.ResizeChosen());

    Question.open();
    EXPECT_TRUE(Control<QRadioButton>(Question, "radNothing")->isChecked());
    Control<QRadioButton>(Question, "radResize")->click();
    Press(Question, "Button2");
    EXPECT_EQ(Question.result(), QDialog::Rejected);
    Question.open();
    EXPECT_TRUE(Control<QRadioButton>(Question, "radNothing")->isChecked())
        << "a cancelled answer is not kept";
    Question.reject();
}
