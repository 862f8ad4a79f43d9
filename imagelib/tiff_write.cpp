/* TIFF files from bitmaps (VokImg_Tiff_CreateTiffAndSave): the 20-entry tag template,
 * then the pixels as one strip of top-down RGB rows without filler bytes. */
#include "img_internal.h"
#include "img_write.h"

#include <cstring>

using namespace vokimg;

static int VokImg_Tiff_CreateTiffAndSave_body(const VokImgBlock* dib, const char* path,
                                              const ExifTagEntry* overrides, uint32_t count) {
    DibView view;
    if (!path || !*path || !dib_view(dib, &view)) {
        show_library_error(kTextBitmapFailed);
        return 0;
    }
    VokImgBlock* converted = nullptr;
    if (!view_as_24(&view, &converted)) {
        show_library_error(kTextBitmapFailed);
        return 0;
    }
    char now[32];
    GetTodayTime(now, sizeof now);
    Bytes file;
    bool ok = build_tiff_header(overrides, count, view.width, view.height, now, &file);
    if (ok) {
        size_t header = file.size();
        size_t rowBytes = size_t(view.width) * 3;
        file.resize(header + rowBytes * view.height);
        for (uint32_t y = 0; ok && y < view.height; ++y) {
            const unsigned char* in = view.row(y);
            unsigned char* out = file.data() + header + rowBytes * y;
            for (uint32_t x = 0; x < view.width; ++x) {
                out[3 * x] = in[3 * x + 2];
                out[3 * x + 1] = in[3 * x + 1];
                out[3 * x + 2] = in[3 * x];
            }
            // A quit request abandons the file rather than writing a partial picture.
            ok = row_done();
        }
    }
    VokImg_FreeBlock(converted);
    if (!ok) {
        show_library_error(kTextUnexpected);
        return 0;
    }
    if (!replace_file(path, file.data(), file.size())) {
        show_library_error(kTextWriteFailed);
        return 0;
    }
    return 1;
}

VOK_EXTERN_C int VokImg_Tiff_CreateTiffAndSave(const VokImgBlock* dib, const char* path,
                                               const ExifTagEntry* overrides, uint32_t count) {
    return guarded(0,
                   [&] { return VokImg_Tiff_CreateTiffAndSave_body(dib, path, overrides, count); });
}
