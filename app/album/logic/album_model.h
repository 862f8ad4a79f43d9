/* The album as plain data: entries in album order with their thumbnails, dates and marks; the
 * one add step with its limits; removal, the current entry and its keys; the grid layout and
 * preferred sizes; the date text; renaming an image file; the clipboard payload; opening and
 * saving an album file. The album window shows this and forwards what the user does. */
#ifndef QUBEX_ALBUM_MODEL_H
#define QUBEX_ALBUM_MODEL_H

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "album_file.h"
#include "thumbnail.h"

namespace qubex::album {

/* A calendar day; all zero when the image file has none. */
struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    bool empty() const { return year == 0 && month == 0 && day == 0; }
};

constexpr size_t kMaxShownName = 50;

/* Which file a path names, taken when the entry is added or renamed. */
struct FileIdentity {
    bool exists = false;
    uint64_t device = 0;
    uint64_t inode = 0;
};
FileIdentity IdentityOf(const std::string& path);

struct Entry {
    std::string path;
    FileIdentity identity;
    Dib stored;  // 24-bit stored thumbnail, written to the file
    Dib display; // 96 x 72 on the button-face colour
    Date date;
    bool marked = false;
};

struct Album {
    std::string path; // empty for an album never saved
    std::string title;
    bool modified = false;
    std::vector<Entry> entries;
    int current = -1; // entry with the focus frame, -1 for none
};

/* What the add step needs from outside the album logic. */
struct AlbumSources {
    PictureSources pictures;
    /* The image's date as the image library gives it; unset or empty: no date. */
    std::function<Date(const char* path)> imageDate;
    Rgb background{192, 192, 192}; // the platform's button-face colour
};

/* Titles of new albums: "Album 1", "Album 2", ... for every new album of the run. */
struct AlbumNumbering {
    int next = 1;
};
std::string NewAlbumTitle(AlbumNumbering* numbering);
/* The file name with extension, as the title of an album read from or saved to path. */
std::string FileTitle(const std::string& path);
/* The name of an album saved as "name": ".alb" added when the file name has no extension. */
std::string WithAlbumExtension(const std::string& path);

/* The same picture: the same file (device and inode), or the same path when either is
 * missing. Letter case counts, as it does for the file system. */
bool SameImage(const std::string& a, const std::string& b);

/* The one add step: 102 when the album holds 100 entries, 101 when the picture is there
 * already, else the stored and display thumbnails are made from picture (a packed bitmap of
 * any depth; fullWidth x fullHeight when it is a scaled decoding) and the entry is appended
 * unmarked, with its date. 91 or 51 when the thumbnail cannot be made. */
int AddEntry(Album* album, const std::string& path, const Dib& picture, const AlbumSources& sources,
             uint32_t fullWidth = 0, uint32_t fullHeight = 0);

/* Add to Album for one file: 40 missing, 46 not a picture, the reader's refusal, or AddEntry's
 * result. */
int AddImageFile(Album* album, const std::string& path, const AlbumSources& sources);

/* Removes entry index and mends the current entry; sets the modified flag. */
void RemoveEntry(Album* album, size_t index);

/* Opens an album file: every entry through the add step, marks from the flags of a 0x0102
 * file, the title from the file name, modified clear. On failure no album results. */
struct OpenResult {
    int message = kMsgNone;
    Album album;
    bool ok() const { return message == kMsgNone; }
};
OpenResult OpenAlbum(const std::string& path, const AlbumSources& sources);

/* Writes the album to path; on success it takes the path and title and is no longer
 * modified. 0, 42, 92 or 100. */
int SaveAlbum(Album* album, const std::string& path, vokc::WriteFn write = nullptr);

/* ---- Layout and keys ---- */

struct Point {
    int x = 0;
    int y = 0;
};
/* Client position of entry i's 130 x 150 button, less the scroll positions. */
Point ButtonPosition(size_t index, int scrollX = 0, int scrollY = 0);
/* The preferred client size for count entries (five columns). */
Size PreferredClientSize(int count);
/* One axis's scroll range: 0 when the client holds the preferred size. */
int ScrollRange(int preferred, int client, int scrollBarWidth);

enum class Key { Left, Right, Up, Down };
/* The current entry after an arrow key; moves that would pass an end leave it. */
int MoveCurrent(int current, size_t count, Key key);

/* ---- Texts ---- */

/* "%d %s.,%d" with the day, the month's abbreviation (months[0] January) and the year; empty
 * without a date or with a month outside 1..12. */
std::string DateText(const Date& date, const std::array<std::string, 12>& months);

/* The name field's text: the file name, at most 50 characters. */
std::string ShownName(const std::string& path);

/* ---- Renaming ---- */

/* What the name field does after the user typed a new name. message 0 with an empty newPath:
 * nothing to do. 46: no period, the old name goes back into the field. 198: a forbidden
 * character, the typed name stays. 199: the path would be too long. */
struct RenamePlan {
    int message = kMsgNone;
    std::string newPath;
    bool restoreOldName = false;
};
RenamePlan PlanRename(const std::string& oldPath, const std::string& typedName);

/* The text of the 198 box: the catalogue text and the list of forbidden characters. */
std::string BadNameCharsText(const std::string& catalogueText);

/* Moves the file without ever replacing another: 40 the old file is gone, 200 the new name
 * exists, 201 the move failed. */
int RenameImageFile(const std::string& oldPath, const std::string& newPath);

/* The whole rename of entry index: plan, move, new path in the entry, and a save of an album
 * that has a file. The plan's message or the move's, or a failed save's. */
RenamePlan RenameEntry(Album* album, size_t index, const std::string& typedName);

/* ---- Clipboard and dragging ---- */

struct ClipboardPayload {
    Dib dib;          // the stored thumbnail (CF_DIB)
    std::string text; // the path in a 260-byte field (CF_TEXT)
};
ClipboardPayload MakeClipboardPayload(const Entry& entry);
/* Paste: the path and thumbnail from what the clipboard holds, or 99 when it is not usable. */
struct PasteData {
    int message = kMsgNone;
    std::string path;
    Dib dib;
};
PasteData ReadClipboardPayload(const Dib& dib, const std::string& text);

/* A drop copies the entry into another album; onto its own album it does nothing. */
inline bool DropAddsEntry(const Album* from, const Album* to) {
    return from && to && from != to;
}

} // namespace qubex::album

#endif
