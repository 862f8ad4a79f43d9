/* The camera's JPEG form: stripping a stream to one DQT and one DHT without APPn or COM,
 * the camera-ready test, and the conversions that write camera-form files
 * (ChangeFormatToExifAndSave and its scaled form, JPEGs from bitmaps, ImageFormat_Check). */
#include "img_internal.h"
#include "img_write.h"
#include "jpeg_boundary.h"

#include <cstring>

namespace vokimg {
namespace {

// APP1 segments may hold at most this much, thumbnail included.
constexpr uint32_t kApp1Limit = 64512;
// The small-file form: main image and thumbnail together within this many bytes.
constexpr int64_t kSmallFileLimit = 15360;
constexpr int kLowestQuality = 5;

bool standalone(unsigned char m) {
    return m == 0x01 || (m >= 0xD0 && m <= 0xD7);
}

// End (just past FF D9) of the stream that begins with the first scan at pos, or 0.
size_t end_of_image(const unsigned char* d, size_t n, size_t pos) {
    for (;;) {
        // At a marker segment (the scan header first, then any between scans).
        if (pos + 4 > n)
            return 0;
        size_t length = vokc::GetBe16(d + pos + 2);
        if (length < 2)
            return 0;
        pos += 2 + length;
        // Entropy-coded data: FF 00 is a stuffed byte, FF D0..D7 restarts, FF FF fill.
        for (;;) {
            if (pos + 1 >= n)
                return 0;
            if (d[pos] != 0xFF) {
                // Most of a scan is data bytes: jump to the next FF (the last byte cannot
                // start a marker).
                const void* ff = std::memchr(d + pos, 0xFF, n - 1 - pos);
                if (!ff)
                    return 0;
                pos = size_t(static_cast<const unsigned char*>(ff) - d);
                continue;
            }
            unsigned char m = d[pos + 1];
            if (m == 0x00 || (m >= 0xD0 && m <= 0xD7)) {
                pos += 2;
                continue;
            }
            if (m == 0xFF) {
                ++pos;
                continue;
            }
            if (m == 0xD9)
                return pos + 2;
            break; // another segment
        }
    }
}

void append(Bytes* out, const unsigned char* p, size_t n) {
    out->insert(out->end(), p, p + n);
}

void append_merged(Bytes* out, unsigned char marker, const Bytes& payload) {
    size_t length = payload.size() + 2;
    unsigned char head[4] = {0xFF, marker, uint8_t(length >> 8), uint8_t(length)};
    append(out, head, 4);
    append(out, payload.data(), payload.size());
}

struct Piece {
    size_t at = 0;
    size_t size = 0;
    int merged = 0; // 0 a copied segment, 0xDB or 0xC4 the merged tables
};

bool now_text(char* buffer, size_t size) {
    return GetTodayTime(buffer, uint32_t(size)) != 0;
}

// Fills the values known only at the end; a tag that cannot be found fails.
bool patch_block(Bytes* block, uint32_t width, uint32_t height, uint32_t thumbSize) {
    VokImgBlock view{block->data(), uint32_t(block->size())};
    char now[32];
    bool ok = now_text(now, sizeof now) && ChangeExif_MemberData(&view, 40962, nullptr, width, 1) &&
              ChangeExif_MemberData(&view, 40963, nullptr, height, 1) &&
              ChangeExif_MemberData(&view, 514, nullptr, thumbSize, 1) &&
              ChangeExif_MemberData(&view, 36867, now, 0, 1) &&
              ChangeExif_MemberData(&view, 36868, now, 0, 1) &&
              ChangeExif_MemberData(&view, 306, now, 0, 1);
    if (!ok)
        show_library_error(kTextTagMissing);
    return ok;
}

// Exif block and thumbnail for a picture of width x height whose 24-bit form is view.
bool exif_parts(const std::vector<ExifTagEntry>& entries, const DibView& view, uint32_t width,
                uint32_t height, Bytes* block, Bytes* thumb) {
    uint32_t blockSize = exif_block_size(entries);
    if (blockSize >= kApp1Limit ||
        !make_thumbnail(view, width, height, kApp1Limit - blockSize, thumb)) {
        show_library_error(kTextThumbnailFailed);
        return false;
    }
    if (!build_exif_block(entries, uint32_t(thumb->size()), block)) {
        show_library_error(kTextExifFailed);
        return false;
    }
    return patch_block(block, width, height, uint32_t(thumb->size()));
}

bool sampled(const uint32_t* pair, uint32_t h, uint32_t v) {
    return pair[0] == h && pair[1] == v;
}

// Both conversions of a JPEG file: kept image data where the source allows it, or a new
// image (scaled when asked).
int convert_file(const char* src, const char* dst, const ExifTagEntry* overrides, uint32_t count,
                 bool scaled, uint32_t maxWidth, uint32_t maxHeight) {
    if (!src || !*src || !dst || !*dst)
        return 0;
    std::vector<ExifTagEntry> entries;
    if (!exif_entries(overrides, count, &entries)) {
        show_library_error(kTextExifFailed);
        return 0;
    }
    Bytes source;
    if (!read_whole_file(src, &source)) {
        show_library_error(kTextCannotOpen);
        return 0;
    }
    // The image data is kept when the written stream, with its tables merged, is what the
    // camera reads: baseline, three components sampled 2x1 or 2x2 / 1x1 / 1x1, the typical
    // Huffman tables. Only the thumbnail is made from its pixels then, so a decoding at the
    // smallest scale that still covers the thumbnail does.
    Bytes main;
    JpegFrameInfo frame{};
    VokJpegHeader header{};
    if (!scaled && Get_Jpeg_Info(source.data(), uint32_t(source.size()), &frame) &&
        camera_sampling(frame, true) && strip_jpeg(source.data(), source.size(), &main) &&
        !huffman_standard(main.data(), uint32_t(main.size())))
        main.clear();
    const bool kept = !main.empty();
    VokImgBlock* picture = nullptr;
    if (!kept) {
        picture = decode_jpeg(source.data(), source.size(), 0);
    } else if (vok_jpeg_read_header_mem(source.data(), source.size(), &header)) {
        uint32_t w = 0, h = 0;
        thumbnail_size(header.width, header.height, &w, &h);
        picture = decode_jpeg_at_least(source.data(), source.size(), w, h);
    }
    DibView view;
    if (!picture || !dib_view(picture, &view)) {
        VokImg_FreeBlock(picture);
        show_library_error(kTextExifFailed);
        return 0;
    }
    uint32_t width = kept ? header.width : view.width;
    uint32_t height = kept ? header.height : view.height;
    bool ok = true;
    if (scaled) {
        VokImgBlock* sized =
            CreateAdjustSizeToDSC(picture, view.height, view.width, maxWidth, maxHeight);
        VokImg_FreeBlock(picture);
        picture = sized;
        ok = picture && dib_view(picture, &view);
        width = view.width;
        height = view.height;
    }
    Bytes().swap(source);
    if (ok && !kept) {
        Bytes encoded;
        ok = encode_dib(view, kCameraQuality, kCameraSampling, &encoded) &&
             strip_jpeg(encoded.data(), encoded.size(), &main);
        if (!ok)
            show_library_error(kTextJpegFailed);
    }
    Bytes block;
    Bytes thumb;
    ok = ok && exif_parts(entries, view, width, height, &block, &thumb);
    VokImg_FreeBlock(picture);
    if (!ok)
        return 0;
    return save_camera_file(dst, block, thumb, std::move(main), true);
}

} // namespace

bool strip_jpeg(const unsigned char* d, size_t n, Bytes* out) {
    if (!d || n < 4 || d[0] != 0xFF || d[1] != 0xD8)
        return false;
    std::vector<Piece> pieces;
    Bytes dqt;
    Bytes dht;
    size_t pos = 2;
    for (;;) {
        if (pos + 2 > n || d[pos] != 0xFF)
            return false;
        unsigned char m = d[pos + 1];
        if (m == 0xFF) {
            ++pos;
            continue;
        }
        if (m == 0xD9 || m == 0xD8)
            return false;
        if (standalone(m)) {
            pieces.push_back({pos, 2, 0});
            pos += 2;
            continue;
        }
        if (pos + 4 > n)
            return false;
        size_t length = vokc::GetBe16(d + pos + 2);
        if (length < 2 || pos + 2 + length > n)
            return false;
        if (m == 0xDA)
            break;
        if (m == 0xDB || m == 0xC4) {
            Bytes& tables = m == 0xDB ? dqt : dht;
            bool first = true;
            for (const Piece& p : pieces)
                first = first && p.merged != m;
            if (first)
                pieces.push_back({0, 0, m});
            append(&tables, d + pos + 4, length - 2);
        } else if (!((m >= 0xE0 && m <= 0xEF) || m == 0xFE)) {
            pieces.push_back({pos, 2 + length, 0});
        }
        pos += 2 + length;
    }
    size_t end = end_of_image(d, n, pos);
    if (end == 0 || dqt.size() + 2 > 0xFFFF || dht.size() + 2 > 0xFFFF)
        return false;
    out->clear();
    // Room for the tables and, when the stream becomes a camera file, its Exif segment.
    out->reserve(end - pos + 1024 + kApp1Limit);
    append(out, d, 2);
    for (const Piece& p : pieces) {
        if (p.merged)
            append_merged(out, uint8_t(p.merged), p.merged == 0xDB ? dqt : dht);
        else
            append(out, d + p.at, p.size);
    }
    append(out, d + pos, end - pos);
    return true;
}

bool camera_sampling(const JpegFrameInfo& frame, bool requireThree) {
    const uint32_t* s = frame.sampling;
    bool first = sampled(s, 2, 1) || sampled(s, 2, 2);
    bool second = sampled(s + 2, 1, 1);
    if (!requireThree)
        return first && second;
    return frame.components == 3 && first && second && sampled(s + 4, 1, 1);
}

int save_camera_file(const char* dst, const Bytes& block, const Bytes& thumb, Bytes main,
                     bool withBackup) {
    // The main image becomes the file: the Exif block and the thumbnail go in after its SOI,
    // within the room that stripping left (no second copy of a large image).
    Bytes head;
    head.reserve(block.size() + thumb.size());
    append(&head, block.data(), block.size());
    append(&head, thumb.data(), thumb.size());
    Bytes& file = main;
    file.insert(file.begin() + 2, head.begin(), head.end());
    if (!withBackup) {
        if (replace_file(dst, file.data(), file.size()))
            return VOK_IMG_WRITTEN;
        show_library_error(kTextWriteFailed);
        return VOK_IMG_FAILED;
    }
    if (!space_for(dst, file.size()))
        return VOK_IMG_NO_SPACE;
    char backup[VOK_MAX_PATH] = "";
    if (!Vok_SaveOrgFileData(dst, backup)) {
        show_library_error(kTextWriteFailed);
        return VOK_IMG_FAILED;
    }
    bool ok = replace_file(dst, file.data(), file.size());
    Vok_RestoreKeepFile(backup, dst, ok);
    if (!ok)
        show_library_error(kTextWriteFailed);
    return ok ? VOK_IMG_WRITTEN : VOK_IMG_FAILED;
}

} // namespace vokimg

using namespace vokimg;

VOK_EXTERN_C int VokImg_IsCameraReady(const char* path) {
    ImageInfo info;
    std::memset(&info, 0, sizeof info);
    if (IsImageFileType(path) != VOK_IMG_KIND_EXIF || !Get_Exif_Info(path, &info))
        return 0;
    // The camera reads the first APP1 segment; a file whose Exif block comes after another
    // APP1 (XMP, say) is converted rather than sent as it is.
    VokImgBlock* header = GetJpegHeaderFromFile(path);
    const bool exifFirst = header && exif_is_first_app1(header->data, header->size);
    VokImg_FreeBlock(header);
    if (!exifFirst)
        return 0;
    if (strncasecmp(info.exifVersion, "0210", 4) != 0 ||
        strncasecmp(info.interopIndex, "R98", 3) != 0)
        return 0;
    if (info.width < 64 || info.width > 2048 || info.height < 48 || info.height > 1536)
        return 0;
    if (info.thumbnailState == VOK_IMG_NO_THUMBNAIL || !camera_sampling(info.thumbnail, false))
        return 0;
    JpegFrameInfo main{};
    if (!Get_Jpeg_HvSamp_Main(path, &main) || !camera_sampling(main, false))
        return 0;
    return VOK_Check_Jpeg_HuffmanTable(path) ? 1 : 0;
}

static int ChangeFormatToExifAndSave_body(const char* src, const char* dst,
                                          const ExifTagEntry* overrides, uint32_t count) {
    return convert_file(src, dst, overrides, count, false, 0, 0);
}

static int ChangeFormatToExifAndSave_Size_body(const char* src, const char* dst,
                                               const ExifTagEntry* overrides, uint32_t count,
                                               uint32_t maxWidth, uint32_t maxHeight) {
    return convert_file(src, dst, overrides, count, true, maxWidth, maxHeight);
}

VOK_EXTERN_C int ImageFormat_Check(const char* src, const char* dst) {
    VokImgBlock* header = GetJpegHeaderFromFile(src);
    if (!header)
        return 0;
    int headerClass = CheckJpegHeaderFormat(header);
    VokImg_FreeBlock(header);
    if (headerClass == VOK_JPEG_CLASS_CIFF || headerClass == VOK_JPEG_CLASS_PLAIN)
        return ChangeFormatToExifAndSave(src, dst, nullptr, 0) == VOK_IMG_WRITTEN ? 1 : 0;
    return 1;
}

static int VokImg_Jpeg_CreateAndSaveFromDIB_body(const VokImgBlock* dib, const char* path,
                                                 const ExifTagEntry* overrides, uint32_t count,
                                                 int smallFile) {
    DibView view;
    if (!path || !*path || !dib_view(dib, &view)) {
        show_library_error(kTextBitmapFailed);
        return 0;
    }
    std::vector<ExifTagEntry> entries;
    if (!exif_entries(overrides, count, &entries)) {
        show_library_error(kTextExifFailed);
        return 0;
    }
    VokImgBlock* converted = nullptr;
    if (!view_as_24(&view, &converted)) {
        show_library_error(kTextBitmapFailed);
        return 0;
    }
    Bytes block;
    Bytes thumb;
    Bytes main;
    bool ok = exif_parts(entries, view, view.width, view.height, &block, &thumb);
    for (int quality = kCameraQuality; ok; quality -= 5) {
        Bytes encoded;
        ok = encode_dib(view, quality, kCameraSampling, &encoded) &&
             strip_jpeg(encoded.data(), encoded.size(), &main);
        if (!ok)
            show_library_error(kTextJpegFailed);
        // The small form is best effort: the lowest quality is kept even when too large.
        if (!smallFile || quality <= kLowestQuality ||
            int64_t(main.size()) <= kSmallFileLimit - int64_t(thumb.size()))
            break;
    }
    VokImg_FreeBlock(converted);
    if (!ok)
        return 0;
    return save_camera_file(path, block, thumb, std::move(main), false);
}

VOK_EXTERN_C int ChangeFormatToExifAndSave(const char* src, const char* dst,
                                           const ExifTagEntry* overrides, uint32_t count) {
    return guarded(0, [&] { return ChangeFormatToExifAndSave_body(src, dst, overrides, count); });
}

VOK_EXTERN_C int ChangeFormatToExifAndSave_Size(const char* src, const char* dst,
                                                const ExifTagEntry* overrides, uint32_t count,
                                                uint32_t maxWidth, uint32_t maxHeight) {
    return guarded(0, [&] {
        return ChangeFormatToExifAndSave_Size_body(src, dst, overrides, count, maxWidth, maxHeight);
    });
}

VOK_EXTERN_C int VokImg_Jpeg_CreateAndSaveFromDIB(const VokImgBlock* dib, const char* path,
                                                  const ExifTagEntry* overrides, uint32_t count,
                                                  int smallFile) {
    return guarded(0, [&] {
        return VokImg_Jpeg_CreateAndSaveFromDIB_body(dib, path, overrides, count, smallFile);
    });
}
