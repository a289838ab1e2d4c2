/* The giflib peer of `vimbrel-cli resave` for bench/resave_vs_peers.sh: the plain way to
 * open and save an animation with giflib alone. DGifSlurp reads the whole file; every
 * frame is composed whole (disposal and transparency as a viewer applies them) into one
 * block that holds all frames; each frame is written as the rectangle that differs from
 * the frame before it, row by row with EGifPutLine, with no disposal, and the file is
 * closed without being synced to disk.
 *
 * Usage: giflib_resave IN.gif OUT.gif */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <gif_lib.h>

static int Fail(const char* What, int Error) {
    fprintf(stderr, "giflib_resave: %s: %s\n", What, GifErrorString(Error));
    return 1;
}

/* Paints the image's visible pixels over Picture, skipping the transparent index. */
static void Draw(unsigned char* Picture, int Width, int Height, const SavedImage* Image,
                 int Transparent) {
    const GifImageDesc* D = &Image->ImageDesc;
    for (int Y = 0; Y < D->Height; ++Y) {
        const int PY = D->Top + Y;
        if (PY < 0 || PY >= Height) continue;
        const unsigned char* Row = Image->RasterBits + (size_t)Y * (size_t)D->Width;
        unsigned char* Target = Picture + (size_t)PY * (size_t)Width;
        for (int X = 0; X < D->Width; ++X) {
            const int PX = D->Left + X;
            if (PX < 0 || PX >= Width) continue;
            if (Row[X] != Transparent) Target[PX] = Row[X];
        }
    }
}

static void Fill(unsigned char* Picture, int Width, int Height, const GifImageDesc* D,
                 unsigned char Color) {
    for (int Y = D->Top; Y < D->Top + D->Height && Y < Height; ++Y)
        for (int X = D->Left; X < D->Left + D->Width && X < Width; ++X)
            Picture[(size_t)Y * (size_t)Width + (size_t)X] = Color;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "Usage: giflib_resave IN.gif OUT.gif\n");
        return 2;
    }
    int Error = 0;
    GifFileType* In = DGifOpenFileName(argv[1], &Error);
    if (!In) return Fail(argv[1], Error);
    if (DGifSlurp(In) != GIF_OK) return Fail(argv[1], In->Error);
    const int Width = In->SWidth, Height = In->SHeight, Count = In->ImageCount;
    if (Width <= 0 || Height <= 0 || Count <= 0) {
        fprintf(stderr, "giflib_resave: %s: no picture\n", argv[1]);
        return 1;
    }
    const size_t FrameBytes = (size_t)Width * (size_t)Height;
    unsigned char* Frames = malloc(FrameBytes * (size_t)Count);
    unsigned char* Saved = malloc(FrameBytes);
    if (!Frames || !Saved) return Fail("out of memory", D_GIF_ERR_NOT_ENOUGH_MEM);

    int* Delays = malloc(sizeof(int) * (size_t)Count);
    if (!Delays) return Fail("out of memory", D_GIF_ERR_NOT_ENOUGH_MEM);
    /* Frame I's slot starts as the picture the frame is drawn over. */
    memset(Frames, In->SBackGroundColor, FrameBytes);
    for (int I = 0; I < Count; ++I) {
        unsigned char* Picture = Frames + FrameBytes * (size_t)I;
        GraphicsControlBlock Control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(In, I, &Control);
        Delays[I] = Control.DelayTime;
        if (Control.DisposalMode == DISPOSE_PREVIOUS) memcpy(Saved, Picture, FrameBytes);
        Draw(Picture, Width, Height, &In->SavedImages[I], Control.TransparentColor);
        if (I + 1 == Count) break;
        unsigned char* Next = Picture + FrameBytes;
        if (Control.DisposalMode == DISPOSE_PREVIOUS) {
            memcpy(Next, Saved, FrameBytes);
        } else {
            memcpy(Next, Picture, FrameBytes);
            if (Control.DisposalMode == DISPOSE_BACKGROUND)
                Fill(Next, Width, Height, &In->SavedImages[I].ImageDesc,
                     (unsigned char)In->SBackGroundColor);
        }
    }

    GifFileType* Out = EGifOpenFileName(argv[2], false, &Error);
    if (!Out) return Fail(argv[2], Error);
    EGifSetGifVersion(Out, true);
    ColorMapObject* Colors = In->SColorMap ? In->SColorMap : In->SavedImages[0].ImageDesc.ColorMap;
    if (EGifPutScreenDesc(Out, Width, Height, Colors->BitsPerPixel, In->SBackGroundColor, Colors) !=
        GIF_OK)
        return Fail(argv[2], Out->Error);
    const unsigned char Loop[] = {1, 0, 0};
    EGifPutExtensionLeader(Out, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(Out, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(Out, 3, Loop);
    EGifPutExtensionTrailer(Out);

    GifPixelType* Line = malloc((size_t)Width);
    for (int I = 0; I < Count; ++I) {
        const unsigned char* Picture = Frames + FrameBytes * (size_t)I;
        int Left = 0, Top = 0, Right = Width - 1, Bottom = Height - 1;
        if (I > 0) {
            const unsigned char* Before = Picture - FrameBytes;
            Left = Width, Top = Height, Right = -1, Bottom = -1;
            for (int Y = 0; Y < Height; ++Y) {
                const unsigned char* A = Before + (size_t)Y * Width;
                const unsigned char* B = Picture + (size_t)Y * Width;
                if (memcmp(A, B, (size_t)Width) == 0) continue;
                int First = 0, Last = Width - 1;
                while (A[First] == B[First])
                    ++First;
                while (A[Last] == B[Last])
                    --Last;
                if (First < Left) Left = First;
                if (Last > Right) Right = Last;
                if (Top == Height) Top = Y;
                Bottom = Y;
            }
            if (Right < 0) Left = Top = 0, Right = Bottom = 0;
        }
        GraphicsControlBlock Control = {DISPOSE_DO_NOT, false, Delays[I], NO_TRANSPARENT_COLOR};
        GifByteType Block[4];
        EGifGCBToExtension(&Control, Block);
        EGifPutExtension(Out, GRAPHICS_EXT_FUNC_CODE, 4, Block);
        const int W = Right - Left + 1, H = Bottom - Top + 1;
        if (EGifPutImageDesc(Out, Left, Top, W, H, false, NULL) != GIF_OK)
            return Fail(argv[2], Out->Error);
        for (int Y = Top; Y <= Bottom; ++Y) {
            memcpy(Line, Picture + (size_t)Y * Width + Left, (size_t)W);
            if (EGifPutLine(Out, Line, W) != GIF_OK) return Fail(argv[2], Out->Error);
        }
    }
    if (EGifCloseFile(Out, &Error) != GIF_OK) return Fail(argv[2], Error);
    free(Line);
    free(Delays);
    free(Saved);
    free(Frames);
    DGifCloseFile(In, &Error);
    return 0;
}
