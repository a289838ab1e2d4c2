#pragma once
// The whole program for the main window's tests: its windows made afresh for every test, as
// at start-up, on cleared settings and clipboard. Header-only; window tests only.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "support/ScriptedQuestions.h"
#include "ui/animation/f_charanim.h"
#include "ui/animation/f_new.h"
#include "ui/shell/Forms.h"
#include "ui/shell/SpriteMDI.h"

inline void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The main window's command of that name; a test goes on with a stand-in if it is missing.
inline QAction* Command(const QString& Name) {
    QAction* Found = frmSpriteMDI->Command(Name);
    EXPECT_NE(Found, nullptr) << Name.toStdString();
    return Found ? Found : new QAction(frmSpriteMDI);
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings().clear();
        QApplication::clipboard()->clear();
        Script().Clear();
        Start();
    }
    void TearDown() override {
        Program.reset();
        FlushDeletes();
    }
    void Start() {
        Program = std::make_unique<TApplicationWindows>(VIMBREL_APP_DIR);
        frmSpriteMDI->resize(1000, 700);
        frmSpriteMDI->show();
        frmSpriteMDI->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frmSpriteMDI));
    }
    // As when the user quits and runs the program again.
    void Restart() {
        frmSpriteMDI->close();
        Program.reset();
        FlushDeletes();
        Start();
    }
    // New, with the New Animation dialog confirmed as it stands: 4 white cels of 64 x 64.
    TfrmCharAnimation* NewDocument() {
        QTimer::singleShot(0, frmNew, [] { frmNew->accept(); });
        Command("NewSpriteLibrary")->trigger();
        return frmSpriteMDI->State().CurrentAnimation;
    }

    std::unique_ptr<TApplicationWindows> Program;
};
