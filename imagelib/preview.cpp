/* The preview's decisions without a display: the kind of a file by its bytes, the file to
 * preview (a JPEG becomes a BMP), where a picture goes in a rectangle, the size of a JPEG
 * for a caller's rectangles, the reduction of a 24-bit bitmap to 256 colours, and the
 * texts of the information dialog. */
#include "img_internal.h"
#include "img_write.h"
#include "jpeg_boundary.h"

#include "VokDscMsg.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vokimg {
namespace {

constexpr size_t kJpegWindow = 2048;

bool has_pair(const unsigned char* p, size_t n, unsigned char a, unsigned char b) {
    for (size_t i = 0; i + 1 < n; ++i) {
        if (p[i] == a && p[i + 1] == b)
            return true;
    }
    return false;
}

// Reduced colour of a pixel: 4 bits of blue, 5 of green, 4 of red.
uint32_t fine_of(const unsigned char* bgr) {
    return (uint32_t(bgr[0] >> 4) << 9) | (uint32_t(bgr[1] >> 3) << 4) | uint32_t(bgr[2] >> 4);
}
uint32_t fine_blue(uint32_t f) {
    return f >> 9;
}
uint32_t fine_green(uint32_t f) {
    return (f >> 4) & 31;
}
uint32_t fine_red(uint32_t f) {
    return f & 15;
}

constexpr uint32_t kFineColours = 8192;
constexpr uint32_t kCountLimit = 65534;

} // namespace

PreviewKind preview_kind(const char* path) {
    if (!path || !*path)
        return PreviewKind::None;
    int fd = open_for_reading(path);
    if (fd < 0)
        return PreviewKind::None;
    struct stat st;
    unsigned char head[kJpegWindow] = {};
    unsigned char tail[kJpegWindow] = {};
    size_t headSize = 0;
    size_t tailSize = 0;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        ByteSource src;
        src.fd = fd;
        uint64_t size = uint64_t(st.st_size);
        headSize = source_read(src, 0, head, sizeof head);
        uint64_t tailAt = size > sizeof tail ? size - sizeof tail : 0;
        tailSize = source_read(src, tailAt, tail, sizeof tail);
    }
    close(fd);
    if (headSize >= 2 && head[0] == 'B' && head[1] == 'M')
        return PreviewKind::Bmp;
    if (headSize >= 2 && head[0] == 'M' && head[1] == 'M')
        return PreviewKind::Tiff;
    if (headSize >= 3 && head[0] == 'I' && head[1] == 'I' && head[2] == 0x2A)
        return PreviewKind::Tiff;
    if (headSize >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "AVI", 3) == 0)
        return PreviewKind::Avi;
    if (headSize >= 8 && std::memcmp(head + 4, "moov", 4) == 0)
        return PreviewKind::QuickTime;
    if (has_pair(head, headSize, 0xFF, 0xD8) && has_pair(tail, tailSize, 0xFF, 0xD9))
        return PreviewKind::Jpeg;
    return PreviewKind::None;
}

VokRect preview_target(uint32_t width, uint32_t height, const VokRect& rect) {
    VokRect out{rect.left, rect.top, rect.left, rect.top};
    int64_t areaW = int64_t(rect.right) - rect.left - 10;
    int64_t areaH = int64_t(rect.bottom) - rect.top - 10;
    if (width == 0 || height == 0 || areaW <= 0 || areaH <= 0)
        return out;
    int64_t w;
    int64_t h;
    if (height < width) {
        w = areaW;
        h = int64_t(height) * areaW / width;
    } else {
        h = areaH;
        w = int64_t(width) * areaH / height;
    }
    // The picture must fit both ways, whichever side led.
    if (h > areaH) {
        h = areaH;
        w = int64_t(width) * areaH / height;
    }
    if (w > areaW) {
        w = areaW;
        h = int64_t(height) * areaW / width;
    }
    int64_t left = rect.left + (int64_t(rect.right) - rect.left - w) / 2;
    int64_t top = rect.top + (int64_t(rect.bottom) - rect.top - h) / 2;
    out.left = int32_t(left);
    out.top = int32_t(top);
    out.right = int32_t(left + w);
    out.bottom = int32_t(top + h);
    return out;
}

bool exif_dialog_fields(const char* path, std::string fields[8]) {
    ImageInfo info;
    if (!GetExifData(path, &info))
        return false;
    char created[2 * VOK_IMG_TEXT] = "";
    char modified[2 * VOK_IMG_TEXT] = "";
    ChangeDisplayMode(info.dateTaken, created, sizeof created, 0);
    ChangeDisplayMode(info.dateChanged, modified, sizeof modified, 0);
    fields[0] = info.fileName;
    fields[1] = info.folder;
    fields[2] = info.make;
    fields[3] = info.model;
    fields[4] = created;
    fields[5] = modified;
    fields[6] = info.width ? std::to_string(info.width) : "";
    fields[7] = info.height ? std::to_string(info.height) : "";
    return true;
}

const char* const* exif_dialog_labels() {
    static const char* const kEnglish[10] = {
        "Image Information", "File Name", "Location",    "Manufacture",  "Model",
        "Created",           "Modified",  "Image Width", "Image Height", "OK"};
    static const char* const kGerman[10] = {
        "Bildinformationen", "Dateiname", "Ort",        "Hersteller", "Modell",
        "Erstellt",          "Geändert",  "Bildbreite", "Bildhöhe",   "OK"};
    static const char* const kFrench[10] = {"Informations sur l'image",
                                            "Nom du fichier",
                                            "Emplacement",
                                            "Fabricant",
                                            "Modèle",
                                            "Créé le",
                                            "Modifié le",
                                            "Largeur de l'image",
                                            "Hauteur de l'image",
                                            "OK"};
    switch (VokDsc_Msg_Language()) {
    case VOK_LANG_GERMAN:
        return kGerman;
    case VOK_LANG_FRENCH:
        return kFrench;
    default:
        return kEnglish;
    }
}

} // namespace vokimg

using namespace vokimg;

VOK_EXTERN_C int VokDIB_GetPrevFile(void* ignored, char* path, const char* tempPath) {
    (void)ignored;
    if (!path)
        return 0;
    switch (preview_kind(path)) {
    case PreviewKind::Bmp:
    case PreviewKind::Tiff:
        return 1;
    case PreviewKind::Jpeg:
        if (!tempPath || std::strlen(tempPath) >= VOK_MAX_PATH || !jpg2bmp(path, tempPath, 0))
            return 0;
        std::memmove(path, tempPath, std::strlen(tempPath) + 1);
        return 1;
    default:
        return 0;
    }
}

VOK_EXTERN_C int GetJpegRect(const char* path, VokRect* first, VokRect* second) {
    VokJpegHeader header;
    if (!path || !vok_jpeg_read_header_file(path, &header))
        return 1;
    VokRect r{0, 0, int32_t(header.width), int32_t(header.height)};
    if (first)
        *first = r;
    if (second)
        *second = r;
    return 0;
}

static VokImgBlock* VokDIB_Reduce256_body(const VokImgBlock* dib) {
    DibView view;
    if (!dib_view(dib, &view) || view.bits != 24)
        return nullptr;
    std::vector<uint32_t> counts(kFineColours, 0);
    for (uint32_t y = 0; y < view.height; ++y) {
        const unsigned char* row = view.row(y);
        for (uint32_t x = 0; x < view.width; ++x) {
            uint32_t& c = counts[fine_of(row + 3 * x)];
            if (c < kCountLimit)
                ++c;
        }
        if (!row_done())
            return nullptr;
    }
    // Seeds: the most frequent fine colour of each of the 64 coarse cells.
    std::vector<uint32_t> palette;
    std::vector<bool> chosen(kFineColours, false);
    for (uint32_t cell = 0; cell < 64; ++cell) {
        uint32_t best = kFineColours;
        for (uint32_t f = 0; f < kFineColours; ++f) {
            uint32_t coarse =
                ((fine_blue(f) >> 2) << 4) | ((fine_green(f) >> 3) << 2) | (fine_red(f) >> 2);
            if (coarse == cell && counts[f] > 0 &&
                (best == kFineColours || counts[f] > counts[best]))
                best = f;
        }
        if (best != kFineColours) {
            palette.push_back(best);
            chosen[best] = true;
        }
    }
    std::vector<uint32_t> others;
    for (uint32_t f = 0; f < kFineColours; ++f) {
        if (counts[f] > 0 && !chosen[f])
            others.push_back(f);
    }
    std::stable_sort(others.begin(), others.end(),
                     [&](uint32_t a, uint32_t b) { return counts[a] > counts[b]; });
    for (uint32_t f : others) {
        if (palette.size() >= 256)
            break;
        palette.push_back(f);
    }
    if (palette.empty())
        return nullptr;
    // Every fine colour in use goes to its nearest entry over the reduced channels.
    std::vector<uint8_t> entryOf(kFineColours, 0);
    for (uint32_t f = 0; f < kFineColours; ++f) {
        if (counts[f] == 0)
            continue;
        uint32_t best = 0;
        int bestDistance = -1;
        for (uint32_t i = 0; i < palette.size(); ++i) {
            int db = int(fine_blue(f)) - int(fine_blue(palette[i]));
            int dg = int(fine_green(f)) - int(fine_green(palette[i]));
            int dr = int(fine_red(f)) - int(fine_red(palette[i]));
            int d = db * db + dg * dg + dr * dr;
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        entryOf[f] = uint8_t(best);
    }
    VokImgBlock* out = dib_new(view.width, view.height, 8, uint32_t(palette.size()));
    if (!out)
        return nullptr;
    unsigned char* entries = out->data + kDibHeader;
    for (size_t i = 0; i < palette.size(); ++i) {
        entries[4 * i] = uint8_t(fine_blue(palette[i]) << 4);
        entries[4 * i + 1] = uint8_t(fine_green(palette[i]) << 3);
        entries[4 * i + 2] = uint8_t(fine_red(palette[i]) << 4);
    }
    ptrdiff_t stride = 0;
    unsigned char* top = dib_top_row(out, &stride);
    for (uint32_t y = 0; y < view.height; ++y) {
        const unsigned char* in = view.row(y);
        unsigned char* o = top + stride * ptrdiff_t(y);
        for (uint32_t x = 0; x < view.width; ++x)
            o[x] = entryOf[fine_of(in + 3 * x)];
    }
    return out;
}

VOK_EXTERN_C VokImgBlock* VokDIB_Reduce256(const VokImgBlock* dib) {
    return guarded<VokImgBlock*>(nullptr, [&] { return VokDIB_Reduce256_body(dib); });
}
