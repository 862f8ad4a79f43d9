/* The album file byte for byte: what we write is read back by a reader written here from the
 * byte table alone; the reader's versions, flags and refusals; safe replacing on save. */
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "album_file.h"
#include "album_test_util.h"

namespace {

using namespace qubex::album;
using albumtest::MakeDib;
using Bytes = std::vector<uint8_t>;

uint32_t Le32(const Bytes& b, size_t at) {
    return vokc::GetLe32(b.data() + at);
}

// A reader written from the byte table alone, independent of the one under test.
struct TableEntry {
    std::string path;
    Bytes thumbnail;
};
struct TableAlbum {
    uint16_t version = 0;
    std::vector<TableEntry> entries;
    std::vector<uint8_t> flags;
};
bool ReadByTable(const Bytes& f, TableAlbum* a) {
    if (f.size() < 32 || std::memcmp(f.data(), "VOK DSC ALBUM  \0", 16) != 0 || f[18] != 0x50)
        return false;
    for (size_t i : {19, 20, 21, 22, 23, 26, 27, 28, 29, 30, 31})
        if (f[i] != 0)
            return false;
    a->version = vokc::GetLe16(f.data() + 16);
    const size_t count = vokc::GetLe16(f.data() + 24);
    size_t at = 32;
    for (size_t i = 0; i < count; ++i) {
        if (f.size() - at < 264)
            return false;
        TableEntry e;
        e.path = reinterpret_cast<const char*>(f.data() + at);
        for (size_t k = at + e.path.size(); k < at + 260; ++k)
            if (f[k] != 0)
                return false; // writers store zeros after the terminator
        const uint32_t n = Le32(f, at + 260);
        at += 264;
        if (f.size() - at < n)
            return false;
        e.thumbnail.assign(f.begin() + long(at), f.begin() + long(at + n));
        at += n;
        a->entries.push_back(e);
    }
    if (f.size() - at != 24 + count || std::memcmp(f.data() + at, "VOK_ALBEXT", 10) != 0 ||
        Le32(f, at + 10) != count + 10 || std::memcmp(f.data() + at + 14, "VOK_P", 5) != 0 ||
        Le32(f, at + 19) != 0 || f[at + 23] != count)
        return false;
    a->flags.assign(f.begin() + long(at + 24), f.end());
    return true;
}

Dib Thumb(uint32_t w, uint32_t h) {
    return MakeDib(w, h, 24, albumtest::Where);
}

std::vector<FileEntry> ThreeEntries() {
    return {FileEntry{"/pictures/a.jpg", Thumb(96, 72), false},
            FileEntry{"/pictures/b.bmp", Thumb(96, 54), true},
            FileEntry{"/pictures/c.tif", Thumb(40, 72), false}};
}

Bytes Serialized(const std::vector<FileEntry>& entries) {
    Bytes out;
    EXPECT_EQ(SerializeAlbum(entries, &out), kMsgNone);
    return out;
}

class AlbumFileTest : public ::testing::Test {
  protected:
    voktest::TempDir dir_{"album-file"};
    std::string Put(const std::string& name, const Bytes& bytes) {
        const std::string path = dir_.Path(name);
        EXPECT_TRUE(voktest::WriteFile(path, std::string(bytes.begin(), bytes.end())));
        return path;
    }
};

TEST_F(AlbumFileTest, EmptyAlbumIsAHeaderAndATwentyFourByteBlock) {
    const std::string path = dir_.Path("empty.alb");
    ASSERT_EQ(WriteAlbumFile(path.c_str(), {}), kMsgNone);
    const Bytes f = voktest::ReadBytes(path);
    ASSERT_EQ(f.size(), 56u);
    Bytes expected(56, 0);
    std::memcpy(expected.data(), "VOK DSC ALBUM  ", 15);
    expected[16] = 0x02;
    expected[17] = 0x01;
    expected[18] = 0x50;
    std::memcpy(expected.data() + 32, "VOK_ALBEXT", 10);
    expected[42] = 10;
    std::memcpy(expected.data() + 46, "VOK_P", 5);
    EXPECT_EQ(f, expected);
    EXPECT_TRUE(IsAlbumFile(path.c_str()));
    AlbumFileResult r = ReadAlbumFile(path.c_str());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.version, kVersionWritten);
    EXPECT_TRUE(r.entries.empty());
}

TEST_F(AlbumFileTest, WrittenAlbumReadsBackByTheByteTableInPiecesOfAtMost32767) {
    std::vector<FileEntry> entries = ThreeEntries();
    entries[0].thumbnail.resize(entries[0].thumbnail.size() + 3, 0xEE); // block larger than bitmap
    const std::string path = dir_.Path("three.alb");
    static std::vector<size_t> pieces;
    pieces.clear();
    ASSERT_EQ(WriteAlbumFile(path.c_str(), entries,
                             [](int fd, const void* d, size_t n) -> ssize_t {
                                 pieces.push_back(n);
                                 return write(fd, d, n);
                             }),
              kMsgNone);
    for (size_t n : pieces)
        EXPECT_LE(n, 32767u);
    const Bytes f = voktest::ReadBytes(path);
    TableAlbum a;
    ASSERT_TRUE(ReadByTable(f, &a));
    EXPECT_EQ(a.version, 0x0102);
    ASSERT_EQ(a.entries.size(), 3u);
    EXPECT_EQ(a.flags, (Bytes{0, 1, 0}));
    EXPECT_EQ(Bytes(f.end() - 3, f.end()), (Bytes{0, 1, 0}));
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(a.entries[i].path, entries[i].path);
        EXPECT_EQ(a.entries[i].thumbnail, entries[i].thumbnail);
    }
    // And our reader takes its own file, the trailing bytes of the first thumbnail included.
    AlbumFileResult r = ReadAlbumFile(path.c_str());
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(r.entries.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(r.entries[i].path, entries[i].path);
        EXPECT_EQ(r.entries[i].thumbnail, entries[i].thumbnail);
        EXPECT_EQ(r.entries[i].marked, entries[i].marked);
    }
}

TEST_F(AlbumFileTest, SignatureDifferingInAnyByteIsNoAlbumAndShortHeadersFailToRead) {
    const Bytes good = Serialized(ThreeEntries());
    for (size_t i = 0; i < 16; ++i) {
        Bytes bad = good;
        bad[i] = bad[i] == ' ' ? '_' : uint8_t(bad[i] ^ 0x20);
        EXPECT_EQ(ParseAlbum(bad.data(), bad.size()).message, kMsgNotAlbum) << i;
        EXPECT_FALSE(IsAlbumFile(Put("bad.alb", bad).c_str())) << i;
    }
    for (size_t n = 0; n < 32; ++n) {
        EXPECT_EQ(ParseAlbum(good.data(), n).message, kMsgReadFailed) << n;
        EXPECT_FALSE(
            IsAlbumFile(Put("short.alb", Bytes(good.begin(), good.begin() + long(n))).c_str()));
    }
    // The header alone decides: 32 bytes with a count of 0 are an album.
    Bytes header(good.begin(), good.begin() + 32);
    header[24] = 0;
    EXPECT_TRUE(IsAlbumFile(Put("header.alb", header).c_str()));
    EXPECT_TRUE(ParseAlbum(header.data(), header.size()).ok());
    EXPECT_EQ(ReadAlbumFile(dir_.Path("none.alb").c_str()).message, kMsgOpenFailed);
    EXPECT_EQ(ReadAlbumFile(dir_.path().c_str()).message, kMsgOpenFailed);
    EXPECT_FALSE(IsAlbumFile(dir_.Path("none.alb").c_str()));
}

TEST_F(AlbumFileTest, FlagsApplyToTheCurrentVersionOnlyAndADamagedBlockClearsThemAll) {
    const Bytes good = Serialized(ThreeEntries());
    const size_t block = good.size() - 27;
    auto marks = [](const Bytes& f) {
        AlbumFileResult r = ParseAlbum(f.data(), f.size());
        EXPECT_TRUE(r.ok()) << r.message;
        std::string m;
        for (const FileEntry& e : r.entries)
            m += e.marked ? '1' : '0';
        return m;
    };
    EXPECT_EQ(marks(good), "010");
    // An old file without the block, and an old file with one: no marks.
    Bytes old = good;
    old[16] = 0x01;
    EXPECT_EQ(marks(old), "000");
    old.resize(block);
    EXPECT_EQ(marks(old), "000");
    // Any other version reads as the current one.
    Bytes other = good;
    other[17] = 0x07;
    EXPECT_EQ(marks(other), "010");
    // Damaged blocks: every flag clear, the entries still read.
    std::vector<std::function<void(Bytes&)>> damage = {
        [&](Bytes& f) { f[block] = 'X'; },                            // tag
        [&](Bytes& f) { vokc::PutLe32(f.data() + block + 10, 200); }, // L beyond the file
        [&](Bytes& f) { f[block + 14 + 4] = 'Q'; },                   // "VOK_Q"
        [&](Bytes& f) { vokc::PutLe32(f.data() + block + 19, 9); },   // R beyond L
        [&](Bytes& f) { f[block + 23] = 9; },                         // c beyond L
        [&](Bytes& f) { f.pop_back(); },                              // shorter than announced
        [&](Bytes& f) { vokc::PutLe32(f.data() + block + 10, 4); },   // L too short for a tag
        [&](Bytes& f) { f.resize(block + 5); },                       // cut inside the tag
    };
    for (size_t i = 0; i < damage.size(); ++i) {
        Bytes f = good;
        damage[i](f);
        EXPECT_EQ(marks(f), "000") << i;
    }
    // A reserved area is skipped by its length; fewer flags than entries mark only those.
    Bytes reserved = good;
    reserved.insert(reserved.begin() + long(block + 23), {7, 7, 7});
    vokc::PutLe32(reserved.data() + block + 19, 3);
    vokc::PutLe32(reserved.data() + block + 10, 16);
    EXPECT_EQ(marks(reserved), "010");
    Bytes fewer = good;
    fewer[block + 23] = 2;
    EXPECT_EQ(marks(fewer), "010");
    // The flag pass alone says when it could not read an entry length.
    bool shortLength = false;
    EXPECT_EQ(ReadAlbumFlags(good.data(), 40, &shortLength), std::vector<bool>(3, false));
    EXPECT_TRUE(shortLength);
}

TEST_F(AlbumFileTest, HostileAlbumsAreRefusedWithoutReadingOutsideTheFile) {
    const Bytes good = Serialized(ThreeEntries());
    // More entries announced than there are.
    Bytes more = good;
    more[24] = 100;
    EXPECT_EQ(ParseAlbum(more.data(), more.size()).message, kMsgReadFailed);
    // A thumbnail length beyond the file, up to the largest: refused before any allocation.
    for (uint32_t n : {uint32_t(good.size()), 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        Bytes f = good;
        vokc::PutLe32(f.data() + 32 + 260, n);
        EXPECT_EQ(ParseAlbum(f.data(), f.size()).message, kMsgReadFailed) << n;
    }
    const size_t dib = 32 + 264;
    // Bitmap headers that lie: rows beyond the stored length, a short header, odd depths.
    Bytes wide = good;
    vokc::PutLe32(wide.data() + dib + 4, 5000);
    EXPECT_EQ(ParseAlbum(wide.data(), wide.size()).message, kMsgReadFailed);
    Bytes colours = good;
    vokc::PutLe32(colours.data() + dib + 32, 200); // a table the rows leave no room for
    EXPECT_EQ(ParseAlbum(colours.data(), colours.size()).message, kMsgReadFailed);
    Bytes depth = good;
    vokc::PutLe16(depth.data() + dib + 14, 7);
    EXPECT_EQ(ParseAlbum(depth.data(), depth.size()).message, kMsgNotAlbum);
    Bytes tiny = Serialized({FileEntry{"/x.bmp", Dib(20, 0), false}});
    EXPECT_EQ(ParseAlbum(tiny.data(), tiny.size()).message, kMsgReadFailed);
    // A path without terminator is cut to the 259 characters a path can have.
    Bytes noEnd = good;
    std::memset(noEnd.data() + 32, 'p', 260);
    AlbumFileResult r = ParseAlbum(noEnd.data(), noEnd.size());
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.entries[0].path, std::string(259, 'p'));
    // Every cut of a good file is read or refused, never read past.
    for (size_t n = 32; n < good.size(); ++n) {
        const Bytes cut(good.begin(), good.begin() + long(n));
        AlbumFileResult c = ParseAlbum(cut.data(), cut.size());
        EXPECT_TRUE(c.ok() || c.message == kMsgReadFailed) << n;
        if (n < good.size() - 27) {
            EXPECT_FALSE(c.ok()) << n;
        }
    }
}

TEST_F(AlbumFileTest, SavingReplacesTheFileOnlyWhenTheNewOneIsWhole) {
    const std::string path = dir_.Path("keep.alb");
    ASSERT_TRUE(voktest::WriteFile(path, "an older file"));
    ASSERT_EQ(WriteAlbumFile(path.c_str(), ThreeEntries()), kMsgNone);
    EXPECT_EQ(ReadAlbumFile(path.c_str()).entries.size(), 3u);
    const std::string before = voktest::ReadFile(path);
    // A full disk in the middle: message 100, the album that was there stays, no leftovers.
    static int calls;
    calls = 0;
    auto fullDisk = [](int fd, const void* d, size_t n) -> ssize_t {
        if (++calls > 1) {
            errno = ENOSPC;
            return -1;
        }
        return write(fd, d, n);
    };
    EXPECT_EQ(WriteAlbumFile(path.c_str(), ThreeEntries(), fullDisk), kMsgWriteFailed);
    EXPECT_EQ(voktest::ReadFile(path), before);
    EXPECT_EQ(voktest::Names(dir_.path()), std::vector<std::string>{"keep.alb"});
    // An entry without a thumbnail: 92 and nothing written.
    std::vector<FileEntry> missing = ThreeEntries();
    missing[1].thumbnail.clear();
    EXPECT_EQ(WriteAlbumFile(path.c_str(), missing), kMsgNoBitmap);
    EXPECT_EQ(voktest::ReadFile(path), before);
    // A folder that does not exist: 42.
    EXPECT_EQ(WriteAlbumFile(dir_.Path("no/such.alb").c_str(), ThreeEntries()), kMsgOpenFailed);
}

} // namespace
