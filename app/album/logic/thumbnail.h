/* Album thumbnails: the 96 x 72 fit, the stored 24-bit thumbnail (direct subsampling of 8- and
 * 24-bit pictures, a drawn 96 x 72 picture for any other depth), the display thumbnail centred
 * on the button-face colour, and thumbnails made straight from image files. */
#ifndef QUBEX_ALBUM_THUMBNAIL_H
#define QUBEX_ALBUM_THUMBNAIL_H

#include <cstdint>
#include <functional>

#include "album_messages.h"

namespace qubex::album {

constexpr uint32_t kThumbWidth = 96;
constexpr uint32_t kThumbHeight = 72;

struct Size {
    uint32_t width = 0;
    uint32_t height = 0;
    bool operator==(const Size& o) const { return width == o.width && height == o.height; }
};

/* A colour as the platform gives it. */
struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

/* The fitted size of a width x height picture inside 96 x 72, aspect kept with integer
 * division; never below one pixel. */
Size FitThumbnail(uint32_t width, uint32_t height);

/* The stored thumbnail of a picture (a packed bitmap of any depth). fullWidth and fullHeight,
 * when not 0, are the size of the picture that bitmap was scaled down from: the fit is made for
 * it and the bitmap subsampled. 8- and 24-bit pictures give a 24-bit bitmap of the fitted size;
 * others a 96 x 72 one with the picture centred on background. 91 for a bitmap that cannot be
 * read, 51 for memory. */
image::DibResult MakeStoredThumbnail(const Dib& picture, Rgb background, uint32_t fullWidth = 0,
                                     uint32_t fullHeight = 0);

/* The 96 x 72 24-bit bitmap that the album shows: background, and the stored thumbnail
 * stretched to its fitted size in the middle. Empty when the thumbnail cannot be read. */
Dib MakeDisplayThumbnail(const Dib& stored, Rgb background);

/* Width and rows of a packed bitmap; 0 x 0 when it has no readable header. */
Size BitmapSize(const Dib& dib);

/* Pixel (x, y) of a 24-bit bitmap made here, counted from the top: red, green, blue. */
Rgb ThumbnailPixel(const Dib& dib, uint32_t x, uint32_t y);

/* Decoders the album logic does not own: the image library's scaled JPEG decoding and the
 * movie reader. */
struct PictureSources {
    /* The JPEG at libjpeg's smallest scale still covering minWidth x minHeight, as a 24-bit
     * packed bitmap, with the picture's full size; empty on any failure. */
    std::function<Dib(const char* path, uint32_t minWidth, uint32_t minHeight, uint32_t* width,
                      uint32_t* height)>
        jpegScaled;
    /* Whether the file is a movie; asked before the type detection, whose JPEG test finds a
     * start mark inside a Motion-JPEG movie. */
    std::function<bool(const char* path)> isMovie;
    /* The movie's first picture as a packed bitmap; empty when there is none. */
    std::function<Dib(const char* path)> movieFirstPicture;
};

/* The stored thumbnail of an image file by its type: BMP and TIFF through the program's
 * readers, JPEG through the scaled decoding, a movie from its first picture. 40 missing, 46 a
 * file of another type (albums, calendars, unknown files, movies without a movie reader), 91
 * a JPEG or movie that gives no picture, or the reader's refusal. */
image::DibResult ThumbnailFromFile(const char* path, const PictureSources& sources, Rgb background);

} // namespace qubex::album

#endif
