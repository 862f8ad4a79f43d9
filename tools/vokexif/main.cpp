/* vokexif: the facts that the image file library reads from image files, from the command
 * line. Each command is one row of the command table; main() only finds the row. */
#include "VokExif.h"
#include "write_commands.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

struct Command {
    const char* name;
    const char* arguments;
    int minArgs; // arguments after the command name
    int maxArgs; // -1: any number
    int (*run)(int argc, char** argv);
    const char* summary;
};

void print_frame_sampling(const char* label, const JpegFrameInfo& frame) {
    std::printf("%s:", label);
    for (uint32_t s : frame.sampling)
        std::printf(" %u", s);
    std::printf("\n");
}

void print_info(const ImageInfo& info) {
    std::printf("width: %u\n", info.width);
    std::printf("height: %u\n", info.height);
    std::printf("date_taken: %s\n", info.dateTaken);
    std::printf("date_changed: %s\n", info.dateChanged);
    std::printf("file_name: %s\n", info.fileName);
    std::printf("folder: %s\n", info.folder);
    std::printf("kind: %u\n", info.kind);
    std::printf("thumb_width: %u\n", info.thumbnail.width);
    std::printf("thumb_height: %u\n", info.thumbnail.height);
    print_frame_sampling("thumb_sampling", info.thumbnail);
    std::printf("compression: %u\n", info.compression);
    std::printf("photometric: %u\n", info.photometric);
    std::printf("make: %s\n", info.make);
    std::printf("model: %s\n", info.model);
    std::printf("exif_version: %s\n", info.exifVersion);
    std::printf("interop_index: %s\n", info.interopIndex);
    std::printf("thumb_state: %u\n", info.thumbnailState);
}

int cannot_read(const char* path) {
    std::fprintf(stderr, "vokexif: cannot read %s\n", path);
    return kExitFailed;
}

int run_kind(int, char** argv) {
    std::printf("%d\n", IsImageFileType(argv[0]));
    return 0;
}

// Several files give several records, each after a "path:" line and a blank line between.
int run_info(int argc, char** argv) {
    int status = 0;
    for (int i = 0; i < argc; ++i) {
        ImageInfo info;
        if (argc > 1)
            std::printf("%spath: %s\n", i ? "\n" : "", argv[i]);
        if (!GetExifData(argv[i], &info)) {
            status = cannot_read(argv[i]);
            continue;
        }
        print_info(info);
    }
    return status;
}

int run_frame(int, char** argv) {
    JpegFrameInfo frame;
    if (!Get_Jpeg_HvSamp_Main(argv[0], &frame)) {
        std::fprintf(stderr, "vokexif: no baseline JPEG frame in %s\n", argv[0]);
        return kExitFailed;
    }
    std::printf("width: %u\nheight: %u\ncomponents: %u\n", frame.width, frame.height,
                frame.components);
    print_frame_sampling("sampling", frame);
    return 0;
}

int run_huffman(int, char** argv) {
    std::printf("%s\n", VOK_Check_Jpeg_HuffmanTable(argv[0]) ? "standard" : "other");
    return 0;
}

bool parse_mode(const char* text, int* mode) {
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < -1000000 || value > 1000000)
        return false;
    *mode = int(value);
    return true;
}

int run_date(int, char** argv) {
    int mode = 0;
    if (!parse_mode(argv[1], &mode)) {
        std::fprintf(stderr, "vokexif: MODE must be a number (0, 1 or 3), not \"%s\"\n", argv[1]);
        return kExitUsage;
    }
    ImageInfo info;
    if (!GetExifData(argv[0], &info))
        return cannot_read(argv[0]);
    char shown[2 * VOK_IMG_TEXT] = "";
    ChangeDisplayMode(info.dateTaken, shown, sizeof shown, mode);
    std::printf("%s\n", shown);
    return 0;
}

const Command kCommands[] = {
    {"kind", "FILE", 1, 1, run_kind,
     "print the kind code (0 none, 1 Exif JPEG, 2 CIFF JPEG, 3 JPEG, 4 BMP, 5 TIFF)"},
    {"info", "FILE...", 1, -1, run_info, "print the image information record"},
    {"frame", "FILE", 1, 1, run_frame, "print the main image's JPEG frame layout"},
    {"huffman", "FILE", 1, 1, run_huffman,
     "print \"standard\" when the first DHT segment holds the typical tables"},
    {"date", "FILE MODE", 2, 2, run_date, "print the date taken in display mode MODE"},
    {"camera-ready", "FILE", 1, 1, vokexif_camera_ready,
     "print \"yes\" when the JPEG can go to the camera unchanged, else \"no\""},
    {"to-camera", "SRC DST [--max WxH] [--model TEXT] [--maker-note B1,B2]", 2, 8,
     vokexif_to_camera, "write SRC in the camera's JPEG form (exit 1 failed, 3 no disk space)"},
    {"jpg2bmp", "SRC DST [--colors N]", 2, 4, vokexif_jpg2bmp,
     "decode a JPEG into a BMP file (N colours, 0 = 24-bit)"},
    {"to-tiff", "SRC DST", 2, 2, vokexif_to_tiff, "write a BMP or JPEG picture as RGB TIFF"},
    {"to-jpeg", "SRC.bmp DST", 2, 2, vokexif_to_jpeg,
     "write a BMP picture as a JPEG with the Exif template"},
    {"fit", "SRC.bmp DST.bmp WxH", 3, 3, vokexif_fit,
     "apply the camera's size rule within WxH (0x0 = no scaling) and save as BMP"},
};

int usage(const char* problem) {
    if (problem)
        std::fprintf(stderr, "vokexif: %s\n", problem);
    std::fprintf(stderr, "usage: vokexif COMMAND ARGUMENTS\ncommands:\n");
    for (const Command& c : kCommands)
        std::fprintf(stderr, "  %s %s\n      %s\n", c.name, c.arguments, c.summary);
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage("no command given");
    if (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0) {
        usage(nullptr);
        return 0;
    }
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) != 0)
            continue;
        int given = argc - 2;
        if (given < c.minArgs || (c.maxArgs >= 0 && given > c.maxArgs)) {
            std::fprintf(stderr, "vokexif: usage: vokexif %s %s\n", c.name, c.arguments);
            return kExitUsage;
        }
        return c.run(given, argv + 2);
    }
    char problem[160];
    std::snprintf(problem, sizeof problem, "unknown command \"%.100s\"", argv[1]);
    return usage(problem);
}
