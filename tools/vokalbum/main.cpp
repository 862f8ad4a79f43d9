/* vokalbum: album files from the command line, on the program's own album logic: list the
 * entries, make an album of pictures (thumbnails prepared as the album window prepares them),
 * set and clear selection marks. Refusals print the catalogue's text and exit 1. */
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "VokDscMsg.h"
#include "VokExif.h"
#include "album_model.h"
#include "movie_facts.h"

namespace {

using namespace qubex::album;

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage: vokalbum ls ALBUM\n"
    "       vokalbum make ALBUM FILE...\n"
    "       vokalbum mark ALBUM INDEX...\n"
    "       vokalbum unmark ALBUM INDEX...\n"
    "\n"
    "ls      one line per entry: index (from 1), mark (0/1), thumbnail WIDTHxHEIGHT, path,\n"
    "        separated by tabs\n"
    "make    a new album of the pictures (JPEG, BMP, TIFF, QuickTime or AVI movies by their\n"
    "        first picture; at most 100), replacing ALBUM;\n"
    "        nothing is written when any picture is refused\n"
    "mark    set the selection mark of the entries (counted from 1); unmark clears it\n"
    "\n"
    "Exit status: 0 done, 1 refused (the reason on standard error), 2 bad usage.\n";

int Usage(const char* why) {
    if (why)
        std::fprintf(stderr, "vokalbum: %s\n", why);
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

// The catalogue's text for a refusal, after what it concerns.
int Refused(const std::string& what, int message) {
    char text[VOK_MSG_BUFFER] = {};
    VokDsc_Msg_GetString(message, text, sizeof text);
    std::fprintf(stderr, "vokalbum: %s: %s (message %d)\n", what.c_str(), text, message);
    return kExitFailed;
}

AlbumSources ToolSources() {
    AlbumSources s;
    s.pictures.jpegScaled = [](const char* path, uint32_t minWidth, uint32_t minHeight,
                               uint32_t* width, uint32_t* height) {
        Dib dib;
        VokImgBlock* b = VokImg_Jpeg_ReadScaledDIB(path, minWidth, minHeight, width, height);
        if (b) {
            dib.assign(b->data, b->data + b->size);
            VokImg_FreeBlock(b);
        }
        return dib;
    };
    s.pictures.isMovie = qubex::media::IsMovieFile;
    s.pictures.movieFirstPicture = [](const char* path) {
        return qubex::media::GetMovieFirstPicture(path);
    };
    return s;
}

int List(const char* path) {
    OpenResult r = OpenAlbum(path, ToolSources());
    if (!r.ok())
        return Refused(path, r.message);
    size_t index = 0;
    for (const Entry& e : r.album.entries) {
        const Size s = BitmapSize(e.stored);
        std::printf("%zu\t%d\t%ux%u\t%s\n", ++index, e.marked ? 1 : 0, s.width, s.height,
                    e.path.c_str());
    }
    return 0;
}

int Make(const char* path, int count, char** files) {
    const AlbumSources sources = ToolSources();
    Album album;
    for (int i = 0; i < count; ++i) {
        // An album keeps full paths, whatever folder it is opened from.
        std::error_code ec;
        const std::string full = std::filesystem::absolute(files[i], ec).lexically_normal();
        const int rc = AddImageFile(&album, ec ? files[i] : full, sources);
        if (rc != kMsgNone)
            return Refused(files[i], rc);
    }
    const int rc = SaveAlbum(&album, path);
    return rc == kMsgNone ? 0 : Refused(path, rc);
}

int Mark(const char* path, int count, char** indices, bool mark) {
    OpenResult r = OpenAlbum(path, ToolSources());
    if (!r.ok())
        return Refused(path, r.message);
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        errno = 0;
        const unsigned long n = std::strtoul(indices[i], &end, 10);
        if (!*indices[i] || *end || errno || n < 1 || n > r.album.entries.size() ||
            indices[i][0] == '-')
            return Usage((std::string("no entry ") + indices[i] + " in " + path).c_str());
        r.album.entries[n - 1].marked = mark;
    }
    const int rc = SaveAlbum(&r.album, path);
    return rc == kMsgNone ? 0 : Refused(path, rc);
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc < 3)
        return Usage(argc < 2 ? "no command" : "no album");
    const std::string command = argv[1];
    if (command == "ls")
        return argc == 3 ? List(argv[2]) : Usage("ls takes one album");
    if (command == "make")
        return argc >= 4 ? Make(argv[2], argc - 3, argv + 3) : Usage("make needs pictures");
    if (command == "mark" || command == "unmark")
        return argc >= 4 ? Mark(argv[2], argc - 3, argv + 3, command == "mark")
                         : Usage("which entries?");
    return Usage(("unknown command " + command).c_str());
}
