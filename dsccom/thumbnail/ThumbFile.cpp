/* The file side of thumbnail rendering: the temporary bitmap file (written from the decoded
 * JPEG and read back with every header field checked), and the whole rendering run with its
 * one message per failure. Temporary files never outlive the call. */
#include "ThumbRender.h"

#include "VokDscMsg.h"
#include "thumb_jpeg.h"
#include "vok_dib.h"
#include "vok_files.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace vokthumb {

namespace {

constexpr std::size_t kFileHeader = vokc::kBmpFileHeaderSize;
constexpr std::size_t kInfoHeader = vokc::kDibHeaderSize;
constexpr int kMaxSide = 65535;

// Reads exactly size bytes; false on a short read or an error.
bool ReadAll(int fd, void* data, std::size_t size) {
    const ssize_t n = vokc::ReadFull(fd, data, size);
    return n >= 0 && static_cast<std::size_t>(n) == size;
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Removes the temporary file whatever way the rendering leaves.
struct TempFile {
    std::string path;
    ~TempFile() {
        if (!path.empty())
            ::unlink(path.c_str());
    }
};

void ShowError(VokOwner owner, int number, const char* caption) {
    VokDsc_Msg_Error(owner, number, caption ? caption : "");
}

} // namespace

int MessageFor(BmpRead outcome) {
    switch (outcome) {
    case BmpRead::Ok:
        return 0;
    case BmpRead::CannotOpen:
        return 42;
    case BmpRead::ReadFailed:
        return 41;
    case BmpRead::NotBitmap:
        return 52;
    case BmpRead::NoMemory:
        return 51;
    }
    return 0;
}

bool WriteBmp(int fd, const Rgb24Image& image) {
    const std::size_t pixelBytes = image.Stride() * static_cast<std::size_t>(image.height);
    if (image.width <= 0 || image.height <= 0 || image.width > kMaxSide ||
        image.height > kMaxSide || image.bits.size() < pixelBytes)
        return false;
    std::uint8_t header[kFileHeader + kInfoHeader] = {};
    vokc::PutBmpFileHeader(header, static_cast<std::uint32_t>(sizeof header + pixelBytes),
                           sizeof header);
    vokc::DibHeader info;
    info.width = image.width;
    info.height = image.height; // positive: bottom-up
    info.sizeImage = static_cast<std::uint32_t>(pixelBytes);
    vokc::PutDibHeader(header + kFileHeader, info);
    return vokc::WriteFull(fd, header, sizeof header) &&
           vokc::WriteFull(fd, image.bits.data(), pixelBytes);
}

BmpRead ReadBmp(const std::string& path, Rgb24Image* image) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return BmpRead::CannotOpen;
    FdCloser file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0)
        return BmpRead::CannotOpen;
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
        ::lseek(file.fd, 0, SEEK_SET) != 0)
        return BmpRead::ReadFailed;
    const auto fileSize = static_cast<std::uint64_t>(st.st_size);

    std::uint8_t header[kFileHeader];
    if (fileSize < kFileHeader || !ReadAll(file.fd, header, sizeof header) || header[0] != 'B' ||
        header[1] != 'M')
        return BmpRead::NotBitmap;
    const std::uint32_t pixelOffset = vokc::GetLe32(header + 10);

    std::uint8_t infoBytes[kInfoHeader];
    if (!ReadAll(file.fd, infoBytes, sizeof infoBytes))
        return BmpRead::ReadFailed;
    const vokc::DibHeader info = vokc::GetDibHeader(infoBytes);
    const std::uint32_t infoSize = info.size;
    const std::int32_t width = info.width;
    const std::int32_t height = info.height;
    // Only the form the renderer writes: 40-byte header, bottom-up, one plane, 24 bits, no
    // compression.
    if (infoSize != kInfoHeader || width <= 0 || height <= 0 || width > kMaxSide ||
        height > kMaxSide || info.planes != 1 || info.bitCount != 24 || info.compression != 0 ||
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxPixels ||
        pixelOffset < kFileHeader + kInfoHeader || pixelOffset > fileSize)
        return BmpRead::NotBitmap;

    Rgb24Image read;
    read.width = width;
    read.height = height;
    const std::size_t pixelBytes = read.Stride() * static_cast<std::size_t>(height);
    try {
        read.bits.resize(pixelBytes);
    } catch (const std::bad_alloc&) {
        return BmpRead::NoMemory;
    }
    if (::lseek(file.fd, static_cast<off_t>(pixelOffset), SEEK_SET) !=
            static_cast<off_t>(pixelOffset) ||
        !ReadAll(file.fd, read.bits.data(), pixelBytes))
        return BmpRead::ReadFailed;
    *image = std::move(read);
    return BmpRead::Ok;
}

bool LoadBmp(const std::string& path, VokOwner owner, const char* caption, Rgb24Image* image) {
    const BmpRead outcome = ReadBmp(path, image);
    if (outcome == BmpRead::Ok)
        return true;
    ShowError(owner, MessageFor(outcome), caption);
    return false;
}

int CreateTempFile(std::string* path) {
    // QDir::tempPath() is empty when TMPDIR names a missing folder; "/VOK..." must not follow.
    const QString folder = QDir::tempPath();
    if (folder.isEmpty())
        return -1;
    const QByteArray templ = QFile::encodeName(folder + "/VOKXXXXXX");
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0)
        *path = name.data();
    return fd;
}

namespace {

bool Render(const char* jpegPath, int areaWidth, int areaHeight, int displayDepth, VokOwner owner,
            const char* caption, ThumbBitmap* result) {
    TempFile temp;
    const int fd = CreateTempFile(&temp.path);
    if (fd < 0) {
        ShowError(owner, 42, caption);
        return false;
    }
    FdCloser output{fd};
    std::unique_ptr<FILE, int (*)(FILE*)> input(std::fopen(jpegPath, "rb"), &std::fclose);
    if (!input) {
        ShowError(owner, 42, caption);
        return false;
    }

    // The target follows from the picture's full size; libjpeg's smallest scaled decoding
    // that still covers it is then resampled as a full one would be.
    std::uint32_t fullWidth = 0;
    std::uint32_t fullHeight = 0;
    VokThumbPixels pixels;
    if (!vok_thumb_jpeg_size(input.get(), &fullWidth, &fullHeight) || fullWidth > kMaxSide ||
        fullHeight > kMaxSide) {
        ShowError(owner, 105, caption);
        return false;
    }
    const Size target =
        FitToArea(static_cast<int>(fullWidth), static_cast<int>(fullHeight), areaWidth, areaHeight);
    if (!vok_thumb_decode_jpeg_at_least(input.get(), kMaxPixels,
                                        static_cast<std::uint32_t>(target.width),
                                        static_cast<std::uint32_t>(target.height), &pixels)) {
        ShowError(owner, 105, caption);
        return false;
    }
    input.reset();
    Rgb24Image decoded;
    decoded.width = static_cast<int>(pixels.width);
    decoded.height = static_cast<int>(pixels.height);
    std::unique_ptr<unsigned char, void (*)(void*)> owned(pixels.bits, &std::free);
    decoded.bits.assign(owned.get(),
                        owned.get() + static_cast<std::size_t>(pixels.stride) * pixels.height);
    owned.reset();
    const bool written = WriteBmp(output.fd, decoded);
    ::close(output.fd);
    output.fd = -1;
    if (!written) {
        ShowError(owner, 105, caption);
        return false;
    }
    decoded = Rgb24Image();

    Rgb24Image image;
    if (!LoadBmp(temp.path, owner, caption, &image))
        return false;
    ::unlink(temp.path.c_str());
    temp.path.clear();

    if (target.width != image.width || target.height != image.height)
        image = ResampleBilinear(image, target.width, target.height);
    *result = ForDisplayDepth(image, displayDepth);
    return true;
}

} // namespace

bool RenderThumbnail(const char* jpegPath, int areaWidth, int areaHeight, int displayDepth,
                     VokOwner owner, const char* caption, ThumbBitmap* result) {
    if (!jpegPath || !result || areaWidth <= 0 || areaHeight <= 0)
        return false;
    try {
        return Render(jpegPath, areaWidth, areaHeight, displayDepth, owner, caption, result);
    } catch (const std::bad_alloc&) {
        // Raised before any message was shown; the temporary file is already gone.
        ShowError(owner, 51, caption);
        return false;
    }
}

} // namespace vokthumb
