/* Writing the demo card: every file is produced here (pictures drawn in code, our own
 * Exif block, TIFF, QuickTime and WAV writers), so nothing comes from outside. */
#include "demo_card.h"

#include "card.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace rt70sim {

namespace {

// 5 x 7 digits, one row per byte, bit 4 the leftmost column.
const uint8_t kDigits[10][7] = {
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
};

void setPixel(Picture& p, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    if (x < 0 || y < 0 || x >= p.width || y >= p.height)
        return;
    uint8_t* q = &p.rgb[(static_cast<size_t>(y) * p.width + x) * 3];
    q[0] = r;
    q[1] = g;
    q[2] = b;
}

void drawNumber(Picture& p, int number, int x0, int y0, int cell) {
    const std::string text = std::to_string(number);
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t* glyph = kDigits[text[i] - '0'];
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (glyph[row] & (0x10 >> col))
                    for (int dy = 0; dy < cell; ++dy)
                        for (int dx = 0; dx < cell; ++dx)
                            setPixel(p, x0 + (static_cast<int>(i) * 6 + col) * cell + dx,
                                     y0 + row * cell + dy, 255, 255, 255);
    }
}

class Writer {
  public:
    Bytes bytes;
    void u8(uint8_t v) { bytes.push_back(v); }
    void u16le(uint16_t v) { vokc::Append16(bytes, v, false); }
    void u32le(uint32_t v) { vokc::Append32(bytes, v, false); }
    void u16be(uint16_t v) { vokc::Append16(bytes, v, true); }
    void u32be(uint32_t v) { vokc::Append32(bytes, v, true); }
    void text(const char* s, size_t n) { bytes.insert(bytes.end(), s, s + n); }
    void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
    void append(const Bytes& b) { bytes.insert(bytes.end(), b.begin(), b.end()); }
    // QuickTime atoms: begin writes a size placeholder, end patches it.
    size_t begin(const char* type) {
        const size_t at = bytes.size();
        u32be(0);
        text(type, 4);
        return at;
    }
    void end(size_t at) {
        const uint32_t size = static_cast<uint32_t>(bytes.size() - at);
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<uint8_t>(size >> (24 - 8 * i));
    }
    void matrix() {
        const uint32_t m[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
        for (uint32_t v : m)
            u32be(v);
    }
};

/* One little-endian TIFF directory entry; values of 4 bytes or fewer sit in place. */
void ifdEntry(Writer& w, uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
    w.u16le(tag);
    w.u16le(type);
    w.u32le(count);
    if (type == 3 && count == 1) {
        w.u16le(static_cast<uint16_t>(value));
        w.u16le(0);
    } else {
        w.u32le(value);
    }
}

bool writeFile(const std::string& path, const Bytes& data, std::string* error) {
    if (!writeFileAtomically(path, data)) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool makeDir(const std::string& path, std::string* error) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool exifJpeg(const Picture& p, bool h2v1, int minute, Bytes* out) {
    char date[32];
    std::snprintf(date, sizeof date, "2001:06:15 10:%02d:00", minute % 60);
    const Bytes app1 = exifApp1("Quintaral", "RT70", date, p.width, p.height);
    return encodeJpeg(p, 85, h2v1, &app1, out);
}

} // namespace

Picture demoPicture(int width, int height, int number) {
    Picture p;
    p.width = width;
    p.height = height;
    p.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
    const double hue = number * 1.7;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double fx = static_cast<double>(x) / width, fy = static_cast<double>(y) / height;
            const auto r = static_cast<uint8_t>(127 + 110 * std::sin(hue + 3.0 * fx));
            const auto g = static_cast<uint8_t>(40 + 180 * fy);
            const auto b = static_cast<uint8_t>(127 + 110 * std::cos(hue + 2.0 * fx * fy));
            setPixel(p, x, y, r, g, b);
        }
    }
    // A yellow disc and a dark bar, placed by the number so each picture differs.
    const int cx = width * (2 + number % 5) / 8, cy = height / 2, radius = height / 4;
    for (int y = cy - radius; y <= cy + radius; ++y)
        for (int x = cx - radius; x <= cx + radius; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius)
                setPixel(p, x, y, 250, 220, 40);
    for (int y = height * 7 / 8; y < height * 15 / 16; ++y)
        for (int x = width / 10; x < width * 9 / 10; ++x)
            setPixel(p, x, y, 30, 30, 60);
    const int cell = height / 20 > 1 ? height / 20 : 1;
    drawNumber(p, number, width / 16, height / 16, cell);
    return p;
}

namespace {

// One entry of a little-endian TIFF directory: values of up to four bytes sit in the entry,
// longer ones in the data area after the directories.
struct IfdValue {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    Bytes bytes; // the value in file order
};

IfdValue asciiValue(uint16_t tag, const std::string& text) {
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return {tag, 2, static_cast<uint32_t>(b.size()), b};
}

IfdValue undefinedValue(uint16_t tag, const char* four) {
    return {tag, 7, 4, Bytes(four, four + 4)};
}

IfdValue longValue(uint16_t tag, uint32_t v) {
    return {tag,
            4,
            1,
            {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
             static_cast<uint8_t>(v >> 24)}};
}

IfdValue shortValue(uint16_t tag, uint16_t v) {
    return {tag, 3, 1, {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}};
}

IfdValue rationalValue(uint16_t tag, uint32_t numerator, uint32_t denominator) {
    IfdValue v = longValue(tag, numerator);
    const IfdValue d = longValue(tag, denominator);
    v.type = 5;
    v.bytes.insert(v.bytes.end(), d.bytes.begin(), d.bytes.end());
    return v;
}

uint32_t ifdSize(const std::vector<IfdValue>& ifd) {
    return static_cast<uint32_t>(2 + 12 * ifd.size() + 4);
}

// Writes the directories one after the other from offset `at`, then every long value, each
// at an even offset. A LONG value of 0 under a pointer tag is patched to the offset of the
// directory it names (pointer tag -> index of that directory).
void writeIfds(Writer& w, uint32_t at, std::vector<std::vector<IfdValue>> ifds,
               const std::vector<std::pair<uint16_t, size_t>>& pointers) {
    std::vector<uint32_t> ifdAt;
    uint32_t next = at;
    for (const auto& ifd : ifds) {
        ifdAt.push_back(next);
        next += ifdSize(ifd);
    }
    for (auto& ifd : ifds)
        for (auto& v : ifd)
            for (const auto& p : pointers)
                if (v.tag == p.first)
                    v = longValue(v.tag, ifdAt[p.second]);
    uint32_t data = next;
    for (const auto& ifd : ifds) {
        w.u16le(static_cast<uint16_t>(ifd.size()));
        for (const auto& v : ifd) {
            w.u16le(v.tag);
            w.u16le(v.type);
            w.u32le(v.count);
            if (v.bytes.size() <= 4) {
                Bytes inline4 = v.bytes;
                inline4.resize(4, 0);
                w.append(inline4);
            } else {
                w.u32le(data);
                data += static_cast<uint32_t>(v.bytes.size() + (v.bytes.size() & 1));
            }
        }
        w.u32le(0);
    }
    for (const auto& ifd : ifds)
        for (const auto& v : ifd)
            if (v.bytes.size() > 4) {
                w.append(v.bytes);
                if (v.bytes.size() & 1)
                    w.u8(0);
            }
}

} // namespace

Bytes exifApp1(const std::string& make, const std::string& model, const std::string& dateTime,
               int width, int height) {
    const std::string date = dateTime.substr(0, 19);
    const uint16_t kExifPointer = 0x8769, kInteropPointer = 0xA005;
    // Tags in ascending order, as readers expect.
    std::vector<IfdValue> ifd0 = {asciiValue(0x010F, make),     asciiValue(0x0110, model),
                                  rationalValue(0x011A, 72, 1), rationalValue(0x011B, 72, 1),
                                  shortValue(0x0128, 2),        asciiValue(0x0132, date),
                                  shortValue(0x0213, 2),        longValue(kExifPointer, 0)};
    std::vector<IfdValue> exif = {undefinedValue(0x9000, "0210"),
                                  asciiValue(0x9003, date),
                                  asciiValue(0x9004, date),
                                  {0x9101, 7, 4, {1, 2, 3, 0}},
                                  undefinedValue(0xA000, "0100"),
                                  shortValue(0xA001, 1),
                                  longValue(0xA002, static_cast<uint32_t>(width)),
                                  longValue(0xA003, static_cast<uint32_t>(height)),
                                  longValue(kInteropPointer, 0)};
    std::vector<IfdValue> interop = {asciiValue(0x0001, "R98"), undefinedValue(0x0002, "0100")};
    Writer w;
    w.text("Exif\0\0", 6);
    // Offsets count from the TIFF header, which starts after "Exif\0\0".
    w.text("II", 2);
    w.u16le(42);
    w.u32le(8);
    writeIfds(w, 8, {ifd0, exif, interop}, {{kExifPointer, 1}, {kInteropPointer, 2}});
    return w.bytes;
}

Bytes tiffFile(const Picture& picture) {
    Writer w;
    w.text("II", 2);
    w.u16le(42);
    w.u32le(8);
    const uint16_t entries = 13;
    const uint32_t extra = 8 + 2 + entries * 12 + 4;
    const uint32_t bpsAt = extra, xresAt = extra + 6, yresAt = extra + 14, pixelsAt = extra + 22;
    const uint32_t pixelBytes = static_cast<uint32_t>(picture.rgb.size());
    w.u16le(entries);
    ifdEntry(w, 256, 4, 1, static_cast<uint32_t>(picture.width));
    ifdEntry(w, 257, 4, 1, static_cast<uint32_t>(picture.height));
    ifdEntry(w, 258, 3, 3, bpsAt);
    ifdEntry(w, 259, 3, 1, 1);
    ifdEntry(w, 262, 3, 1, 2);
    ifdEntry(w, 273, 4, 1, pixelsAt);
    ifdEntry(w, 277, 3, 1, 3);
    ifdEntry(w, 278, 4, 1, static_cast<uint32_t>(picture.height));
    ifdEntry(w, 279, 4, 1, pixelBytes);
    ifdEntry(w, 282, 5, 1, xresAt);
    ifdEntry(w, 283, 5, 1, yresAt);
    ifdEntry(w, 284, 3, 1, 1);
    ifdEntry(w, 296, 3, 1, 2);
    w.u32le(0);
    w.u16le(8);
    w.u16le(8);
    w.u16le(8);
    w.u32le(72);
    w.u32le(1);
    w.u32le(72);
    w.u32le(1);
    w.append(picture.rgb);
    return w.bytes;
}

Bytes wavFile(int sampleRate, int milliseconds, int frequency) {
    const uint32_t samples =
        static_cast<uint32_t>(static_cast<long>(sampleRate) * milliseconds / 1000);
    Writer w;
    w.text("RIFF", 4);
    w.u32le(36 + samples);
    w.text("WAVEfmt ", 8);
    w.u32le(16);
    w.u16le(1); // PCM
    w.u16le(1); // mono
    w.u32le(static_cast<uint32_t>(sampleRate));
    w.u32le(static_cast<uint32_t>(sampleRate));
    w.u16le(1);
    w.u16le(8);
    w.text("data", 4);
    w.u32le(samples);
    for (uint32_t i = 0; i < samples; ++i) {
        const double fade = 1.0 - static_cast<double>(i) / samples;
        w.u8(static_cast<uint8_t>(128 +
                                  100 * fade * std::sin(6.283185307 * frequency * i / sampleRate)));
    }
    if (samples & 1)
        w.u8(0);
    return w.bytes;
}

namespace {

/* The data-reference part every track's media information carries: the data is in this file. */
void dataReference(Writer& w) {
    size_t a = w.begin("hdlr");
    w.u32be(0);
    w.text("dhlralis", 8);
    w.zeros(12);
    w.u8(11);
    w.text("DataHandler", 11);
    w.end(a);
    const size_t dinf = w.begin("dinf");
    const size_t dref = w.begin("dref");
    w.u32be(0);
    w.u32be(1);
    a = w.begin("alis");
    w.u32be(1);
    w.end(a);
    w.end(dref);
    w.end(dinf);
}

/* The sound track: 8-bit unsigned mono samples at 8000 a second, one chunk at offset. */
void soundTrack(Writer& w, uint32_t samples, uint32_t offset, uint32_t movieScale) {
    const uint32_t rate = 8000;
    const size_t trak = w.begin("trak");
    size_t a = w.begin("tkhd");
    w.u32be(0xF);
    w.u32be(0);
    w.u32be(0);
    w.u32be(2);
    w.u32be(0);
    w.u32be(samples * movieScale / rate);
    w.zeros(8);
    w.u16be(0);
    w.u16be(0);
    w.u16be(0x100); // volume
    w.u16be(0);
    w.matrix();
    w.u32be(0);
    w.u32be(0);
    w.end(a);
    const size_t mdia = w.begin("mdia");
    a = w.begin("mdhd");
    w.u32be(0);
    w.u32be(0);
    w.u32be(0);
    w.u32be(rate);
    w.u32be(samples);
    w.u16be(0);
    w.u16be(0);
    w.end(a);
    a = w.begin("hdlr");
    w.u32be(0);
    w.text("mhlrsoun", 8);
    w.zeros(12);
    w.u8(12);
    w.text("SoundHandler", 12);
    w.end(a);
    const size_t minf = w.begin("minf");
    a = w.begin("smhd");
    w.u32be(0);
    w.u32be(0);
    w.end(a);
    dataReference(w);
    const size_t stbl = w.begin("stbl");
    const size_t stsd = w.begin("stsd");
    w.u32be(0);
    w.u32be(1);
    a = w.begin("raw ");
    w.zeros(6);
    w.u16be(1);
    w.u16be(0); // version
    w.u16be(0);
    w.u32be(0);
    w.u16be(1); // channels
    w.u16be(8); // bits per sample
    w.u16be(0);
    w.u16be(0);
    w.u32be(rate << 16);
    w.end(a);
    w.end(stsd);
    a = w.begin("stts");
    w.u32be(0);
    w.u32be(1);
    w.u32be(samples);
    w.u32be(1);
    w.end(a);
    a = w.begin("stsc");
    w.u32be(0);
    w.u32be(1);
    w.u32be(1);
    w.u32be(samples);
    w.u32be(1);
    w.end(a);
    a = w.begin("stsz");
    w.u32be(0);
    w.u32be(1);
    w.u32be(samples);
    w.end(a);
    a = w.begin("stco");
    w.u32be(0);
    w.u32be(1);
    w.u32be(offset);
    w.end(a);
    w.end(stbl);
    w.end(minf);
    w.end(mdia);
    w.end(trak);
}

} // namespace

Bytes movieFile(const std::vector<Bytes>& frames, int width, int height, int framesPerSecond,
                const Bytes& sound) {
    const uint32_t timescale = 600;
    const uint32_t frameTime = timescale / static_cast<uint32_t>(framesPerSecond);
    const uint32_t duration = frameTime * static_cast<uint32_t>(frames.size());
    Writer w;
    size_t a = w.begin("ftyp");
    w.text("qt  ", 4);
    w.u32be(0x20050300);
    w.text("qt  ", 4);
    w.end(a);
    a = w.begin("mdat");
    const uint32_t firstFrame = static_cast<uint32_t>(w.bytes.size());
    for (const Bytes& f : frames)
        w.append(f);
    const uint32_t soundAt = static_cast<uint32_t>(w.bytes.size());
    w.append(sound);
    w.end(a);

    const size_t moov = w.begin("moov");
    a = w.begin("mvhd");
    w.u32be(0);
    w.u32be(0);
    w.u32be(0);
    w.u32be(timescale);
    w.u32be(duration);
    w.u32be(0x10000);
    w.u16be(0x100);
    w.zeros(10);
    w.matrix();
    w.zeros(24);
    w.u32be(sound.empty() ? 2 : 3);
    w.end(a);

    const size_t trak = w.begin("trak");
    a = w.begin("tkhd");
    w.u32be(0xF);
    w.u32be(0);
    w.u32be(0);
    w.u32be(1);
    w.u32be(0);
    w.u32be(duration);
    w.zeros(8);
    w.u16be(0);
    w.u16be(0);
    w.u16be(0);
    w.u16be(0);
    w.matrix();
    w.u32be(static_cast<uint32_t>(width) << 16);
    w.u32be(static_cast<uint32_t>(height) << 16);
    w.end(a);

    const size_t mdia = w.begin("mdia");
    a = w.begin("mdhd");
    w.u32be(0);
    w.u32be(0);
    w.u32be(0);
    w.u32be(timescale);
    w.u32be(duration);
    w.u16be(0);
    w.u16be(0);
    w.end(a);
    a = w.begin("hdlr");
    w.u32be(0);
    w.text("mhlrvide", 8);
    w.zeros(12);
    w.u8(12);
    w.text("VideoHandler", 12);
    w.end(a);

    const size_t minf = w.begin("minf");
    a = w.begin("vmhd");
    w.u32be(1);
    w.u16be(0x40);
    w.zeros(6);
    w.end(a);
    dataReference(w);

    const size_t stbl = w.begin("stbl");
    const size_t stsd = w.begin("stsd");
    w.u32be(0);
    w.u32be(1);
    a = w.begin("jpeg");
    w.zeros(6);
    w.u16be(1);
    w.u16be(0);
    w.u16be(0);
    w.zeros(4);
    w.u32be(0);
    w.u32be(512);
    w.u16be(static_cast<uint16_t>(width));
    w.u16be(static_cast<uint16_t>(height));
    w.u32be(72u << 16);
    w.u32be(72u << 16);
    w.u32be(0);
    w.u16be(1);
    char name[32] = {};
    name[0] = 10;
    std::memcpy(name + 1, "Photo-JPEG", 10);
    w.text(name, 32);
    w.u16be(24);
    w.u16be(0xFFFF);
    w.end(a);
    w.end(stsd);
    a = w.begin("stts");
    w.u32be(0);
    w.u32be(1);
    w.u32be(static_cast<uint32_t>(frames.size()));
    w.u32be(frameTime);
    w.end(a);
    a = w.begin("stsc");
    w.u32be(0);
    w.u32be(1);
    w.u32be(1);
    w.u32be(static_cast<uint32_t>(frames.size()));
    w.u32be(1);
    w.end(a);
    a = w.begin("stsz");
    w.u32be(0);
    w.u32be(0);
    w.u32be(static_cast<uint32_t>(frames.size()));
    for (const Bytes& f : frames)
        w.u32be(static_cast<uint32_t>(f.size()));
    w.end(a);
    a = w.begin("stco");
    w.u32be(0);
    w.u32be(1);
    w.u32be(firstFrame);
    w.end(a);
    w.end(stbl);
    w.end(minf);
    w.end(mdia);
    w.end(trak);
    if (!sound.empty())
        soundTrack(w, static_cast<uint32_t>(sound.size()), soundAt, timescale);
    w.end(moov);
    return w.bytes;
}

bool makeDemoCard(const std::string& dir, std::string* error) {
    const std::string stills = dir + "/100", media = dir + "/101";
    if (!makeDir(dir, error) || !makeDir(stills, error) || !makeDir(media, error))
        return false;
    struct Still {
        int width, height;
        bool h2v1;
    };
    const Still list[] = {{640, 480, true}, {320, 240, false}, {1024, 768, true}};
    for (int i = 0; i < 3; ++i) {
        Bytes jpeg;
        if (!exifJpeg(demoPicture(list[i].width, list[i].height, i + 1), list[i].h2v1, i, &jpeg)) {
            *error = "cannot encode a demo picture";
            return false;
        }
        char name[32];
        std::snprintf(name, sizeof name, "/%04d.jpg", i + 1);
        if (!writeFile(stills + name, jpeg, error))
            return false;
    }
    // A TIFF still, with the JPEG still the camera keeps beside it.
    const Picture tiffPicture = demoPicture(320, 240, 4);
    Bytes still;
    if (!exifJpeg(tiffPicture, true, 4, &still) ||
        !writeFile(stills + "/0004.tif", tiffFile(tiffPicture), error) ||
        !writeFile(stills + "/0004.thm", still, error))
        return false;

    // A one-second movie of a moving disc, and its first picture as its still.
    std::vector<Bytes> frames;
    for (int f = 0; f < 10; ++f) {
        Picture p = demoPicture(160, 120, 5);
        for (int y = 50; y < 70; ++y)
            for (int x = 10 + f * 13; x < 30 + f * 13; ++x)
                setPixel(p, x, y, 220, 30, 30);
        Bytes frame;
        if (!encodeJpeg(p, 75, true, nullptr, &frame)) {
            *error = "cannot encode a movie frame";
            return false;
        }
        frames.push_back(std::move(frame));
    }
    if (!writeFile(media + "/0001.mov", movieFile(frames, 160, 120, 10), error) ||
        !writeFile(media + "/0001.thm", frames[0], error))
        return false;
    return writeFile(media + "/0002.wav", wavFile(8000, 1000, 440), error);
}

} // namespace rt70sim
