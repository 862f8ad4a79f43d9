/* Shared inside VokExif's writing side: views of packed bitmaps, the codec calls in C++
 * form, stripping, the Exif and TIFF directory writer, safe file replacement and the
 * library's own messages. Everything here reports failure by result. */
#ifndef VOK_IMG_WRITE_H
#define VOK_IMG_WRITE_H

#include "VokExif.h"
#include "vok_dib.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

namespace vokimg {

using Bytes = std::vector<unsigned char>;

// ---- Packed bitmaps ----

constexpr uint32_t kDibHeader = vokc::kDibHeaderSize;
// Largest bitmap handled, in pixels (the codec boundary's limit too).
constexpr uint64_t kMaxPixels = 64ull * 1024 * 1024;

// A readable packed bitmap. rows points at the top row; stride steps to the row below
// (negative for the usual bottom-up layout).
struct DibView {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bits = 0;
    uint32_t colors = 0; // palette entries
    const unsigned char* palette = nullptr;
    const unsigned char* rows = nullptr;
    ptrdiff_t stride = 0;

    const unsigned char* row(uint32_t y) const { return rows + stride * ptrdiff_t(y); }
};

// Checks the header, palette and pixel bytes against the block size.
bool dib_view(const VokImgBlock* dib, DibView* view);

// A new zeroed (black) bottom-up bitmap, 24-bit or 8-bit with colors palette entries.
VokImgBlock* dib_new(uint32_t width, uint32_t height, uint32_t bits, uint32_t colors = 0);

// Writable top row and stride of a bitmap made by dib_new.
unsigned char* dib_top_row(VokImgBlock* dib, ptrdiff_t* stride);

// The bitmap in 24-bit form (a copy even when it already is).
VokImgBlock* dib_to_24(const DibView& view);

// Points view at a 24-bit form of its bitmap: unchanged when it already is one, else at a
// converted copy that *converted then owns (free it with VokImg_FreeBlock; null when no copy
// was needed). False, with nothing to free, when the copy cannot be made.
bool view_as_24(DibView* view, VokImgBlock** converted);

// The 40-byte header of a bitmap with bottom-up rows padded to four bytes.
void put_info_header(unsigned char* p, uint32_t width, uint32_t height, uint32_t bits,
                     uint32_t colors);

// Wraps a block allocated with room for the record in front (see decode_jpeg).
VokImgBlock* adopt_block(unsigned char* base, size_t size);

// A BMP file's bytes as a packed bitmap (40-byte header, bottom-up), or null.
VokImgBlock* bmp_from_bytes(const unsigned char* file, size_t size);

// The BMP file of a packed bitmap.
bool bmp_file_bytes(const VokImgBlock* dib, Bytes* out);

// ---- Window responsiveness ----

// Called after each row of a long loop: in a Qt application's thread its pending events are
// processed. False when the application asked to quit, which ends the loop (the request is
// posted again for the application).
bool row_done();

// ---- Codec ----

// "HxV,HxV,HxV" into three factor pairs (1..4 each).
bool parse_sampling(const char* text, int h[3], int v[3]);

// The camera's sampling text.
constexpr const char* kCameraSampling = "2x1,1x1,1x1";
constexpr int kCameraQuality = 75;

// A 24-bit bitmap compressed at quality with the sampling text.
bool encode_dib(const DibView& view24, int quality, const char* sampling, Bytes* out);

// A JPEG in memory decoded to a bitmap (colors 0: 24-bit), or null.
VokImgBlock* decode_jpeg(const unsigned char* data, size_t size, int colors);

// A JPEG in memory decoded to a 24-bit bitmap at the smallest of libjpeg's scales (1/8, 1/4,
// 1/2, 1) that still gives at least minWidth x minHeight pixels, or null: the source of
// thumbnails and previews, which are resampled to their own size afterwards.
VokImgBlock* decode_jpeg_at_least(const unsigned char* data, size_t size, uint32_t minWidth,
                                  uint32_t minHeight);

// The whole file, refused beyond limit bytes.
bool read_whole_file(const char* path, Bytes* out, uint64_t limit = 512u << 20);

// ---- JPEG streams ----

// SOI, one DQT and one DHT holding every table before the first scan, other segments
// unchanged, no APPn or COM, then everything from the scan through EOI. False without
// SOI or EOI, or when the merged tables do not fit one segment.
bool strip_jpeg(const unsigned char* data, size_t size, Bytes* out);

// 1 when the sampling suits the camera: component 1 2x1 or 2x2, components 2 and 3 1x1.
bool camera_sampling(const JpegFrameInfo& frame, bool requireThree);

// ---- Directories (Exif APP1 and TIFF headers) ----

// The Exif template with overrides applied; false for an override the writer cannot lay
// out (unknown type, too long).
bool exif_entries(const ExifTagEntry* overrides, uint32_t count, std::vector<ExifTagEntry>* out);

// The Exif APP1 block (marker through directory 1's value area) for the entries, with
// the segment length counting thumbnailSize more bytes.
bool build_exif_block(const std::vector<ExifTagEntry>& entries, uint32_t thumbnailSize,
                      Bytes* block);

// The TIFF header (directories, value areas) for a width x height RGB strip that follows
// it; now is the DateTime text.
bool build_tiff_header(const ExifTagEntry* overrides, uint32_t count, uint32_t width,
                       uint32_t height, const char* now, Bytes* header);

// Size of the block that build_exif_block would write.
uint32_t exif_block_size(const std::vector<ExifTagEntry>& entries);

// The thumbnail of a width x height picture, resampled from view24 (the picture itself, or a
// scaled decoding of it at least the thumbnail's size), stripped, no larger than budget; false
// when it cannot be made (resampling ended, codec error, budget unreachable).
bool make_thumbnail(const DibView& view24, uint32_t width, uint32_t height, uint32_t budget,
                    Bytes* thumb);

// Bilinear resampling of a 24-bit view into dst (24-bit) at (left, top) with size w x h.
// false when a quit request ended it early (the rest stays black).
bool resample_into(const DibView& src, VokImgBlock* dst, uint32_t left, uint32_t top, uint32_t w,
                   uint32_t h);

// Thumbnail size for a W x H picture within 160 x 120.
void thumbnail_size(uint32_t width, uint32_t height, uint32_t* w, uint32_t* h);

// Size CreateAdjustSizeToDSC gives, before and after the rounding.
void adjust_size(uint32_t width, uint32_t height, uint32_t maxWidth, uint32_t maxHeight,
                 uint32_t* w, uint32_t* h, uint32_t* roundedW, uint32_t* roundedH);

// ---- Files ----

// The temporary folder: TMPDIR when set, else /tmp (what QDir::tempPath gives).
std::string temp_folder();

// Replaces path with the bytes: written to a new file beside it, flushed, then renamed
// over it, so that path is never half-written. The old file's mode is kept.
bool replace_file(const char* path, const unsigned char* data, size_t size);

// Whether size bytes fit on path's file system (see CheckDiskFreeSpace).
bool space_for(const char* path, uint64_t size);

// SOI, the patched Exif block, the thumbnail and the main image after its SOI, written
// over dst with backup and space check (camera conversions).
int save_camera_file(const char* dst, const Bytes& block, const Bytes& thumb, Bytes main,
                     bool withBackup);

// ---- Preview and information dialog ----

enum class PreviewKind { None, Jpeg, Bmp, Avi, QuickTime, Tiff };

// The kind by leading bytes (and, for JPEG, an end marker near the end of the file).
PreviewKind preview_kind(const char* path);

// Where a width x height picture is drawn in rect: the rectangle less 10 pixels in each
// direction, aspect kept, centred.
VokRect preview_target(uint32_t width, uint32_t height, const VokRect& rect);

// The dialog's eight field texts (file name, location, manufacturer, model, created,
// modified, width, height); false when the file's information cannot be read.
bool exif_dialog_fields(const char* path, std::string fields[8]);

// The dialog's title, eight labels and button text in the user's language.
const char* const* exif_dialog_labels();

// ---- Messages ----

// Before a library box is shown: the arrow cursor and the owner raised, where Qt runs.
void prepare_box(VokOwner owner);

enum LibraryText {
    kTextCannotOpen = 1,
    kTextReadFailed = 2,
    kTextWriteFailed = 3,
    kTextNotJpeg = 4,
    kTextNoFile = 5,
    kTextBitmapFailed = 6,
    kTextJpegFailed = 7,
    kTextBmpAlloc = 8,
    kTextUnexpected = 9,
    kTextExifFailed = 12,
    kTextThumbnailFailed = 13,
    kTextTagMissing = 14,
};

// Shows the text when a host registered an owner and caption; silent otherwise.
void show_library_error(int number);

// Runs an exported operation's body: memory that cannot be allocated fails it with the
// given result instead of leaving through the C interface.
template <class Result, class Body> Result guarded(Result failed, Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        show_library_error(kTextUnexpected);
        return failed;
    }
}

} // namespace vokimg

#endif
