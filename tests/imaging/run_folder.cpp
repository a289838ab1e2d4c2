#include <csignal>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

#include "imaging/RunFolder.h"
#include "support/PictureAssert.h"

TEST(RunFolder, OnlyAProgramThatDidNotEndNormallyLeavesItsFolderBehind) {
    ScratchFolder Area;
    const std::string Where = (Area / "recovery").string();
    std::unique_ptr<TRunFolder> Mine = TRunFolder::Create(Where);
    // A program that ends normally takes its folder with it.
    if (const pid_t Child = ::fork(); Child == 0) {
        TRunFolder::Create(Where);
        ::_exit(0);
    } else {
        ::waitpid(Child, nullptr, 0);
    }
    // One that is killed leaves its folder, with the work in it.
    if (const pid_t Child = ::fork(); Child == 0) {
        const std::unique_ptr<TRunFolder> Run = TRunFolder::Create(Where);
        std::ofstream(Run->Path() + "/work") << "unsaved";
        ::raise(SIGKILL);
    } else {
        ::waitpid(Child, nullptr, 0);
    }
    ASSERT_TRUE(fs::exists(Mine->Path()));

    // The folder of a running program is never taken, nor one that is taken already.
    std::vector<std::unique_ptr<TRunFolder>> Left = TRunFolder::ClaimLeftBehind(Where);
    ASSERT_EQ(Left.size(), 1u);
    EXPECT_NE(Left[0]->Path(), Mine->Path());
    EXPECT_EQ(Left[0]->Files(), std::vector<std::string>{"work"});
    EXPECT_TRUE(TRunFolder::ClaimLeftBehind(Where).empty());
    // Let go with the work still in it, it is left behind again, until it is removed.
    Left.clear();
    Left = TRunFolder::ClaimLeftBehind(Where);
    ASSERT_EQ(Left.size(), 1u);
    EXPECT_TRUE(Left[0]->Remove());
    Left.clear();
    EXPECT_TRUE(TRunFolder::ClaimLeftBehind(Where).empty());

    const std::string Path = Mine->Path();
    Mine.reset();
    EXPECT_FALSE(fs::exists(Path));
    EXPECT_TRUE(fs::is_empty(Where));
}
