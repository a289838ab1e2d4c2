#include "imaging/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Writer = std::function<void(const ByteSink&)>;

[[noreturn]] void Fail(const char* What, const std::string& FileName, int Error) {
    throw FileWriteError(std::string(What) + " " + FileName + ": " + std::strerror(Error));
}

// Closes the descriptor on every way out, including exceptions.
class Descriptor {
public:
    explicit Descriptor(int Fd) : Fd(Fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (Fd >= 0) ::close(Fd);
    }
    // Closes now, so that the error a late write reports on closing is seen; 0 or errno.
    int Close() {
        const int Result = ::close(Fd);
        Fd = -1;
        return Result == 0 ? 0 : errno;
    }

private:
    int Fd;
};

// Writes all of Count bytes at Offset; 0 or errno.
int WriteAt(int Fd, const std::uint8_t* Data, std::size_t Count, off_t Offset) {
    while (Count > 0) {
        const ssize_t Written = ::pwrite(Fd, Data, Count, Offset);
        if (Written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        Data += Written;
        Offset += Written;
        Count -= std::size_t(Written);
    }
    return 0;
}

// Buffers the stream and hands it to the file descriptor in large writes.
class FileOutput {
public:
    FileOutput(int Descriptor, const std::string& Name) : Fd(Descriptor), FileName(Name) {
        Buffer.reserve(Capacity);
    }

    void Put(const std::uint8_t* Data, std::size_t Count) {
        if (Buffer.size() + Count > Capacity) Flush();
        if (Count >= Capacity)
            WriteAll(Data, Count);
        else
            Buffer.insert(Buffer.end(), Data, Data + Count);
    }

    void Flush() {
        WriteAll(Buffer.data(), Buffer.size());
        Buffer.clear();
    }

private:
    static constexpr std::size_t Capacity = 1 << 20;

    void WriteAll(const std::uint8_t* Data, std::size_t Count) {
        if (const int Error = WriteAt(Fd, Data, Count, Offset))
            Fail("Unable to write", FileName, Error);
        Offset += off_t(Count);
    }

    int Fd;
    off_t Offset = 0;
    const std::string& FileName;
    std::vector<std::uint8_t> Buffer;
};

// The folder part of Path with its final slash, or "" for a name in the working folder.
std::string FolderOf(const std::string& Path) {
    const std::size_t Slash = Path.rfind('/');
    return Slash == std::string::npos ? std::string() : Path.substr(0, Slash + 1);
}

// The path whose contents a save replaces. Symbolic links are followed one at a time, also
// to a target that does not exist yet, so that a link keeps naming the saved file instead
// of being replaced by it.
std::string ReplacedPath(const std::string& FileName) {
    std::string Path = FileName;
    // The kernel's own limit on links in a row.
    for (int Hop = 0; Hop < 40; ++Hop) {
        struct stat Link;
        if (::lstat(Path.c_str(), &Link) != 0 || !S_ISLNK(Link.st_mode)) return Path;
        std::vector<char> Target(256);
        for (;;) {
            const ssize_t Length = ::readlink(Path.c_str(), Target.data(), Target.size());
            if (Length < 0) return Path;
            if (std::size_t(Length) < Target.size()) {
                Target.resize(std::size_t(Length));
                break;
            }
            Target.resize(Target.size() * 2);
        }
        const std::string Next(Target.begin(), Target.end());
        if (Next.empty()) return Path;
        // A relative link is relative to the folder that holds it.
        Path = Next.front() == '/' ? Next : FolderOf(Path) + Next;
    }
    Fail("Unable to write", FileName, ELOOP);
}

// Creates a new, empty file beside Target under an unused name; its descriptor, or -1 with
// Error set.
int CreateTemporary(const std::string& Target, std::string& TempName, int& Error) {
    constexpr std::size_t LongestName = 255, SuffixLength = 13;
    const std::string Folder = FolderOf(Target);
    // A name as long as the folder allows must not leave its temporary file too long.
    const std::string Base = Target.substr(Folder.size(), LongestName - SuffixLength);
    std::random_device Seed;
    std::mt19937 Random(Seed());
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        char Suffix[SuffixLength + 1];
        std::snprintf(Suffix, sizeof Suffix, ".%08x.tmp", unsigned(Random()));
        TempName = Folder + Base + Suffix;
        const int Fd = ::open(TempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Fd >= 0) return Fd;
        if (errno != EEXIST) break;
    }
    Error = errno;
    TempName.clear();
    return -1;
}

// A rename is a change to the folder: until the folder reaches the disk, a crash may bring
// back the old file, or no file at all for a new one.
void SyncFolder(const std::string& Target, const std::string& FileName) {
    const std::string Folder = FolderOf(Target);
    const int Fd =
        ::open(Folder.empty() ? "." : Folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder the user may enter but not list cannot be opened; the file is saved anyway.
    if (Fd < 0) return;
    Descriptor Closing(Fd);
    // Some file systems cannot flush a folder and say so with EINVAL.
    if (::fsync(Fd) != 0 && errno != EINVAL) Fail("Unable to write", FileName, errno);
}

// The whole file's new contents at the start of Fd, cut to their length and on the disk;
// 0 or errno. The file's length and blocks are all the metadata a reader needs, which
// fdatasync flushes without waiting for the times.
int Store(int Fd, const std::vector<std::uint8_t>& Bytes) {
    if (const int Error = WriteAt(Fd, Bytes.data(), Bytes.size(), 0)) return Error;
    if (::ftruncate(Fd, off_t(Bytes.size())) != 0) return errno;
    return ::fdatasync(Fd) == 0 ? 0 : errno;
}

// The old contents, or nothing when they cannot be read.
std::optional<std::vector<std::uint8_t>> ReadBack(int Fd) {
    struct stat Info;
    if (::fstat(Fd, &Info) != 0) return std::nullopt;
    std::vector<std::uint8_t> Bytes(std::size_t(Info.st_size));
    std::size_t Done = 0;
    while (Done < Bytes.size()) {
        const ssize_t Read = ::pread(Fd, Bytes.data() + Done, Bytes.size() - Done, off_t(Done));
        if (Read < 0 && errno == EINTR) continue;
        if (Read <= 0) return std::nullopt;
        Done += std::size_t(Read);
    }
    return Bytes;
}

// Rewrites Target's own inode, for files that a new file renamed over them would break.
// The whole file is encoded before the old one is touched, so a failing Write costs
// nothing; should writing fail half way, the old contents are put back where possible.
void WriteInPlace(const std::string& FileName, const std::string& Target, const Writer& Write) {
    std::vector<std::uint8_t> Bytes;
    Write([&](const std::uint8_t* Data, std::size_t Count) {
        Bytes.insert(Bytes.end(), Data, Data + Count);
    });

    int Fd = ::open(Target.c_str(), O_RDWR | O_CLOEXEC);
    const bool Readable = Fd >= 0;
    if (!Readable && errno == EACCES) Fd = ::open(Target.c_str(), O_WRONLY | O_CLOEXEC);
    if (Fd < 0) Fail("Unable to write", FileName, errno);
    Descriptor File(Fd);
    const auto Previous = Readable ? ReadBack(Fd) : std::nullopt;
    if (const int Error = Store(Fd, Bytes)) {
        if (Previous) (void)Store(Fd, *Previous);
        Fail("Unable to write", FileName, Error);
    }
    if (const int Error = File.Close()) Fail("Unable to write", FileName, Error);
}

} // namespace

void ReplaceFile(const std::string& FileName, const Writer& Write) {
    const std::string Target = ReplacedPath(FileName);
    struct stat Old;
    const bool Exists = ::stat(Target.c_str(), &Old) == 0;
    const bool IsFile = Exists && S_ISREG(Old.st_mode);
    // A new file renamed over one with other names would split it from them.
    if (IsFile && Old.st_nlink > 1) return WriteInPlace(FileName, Target, Write);

    std::string TempName;
    int Error = 0;
    const int Fd = CreateTemporary(Target, TempName, Error);
    if (Fd < 0) {
        // A folder the user may not change can still hold a file the user may change.
        if (IsFile && (Error == EACCES || Error == EPERM))
            return WriteInPlace(FileName, Target, Write);
        const std::string Folder = FolderOf(Target);
        Fail("Unable to create a file in", Folder.empty() ? "." : Folder, Error);
    }
    try {
        Descriptor File(Fd);
        FileOutput Output(Fd, FileName);
        Write([&](const std::uint8_t* Data, std::size_t Count) { Output.Put(Data, Count); });
        Output.Flush();

        // A file that is replaced keeps its permissions.
        if (Exists) (void)::fchmod(Fd, Old.st_mode & 07777);
        // Only the data need be on the disk before the rename: the file is new, and its
        // length is flushed with it.
        if (::fdatasync(Fd) != 0) Fail("Unable to write", FileName, errno);
        if (const int Closing = File.Close()) Fail("Unable to write", FileName, Closing);
        if (::rename(TempName.c_str(), Target.c_str()) != 0)
            Fail("Unable to replace", FileName, errno);
    } catch (...) {
        ::unlink(TempName.c_str());
        throw;
    }
    SyncFolder(Target, FileName);
}
