/* Save types, names and the byte copy of an unchanged JPEG. Labels are the design's texts in
 * English, German and French; the album type has an English label in every language. */
#include "save_rules.h"

#include "image_dib.h"
#include "vok_files.h"

#include <algorithm>
#include <cstring>
#include <cerrno>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qubex::image {
namespace {

struct TypeRow {
    int type;
    const char* english;
    const char* german;
    const char* french;
    const char* extension;
    const char* filter;
    int quality;
};

const TypeRow kTypes[] = {
    {kSaveAlbum, "Album File(*.ALB)", "Album File(*.ALB)", "Album File(*.ALB)", ".alb", "*.alb", 0},
    {kSaveCalendar, "Calendar File(*.CAL)", "Kalender-Dateien(*.CAL)", "Fichiers Calendrier(*.CAL)",
     ".cal", "*.cal", 0},
    {kSaveJpegStandard, "JPEG(standard)(*.JPG)", "JPEG(Standard)(*.JPG)", "JPEG(standard)(*.JPG)",
     ".jpg", "*.jpg", 75},
    {kSaveJpegLow, "JPEG(Low Quality)(*.JPG)", "JPEG(niedrige Qualität)(*.JPG)",
     "JPEG(faible qualité)(*.JPG)", ".jpg", "*.jpg", 55},
    {kSaveJpegHigh, "JPEG(High Quality)(*.JPG)", "JPG(hohe Qualität)(*.JPG)",
     "JPEG(haute qualité)(*.JPG)", ".jpg", "*.jpg", 95},
    {kSaveBmp24, "Bitmap(Full Colour)(*.BMP)", "Bitmap(Volle Farben)(*.BMP)",
     "Bitmap(pleines couleurs)(*.BMP)", ".bmp", "*.bmp", 0},
    {kSaveBmp256, "Bitmap(256 Colour)(*.BMP)", "Bitmap(256 Farben)(*.BMP)",
     "Bitmap(256 couleurs)(*.BMP)", ".bmp", "*.bmp", 0},
    {kSaveTiff, "TIFF(*.TIF)", "TIFF(*.TIF)", "TIFF(*.TIF)", ".tif", "*.tif", 0},
};

const TypeRow* Row(int type) {
    for (const TypeRow& r : kTypes)
        if (r.type == type)
            return &r;
    return nullptr;
}

bool EndsWithNoCase(const std::string& s, const char* tail) {
    size_t n = strlen(tail);
    return s.size() >= n && strcasecmp(s.c_str() + s.size() - n, tail) == 0;
}

} // namespace

SaveTypeInfo DescribeSaveType(int type, int language) {
    SaveTypeInfo info{0, "", "", "", 0};
    const TypeRow* r = Row(type);
    if (!r)
        return info;
    info.type = type;
    info.label = language == kFrench ? r->french : language == kGerman ? r->german : r->english;
    info.extension = r->extension;
    info.filter = r->filter;
    info.jpegQuality = r->quality;
    return info;
}

std::vector<int> SaveTypesFor(bool albumWindow, int sourceType) {
    if (albumWindow)
        return {kSaveAlbum};
    if (sourceType == 4)
        return {kSaveCalendar};
    return {kSaveJpegStandard, kSaveJpegLow, kSaveJpegHigh, kSaveBmp24, kSaveBmp256, kSaveTiff};
}

int DefaultSaveType(bool albumWindow, int sourceType, int bitCount) {
    if (albumWindow)
        return kSaveAlbum;
    switch (sourceType) {
    case 1:
        return bitCount == 24 ? kSaveBmp24 : kSaveBmp256;
    case 4:
        return kSaveCalendar;
    case 7:
        return kSaveTiff;
    default:
        return kSaveJpegStandard;
    }
}

std::string ReplaceExtension(const std::string& name, int type) {
    const TypeRow* r = Row(type);
    if (!r)
        return name;
    size_t slash = name.find_last_of('/');
    size_t dot = name.find_last_of('.');
    std::string stem =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot > 0
            ? name.substr(0, dot)
            : name;
    return stem + r->extension;
}

std::string NameWithExtension(const std::string& name, int type) {
    const TypeRow* r = Row(type);
    if (!r || EndsWithNoCase(name, r->extension))
        return name;
    return name + r->extension;
}

bool PathOpenElsewhere(const std::string& path, const std::vector<std::string>& otherWindows) {
    struct stat target;
    const bool exists = stat(path.c_str(), &target) == 0;
    for (const std::string& other : otherWindows) {
        if (other == path)
            return true;
        struct stat st;
        if (exists && stat(other.c_str(), &st) == 0 && st.st_dev == target.st_dev &&
            st.st_ino == target.st_ino)
            return true;
    }
    return false;
}

bool SaveIsByteCopy(int sourceType, bool modified, int type) {
    return sourceType == 2 && !modified && (type == kSaveJpegStandard || type == kSaveJpegHigh);
}

int CopyImageFile(const char* source, const char* target, vokc::WriteFn write) {
    uint64_t size = 0;
    int in = vokc::OpenRegularFile(source, UINT64_MAX, &size);
    if (in < 0)
        return kMsgOpenFailed;
    struct stat from, to;
    if (fstat(in, &from) == 0 && stat(target, &to) == 0 && from.st_dev == to.st_dev &&
        from.st_ino == to.st_ino) {
        close(in);
        return kMsgNone; // the file is already what it would become
    }
    int result = kMsgNone;
    vokc::ReplaceOptions options;
    options.write = write;
    bool ok = vokc::ReplaceFileWith(
        target,
        [&](int fd, vokc::WriteFn w) {
            uint8_t piece[2048];
            for (uint64_t left = size; left > 0;) {
                size_t want = size_t(std::min<uint64_t>(left, sizeof piece));
                if (vokc::ReadFull(in, piece, want) != ssize_t(want)) {
                    result = kMsgReadFailed;
                    return false;
                }
                if (!vokc::WriteFull(fd, piece, want, w)) {
                    result = kMsgWriteFailed;
                    return false;
                }
                left -= want;
            }
            return true;
        },
        options);
    close(in);
    if (ok)
        return kMsgNone;
    if (result != kMsgNone)
        return result;
    return errno == ENOSPC || errno == EIO || errno == EDQUOT ? kMsgWriteFailed : kMsgOpenFailed;
}

int CompressProgress(int rowsDone, int rows) {
    if (rows <= 0)
        return 0;
    return int((int64_t(rowsDone) * 25 + rows / 2) / rows);
}

} // namespace qubex::image
