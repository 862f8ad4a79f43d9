/* The rules of saving that need no window: the save types with their labels in the three
 * languages, extensions and filters, the default type of a window, the name the dialog's
 * answer becomes, the byte copy of an unchanged JPEG, and the compression progress. */
#ifndef QUBEX_IMAGE_SAVE_RULES_H
#define QUBEX_IMAGE_SAVE_RULES_H

#include <string>
#include <vector>

#include "vok_files.h"

namespace qubex::image {

enum SaveType : int {
    kSaveAlbum = 1,
    kSaveCalendar = 2,
    kSaveJpegStandard = 11,
    kSaveJpegLow = 12,
    kSaveJpegHigh = 13,
    kSaveBmp24 = 14,
    kSaveBmp256 = 15,
    kSaveTiff = 16,
};

/* The program's language codes. */
enum Language : int { kFrench = 1, kGerman = 2, kOtherLanguage = 4 };

/* What a save type is shown as and written with. */
struct SaveTypeInfo {
    int type = 0;
    std::string label;     // in the user's language
    const char* extension; // ".jpg"
    const char* filter;    // "*.jpg"
    int jpegQuality;       // 0 for the other formats
};

SaveTypeInfo DescribeSaveType(int type, int language);

/* The types the Save As list offers to a window: an album only 1, a calendar only 2, an
 * image window the six image types in order. */
std::vector<int> SaveTypesFor(bool albumWindow, int sourceType);

/* The type Save uses without asking: JPEG 11, BMP 14 at 24 bits and 15 otherwise, TIFF 16,
 * calendar 2, album 1; an image from a capture counts as JPEG. */
int DefaultSaveType(bool albumWindow, int sourceType, int bitCount);

/* The typed name with its extension replaced by the type's (or the type's added when it has
 * none), as the dialog shows it when the type changes. */
std::string ReplaceExtension(const std::string& name, int type);

/* The name to write: the type's extension is added unless the name already ends with it in
 * any letter case ("photo" becomes "photo.bmp", "photo.BMP" stays). */
std::string NameWithExtension(const std::string& name, int type);

/* true when another open window of the same kind shows path (message 184). */
bool PathOpenElsewhere(const std::string& path, const std::vector<std::string>& otherWindows);

/* An unchanged image from a JPEG saved as standard or high-quality JPEG is copied byte for
 * byte instead of being encoded again. */
bool SaveIsByteCopy(int sourceType, bool modified, int type);

/* The byte copy: nothing at all when source and target are the same file; otherwise a
 * complete copy renamed over the target. 0, 42 when either cannot be opened or created,
 * 41 on a short read, 100 on a short write. */
int CopyImageFile(const char* source, const char* target, vokc::WriteFn write = nullptr);

/* The progress bar's position (0 to 25) after rowsDone of rows compressed rows. */
int CompressProgress(int rowsDone, int rows);

} // namespace qubex::image

#endif
