/* Test and benchmark files made from nothing: JPEGs from libjpeg in the usual samplings,
 * TIFF/Exif directory sets in either byte order, Exif and CIFF segments, and small edits of
 * JPEG streams (one merged Huffman segment, inserted segments). */
#ifndef VOK_IMG_TEST_BUILDERS_H
#define VOK_IMG_TEST_BUILDERS_H

#include <cstdint>
#include <string>
#include <vector>

namespace imgtest {

using Bytes = std::vector<uint8_t>;

enum class Sampling { S1x1, S2x1, S2x2, Grey };

struct JpegOptions {
    Sampling sampling = Sampling::S2x1;
    bool jfif = true; // write the JFIF APP0
    bool progressive = false;
    bool optimize = false; // image-specific Huffman tables
    int quality = 75;
};

// A width x height gradient compressed by libjpeg.
Bytes make_jpeg(int width, int height, const JpegOptions& options = {});

// The same stream with every DHT segment before the scan merged into the first one;
// reverseSymbols reverses each table's symbol list (counts stay).
Bytes merge_dht(const Bytes& jpeg, bool reverseSymbols = false);

// The stream with segment inserted right after SOI.
Bytes insert_after_soi(const Bytes& jpeg, const Bytes& segment);

// The stream without its APPn segments.
Bytes strip_app_segments(const Bytes& jpeg);

// One TIFF directory entry; numbers for SHORT/LONG (RATIONAL as numerator, denominator
// pairs), bytes for BYTE/ASCII/UNDEFINED (ASCII includes its terminator).
struct TiffEntry {
    uint16_t tag = 0;
    uint16_t type = 0;
    uint32_t count = 0;
    std::vector<uint32_t> numbers;
    std::string bytes;
};

TiffEntry ascii(uint16_t tag, const std::string& text);
TiffEntry undefined(uint16_t tag, const std::string& bytes);
TiffEntry shortv(uint16_t tag, uint16_t value);
TiffEntry longv(uint16_t tag, uint32_t value);
TiffEntry rational(uint16_t tag, uint32_t numerator, uint32_t denominator);

// Directories of a TIFF structure; the pointer tags (34665, 40965, 513/514) and the chain
// from directory 0 to directory 1 are added by build_tiff.
struct TiffPlan {
    bool bigEndian = false;
    std::vector<TiffEntry> ifd0, exif, interop, ifd1;
    bool hasExif = true;
    bool hasInterop = true;
    bool hasIfd1 = false;
    Bytes thumbnail; // placed after the directories, pointed to from directory 1
    Bytes trailer;   // bytes appended at the end (pixel data of a TIFF file)
};

struct TiffLayout {
    uint32_t ifd0 = 0, exif = 0, interop = 0, ifd1 = 0, thumbnail = 0, trailer = 0;
};

Bytes build_tiff(const TiffPlan& plan, TiffLayout* layout = nullptr);

// A typical camera Exif set: Make, Model, dates, sizes, version, interoperability.
TiffPlan camera_exif(bool bigEndian, uint32_t width, uint32_t height);

// FF E1, length, "Exif\0\0" and the TIFF bytes.
Bytes exif_app1(const Bytes& tiff);

// An APP0 segment holding a CIFF heap with the image size.
Bytes ciff_app0(uint32_t width, uint32_t height, bool bigEndian);

// A 24-bit BMP file of width x height; coreHeader writes the 12-byte header form.
Bytes make_bmp(int width, int height, bool coreHeader = false, bool topDown = false);

// A small uncompressed RGB TIFF file (StripOffsets and friends included).
Bytes make_tiff_file(bool bigEndian, uint32_t width, uint32_t height,
                     const std::vector<TiffEntry>& extra, bool withExif, bool withInterop);

bool write_file(const std::string& path, const Bytes& bytes);
Bytes read_file(const std::string& path);

} // namespace imgtest

#endif
