/* Tests of the thumbnail pixel arithmetic: fitting into the area, bilinear values on tiny known
 * images, the fixed palette, both dither matrices and the mapping for a 256-colour display. */
#include "ThumbRender.h"

#include <gtest/gtest.h>

#include <set>

using namespace vokthumb;

namespace {

// The thresholds, written out a second time so that a slip in either copy shows.
const int kA[8][8] = {{0, 18, 4, 23, 1, 19, 5, 24}, {27, 9, 32, 13, 28, 10, 33, 15},
                      {6, 25, 2, 20, 8, 26, 3, 21}, {34, 16, 30, 11, 35, 17, 31, 12},
                      {1, 20, 6, 24, 0, 19, 5, 23}, {29, 10, 34, 15, 28, 9, 32, 14},
                      {8, 27, 4, 22, 7, 26, 2, 21}, {36, 17, 31, 13, 35, 16, 30, 12}};
const int kB[8][8] = {{0, 42, 10, 53, 2, 45, 13, 55}, {63, 21, 74, 31, 66, 23, 77, 34},
                      {15, 58, 5, 47, 18, 61, 7, 50}, {79, 37, 69, 26, 82, 39, 71, 29},
                      {3, 46, 14, 57, 1, 43, 11, 54}, {67, 25, 78, 35, 65, 22, 75, 33},
                      {19, 62, 9, 51, 17, 59, 6, 49}, {83, 41, 73, 30, 81, 38, 70, 27}};

// A w x h image whose stored rows (bottom first) are given as grey values; red stays 10 and
// green is 255 minus the value, so each channel is checked on its own.
Rgb24Image Grey(int w, int h, const std::vector<int>& values) {
    Rgb24Image image;
    image.width = w;
    image.height = h;
    image.bits.assign(image.Stride() * static_cast<std::size_t>(h), 0xEE);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = &image.bits[static_cast<std::size_t>(y) * image.Stride() + 3 * x];
            const int v = values[static_cast<std::size_t>(y * w + x)];
            p[0] = static_cast<std::uint8_t>(v);
            p[1] = static_cast<std::uint8_t>(255 - v);
            p[2] = 10;
        }
    return image;
}

int Blue(const Rgb24Image& image, int x, int y) {
    return image.bits[static_cast<std::size_t>(y) * image.Stride() + 3 * x];
}
int Green(const Rgb24Image& image, int x, int y) {
    return image.bits[static_cast<std::size_t>(y) * image.Stride() + 3 * x + 1];
}
int Red(const Rgb24Image& image, int x, int y) {
    return image.bits[static_cast<std::size_t>(y) * image.Stride() + 3 * x + 2];
}

TEST(ThumbFit, DesignCases) {
    auto fit = [](int w, int h, int W, int H) {
        const Size s = FitToArea(w, h, W, H);
        return std::make_pair(s.width, s.height);
    };
    EXPECT_EQ(fit(80, 75, 80, 75), std::make_pair(80, 75)) << "exact size stays";
    EXPECT_EQ(fit(50, 40, 80, 75), std::make_pair(50, 40)) << "a small image is not enlarged";
    EXPECT_EQ(fit(160, 120, 80, 75), std::make_pair(80, 60));
    EXPECT_EQ(fit(120, 160, 80, 75), std::make_pair(56, 75));
    EXPECT_EQ(fit(100, 100, 80, 75), std::make_pair(75, 75));
    // Only the other dimension exceeds.
    EXPECT_EQ(fit(70, 68, 80, 50), std::make_pair(51, 50));
    EXPECT_EQ(fit(90, 100, 80, 120), std::make_pair(80, 88));
}

TEST(ThumbFit, ResultAlwaysInsideTheArea) {
    // Width-first would give 80 x 72 here; the height decides instead.
    EXPECT_EQ(FitToArea(100, 90, 80, 60).width, 66);
    EXPECT_EQ(FitToArea(100, 90, 80, 60).height, 60);
    EXPECT_EQ(FitToArea(1000, 1, 80, 75).height, 1) << "never zero rows";
    EXPECT_EQ(FitToArea(1, 1000, 80, 75).width, 1);
    EXPECT_EQ(FitToArea(160, 120, 0, 75).width, 0);
    EXPECT_EQ(FitToArea(0, 120, 80, 75).width, 0);
    for (int w = 1; w <= 300; w += 7)
        for (int h = 1; h <= 300; h += 11)
            for (auto area :
                 {std::make_pair(80, 75), std::make_pair(64, 48), std::make_pair(30, 90)}) {
                const Size s = FitToArea(w, h, area.first, area.second);
                EXPECT_GE(s.width, 1);
                EXPECT_GE(s.height, 1);
                EXPECT_LE(s.width, area.first) << w << "x" << h;
                EXPECT_LE(s.height, area.second) << w << "x" << h;
            }
}

TEST(ThumbResample, TwoByTwoIntoFourByFour) {
    const Rgb24Image source = Grey(2, 2, {0, 100, 200, 50});
    const Rgb24Image out = ResampleBilinear(source, 4, 4);
    ASSERT_EQ(out.width, 4);
    ASSERT_EQ(out.height, 4);
    ASSERT_EQ(out.bits.size(), 4u * 12u);
    const int expected[4][4] = {
        {0, 50, 100, 100}, {100, 87, 75, 75}, {200, 125, 50, 50}, {200, 125, 50, 50}};
    const int expectedGreen[4][4] = {
        {255, 205, 155, 155}, {155, 167, 180, 180}, {55, 130, 205, 205}, {55, 130, 205, 205}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(Blue(out, x, y), expected[y][x]) << x << "," << y;
            EXPECT_EQ(Green(out, x, y), expectedGreen[y][x]) << x << "," << y;
            EXPECT_EQ(Red(out, x, y), 10);
        }
}

TEST(ThumbResample, DownscaleAndOddWidths) {
    std::vector<int> values(16);
    for (int i = 0; i < 16; ++i)
        values[static_cast<std::size_t>(i)] = i * 10;
    const Rgb24Image out = ResampleBilinear(Grey(4, 4, values), 2, 2);
    EXPECT_EQ(Blue(out, 0, 0), 0);
    EXPECT_EQ(Blue(out, 1, 0), 20);
    EXPECT_EQ(Blue(out, 0, 1), 80) << "stored row 2 of the source";
    EXPECT_EQ(Blue(out, 1, 1), 100);

    // 3 -> 2 columns: the second column samples halfway between source columns 1 and 2.
    const Rgb24Image narrow = ResampleBilinear(Grey(3, 1, {10, 20, 41}), 2, 1);
    EXPECT_EQ(narrow.Stride(), 8u);
    EXPECT_EQ(Blue(narrow, 0, 0), 10);
    EXPECT_EQ(Blue(narrow, 1, 0), 30) << "(20 + 41) / 2 truncated";
    EXPECT_EQ(narrow.bits[6], 0) << "padding stays zero";

    const Rgb24Image same = ResampleBilinear(Grey(3, 2, {1, 2, 3, 4, 5, 6}), 3, 2);
    EXPECT_EQ(Blue(same, 2, 1), 6);
    EXPECT_TRUE(ResampleBilinear(Rgb24Image(), 4, 4).bits.empty());
    Rgb24Image broken = Grey(4, 4, values);
    broken.bits.resize(10);
    EXPECT_TRUE(ResampleBilinear(broken, 2, 2).bits.empty()) << "short pixel block refused";
}

TEST(ThumbPalette, FixedEntries) {
    LogPalette palette;
    FillFixedPalette(&palette);
    EXPECT_EQ(palette.version, 0x300);
    EXPECT_EQ(palette.count, 256);
    const int l8[8] = {0, 36, 73, 109, 146, 182, 219, 255};
    const int l4[4] = {0, 85, 170, 255};
    for (int r = 0; r < 8; ++r)
        for (int g = 0; g < 8; ++g)
            for (int b = 0; b < 4; ++b) {
                const PaletteEntry& e = palette.entries[r * 32 + g * 4 + b];
                EXPECT_EQ(e.red, l8[r]);
                EXPECT_EQ(e.green, l8[g]);
                EXPECT_EQ(e.blue, l4[b]);
                EXPECT_EQ(e.flags, 0);
            }
}

TEST(ThumbDither, ThresholdsOfBothMatrices) {
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            // In the band 36..72 the level rises to 2 just above 36 + threshold.
            const int t = kA[y][x];
            EXPECT_EQ(DitherLevel8(36 + t, y, x), 1) << y << "," << x;
            if (37 + t <= 72) {
                EXPECT_EQ(DitherLevel8(37 + t, y, x), 2) << y << "," << x;
            }
            // The pattern repeats every 8 rows and columns.
            EXPECT_EQ(DitherLevel8(36 + t, y + 8, x + 16), 1);
            const int u = kB[y][x];
            EXPECT_EQ(DitherLevel4(85 + u, y, x), 1) << y << "," << x;
            EXPECT_EQ(DitherLevel4(86 + u, y, x), 2) << y << "," << x;
        }
}

TEST(ThumbDither, MidGreyAndExtremes) {
    std::set<int> redGreen, blue;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            redGreen.insert(DitherLevel8(128, y, x));
            blue.insert(DitherLevel4(128, y, x));
            EXPECT_EQ(DitherLevel8(255, y, x), 7);
            EXPECT_EQ(DitherLevel4(255, y, x), 3);
            EXPECT_EQ(DitherLevel8(0, y, x), 0);
            EXPECT_EQ(DitherLevel4(0, y, x), 0);
            EXPECT_EQ(DitherIndex(255, 255, 255, y, x), 255);
        }
    EXPECT_EQ(redGreen, (std::set<int>{3, 4}));
    EXPECT_EQ(blue, (std::set<int>{1, 2}));
    // 128 > 109 + 18 at row 0, column 1; not above 109 + 23 at column 3.
    EXPECT_EQ(DitherIndex(128, 128, 128, 0, 1), 4 * 32 + 4 * 4 + 2);
    EXPECT_EQ(DitherIndex(128, 128, 128, 0, 3), 3 * 32 + 3 * 4 + 1);
}

TEST(ThumbDither, DisplayDepthChoosesTheForm) {
    const Rgb24Image image = Grey(3, 2, {128, 128, 128, 255, 255, 255});
    const ThumbBitmap deep = ForDisplayDepth(image, 16);
    EXPECT_EQ(deep.bitsPerPixel, 24);
    EXPECT_EQ(deep.bits, image.bits);
    const ThumbBitmap mapped = ForDisplayDepth(image, 15);
    ASSERT_EQ(mapped.bitsPerPixel, 8);
    EXPECT_EQ(mapped.Stride(), 4u);
    ASSERT_EQ(mapped.bits.size(), 8u);
    for (int x = 0; x < 3; ++x) {
        // stored row 0: blue 128, green 127, red 10
        EXPECT_EQ(mapped.bits[static_cast<std::size_t>(x)], DitherIndex(10, 127, 128, 0, x));
        // stored row 1: blue 255, green 0, red 10
        EXPECT_EQ(mapped.bits[4u + static_cast<std::size_t>(x)], DitherIndex(10, 0, 255, 1, x));
    }
    EXPECT_EQ(ForDisplayDepth(image, 8).bitsPerPixel, 8);
}

} // namespace
