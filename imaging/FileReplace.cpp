#include "imaging/FileReplace.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Writer = std::function<void(const ByteSink&)>;
using ByteBlock = std::vector<std::uint8_t>;

std::atomic<void (*)(TSaveStep)> StepHook{nullptr};
// Set while a kept copy is written: its steps are not the save's own.
thread_local bool KeepingCopy = false;

void Reached(TSaveStep Step) {
    if (auto* Hook = StepHook.load(); Hook && !KeepingCopy) Hook(Step);
}

std::mutex KeptFolderLock;
std::function<std::string()> KeptFolder;

[[noreturn]] void Fail(const char* What, const std::string& FileName, int Error) {
    throw EFileWriteError(std::string(What) + " " + FileName + ": " + std::strerror(Error));
}

// Closes the descriptor on every way out, including exceptions.
class TDescriptor {
public:
    explicit TDescriptor(int Fd) : Fd(Fd) {}
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    ~TDescriptor() {
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
class TFileOutput {
public:
    TFileOutput(int Opened, const std::string& Name) : Fd(Opened), FileName(Name) {
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

// 64-bit FNV-1a: tells contents apart without keeping them.
std::uint64_t Fingerprint(const std::uint8_t* Data, std::size_t Count,
                          std::uint64_t Hash = 14695981039346656037ull) {
    for (std::size_t I = 0; I < Count; ++I)
        Hash = (Hash ^ Data[I]) * 1099511628211ull;
    return Hash;
}

std::uint64_t Fingerprint(const ByteBlock& Bytes) {
    return Fingerprint(Bytes.data(), Bytes.size());
}

constexpr std::size_t LongestName = 255, SuffixLength = 13;

// The part of Target's name that its temporary files start with: a name as long as the
// folder allows must not leave them too long.
std::string TemporaryBase(const std::string& Target) {
    return Target.substr(FolderOf(Target).size(), LongestName - SuffixLength);
}

// The eight hex digits of a temporary's name: 16 random bits, and 16 bits that follow from
// them and from the file's name. A later save of the same file knows its own temporaries by
// them, and never takes another program's file that happens to be named alike for one.
std::uint32_t TemporaryTag(const std::string& Base, std::uint32_t Random) {
    static const char Salt[] = "vimbrel temporary";
    std::uint64_t Hash = Fingerprint(reinterpret_cast<const std::uint8_t*>(Salt), sizeof Salt);
    Hash = Fingerprint(reinterpret_cast<const std::uint8_t*>(Base.data()), Base.size(), Hash);
    const std::uint8_t Bits[2] = {std::uint8_t(Random), std::uint8_t(Random >> 8)};
    Hash = Fingerprint(Bits, 2, Hash);
    return ((Random & 0xFFFF) << 16) | std::uint32_t((Hash ^ (Hash >> 32)) & 0xFFFF);
}

// Whether Name is one of Base's temporaries.
bool IsTemporaryOf(const std::string& Name, const std::string& Base) {
    if (Name.size() != Base.size() + SuffixLength || Name.compare(0, Base.size(), Base) != 0)
        return false;
    const char* Suffix = Name.c_str() + Base.size();
    if (Suffix[0] != '.' || std::strcmp(Suffix + 9, ".tmp") != 0) return false;
    std::uint32_t Tag = 0;
    for (int I = 1; I <= 8; ++I) {
        const char C = Suffix[I];
        const int Digit = C >= '0' && C <= '9' ? C - '0' : C >= 'a' && C <= 'f' ? C - 'a' + 10 : -1;
        if (Digit < 0) return false;
        Tag = Tag << 4 | std::uint32_t(Digit);
    }
    return TemporaryTag(Base, Tag >> 16) == Tag;
}

bool SameFile(const struct stat& A, const struct stat& B) {
    return A.st_dev == B.st_dev && A.st_ino == B.st_ino;
}

// Removes the temporaries that killed saves of Target left in its folder. A save holds its
// temporary locked until it has been renamed, so a temporary whose lock can be had belongs
// to a save that is over; one that cannot be locked at all is left alone.
void RemoveStaleTemporaries(const std::string& Target) {
    const std::string Folder = FolderOf(Target);
    const std::string Base = TemporaryBase(Target);
    DIR* Listing = ::opendir(Folder.empty() ? "." : Folder.c_str());
    if (!Listing) return;
    std::vector<std::string> Candidates;
    while (const dirent* Entry = ::readdir(Listing))
        if (IsTemporaryOf(Entry->d_name, Base)) Candidates.push_back(Folder + Entry->d_name);
    ::closedir(Listing);
    for (const std::string& Name : Candidates) {
        const int Fd = ::open(Name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (Fd < 0) continue;
        TDescriptor Closing(Fd);
        struct stat Held, Named;
        if (::fstat(Fd, &Held) != 0 || !S_ISREG(Held.st_mode) || Held.st_uid != ::geteuid())
            continue;
        if (::flock(Fd, LOCK_EX | LOCK_NB) != 0) continue;
        // Still the file of that name: not one a save has renamed away meanwhile.
        if (::lstat(Name.c_str(), &Named) == 0 && SameFile(Held, Named)) ::unlink(Name.c_str());
    }
}

// A new, empty file beside Target under an unused name, locked against RemoveStaleTemporaries
// for as long as Lock stays open; its descriptor, or -1 with Error set.
int CreateTemporary(const std::string& Target, std::string& TempName, int& Lock, int& Error) {
    const std::string Folder = FolderOf(Target);
    const std::string Base = TemporaryBase(Target);
    std::random_device Seed;
    std::mt19937 Random(Seed());
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        char Suffix[SuffixLength + 1];
        std::snprintf(Suffix, sizeof Suffix, ".%08x.tmp", unsigned(TemporaryTag(Base, Random())));
        TempName = Folder + Base + Suffix;
        const int Fd = ::open(TempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Fd < 0) {
            if (errno != EEXIST) break;
            continue;
        }
        // A save of the same file may have found the new file unlocked and removed it
        // before the lock was taken: then it starts again under another name.
        struct stat Held, Named;
        if (::flock(Fd, LOCK_EX) == 0 &&
            (::fstat(Fd, &Held) != 0 || ::lstat(TempName.c_str(), &Named) != 0 ||
             !SameFile(Held, Named))) {
            ::close(Fd);
            continue;
        }
        // The lock lives on in a second descriptor, past the close of the first that
        // reports late write errors, until the rename.
        Lock = ::fcntl(Fd, F_DUPFD_CLOEXEC, 0);
        return Fd;
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
    TDescriptor Closing(Fd);
    // Some file systems cannot flush a folder and say so with EINVAL.
    if (::fsync(Fd) != 0 && errno != EINVAL) Fail("Unable to write", FileName, errno);
}

// The whole file's new contents at the start of Fd, cut to their length and on the disk;
// 0 or errno. The file's length and blocks are all the metadata a reader needs, which
// fdatasync flushes without waiting for the times. Steps tells the hook where it is.
int Store(int Fd, const ByteBlock& Bytes, bool Steps = false) {
    if (const int Error = WriteAt(Fd, Bytes.data(), Bytes.size(), 0)) return Error;
    if (Steps) Reached(TSaveStep::WrittenInPlace);
    if (::ftruncate(Fd, off_t(Bytes.size())) != 0) return errno;
    if (Steps) Reached(TSaveStep::CutToLength);
    return ::fdatasync(Fd) == 0 ? 0 : errno;
}

// The whole contents of Fd, or nothing when they cannot be read.
std::optional<ByteBlock> ReadBack(int Fd) {
    struct stat Info;
    if (::fstat(Fd, &Info) != 0) return std::nullopt;
    ByteBlock Bytes(std::size_t(Info.st_size));
    std::size_t Done = 0;
    while (Done < Bytes.size()) {
        const ssize_t Read = ::pread(Fd, Bytes.data() + Done, Bytes.size() - Done, off_t(Done));
        if (Read < 0 && errno == EINTR) continue;
        if (Read <= 0) return std::nullopt;
        Done += std::size_t(Read);
    }
    return Bytes;
}

std::optional<ByteBlock> ReadWhole(const std::string& Name) {
    const int Fd = ::open(Name.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0) return std::nullopt;
    TDescriptor Closing(Fd);
    return ReadBack(Fd);
}

std::string AbsolutePath(const std::string& Path) {
    if (!Path.empty() && Path.front() == '/') return Path;
    std::vector<char> Folder(4096);
    while (!::getcwd(Folder.data(), Folder.size())) {
        if (errno != ERANGE) return Path;
        Folder.resize(Folder.size() * 2);
    }
    return std::string(Folder.data()) + "/" + Path;
}

// ---- Kept copies ----
//
// A kept copy is one file: a first line that says what it is, the file's absolute path
// (its length in decimal on a line of its own, then the name and a line feed), the length
// and fingerprint of the new contents, those of the old contents, then the old contents.

const char KeptMagic[] = "Vimbrel kept contents 1\n";
const char KeptPrefix[] = "kept-";

struct TKeptHeader {
    std::string FileName;
    std::uint64_t NewLength = 0, NewPrint = 0, OldLength = 0, OldPrint = 0;
};

std::string HeaderText(const TKeptHeader& Header) {
    char Numbers[128];
    std::snprintf(Numbers, sizeof Numbers,
                  "%" PRIu64 " %016" PRIx64 "\n%" PRIu64 " %016" PRIx64 "\n", Header.NewLength,
                  Header.NewPrint, Header.OldLength, Header.OldPrint);
    return KeptMagic + std::to_string(Header.FileName.size()) + "\n" + Header.FileName + "\n" +
           Numbers;
}

// The header and the old contents of a kept copy, or nothing when it is not one or is
// damaged.
std::optional<ByteBlock> ReadKeptCopy(const std::string& Name, TKeptHeader& Header) {
    const std::optional<ByteBlock> Whole = ReadWhole(Name);
    if (!Whole) return std::nullopt;
    const std::string Text(Whole->begin(), Whole->begin() + std::ptrdiff_t(std::min<std::size_t>(
                                                                Whole->size(), 8192)));
    const std::size_t MagicLength = sizeof KeptMagic - 1;
    if (Text.compare(0, MagicLength, KeptMagic) != 0) return std::nullopt;
    std::size_t At = MagicLength;
    const std::size_t LengthEnd = Text.find('\n', At);
    if (LengthEnd == std::string::npos) return std::nullopt;
    const std::size_t NameLength = std::strtoull(Text.c_str() + At, nullptr, 10);
    At = LengthEnd + 1;
    if (NameLength > 4096 || At + NameLength + 1 > Text.size() || Text[At + NameLength] != '\n')
        return std::nullopt;
    Header.FileName = Text.substr(At, NameLength);
    At += NameLength + 1;
    // Two lines of a length and a fingerprint, read line by line: the old contents that
    // follow may start with anything.
    const std::pair<std::uint64_t*, std::uint64_t*> Lines[] = {
        {&Header.NewLength, &Header.NewPrint}, {&Header.OldLength, &Header.OldPrint}};
    for (const auto& [Length, Print] : Lines) {
        const std::size_t LineEnd = Text.find('\n', At);
        if (LineEnd == std::string::npos) return std::nullopt;
        const std::string Line = Text.substr(At, LineEnd - At);
        char End = 0;
        if (std::sscanf(Line.c_str(), "%" SCNu64 " %" SCNx64 "%c", Length, Print, &End) != 2)
            return std::nullopt;
        At = LineEnd + 1;
    }
    if (Whole->size() - At != Header.OldLength) return std::nullopt;
    ByteBlock Old(Whole->begin() + std::ptrdiff_t(At), Whole->end());
    if (Fingerprint(Old) != Header.OldPrint) return std::nullopt;
    return Old;
}

// Keeps Old, the contents of Target before it is rewritten with New, in the kept-copy
// folder; the kept copy's name, or "" when there is no folder.
std::string KeepOldContents(const std::string& FileName, const std::string& Target,
                            const ByteBlock& Old, const ByteBlock& New) {
    std::function<std::string()> FolderOfCopies;
    {
        const std::lock_guard<std::mutex> Hold(KeptFolderLock);
        FolderOfCopies = KeptFolder;
    }
    struct TKeeping {
        TKeeping() { KeepingCopy = true; }
        ~TKeeping() { KeepingCopy = false; }
    } During;
    try {
        const std::string Folder = FolderOfCopies ? FolderOfCopies() : std::string();
        if (Folder.empty()) return {};
        const std::string Header = HeaderText(
            {AbsolutePath(Target), New.size(), Fingerprint(New), Old.size(), Fingerprint(Old)});
        std::random_device Seed;
        std::mt19937 Random(Seed());
        std::string Name;
        struct stat Existing;
        do {
            char Suffix[16];
            std::snprintf(Suffix, sizeof Suffix, "%08x", unsigned(Random()));
            Name = Folder + "/" + KeptPrefix + Suffix;
        } while (::lstat(Name.c_str(), &Existing) == 0);
        ReplaceFile(Name, [&](const ByteSink& Sink) {
            Sink(reinterpret_cast<const std::uint8_t*>(Header.data()), Header.size());
            Sink(Old.data(), Old.size());
        });
        return Name;
    } catch (const EFileWriteError& Failure) {
        throw EFileWriteError("Unable to keep the old contents of " + FileName +
                              " before rewriting it: " + Failure.what());
    }
}

// Rewrites Target's own inode, for files that a new file renamed over them would break.
// The whole file is encoded before the old one is touched, so a failing Write costs
// nothing. The old contents are kept on the disk until the new ones are; should writing
// fail half way, they are put back where possible.
void WriteInPlace(const std::string& FileName, const std::string& Target, const Writer& Write) {
    ByteBlock Bytes;
    Write([&](const std::uint8_t* Data, std::size_t Count) {
        Bytes.insert(Bytes.end(), Data, Data + Count);
    });

    int Fd = ::open(Target.c_str(), O_RDWR | O_CLOEXEC);
    const bool Readable = Fd >= 0;
    if (!Readable && errno == EACCES) Fd = ::open(Target.c_str(), O_WRONLY | O_CLOEXEC);
    if (Fd < 0) Fail("Unable to write", FileName, errno);
    TDescriptor File(Fd);
    // Old contents that cannot be read cannot be kept either.
    const auto Previous = Readable ? ReadBack(Fd) : std::nullopt;
    const std::string Kept = Previous ? KeepOldContents(FileName, Target, *Previous, Bytes) : "";
    Reached(TSaveStep::OldContentsKept);
    if (const int Error = Store(Fd, Bytes, true)) {
        // Once the old contents are back, the kept copy has nothing more to give.
        if (Previous && Store(Fd, *Previous) == 0 && !Kept.empty()) ::unlink(Kept.c_str());
        Fail("Unable to write", FileName, Error);
    }
    Reached(TSaveStep::SyncedInPlace);
    if (!Kept.empty()) ::unlink(Kept.c_str());
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

    RemoveStaleTemporaries(Target);
    std::string TempName;
    int Error = 0, LockFd = -1;
    const int Fd = CreateTemporary(Target, TempName, LockFd, Error);
    if (Fd < 0) {
        // A folder the user may not change can still hold a file the user may change.
        if (IsFile && (Error == EACCES || Error == EPERM))
            return WriteInPlace(FileName, Target, Write);
        const std::string Folder = FolderOf(Target);
        Fail("Unable to create a file in", Folder.empty() ? "." : Folder, Error);
    }
    TDescriptor Lock(LockFd);
    try {
        TDescriptor File(Fd);
        Reached(TSaveStep::TemporaryCreated);
        TFileOutput Output(Fd, FileName);
        Write([&](const std::uint8_t* Data, std::size_t Count) { Output.Put(Data, Count); });
        Output.Flush();

        // A file that is replaced keeps its permissions.
        if (Exists) (void)::fchmod(Fd, Old.st_mode & 07777);
        // Only the data need be on the disk before the rename: the file is new, and its
        // length is flushed with it.
        if (::fdatasync(Fd) != 0) Fail("Unable to write", FileName, errno);
        if (const int Closing = File.Close()) Fail("Unable to write", FileName, Closing);
        Reached(TSaveStep::TemporaryWritten);
        if (::rename(TempName.c_str(), Target.c_str()) != 0)
            Fail("Unable to replace", FileName, errno);
    } catch (...) {
        ::unlink(TempName.c_str());
        throw;
    }
    Lock.Close();
    Reached(TSaveStep::Renamed);
    SyncFolder(Target, FileName);
}

void SetKeptCopyFolder(std::function<std::string()> Folder) {
    const std::lock_guard<std::mutex> Hold(KeptFolderLock);
    KeptFolder = std::move(Folder);
}

std::vector<TInterruptedSave> FindInterruptedSaves(const std::string& Folder) {
    std::vector<TInterruptedSave> Found;
    DIR* Listing = ::opendir(Folder.c_str());
    if (!Listing) return Found;
    std::vector<std::string> Names;
    while (const dirent* Entry = ::readdir(Listing)) {
        const std::string Name = Entry->d_name;
        // A kept copy's own temporary is not one.
        if (Name.compare(0, sizeof KeptPrefix - 1, KeptPrefix) == 0 &&
            Name.find('.') == std::string::npos)
            Names.push_back(Folder + "/" + Name);
    }
    ::closedir(Listing);
    std::sort(Names.begin(), Names.end());
    for (const std::string& Name : Names) {
        // A copy or a file too large to be read now is left for a later start.
        try {
            TKeptHeader Header;
            if (!ReadKeptCopy(Name, Header)) continue;
            const std::optional<ByteBlock> Now = ReadWhole(Header.FileName);
            const auto Holds = [&](std::uint64_t Length, std::uint64_t Print) {
                return Now && Now->size() == Length && Fingerprint(*Now) == Print;
            };
            if (Holds(Header.OldLength, Header.OldPrint) ||
                Holds(Header.NewLength, Header.NewPrint))
                ::unlink(Name.c_str());
            else
                Found.push_back({Header.FileName, Name});
        } catch (const std::bad_alloc&) {
        }
    }
    return Found;
}

void PutBackOldContents(const TInterruptedSave& Save) {
    TKeptHeader Header;
    const std::optional<ByteBlock> Old = ReadKeptCopy(Save.KeptCopy, Header);
    if (!Old) throw EFileWriteError("Unable to read the kept copy " + Save.KeptCopy);
    ReplaceFile(Save.FileName, [&](const ByteSink& Sink) { Sink(Old->data(), Old->size()); });
    ::unlink(Save.KeptCopy.c_str());
}

void SetSaveStepHook(void (*Hook)(TSaveStep Step)) {
    StepHook = Hook;
}
