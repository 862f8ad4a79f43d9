/* The program's file-type detection, tried in a fixed order on a file's first and last bytes,
 * shared by File Open, dropped files, the hand-off at start and the album commands. */
#ifndef QUBEX_IMAGE_FILE_TYPE_H
#define QUBEX_IMAGE_FILE_TYPE_H

#include <functional>

namespace qubex::image {

enum FileType : int {
    kTypeNoPath = -1,
    kTypeUnknown = 0,
    kTypeBmp = 1,
    kTypeJpeg = 2,
    kTypeAlbum = 3,
    kTypeCalendar = 4,
    kTypeMovie = 6,
    kTypeTiff = 7,
};

/* The tests that belong to other parts of the program: the album signature and whether the
 * movie player, while it is available, accepts the file. A missing test never passes. */
struct FileTypeTests {
    std::function<bool(const char* path)> isAlbum;
    std::function<bool(const char* path)> isMovie;
};

/* JPEG, BMP, album, calendar, TIFF, movie, in that order; the first that passes decides. */
int DetectFileType(const char* path, const FileTypeTests& tests = FileTypeTests());

} // namespace qubex::image

#endif
