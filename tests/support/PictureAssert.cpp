#include "support/PictureAssert.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

Picture PictureOf(const TPxBitmap& Bitmap, const PictureLegend& Legend) {
    Picture Rows(std::size_t(Bitmap.Height()));
    for (int y = 0; y < Bitmap.Height(); ++y)
        for (int x = 0; x < Bitmap.Width(); ++x) {
            auto Found = Legend.find(Bitmap.IndexAt(x, y));
            Rows[std::size_t(y)] += Found == Legend.end() ? '?' : Found->second;
        }
    return Rows;
}

void PaintPicture(TPxBitmap& Bitmap, const PictureLegend& Legend, const Picture& Rows) {
    for (int y = 0; y < int(Rows.size()) && y < Bitmap.Height(); ++y)
        for (int x = 0; x < int(Rows[y].size()) && x < Bitmap.Width(); ++x)
            for (const auto& [Index, Char] : Legend)
                if (Char == Rows[y][x]) Bitmap.ScanLine(y)[x] = Index;
}

::testing::AssertionResult PictureMatches(const TPxBitmap& Bitmap, const PictureLegend& Legend,
                                          const Picture& Expected) {
    const Picture Actual = PictureOf(Bitmap, Legend);
    if (Actual == Expected) return ::testing::AssertionSuccess();
    auto Result = ::testing::AssertionFailure() << "picture differs; actual, then expected:\n";
    for (const Picture* Rows : {&Actual, &Expected}) {
        for (const std::string& Row : *Rows)
            Result << "  " << Row << "\n";
        Result << "\n";
    }
    return Result;
}

::testing::AssertionResult BytesMatch(const Bytes& Actual, const Bytes& Expected) {
    const std::size_t At =
        std::mismatch(Actual.begin(), Actual.end(), Expected.begin(), Expected.end()).first -
        Actual.begin();
    if (Actual == Expected) return ::testing::AssertionSuccess();
    auto Result = ::testing::AssertionFailure()
                  << "bytes differ at offset " << At << " (sizes " << Actual.size() << " and "
                  << Expected.size() << "); from there, actual then expected:";
    for (const Bytes* Block : {&Actual, &Expected}) {
        Result << "\n ";
        for (std::size_t i = At; i < Block->size() && i < At + 16; ++i)
            Result << " " << int((*Block)[i]);
    }
    return Result;
}

std::unique_ptr<TPxPalette> MakeCubePalette() {
    std::vector<TRgbColor> Colors;
    for (int k = 0; k < 216; ++k)
        Colors.push_back(
            {std::uint8_t(k / 36 * 51), std::uint8_t(k / 6 % 6 * 51), std::uint8_t(k % 6 * 51)});
    for (int k = 1; k <= 20; ++k) {
        const auto Grey = std::uint8_t((255 * k + 10) / 21);
        Colors.push_back({Grey, Grey, Grey});
    }
    return TPxPalette::CreateFromColorMap(Colors);
}

Bytes ReadBytes(const fs::path& Path) {
    std::ifstream File(Path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
}

std::string ReadText(const fs::path& Path) {
    const Bytes Contents = ReadBytes(Path);
    return std::string(Contents.begin(), Contents.end());
}

std::vector<fs::path> FilesIn(const fs::path& Folder, const std::string& Extension) {
    std::vector<fs::path> Files;
    for (const fs::directory_entry& Entry : fs::directory_iterator(Folder))
        if (Entry.path().extension() == Extension) Files.push_back(Entry.path());
    std::sort(Files.begin(), Files.end());
    return Files;
}

ScratchFolder::ScratchFolder() {
    std::string Template = (fs::temp_directory_path() / "vimbrel-test-XXXXXX").string();
    if (!::mkdtemp(Template.data())) throw std::runtime_error("cannot make " + Template);
    Path = Template;
}

ScratchFolder::~ScratchFolder() {
    std::error_code Ignored;
    fs::permissions(Path, fs::perms::owner_all, fs::perm_options::add, Ignored);
    fs::remove_all(Path, Ignored);
}

std::vector<std::string> ScratchFolder::Names() const {
    std::vector<std::string> Result;
    for (const fs::directory_entry& Entry : fs::directory_iterator(Path))
        Result.push_back(Entry.path().filename().string());
    std::sort(Result.begin(), Result.end());
    return Result;
}
