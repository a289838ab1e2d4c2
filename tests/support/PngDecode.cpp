#include "support/PngDecode.h"

#include <csetjmp>
#include <cstring>

#include <png.h>

namespace {

struct Source {
    const std::vector<std::uint8_t>* File;
    std::size_t At = 0;
};

void ReadFromMemory(png_structp Png, png_bytep Out, png_size_t Count) {
    auto* From = static_cast<Source*>(png_get_io_ptr(Png));
    if (From->File->size() - From->At < Count) png_error(Png, "file cut short");
    std::memcpy(Out, From->File->data() + From->At, Count);
    From->At += Count;
}

void Complain(png_structp Png, png_const_charp Message) {
    *static_cast<std::string*>(png_get_error_ptr(Png)) = Message;
    png_longjmp(Png, 1);
}

void Ignore(png_structp, png_const_charp) {}

} // namespace

DecodedPng DecodeIndexedPng(const std::vector<std::uint8_t>& File) {
    DecodedPng Result;
    Source From{&File};
    png_structp Png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &Result.Error, Complain, Ignore);
    png_infop Info = png_create_info_struct(Png);
    if (setjmp(png_jmpbuf(Png))) {
        png_destroy_read_struct(&Png, &Info, nullptr);
        if (Result.Error.empty()) Result.Error = "failed";
        return Result;
    }
    png_set_read_fn(Png, &From, ReadFromMemory);
    png_read_info(Png, Info);
    if (png_get_color_type(Png, Info) != PNG_COLOR_TYPE_PALETTE ||
        png_get_bit_depth(Png, Info) != 8)
        png_error(Png, "not an 8-bit indexed picture");
    Result.Width = int(png_get_image_width(Png, Info));
    Result.Height = int(png_get_image_height(Png, Info));
    png_colorp Colors = nullptr;
    int Count = 0;
    png_get_PLTE(Png, Info, &Colors, &Count);
    for (int i = 0; i < Count; ++i)
        Result.Palette.push_back({Colors[i].red, Colors[i].green, Colors[i].blue});
    Result.Alpha.assign(std::size_t(Count), 255);
    png_bytep Alpha = nullptr;
    int AlphaCount = 0;
    if (png_get_tRNS(Png, Info, &Alpha, &AlphaCount, nullptr) & PNG_INFO_tRNS)
        std::memcpy(Result.Alpha.data(), Alpha, std::size_t(AlphaCount));
    Result.Indices.resize(std::size_t(Result.Width) * std::size_t(Result.Height));
    for (int Y = 0; Y < Result.Height; ++Y)
        png_read_row(Png, Result.Indices.data() + std::size_t(Y) * Result.Width, nullptr);
    png_read_end(Png, nullptr);
    png_destroy_read_struct(&Png, &Info, nullptr);
    return Result;
}
