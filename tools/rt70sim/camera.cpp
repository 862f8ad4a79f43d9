/* Command handling of the virtual camera: each command of the camera's command table
 * answered from the camera's side, with the faults of the plan applied on the way. */
#include "camera.h"

#include "jpeg_util.h"
#include "tiff_read.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace rt70sim {

namespace {

constexpr size_t kPageSize = 50;
constexpr uint32_t kBlockSize = 32768;

enum Status : uint8_t {
    StatusOk = 0,
    StatusRefused = 2,
    StatusFull = 4,
    StatusNoItem = 6,
    StatusProtected = 9
};

int64_t nowSeconds(const Camera& cam) {
    return cam.now ? cam.now() : static_cast<int64_t>(std::time(nullptr));
}

void note(const Camera& cam, const std::string& text) {
    if (cam.log)
        cam.log(text);
}

Bytes reply8(uint8_t seq, uint8_t code, const uint8_t* payload, size_t length) {
    return buildPacket(8, seq, code, payload, length);
}

Bytes statusReply(uint8_t seq, uint8_t status) {
    return reply8(seq, 1, &status, 1);
}

Bytes infoReply(uint8_t seq, uint8_t kind, uint32_t size) {
    uint8_t p[5];
    p[0] = kind;
    PutLe32(&p[1], size);
    return reply8(seq, 29, p, sizeof p);
}

/* The camera's clock as broken-down fields; the offset keeps it a running clock. */
std::tm cameraTime(const Camera& cam) {
    const time_t t = static_cast<time_t>(nowSeconds(cam) + cam.clockOffset);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return tm;
}

bool setCameraTime(Camera& cam, std::tm tm) {
    tm.tm_isdst = 0;
    const time_t t = timegm(&tm);
    if (t == static_cast<time_t>(-1))
        return false;
    cam.clockOffset = static_cast<int64_t>(t) - nowSeconds(cam);
    return true;
}

int daysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

uint16_t readRegister(const Camera& cam, uint16_t address) {
    const std::tm tm = cameraTime(cam);
    if (address == clockRegister(cam.options.variant, 0))
        return static_cast<uint16_t>(tm.tm_year + 1900);
    if (address == clockRegister(cam.options.variant, 1))
        return static_cast<uint16_t>(((tm.tm_mon + 1) << 8) | tm.tm_mday);
    if (address == clockRegister(cam.options.variant, 2))
        return static_cast<uint16_t>((tm.tm_hour << 8) | tm.tm_min);
    auto it = cam.registers.find(address);
    return it == cam.registers.end() ? 0 : it->second;
}

/* A clock field outside its range is refused with status 2; the clock keeps running. */
uint8_t writeRegister(Camera& cam, uint16_t address, uint16_t value) {
    std::tm tm = cameraTime(cam);
    if (address == clockRegister(cam.options.variant, 0)) {
        if (value < 1970 || value > 2099)
            return StatusRefused;
        tm.tm_year = value - 1900;
        tm.tm_mday = std::min(tm.tm_mday, daysInMonth(value, tm.tm_mon + 1));
        return setCameraTime(cam, tm) ? StatusOk : StatusRefused;
    }
    if (address == clockRegister(cam.options.variant, 1)) {
        const int month = value >> 8, day = value & 0xFF;
        if (month < 1 || month > 12 || day < 1 || day > daysInMonth(tm.tm_year + 1900, month))
            return StatusRefused;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        return setCameraTime(cam, tm) ? StatusOk : StatusRefused;
    }
    if (address == clockRegister(cam.options.variant, 2)) {
        const int hour = value >> 8, minute = value & 0xFF;
        if (hour > 23 || minute > 59)
            return StatusRefused;
        tm.tm_hour = hour;
        tm.tm_min = minute;
        tm.tm_sec = 0;
        return setCameraTime(cam, tm) ? StatusOk : StatusRefused;
    }
    cam.registers[address] = value;
    return StatusOk;
}

/* A reply of type 16 listing up to 50 16-bit numbers of the page. */
Bytes listReply(uint8_t seq, uint8_t code, const std::vector<uint16_t>& numbers) {
    uint8_t payload[256] = {};
    const size_t first = static_cast<size_t>(seq) * kPageSize;
    size_t n = 0;
    for (size_t i = first; i < numbers.size() && n < kPageSize; ++i, ++n)
        PutLe16(&payload[n * 2], numbers[i]);
    return buildPacket(16, seq, code, payload, sizeof payload);
}

uint32_t pageCount(size_t total, uint8_t page) {
    const size_t first = static_cast<size_t>(page) * kPageSize;
    if (first >= total)
        return 0;
    return static_cast<uint32_t>(std::min(kPageSize, total - first));
}

std::vector<uint16_t> folderNumbers(const Card& card) {
    std::vector<uint16_t> v;
    for (const CardFolder& f : card.folders)
        v.push_back(f.number);
    return v;
}

std::vector<uint16_t> imageNumbers(const Card& card, uint16_t folder) {
    std::vector<uint16_t> v;
    if (const CardFolder* f = findFolder(card, folder)) {
        for (const CardImage& i : f->images)
            v.push_back(i.number);
    }
    return v;
}

/* The kind request byte of command 26 that names a kind: 0 JPEG still, 1 TIFF still, 2 movie
 * or audio memo. */
uint8_t kindRequestOf(uint8_t kind) {
    return kind == KindTiff ? 1 : (kind == KindMovie || kind == KindAudio) ? 2 : 0;
}

/* Makes the image the source of the following block reads. */
bool loadSource(Camera& cam, const CardImage& image) {
    TransferSource& s = cam.source;
    s = TransferSource{};
    if (!readWholeFile(image.path, &s.data))
        return false;
    s.valid = true;
    s.folder = image.folder;
    s.number = image.number;
    s.infoSize = static_cast<uint32_t>(s.data.size());
    s.path = image.path;
    s.companion = image.companion;
    s.kind = image.kind;
    return true;
}

/* A JPEG made from a plain RGB TIFF, for a TIFF still kept without its JPEG still. */
bool jpegOfTiff(const std::string& path, Bytes* jpeg) {
    Bytes tiff;
    Picture picture;
    return readWholeFile(path, &tiff) && readRgbTiff(tiff, &picture) &&
           encodeJpeg(picture, 85, true, nullptr, jpeg);
}

/* The first picture of a Motion-JPEG QuickTime movie: the first JPEG start in its
 * media data atom (libjpeg stops at that picture's end). */
bool firstJpegOfMovie(const std::string& path, Bytes* jpeg) {
    Bytes movie;
    if (!readWholeFile(path, &movie))
        return false;
    size_t at = 0;
    while (at + 8 <= movie.size()) {
        uint64_t size = static_cast<uint64_t>(movie[at]) << 24 | movie[at + 1] << 16 |
                        movie[at + 2] << 8 | movie[at + 3];
        size_t header = 8;
        if (size == 1 && at + 16 <= movie.size()) {
            size = 0;
            for (int i = 0; i < 8; ++i)
                size = size << 8 | movie[at + 8 + i];
            header = 16;
        } else if (size == 0) {
            size = movie.size() - at;
        }
        if (size < header || size > movie.size() - at)
            return false;
        if (std::memcmp(&movie[at + 4], "mdat", 4) == 0) {
            for (size_t i = at + header; i + 3 <= at + size; ++i) {
                if (movie[i] == 0xFF && movie[i + 1] == 0xD8 && movie[i + 2] == 0xFF) {
                    jpeg->assign(movie.begin() + static_cast<long>(i),
                                 movie.begin() + static_cast<long>(at + size));
                    return true;
                }
            }
            return false;
        }
        at += static_cast<size_t>(size);
    }
    return false;
}

/* The JPEG a thumbnail is made from: the image itself, its companion still, or without
 * one a JPEG made from a TIFF or the first picture of a Motion-JPEG movie. */
bool thumbnailSource(const CardImage& image, Bytes* jpeg) {
    if (image.kind == KindJpeg)
        return readWholeFile(image.path, jpeg);
    if (!image.companion.empty())
        return readWholeFile(image.companion, jpeg);
    if (image.kind == KindTiff)
        return jpegOfTiff(image.path, jpeg);
    return image.kind == KindMovie && firstJpegOfMovie(image.path, jpeg);
}

/* One block of the current source; selector 0 on a TIFF gives its JPEG still. */
std::optional<Bytes> blockReply(Camera& cam, uint8_t seq, uint16_t block, uint8_t selector) {
    TransferSource& s = cam.source;
    const Bytes* data = &s.data;
    if (!s.thumbnail && s.kind == KindTiff && selector == 0) {
        if (!s.stillLoaded) {
            s.stillLoaded = true;
            if (!s.companion.empty())
                readWholeFile(s.companion, &s.still);
            else
                jpegOfTiff(s.path, &s.still);
            // The host reads as many bytes as the TIFF has; a longer still would be cut.
            if (s.still.size() > s.infoSize)
                s.still.clear();
        }
        if (!s.still.empty())
            data = &s.still;
    }
    const uint64_t offset = static_cast<uint64_t>(block) * kBlockSize;
    const uint64_t limit = std::max<uint64_t>(s.infoSize, data->size());
    if (offset >= limit)
        return statusReply(seq, StatusRefused);
    uint8_t* payload = nullptr;
    Bytes reply = buildPacket(2, seq, 5, nullptr, 0);
    payload = &reply[4];
    if (offset < data->size()) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(kBlockSize, data->size() - offset));
        std::memcpy(payload, data->data() + offset, n);
    }
    resealPacket(reply);
    return reply;
}

uint8_t announce(Camera& cam, const uint8_t* p) {
    UploadState& up = cam.upload;
    up = UploadState{};
    if (cam.options.writeProtected)
        return StatusProtected;
    const uint8_t code = p[0];
    const uint32_t first = GetLe32(p + 1);
    uint32_t second = GetLe32(p + 5);
    if (code > 2 || first == 0 || (code != 0 && second == 0))
        return StatusRefused;
    if (code == 0)
        second = 0;
    if (cam.options.capacity) {
        const uint64_t used = cardUsedBytes(cam.root);
        if (used + first + second > cam.options.capacity)
            return StatusFull;
    }
    up.active = true;
    up.code = code;
    up.sizes[0] = first;
    up.sizes[1] = second;
    up.files = code == 0 ? 1 : 2;
    return StatusOk;
}

uint8_t finishUpload(Camera& cam) {
    UploadState& up = cam.upload;
    StoredUpload stored;
    if (up.code == 0) {
        stored.kind = KindJpeg;
        stored.main = std::move(up.data[0]);
    } else {
        // The JPEG still comes first, the file itself second.
        stored.kind = up.code == 2 ? KindMovie : KindTiff;
        stored.companion = std::move(up.data[0]);
        stored.main = std::move(up.data[1]);
    }
    up.active = false;
    scanCard(cam.root, &cam.card);
    std::string path;
    if (!storeUpload(cam.card, stored, &path)) {
        note(cam, "upload could not be stored");
        return StatusFull;
    }
    note(cam, "stored " + path);
    scanCard(cam.root, &cam.card);
    return StatusOk;
}

uint8_t receiveBlock(Camera& cam, const uint8_t* packet, size_t length) {
    UploadState& up = cam.upload;
    if (!up.lastBlock.empty() && up.lastBlock.size() == length &&
        std::memcmp(up.lastBlock.data(), packet, length) == 0)
        return StatusOk; // the host sent it again after losing our answer
    const size_t blockSize = payloadLength(packet[0]);
    if (!up.active || (packet[0] != 2 && packet[0] != 1))
        return StatusRefused;
    if (packet[1] != static_cast<uint8_t>(up.nextBlock))
        return StatusRefused;
    Bytes& data = up.data[up.file];
    const uint32_t want = up.sizes[up.file];
    const size_t n = std::min<size_t>(blockSize, want - data.size());
    data.insert(data.end(), packet + 4, packet + 4 + n);
    up.lastBlock.assign(packet, packet + length);
    ++up.nextBlock;
    if (data.size() < want)
        return StatusOk;
    up.nextBlock = 0;
    if (++up.file < up.files)
        return StatusOk;
    return finishUpload(cam);
}

std::optional<Bytes> execute(Camera& cam, const uint8_t* packet, size_t length) {
    const uint8_t seq = packet[1];
    const uint8_t code = packet[3];
    const uint8_t* p = packet + 4;
    switch (code) {
    case 2: { // identify
        uint8_t id[4] = {'D', 'S', 'C', static_cast<uint8_t>(cam.options.variant)};
        for (size_t i = 0; i < 3 && i < cam.options.letters.size(); ++i)
            id[i] = static_cast<uint8_t>(cam.options.letters[i]);
        return reply8(seq, 3, id, sizeof id);
    }
    case 31: // end of connection: releases the button and any unfinished upload
        cam.button = 0;
        cam.upload = UploadState{};
        return statusReply(seq, StatusOk);
    case 10: {
        scanCard(cam.root, &cam.card);
        uint8_t n[4];
        PutLe32(n, pageCount(cam.card.folders.size(), seq));
        return reply8(seq, 11, n, sizeof n);
    }
    case 12:
        scanCard(cam.root, &cam.card);
        return listReply(seq, 13, folderNumbers(cam.card));
    case 7: {
        scanCard(cam.root, &cam.card);
        uint8_t n[2];
        PutLe16(n,
                static_cast<uint16_t>(pageCount(imageNumbers(cam.card, GetLe16(p)).size(), seq)));
        return reply8(seq, 8, n, sizeof n);
    }
    case 14:
        scanCard(cam.root, &cam.card);
        return listReply(seq, 15, imageNumbers(cam.card, GetLe16(p)));
    case 130: {
        scanCard(cam.root, &cam.card);
        const size_t total = imageCount(cam.card);
        const size_t pages = (total + kPageSize - 1) / kPageSize;
        uint8_t n[4];
        PutLe32(n, seq >= pages ? 0xFFFFFFFFu : pageCount(total, seq));
        return reply8(seq, 131, n, sizeof n);
    }
    case 22: { // thumbnail information
        scanCard(cam.root, &cam.card);
        const CardImage* image = findImage(cam.card, GetLe16(p), GetLe16(p + 2));
        Bytes jpeg, thumb;
        if (!image || !thumbnailSource(*image, &jpeg) || !makeThumbnail(jpeg, &thumb))
            return statusReply(seq, StatusNoItem);
        cam.source = TransferSource{};
        cam.source.valid = true;
        cam.source.thumbnail = true;
        cam.source.folder = image->folder;
        cam.source.number = image->number;
        cam.source.kind = image->kind;
        cam.source.infoSize = static_cast<uint32_t>(thumb.size());
        cam.source.data = std::move(thumb);
        return infoReply(seq, image->kind, cam.source.infoSize);
    }
    case 26:
    case 132: {
        scanCard(cam.root, &cam.card);
        const CardImage* image = code == 26 ? findImage(cam.card, GetLe16(p), GetLe16(p + 2))
                                            : imageAtIndex(cam.card, GetLe32(p));
        if (!image)
            return statusReply(seq, StatusNoItem);
        if (code == 26 && cam.options.strictKinds && p[4] != kindRequestOf(image->kind))
            return statusReply(seq, StatusRefused);
        if (!loadSource(cam, *image))
            return statusReply(seq, StatusNoItem);
        return infoReply(seq, image->kind, cam.source.infoSize);
    }
    case 30:
    case 133: {
        uint16_t block;
        uint8_t selector;
        const CardImage* image = nullptr;
        if (code == 30) {
            block = GetLe16(p + 4);
            selector = p[6];
            const bool current = cam.source.valid && cam.source.folder == GetLe16(p) &&
                                 cam.source.number == GetLe16(p + 2);
            if (!current) {
                // A block read without its information command: read the image itself.
                scanCard(cam.root, &cam.card);
                image = findImage(cam.card, GetLe16(p), GetLe16(p + 2));
                if (!image || !loadSource(cam, *image))
                    return statusReply(seq, StatusNoItem);
            }
        } else {
            block = GetLe16(p + 4);
            selector = p[6];
            const uint32_t index = GetLe32(p);
            const CardImage* at = imageAtIndex(cam.card, index);
            const bool current = cam.source.valid && !cam.source.thumbnail && at &&
                                 cam.source.folder == at->folder && cam.source.number == at->number;
            if (!current) {
                scanCard(cam.root, &cam.card);
                image = imageAtIndex(cam.card, index);
                if (!image || !loadSource(cam, *image))
                    return statusReply(seq, StatusNoItem);
            }
        }
        return blockReply(cam, seq, block, selector);
    }
    case 17: { // delete
        if (cam.options.writeProtected)
            return statusReply(seq, StatusProtected);
        scanCard(cam.root, &cam.card);
        const CardImage* image = findImage(cam.card, GetLe16(p), GetLe16(p + 2));
        if (!image || !deleteImage(*image))
            return statusReply(seq, StatusRefused);
        note(cam, "deleted " + image->path);
        cam.source = TransferSource{};
        scanCard(cam.root, &cam.card);
        return statusReply(seq, StatusOk);
    }
    case 21:
        return statusReply(seq, announce(cam, p));
    case 5: // a block of the announced file; the answer always carries sequence 0
        return statusReply(0, receiveBlock(cam, packet, length));
    case 53: {
        uint8_t v[2];
        PutLe16(v, readRegister(cam, GetLe16(p)));
        return reply8(seq, 54, v, sizeof v);
    }
    case 52:
        return statusReply(seq, writeRegister(cam, GetLe16(p), GetLe16(p + 2)));
    case 128: {
        const uint8_t event = static_cast<uint8_t>(cam.button);
        return reply8(seq, 129, &event, 1);
    }
    case 134:
        cam.button = 0;
        return statusReply(seq, StatusOk);
    default:
        return statusReply(seq, StatusRefused);
    }
}

} // namespace

uint16_t clockRegister(char variant, int which) {
    const uint16_t base = variant == '2' ? 0x00C0 : 0x0140;
    return static_cast<uint16_t>(base + which);
}

void initCamera(Camera* camera, const std::string& root, const CameraOptions& options) {
    *camera = Camera{};
    camera->root = root;
    camera->options = options;
    scanCard(root, &camera->card);
    const time_t t = static_cast<time_t>(nowSeconds(*camera));
    std::tm local{};
    localtime_r(&t, &local);
    camera->clockOffset = local.tm_gmtoff;
}

std::optional<Bytes> handleRequest(Camera& camera, const uint8_t* packet, size_t length) {
    if (length < 6 || length != packetLength(packet[0]))
        return std::nullopt;
    if (packet[2] != static_cast<uint8_t>(~packet[1]) ||
        packet[length - 2] != packetChecksum(packet, length)) {
        note(camera, "request with broken framing ignored");
        return std::nullopt;
    }
    const uint8_t code = packet[3];
    const uint32_t count = ++camera.requestCounts[code];
    const FaultKind fault = decideFault(camera.faults, code, count);
    if (fault != FaultKind::None) {
        char text[64];
        std::snprintf(text, sizeof text, "fault %s on command %u (#%u)", faultKindName(fault), code,
                      count);
        note(camera, text);
    }
    if (fault == FaultKind::Drop)
        return std::nullopt;
    const uint8_t replySeq = code == 5 ? 0 : packet[1];
    const int status = faultStatus(fault);
    if (status >= 0)
        return statusReply(replySeq, static_cast<uint8_t>(status));
    std::optional<Bytes> reply = execute(camera, packet, length);
    if (reply && camera.log) {
        char text[64];
        std::snprintf(text, sizeof text, "command %u seq %u -> reply %u status %u", code, packet[1],
                      (*reply)[3], (*reply)[4]);
        note(camera, text);
    }
    if (reply)
        spoilReply(fault, *reply);
    return reply;
}

} // namespace rt70sim
