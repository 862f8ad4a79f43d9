/* The pixel arithmetic of thumbnail rendering: fitting into the area, bilinear resampling and
 * the fixed palette with ordered dithering. Integer and real arithmetic follow the renderer's
 * rules exactly, so a thumbnail looks the same on every machine. */
#include "ThumbRender.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

namespace vokthumb {

namespace {

// Thresholds for the 8-level channels (red, green), indexed [row mod 8][column mod 8].
const int kMatrixA[8][8] = {
    {0, 18, 4, 23, 1, 19, 5, 24}, {27, 9, 32, 13, 28, 10, 33, 15},
    {6, 25, 2, 20, 8, 26, 3, 21}, {34, 16, 30, 11, 35, 17, 31, 12},
    {1, 20, 6, 24, 0, 19, 5, 23}, {29, 10, 34, 15, 28, 9, 32, 14},
    {8, 27, 4, 22, 7, 26, 2, 21}, {36, 17, 31, 13, 35, 16, 30, 12},
};

// Thresholds for the 4-level channel (blue).
const int kMatrixB[8][8] = {
    {0, 42, 10, 53, 2, 45, 13, 55}, {63, 21, 74, 31, 66, 23, 77, 34},
    {15, 58, 5, 47, 18, 61, 7, 50}, {79, 37, 69, 26, 82, 39, 71, 29},
    {3, 46, 14, 57, 1, 43, 11, 54}, {67, 25, 78, 35, 65, 22, 75, 33},
    {19, 62, 9, 51, 17, 59, 6, 49}, {83, 41, 73, 30, 81, 38, 70, 27},
};

const int kLevels8[8] = {0, 36, 73, 109, 146, 182, 219, 255};
const int kLevels4[4] = {0, 85, 170, 255};

int DitherAgainst(int value, const int* bounds, int bandCount, int threshold) {
    int band = 0;
    while (band + 1 < bandCount && bounds[band + 1] <= value)
        ++band;
    return value > bounds[band] + threshold ? band + 1 : band;
}

} // namespace

Size FitToArea(int w, int h, int areaW, int areaH) {
    if (w <= 0 || h <= 0 || areaW <= 0 || areaH <= 0)
        return {};
    if (w <= areaW && h <= areaH)
        return {w, h};
    // 64-bit products: the integer divisions stay exact for any int sizes.
    const auto byWidth = [&] { return Size{areaW, static_cast<int>(std::int64_t{areaW} * h / w)}; };
    const auto byHeight = [&] {
        return Size{static_cast<int>(std::int64_t{areaH} * w / h), areaH};
    };
    Size target;
    if (w > h && w > areaW)
        target = byWidth();
    else if (w <= h && h > areaH)
        target = byHeight();
    else if (w > areaW)
        target = byWidth();
    else
        target = byHeight();
    // Fitting by one edge can leave the other one outside an area of another shape
    // (100 x 90 into 80 x 60 would give 80 x 72); that other edge decides then.
    if (target.height > areaH)
        target = byHeight();
    else if (target.width > areaW)
        target = byWidth();
    target.width = std::max(target.width, 1);
    target.height = std::max(target.height, 1);
    return target;
}

Rgb24Image ResampleBilinear(const Rgb24Image& source, int width, int height) {
    Rgb24Image target;
    if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0 ||
        source.bits.size() < source.Stride() * static_cast<std::size_t>(source.height))
        return target;
    target.width = width;
    target.height = height;
    target.bits.assign(target.Stride() * static_cast<std::size_t>(height), 0);
    const std::size_t srcStride = source.Stride();
    const int w = source.width;
    const int h = source.height;
    for (int y = 0; y < height; ++y) {
        const double sy = static_cast<double>(y) * h / height;
        const int iy = static_cast<int>(sy);
        const double fy = sy - iy;
        const int iy1 = iy + 1 < h ? iy + 1 : iy;
        const std::uint8_t* row0 = &source.bits[static_cast<std::size_t>(iy) * srcStride];
        const std::uint8_t* row1 = &source.bits[static_cast<std::size_t>(iy1) * srcStride];
        std::uint8_t* out = &target.bits[static_cast<std::size_t>(y) * target.Stride()];
        for (int x = 0; x < width; ++x) {
            const double sx = static_cast<double>(x) * w / width;
            const int ix = static_cast<int>(sx);
            const double fx = sx - ix;
            const int ix1 = ix + 1 < w ? ix + 1 : ix;
            assert(ix < w && iy < h);
            for (int c = 0; c < 3; ++c) {
                const double v00 = row0[3 * ix + c];
                const double v10 = row0[3 * ix1 + c];
                const double v01 = row1[3 * ix + c];
                const double v11 = row1[3 * ix1 + c];
                const double v =
                    (1 - fy) * ((1 - fx) * v00 + fx * v10) + fy * ((1 - fx) * v01 + fx * v11);
                out[3 * x + c] = static_cast<std::uint8_t>(v);
            }
        }
    }
    return target;
}

void FillFixedPalette(LogPalette* palette) {
    palette->version = 0x300;
    palette->count = 256;
    for (int r = 0; r < 8; ++r)
        for (int g = 0; g < 8; ++g)
            for (int b = 0; b < 4; ++b) {
                PaletteEntry& e = palette->entries[r * 32 + g * 4 + b];
                e.red = static_cast<std::uint8_t>(kLevels8[r]);
                e.green = static_cast<std::uint8_t>(kLevels8[g]);
                e.blue = static_cast<std::uint8_t>(kLevels4[b]);
                e.flags = 0;
            }
}

int DitherLevel8(int value, int y, int x) {
    if (value >= 255)
        return 7;
    return DitherAgainst(std::max(value, 0), kLevels8, 7, kMatrixA[y & 7][x & 7]);
}

int DitherLevel4(int value, int y, int x) {
    if (value >= 255)
        return 3;
    return DitherAgainst(std::max(value, 0), kLevels4, 3, kMatrixB[y & 7][x & 7]);
}

std::uint8_t DitherIndex(int red, int green, int blue, int y, int x) {
    return static_cast<std::uint8_t>(DitherLevel8(red, y, x) * 32 + DitherLevel8(green, y, x) * 4 +
                                     DitherLevel4(blue, y, x));
}

ThumbBitmap ForDisplayDepth(const Rgb24Image& image, int depth) {
    ThumbBitmap result;
    result.width = image.width;
    result.height = image.height;
    if (depth > 15) {
        result.bitsPerPixel = 24;
        result.bits = image.bits;
        return result;
    }
    result.bitsPerPixel = 8;
    result.bits.assign(result.Stride() * static_cast<std::size_t>(image.height), 0);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* in = &image.bits[static_cast<std::size_t>(y) * image.Stride()];
        std::uint8_t* out = &result.bits[static_cast<std::size_t>(y) * result.Stride()];
        for (int x = 0; x < image.width; ++x)
            out[x] = DitherIndex(in[3 * x + 2], in[3 * x + 1], in[3 * x], y, x);
    }
    return result;
}

} // namespace vokthumb
