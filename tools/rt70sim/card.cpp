/* Scanning and changing the virtual camera's card folder (see card.h for the layout). */
#include "card.h"
#include "vok_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rt70sim {

namespace {

/* The number of a name made of 1 to 5 decimal digits, at most 65535. */
bool parseNumber(const std::string& text, uint16_t* out) {
    if (text.empty() || text.size() > 5)
        return false;
    unsigned value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 65535)
        return false;
    *out = static_cast<uint16_t>(value);
    return true;
}

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> sortedEntries(const std::string& dir) {
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return names;
    while (dirent* e = ::readdir(d)) {
        if (e->d_name[0] != '.')
            names.emplace_back(e->d_name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

void scanFolder(CardFolder* folder) {
    std::vector<CardImage> images;
    std::vector<std::pair<uint16_t, std::string>> companions;
    for (const std::string& name : sortedEntries(folder->path)) {
        const size_t dot = name.find('.');
        uint16_t number = 0;
        if (dot == std::string::npos || !parseNumber(name.substr(0, dot), &number))
            continue;
        const std::string path = folder->path + "/" + name;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        folder->highestNumber = std::max(folder->highestNumber, number);
        const std::string ending = lower(name.substr(dot + 1));
        if (ending == "thm") {
            companions.emplace_back(number, path);
            continue;
        }
        const uint8_t kind = kindOfFileName(name);
        if (kind == 0 || st.st_size > 0xFFFFFFFFll)
            continue;
        const bool taken = std::any_of(images.begin(), images.end(),
                                       [&](const CardImage& i) { return i.number == number; });
        if (taken)
            continue;
        CardImage image;
        image.folder = folder->number;
        image.number = number;
        image.kind = kind;
        image.path = path;
        image.size = static_cast<uint32_t>(st.st_size);
        images.push_back(image);
    }
    for (const auto& c : companions) {
        for (CardImage& image : images) {
            if (image.number == c.first && image.companion.empty())
                image.companion = c.second;
        }
    }
    std::sort(images.begin(), images.end(),
              [](const CardImage& a, const CardImage& b) { return a.number < b.number; });
    folder->images = std::move(images);
}

} // namespace

uint8_t kindOfFileName(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return 0;
    const std::string ending = lower(name.substr(dot + 1));
    if (ending == "jpg" || ending == "jpeg")
        return KindJpeg;
    if (ending == "tif" || ending == "tiff")
        return KindTiff;
    if (ending == "mov")
        return KindMovie;
    if (ending == "wav")
        return KindAudio;
    return 0;
}

bool scanCard(const std::string& root, Card* card) {
    card->root = root;
    card->folders.clear();
    struct stat st {};
    if (::stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    for (const std::string& name : sortedEntries(root)) {
        uint16_t number = 0;
        if (!parseNumber(name, &number))
            continue;
        const std::string path = root + "/" + name;
        if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        if (findFolder(*card, number))
            continue; // "7" and "007" name the same folder; the first one wins
        CardFolder folder;
        folder.number = number;
        folder.path = path;
        scanFolder(&folder);
        card->folders.push_back(std::move(folder));
    }
    std::sort(card->folders.begin(), card->folders.end(),
              [](const CardFolder& a, const CardFolder& b) { return a.number < b.number; });
    return true;
}

const CardFolder* findFolder(const Card& card, uint16_t folder) {
    for (const CardFolder& f : card.folders) {
        if (f.number == folder)
            return &f;
    }
    return nullptr;
}

const CardImage* findImage(const Card& card, uint16_t folder, uint16_t number) {
    const CardFolder* f = findFolder(card, folder);
    if (!f)
        return nullptr;
    for (const CardImage& i : f->images) {
        if (i.number == number)
            return &i;
    }
    return nullptr;
}

const CardImage* imageAtIndex(const Card& card, uint32_t index) {
    for (const CardFolder& f : card.folders) {
        if (index < f.images.size())
            return &f.images[index];
        index -= static_cast<uint32_t>(f.images.size());
    }
    return nullptr;
}

uint32_t imageCount(const Card& card) {
    uint32_t n = 0;
    for (const CardFolder& f : card.folders)
        n += static_cast<uint32_t>(f.images.size());
    return n;
}

uint64_t cardUsedBytes(const std::string& root) {
    uint64_t total = 0;
    for (const std::string& name : sortedEntries(root)) {
        const std::string path = root + "/" + name;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            continue;
        if (S_ISREG(st.st_mode)) {
            total += static_cast<uint64_t>(st.st_size);
        } else if (S_ISDIR(st.st_mode)) {
            for (const std::string& inner : sortedEntries(path)) {
                struct stat ist {};
                if (::stat((path + "/" + inner).c_str(), &ist) == 0 && S_ISREG(ist.st_mode))
                    total += static_cast<uint64_t>(ist.st_size);
            }
        }
    }
    return total;
}

bool readWholeFile(const std::string& path, Bytes* out, uint64_t maxBytes) {
    return vokc::ReadWholeFile(path.c_str(), out, maxBytes);
}

bool writeFileAtomically(const std::string& path, const Bytes& data) {
    return vokc::ReplaceFile(path.c_str(), data.data(), data.size());
}

bool storeUpload(const Card& card, const StoredUpload& upload, std::string* mainPath) {
    std::string folderPath;
    uint16_t number = 1;
    if (card.folders.empty()) {
        folderPath = card.root + "/100";
    } else {
        const CardFolder& last = card.folders.back();
        folderPath = last.path;
        if (last.highestNumber == 65535) {
            if (last.number == 65535)
                return false;
            char name[8];
            std::snprintf(name, sizeof name, "%03u", last.number + 1u);
            folderPath = card.root + "/" + name;
        } else {
            number = static_cast<uint16_t>(last.highestNumber + 1);
        }
    }
    if (::mkdir(folderPath.c_str(), 0755) != 0 && errno != EEXIST)
        return false;
    const char* ending = upload.kind == KindTiff    ? "tif"
                         : upload.kind == KindMovie ? "mov"
                         : upload.kind == KindAudio ? "wav"
                                                    : "jpg";
    char base[16];
    std::snprintf(base, sizeof base, "%04u", number);
    const std::string stem = folderPath + "/" + base;
    if (!upload.companion.empty() && !writeFileAtomically(stem + ".thm", upload.companion))
        return false;
    if (!writeFileAtomically(stem + "." + ending, upload.main)) {
        ::unlink((stem + ".thm").c_str());
        return false;
    }
    if (mainPath)
        *mainPath = stem + "." + ending;
    return true;
}

bool deleteImage(const CardImage& image) {
    if (::unlink(image.path.c_str()) != 0)
        return false;
    if (!image.companion.empty())
        ::unlink(image.companion.c_str());
    return true;
}

} // namespace rt70sim
