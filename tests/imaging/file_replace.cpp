#include <csignal>
#include <fstream>
#include <functional>
#include <optional>
#include <set>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "imaging/FileReplace.h"
#include "imaging/RunFolder.h"
#include "support/PictureAssert.h"

namespace {

const std::string Old = "the old contents";
const std::string New = "the new contents, longer than the old ones";

struct EncodingFailed {};

void Save(const fs::path& Name, const std::string& Text) {
    ReplaceFile(Name.string(), [&](const ByteSink& Sink) {
        Sink(reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size());
    });
}

// More than the writer buffers, so that bytes reach the disk before the failure.
void SaveFailing(const fs::path& Name) {
    ReplaceFile(Name.string(), [](const ByteSink& Sink) {
        const Bytes Block(1 << 20, 'x');
        for (int I = 0; I < 3; ++I)
            Sink(Block.data(), Block.size());
        throw EncodingFailed();
    });
}

void Put(const fs::path& Path, const std::string& Text) {
    std::ofstream(Path, std::ios::binary) << Text;
}

// Every name under Folder, symbolic links marked with a trailing @.
std::set<std::string> Names(const fs::path& Folder) {
    std::set<std::string> Result;
    for (const auto& Entry : fs::recursive_directory_iterator(Folder))
        Result.insert(Entry.path().lexically_relative(Folder).string() +
                      (Entry.is_symlink() ? "@" : ""));
    return Result;
}

// Runs Body in a child process, which may change its limits, user and hooks freely, and
// waits for it to end: its pid and status, or -1.
std::pair<pid_t, int> Forked(const std::function<int()>& Body) {
    const pid_t Child = ::fork();
    if (Child == 0) ::_exit(Body());
    int Status = 0;
    if (Child < 0 || ::waitpid(Child, &Status, 0) != Child) return {-1, 0};
    return {Child, Status};
}

// How Body ends in a child: 0 done, 1 its encoding failed, 2 the file failed, 77 not run
// when Ready says no, -1 when the child did not exit.
int InChild(const std::function<bool()>& Ready, const std::function<void()>& Body) {
    const auto [Child, Status] = Forked([&] {
        try {
            return Ready() ? (Body(), 0) : 77;
        } catch (const EncodingFailed&) {
            return 1;
        } catch (const EFileWriteError&) {
            return 2;
        }
    });
    return Child > 0 && WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
}

// Killed at this step of a save, through the save's hook.
TSaveStep KillAt;
void KillHere(TSaveStep Step) {
    if (Step == KillAt) ::raise(SIGKILL);
}

// A child that saves Text as Name, keeping old contents in Kept, and is killed at Step (or
// half way through handing over the contents when there is no step). Its pid once it was
// killed, or -1 when it was not.
pid_t SaveInChild(const fs::path& Name, const std::string& Text, std::optional<TSaveStep> Step,
                  const fs::path& Kept) {
    const auto [Child, Status] = Forked([&] {
        SetKeptCopyFolder([Kept] { return Kept.string(); });
        if (Step) {
            KillAt = *Step;
            SetSaveStepHook(KillHere);
        }
        try {
            ReplaceFile(Name.string(), [&](const ByteSink& Sink) {
                const auto* Data = reinterpret_cast<const std::uint8_t*>(Text.data());
                Sink(Data, Text.size() / 2);
                if (!Step) ::raise(SIGKILL);
                Sink(Data + Text.size() / 2, Text.size() - Text.size() / 2);
            });
        } catch (const EFileWriteError&) {
        }
        return 0;
    });
    return Child > 0 && WIFSIGNALED(Status) && WTERMSIG(Status) == SIGKILL ? Child : -1;
}

} // namespace

TEST(FileReplace, SavesKeepLinksAndNamesAndFailedOnesKeepTheOldFile) {
    struct Case {
        const char* What;
        std::string Saved; // the name saved to
        std::string File;  // the file that must end up holding the contents
        std::function<void(const fs::path&)> Make;
    };
    const std::vector<Case> Cases = {
        {"a plain file", "plain", "plain",
         [](const fs::path& In) {
             Put(In / "plain", Old);
             fs::permissions(In / "plain", fs::perms(0640));
         }},
        {"a new file", "new", "new", [](const fs::path&) {}},
        {"hard links", "linked", "linked",
         [](const fs::path& In) {
             Put(In / "linked", Old);
             fs::create_hard_link(In / "linked", In / "other name");
         }},
        {"a link to a file", "link", "sub/file",
         [](const fs::path& In) {
             fs::create_directory(In / "sub");
             Put(In / "sub/file", Old);
             fs::create_symlink("sub/file", In / "link");
         }},
        // The second link is relative to its own folder, not to the first link's.
        {"links to a file yet to be made", "first", "absent",
         [](const fs::path& In) {
             fs::create_directory(In / "sub");
             fs::create_symlink("sub/second", In / "first");
             fs::create_symlink("../absent", In / "sub/second");
         }},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        ScratchFolder In;
        C.Make(In.Path);
        const bool Existed = fs::exists(In / C.File);
        const fs::perms Permissions = fs::status(In / C.File).permissions();
        const std::set<std::string> Before = Names(In.Path);
        EXPECT_THROW(SaveFailing(In / C.Saved), EncodingFailed);
        EXPECT_EQ(Names(In.Path), Before);
        EXPECT_EQ(ReadText(In / C.File), Existed ? Old : "");
        EXPECT_NO_THROW(Save(In / C.Saved, New));
        EXPECT_EQ(ReadText(In / C.File), New);
        EXPECT_TRUE(!Existed || fs::status(In / C.File).permissions() == Permissions);
        std::set<std::string> After = Before;
        After.insert(C.File);
        EXPECT_EQ(Names(In.Path), After);
        EXPECT_TRUE(!fs::exists(In / "other name") ||
                    fs::equivalent(In / "linked", In / "other name"));
    }
}

TEST(FileReplace, AFolderThatMayNotChangeStillLetsItsWritableFileBeSaved) {
    ScratchFolder Folder;
    const fs::path File = Folder / "kept";
    Put(File, Old);
    fs::permissions(File, fs::perms(0666));
    fs::permissions(Folder.Path, fs::perms(0555));
    struct stat Before;
    ASSERT_EQ(::stat(File.c_str(), &Before), 0);
    // Root may change any folder, so the saves run as nobody when the tests run as root.
    const auto AsUser = [&](const std::function<void()>& Body) {
        return InChild(
            [&] {
                return (::geteuid() != 0 || ::setuid(65534) == 0) &&
                       ::access(File.c_str(), W_OK) == 0;
            },
            Body);
    };
    const int Failing = AsUser([&] { SaveFailing(File); });
    if (Failing == 77) GTEST_SKIP() << "cannot run as a user without write access to the folder";
    EXPECT_EQ(Failing, 1);
    EXPECT_EQ(ReadText(File), Old);
    EXPECT_EQ(AsUser([&] { Save(File, New); }), 0);
    EXPECT_EQ(ReadText(File), New);
    struct stat After;
    ASSERT_EQ(::stat(File.c_str(), &After), 0);
    EXPECT_EQ(After.st_ino, Before.st_ino);
    EXPECT_EQ(Folder.Names(), std::vector<std::string>{"kept"});
}

TEST(FileReplace, WhenTheDiskFillsUpTheOldContentsStay) {
    ScratchFolder Folder;
    Put(Folder / "plain", Old);
    Put(Folder / "linked", Old);
    fs::create_hard_link(Folder / "linked", Folder / "other name");
    // Files may grow to 2000 bytes only: the new contents are cut off half way, in a
    // temporary file or in the hard-linked file rewritten in place.
    const auto Limited = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit Limit{2000, 2000};
        return ::setrlimit(RLIMIT_FSIZE, &Limit) == 0;
    };
    for (const char* Name : {"plain", "linked"})
        EXPECT_EQ(InChild(Limited, [&] { Save(Folder / Name, std::string(5000, 'y')); }), 2)
            << Name << ": the failure is reported";
    EXPECT_EQ(ReadText(Folder / "plain"), Old);
    EXPECT_EQ(ReadText(Folder / "linked"), Old);
    EXPECT_TRUE(fs::equivalent(Folder / "linked", Folder / "other name"));
    EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"linked", "other name", "plain"}));
}

TEST(FileReplace, AKillAtAnyStepLeavesTheOldFileTheNewOneOrOneThatCanBePutBack) {
    // The old contents are the longer: new ones written over them and not yet cut to their
    // length leave the old tail behind. (They start with blanks, which a kept copy keeps.)
    const std::string Before = "\n  " + std::string(300, 'o'), After = "new contents";
    struct Case {
        const char* What;
        bool Linked; // rewritten in place
        std::optional<TSaveStep> Step;
        const std::string* Left; // null: neither, to be put back
    };
    const std::vector<Case> Cases = {
        {"writing a temporary", false, std::nullopt, &Before},
        {"a temporary made", false, TSaveStep::TemporaryCreated, &Before},
        {"a temporary written", false, TSaveStep::TemporaryWritten, &Before},
        {"renamed", false, TSaveStep::Renamed, &After},
        {"encoding for a rewrite", true, std::nullopt, &Before},
        {"old contents kept", true, TSaveStep::OldContentsKept, &Before},
        {"written in place", true, TSaveStep::WrittenInPlace, nullptr},
        {"cut to length", true, TSaveStep::CutToLength, &After},
        {"synced in place", true, TSaveStep::SyncedInPlace, &After},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.What);
        ScratchFolder In, Kept;
        const fs::path File = In / "file";
        Put(File, Before);
        if (C.Linked) fs::create_hard_link(File, In / "other name");
        ASSERT_GT(SaveInChild(File, After, C.Step, Kept.Path), 0) << "the save reached the step";

        const std::vector<TInterruptedSave> Cut = FindInterruptedSaves(Kept.Path.string());
        if (C.Left) {
            EXPECT_EQ(ReadText(File), *C.Left);
            EXPECT_TRUE(Cut.empty());
        } else {
            EXPECT_NE(ReadText(File), Before);
            EXPECT_NE(ReadText(File), After);
            ASSERT_EQ(Cut.size(), 1u);
            EXPECT_EQ(Cut[0].FileName, File.string());
            PutBackOldContents(Cut[0]);
            EXPECT_EQ(ReadText(File), Before);
        }
        // A kept copy goes once it is of no more use; the next save of the file removes the
        // temporary the kill left beside it, keeps the links, and leaves nothing kept.
        EXPECT_TRUE(Kept.Names().empty());
        SetKeptCopyFolder([&] { return Kept.Path.string(); });
        Save(File, After);
        SetKeptCopyFolder({});
        EXPECT_EQ(ReadText(File), After);
        const std::vector<std::string> Names = {"file", "other name"};
        EXPECT_EQ(In.Names(), std::vector<std::string>(Names.begin(), Names.end() - !C.Linked));
        EXPECT_TRUE(!C.Linked || fs::equivalent(File, In / "other name"));
        EXPECT_TRUE(Kept.Names().empty());
    }
}

TEST(RunFolder, OnlyAProgramThatDidNotEndNormallyLeavesItsFolderBehind) {
    ScratchFolder Area;
    const std::string Where = (Area / "recovery").string();
    std::unique_ptr<TRunFolder> Mine = TRunFolder::Create(Where);
    // A program that ends normally takes its folder with it; one that is killed leaves its
    // folder, with the work in it.
    Forked([&] { return TRunFolder::Create(Where) ? 0 : 1; });
    Forked([&] {
        const std::unique_ptr<TRunFolder> Run = TRunFolder::Create(Where);
        std::ofstream(Run->Path() + "/work") << "unsaved";
        return ::raise(SIGKILL);
    });
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
