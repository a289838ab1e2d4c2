// The LZW encoder against two independent judges: the plain string table (a linear
// scan for every lookup, kept here as the reference), which must give the very same bytes,
// and giflib's decoder, which must give back the very same pixels.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
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

struct ScanTable {
    std::uint16_t Suffix[4097];
    std::uint16_t Prefix[4097];
    std::uint8_t CodeSize = 9;
    bool Full = false;
    std::uint16_t FirstFree = 258;
    std::uint16_t NextCode = 258;

    void Reset(std::uint8_t Size) {
        std::memset(Suffix, 0, sizeof Suffix);
        std::memset(Prefix, 0, sizeof Prefix);
        CodeSize = Size;
        FirstFree = NextCode = std::uint16_t((1 << (Size - 1)) + 2);
        Full = false;
    }
    void AddEntry(std::uint16_t P, std::uint8_t S) {
        Prefix[NextCode] = P;
        Suffix[NextCode] = S;
        ++NextCode;
        if (NextCode == 4096)
            Full = true;
        else if (NextCode > (1 << CodeSize))
            ++CodeSize;
    }
    bool FindCode(const Bytes& S, std::uint16_t& P, std::uint16_t& Found) const {
        const std::uint8_t C = S.back();
        for (int K = std::max<int>(FirstFree, P + 1); K <= NextCode - 1; ++K)
            if (Prefix[K] == P && Suffix[K] == C) {
                P = Found = std::uint16_t(K);
                return true;
            }
        return false;
    }
};

struct ScanOutput {
    Bytes Blocks; // as written to the file: code size, blocks with lengths, terminator
    std::vector<std::size_t> FilledAt; // 0-based position of the byte whose entry was 4095
    std::unique_ptr<ScanTable> Table;  // as the run left it
};

ScanOutput ScanEncode(const Bytes& Data) {
    ScanOutput Result;
    std::vector<Bytes> Blocks;
    Bytes Current;
    auto PutByte = [&](std::uint8_t B) {
        if (Current.size() == 255) {
            Blocks.push_back(Current);
            Current.clear();
        }
        Current.push_back(B);
    };
    std::int32_t Accumulator = 0;
    int BitCount = 0;
    auto WriteCode = [&](int Code, int Width) {
        Accumulator += Code << BitCount;
        BitCount += Width;
        while (BitCount >= 8) {
            PutByte(std::uint8_t(Accumulator & 0xFF));
            Accumulator >>= 8;
            BitCount -= 8;
        }
    };

    auto Table = std::make_unique<ScanTable>();
    Table->Reset(9);
    const std::size_t N = Data.size();
    WriteCode(256, 9);
    std::size_t Pos = 1; // counted from 1, like the items of a TBigByteArray
    WriteCode(Data[Pos - 1], Table->CodeSize);
    Pos = 2;
    std::uint16_t Last = Data[0];
    while (Pos <= N) {
        Bytes S{Data[Pos - 1]};
        ++Pos;
        Table->AddEntry(Last, S[0]);
        if (Table->Full) Result.FilledAt.push_back(Pos - 2);
        std::uint16_t Match = S[0], Found = 0;
        while (Pos <= N) {
            S.push_back(Data[Pos - 1]);
            ++Pos;
            if (!Table->FindCode(S, Match, Found)) {
                S.pop_back();
                --Pos;
                break;
            }
        }
        WriteCode(Match, Table->CodeSize);
        Last = Match;
        if (Table->Full && Pos <= N) {
            WriteCode(256, Table->CodeSize);
            Table->Reset(9);
            WriteCode(Data[Pos - 1], 9);
            Last = Data[Pos - 1];
            ++Pos;
        }
    }
    WriteCode(257, Table->CodeSize);
    if (BitCount != 0) PutByte(std::uint8_t(Accumulator & 0xFF));
    Blocks.push_back(Current);

    Result.Blocks.push_back(8);
    for (const Bytes& Block : Blocks) {
        Result.Blocks.push_back(std::uint8_t(Block.size()));
        Result.Blocks.insert(Result.Blocks.end(), Block.begin(), Block.end());
    }
    Result.Blocks.push_back(0);
    Result.Table = std::move(Table);
    return Result;
}

// ---- Helpers ----

// The LZW code stream without its framing.
Bytes StreamOf(const Bytes& ImageData) {
    Bytes Stream;
    for (std::size_t At = 1; At < ImageData.size() && ImageData[At] != 0; At += 1 + ImageData[At])
        Stream.insert(Stream.end(), ImageData.begin() + std::ptrdiff_t(At) + 1,
                      ImageData.begin() + std::ptrdiff_t(At) + 1 + ImageData[At]);
    return Stream;
}

// The code of Width bits starting at bit Bit of the stream, lowest bit first.
int CodeAt(const Bytes& Stream, std::size_t Bit, int Width) {
    int Code = 0;
    for (int I = 0; I < Width; ++I, ++Bit)
        if (Stream.at(Bit / 8) >> (Bit % 8) & 1) Code |= 1 << I;
    return Code;
}

Bytes Encoded(const Bytes& Data) {
    Bytes Out;
    WriteImageData([&](const std::uint8_t* P, std::size_t N) { Out.insert(Out.end(), P, P + N); },
                   EncodeImageData(Data.data(), Data.size()));
    return Out;
}

// Block lengths of written image data; fails the test when the framing is broken.
std::vector<int> BlockLengths(const Bytes& ImageData) {
    std::vector<int> Lengths;
    EXPECT_GE(ImageData.size(), 2u);
    EXPECT_EQ(ImageData[0], 8);
    std::size_t At = 1;
    while (At < ImageData.size() && ImageData[At] != 0) {
        Lengths.push_back(ImageData[At]);
        At += 1 + ImageData[At];
    }
    EXPECT_EQ(At + 1, ImageData.size()) << "the terminator must be the last byte";
    return Lengths;
}

struct MemoryReader {
    const Bytes* Data;
    std::size_t At = 0;
};

int ReadFromMemory(GifFileType* Gif, GifByteType* Out, int Count) {
    auto* Reader = static_cast<MemoryReader*>(Gif->UserData);
    const std::size_t Left = Reader->Data->size() - Reader->At;
    const std::size_t Take = std::min<std::size_t>(Left, std::size_t(Count));
    std::memcpy(Out, Reader->Data->data() + Reader->At, Take);
    Reader->At += Take;
    return int(Take);
}

// Wraps image data as the only frame of a GIF of Width x Height with a 256-colour table
// and lets giflib decode it. Returns the decoded pixels, or an empty vector on failure.
Bytes DecodedByGiflib(const Bytes& ImageData, int Width, int Height) {
    Bytes File = {'G',
                  'I',
                  'F',
                  '8',
                  '9',
                  'a',
                  std::uint8_t(Width),
                  std::uint8_t(Width >> 8),
                  std::uint8_t(Height),
                  std::uint8_t(Height >> 8),
                  0xF7,
                  0,
                  0};
    for (int I = 0; I < 256; ++I)
        File.insert(File.end(), {std::uint8_t(I), std::uint8_t(I), std::uint8_t(I)});
    File.insert(File.end(), {0x2C, 0, 0, 0, 0, std::uint8_t(Width), std::uint8_t(Width >> 8),
                             std::uint8_t(Height), std::uint8_t(Height >> 8), 0});
    File.insert(File.end(), ImageData.begin(), ImageData.end());
    File.push_back(0x3B);

    MemoryReader Reader{&File};
    int Error = 0;
    GifFileType* Gif = DGifOpen(&Reader, ReadFromMemory, &Error);
    if (!Gif) return {};
    Bytes Pixels;
    if (DGifSlurp(Gif) == GIF_OK && Gif->ImageCount == 1) {
        const GifByteType* Raster = Gif->SavedImages[0].RasterBits;
        Pixels.assign(Raster, Raster + std::size_t(Width) * Height);
    }
    DGifCloseFile(Gif, &Error);
    return Pixels;
}

// Encodes Data, checks it against the reference and the block framing, and has giflib
// decode it back (as one row, or as Width x Height when given).
void ExpectSoundEncoding(const Bytes& Data, const std::string& What, int Width = 0) {
    SCOPED_TRACE(What + ", " + std::to_string(Data.size()) + " bytes");
    const Bytes Ours = Encoded(Data);
    EXPECT_BYTES(Ours, ScanEncode(Data).Blocks);

    const std::vector<int> Lengths = BlockLengths(Ours);
    for (std::size_t I = 0; I < Lengths.size(); ++I)
        EXPECT_EQ(Lengths[I], I + 1 < Lengths.size() ? 255 : Lengths[I]) << "block " << I;
    ASSERT_FALSE(Lengths.empty());
    EXPECT_GE(Lengths.back(), 1);

    if (Width == 0) Width = int(Data.size());
    const int Height = int(Data.size() / std::size_t(Width));
    ASSERT_EQ(std::size_t(Width) * Height, Data.size());
    EXPECT_TRUE(DecodedByGiflib(Ours, Width, Height) == Data) << "giflib decodes other pixels";
}

Bytes RandomBytes(std::size_t Count, unsigned Seed, int Alphabet = 256) {
    std::mt19937 Random(Seed);
    std::uniform_int_distribution<int> Pick(0, Alphabet - 1);
    Bytes Data(Count);
    for (auto& B : Data)
        B = std::uint8_t(Pick(Random));
    return Data;
}

} // namespace

TEST(LzwEncoder, OnePixelIsClearPixelEndInFourBytes) {
    // Codes 256, 7, 257 at 9 bits each: 256 | 7 << 9 | 257 << 18 = 0x04040F00.
    EXPECT_BYTES(Encoded({7}), Bytes({0x08, 0x04, 0x00, 0x0F, 0x04, 0x04, 0x00}));
    // The highest byte value too: 256 | 255 << 9 | 257 << 18 = 0x0405FF00.
    EXPECT_BYTES(Encoded({255}), Bytes({0x08, 0x04, 0x00, 0xFF, 0x05, 0x04, 0x00}));
}

TEST(LzwEncoder, ThreeEqualBytesUseTheCodeFormedInTheSameStep) {
    // Codes 256, 5, 258, 257 at 9 bits: 0x100 | 5 << 9 | 258 << 18 | 257 << 27 = 0x80C080B00.
    const Bytes Out = Encoded({5, 5, 5});
    EXPECT_BYTES(Out, Bytes({0x08, 0x05, 0x00, 0x0B, 0x08, 0x0C, 0x08, 0x00}));
    EXPECT_TRUE(DecodedByGiflib(Out, 3, 1) == Bytes({5, 5, 5}));
}

TEST(LzwEncoder, SameBytesAsTheScanningTableOnVariedInput) {
    ExpectSoundEncoding({0, 1}, "two bytes");
    ExpectSoundEncoding(Bytes(20000, 0), "one long run");
    ExpectSoundEncoding(Bytes(640 * 480, 77), "a flat 640 x 480 frame", 640);
    Bytes Runs;
    for (int I = 0; Runs.size() < 30000; ++I)
        Runs.insert(Runs.end(), std::size_t(I % 97 + 1), I % 5 * 40);
    ExpectSoundEncoding(Runs, "runs of varying length");
    Bytes Ramp;
    for (int I = 0; I < 40000; ++I)
        Ramp.push_back(std::uint8_t(I * 7 + I / 256));
    ExpectSoundEncoding(Ramp, "a ramp through all values");
    ExpectSoundEncoding(RandomBytes(30000, 1), "random bytes");
    ExpectSoundEncoding(RandomBytes(60000, 2, 4), "random bytes of four values");
    ExpectSoundEncoding(RandomBytes(50000, 3, 236), "random colour numbers");
}

TEST(LzwEncoder, WidthGrowsUpToTwelveBitsAndRestartsAfterCode4095) {
    // Random bytes form a new entry for almost every code, so the table fills within a few
    // thousand bytes and every width is passed through.
    Bytes Source = RandomBytes(12000, 11);
    const std::size_t P = ScanEncode(Source).FilledAt.at(0);

    // Input that ends with the byte whose entry is code 4095: that byte's code and the end
    // code follow at 12 bits, and no clear code. The stream then holds clear and the first
    // byte at 9 bits, 254 codes at 9, 512 at 10, 1024 at 11, 2048 at 12, and the end code:
    // 43276 bits, so its length pins down every point where the width grew.
    const Bytes Ending(Source.begin(), Source.begin() + std::ptrdiff_t(P) + 1);
    const ScanOutput Full = ScanEncode(Ending);
    ASSERT_EQ(Full.FilledAt.size(), 1u);
    ExpectSoundEncoding(Ending, "table full at the last byte");
    Bytes Stream = StreamOf(Encoded(Ending));
    ASSERT_EQ(Stream.size(), 5410u);
    EXPECT_EQ(CodeAt(Stream, 0, 9), 256);
    EXPECT_EQ(CodeAt(Stream, 9, 9), Source[0]);
    EXPECT_EQ(CodeAt(Stream, 43252, 12), Source[P]);
    EXPECT_EQ(CodeAt(Stream, 43264, 12), 257);

    // One byte left that does not extend the string: a clear code at 12 bits, then that
    // byte at 9 bits and the end code at 9.
    int Unknown = -1;
    for (int V = 0; V < 256 && Unknown < 0; ++V) {
        bool Stored = false;
        for (int K = 258; K < 4096; ++K)
            Stored |= Full.Table->Prefix[K] == Source[P] && Full.Table->Suffix[K] == V;
        if (!Stored) Unknown = V;
    }
    ASSERT_GE(Unknown, 0);
    Source[P + 1] = std::uint8_t(Unknown);
    const Bytes OneLeft(Source.begin(), Source.begin() + std::ptrdiff_t(P) + 2);
    ExpectSoundEncoding(OneLeft, "table full, one byte left");
    Stream = StreamOf(Encoded(OneLeft));
    ASSERT_EQ(Stream.size(), 5412u);
    EXPECT_EQ(CodeAt(Stream, 43252, 12), Source[P]);
    EXPECT_EQ(CodeAt(Stream, 43264, 12), 256);
    EXPECT_EQ(CodeAt(Stream, 43276, 9), Unknown);
    EXPECT_EQ(CodeAt(Stream, 43285, 9), 257);

    // More input left, the string after code 4095 extended or not, and several restarts.
    for (std::size_t Extra : {2u, 3u, 50u, 4000u}) {
        const Bytes More(Source.begin(), Source.begin() + std::ptrdiff_t(P + 1 + Extra));
        ExpectSoundEncoding(More, "table full with " + std::to_string(Extra) + " bytes left");
    }
    ExpectSoundEncoding(Source, "several restarts");
}

TEST(LzwEncoder, OutputOf255BytesIsOneBlockAnd256BytesTwo) {
    // Random bytes grow the output by one or two bytes per input byte; find the inputs that
    // give exactly 255 and 256 bytes of codes.
    const Bytes Source = RandomBytes(400, 5);
    std::size_t For255 = 0, For256 = 0;
    for (std::size_t N = 1; N <= Source.size() && (For255 == 0 || For256 == 0); ++N) {
        const std::size_t Total = EncodeImageData(Source.data(), N).Total();
        if (Total == 255) For255 = N;
        if (Total == 256) For256 = N;
    }
    ASSERT_NE(For255, 0u);
    ASSERT_NE(For256, 0u);

    const Bytes A(Source.begin(), Source.begin() + std::ptrdiff_t(For255));
    ExpectSoundEncoding(A, "255 bytes of output");
    EXPECT_EQ(BlockLengths(Encoded(A)), std::vector<int>({255}));
    const Bytes B(Source.begin(), Source.begin() + std::ptrdiff_t(For256));
    ExpectSoundEncoding(B, "256 bytes of output");
    EXPECT_EQ(BlockLengths(Encoded(B)), std::vector<int>({255, 1}));
}

TEST(LzwEncoder, TakesItsFrameFromABigByteArray) {
    const Bytes Source = RandomBytes(3000, 8, 16);
    auto Array = std::make_unique<TBigByteArray>(std::int32_t(Source.size()));
    for (std::int32_t I = 1; I <= Array->Count(); ++I)
        Array->Items(I) = Source[std::size_t(I) - 1];
    Bytes Out;
    WriteImageData([&](const std::uint8_t* P, std::size_t N) { Out.insert(Out.end(), P, P + N); },
                   EncodeImageData(std::move(Array)));
    EXPECT_BYTES(Out, ScanEncode(Source).Blocks);

    EXPECT_THROW(EncodeImageData(std::make_unique<TBigByteArray>(0)), std::invalid_argument);
}

TEST(BigByteArray, IsIndexedFromOneAndChecksEveryAccess) {
    TBigByteArray Array(3);
    EXPECT_EQ(Array.Count(), 3);
    Array.Items(1) = 10;
    Array.Items(3) = 30;
    EXPECT_EQ(Array.Data()[0], 10);
    EXPECT_EQ(Array.Data()[2], 30);
    const TBigByteArray& Reading = Array;
    EXPECT_EQ(Reading.Items(3), 30);

    for (std::int32_t Bad : {0, 4, -1}) {
        try {
            Array.Items(Bad) = 1;
            ADD_FAILURE() << "index " << Bad << " was accepted";
        } catch (const EIndexOutOfBounds& E) {
            EXPECT_STREQ(E.what(), "Dynamic array index out of bounds");
        }
        EXPECT_THROW((void)Reading.Items(Bad), EIndexOutOfBounds);
    }
    EXPECT_EQ(TBigByteArray(0).Count(), 0);
    EXPECT_THROW((void)TBigByteArray(0).Items(1), EIndexOutOfBounds);
}

TEST(BigByteArray, ReportsABlockTheHeapCannotSupply) {
    try {
        TBigByteArray Impossible(-5);
        ADD_FAILURE() << "a negative size was accepted";
    } catch (const ENotEnoughMemory& E) {
        EXPECT_STREQ(E.what(), "error in TBigByteArray.create: Not enough contiguous memory "
                               "available\r\n requested memory block: -5 bytes");
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
            _exit(std::string(E.what()) ==
                          "error in TBigByteArray.create: Not enough contiguous memory "
                          "available\r\n requested memory block: 2000000000 bytes"
                      ? 0
                      : 3);
        }
    }
    int Status = 0;
    waitpid(Child, &Status, 0);
    ASSERT_TRUE(WIFEXITED(Status));
    EXPECT_EQ(WEXITSTATUS(Status), 0) << "2: allocation succeeded, 3: wrong message";
#endif
}
