/* Small pictures for the virtual camera: JPEG decoding and encoding through libjpeg
 * with an error boundary that ends only the current call, and box downscaling for
 * thumbnails. */
#ifndef RT70SIM_JPEG_UTIL_H
#define RT70SIM_JPEG_UTIL_H

#include "packet.h"

#include <string>

namespace rt70sim {

/* 24-bit RGB pixels, top row first. */
struct Picture {
    int width = 0;
    int height = 0;
    Bytes rgb;
};

/* Decodes a JPEG, reduced by libjpeg's scaling to roughly at least minWidth wide when
 * that is smaller than the picture; false for anything that is not a readable JPEG. */
bool decodeJpeg(const Bytes& jpeg, int minWidth, Picture* out);

/* Encodes a JPEG; h2v1 picks 2x1 chroma sampling (else 1x1); app1 (without its marker
 * and length) is written as an APP1 segment in place of the JFIF header when given. */
bool encodeJpeg(const Picture& picture, int quality, bool h2v1, const Bytes* app1, Bytes* out);

/* Shrinks to fit maxWidth x maxHeight, keeping the aspect; never enlarges. */
Picture fitInto(const Picture& picture, int maxWidth, int maxHeight);

/* A thumbnail JPEG (at most 160 x 120) of a JPEG; false when the source cannot be read. */
bool makeThumbnail(const Bytes& sourceJpeg, Bytes* thumbnail);

} // namespace rt70sim

#endif
