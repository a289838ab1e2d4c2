#include "gif/GifReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <utility>

#include "gif/GifDecoder.h"
#include "imaging/PxBitmap.h"

namespace {

// What a cel costs besides its pixels (the cel, its bitmap object, list entries), so that
// a file of a great many tiny images is limited too.
constexpr std::size_t CelOverheadBytes = 512;
// The same for an extension kept until its image is read, and for each of its blocks.
constexpr std::size_t ExtensionUpkeepBytes = 64;

std::string SizeText(std::size_t Bytes) {
    if (Bytes % (std::size_t(1) << 20) == 0) return std::to_string(Bytes >> 20) + " MiB";
    return std::to_string(Bytes) + " bytes";
}

// The colour of index Index of a GIF colour table as a colour value; an index beyond the
// table stands for black, as it does in the palette built from the table.
COLORREF TableColor(const std::vector<TRgbColor>& Table, int Index) {
    const TRgbColor Color = Index >= 0 && Index < int(Table.size()) ? Table[Index] : TRgbColor{};
    return PALETTERGB(Color.Red, Color.Green, Color.Blue);
}

// Builds the animation while the decoder reads the file. The picture of each frame is
// composed in a work bitmap that carries over from image to image, and each cel receives
// a copy of it: a cel is the whole picture a viewer sees at that frame, not the patch the
// file stores.
class TGifComposer : public TGifRecordSink {
public:
    TGifComposer(TGifReadResult& Result, const TGifReadLimits& Limits)
        : Result(Result), Limits(Limits) {}

    // Why reading stopped early, for the user; empty while all is well.
    std::string Error;

    bool Screen(const TGifScreen& Screen) override {
        Logical = Screen;
        if (Screen.Width <= 0 || Screen.Height <= 0) {
            Error = "The picture has no pixels: its logical screen is " +
                    std::to_string(Screen.Width) + " x " + std::to_string(Screen.Height) + ".";
            return false;
        }
        PictureBytes =
            ((std::size_t(Screen.Width) + 3) & ~std::size_t(3)) * std::size_t(Screen.Height) +
            CelOverheadBytes;
        // The work bitmap and one cel are the least an animation needs.
        return WithinLimit(2);
    }

    bool Extension(TGifExtension&& Extension) override {
        ExtensionsSinceImage = true;
        // Only these three kinds are ever looked at.
        if (Extension.Label != GifGraphicControlLabel && Extension.Label != GifCommentLabel &&
            !NetscapeLoopCount(Extension))
            return true;
        PendingBytes += ExtensionUpkeepBytes;
        for (const std::vector<std::uint8_t>& Block : Extension.Blocks)
            PendingBytes += Block.size() + ExtensionUpkeepBytes;
        if (PendingBytes > Limits.MaxPictureBytes) {
            Error = "The file is too large to open: the extensions in front of one image would "
                    "need more than " +
                    SizeText(Limits.MaxPictureBytes) + " of memory.";
            return false;
        }
        Pending.push_back(std::move(Extension));
        return true;
    }

    bool BeginImage(const TGifImageHeader& Header) override {
        ExtensionsSinceImage = false;
        Image = Header;
        VisibleColumns = VisibleRows = 0;
        if (Image.Width == 0 || Image.Height == 0) return true;
        // An image that covers the whole screen is drawn at (0, 0) wherever the file puts
        // it; any other image at its own position. Only the part that lands on the screen
        // is kept.
        const bool Covers = Image.Width >= Logical.Width && Image.Height >= Logical.Height;
        OriginX = Covers ? 0 : Image.Left;
        OriginY = Covers ? 0 : Image.Top;
        VisibleColumns = std::max(0, std::min(Image.Width, Logical.Width - OriginX));
        VisibleRows = std::max(0, std::min(Image.Height, Logical.Height - OriginY));
        Pixels.assign(std::size_t(VisibleColumns) * std::size_t(VisibleRows), 0);
        RowDecoded.assign(std::size_t(VisibleRows), false);
        return true;
    }

    void Row(int Y, const std::uint8_t* Indices) override {
        if (Y < 0 || Y >= VisibleRows) return;
        std::copy(Indices, Indices + VisibleColumns,
                  Pixels.begin() + std::ptrdiff_t(Y) * VisibleColumns);
        RowDecoded[std::size_t(Y)] = true;
    }

    bool EndImage(int RowsDecoded) override {
        if (Image.Width == 0 || Image.Height == 0) {
            // No cel, and its extensions are not looked at, unless it turns out to be the
            // file's last image (see Finish).
            LastEmptyImageExtensions = std::move(Pending);
            ClearPending();
            return true;
        }
        if (RowsDecoded == 0) {
            // Nothing of it could be decoded: it is as if the file did not hold it.
            ClearPending();
            return true;
        }
        LastEmptyImageExtensions.reset();
        return ComposeCel();
    }

    // After the last record: extensions behind the last image count as one more image of
    // size 0 x 0, and the comments of the file's last image, when that has no pixels,
    // replace all comments met before.
    void Finish() {
        const std::vector<TGifExtension>* LastExtensions =
            ExtensionsSinceImage
                ? &Pending
                : (LastEmptyImageExtensions ? &*LastEmptyImageExtensions : nullptr);
        const TGifExtension* LastComment = nullptr;
        if (LastExtensions)
            for (const TGifExtension& Extension : *LastExtensions)
                if (Extension.Label == GifCommentLabel) LastComment = &Extension;
        Result.Comments =
            SplitCommentLines(LastComment ? CommentTextOf(*LastComment) : CommentText);
        Result.DefaultDelay = FrameDelay;
    }

    // Faults of the file that only composing finds.
    std::vector<std::string> Faults;

private:
    void ClearPending() {
        Pending.clear();
        PendingBytes = 0;
    }

    bool WithinLimit(std::size_t Pictures) {
        if (PictureBytes > Limits.MaxPictureBytes / Pictures) {
            Error = "The animation is too large to open: its cels would need more than " +
                    SizeText(Limits.MaxPictureBytes) + " of memory.";
            return false;
        }
        return true;
    }

    // The palette, the sprite and the work bitmap, made when the first cel is: a file
    // without a global colour table takes the colours of its first image's local table.
    void Start() {
        PaletteColors = Logical.HasGlobalColors ? Logical.GlobalColors : Image.LocalColors;
        Result.Palette = TPxPalette::CreateFromColorMap(PaletteColors);
        const COLORREF Background = UserColor(TableColor(PaletteColors, Logical.BackgroundIndex));
        Result.Sprite = TSprite::Create(Logical.Width, Logical.Height, *Result.Palette, Background);
        Result.Sprite->SetBackColor(Background);
        Work = std::make_unique<TPxBitmap>(8, Logical.Width, Logical.Height, *Result.Palette);
        FillColor = Background;
        Fill(FillColor);
    }

    // The colour of the user entry nearest to Color. The background, fill and transparent
    // colours are kept as such, so that a colour of a local table or of a global colour
    // beyond 235 names the very entry the pixels were mapped to: cels appended later are
    // filled with it, and changing the background colour finds it.
    COLORREF UserColor(COLORREF Color) const {
        const TRgbColor User =
            Result.Palette->Entry(Result.Palette->NearestUserIndex(TRgbColor::FromRef(Color)))
                .Color();
        return PALETTERGB(User.Red, User.Green, User.Blue);
    }

    // Every pixel takes the user colour that Color names, so a loaded cel holds user
    // colours only and saves back without loss. The filling waits until the picture is
    // next used, so that a run of fills (one for each new transparent colour) costs one.
    void Fill(COLORREF Color) {
        WaitingFill = std::uint8_t(Result.Palette->NearestUserIndex(TRgbColor::FromRef(Color)));
    }
    void FillNow() {
        if (!WaitingFill) return;
        for (int Y = 0; Y < Work->Height(); ++Y)
            std::fill_n(Work->ScanLine(Y), Work->Width(), *WaitingFill);
        WaitingFill.reset();
    }

    bool ComposeCel() {
        if (!Result.Sprite) Start();
        if (!WithinLimit(std::size_t(Result.Sprite->CelCount()) + 2)) return false;

        FrameDelay = 0;
        // The composed picture is copied over the whole cel below, so it is not filled.
        TCel& Cel = Result.Sprite->Cel(Result.Sprite->AddCelUnfilled(0));
        // Without a global colour table, the table the palette came from stands in for it.
        const std::vector<TRgbColor>& ImageColors =
            Image.LocalColors.empty() ? PaletteColors : Image.LocalColors;
        for (const TGifExtension& Extension : Pending) {
            if (const std::optional<TGifGraphicControl> Control = GraphicControlOf(Extension)) {
                FrameDelay = Control->Delay * 10;
                if (FrameDelay != 0) LastDelay = FrameDelay;
                if (Control->HasTransparent) {
                    SkipTransparent = true;
                    // The index names a colour of the table this image's pixels use.
                    TransparentColor =
                        UserColor(TableColor(ImageColors, Control->TransparentIndex));
                    // Only the first picture's transparency belongs to the animation: it
                    // becomes the background that the file marks transparent in every
                    // frame. Optimising encoders name a transparent colour for later frames
                    // merely to skip unchanged pixels; taking that as the background would
                    // make the first frame's pixels of that colour vanish once saved.
                    if (!Drawn) {
                        Result.BackgroundTransparent = true;
                        if (TransparentColor != Result.Sprite->BackColor()) {
                            FillColor = TransparentColor;
                            Fill(FillColor);
                            Result.Sprite->SetBackColor(TransparentColor);
                        }
                    }
                }
                if (Control->Disposal <= DisposalRestorePrevious)
                    Cel.SetDisposal(std::uint8_t(Control->Disposal));
            } else if (Extension.Label == GifCommentLabel) {
                // Further comments continue the text so far: a long comment cut into
                // several extensions comes back whole, lines and all.
                const std::string Text = CommentTextOf(Extension);
                if (CommentText.size() + Text.size() > MaxExtensionBytes) {
                    if (!CommentsCut)
                        Faults.push_back("the comments were cut short after " +
                                         SizeText(MaxExtensionBytes));
                    CommentsCut = true;
                }
                CommentText += Text.substr(0, MaxExtensionBytes - CommentText.size());
            } else if (const std::optional<int> Loops = NetscapeLoopCount(Extension)) {
                Result.LoopCount = std::uint16_t(*Loops);
            }
        }
        ClearPending();

        const bool Partial = Image.Width < Logical.Width || Image.Height < Logical.Height;
        if (!Partial || Cel.Disposal() == DisposalRestoreBackground) Fill(FillColor);
        DrawImage(ImageColors);

        if (FrameDelay == 0) FrameDelay = LastDelay;
        Cel.SetDelay(FrameDelay);
        std::copy(Work->Bits(), Work->Bits() + Work->ImageSize(), Cel.Bitmap().Bits());
        return true;
    }

    // Pastes the decoded rows; rows a cut-short image lacks leave the picture as it was.
    void DrawImage(const std::vector<TRgbColor>& ImageColors) {
        FillNow();
        Drawn = true;
        if (VisibleColumns == 0) return;
        int Row = 0;
        while (Row < VisibleRows) {
            if (!RowDecoded[std::size_t(Row)]) {
                ++Row;
                continue;
            }
            int Last = Row;
            while (Last + 1 < VisibleRows && RowDecoded[std::size_t(Last) + 1])
                ++Last;
            Work->PasteIndexed(OriginX, OriginY + Row, VisibleColumns - 1, Last - Row,
                               Pixels.data() + std::size_t(Row) * std::size_t(VisibleColumns),
                               ImageColors, SkipTransparent, TransparentColor);
            Row = Last + 1;
        }
    }

    TGifReadResult& Result;
    const TGifReadLimits& Limits;
    TGifScreen Logical;
    std::size_t PictureBytes = 0;
    std::vector<TRgbColor> PaletteColors;
    std::unique_ptr<TPxBitmap> Work;

    int FrameDelay = 50;
    int LastDelay = 100;
    COLORREF FillColor = 0;
    COLORREF TransparentColor = 0;
    std::optional<std::uint8_t> WaitingFill;
    // Whether any image so far named a transparent colour: from then on, pixels of the
    // most recent one show the picture beneath.
    bool SkipTransparent = false;
    bool Drawn = false;
    std::string CommentText;
    bool CommentsCut = false;

    std::vector<TGifExtension> Pending;
    std::size_t PendingBytes = 0;
    bool ExtensionsSinceImage = false;
    std::optional<std::vector<TGifExtension>> LastEmptyImageExtensions;

    TGifImageHeader Image;
    int OriginX = 0;
    int OriginY = 0;
    int VisibleColumns = 0;
    int VisibleRows = 0;
    std::vector<std::uint8_t> Pixels;
    std::vector<bool> RowDecoded;
};

TGifReadResult Failure(std::string Reason) {
    TGifReadResult Result;
    Result.Error = std::move(Reason);
    return Result;
}

} // namespace

std::vector<std::string> SplitCommentLines(const std::string& Text) {
    std::vector<std::string> Lines;
    std::size_t Start = 0;
    while (Start < Text.size()) {
        const std::size_t End = Text.find_first_of("\r\n", Start);
        if (End == std::string::npos) {
            Lines.push_back(Text.substr(Start));
            break;
        }
        Lines.push_back(Text.substr(Start, End - Start));
        Start = End + (Text.compare(End, 2, "\r\n") == 0 ? 2 : 1);
    }
    return Lines;
}

TGifReadResult ReadGif(const std::uint8_t* Data, std::size_t Size, const TGifReadLimits& Limits) {
    TGifReadResult Result;
    TGifComposer Composer(Result, Limits);
    const TGifDecodeOutcome Outcome = DecodeGifRecords(Data, Size, Composer);
    if (Outcome.End == TGifDecodeEnd::NotGif) return Failure("The file is not a GIF file.");
    if (Outcome.End == TGifDecodeEnd::CutHeader)
        return Failure("The file ends inside its header: it is cut short.");
    if (!Composer.Error.empty()) return Failure(Composer.Error);
    if (!Result.Sprite) {
        std::string Reason = "The file holds no image that can be decoded";
        if (!Outcome.Faults.empty()) Reason += " (" + Outcome.Faults.front() + ")";
        return Failure(Reason + ".");
    }
    Composer.Finish();
    Result.Faults = Outcome.Faults;
    Result.Faults.insert(Result.Faults.end(), Composer.Faults.begin(), Composer.Faults.end());
    Result.Sprite->SetCurrent(0);
    return Result;
}

TGifReadResult ReadGifFile(const std::string& FileName, const TGifReadLimits& Limits) {
    std::error_code Ignored;
    if (std::filesystem::is_directory(FileName, Ignored))
        return Failure("Cannot open " + FileName + ": it is a folder.");
    std::ifstream File(FileName, std::ios::binary | std::ios::ate);
    if (!File) return Failure("Cannot open " + FileName + ": " + std::strerror(errno) + ".");
    const std::streamoff Length = File.tellg();
    if (Length < 0) return Failure("Cannot read " + FileName + ".");
    if (std::size_t(Length) > Limits.MaxPictureBytes)
        return Failure("The file is too large to open: it is larger than " +
                       SizeText(Limits.MaxPictureBytes) + ".");
    std::vector<std::uint8_t> Bytes(static_cast<std::size_t>(Length));
    File.seekg(0);
    if (Length > 0 && !File.read(reinterpret_cast<char*>(Bytes.data()), Length))
        return Failure("Cannot read " + FileName + ".");
    return ReadGif(Bytes.data(), Bytes.size(), Limits);
}
