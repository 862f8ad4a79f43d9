/* The Exif APP1 segment and the TIFF header as the writer lays them out: sizes, offsets,
 * pointer tags, value areas, override matching, in-place tag changes, and the message a
 * broken template gives when a host registered an owner. */
#include "img_write.h"
#include "write_helpers.h"

#include <fstream>

using namespace imgw;
using vokimg::build_exif_block;
using vokimg::exif_block_size;
using vokimg::exif_entries;

namespace {

struct Dir {
    uint32_t offset = 0;
    uint32_t count = 0;
    uint32_t next = 0;
};

Dir dir_at(const unsigned char* tiff, uint32_t offset) {
    Dir d;
    d.offset = offset;
    d.count = GetLe16(tiff + offset);
    d.next = GetLe32(tiff + offset + 2 + 12 * d.count);
    return d;
}

// Tag, type, count, value-or-offset of entry i.
struct Entry {
    uint32_t tag, type, count, value;
};
Entry entry_of(const unsigned char* tiff, const Dir& d, uint32_t i) {
    const unsigned char* e = tiff + d.offset + 2 + 12 * i;
    return {GetLe16(e), GetLe16(e + 2), GetLe32(e + 4), GetLe32(e + 8)};
}

Bytes template_block(uint32_t thumbnail, const ExifTagEntry* overrides = nullptr,
                     uint32_t count = 0) {
    std::vector<ExifTagEntry> entries;
    EXPECT_TRUE(exif_entries(overrides, count, &entries));
    Bytes block;
    EXPECT_TRUE(build_exif_block(entries, thumbnail, &block));
    return block;
}

ExifTagEntry model_override(const char* text, uint32_t count) {
    ExifTagEntry e;
    SetExifStructInfoMember(&e, 272, 2, count, 0, 0, text);
    return e;
}

} // namespace

TEST(ImgWriteExif, TemplateBlockIs492BytesWithThumbnailAt482) {
    std::vector<ExifTagEntry> entries;
    ASSERT_TRUE(exif_entries(nullptr, 0, &entries));
    EXPECT_EQ(entries.size(), 27u);
    EXPECT_EQ(exif_block_size(entries), 492u);
    // The thumbnail budget keeps the APP1 segment within 64,512 bytes.
    EXPECT_EQ(64512u - exif_block_size(entries), 64020u);

    Bytes block = template_block(1000);
    ASSERT_EQ(block.size(), 492u);
    EXPECT_EQ(block[0], 0xFF);
    EXPECT_EQ(block[1], 0xE1);
    EXPECT_EQ(vokc::GetBe16(&block[2]), 492u - 2 + 1000);
    EXPECT_EQ(0, std::memcmp(block.data() + 4, "Exif\0\0", 6));
    const unsigned char* tiff = block.data() + 10;
    EXPECT_EQ(0, std::memcmp(tiff, "II", 2));
    EXPECT_EQ(GetLe16(tiff + 2), 42u);
    EXPECT_EQ(GetLe32(tiff + 4), 8u);

    Dir d0 = dir_at(tiff, 8);
    ASSERT_EQ(d0.count, 9u);
    Entry exifPointer = entry_of(tiff, d0, 8);
    EXPECT_EQ(exifPointer.tag, 34665u);
    Dir exif = dir_at(tiff, exifPointer.value);
    EXPECT_EQ(exif.offset, 8u + 178u); // directory 0 with its 64-byte value area
    ASSERT_EQ(exif.count, 10u);
    EXPECT_EQ(exif.next, 0u);
    Entry interopPointer = entry_of(tiff, exif, 9);
    EXPECT_EQ(interopPointer.tag, 40965u);
    Dir interop = dir_at(tiff, interopPointer.value);
    EXPECT_EQ(interop.offset, exif.offset + 172u);
    ASSERT_EQ(interop.count, 2u);
    Dir d1 = dir_at(tiff, d0.next);
    EXPECT_EQ(d1.offset, interop.offset + 30u);
    ASSERT_EQ(d1.count, 6u);
    EXPECT_EQ(d1.next, 0u);
    Entry thumb = entry_of(tiff, d1, 4);
    EXPECT_EQ(thumb.tag, 513u);
    EXPECT_EQ(thumb.value, 482u);
    EXPECT_EQ(d1.offset + 94u, 482u); // directory 1's value area ends where it begins
}

TEST(ImgWriteExif, ValuesSitInEntriesOrInTheirDirectorysArea) {
    Bytes block = template_block(0);
    const unsigned char* tiff = block.data() + 10;
    Dir d0 = dir_at(tiff, 8);
    Entry make = entry_of(tiff, d0, 0);
    EXPECT_EQ(make.type, 2u);
    EXPECT_EQ(make.count, 10u);
    EXPECT_EQ(make.value, 8u + 114u); // first byte of directory 0's value area
    EXPECT_EQ(0, std::memcmp(tiff + make.value, "Quintaral\0", 10));
    Entry model = entry_of(tiff, d0, 1);
    EXPECT_EQ(0, std::memcmp(tiff + model.value, "qubex    \0", 10));
    Entry xres = entry_of(tiff, d0, 2);
    EXPECT_EQ(GetLe32(tiff + xres.value), 72u);
    EXPECT_EQ(GetLe32(tiff + xres.value + 4), 1u);
    EXPECT_EQ(entry_of(tiff, d0, 4).value, 2u); // ResolutionUnit inline

    Dir exif = dir_at(tiff, entry_of(tiff, d0, 8).value);
    const unsigned char* version = tiff + exif.offset + 2 + 8;
    EXPECT_EQ(0, std::memcmp(version, "0210", 4));
    const unsigned char* components = tiff + exif.offset + 2 + 12 * 3 + 8;
    const unsigned char expected[4] = {1, 2, 3, 0};
    EXPECT_EQ(0, std::memcmp(components, expected, 4));
    Entry note = entry_of(tiff, exif, 4);
    EXPECT_EQ(note.tag, 37500u);
    EXPECT_EQ(note.count, 6u);
    EXPECT_EQ(0, std::memcmp(tiff + note.value, "VOKD\0\0", 6));
    Dir interop = dir_at(tiff, entry_of(tiff, exif, 9).value);
    EXPECT_EQ(0, std::memcmp(tiff + interop.offset + 2 + 8, "R98\0", 4));
    EXPECT_EQ(0, std::memcmp(tiff + interop.offset + 2 + 12 + 8, "0100", 4));

    // The reading side finds the same values.
    VokImgBlock view = view_of(block);
    char text[100];
    uint32_t number = 0;
    ASSERT_TRUE(GetExif_MemberData(&view, 271, 2, 1, text, sizeof text, nullptr));
    EXPECT_STREQ(text, "Quintaral");
    ASSERT_TRUE(GetExif_MemberData(&view, 1, 2, 1, text, sizeof text, nullptr));
    EXPECT_STREQ(text, "R98");
    ASSERT_TRUE(GetExif_MemberData(&view, 40961, 3, 1, nullptr, 0, &number));
    EXPECT_EQ(number, 1u);
}

TEST(ImgWriteExif, OverridesMatchInTemplateOrderOnly) {
    // The main program's two overrides: an even-count Model and a MakerNote with two bytes.
    ExifTagEntry overrides[2];
    overrides[0] = model_override("RT70 ", 6);
    unsigned char note[6] = {'V', 'O', 'K', 'D', 6, 0};
    SetExifStructInfoMember(&overrides[1], 37500, 7, 6, 0, 0, note);
    Bytes block = template_block(0, overrides, 2);
    EXPECT_EQ(block.size(), 488u); // Model shrank from 10 to 6 bytes
    VokImgBlock view = view_of(block);
    char text[100];
    ASSERT_TRUE(GetExif_MemberData(&view, 272, 2, 1, text, sizeof text, nullptr));
    EXPECT_STREQ(text, "RT70 ");
    uint32_t offset = 0, size = 0, type = 0;
    ASSERT_TRUE(ScanTargetTag(block.data() + 10, 37500, 0, uint32_t(block.size() - 10), &offset,
                              &size, &type));
    EXPECT_EQ(0, std::memcmp(block.data() + 10 + offset, note, 6));
    uint32_t thumb = 0;
    ASSERT_TRUE(GetExif_MemberData(&view, 513, 4, 1, nullptr, 0, &thumb));
    EXPECT_EQ(thumb, 478u);

    // In the wrong order the first override stops the matching of the second.
    ExifTagEntry reversed[2] = {overrides[1], overrides[0]};
    Bytes other = template_block(0, reversed, 2);
    VokImgBlock otherView = view_of(other);
    ASSERT_TRUE(GetExif_MemberData(&otherView, 272, 2, 1, text, sizeof text, nullptr));
    EXPECT_STREQ(text, "qubex    ");
    ASSERT_TRUE(ScanTargetTag(other.data() + 10, 37500, 0, uint32_t(other.size() - 10), &offset,
                              &size, &type));
    EXPECT_EQ(other[10 + offset + 4], 6);

    // A tag the template lacks stops the ones after it.
    ExifTagEntry unknown[2];
    SetExifStructInfoMember(&unknown[0], 999, 3, 1, 5, 0, nullptr);
    unknown[1] = overrides[1];
    Bytes third = template_block(0, unknown, 2);
    ASSERT_TRUE(ScanTargetTag(third.data() + 10, 37500, 0, uint32_t(third.size() - 10), &offset,
                              &size, &type));
    EXPECT_EQ(third[10 + offset + 4], 0);
}

TEST(ImgWriteExif, OverrideNumbersKeepTheTemplatesBytes) {
    // A nonzero number replaces the value but not the template's bytes.
    ExifTagEntry o;
    SetExifStructInfoMember(&o, 36864, 7, 4, 0x30323230, 0, "XXXX");
    Bytes block = template_block(0, &o, 1);
    VokImgBlock view = view_of(block);
    char text[100];
    ASSERT_TRUE(GetExif_MemberData_ExifIFD(&view, 34665, 36864, 7, 1, text, sizeof text, nullptr));
    EXPECT_STREQ(text, "0220"); // the number's bytes, most significant first
}

TEST(ImgWriteExif, OverridesTheWriterCannotLayOutAreRefused) {
    std::vector<ExifTagEntry> entries;
    ExifTagEntry tooLong;
    SetExifStructInfoMember(&tooLong, 271, 2, 40, 0, 0, "Quintaral");
    EXPECT_FALSE(exif_entries(&tooLong, 1, &entries));
    ExifTagEntry badType;
    SetExifStructInfoMember(&badType, 271, 11, 1, 0, 0, nullptr);
    EXPECT_FALSE(exif_entries(&badType, 1, &entries));
    ExifTagEntry noCount;
    SetExifStructInfoMember(&noCount, 271, 2, 0, 0, 0, "");
    EXPECT_FALSE(exif_entries(&noCount, 1, &entries));
    // The segment must stay within 16-bit length with its thumbnail.
    ASSERT_TRUE(exif_entries(nullptr, 0, &entries));
    Bytes block;
    EXPECT_FALSE(build_exif_block(entries, 65100, &block));
}

TEST(ImgWriteExif, SetExifStructInfoMemberReadsOnlyWhatTheTypeNeeds) {
    ExifTagEntry e;
    SetExifStructInfoMember(&e, 272, 2, 10, 0, 0, "abc"); // shorter text than its count
    EXPECT_EQ(e.tag, 272);
    EXPECT_EQ(e.count, 10u);
    EXPECT_EQ(0, std::memcmp(e.bytes, "abc\0\0\0\0\0\0\0", 10));
    SetExifStructInfoMember(&e, 282, 5, 1, 72, 1, "ignored");
    EXPECT_EQ(e.value, 72u);
    EXPECT_EQ(e.second, 1u);
    EXPECT_EQ(e.bytes[0], 0);
    EXPECT_EQ(sizeof(ExifTagEntry), 48u); // two entries make the main program's 96 bytes
}

TEST(ImgWriteExif, ChangeMemberDataWritesWithinTheValue) {
    Bytes block = template_block(0);
    VokImgBlock view = view_of(block);
    ASSERT_TRUE(ChangeExif_MemberData(&view, 40962, nullptr, 1234, 1));
    ASSERT_TRUE(ChangeExif_MemberData(&view, 306, "2001:02:03 04:05:06", 0, 1));
    // A text longer than the value is cut and still terminated.
    ASSERT_TRUE(ChangeExif_MemberData(&view, 271, "A much longer maker name", 0, 1));
    EXPECT_FALSE(ChangeExif_MemberData(&view, 4242, nullptr, 1, 1));
    char text[100];
    uint32_t number = 0;
    ASSERT_TRUE(GetExif_MemberData(&view, 40962, 4, 1, nullptr, 0, &number));
    EXPECT_EQ(number, 1234u);
    ASSERT_TRUE(GetExif_MemberData(&view, 306, 2, 1, text, sizeof text, nullptr));
    EXPECT_STREQ(text, "2001:02:03 04:05:06");
    ASSERT_TRUE(GetExif_MemberData(&view, 271, 2, 1, text, sizeof text, nullptr));
    EXPECT_STREQ(text, "A much lo");
    ASSERT_TRUE(GetExif_MemberData(&view, 272, 2, 1, text, sizeof text, nullptr));
    EXPECT_STREQ(text, "qubex    "); // the neighbour is untouched

    // A SHORT in a big-endian block takes two bytes in that order.
    unsigned char be[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD};
    ASSERT_TRUE(ChangeTargetTag(be, sizeof be, 8, 3, 2, nullptr, 0x1234, 1));
    EXPECT_EQ(be[8], 0x12);
    EXPECT_EQ(be[9], 0x34);
    EXPECT_EQ(be[10], 0xCC);
    EXPECT_FALSE(ChangeTargetTag(be, sizeof be, 10, 4, 4, nullptr, 1, 0)); // beyond the data
}

TEST(ImgWriteExif, TiffHeaderIs330BytesWithStripOffsetAfterIt) {
    Bytes header;
    ASSERT_TRUE(vokimg::build_tiff_header(nullptr, 0, 33, 21, "2002:03:04 05:06:07", &header));
    ASSERT_EQ(header.size(), 330u);
    const unsigned char* t = header.data();
    EXPECT_EQ(0, std::memcmp(t, "II*\0\x08\0\0\0", 8));
    Dir d0 = dir_at(t, 8);
    ASSERT_EQ(d0.count, 17u);
    EXPECT_EQ(d0.next, 0u);
    auto find = [&](const Dir& d, uint32_t tag) {
        for (uint32_t i = 0; i < d.count; ++i) {
            if (entry_of(t, d, i).tag == tag)
                return entry_of(t, d, i);
        }
        return Entry{0, 0, 0, 0};
    };
    EXPECT_EQ(find(d0, 256).value, 33u);
    EXPECT_EQ(find(d0, 257).value, 21u);
    EXPECT_EQ(find(d0, 273).value, 330u);
    EXPECT_EQ(find(d0, 278).value, 21u);
    EXPECT_EQ(find(d0, 279).value, 33u * 21u * 3u);
    Entry bits = find(d0, 258);
    EXPECT_EQ(bits.count, 3u);
    EXPECT_EQ(GetLe16(t + bits.value), 8u);
    EXPECT_EQ(GetLe16(t + bits.value + 4), 8u);
    Entry date = find(d0, 306);
    EXPECT_EQ(0, std::memcmp(t + date.value, "2002:03:04 05:06:07\0", 20));
    Dir exif = dir_at(t, find(d0, 34665).value);
    EXPECT_EQ(exif.offset, 288u);
    EXPECT_EQ(exif.count, 3u);
}

TEST_F(WriteTest, BrokenPointerOverrideShowsTagMessageOnlyWithOwner) {
    Bytes jpeg = imgtest::make_jpeg(64, 48);
    std::string src = put_work("src.jpg", jpeg);
    std::string log = dir_ + "/boxes.log";
    setenv("VOK_MSG_LOG", log.c_str(), 1);
    setenv("VOK_MSG_ANSWER", "ok", 1);
    // The Exif pointer turned into text: the patched tags can no longer be found.
    ExifTagEntry broken;
    SetExifStructInfoMember(&broken, 34665, 2, 4, 0, 0, "abc");
    EXPECT_EQ(ChangeFormatToExifAndSave(src.c_str(), in_work("a.jpg").c_str(), &broken, 1), 0);
    EXPECT_TRUE(imgtest::read_file(log).empty());
    EXPECT_FALSE(std::filesystem::exists(in_work("a.jpg")));

    int owner = 0;
    KeepTargetApplicationHandle(&owner, "qubex");
    EXPECT_EQ(ChangeFormatToExifAndSave(src.c_str(), in_work("a.jpg").c_str(), &broken, 1), 0);
    Bytes logged = imgtest::read_file(log);
    std::string line(logged.begin(), logged.end());
    EXPECT_NE(line.find("error - qubex\tCan not find the Tag."), std::string::npos) << line;

    // German texts through the same box.
    std::remove(log.c_str());
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(ChangeFormatToExifAndSave(src.c_str(), in_work("a.jpg").c_str(), &broken, 1), 0);
    logged = imgtest::read_file(log);
    line.assign(logged.begin(), logged.end());
    // A TIFF tag, not a day ("Tag" alone reads as one).
    EXPECT_NE(line.find("TIFF-Tag nicht gefunden."), std::string::npos) << line;
    setenv("LC_ALL", "fr_FR.UTF-8", 1);
    EXPECT_STREQ(VokImg_LibraryText(14), "Balise TIFF introuvable.");
    setenv("LC_ALL", "C", 1);
    KeepTargetApplicationHandle(&owner, "");
    std::remove(log.c_str());
    EXPECT_EQ(ChangeFormatToExifAndSave(src.c_str(), in_work("a.jpg").c_str(), &broken, 1), 0);
    EXPECT_TRUE(imgtest::read_file(log).empty());
    EXPECT_STREQ(VokImg_LibraryText(13), "Can not change to thumbnail.");
    EXPECT_STREQ(VokImg_LibraryText(15), "");
}

namespace {

// One row of a template table: tag, type, count and the value's bytes as written (inline
// or in the value area), little-endian.
struct Row {
    uint32_t tag, type, count;
    std::vector<unsigned char> bytes;
};

std::vector<unsigned char> text_bytes(const char* text, size_t count) {
    std::vector<unsigned char> b(count, 0);
    std::memcpy(b.data(), text, std::min(std::strlen(text), count));
    return b;
}
std::vector<unsigned char> short_bytes(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8)};
}
std::vector<unsigned char> long_bytes(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}
std::vector<unsigned char> rational_bytes(uint32_t n, uint32_t d) {
    std::vector<unsigned char> b = long_bytes(n);
    std::vector<unsigned char> e = long_bytes(d);
    b.insert(b.end(), e.begin(), e.end());
    return b;
}

// Compares a directory entry by entry; values of four bytes or less sit in the entry,
// larger ones at the offset it holds, inside the directory's own value area.
void expect_dir(const unsigned char* tiff, const Dir& d, const std::vector<Row>& rows,
                uint32_t areaEnd) {
    ASSERT_EQ(d.count, rows.size());
    uint32_t area = d.offset + 6 + 12 * d.count;
    for (uint32_t i = 0; i < d.count; ++i) {
        SCOPED_TRACE(testing::Message() << "entry " << i << " tag " << rows[i].tag);
        Entry e = entry_of(tiff, d, i);
        EXPECT_EQ(e.tag, rows[i].tag);
        EXPECT_EQ(e.type, rows[i].type);
        EXPECT_EQ(e.count, rows[i].count);
        const std::vector<unsigned char>& want = rows[i].bytes;
        const unsigned char* at = tiff + d.offset + 2 + 12 * i + 8;
        if (want.size() > 4) {
            EXPECT_EQ(e.value, area); // the value area fills in entry order
            at = tiff + e.value;
            area += uint32_t(want.size());
        }
        if (!want.empty()) {
            EXPECT_EQ(std::vector<unsigned char>(at, at + want.size()), want);
        }
    }
    EXPECT_EQ(area, areaEnd);
}

} // namespace

TEST(ImgWriteExif, ExifTemplateEntryByEntry) {
    Bytes block = template_block(0);
    const unsigned char* tiff = block.data() + 10;
    const char* date = "1999:01:01 00:00:00";
    Dir d0 = dir_at(tiff, 8);
    uint32_t exifAt = 8 + 178, interopAt = exifAt + 172, d1At = interopAt + 30;
    expect_dir(tiff, d0,
               {{271, 2, 10, text_bytes("Quintaral", 10)},
                {272, 2, 10, text_bytes("qubex    ", 10)},
                {282, 5, 1, rational_bytes(72, 1)},
                {283, 5, 1, rational_bytes(72, 1)},
                {296, 3, 1, short_bytes(2)},
                {305, 2, 8, text_bytes("Ver.1.0", 8)},
                {306, 2, 20, text_bytes(date, 20)},
                {531, 3, 1, short_bytes(2)},
                {34665, 4, 1, long_bytes(exifAt)}},
               exifAt);
    EXPECT_EQ(d0.next, d1At);
    expect_dir(tiff, dir_at(tiff, exifAt),
               {{36864, 7, 4, text_bytes("0210", 4)},
                {36867, 2, 20, text_bytes(date, 20)},
                {36868, 2, 20, text_bytes(date, 20)},
                {37121, 7, 4, {1, 2, 3, 0}},
                {37500, 7, 6, {'V', 'O', 'K', 'D', 0, 0}},
                {40960, 7, 4, text_bytes("0100", 4)},
                {40961, 3, 1, short_bytes(1)},
                {40962, 4, 1, long_bytes(0)},
                {40963, 4, 1, long_bytes(0)},
                {40965, 4, 1, long_bytes(interopAt)}},
               interopAt);
    EXPECT_EQ(dir_at(tiff, exifAt).next, 0u);
    expect_dir(tiff, dir_at(tiff, interopAt),
               {{1, 2, 4, text_bytes("R98", 4)}, {2, 7, 4, text_bytes("0100", 4)}}, d1At);
    EXPECT_EQ(dir_at(tiff, interopAt).next, 0u);
    expect_dir(tiff, dir_at(tiff, d1At),
               {{259, 3, 1, short_bytes(6)},
                {282, 5, 1, rational_bytes(72, 1)},
                {283, 5, 1, rational_bytes(72, 1)},
                {296, 3, 1, short_bytes(2)},
                {513, 4, 1, long_bytes(482)},
                {514, 4, 1, long_bytes(0)}},
               482);
    EXPECT_EQ(dir_at(tiff, d1At).next, 0u);
    EXPECT_EQ(block.size(), 10u + 482u);
}

TEST(ImgWriteExif, TiffTemplateEntryByEntry) {
    Bytes header;
    ASSERT_TRUE(vokimg::build_tiff_header(nullptr, 0, 33, 21, "2002:03:04 05:06:07", &header));
    const unsigned char* t = header.data();
    Dir d0 = dir_at(t, 8);
    uint32_t exifAt = 8 + 210 + 70;
    expect_dir(t, d0,
               {{256, 4, 1, long_bytes(33)},
                {257, 4, 1, long_bytes(21)},
                {258, 3, 3, {8, 0, 8, 0, 8, 0}},
                {259, 3, 1, short_bytes(1)},
                {262, 3, 1, short_bytes(2)},
                {271, 2, 10, text_bytes("Quintaral", 10)},
                {272, 2, 10, text_bytes("qubex    ", 10)},
                {273, 4, 1, long_bytes(330)},
                {277, 3, 1, short_bytes(3)},
                {278, 4, 1, long_bytes(21)},
                {279, 4, 1, long_bytes(33 * 21 * 3)},
                {282, 5, 1, rational_bytes(72, 1)},
                {283, 5, 1, rational_bytes(72, 1)},
                {296, 3, 1, short_bytes(2)},
                {305, 2, 8, text_bytes("Ver.1.0", 8)},
                {306, 2, 20, text_bytes("2002:03:04 05:06:07", 20)},
                {34665, 4, 1, long_bytes(exifAt)}},
               exifAt);
    EXPECT_EQ(d0.next, 0u);
    expect_dir(t, dir_at(t, exifAt),
               {{36864, 7, 4, text_bytes("0210", 4)},
                {40960, 7, 4, text_bytes("0100", 4)},
                {40961, 3, 1, short_bytes(1)}},
               exifAt + 42);
    EXPECT_EQ(dir_at(t, exifAt).next, 0u);
    EXPECT_EQ(header.size(), size_t(exifAt) + 42u);
}
