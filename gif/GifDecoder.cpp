#include "gif/GifDecoder.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <gif_lib.h>

namespace {

// giflib reads through this callback, so the position in the caller's bytes is always
// known here: that is what lets the decoder step over a damaged image's data blocks and
// go on with the next record.
struct TMemorySource {
    const std::uint8_t* Data = nullptr;
    std::size_t Size = 0;
    std::size_t Position = 0;
    // Set while the rows of an image whose data blocks run past the end of the file are
    // read. giflib only decodes whole blocks and reads the block terminator only after the
    // last pixel, so a file cut inside an image would lose the rows of its last, partial
    // block, and a file cut just before the terminator would lose its complete last row.
    // Shortening the cut block to the bytes that are there (CutLength) and lending one
    // zero byte at the very end as the terminator saves both; an image that still needs
    // data then meets the end of its blocks and fails at the first row that is missing.
    bool EndBlocks = false;
    std::size_t CutLength = std::size_t(-1);
};

int ReadFromMemory(GifFileType* Gif, GifByteType* Buffer, int Count) {
    auto* Source = static_cast<TMemorySource*>(Gif->UserData);
    if (Count <= 0) return 0;
    const std::size_t Available = Source->Size - Source->Position;
    const std::size_t Taken = std::min<std::size_t>(std::size_t(Count), Available);
    if (Taken == 0 && Count == 1 && Source->EndBlocks) {
        Source->EndBlocks = false;
        Buffer[0] = 0;
        return 1;
    }
    if (Taken > 0) std::memcpy(Buffer, Source->Data + Source->Position, Taken);
    if (Source->EndBlocks && Source->CutLength >= Source->Position &&
        Source->CutLength < Source->Position + Taken)
        Buffer[Source->CutLength - Source->Position] =
            GifByteType(Source->Size - Source->CutLength - 1);
    Source->Position += Taken;
    return int(Taken);
}

struct TGifFileCloser {
    void operator()(GifFileType* Gif) const {
        int Error = 0;
        DGifCloseFile(Gif, &Error);
    }
};
// Closing the handle frees every colour map and buffer giflib made, on every return path.
using GifFileHandle = std::unique_ptr<GifFileType, TGifFileCloser>;

constexpr std::size_t NoOffset = std::size_t(-1);

constexpr std::size_t MaxFaults = 20;
// What keeping one data block costs besides its bytes.
constexpr std::size_t BlockUpkeep = 32;

// Where the data sub-blocks starting at Offset end: just past their terminator, or, when
// they run past the end of the bytes, NoOffset with the offset of the length byte of the
// block that is cut (NoOffset too when the bytes end where a length byte should be).
struct TBlockChain {
    std::size_t End = NoOffset;
    std::size_t CutLength = NoOffset;
};

TBlockChain FollowSubBlocks(const std::uint8_t* Data, std::size_t Size, std::size_t Offset) {
    TBlockChain Chain;
    while (Offset < Size) {
        const std::size_t Length = Data[Offset];
        if (Length == 0) {
            Chain.End = Offset + 1;
            return Chain;
        }
        if (Offset + Length >= Size) {
            Chain.CutLength = Offset;
            return Chain;
        }
        Offset += Length + 1;
    }
    return Chain;
}

std::vector<TRgbColor> ColorsOf(const ColorMapObject* Map) {
    std::vector<TRgbColor> Colors;
    if (!Map || !Map->Colors) return Colors;
    Colors.reserve(std::size_t(std::max(0, Map->ColorCount)));
    for (int k = 0; k < Map->ColorCount; ++k)
        Colors.push_back({Map->Colors[k].Red, Map->Colors[k].Green, Map->Colors[k].Blue});
    return Colors;
}

std::string Describe(const char* What, int ImageNumber) {
    return std::string(What) + " (image " + std::to_string(ImageNumber) + ")";
}

class TRecordDecoder {
public:
    TRecordDecoder(const std::uint8_t* Data, std::size_t Size, TGifRecordSink& Sink) : Sink(Sink) {
        Source.Data = Data;
        Source.Size = Size;
    }

    TGifDecodeOutcome Run() {
        int Error = 0;
        Gif.reset(DGifOpen(&Source, ReadFromMemory, &Error));
        if (!Gif) {
            const bool Cut = Error == D_GIF_ERR_NO_SCRN_DSCR;
            Outcome.End = Cut ? TGifDecodeEnd::CutHeader : TGifDecodeEnd::NotGif;
            Fault(Cut ? "the file ends inside the logical screen descriptor" : "no GIF signature");
            return Outcome;
        }
        TGifScreen Screen;
        Screen.Width = Gif->SWidth;
        Screen.Height = Gif->SHeight;
        Screen.BackgroundIndex = Gif->SBackGroundColor;
        Screen.HasGlobalColors = Gif->SColorMap != nullptr;
        Screen.GlobalColors = ColorsOf(Gif->SColorMap);
        if (!Sink.Screen(Screen)) return Stop();

        for (;;) {
            GifRecordType Type = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(Gif.get(), &Type) != GIF_OK) {
                // Running out of bytes here only means the trailer is missing, which
                // costs nothing; any other byte is no record we could read past.
                if (Gif->Error != D_GIF_ERR_READ_FAILED)
                    Fault("unknown record after the last readable one");
                Outcome.End = TGifDecodeEnd::EndOfData;
                return Outcome;
            }
            bool Continue = true;
            if (Type == TERMINATE_RECORD_TYPE) {
                Outcome.End = TGifDecodeEnd::Trailer;
                return Outcome;
            } else if (Type == EXTENSION_RECORD_TYPE) {
                Continue = ReadExtension();
            } else {
                Continue = ReadImage();
            }
            if (!Continue) return Outcome;
        }
    }

private:
    TGifDecodeOutcome& Stop() {
        Outcome.End = TGifDecodeEnd::Stopped;
        return Outcome;
    }
    // Faults are kept up to a count, so that a file of a great many broken records cannot
    // fill the memory with their descriptions.
    void Fault(const std::string& Text) {
        if (Outcome.Faults.size() < MaxFaults) {
            Outcome.Faults.push_back(Text);
            return;
        }
        if (++FaultsLeftOut == 1) Outcome.Faults.emplace_back();
        Outcome.Faults.back() = FaultsLeftOut == 1
                                    ? std::string("and 1 more fault")
                                    : "and " + std::to_string(FaultsLeftOut) + " more faults";
    }
    bool EndOfData(const std::string& Text) {
        Fault(Text);
        Outcome.End = TGifDecodeEnd::EndOfData;
        return false;
    }

    bool ReadExtension() {
        TGifExtension Extension;
        GifByteType* Block = nullptr;
        if (DGifGetExtension(Gif.get(), &Extension.Label, &Block) != GIF_OK)
            return EndOfData("the file ends inside an extension");
        std::size_t Kept = 0;
        bool Cut = false;
        while (Block) {
            Kept += Block[0] + BlockUpkeep;
            if (Kept <= MaxExtensionBytes)
                Extension.Blocks.emplace_back(Block + 1, Block + 1 + Block[0]);
            else
                Cut = true;
            if (DGifGetExtensionNext(Gif.get(), &Block) != GIF_OK)
                return EndOfData("the file ends inside an extension");
        }
        if (Cut)
            Fault("an extension longer than " + std::to_string(MaxExtensionBytes >> 20) +
                  " MiB was cut short");
        if (!Sink.Extension(std::move(Extension))) {
            Stop();
            return false;
        }
        return true;
    }

    bool ReadImage() {
        ++ImageNumber;
        const bool HeaderRead = DGifGetImageHeader(Gif.get()) == GIF_OK;
        // A refused LZW code size is the one fault that leaves us at a known place: just
        // past the code size byte, in front of the data blocks. Any other failure means
        // the descriptor itself is cut short.
        if (!HeaderRead && (Source.Position >= Source.Size || Gif->Error != D_GIF_ERR_READ_FAILED))
            return EndOfData(Describe("the file ends inside an image descriptor", ImageNumber));

        TGifImageHeader Header;
        Header.Left = Gif->Image.Left;
        Header.Top = Gif->Image.Top;
        Header.Width = Gif->Image.Width;
        Header.Height = Gif->Image.Height;
        Header.Interlaced = Gif->Image.Interlace;
        Header.LocalColors = ColorsOf(Gif->Image.ColorMap);
        if (!Sink.BeginImage(Header)) {
            Stop();
            return false;
        }

        const TBlockChain Blocks = FollowSubBlocks(Source.Data, Source.Size, Source.Position);
        const std::size_t DataEnd = Blocks.End;
        int RowsDecoded = 0;
        bool Damaged = !HeaderRead;
        if (!HeaderRead) {
            Fault(Describe("invalid LZW code size", ImageNumber));
        } else if (Header.Width > 0 && Header.Height > 0) {
            Line.resize(std::size_t(Header.Width));
            Source.EndBlocks = DataEnd == NoOffset;
            Source.CutLength = Blocks.CutLength;
            for (int Index = 0; Index < Header.Height; ++Index) {
                if (DGifGetLine(Gif.get(), Line.data(), Header.Width) != GIF_OK) {
                    Damaged = true;
                    Fault(Describe(DataEnd == NoOffset ? "the file ends inside the image data"
                                                       : "damaged image data",
                                   ImageNumber));
                    break;
                }
                const int Y = Header.Interlaced ? InterlacedRow(Index, Header.Height) : Index;
                Sink.Row(Y, Line.data());
                ++RowsDecoded;
            }
            Source.EndBlocks = false;
        }
        // An image without pixels is not decoded, and damaged data is abandoned: in both
        // cases the data blocks, whose lengths still chain up, tell where the next record
        // starts. Blocks that run past the end of the file leave nothing to read after.
        const bool StepOver = Damaged || Header.Width == 0 || Header.Height == 0;
        const bool CutShort = StepOver && DataEnd == NoOffset;
        if (StepOver) Source.Position = CutShort ? Source.Size : DataEnd;
        if (!Sink.EndImage(RowsDecoded)) {
            Stop();
            return false;
        }
        if (CutShort) {
            if (!Damaged) Fault(Describe("the file ends inside the image data", ImageNumber));
            Outcome.End = TGifDecodeEnd::EndOfData;
            return false;
        }
        return true;
    }

    TGifRecordSink& Sink;
    TMemorySource Source;
    GifFileHandle Gif;
    TGifDecodeOutcome Outcome;
    std::vector<GifPixelType> Line;
    int ImageNumber = -1;
    std::size_t FaultsLeftOut = 0;
};

} // namespace

std::optional<TGifGraphicControl> GraphicControlOf(const TGifExtension& Extension) {
    if (Extension.Label != GifGraphicControlLabel || Extension.Blocks.empty() ||
        Extension.Blocks[0].size() < 4)
        return std::nullopt;
    const std::vector<std::uint8_t>& B = Extension.Blocks[0];
    TGifGraphicControl Control;
    Control.Disposal = (B[0] >> 2) & 0x07;
    Control.HasTransparent = (B[0] & 0x01) != 0;
    Control.Delay = B[1] | (B[2] << 8);
    Control.TransparentIndex = B[3];
    return Control;
}

std::optional<int> NetscapeLoopCount(const TGifExtension& Extension) {
    static const char Identifier[] = "NETSCAPE2.0";
    if (Extension.Label != GifApplicationLabel || Extension.Blocks.size() < 2) return std::nullopt;
    const std::vector<std::uint8_t>& Id = Extension.Blocks[0];
    if (Id.size() != 11 || std::memcmp(Id.data(), Identifier, 11) != 0) return std::nullopt;
    const std::vector<std::uint8_t>& Loop = Extension.Blocks[1];
    if (Loop.size() < 3 || Loop[0] != 1) return std::nullopt;
    return Loop[1] | (Loop[2] << 8);
}

std::string CommentTextOf(const TGifExtension& Extension) {
    std::string Text;
    for (const std::vector<std::uint8_t>& Block : Extension.Blocks) {
        const auto Zero = std::find(Block.begin(), Block.end(), std::uint8_t(0));
        Text.append(Block.begin(), Zero);
        if (Zero != Block.end()) break;
    }
    return Text;
}

int InterlacedRow(int Index, int Height) {
    const int Pass1 = (Height + 7) / 8;
    if (Index < Pass1) return Index * 8;
    Index -= Pass1;
    const int Pass2 = (Height + 3) / 8;
    if (Index < Pass2) return 4 + Index * 8;
    Index -= Pass2;
    const int Pass3 = (Height + 1) / 4;
    if (Index < Pass3) return 2 + Index * 4;
    Index -= Pass3;
    return 1 + Index * 2;
}

TGifDecodeOutcome DecodeGifRecords(const std::uint8_t* Data, std::size_t Size,
                                   TGifRecordSink& Sink) {
    return TRecordDecoder(Data, Size, Sink).Run();
}
