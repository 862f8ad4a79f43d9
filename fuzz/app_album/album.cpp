/* Fuzz target: an album file in memory through the reader and its separate flag pass, then
 * every thumbnail it accepts through the preparation an album window makes on opening. */
#include "album_file.h"
#include "thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace qubex::album;
    const std::vector<bool> flags = ReadAlbumFlags(data, size);
    AlbumFileResult r = ParseAlbum(data, size);
    if (r.ok() && r.entries.size() != flags.size())
        __builtin_trap();
    for (const FileEntry& e : r.entries) {
        qubex::image::DibInfo info;
        if (!qubex::image::DibFacts(e.thumbnail, &info))
            __builtin_trap();
        // Run-length thumbnails of many megapixels only spend the run's time filling zeros.
        if ((info.compression == 1 || info.compression == 2) &&
            uint64_t(info.width) * info.height > (1u << 22))
            continue;
        const Rgb face{192, 192, 192};
        DibResult stored = MakeStoredThumbnail(e.thumbnail, face);
        if (!stored.ok())
            continue;
        const Dib shown = MakeDisplayThumbnail(stored.dib, face);
        if (shown.size() != 40u + 96 * 3 * 72)
            __builtin_trap();
    }
    return 0;
}
