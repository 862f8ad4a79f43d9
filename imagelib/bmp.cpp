/* Packed bitmaps and BMP files: checked views of a bitmap block, new and 24-bit copies,
 * reading BMP files (40- and 12-byte headers, the larger Windows headers read as the
 * 40-byte form) and writing them (SaveThumbNail). */
#include "img_internal.h"
#include "img_write.h"

#include <cstdlib>
#include <cstring>

namespace vokimg {
namespace {

constexpr uint32_t kFileHeader = vokc::kBmpFileHeaderSize;
constexpr uint32_t kCoreHeader = 12;

bool supported_bits(uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32;
}

} // namespace

void put_info_header(unsigned char* p, uint32_t width, uint32_t height, uint32_t bits,
                     uint32_t colors) {
    vokc::DibHeader h;
    h.width = int32_t(width);
    h.height = int32_t(height);
    h.bitCount = uint16_t(bits);
    h.sizeImage = vokc::DibStride(width, bits) * height;
    h.clrUsed = colors;
    vokc::PutDibHeader(p, h);
}

bool dib_view(const VokImgBlock* dib, DibView* view) {
    if (!dib || !dib->data || dib->size < kDibHeader)
        return false;
    const unsigned char* h = dib->data;
    const vokc::DibHeader header = vokc::GetDibHeader(h);
    uint32_t headerSize = header.size;
    if (headerSize < kDibHeader || headerSize > dib->size)
        return false;
    int32_t width = header.width;
    int32_t height = header.height;
    uint32_t bits = header.bitCount;
    uint32_t compression = header.compression;
    uint32_t colors = header.clrUsed;
    if (width <= 0 || height == 0 || height == INT32_MIN || !supported_bits(bits) ||
        compression != 0)
        return false;
    if (bits <= 8 && (colors == 0 || colors > (1u << bits)))
        colors = 1u << bits;
    if (bits > 8 && colors > 256)
        return false;
    uint32_t rowsHigh = uint32_t(height < 0 ? -height : height);
    if (uint64_t(width) * rowsHigh > kMaxPixels)
        return false;
    uint32_t stride = vokc::DibStride(uint32_t(width), bits);
    uint64_t pixelsAt = uint64_t(headerSize) + 4ull * colors;
    if (!fits(pixelsAt, uint64_t(stride) * rowsHigh, dib->size))
        return false;
    view->width = uint32_t(width);
    view->height = rowsHigh;
    view->bits = bits;
    view->colors = colors;
    view->palette = colors ? h + headerSize : nullptr;
    const unsigned char* pixels = h + pixelsAt;
    if (height > 0) {
        view->rows = pixels + size_t(stride) * (rowsHigh - 1);
        view->stride = -ptrdiff_t(stride);
    } else {
        view->rows = pixels;
        view->stride = ptrdiff_t(stride);
    }
    return true;
}

VokImgBlock* dib_new(uint32_t width, uint32_t height, uint32_t bits, uint32_t colors) {
    if (width == 0 || height == 0 || uint64_t(width) * height > kMaxPixels)
        return nullptr;
    uint64_t size = kDibHeader + 4ull * colors + uint64_t(vokc::DibStride(width, bits)) * height;
    if (size > UINT32_MAX - 64)
        return nullptr;
    VokImgBlock* dib = block_new(uint32_t(size));
    if (dib)
        put_info_header(dib->data, width, height, bits, colors);
    return dib;
}

unsigned char* dib_top_row(VokImgBlock* dib, ptrdiff_t* stride) {
    DibView v;
    if (!dib_view(dib, &v))
        return nullptr;
    *stride = v.stride;
    return const_cast<unsigned char*>(v.rows);
}

VokImgBlock* dib_to_24(const DibView& view) {
    VokImgBlock* out = dib_new(view.width, view.height, 24);
    ptrdiff_t stride = 0;
    unsigned char* top = out ? dib_top_row(out, &stride) : nullptr;
    if (!top) {
        VokImg_FreeBlock(out);
        return nullptr;
    }
    for (uint32_t y = 0; y < view.height; ++y) {
        const unsigned char* in = view.row(y);
        unsigned char* o = top + stride * ptrdiff_t(y);
        for (uint32_t x = 0; x < view.width; ++x, o += 3) {
            if (view.bits == 24) {
                std::memcpy(o, in + 3 * x, 3);
                continue;
            }
            if (view.bits == 32) {
                std::memcpy(o, in + 4 * x, 3);
                continue;
            }
            uint32_t perByte = 8 / view.bits;
            uint32_t shift = 8 - view.bits * (x % perByte + 1);
            uint32_t index = (in[x / perByte] >> shift) & ((1u << view.bits) - 1);
            if (index < view.colors)
                std::memcpy(o, view.palette + 4 * index, 3);
        }
    }
    return out;
}

bool view_as_24(DibView* view, VokImgBlock** converted) {
    *converted = nullptr;
    if (view->bits == 24)
        return true;
    *converted = dib_to_24(*view);
    if (*converted && dib_view(*converted, view))
        return true;
    VokImg_FreeBlock(*converted);
    *converted = nullptr;
    return false;
}

VokImgBlock* adopt_block(unsigned char* base, size_t size) {
    VokImgBlock* block = reinterpret_cast<VokImgBlock*>(base);
    block->data = base + sizeof(VokImgBlock);
    block->size = uint32_t(size);
    return block;
}

// A BMP file's bytes as a packed bitmap with the 40-byte header and bottom-up rows.
VokImgBlock* bmp_from_bytes(const unsigned char* file, size_t size) {
    if (size < kFileHeader + kCoreHeader || file[0] != 'B' || file[1] != 'M')
        return nullptr;
    uint32_t offBits = vokc::GetLe32(file + 10);
    const unsigned char* h = file + kFileHeader;
    uint32_t headerSize = vokc::GetLe32(h);
    if (!fits(kFileHeader, headerSize, size))
        return nullptr;
    uint32_t width = 0;
    int32_t height = 0;
    uint32_t bits = 0;
    uint32_t colors = 0;
    uint32_t entryBytes = 4;
    if (headerSize == kCoreHeader) {
        width = vokc::GetLe16(h + 4);
        height = int32_t(vokc::GetLe16(h + 6));
        bits = vokc::GetLe16(h + 10);
        entryBytes = 3;
    } else if (headerSize >= kDibHeader) {
        width = vokc::GetLe32(h + 4);
        height = int32_t(vokc::GetLe32(h + 8));
        bits = vokc::GetLe16(h + 14);
        colors = vokc::GetLe32(h + 32);
        if (vokc::GetLe32(h + 16) != 0) // compressed and bit-field forms are not read
            return nullptr;
    } else {
        return nullptr;
    }
    if (int32_t(width) <= 0 || height == 0 || height == INT32_MIN || !supported_bits(bits))
        return nullptr;
    if (bits <= 8 && (colors == 0 || colors > (1u << bits)))
        colors = 1u << bits;
    if (bits > 8)
        colors = 0; // an optional colour table of a true-colour file is not needed
    uint32_t rows = uint32_t(height < 0 ? -height : height);
    uint64_t paletteAt = uint64_t(kFileHeader) + headerSize;
    uint64_t paletteBytes = uint64_t(entryBytes) * colors;
    if (!fits(paletteAt, paletteBytes, size))
        return nullptr;
    uint32_t stride = vokc::DibStride(width, bits);
    uint64_t pixelsAt = offBits >= paletteAt + paletteBytes ? offBits : paletteAt + paletteBytes;
    if (uint64_t(width) * rows > kMaxPixels || !fits(pixelsAt, uint64_t(stride) * rows, size))
        return nullptr;
    VokImgBlock* dib = dib_new(width, rows, bits, colors);
    if (!dib)
        return nullptr;
    unsigned char* palette = dib->data + kDibHeader;
    for (uint32_t i = 0; i < colors; ++i)
        std::memcpy(palette + 4 * i, file + paletteAt + entryBytes * i, 3);
    unsigned char* pixels = palette + 4 * colors;
    for (uint32_t y = 0; y < rows; ++y) {
        // Top-down files are turned into the bottom-up form.
        uint32_t from = height < 0 ? rows - 1 - y : y;
        std::memcpy(pixels + size_t(stride) * y, file + pixelsAt + size_t(stride) * from, stride);
    }
    return dib;
}

// The BMP file of a packed bitmap: the 14-byte file header before the block.
bool bmp_file_bytes(const VokImgBlock* dib, Bytes* out) {
    DibView v;
    if (!dib_view(dib, &v))
        return false;
    uint32_t headerSize = vokc::GetLe32(dib->data);
    out->resize(kFileHeader + size_t(dib->size));
    unsigned char* f = out->data();
    vokc::PutBmpFileHeader(f, uint32_t(out->size()), kFileHeader + headerSize + 4 * v.colors);
    std::memcpy(f + kFileHeader, dib->data, dib->size);
    return true;
}

} // namespace vokimg

using namespace vokimg;

static VokImgBlock* VokImg_ReadBmpFile_body(const char* path) {
    Bytes file;
    if (!read_whole_file(path, &file))
        return nullptr;
    return bmp_from_bytes(file.data(), file.size());
}

static int SaveThumbNail_body(const VokImgBlock* dib, const char* path) {
    Bytes file;
    if (!path || !*path || !bmp_file_bytes(dib, &file))
        return 0;
    if (!replace_file(path, file.data(), file.size())) {
        show_library_error(kTextWriteFailed);
        return 0;
    }
    return 1;
}

VOK_EXTERN_C int GetImageDimension(const VokImgBlock* dib, uint32_t* height, uint32_t* width) {
    DibView v;
    bool ok = dib_view(dib, &v);
    if (height)
        *height = ok ? v.height : 0;
    if (width)
        *width = ok ? v.width : 0;
    return ok ? 1 : 0;
}

VOK_EXTERN_C VokImgBlock* VokImg_ReadBmpFile(const char* path) {
    return guarded<VokImgBlock*>(nullptr, [&] { return VokImg_ReadBmpFile_body(path); });
}

VOK_EXTERN_C int SaveThumbNail(const VokImgBlock* dib, const char* path) {
    return guarded(0, [&] { return SaveThumbNail_body(dib, path); });
}
