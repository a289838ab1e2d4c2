#include "support/PictureAssert.h"

#include <cstdio>
#include <sstream>

Picture PictureOf(const TPxBitmap& Bitmap, const PictureLegend& Legend) {
    Picture Rows;
    for (int y = 0; y < Bitmap.Height(); ++y) {
        std::string Row;
        for (int x = 0; x < Bitmap.Width(); ++x) {
            auto Found = Legend.find(Bitmap.IndexAt(x, y));
            Row += Found == Legend.end() ? '?' : Found->second;
        }
        Rows.push_back(Row);
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
    std::ostringstream Out;
    Out << "picture differs (legend:";
    for (const auto& [Index, Char] : Legend) Out << ' ' << Char << '=' << int(Index);
    Out << ")\n";
    const std::size_t Rows = std::max(Actual.size(), Expected.size());
    Out << "actual";
    Out << std::string(Actual.empty() ? 4 : std::max<std::size_t>(Actual[0].size(), 6) - 4, ' ')
        << "   expected\n";
    for (std::size_t y = 0; y < Rows; ++y) {
        const std::string A = y < Actual.size() ? Actual[y] : "";
        const std::string E = y < Expected.size() ? Expected[y] : "";
        Out << A << std::string(A.size() < 6 ? 6 - A.size() : 0, ' ') << "   " << E
            << (A == E ? "" : "   <-") << '\n';
    }
    return ::testing::AssertionFailure() << Out.str();
}

namespace {
std::string HexLine(const std::vector<std::uint8_t>& Bytes, std::size_t From) {
    std::string Line;
    char Buffer[8];
    for (std::size_t i = From; i < From + 16 && i < Bytes.size(); ++i) {
        std::snprintf(Buffer, sizeof Buffer, "%02x ", Bytes[i]);
        Line += Buffer;
    }
    return Line;
}
} // namespace

::testing::AssertionResult BytesMatch(const std::vector<std::uint8_t>& Actual,
                                      const std::vector<std::uint8_t>& Expected) {
    std::size_t First = 0;
    while (First < Actual.size() && First < Expected.size() && Actual[First] == Expected[First])
        ++First;
    if (First == Actual.size() && First == Expected.size()) return ::testing::AssertionSuccess();
    const std::size_t From = First & ~std::size_t(15);
    char Offset[32];
    std::snprintf(Offset, sizeof Offset, "%08zx: ", From);
    return ::testing::AssertionFailure()
           << "bytes differ at offset " << First << " (sizes " << Actual.size() << " and "
           << Expected.size() << ")\n actual   " << Offset << HexLine(Actual, From)
           << "\n expected " << Offset << HexLine(Expected, From);
}

std::unique_ptr<TPxPalette> MakeCubePalette() {
    std::vector<RgbColor> Colors;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                Colors.push_back({std::uint8_t(r * 51), std::uint8_t(g * 51), std::uint8_t(b * 51)});
    for (int k = 1; k <= 20; ++k) {
        const auto Grey = std::uint8_t((255 * k + 10) / 21);
        Colors.push_back({Grey, Grey, Grey});
    }
    return TPxPalette::CreateFromColorMap(Colors);
}
