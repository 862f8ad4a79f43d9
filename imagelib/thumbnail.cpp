/* Sizes and resampling: the 160 x 120 Exif thumbnail, bilinear resampling, and the
 * camera's size rule (CreateAdjustSizeToDSC: width a multiple of 16, height of 8). */
#include "img_internal.h"
#include "img_write.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vokimg {
namespace {

constexpr uint32_t kThumbWidth = 160;
constexpr uint32_t kThumbHeight = 120;
constexpr int kQualityStep = 5;

uint32_t round_up(uint32_t value, uint32_t step) {
    return (value + step - 1) / step * step;
}

// A degenerate aspect ratio must still leave one row or column.
uint32_t at_least_one(uint64_t value) {
    return value == 0 ? 1 : uint32_t(value);
}

} // namespace

void thumbnail_size(uint32_t width, uint32_t height, uint32_t* w, uint32_t* h) {
    uint64_t W = width;
    uint64_t H = height;
    uint64_t tw;
    uint64_t th;
    if (H < W) {
        th = H * kThumbWidth / W;
        tw = kThumbWidth;
        if (th > kThumbHeight) {
            th = kThumbHeight;
            tw = W * kThumbHeight / H;
        }
    } else {
        tw = W * kThumbHeight / H;
        th = kThumbHeight;
        if (tw > kThumbWidth) {
            tw = kThumbWidth;
            th = H * kThumbWidth / W;
        }
    }
    *w = at_least_one(tw);
    *h = at_least_one(th);
}

void adjust_size(uint32_t width, uint32_t height, uint32_t maxWidth, uint32_t maxHeight,
                 uint32_t* w, uint32_t* h, uint32_t* roundedW, uint32_t* roundedH) {
    uint64_t W = width;
    uint64_t H = height;
    uint64_t tw = W;
    uint64_t th = H;
    if (maxWidth != 0 && maxHeight != 0) {
        if (H < W) {
            th = maxHeight;
            tw = W * maxHeight / H;
            if (tw > maxWidth) {
                tw = maxWidth;
                th = H * maxWidth / W;
            }
        } else {
            tw = maxWidth;
            th = H * maxWidth / W;
            if (th > maxHeight) {
                th = maxHeight;
                tw = W * maxHeight / H;
            }
        }
    }
    *w = at_least_one(tw);
    *h = at_least_one(th);
    *roundedW = round_up(*w, 16);
    *roundedH = round_up(*h, 8);
}

bool resample_into(const DibView& src, VokImgBlock* dst, uint32_t left, uint32_t top, uint32_t w,
                   uint32_t h) {
    ptrdiff_t stride = 0;
    unsigned char* dstTop = dib_top_row(dst, &stride);
    if (!dstTop || src.bits != 24 || w == 0 || h == 0)
        return false;
    // Column positions are the same for every row.
    std::vector<uint32_t> x0(w);
    std::vector<uint32_t> x1(w);
    std::vector<double> fx(w);
    for (uint32_t x = 0; x < w; ++x) {
        double sx = double(x) * src.width / w;
        x0[x] = std::min(uint32_t(sx), src.width - 1);
        x1[x] = std::min(x0[x] + 1, src.width - 1);
        fx[x] = sx - x0[x];
    }
    for (uint32_t y = 0; y < h; ++y) {
        double sy = double(y) * src.height / h;
        uint32_t y0 = std::min(uint32_t(sy), src.height - 1);
        uint32_t y1 = std::min(y0 + 1, src.height - 1);
        double fy = sy - y0;
        const unsigned char* r0 = src.row(y0);
        const unsigned char* r1 = src.row(y1);
        unsigned char* out = dstTop + stride * ptrdiff_t(top + y) + size_t(left) * 3;
        for (uint32_t x = 0; x < w; ++x, out += 3) {
            double w00 = (1 - fx[x]) * (1 - fy);
            double w10 = fx[x] * (1 - fy);
            double w01 = (1 - fx[x]) * fy;
            double w11 = fx[x] * fy;
            const unsigned char* p00 = r0 + 3 * x0[x];
            const unsigned char* p10 = r0 + 3 * x1[x];
            const unsigned char* p01 = r1 + 3 * x0[x];
            const unsigned char* p11 = r1 + 3 * x1[x];
            for (int c = 0; c < 3; ++c) {
                double v = p00[c] * w00 + p10[c] * w10 + p01[c] * w01 + p11[c] * w11;
                out[c] = uint8_t(std::min(v, 255.0));
            }
        }
        if (!row_done())
            return false;
    }
    return true;
}

bool make_thumbnail(const DibView& view24, uint32_t width, uint32_t height, uint32_t budget,
                    Bytes* thumb) {
    uint32_t w = 0;
    uint32_t h = 0;
    // Sized by the picture, not by the view: a scaled view's integer sizes round differently.
    thumbnail_size(width, height, &w, &h);
    VokImgBlock* canvas = dib_new(kThumbWidth, kThumbHeight, 24);
    DibView canvasView;
    bool ok = canvas &&
              resample_into(view24, canvas, (kThumbWidth - w) / 2, (kThumbHeight - h) / 2, w, h) &&
              dib_view(canvas, &canvasView);
    for (int quality = kCameraQuality; ok; quality -= kQualityStep) {
        Bytes encoded;
        ok = quality > 0 && encode_dib(canvasView, quality, kCameraSampling, &encoded) &&
             strip_jpeg(encoded.data(), encoded.size(), thumb);
        if (ok && thumb->size() <= budget)
            break;
    }
    VokImg_FreeBlock(canvas);
    return ok;
}

} // namespace vokimg

using namespace vokimg;

static VokImgBlock* CreateAdjustSizeToDSC_body(const VokImgBlock* dib, uint32_t height,
                                               uint32_t width, uint32_t maxWidth,
                                               uint32_t maxHeight) {
    DibView view;
    if (!dib_view(dib, &view) || view.width != width || view.height != height) {
        show_library_error(kTextBitmapFailed);
        return nullptr;
    }
    VokImgBlock* converted = nullptr;
    if (!view_as_24(&view, &converted))
        return nullptr;
    uint32_t w = 0, h = 0, rw = 0, rh = 0;
    adjust_size(view.width, view.height, maxWidth, maxHeight, &w, &h, &rw, &rh);
    VokImgBlock* out = dib_new(rw, rh, 24);
    bool ok = out != nullptr;
    if (ok && maxWidth != 0 && maxHeight != 0) {
        // A quit request fails the operation rather than giving a partly black picture.
        ok = resample_into(view, out, 0, 0, rw, rh);
    } else if (ok) {
        ptrdiff_t stride = 0;
        unsigned char* top = dib_top_row(out, &stride);
        uint32_t left = (rw - view.width) / 2;
        uint32_t down = (rh - view.height) / 2;
        for (uint32_t y = 0; y < view.height; ++y)
            std::memcpy(top + stride * ptrdiff_t(down + y) + size_t(left) * 3, view.row(y),
                        size_t(view.width) * 3);
    }
    VokImg_FreeBlock(converted);
    if (!ok) {
        VokImg_FreeBlock(out);
        show_library_error(kTextThumbnailFailed);
        return nullptr;
    }
    return out;
}

VOK_EXTERN_C VokImgBlock* CreateAdjustSizeToDSC(const VokImgBlock* dib, uint32_t height,
                                                uint32_t width, uint32_t maxWidth,
                                                uint32_t maxHeight) {
    return guarded<VokImgBlock*>(nullptr, [&] {
        return CreateAdjustSizeToDSC_body(dib, height, width, maxWidth, maxHeight);
    });
}
