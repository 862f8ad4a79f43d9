/* Thumbnail rendering of the connection library: a camera thumbnail (a small JPEG file) becomes
 * a bitmap that fits a grid button's thumbnail area, through a temporary bitmap file, bilinear
 * resampling and, on displays of 15 bits or fewer, the fixed 256-colour palette with ordered
 * dithering. Plain functions; ThumbQt.h turns the result into Qt images. */
#ifndef VOK_THUMB_RENDER_H
#define VOK_THUMB_RENDER_H

#include "VokPlatform.h"
#include "vok_dib.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vokthumb {

/* Largest image the renderer accepts (a thumbnail is far smaller). */
constexpr std::uint64_t kMaxPixels = 4096ull * 4096ull;

/* Bytes of one stored row: rows are padded to a multiple of 4 bytes. */
inline std::size_t RowStride(int width, int bitsPerPixel) {
    return vokc::DibStride(static_cast<std::uint32_t>(width),
                           static_cast<std::uint32_t>(bitsPerPixel));
}

/* A 24-bit image in bitmap layout: rows in stored order (bottom row first), blue, green, red
 * per pixel, rows padded to 4 bytes. */
struct Rgb24Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bits;
    std::size_t Stride() const { return RowStride(width, 24); }
};

/* The rendered thumbnail: 24 bits per pixel as above, or 8 bits per pixel holding indices of
 * the fixed palette (rows also bottom-up and padded). */
struct ThumbBitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 24;
    std::vector<std::uint8_t> bits;
    std::size_t Stride() const { return RowStride(width, bitsPerPixel); }
};

struct Size {
    int width = 0;
    int height = 0;
};

/* The target size of a w x h image in a W x H area, keeping proportions with integer
 * arithmetic; an image that fits is kept at its size. */
Size FitToArea(int width, int height, int areaWidth, int areaHeight);

/* Bilinear resampling to width x height; rows are counted in stored order. */
Rgb24Image ResampleBilinear(const Rgb24Image& source, int width, int height);

/* The fixed palette as a logical palette: version 0x300, 256 entries; entry r*32 + g*4 + b. */
struct PaletteEntry {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t flags;
};
struct LogPalette {
    std::uint16_t version;
    std::uint16_t count;
    PaletteEntry entries[256];
};
void FillFixedPalette(LogPalette* palette);

/* Ordered dithering of one channel value at stored row y and column x: the level of an
 * 8-level channel (red, green: 0..7) and of the 4-level channel (blue: 0..3). */
int DitherLevel8(int value, int y, int x);
int DitherLevel4(int value, int y, int x);

/* The palette index of a pixel at stored row y and column x. */
std::uint8_t DitherIndex(int red, int green, int blue, int y, int x);

/* The image for a display of depth bits per pixel: kept at 24 bits above 15, else mapped
 * onto the fixed palette. */
ThumbBitmap ForDisplayDepth(const Rgb24Image& image, int depth);

/* ---- Bitmap files (14-byte file header "BM", 40-byte information header, 24-bit rows) ---- */

/* Outcomes of reading a bitmap file, with the catalogue message each one shows. */
enum class BmpRead {
    Ok,
    CannotOpen, // 42 "File cannot be opened."
    ReadFailed, // 41 "Failed to read the file."
    NotBitmap,  // 52 "This BMP file cannot be allocated."
    NoMemory    // 51 "Memory cannot be allocated."
};
int MessageFor(BmpRead outcome);

/* Writes image as a bitmap file to the open descriptor; false when a write fails. */
bool WriteBmp(int fd, const Rgb24Image& image);

/* Reads a 24-bit bottom-up bitmap file; every size and offset is checked against the file. */
BmpRead ReadBmp(const std::string& path, Rgb24Image* image);

/* ReadBmp that shows the outcome's message (caption and owner as given) on failure. */
bool LoadBmp(const std::string& path, VokOwner owner, const char* caption, Rgb24Image* image);

/* Creates an empty temporary file with the prefix "VOK" in the temporary folder; returns its
 * descriptor and path, or -1. */
int CreateTempFile(std::string* path);

/* The whole rendering: decode the JPEG file into a temporary bitmap file, read it back, fit,
 * resample and adapt to the display depth. On failure shows its one message (42, 105, 41, 52
 * or 51) and returns false. Temporary files are always removed; the JPEG file is left. */
bool RenderThumbnail(const char* jpegPath, int areaWidth, int areaHeight, int displayDepth,
                     VokOwner owner, const char* caption, ThumbBitmap* result);

} // namespace vokthumb

#endif
