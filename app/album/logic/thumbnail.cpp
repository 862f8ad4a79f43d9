/* Thumbnail preparation. Every output pixel takes one source pixel (x * width / fitted width,
 * y * height / fitted height), so the cost follows the thumbnail, not the picture; only
 * run-length and bit-field pictures are expanded first, as they are for display. */
#include "thumbnail.h"

#include <sys/stat.h>

#include <cassert>
#include <cstring>

#include "bmp_reader.h"
#include "file_type.h"
#include "tiff_reader.h"
#include "album_file.h"
#include "vok_dib.h"

namespace qubex::album {
namespace {

// Read access to one checked, uncompressed bitmap of 1 to 32 bits.
struct Source {
    const Dib* dib;
    image::DibInfo info;
    const uint8_t* pixels = nullptr;
    const uint8_t* table = nullptr;

    bool open(const Dib& d) {
        dib = &d;
        if (!image::DibFacts(d, &info) || (info.compression != 0 && info.compression != 3))
            return false;
        table = d.data() + (d.size() >= 4 ? vokc::GetLe32(d.data()) : 0);
        pixels = d.data() + info.pixelOffset;
        return true;
    }
    Rgb entry(uint32_t index) const {
        if (index >= info.colors)
            return Rgb{};
        const uint8_t* q = table + 4 * size_t(index);
        return Rgb{q[2], q[1], q[0]};
    }
    const uint8_t* row(uint32_t y) const {
        return pixels + size_t(info.topDown ? y : info.height - 1 - y) * info.stride;
    }
    // Pixel (x, y) counted from the top.
    Rgb at(uint32_t x, uint32_t y) const {
        const uint8_t* r = row(y);
        switch (info.bits) {
        case 1:
            return entry((r[x / 8] >> (7 - x % 8)) & 1);
        case 4:
            return entry((r[x / 2] >> (x % 2 ? 0 : 4)) & 15);
        case 8:
            return entry(r[x]);
        case 16: {
            const uint32_t p = vokc::GetLe16(r + 2 * size_t(x));
            return Rgb{uint8_t((p >> 10 & 31) << 3), uint8_t((p >> 5 & 31) << 3),
                       uint8_t((p & 31) << 3)};
        }
        default: {
            const uint8_t* q = r + size_t(x) * (info.bits / 8);
            return Rgb{q[2], q[1], q[0]};
        }
        }
    }
};

Dib NewDib24(uint32_t width, uint32_t height) {
    const uint32_t stride = vokc::DibStride(width, 24);
    Dib dib(vokc::kDibHeaderSize + size_t(stride) * height, 0);
    vokc::DibHeader h;
    h.width = int32_t(width);
    h.height = int32_t(height);
    h.bitCount = 24;
    h.sizeImage = stride * height;
    vokc::PutDibHeader(dib.data(), h);
    return dib;
}

// Write access to a 24-bit bitmap made by NewDib24.
struct Target {
    uint8_t* pixels;
    uint32_t width;
    uint32_t height;
    uint32_t stride;
    explicit Target(Dib& dib)
        : pixels(dib.data() + vokc::kDibHeaderSize), width(vokc::GetLe32(dib.data() + 4)),
          height(vokc::GetLe32(dib.data() + 8)), stride(vokc::DibStride(width, 24)) {}
    uint8_t* row(uint32_t y) { return pixels + size_t(height - 1 - y) * stride; }
    void put(uint32_t x, uint32_t y, Rgb c) {
        uint8_t* p = row(y) + 3 * size_t(x);
        p[0] = c.blue;
        p[1] = c.green;
        p[2] = c.red;
    }
};

void Fill(Dib& dib, Rgb c) {
    Target t(dib);
    for (uint32_t y = 0; y < t.height; ++y)
        for (uint32_t x = 0; x < t.width; ++x)
            t.put(x, y, c);
}

// Colour-on-colour stretching: each target pixel takes the one source pixel it falls on.
void Stretch(const Source& s, Dib& out, uint32_t left, uint32_t top, Size to) {
    Target t(out);
    assert(left + to.width <= t.width && top + to.height <= t.height);
    if (s.info.bits == 24 && s.info.width == to.width && s.info.height == to.height) {
        // A thumbnail already of its size (every album being opened): whole rows.
        for (uint32_t y = 0; y < to.height; ++y)
            std::memcpy(t.row(top + y) + 3 * size_t(left), s.row(y), 3 * size_t(to.width));
        return;
    }
    for (uint32_t y = 0; y < to.height; ++y) {
        const uint32_t sy = uint32_t(uint64_t(y) * s.info.height / to.height);
        for (uint32_t x = 0; x < to.width; ++x) {
            const uint32_t sx = uint32_t(uint64_t(x) * s.info.width / to.width);
            t.put(left + x, top + y, s.at(sx, sy));
        }
    }
}

// Run-length and bit-field pictures in the form that can be read pixel by pixel.
const Dib* Readable(const Dib& picture, Dib* expanded) {
    image::DibInfo info;
    if (!image::DibFacts(picture, &info))
        return nullptr;
    if (info.compression == 0 || (info.compression == 3 && info.bits != 16 && info.bits != 32))
        return info.compression == 0 ? &picture : nullptr;
    *expanded = image::MakeDisplayCopy(picture);
    return expanded->empty() ? nullptr : expanded;
}

} // namespace

Size FitThumbnail(uint32_t width, uint32_t height) {
    const uint64_t w = width == 0 ? 1 : width;
    const uint64_t h = height == 0 ? 1 : height;
    Size s;
    if (h * kThumbWidth < w * kThumbHeight) {
        s.width = kThumbWidth;
        s.height = uint32_t(h * kThumbWidth / w);
    } else {
        s.height = kThumbHeight;
        s.width = uint32_t(w * kThumbHeight / h);
    }
    // A very long, thin picture still keeps one row or column.
    s.width = s.width == 0 ? 1 : s.width;
    s.height = s.height == 0 ? 1 : s.height;
    return s;
}

image::DibResult MakeStoredThumbnail(const Dib& picture, Rgb background, uint32_t fullWidth,
                                     uint32_t fullHeight) {
    image::DibResult result;
    Dib expanded;
    const Dib* readable = Readable(picture, &expanded);
    Source s;
    if (!readable || !s.open(*readable)) {
        result.message = kMsgBitmapFailed;
        return result;
    }
    const Size fit = fullWidth != 0 && fullHeight != 0 ? FitThumbnail(fullWidth, fullHeight)
                                                       : FitThumbnail(s.info.width, s.info.height);
    image::DibInfo original;
    image::DibFacts(picture, &original);
    const bool direct = (original.bits == 8 || original.bits == 24) &&
                        (original.compression == 0 || original.compression == 1);
    if (direct) {
        result.dib = NewDib24(fit.width, fit.height);
        Stretch(s, result.dib, 0, 0, fit);
    } else {
        result.dib = NewDib24(kThumbWidth, kThumbHeight);
        Fill(result.dib, background);
        Stretch(s, result.dib, (kThumbWidth - fit.width) / 2, (kThumbHeight - fit.height) / 2, fit);
    }
    return result;
}

Dib MakeDisplayThumbnail(const Dib& stored, Rgb background) {
    Dib expanded;
    const Dib* readable = Readable(stored, &expanded);
    Source s;
    if (!readable || !s.open(*readable))
        return {};
    const Size fit = FitThumbnail(s.info.width, s.info.height);
    Dib out = NewDib24(kThumbWidth, kThumbHeight);
    Fill(out, background);
    Stretch(s, out, (kThumbWidth - fit.width) / 2, (kThumbHeight - fit.height) / 2, fit);
    return out;
}

Size BitmapSize(const Dib& dib) {
    image::DibInfo info;
    if (!image::DibFacts(dib, &info))
        return Size{};
    return Size{info.width, info.height};
}

Rgb ThumbnailPixel(const Dib& dib, uint32_t x, uint32_t y) {
    Source s;
    if (!s.open(dib) || x >= s.info.width || y >= s.info.height)
        return Rgb{};
    return s.at(x, y);
}

image::DibResult ThumbnailFromFile(const char* path, const PictureSources& sources,
                                   Rgb background) {
    image::DibResult result;
    struct stat st;
    if (!path || stat(path, &st) != 0) {
        result.message = kMsgFileMissing;
        return result;
    }
    image::DibResult picture;
    uint32_t fullWidth = 0;
    uint32_t fullHeight = 0;
    image::FileTypeTests tests;
    tests.isAlbum = IsAlbumFile;
    const bool movie = sources.isMovie && sources.isMovie(path);
    switch (movie ? int(image::kTypeMovie) : image::DetectFileType(path, tests)) {
    case image::kTypeMovie:
        if (sources.movieFirstPicture)
            picture.dib = sources.movieFirstPicture(path);
        if (picture.dib.empty())
            picture.message = kMsgBitmapFailed;
        break;
    case image::kTypeBmp:
        picture = image::ReadBmpFile(path);
        break;
    case image::kTypeTiff:
        picture = image::ReadTiffFile(path);
        break;
    case image::kTypeJpeg:
        if (sources.jpegScaled)
            picture.dib =
                sources.jpegScaled(path, kThumbWidth, kThumbHeight, &fullWidth, &fullHeight);
        if (picture.dib.empty())
            picture.message = kMsgBitmapFailed;
        break;
    default:
        picture.message = kMsgExtractError;
        break;
    }
    if (!picture.ok())
        return picture;
    return MakeStoredThumbnail(picture.dib, background, fullWidth, fullHeight);
}

} // namespace qubex::album
