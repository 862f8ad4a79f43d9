/* libjpeg calls of the virtual camera, behind one error manager that jumps back to the
 * calling function, so that a broken file ends only that call. */
#include "jpeg_util.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace rt70sim {

namespace {

struct ErrorJump {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void onError(j_common_ptr info) {
    ErrorJump* e = reinterpret_cast<ErrorJump*>(info->err);
    std::longjmp(e->jump, 1);
}

void onMessage(j_common_ptr) {}

// Pictures larger than this are refused before any pixel memory is taken.
constexpr unsigned long kMaxPixels = 64ul * 1024 * 1024;

} // namespace

bool decodeJpeg(const Bytes& jpeg, int minWidth, Picture* out) {
    out->width = out->height = 0;
    out->rgb.clear();
    if (jpeg.empty())
        return false;
    jpeg_decompress_struct cinfo;
    ErrorJump err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = onError;
    err.mgr.output_message = onMessage;
    Bytes& rgb = out->rgb;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        rgb.clear();
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, const_cast<unsigned char*>(jpeg.data()),
                 static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (static_cast<unsigned long>(cinfo.image_width) * cinfo.image_height > kMaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
    while (cinfo.scale_denom < 8 &&
           static_cast<int>(cinfo.image_width / (cinfo.scale_denom * 2)) >= minWidth)
        cinfo.scale_denom *= 2;
    jpeg_start_decompress(&cinfo);
    const int w = static_cast<int>(cinfo.output_width);
    const int h = static_cast<int>(cinfo.output_height);
    rgb.assign(static_cast<size_t>(w) * h * 3, 0);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(cinfo.output_scanline) * w * 3];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    out->width = w;
    out->height = h;
    return true;
}

bool encodeJpeg(const Picture& picture, int quality, bool h2v1, const Bytes* app1, Bytes* out) {
    out->clear();
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgb.size() < static_cast<size_t>(picture.width) * picture.height * 3)
        return false;
    jpeg_compress_struct cinfo;
    ErrorJump err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = onError;
    err.mgr.output_message = onMessage;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(picture.width);
    cinfo.image_height = static_cast<JDIMENSION>(picture.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.comp_info[0].h_samp_factor = h2v1 ? 2 : 1;
    cinfo.comp_info[0].v_samp_factor = 1;
    if (app1)
        cinfo.write_JFIF_header = FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    if (app1)
        jpeg_write_marker(&cinfo, JPEG_APP0 + 1, app1->data(), static_cast<unsigned>(app1->size()));
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(
            &picture.rgb[static_cast<size_t>(cinfo.next_scanline) * picture.width * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    out->assign(buffer, buffer + size);
    std::free(buffer);
    return true;
}

Picture fitInto(const Picture& picture, int maxWidth, int maxHeight) {
    if (picture.width <= maxWidth && picture.height <= maxHeight)
        return picture;
    // Scale by the tighter side; each target pixel averages its source box.
    int w = maxWidth;
    int h = static_cast<int>(static_cast<long>(picture.height) * maxWidth / picture.width);
    if (h > maxHeight) {
        h = maxHeight;
        w = static_cast<int>(static_cast<long>(picture.width) * maxHeight / picture.height);
    }
    w = w < 1 ? 1 : w;
    h = h < 1 ? 1 : h;
    Picture out;
    out.width = w;
    out.height = h;
    out.rgb.assign(static_cast<size_t>(w) * h * 3, 0);
    for (int y = 0; y < h; ++y) {
        const int y0 = static_cast<int>(static_cast<long>(y) * picture.height / h);
        int y1 = static_cast<int>(static_cast<long>(y + 1) * picture.height / h);
        y1 = y1 > y0 ? y1 : y0 + 1;
        for (int x = 0; x < w; ++x) {
            const int x0 = static_cast<int>(static_cast<long>(x) * picture.width / w);
            int x1 = static_cast<int>(static_cast<long>(x + 1) * picture.width / w);
            x1 = x1 > x0 ? x1 : x0 + 1;
            unsigned long sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy) {
                const uint8_t* p = &picture.rgb[(static_cast<size_t>(sy) * picture.width + x0) * 3];
                for (int sx = x0; sx < x1; ++sx, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            const unsigned long count = static_cast<unsigned long>(x1 - x0) * (y1 - y0);
            uint8_t* q = &out.rgb[(static_cast<size_t>(y) * w + x) * 3];
            for (int c = 0; c < 3; ++c)
                q[c] = static_cast<uint8_t>(sum[c] / count);
        }
    }
    return out;
}

bool makeThumbnail(const Bytes& sourceJpeg, Bytes* thumbnail) {
    Picture full;
    if (!decodeJpeg(sourceJpeg, 160, &full))
        return false;
    return encodeJpeg(fitInto(full, 160, 120), 80, true, nullptr, thumbnail);
}

} // namespace rt70sim
