// The LZW encoder against two independent judges: the plain string table (a linear
// scan for every lookup, kept here as the reference), which must give the very same bytes,
// and giflib's decoder, which must give back the very same pixels.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "gif/DynArrB.h"
#include "gif/LzwEncoder.h"
#include "support/PictureAssert.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// ---- The reference: the string table searched from front to back ----

struct ScanResult {
    Bytes ImageData;          // code size byte, blocks with their lengths, terminator
    std::size_t FilledAt = 0; // 0-based position of the first byte whose entry was code 4095
    int Restarts = 0;         // clear codes written after the first one
};

ScanResult ScanEncode(const Bytes& Data) {
    ScanResult Result;
    // Codes from NextCode on are never looked at, so a restart only resets the counters.
    std::vector<int> Prefix(4096), Suffix(4096);
    int CodeSize = 9, NextCode = 258;
    auto FindCode = [&](int& P, int C) {
        for (int K = std::max(258, P + 1); K <= NextCode - 1; ++K)
            if (Prefix[K] == P && Suffix[K] == C) {
                P = K;
                return true;
            }
        return false;
    };
    Bytes Packed;
    std::uint32_t Accumulator = 0;
    int BitCount = 0;
    auto WriteCode = [&](int Code) {
        Accumulator += std::uint32_t(Code) << BitCount;
        for (BitCount += CodeSize; BitCount >= 8; BitCount -= 8, Accumulator >>= 8)
            Packed.push_back(std::uint8_t(Accumulator & 0xFF));
    };

    const std::size_t N = Data.size(); // positions count from 1, like a TBigByteArray's
    WriteCode(256);
    WriteCode(Data[0]);
    std::size_t Pos = 2;
    int Last = Data[0];
    while (Pos <= N) {
        const int First = Data[Pos - 1];
        ++Pos;
        Prefix[NextCode] = Last;
        Suffix[NextCode] = First;
        ++NextCode;
        if (NextCode == 4096 && Result.FilledAt == 0) Result.FilledAt = Pos - 2;
        if (NextCode < 4096 && NextCode > 1 << CodeSize) ++CodeSize;
        int Match = First;
        while (Pos <= N && FindCode(Match, Data[Pos - 1]))
            ++Pos;
        WriteCode(Match);
        Last = Match;
        if (NextCode == 4096 && Pos <= N) {
            WriteCode(256);
            CodeSize = 9;
            NextCode = 258;
            ++Result.Restarts;
            Last = Data[Pos - 1];
            WriteCode(Last);
            ++Pos;
        }
    }
    WriteCode(257);
    if (BitCount != 0) Packed.push_back(std::uint8_t(Accumulator & 0xFF));

    Result.ImageData = {8};
    for (std::size_t At = 0; At < Packed.size(); At += 255) {
        const auto Length = std::ptrdiff_t(std::min<std::size_t>(255, Packed.size() - At));
        Result.ImageData.push_back(std::uint8_t(Length));
        const auto From = Packed.begin() + std::ptrdiff_t(At);
        Result.ImageData.insert(Result.ImageData.end(), From, From + Length);
    }
    Result.ImageData.push_back(0);
    return Result;
}

Bytes Encoded(const Bytes& Data) {
    Bytes Out;
    WriteImageData([&](const std::uint8_t* P, std::size_t N) { Out.insert(Out.end(), P, P + N); },
                   EncodeImageData(Data.data(), Data.size()));
    return Out;
}

int ReadFromMemory(GifFileType* Gif, GifByteType* Out, int Count) {
    auto* Source = static_cast<std::pair<const Bytes*, std::size_t>*>(Gif->UserData);
    const std::size_t Take = std::min(std::size_t(Count), Source->first->size() - Source->second);
    std::memcpy(Out, Source->first->data() + Source->second, Take);
    Source->second += Take;
    return int(Take);
}

// Wraps image data as the only frame of a GIF one row high, with a 256-colour table, and
// lets giflib decode it. Returns the pixels, or nothing when giflib fails.
Bytes DecodedByGiflib(const Bytes& ImageData, std::size_t Width) {
    const auto W0 = std::uint8_t(Width), W1 = std::uint8_t(Width >> 8);
    Bytes File = {'G', 'I', 'F', '8', '9', 'a', W0, W1, 1, 0, 0xF7, 0, 0};
    for (int I = 0; I < 256; ++I)
        File.insert(File.end(), 3, std::uint8_t(I));
    File.insert(File.end(), {0x2C, 0, 0, 0, 0, W0, W1, 1, 0, 0});
    File.insert(File.end(), ImageData.begin(), ImageData.end());
    File.push_back(0x3B);

    std::pair<const Bytes*, std::size_t> Source(&File, 0);
    int Error = 0;
    GifFileType* Gif = DGifOpen(&Source, ReadFromMemory, &Error);
    if (!Gif) return {};
    Bytes Pixels;
    if (DGifSlurp(Gif) == GIF_OK && Gif->ImageCount == 1)
        Pixels.assign(Gif->SavedImages[0].RasterBits, Gif->SavedImages[0].RasterBits + Width);
    DGifCloseFile(Gif, &Error);
    return Pixels;
}

// Encodes Data (at most 65535 bytes, one row for giflib), which must give the reference's
// bytes and decode back with giflib. Returns the image data.
Bytes ExpectSoundEncoding(const Bytes& Data, const std::string& What) {
    SCOPED_TRACE(What + ", " + std::to_string(Data.size()) + " bytes");
    const Bytes Ours = Encoded(Data);
    EXPECT_BYTES(Ours, ScanEncode(Data).ImageData);
    EXPECT_TRUE(DecodedByGiflib(Ours, Data.size()) == Data) << "giflib decodes other pixels";
    return Ours;
}

Bytes RandomBytes(std::size_t Count, unsigned Seed, int Alphabet = 256) {
    std::mt19937 Random(Seed);
    std::uniform_int_distribution<int> Pick(0, Alphabet - 1);
    Bytes Data(Count);
    for (auto& B : Data)
        B = std::uint8_t(Pick(Random));
    return Data;
}

Bytes FirstBytes(const Bytes& Data, std::size_t Count) {
    return Bytes(Data.begin(), Data.begin() + std::ptrdiff_t(Count));
}

} // namespace

TEST(LzwEncoder, OneByteAndThreeEqualBytesGiveTheirCodesAtNineBits) {
    // Codes 256, 7, 257 at 9 bits each: 256 | 7 << 9 | 257 << 18 = 0x04040F00.
    EXPECT_BYTES(Encoded({7}), Bytes({0x08, 0x04, 0x00, 0x0F, 0x04, 0x04, 0x00}));
    // Code 258 is used in the very step that forms it: 256, 5, 258, 257 at 9 bits make
    // 0x100 | 5 << 9 | 258 << 18 | 257 << 27 = 0x80C080B00.
    const Bytes Out = Encoded({5, 5, 5});
    EXPECT_BYTES(Out, Bytes({0x08, 0x05, 0x00, 0x0B, 0x08, 0x0C, 0x08, 0x00}));
    EXPECT_TRUE(DecodedByGiflib(Out, 3) == Bytes({5, 5, 5}));
    // A frame has at least one pixel.
    EXPECT_THROW(EncodeImageData(std::make_unique<TBigByteArray>(0)), std::invalid_argument);
}

TEST(LzwEncoder, SameBytesAsTheScanningTableOnVariedInput) {
    Bytes Runs;
    for (int I = 0; Runs.size() < 30000; ++I)
        Runs.insert(Runs.end(), std::size_t(I % 97 + 1), std::uint8_t(I % 5 * 40));
    const std::pair<const char*, Bytes> Cases[] = {
        {"one byte", {255}},
        {"two bytes", {0, 1}},
        {"one long run", Bytes(20000, 0)},
        {"runs of varying length", Runs},
        {"random bytes", RandomBytes(30000, 1)},
        {"random bytes of four values", RandomBytes(60000, 2, 4)},
    };
    for (const auto& [What, Data] : Cases)
        ExpectSoundEncoding(Data, What);
}

TEST(LzwEncoder, WidthGrowsUpToTwelveBitsAndRestartsAfterCode4095) {
    // Random bytes form a new entry for almost every code, so the table fills within a few
    // thousand bytes and passes through every width.
    Bytes Source = RandomBytes(12000, 11);
    const std::size_t P = ScanEncode(Source).FilledAt;
    ASSERT_GT(P, 0u);

    // Input that ends with the byte whose entry is code 4095: that byte's code and the end
    // code follow at 12 bits, no clear code. Clear and the first byte at 9 bits, 254 codes
    // at 9, 512 at 10, 1024 at 11 and 2048 at 12, and the end code make 43276 bits, so the
    // length pins down every point where the width grew.
    const Bytes Ending = FirstBytes(Source, P + 1);
    ExpectSoundEncoding(Ending, "table full at the last byte");
    EXPECT_EQ(EncodeImageData(Ending.data(), Ending.size()).Total(), 5410u);

    // One byte left that does not extend the last string: the clear code takes the end
    // code's 12 bits, and that byte and the end code follow at 9 bits each.
    Bytes OneLeft = FirstBytes(Source, P + 2);
    for (int V = 0; V < 256 && ScanEncode(OneLeft).Restarts == 0; ++V)
        OneLeft.back() = std::uint8_t(V);
    ASSERT_EQ(ScanEncode(OneLeft).Restarts, 1);
    ExpectSoundEncoding(OneLeft, "table full, one byte left");
    EXPECT_EQ(EncodeImageData(OneLeft.data(), OneLeft.size()).Total(), 5412u);

    // More input left, and several restarts.
    ExpectSoundEncoding(FirstBytes(Source, P + 3), "table full, two bytes left");
    ExpectSoundEncoding(FirstBytes(Source, P + 51), "table full, 50 bytes left");
    ASSERT_GE(ScanEncode(Source).Restarts, 2);
    ExpectSoundEncoding(Source, "several restarts");
}

TEST(LzwEncoder, OutputOf255BytesIsOneBlockAnd256BytesTwo) {
    // Random bytes grow the output by one or two bytes per input byte; find the inputs that
    // give exactly 255 and 256 bytes of codes.
    const Bytes Source = RandomBytes(400, 5);
    std::size_t For255 = 0, For256 = 0;
    for (std::size_t N = 1; N <= Source.size(); ++N) {
        const std::size_t Total = EncodeImageData(Source.data(), N).Total();
        if (Total == 255) For255 = N;
        if (Total == 256) For256 = N;
    }
    ASSERT_TRUE(For255 != 0 && For256 != 0);
    // Code size, one block of 255 and the terminator; then blocks of 255 and 1.
    const Bytes One = ExpectSoundEncoding(FirstBytes(Source, For255), "255 bytes of output");
    ASSERT_EQ(One.size(), 1 + 1 + 255 + 1u);
    EXPECT_EQ(One[1], 255);
    const Bytes Two = ExpectSoundEncoding(FirstBytes(Source, For256), "256 bytes of output");
    ASSERT_EQ(Two.size(), 1 + 1 + 255 + 1 + 1 + 1u);
    EXPECT_EQ(Two[1], 255);
    EXPECT_EQ(Two[257], 1);
}

TEST(BigByteArray, IsIndexedFromOneAndChecksEveryAccess) {
    TBigByteArray Array(3);
    Array.Items(1) = 10;
    Array.Items(3) = 30;
    EXPECT_EQ(Array.Data()[0], 10);
    EXPECT_EQ(Array.Data()[2], 30);
    const TBigByteArray& Reading = Array;
    EXPECT_EQ(Reading.Items(3), 30);
    for (std::int32_t Bad : {0, 4}) {
        try {
            Array.Items(Bad) = 1;
            ADD_FAILURE() << "index " << Bad << " was accepted";
        } catch (const EIndexOutOfBounds& E) {
            EXPECT_STREQ(E.what(), "Dynamic array index out of bounds");
        }
        EXPECT_THROW((void)Reading.Items(Bad), EIndexOutOfBounds);
    }
}

TEST(BigByteArray, ReportsABlockTheHeapCannotSupply) {
    const std::string Message = "error in TBigByteArray.create: Not enough contiguous memory "
                                "available\r\n requested memory block: ";
    try {
        TBigByteArray Impossible(-5);
        ADD_FAILURE() << "a negative size was accepted";
    } catch (const ENotEnoughMemory& E) {
        EXPECT_EQ(E.what(), Message + "-5 bytes");
    }
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#else
    // A child process under a 256 MB address-space limit asks for 2 GB.
    const pid_t Child = fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
        rlimit Limit{256u << 20, 256u << 20};
        setrlimit(RLIMIT_AS, &Limit);
        try {
            TBigByteArray Huge(2000000000);
            _exit(2);
        } catch (const ENotEnoughMemory& E) {
            _exit(E.what() == Message + "2000000000 bytes" ? 0 : 3);
        }
    }
    int Status = 0;
    waitpid(Child, &Status, 0);
    ASSERT_TRUE(WIFEXITED(Status));
    EXPECT_EQ(WEXITSTATUS(Status), 0) << "2: allocation succeeded, 3: wrong message";
#endif
}
