#include "imaging/RgbPicture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "imaging/Limits.h"

PictureTooLarge::PictureTooLarge(std::int64_t Width_, std::int64_t Height_)
    : std::runtime_error("Picture too large: " + std::to_string(Width_) + " x " +
                         std::to_string(Height_) + " pixels"),
      Width(Width_), Height(Height_) {}

void CheckPictureSize(std::int64_t Width, std::int64_t Height) {
    if (Width > MaxPictureSide || Height > MaxPictureSide ||
        std::uint64_t(Width) * std::uint64_t(Height) > MaxPicturePixels)
        throw PictureTooLarge(Width, Height);
}

namespace {

struct FileCloser {
    void operator()(std::FILE* File) const { std::fclose(File); }
};

} // namespace

bool ReadPictureBytes(const std::string& FileName, std::vector<std::uint8_t>& Bytes,
                      std::string& Error) {
    std::unique_ptr<std::FILE, FileCloser> File(std::fopen(FileName.c_str(), "rb"));
    Bytes.clear();
    if (File) {
        std::uint8_t Chunk[65536];
        std::size_t Count;
        while ((Count = std::fread(Chunk, 1, sizeof Chunk, File.get())) > 0)
            Bytes.insert(Bytes.end(), Chunk, Chunk + Count);
        if (!std::ferror(File.get())) return true;
    }
    Error = FileName + ": " + std::strerror(errno);
    return false;
}
