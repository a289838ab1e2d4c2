#pragma once
// The recovery area: a folder in the user's data location that holds, for each running
// editor or vimbrel-cli, a run folder of its own with what a crash must not take away (the
// editor's copies of unsaved documents, the old contents of files being rewritten in
// place). A run folder is locked for as long as its program runs. The kernel drops the lock
// when the program ends, however it ends, so a run folder whose lock is free was left behind
// by a program that did not end normally, and a second program running at the same time
// never takes the folders of the first.
//
// Owns its lock. Plain C++: a TRunFolder may be used from any thread, one at a time.
#include <memory>
#include <string>
#include <vector>

class TRunFolder {
public:
    // A new, empty run folder in Area (which is made when missing), locked by this object.
    // Throws EFileWriteError when it cannot be made.
    static std::unique_ptr<TRunFolder> Create(const std::string& Area);
    // The run folders in Area that no running program holds, oldest first, each locked by
    // its object now. Folders still being made are passed over.
    static std::vector<std::unique_ptr<TRunFolder>> ClaimLeftBehind(const std::string& Area);

    TRunFolder(const TRunFolder&) = delete;
    TRunFolder& operator=(const TRunFolder&) = delete;
    // Removes the folder when nothing but its lock is left in it, and lets the lock go.
    ~TRunFolder();

    const std::string& Path() const { return Folder; }
    // The names of the files in the folder besides the lock, sorted.
    std::vector<std::string> Files() const;
    // Removes the folder with everything in it; false when something stayed.
    bool Remove();

private:
    TRunFolder(std::string Folder, int Lock);

    std::string Folder;
    int LockFd;
};
