/* Whole-image coding for the writing side: the sampling text, compressing a bitmap,
 * decoding a JPEG file into a bitmap or a BMP file (jpg2bmp), all through the libjpeg
 * boundary in jpeg_boundary.c. */
#include "img_internal.h"
#include "img_write.h"
#include "vok_files.h"
#include "jpeg_boundary.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vokimg {

bool parse_sampling(const char* text, int h[3], int v[3]) {
    if (!text)
        return false;
    const char* p = text;
    for (int c = 0; c < 3; ++c) {
        if (c > 0 && *p++ != ',')
            return false;
        if (p[0] < '1' || p[0] > '4' || (p[1] != 'x' && p[1] != 'X') || p[2] < '1' || p[2] > '4')
            return false;
        h[c] = p[0] - '0';
        v[c] = p[2] - '0';
        p += 3;
    }
    return *p == '\0';
}

bool encode_dib(const DibView& view24, int quality, const char* sampling, Bytes* out) {
    int h[3];
    int v[3];
    if (view24.bits != 24 || !parse_sampling(sampling, h, v))
        return false;
    unsigned char* stream = nullptr;
    size_t size = 0;
    if (!vok_jpeg_encode_bgr(view24.rows, view24.width, view24.height, view24.stride, quality, h, v,
                             &stream, &size))
        return false;
    out->assign(stream, stream + size);
    std::free(stream);
    return true;
}

namespace {

// The packed bitmap around decoded rows, which were allocated with room in front for the
// record, the bitmap header and (when quantised) a whole palette.
VokImgBlock* adopt_rows(VokJpegRows& decoded, int colors) {
    const size_t rowBytes = size_t(decoded.stride) * decoded.height;
    const size_t dibSize = kDibHeader + 4u * decoded.colors + rowBytes;
    if (dibSize > UINT32_MAX - 64) {
        std::free(decoded.block);
        return nullptr;
    }
    unsigned char* dib = decoded.block + sizeof(VokImgBlock);
    put_info_header(dib, decoded.width, decoded.height, colors != 0 ? 8 : 24, decoded.colors);
    if (colors != 0) {
        std::memcpy(dib + kDibHeader, decoded.palette, 4u * decoded.colors);
        // Unused palette entries are left out of the block.
        std::memmove(dib + kDibHeader + 4u * decoded.colors, decoded.rows, rowBytes);
    }
    return adopt_block(decoded.block, dibSize);
}

} // namespace

VokImgBlock* decode_jpeg(const unsigned char* data, size_t size, int colors) {
    const size_t paletteRoom = colors != 0 ? 4u * 256u : 0u;
    VokJpegRows decoded;
    if (!vok_jpeg_decode_rows(nullptr, data, size, VOK_JPEG_MAX_PIXELS, colors,
                              sizeof(VokImgBlock) + kDibHeader + paletteRoom, &decoded))
        return nullptr;
    return adopt_rows(decoded, colors);
}

VokImgBlock* decode_jpeg_at_least(const unsigned char* data, size_t size, uint32_t minWidth,
                                  uint32_t minHeight) {
    VokJpegRows decoded;
    if (!vok_jpeg_decode_rows_at_least(nullptr, data, size, VOK_JPEG_MAX_PIXELS, minWidth,
                                       minHeight, sizeof(VokImgBlock) + kDibHeader, &decoded))
        return nullptr;
    return adopt_rows(decoded, 0);
}

bool read_whole_file(const char* path, Bytes* out, uint64_t limit) {
    return vokc::ReadWholeFile(path, out, limit);
}

} // namespace vokimg

using namespace vokimg;

static int VokImg_Jpeg_ReadDIBProgress_body(const char* path, VokImgBlock** dib,
                                            VokImgProgress progress, void* context) {
    if (!dib)
        return VOK_IMG_CODEC_CANNOT_OPEN;
    *dib = nullptr;
    Bytes file;
    if (!read_whole_file(path, &file) || file.empty())
        return VOK_IMG_CODEC_CANNOT_OPEN;
    VokJpegRows decoded;
    const int result = vok_jpeg_decode_rows_progress(file.data(), file.size(), VOK_JPEG_MAX_PIXELS,
                                                     sizeof(VokImgBlock) + kDibHeader, progress,
                                                     context, &decoded);
    if (result != 1)
        return result == VOK_JPEG_CANCELLED ? VOK_IMG_CODEC_CANCELLED
               : result == VOK_JPEG_FAILED  ? VOK_IMG_CODEC_FAILED
                                            : VOK_IMG_CODEC_CANNOT_OPEN;
    *dib = adopt_rows(decoded, 0);
    return *dib ? VOK_IMG_CODEC_DONE : VOK_IMG_CODEC_FAILED;
}

static VokImgBlock* VokImg_Jpeg_ReadDIB_body(const char* path) {
    VokImgBlock* dib = nullptr;
    VokImg_Jpeg_ReadDIBProgress_body(path, &dib, nullptr, nullptr);
    return dib;
}

static int VokImg_Jpeg_SaveDIBProgress_body(const VokImgBlock* dib, const char* path, int quality,
                                            const char* sampling, VokImgProgress progress,
                                            void* context) {
    int h[3];
    int v[3];
    DibView view;
    if (!path || !*path || quality < 1 || quality > 100 || !parse_sampling(sampling, h, v) ||
        !dib_view(dib, &view))
        return VOK_IMG_CODEC_CANNOT_OPEN;
    VokImgBlock* converted = nullptr;
    if (!view_as_24(&view, &converted))
        return VOK_IMG_CODEC_CANNOT_OPEN;
    unsigned char* stream = nullptr;
    size_t size = 0;
    const int result =
        vok_jpeg_encode_bgr_progress(view.rows, view.width, view.height, view.stride, quality, h, v,
                                     progress, context, &stream, &size);
    VokImg_FreeBlock(converted);
    if (result != 1)
        return result == VOK_JPEG_CANCELLED ? VOK_IMG_CODEC_CANCELLED : VOK_IMG_CODEC_FAILED;
    const bool written = replace_file(path, stream, size);
    std::free(stream);
    return written ? VOK_IMG_CODEC_DONE : VOK_IMG_CODEC_FAILED;
}

static VokImgBlock* VokImg_Jpeg_ReadScaledDIB_body(const char* path, uint32_t minWidth,
                                                   uint32_t minHeight, uint32_t* width,
                                                   uint32_t* height) {
    if (width)
        *width = 0;
    if (height)
        *height = 0;
    Bytes file;
    VokJpegHeader header;
    if (!read_whole_file(path, &file) ||
        !vok_jpeg_read_header_mem(file.data(), file.size(), &header))
        return nullptr;
    VokImgBlock* dib = decode_jpeg_at_least(file.data(), file.size(), minWidth, minHeight);
    if (dib && width)
        *width = header.width;
    if (dib && height)
        *height = header.height;
    return dib;
}

static int jpg2bmp_body(const char* jpegPath, const char* bmpPath, int colors) {
    if (!bmpPath || !*bmpPath || colors < 0 || (colors > 0 && colors < 8) || colors > 256)
        return 0;
    Bytes file;
    if (!read_whole_file(jpegPath, &file)) {
        show_library_error(kTextCannotOpen);
        return 0;
    }
    VokImgBlock* dib = decode_jpeg(file.data(), file.size(), colors);
    if (!dib) {
        show_library_error(kTextBitmapFailed);
        return 0;
    }
    Bytes bmp;
    bool ok = bmp_file_bytes(dib, &bmp) && replace_file(bmpPath, bmp.data(), bmp.size());
    VokImg_FreeBlock(dib);
    if (!ok)
        show_library_error(kTextWriteFailed);
    return ok ? 1 : 0;
}

VOK_EXTERN_C VokImgBlock* VokImg_Jpeg_ReadDIB(const char* path) {
    return guarded<VokImgBlock*>(nullptr, [&] { return VokImg_Jpeg_ReadDIB_body(path); });
}

VOK_EXTERN_C int VokImg_Jpeg_ReadDIBProgress(const char* path, VokImgBlock** dib,
                                             VokImgProgress progress, void* context) {
    return guarded(int(VOK_IMG_CODEC_FAILED),
                   [&] { return VokImg_Jpeg_ReadDIBProgress_body(path, dib, progress, context); });
}

VOK_EXTERN_C int VokImg_Jpeg_SaveDIBProgress(const VokImgBlock* dib, const char* path, int quality,
                                             const char* sampling, VokImgProgress progress,
                                             void* context) {
    return guarded(int(VOK_IMG_CODEC_FAILED), [&] {
        return VokImg_Jpeg_SaveDIBProgress_body(dib, path, quality, sampling, progress, context);
    });
}

VOK_EXTERN_C VokImgBlock* VokImg_Jpeg_ReadScaledDIB(const char* path, uint32_t minWidth,
                                                    uint32_t minHeight, uint32_t* width,
                                                    uint32_t* height) {
    return guarded<VokImgBlock*>(nullptr, [&] {
        return VokImg_Jpeg_ReadScaledDIB_body(path, minWidth, minHeight, width, height);
    });
}

VOK_EXTERN_C int jpg2bmp(const char* jpegPath, const char* bmpPath, int colors) {
    return guarded(0, [&] { return jpg2bmp_body(jpegPath, bmpPath, colors); });
}
