/* vokexif's writing commands: the camera-ready test, conversion into the camera's JPEG
 * form, JPEG to BMP, bitmaps to TIFF and JPEG, and the camera's size rule. Each runs one
 * operation of the image file library and maps its result to an exit status. */
#include "write_commands.h"

#include "VokExif.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoSpace = 3;

bool parse_number(const char* text, long low, long high, long* value) {
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high)
        return false;
    *value = v;
    return true;
}

bool parse_size(const char* text, uint32_t* width, uint32_t* height) {
    const char* x = std::strpbrk(text, "xX");
    if (!x)
        return false;
    std::string w(text, size_t(x - text));
    long wv = 0;
    long hv = 0;
    if (!parse_number(w.c_str(), 0, 65500, &wv) || !parse_number(x + 1, 0, 65500, &hv))
        return false;
    *width = uint32_t(wv);
    *height = uint32_t(hv);
    return true;
}

int usage_error(const char* message, const char* detail) {
    std::fprintf(stderr, "vokexif: %s%s%s\n", message, detail ? " " : "", detail ? detail : "");
    return kExitUsage;
}

// The Model override as the main program builds it: an even count, the text's terminator
// after an odd-length text, a blank and the terminator after an even-length one.
bool model_override(const char* text, ExifTagEntry* entry) {
    size_t length = std::strlen(text);
    size_t count = length % 2 ? length + 1 : length + 2;
    if (length == 0 || count > VOK_EXIF_TAG_BYTES)
        return false;
    char bytes[VOK_EXIF_TAG_BYTES] = {};
    std::memcpy(bytes, text, length);
    if (length % 2 == 0)
        bytes[length] = ' ';
    SetExifStructInfoMember(entry, 272, 2, uint32_t(count), 0, 0, bytes);
    return true;
}

void maker_note_override(unsigned char first, unsigned char second, ExifTagEntry* entry) {
    unsigned char bytes[6] = {'V', 'O', 'K', 'D', first, second};
    SetExifStructInfoMember(entry, 37500, 7, 6, 0, 0, bytes);
}

VokImgBlock* read_picture(const char* path) {
    int kind = IsImageFileType(path);
    if (kind == VOK_IMG_KIND_BMP)
        return VokImg_ReadBmpFile(path);
    if (kind == VOK_IMG_KIND_EXIF || kind == VOK_IMG_KIND_CIFF || kind == VOK_IMG_KIND_JPEG)
        return VokImg_Jpeg_ReadDIB(path);
    return nullptr;
}

int failed(const char* what, const char* path) {
    std::fprintf(stderr, "vokexif: %s %s\n", what, path);
    return kExitFailed;
}

} // namespace

int vokexif_camera_ready(int, char** argv) {
    std::printf("%s\n", VokImg_IsCameraReady(argv[0]) ? "yes" : "no");
    return 0;
}

int vokexif_to_camera(int argc, char** argv) {
    uint32_t maxWidth = 0;
    uint32_t maxHeight = 0;
    bool sized = false;
    const char* model = nullptr;
    long note[2] = {0, 0};
    bool haveNote = false;
    for (int i = 2; i < argc; ++i) {
        const char* option = argv[i];
        if (i + 1 >= argc)
            return usage_error("option needs a value:", option);
        const char* value = argv[++i];
        if (std::strcmp(option, "--max") == 0) {
            if (!parse_size(value, &maxWidth, &maxHeight))
                return usage_error("--max takes WxH, not", value);
            sized = true;
        } else if (std::strcmp(option, "--model") == 0) {
            model = value;
        } else if (std::strcmp(option, "--maker-note") == 0) {
            const char* comma = std::strchr(value, ',');
            std::string first = comma ? std::string(value, size_t(comma - value)) : "";
            if (!comma || !parse_number(first.c_str(), 0, 255, &note[0]) ||
                !parse_number(comma + 1, 0, 255, &note[1]))
                return usage_error("--maker-note takes two bytes B1,B2, not", value);
            haveNote = true;
        } else {
            return usage_error("unknown option", option);
        }
    }
    ExifTagEntry overrides[2];
    uint32_t count = 0;
    if (model && !model_override(model, &overrides[count++]))
        return usage_error("--model takes 1 to 31 characters, not", model);
    if (model || haveNote)
        maker_note_override(uint8_t(note[0]), uint8_t(note[1]), &overrides[count++]);
    int result = sized ? ChangeFormatToExifAndSave_Size(argv[0], argv[1], overrides, count,
                                                        maxWidth, maxHeight)
                       : ChangeFormatToExifAndSave(argv[0], argv[1], overrides, count);
    if (result == VOK_IMG_WRITTEN)
        return 0;
    if (result == VOK_IMG_NO_SPACE) {
        std::fprintf(stderr, "vokexif: not enough free space for %s\n", argv[1]);
        return kExitNoSpace;
    }
    return failed("cannot convert", argv[0]);
}

int vokexif_jpg2bmp(int argc, char** argv) {
    long colors = 0;
    if (argc == 4 && std::strcmp(argv[2], "--colors") == 0) {
        if (!parse_number(argv[3], 0, 256, &colors) || (colors > 0 && colors < 8))
            return usage_error("--colors takes 0 or 8 to 256, not", argv[3]);
    } else if (argc != 2) {
        return usage_error("usage: vokexif jpg2bmp SRC DST [--colors N]", nullptr);
    }
    return jpg2bmp(argv[0], argv[1], int(colors)) ? 0 : failed("cannot decode", argv[0]);
}

int vokexif_to_tiff(int, char** argv) {
    VokImgBlock* dib = read_picture(argv[0]);
    if (!dib)
        return failed("cannot read a BMP or JPEG picture from", argv[0]);
    int ok = VokImg_Tiff_CreateTiffAndSave(dib, argv[1], nullptr, 0);
    VokImg_FreeBlock(dib);
    return ok ? 0 : failed("cannot write", argv[1]);
}

int vokexif_to_jpeg(int, char** argv) {
    VokImgBlock* dib = VokImg_ReadBmpFile(argv[0]);
    if (!dib)
        return failed("cannot read the BMP file", argv[0]);
    int ok = VokImg_Jpeg_CreateAndSaveFromDIB(dib, argv[1], nullptr, 0, 0);
    VokImg_FreeBlock(dib);
    return ok ? 0 : failed("cannot write", argv[1]);
}

int vokexif_fit(int, char** argv) {
    uint32_t maxWidth = 0;
    uint32_t maxHeight = 0;
    if (!parse_size(argv[2], &maxWidth, &maxHeight))
        return usage_error("size must be WxH, not", argv[2]);
    VokImgBlock* dib = VokImg_ReadBmpFile(argv[0]);
    if (!dib)
        return failed("cannot read the BMP file", argv[0]);
    uint32_t height = 0;
    uint32_t width = 0;
    GetImageDimension(dib, &height, &width);
    VokImgBlock* fitted = CreateAdjustSizeToDSC(dib, height, width, maxWidth, maxHeight);
    VokImg_FreeBlock(dib);
    if (!fitted)
        return failed("cannot resize", argv[0]);
    int ok = SaveThumbNail(fitted, argv[1]);
    VokImg_FreeBlock(fitted);
    return ok ? 0 : failed("cannot write", argv[1]);
}
