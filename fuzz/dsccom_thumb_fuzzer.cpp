/* Fuzz target: the first byte picks the path. Even: the bytes after it are a thumbnail JPEG,
 * rendered into an area and for a display depth taken from the first byte. Odd: they are the
 * temporary bitmap file, read back. Either way the result must be consistent. */
#include "ThumbRender.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string folder;

std::string WriteInput(const uint8_t* data, size_t size) {
    const std::string path = folder + "/input";
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, out) != size)
        std::abort();
    std::fclose(out);
    return path;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char templ[] = "/tmp/vokthumbfuzz.XXXXXX";
    if (!::mkdtemp(templ))
        std::abort();
    folder = templ;
    std::atexit([] { ::rmdir(folder.c_str()); });
    setenv("TMPDIR", folder.c_str(), 1);
    setenv("VOK_MSG_ANSWER", "ok", 1); // boxes answer at once and print nothing
    unsetenv("VOK_MSG_LOG");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const uint8_t mode = data[0];
    const std::string path = WriteInput(data + 1, size - 1);
    if ((mode & 1) == 0) {
        const int areaWidth = 1 + (mode >> 1 & 0x3F);
        const int areaHeight = 1 + (mode >> 3 & 0x1F);
        vokthumb::ThumbBitmap bitmap;
        if (vokthumb::RenderThumbnail(path.c_str(), areaWidth, areaHeight, (mode & 2) ? 8 : 32,
                                      nullptr, "", &bitmap)) {
            if (bitmap.width < 1 || bitmap.height < 1 || bitmap.width > areaWidth ||
                bitmap.height > areaHeight ||
                bitmap.bits.size() != bitmap.Stride() * static_cast<size_t>(bitmap.height))
                __builtin_trap();
        }
    } else {
        vokthumb::Rgb24Image image;
        if (vokthumb::ReadBmp(path, &image) == vokthumb::BmpRead::Ok &&
            image.bits.size() != image.Stride() * static_cast<size_t>(image.height))
            __builtin_trap();
    }
    ::unlink(path.c_str());
    return 0;
}
