/* The album model: adding, removing, opening and saving, layout, keys, texts, renaming and the
 * clipboard payload, without windows. */
#include "album_model.h"

#include <fcntl.h>
#include <stdio.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cassert>
#include <cstring>

#include "vok_text.h"

namespace qubex::album {
namespace {

constexpr int kButtonWidth = 130;
constexpr int kButtonHeight = 150;
constexpr int kColumnStep = 135;
constexpr int kRowStep = 155;
constexpr int kColumns = 5;
constexpr int kMargin = 5;
constexpr size_t kMaxPath = kPathField - 1;

std::string NamePart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The extension with its period, or empty when the file name has none.
std::string Extension(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

bool EndsWithIgnoringCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           strcasecmp(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

} // namespace

std::string NewAlbumTitle(AlbumNumbering* numbering) {
    return vokc::FillNumbers("Album %d", {numbering->next++});
}

std::string FileTitle(const std::string& path) {
    return NamePart(path);
}

std::string WithAlbumExtension(const std::string& path) {
    return Extension(NamePart(path)).empty() ? path + ".alb" : path;
}

FileIdentity IdentityOf(const std::string& path) {
    FileIdentity id;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        id.exists = true;
        id.device = uint64_t(st.st_dev);
        id.inode = uint64_t(st.st_ino);
    }
    return id;
}

namespace {

bool Same(const std::string& a, const FileIdentity& ia, const std::string& b,
          const FileIdentity& ib) {
    if (ia.exists && ib.exists)
        return ia.device == ib.device && ia.inode == ib.inode;
    return a == b;
}

// The album's entry for the same picture, or none; each file is looked at once per add.
bool AlreadyThere(const Album& album, const std::string& path, const FileIdentity& id) {
    for (const Entry& e : album.entries)
        if (Same(e.path, e.identity, path, id))
            return true;
    return false;
}

} // namespace

bool SameImage(const std::string& a, const std::string& b) {
    return Same(a, IdentityOf(a), b, IdentityOf(b));
}

int AddEntry(Album* album, const std::string& path, const Dib& picture, const AlbumSources& sources,
             uint32_t fullWidth, uint32_t fullHeight) {
    if (album->entries.size() >= kMaxEntries)
        return kMsgAlbumFull;
    const FileIdentity id = IdentityOf(path);
    if (AlreadyThere(*album, path, id))
        return kMsgDuplicate;
    if (path.empty() || path.size() > kMaxPath)
        return kMsgFileMissing;
    image::DibResult stored =
        MakeStoredThumbnail(picture, sources.background, fullWidth, fullHeight);
    if (!stored.ok())
        return stored.message;
    Entry e;
    e.path = path;
    e.identity = id;
    e.display = MakeDisplayThumbnail(stored.dib, sources.background);
    if (e.display.empty())
        return kMsgBitmapFailed;
    e.stored = std::move(stored.dib);
    if (sources.imageDate)
        e.date = sources.imageDate(path.c_str());
    album->entries.push_back(std::move(e));
    album->modified = true;
    return kMsgNone;
}

int AddImageFile(Album* album, const std::string& path, const AlbumSources& sources) {
    // The cheap refusals come before any decoding.
    if (album->entries.size() >= kMaxEntries)
        return kMsgAlbumFull;
    if (AlreadyThere(*album, path, IdentityOf(path)))
        return kMsgDuplicate;
    image::DibResult thumb = ThumbnailFromFile(path.c_str(), sources.pictures, sources.background);
    if (!thumb.ok())
        return thumb.message;
    return AddEntry(album, path, thumb.dib, sources);
}

void RemoveEntry(Album* album, size_t index) {
    assert(index < album->entries.size());
    album->entries.erase(album->entries.begin() + long(index));
    const int count = int(album->entries.size());
    if (album->current > int(index))
        --album->current;
    if (album->current >= count)
        album->current = count - 1;
    album->modified = true;
}

OpenResult OpenAlbum(const std::string& path, const AlbumSources& sources) {
    OpenResult result;
    AlbumFileResult file = ReadAlbumFile(path.c_str());
    if (!file.ok()) {
        result.message = file.message;
        return result;
    }
    Album& album = result.album;
    for (FileEntry& fe : file.entries) {
        const int rc = AddEntry(&album, fe.path, fe.thumbnail, sources);
        if (rc != kMsgNone) {
            result.message = rc;
            result.album = Album();
            return result;
        }
        album.entries.back().marked = file.version != kVersionOld && fe.marked;
    }
    album.path = path;
    album.title = FileTitle(path);
    album.modified = false;
    return result;
}

int SaveAlbum(Album* album, const std::string& path, vokc::WriteFn write) {
    std::vector<FileEntry> entries;
    entries.reserve(album->entries.size());
    for (const Entry& e : album->entries)
        entries.push_back(FileEntry{e.path, e.stored, e.marked});
    const int rc = WriteAlbumFile(path.c_str(), entries, write);
    if (rc != kMsgNone)
        return rc;
    album->path = path;
    album->title = FileTitle(path);
    album->modified = false;
    return kMsgNone;
}

Point ButtonPosition(size_t index, int scrollX, int scrollY) {
    const int column = int(index % kColumns);
    const int row = int(index / kColumns);
    return Point{kColumnStep * column + kMargin - scrollX, kRowStep * row + kMargin - scrollY};
}

Size PreferredClientSize(int count) {
    Size s;
    if (count <= 0)
        s.width = kButtonWidth + 2 * kMargin;
    else if (count < kColumns)
        s.width = uint32_t(count * kColumnStep + kMargin);
    else
        s.width = kColumns * kColumnStep + kMargin;
    const int rows = ((count < 1 ? 1 : count) - 1) / kColumns;
    s.height = uint32_t(rows * kRowStep + kButtonHeight + 2 * kMargin);
    return s;
}

int ScrollRange(int preferred, int client, int scrollBarWidth) {
    return client < preferred ? preferred - client + scrollBarWidth - 1 : 0;
}

int MoveCurrent(int current, size_t count, Key key) {
    if (current < 0 || size_t(current) >= count)
        return current;
    int step = 0;
    switch (key) {
    case Key::Left:
        step = -1;
        break;
    case Key::Right:
        step = 1;
        break;
    case Key::Up:
        step = -kColumns;
        break;
    case Key::Down:
        step = kColumns;
        break;
    }
    const long next = long(current) + step;
    return next < 0 || next >= long(count) ? current : int(next);
}

std::string DateText(const Date& date, const std::array<std::string, 12>& months) {
    if (date.empty() || date.month < 1 || date.month > 12)
        return std::string();
    char text[64];
    snprintf(text, sizeof text, "%d %s.,%d", date.day, months[size_t(date.month - 1)].c_str(),
             date.year);
    return text;
}

std::string ShownName(const std::string& path) {
    return NamePart(path).substr(0, kMaxShownName);
}

RenamePlan PlanRename(const std::string& oldPath, const std::string& typedName) {
    RenamePlan plan;
    const std::string oldName = NamePart(oldPath);
    if (typedName == oldName)
        return plan;
    if (typedName.find('.') == std::string::npos) {
        plan.message = kMsgExtractError;
        plan.restoreOldName = true;
        return plan;
    }
    if (typedName.find_first_of("\"*/:<>?\\|") != std::string::npos) {
        plan.message = kMsgBadNameChars;
        return plan;
    }
    std::string name = typedName;
    const std::string ext = Extension(oldName);
    if (!EndsWithIgnoringCase(name, ext))
        name += ext;
    const std::string newPath = FolderPart(oldPath) + name;
    if (newPath.size() > kMaxPath) {
        plan.message = kMsgRenameTooLong;
        return plan;
    }
    if (newPath != oldPath)
        plan.newPath = newPath;
    return plan;
}

std::string BadNameCharsText(const std::string& catalogueText) {
    return catalogueText + "\n\t\\ / : * ? \" < > |";
}

int RenameImageFile(const std::string& oldPath, const std::string& newPath) {
    struct stat st;
    if (lstat(oldPath.c_str(), &st) != 0)
        return kMsgFileMissing;
    if (lstat(newPath.c_str(), &st) == 0)
        return kMsgRenameExists;
    // No-replace rename, so that a file appearing between the check and the move survives.
    if (renameat2(AT_FDCWD, oldPath.c_str(), AT_FDCWD, newPath.c_str(), RENAME_NOREPLACE) == 0)
        return kMsgNone;
    if (errno == EEXIST)
        return kMsgRenameExists;
    if (errno == EINVAL || errno == ENOSYS) {
        if (link(oldPath.c_str(), newPath.c_str()) == 0) {
            unlink(oldPath.c_str());
            return kMsgNone;
        }
        if (errno == EEXIST)
            return kMsgRenameExists;
    }
    return kMsgRenameFailed;
}

RenamePlan RenameEntry(Album* album, size_t index, const std::string& typedName) {
    assert(index < album->entries.size());
    Entry& e = album->entries[index];
    RenamePlan plan = PlanRename(e.path, typedName);
    if (plan.message != kMsgNone || plan.newPath.empty())
        return plan;
    plan.message = RenameImageFile(e.path, plan.newPath);
    if (plan.message != kMsgNone)
        return plan;
    e.path = plan.newPath;
    e.identity = IdentityOf(e.path);
    album->modified = true;
    if (!album->path.empty())
        plan.message = SaveAlbum(album, album->path);
    return plan;
}

ClipboardPayload MakeClipboardPayload(const Entry& entry) {
    ClipboardPayload p;
    p.dib = entry.stored;
    p.text.assign(kPathField, '\0');
    p.text.replace(0, std::min(entry.path.size(), kMaxPath), entry.path, 0, kMaxPath);
    return p;
}

PasteData ReadClipboardPayload(const Dib& dib, const std::string& text) {
    PasteData d;
    d.path.assign(text.c_str(), strnlen(text.c_str(), std::min(text.size(), kMaxPath)));
    image::DibInfo info;
    if (d.path.empty() || !image::DibFacts(dib, &info)) {
        d.message = kMsgClipboardEmpty;
        d.path.clear();
        return d;
    }
    d.dib = dib;
    return d;
}

} // namespace qubex::album
