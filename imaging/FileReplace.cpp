#include "imaging/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ErrorText(int Error) {
    return std::strerror(Error);
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
        while (Count > 0) {
            const ssize_t Written = ::write(Fd, Data, Count);
            if (Written < 0) {
                if (errno == EINTR) continue;
                throw FileWriteError("Unable to write " + FileName + ": " + ErrorText(errno));
            }
            Data += Written;
            Count -= std::size_t(Written);
        }
    }

    int Fd;
    const std::string& FileName;
    std::vector<std::uint8_t> Buffer;
};

// The path whose contents a save replaces: a symbolic link is followed, so that the link
// still names the saved file afterwards.
std::string ReplacedPath(const std::string& FileName) {
    struct stat Link;
    if (::lstat(FileName.c_str(), &Link) == 0 && S_ISLNK(Link.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> Resolved(::realpath(FileName.c_str(), nullptr),
                                                             &std::free);
        if (Resolved) return Resolved.get();
    }
    return FileName;
}

// Creates a new, empty file beside Target under an unused name; returns its descriptor.
int CreateTemporary(const std::string& Target, std::string& TempName) {
    std::random_device Seed;
    std::mt19937 Random(Seed());
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        char Suffix[16];
        std::snprintf(Suffix, sizeof Suffix, ".%08x.tmp", unsigned(Random()));
        TempName = Target + Suffix;
        const int Fd = ::open(TempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Fd >= 0) return Fd;
        if (errno != EEXIST) break;
    }
    const int Error = errno;
    TempName.clear();
    const std::size_t Slash = Target.rfind('/');
    const std::string Folder = Slash == std::string::npos ? "." : Target.substr(0, Slash + 1);
    throw FileWriteError("Unable to create a file in " + Folder + ": " + ErrorText(Error));
}

} // namespace

void ReplaceFile(const std::string& FileName, const std::function<void(const ByteSink&)>& Write) {
    const std::string Target = ReplacedPath(FileName);
    std::string TempName;
    int Fd = -1;
    try {
        Fd = CreateTemporary(Target, TempName);
        FileOutput Output(Fd, FileName);
        Write([&](const std::uint8_t* Data, std::size_t Count) { Output.Put(Data, Count); });
        Output.Flush();

        // A file that is replaced keeps its permissions.
        struct stat Old;
        if (::stat(Target.c_str(), &Old) == 0) (void)::fchmod(Fd, Old.st_mode & 07777);
        if (::fsync(Fd) != 0)
            throw FileWriteError("Unable to write " + FileName + ": " + ErrorText(errno));
        const int Closing = Fd;
        Fd = -1;
        if (::close(Closing) != 0)
            throw FileWriteError("Unable to write " + FileName + ": " + ErrorText(errno));
        if (::rename(TempName.c_str(), Target.c_str()) != 0)
            throw FileWriteError("Unable to replace " + FileName + ": " + ErrorText(errno));
    } catch (...) {
        if (Fd >= 0) ::close(Fd);
        if (!TempName.empty()) ::unlink(TempName.c_str());
        throw;
    }
}
