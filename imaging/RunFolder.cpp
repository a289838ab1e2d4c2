#include "imaging/RunFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "imaging/FileReplace.h"

namespace {

const char LockName[] = "lock";
const char RunPrefix[] = "run-";

[[noreturn]] void Fail(const std::string& What, int Error) {
    throw EFileWriteError(What + ": " + std::strerror(Error));
}

// The lock of Folder, held, or -1 when another program holds it or it is gone.
int TakeLock(const std::string& Folder, bool Create) {
    const std::string Name = Folder + "/" + LockName;
    const int Fd = ::open(Name.c_str(), O_RDWR | O_CLOEXEC | (Create ? O_CREAT : 0), 0600);
    if (Fd < 0) return -1;
    struct stat Held, Named;
    // A folder being taken apart by another program loses its lock's name before the lock
    // is let go: a lock taken after that belongs to nothing.
    if (::flock(Fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(Fd, &Held) != 0 ||
        ::lstat(Name.c_str(), &Named) != 0 || Held.st_dev != Named.st_dev ||
        Held.st_ino != Named.st_ino) {
        ::close(Fd);
        return -1;
    }
    return Fd;
}

std::vector<std::string> NamesIn(const std::string& Folder) {
    std::vector<std::string> Names;
    if (DIR* Listing = ::opendir(Folder.c_str())) {
        while (const dirent* Entry = ::readdir(Listing)) {
            const std::string Name = Entry->d_name;
            if (Name != "." && Name != "..") Names.push_back(Name);
        }
        ::closedir(Listing);
    }
    std::sort(Names.begin(), Names.end());
    return Names;
}

} // namespace

TRunFolder::TRunFolder(std::string Folder, int Lock) : Folder(std::move(Folder)), LockFd(Lock) {}

std::unique_ptr<TRunFolder> TRunFolder::Create(const std::string& Area) {
    std::error_code Error;
    std::filesystem::create_directories(Area, Error);
    if (Error) throw EFileWriteError("Unable to make the folder " + Area + ": " + Error.message());
    // The folder is made and locked under a name that other programs pass over, and only
    // then takes its own, so nobody ever sees it unlocked.
    std::string Making = Area + "/.new-XXXXXX";
    if (!::mkdtemp(Making.data())) Fail("Unable to make a folder in " + Area, errno);
    const int Lock = TakeLock(Making, true);
    if (Lock < 0) {
        const int Cause = errno;
        ::rmdir(Making.c_str());
        Fail("Unable to lock a folder in " + Area, Cause);
    }
    // Named by the time it was made, so that names sort oldest first.
    char Name[64];
    std::snprintf(Name, sizeof Name, "%s%010lld-%d-%s", RunPrefix, (long long)std::time(nullptr),
                  int(::getpid()), Making.c_str() + Making.size() - 6);
    const std::string Folder = Area + "/" + Name;
    if (::renameat2(AT_FDCWD, Making.c_str(), AT_FDCWD, Folder.c_str(), RENAME_NOREPLACE) != 0 &&
        (errno != EINVAL || ::access(Folder.c_str(), F_OK) == 0 ||
         ::rename(Making.c_str(), Folder.c_str()) != 0)) {
        const int Cause = errno;
        ::unlink((Making + "/" + LockName).c_str());
        ::rmdir(Making.c_str());
        ::close(Lock);
        Fail("Unable to make a folder in " + Area, Cause);
    }
    return std::unique_ptr<TRunFolder>(new TRunFolder(Folder, Lock));
}

std::vector<std::unique_ptr<TRunFolder>> TRunFolder::ClaimLeftBehind(const std::string& Area) {
    std::vector<std::unique_ptr<TRunFolder>> Claimed;
    for (const std::string& Name : NamesIn(Area)) {
        if (Name.compare(0, sizeof RunPrefix - 1, RunPrefix) != 0) continue;
        const std::string Folder = Area + "/" + Name;
        const int Lock = TakeLock(Folder, false);
        if (Lock >= 0) Claimed.push_back(std::unique_ptr<TRunFolder>(new TRunFolder(Folder, Lock)));
    }
    return Claimed;
}

TRunFolder::~TRunFolder() {
    if (LockFd < 0) return;
    if (Files().empty()) {
        ::unlink((Folder + "/" + LockName).c_str());
        ::rmdir(Folder.c_str());
    }
    ::close(LockFd);
}

std::vector<std::string> TRunFolder::Files() const {
    std::vector<std::string> Names = NamesIn(Folder);
    Names.erase(std::remove(Names.begin(), Names.end(), LockName), Names.end());
    return Names;
}

bool TRunFolder::Remove() {
    std::error_code Ignored;
    for (const std::string& Name : Files())
        std::filesystem::remove_all(Folder + "/" + Name, Ignored);
    if (!Files().empty()) return false;
    ::unlink((Folder + "/" + LockName).c_str());
    const bool Gone = ::rmdir(Folder.c_str()) == 0;
    ::close(LockFd);
    LockFd = -1;
    return Gone;
}
