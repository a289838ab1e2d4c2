#include "imaging/Jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "imaging/FileReplace.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <jerror.h>

namespace {

// Real progressive files have a dozen scans; a stream with hundreds is built to make the
// decoder rescan a large picture over and over.
constexpr int MaxScans = 500;
// libjpeg's own buffers (whole-picture coefficients for progressive files). Beyond this it
// would need a backing store, which it refuses.
constexpr long MaxWorkingMemory = 1L << 30;

// libjpeg reports a fatal error by calling error_exit, which must not return. We longjmp
// back into the function that called libjpeg; Jump is set by that function.
struct TErrorManager {
    jpeg_error_mgr Base; // first, so that the j_common_ptr's err leads back here
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

TErrorManager& ErrorsOf(j_common_ptr Info) {
    return *reinterpret_cast<TErrorManager*>(Info->err);
}

[[noreturn]] void Fail(j_common_ptr Info, const char* Text) {
    TErrorManager& Errors = ErrorsOf(Info);
    std::snprintf(Errors.Message, sizeof Errors.Message, "%s", Text);
    std::longjmp(Errors.Jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr Info) {
    if (Info->err->msg_code == JERR_NO_BACKING_STORE)
        Fail(Info, "Picture needs too much memory to decode");
    TErrorManager& Errors = ErrorsOf(Info);
    (*Info->err->format_message)(Info, Errors.Message);
    std::longjmp(Errors.Jump, 1);
}

// libjpeg carries on after these by inventing grey pixels; a cel built from them would
// show a picture the file does not hold, so they end the decoding like errors. Other
// warnings (stray bytes between markers, odd JFIF versions) leave the picture intact.
void EmitMessage(j_common_ptr Info, int Level) {
    if (Level >= 0) return; // trace output
    switch (Info->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
        ErrorExit(Info);
    default:
        ++Info->err->num_warnings;
    }
}

void WatchProgress(j_common_ptr Info) {
    if (Info->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(Info)->input_scan_number > MaxScans)
        Fail(Info, "Too many scans in progressive JPEG file");
}

enum class TSampleLayout { Grey, Rgb, Cmyk, InvertedCmyk };

// The decompressor and everything libjpeg points at. Its destructor frees libjpeg's
// memory however far the decoding got.
struct TDecompressor {
    jpeg_decompress_struct Info{};
    TErrorManager Errors{};
    jpeg_progress_mgr Progress{};
    TSampleLayout Layout = TSampleLayout::Rgb;

    TDecompressor() = default;
    TDecompressor(const TDecompressor&) = delete;
    TDecompressor& operator=(const TDecompressor&) = delete;
    ~TDecompressor() { jpeg_destroy_decompress(&Info); }
};

// The three functions below are the only ones that call libjpeg. Each sets the jump
// target itself and holds nothing with a destructor, so a longjmp out of libjpeg skips
// no C++ cleanup; on false, Errors.Message says why.

bool ReadHeader(TDecompressor* D, const std::uint8_t* Data, std::size_t Size) {
    D->Info.err = jpeg_std_error(&D->Errors.Base);
    D->Errors.Base.error_exit = ErrorExit;
    D->Errors.Base.emit_message = EmitMessage;
    if (setjmp(D->Errors.Jump)) return false;

    jpeg_create_decompress(&D->Info);
    D->Info.mem->max_memory_to_use = MaxWorkingMemory;
    D->Progress.progress_monitor = WatchProgress;
    D->Info.progress = &D->Progress;
    jpeg_mem_src(&D->Info, Data, static_cast<unsigned long>(Size));
    jpeg_read_header(&D->Info, TRUE);

    // Grey and CMYK are expanded here rather than by libjpeg: plain libjpeg converts
    // neither to RGB.
    switch (D->Info.jpeg_color_space) {
    case JCS_GRAYSCALE:
        D->Info.out_color_space = JCS_GRAYSCALE;
        D->Layout = TSampleLayout::Grey;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        D->Info.out_color_space = JCS_CMYK;
        // Adobe's writers store CMYK inverted (255 = no ink), and every writer that puts
        // an Adobe marker in follows them.
        D->Layout = D->Info.saw_Adobe_marker ? TSampleLayout::InvertedCmyk : TSampleLayout::Cmyk;
        break;
    default:
        D->Info.out_color_space = JCS_RGB;
        D->Layout = TSampleLayout::Rgb;
        break;
    }
    jpeg_calc_output_dimensions(&D->Info);
    return true;
}

// For progressive files this reads and checks all of the compressed data, before the
// caller allocates the picture.
bool StartDecompress(TDecompressor* D) {
    if (setjmp(D->Errors.Jump)) return false;
    jpeg_start_decompress(&D->Info);
    return true;
}

std::uint8_t InkToLight(unsigned Ink, unsigned Black) {
    return std::uint8_t(((255 - Ink) * (255 - Black) + 127) / 255);
}

// Pixels holds output_height rows of output_width RGB triples; Row has room for one row of
// output_components samples.
bool ReadRows(TDecompressor* D, std::uint8_t* Pixels, std::uint8_t* Row) {
    if (setjmp(D->Errors.Jump)) return false;
    const JDIMENSION Width = D->Info.output_width;
    while (D->Info.output_scanline < D->Info.output_height) {
        std::uint8_t* Out = Pixels + std::size_t(D->Info.output_scanline) * Width * 3;
        JSAMPROW Target = D->Layout == TSampleLayout::Rgb ? Out : Row;
        // Only a suspending data source may return no row, and ours never suspends; a
        // stalled decoder must not hold the caller in this loop for ever.
        if (jpeg_read_scanlines(&D->Info, &Target, 1) != 1)
            Fail(reinterpret_cast<j_common_ptr>(&D->Info), "JPEG decoder returned no row");
        for (JDIMENSION X = 0; X < Width && D->Layout != TSampleLayout::Rgb; ++X) {
            std::uint8_t* P = Out + std::size_t(X) * 3;
            if (D->Layout == TSampleLayout::Grey) {
                P[0] = P[1] = P[2] = Row[X];
                continue;
            }
            const std::uint8_t* S = Row + std::size_t(X) * 4;
            const bool Inverted = D->Layout == TSampleLayout::InvertedCmyk;
            for (int C = 0; C < 3; ++C)
                P[C] = Inverted ? InkToLight(255 - S[C], 255 - S[3]) : InkToLight(S[C], S[3]);
        }
    }
    jpeg_finish_decompress(&D->Info);
    return true;
}

[[noreturn]] void Throw(const TDecompressor& D) {
    throw EJpegError(D.Errors.Message);
}

} // namespace

TRgbPicture DecodeJpeg(const std::uint8_t* Data, std::size_t Size) {
    TDecompressor D;
    if (!ReadHeader(&D, Data, Size)) Throw(D);

    const std::int64_t Width = D.Info.output_width;
    const std::int64_t Height = D.Info.output_height;
    CheckPictureSize(Width, Height);

    if (!StartDecompress(&D)) Throw(D);
    const int Expected = D.Layout == TSampleLayout::Grey  ? 1
                         : D.Layout == TSampleLayout::Rgb ? 3
                                                          : 4;
    if (D.Info.output_components != Expected) throw EJpegError("Unsupported JPEG colour layout");

    TRgbPicture Picture(static_cast<int>(Width), static_cast<int>(Height));
    std::vector<std::uint8_t> Row(std::size_t(Width) * 4);
    if (!ReadRows(&D, Picture.Pixels.data(), Row.data())) Throw(D);
    return Picture;
}

TRgbPicture DecodeJpeg(const std::vector<std::uint8_t>& Data) {
    return DecodeJpeg(Data.data(), Data.size());
}

TRgbPicture LoadJpegFile(const std::string& FileName) {
    std::vector<std::uint8_t> Bytes;
    std::string Unread;
    if (!ReadPictureBytes(FileName, Bytes, Unread)) throw EJpegError(Unread);
    try {
        return DecodeJpeg(Bytes);
    } catch (const EJpegError& Error) {
        throw EJpegError(FileName + ": " + Error.what());
    }
}

// ---- Encoding ----

namespace {

// Nothing the compressor warns about changes the file it writes; nothing is printed.
void IgnoreMessage(j_common_ptr, int) {}

// The compressor and the memory it writes into; the destructor frees both however far the
// compression got.
struct TCompressor {
    jpeg_compress_struct Info{};
    TErrorManager Errors{};
    unsigned char* Output = nullptr;
    unsigned long OutputSize = 0;

    TCompressor() = default;
    TCompressor(const TCompressor&) = delete;
    TCompressor& operator=(const TCompressor&) = delete;
    ~TCompressor() {
        jpeg_destroy_compress(&Info);
        std::free(Output);
    }
};

// The only function that calls libjpeg's compressor; like the decoder's, it sets the jump
// target itself and holds nothing with a destructor. On false, Errors.Message says why.
bool Compress(TCompressor* C, const TRgbPicture* Picture, int Quality) {
    C->Info.err = jpeg_std_error(&C->Errors.Base);
    C->Errors.Base.error_exit = ErrorExit;
    C->Errors.Base.emit_message = IgnoreMessage;
    if (setjmp(C->Errors.Jump)) return false;

    jpeg_create_compress(&C->Info);
    jpeg_mem_dest(&C->Info, &C->Output, &C->OutputSize);
    C->Info.image_width = JDIMENSION(Picture->Width);
    C->Info.image_height = JDIMENSION(Picture->Height);
    C->Info.input_components = 3;
    C->Info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&C->Info);
    jpeg_set_quality(&C->Info, Quality, TRUE);
    // Full-resolution colour: halving it would smear every one-pixel detail of a sprite.
    for (int i = 0; i < C->Info.num_components; ++i) {
        C->Info.comp_info[i].h_samp_factor = 1;
        C->Info.comp_info[i].v_samp_factor = 1;
    }
    C->Info.optimize_coding = TRUE;
    jpeg_start_compress(&C->Info, TRUE);
    const std::size_t RowBytes = std::size_t(Picture->Width) * 3;
    while (C->Info.next_scanline < C->Info.image_height) {
        // libjpeg only reads the rows it is given, whatever the pointer type says.
        JSAMPROW Row = const_cast<JSAMPLE*>(Picture->Pixels.data() +
                                            std::size_t(C->Info.next_scanline) * RowBytes);
        jpeg_write_scanlines(&C->Info, &Row, 1);
    }
    jpeg_finish_compress(&C->Info);
    return true;
}

} // namespace

std::vector<std::uint8_t> EncodeJpeg(const TRgbPicture& Picture, int Quality) {
    if (Picture.Width <= 0 || Picture.Height <= 0 ||
        Picture.Pixels.size() != std::size_t(Picture.Width) * std::size_t(Picture.Height) * 3)
        throw EJpegError("Picture has no pixels to encode");
    if (Picture.Width > JPEG_MAX_DIMENSION || Picture.Height > JPEG_MAX_DIMENSION)
        throw EJpegError("Picture too large for JPEG: " + std::to_string(Picture.Width) + " x " +
                         std::to_string(Picture.Height) + " pixels");
    TCompressor C;
    if (!Compress(&C, &Picture, std::clamp(Quality, 1, 100))) throw EJpegError(C.Errors.Message);
    return std::vector<std::uint8_t>(C.Output, C.Output + C.OutputSize);
}

void SaveJpegFile(const std::string& FileName, const TRgbPicture& Picture, int Quality) {
    // Encoded first, so that a picture JPEG cannot hold never touches the file.
    const std::vector<std::uint8_t> Bytes = EncodeJpeg(Picture, Quality);
    ReplaceFile(FileName, [&Bytes](const ByteSink& Sink) { Sink(Bytes.data(), Bytes.size()); });
}
