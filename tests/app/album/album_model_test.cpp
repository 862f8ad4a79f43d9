/* The album model in the scenarios a user goes through: building an album to its limit,
 * duplicates judged by the file system, the grid and the keys, dates in three languages,
 * renaming an image file with every refusal, the clipboard, dropping, saving and reopening. */
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "VokDscMsg.h"
#include "album_model.h"
#include "album_test_util.h"

namespace {

using namespace qubex::album;
using albumtest::MakeDib;

class AlbumModelTest : public ::testing::Test {
  protected:
    voktest::TempDir dir_{"album-model"};
    AlbumSources sources_ = albumtest::LibrarySources();

    std::string Picture(const std::string& name, uint32_t w = 64, uint32_t h = 48) {
        const std::string path = dir_.Path(name);
        EXPECT_TRUE(
            voktest::WriteFile(path, albumtest::BmpFile(MakeDib(w, h, 24, albumtest::Where))));
        return path;
    }
    std::vector<std::string> Paths(const Album& a) {
        std::vector<std::string> p;
        for (const Entry& e : a.entries)
            p.push_back(e.path);
        return p;
    }
};

TEST_F(AlbumModelTest, AnAlbumTakesAHundredDistinctPicturesAndNoMore) {
    Album album;
    const Dib pic = MakeDib(8, 6, 24, albumtest::Where);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(AddEntry(&album, "/nowhere/p" + std::to_string(i) + ".jpg", pic, sources_),
                  kMsgNone);
    EXPECT_EQ(AddEntry(&album, "/nowhere/p100.jpg", pic, sources_), kMsgAlbumFull);
    EXPECT_EQ(AddImageFile(&album, Picture("late.bmp"), sources_), kMsgAlbumFull);
    EXPECT_EQ(album.entries.size(), 100u);
    EXPECT_TRUE(album.modified);
    // Every entry keeps its order, an unmarked state and both thumbnails.
    for (size_t i = 0; i < 100; ++i) {
        EXPECT_EQ(album.entries[i].path, "/nowhere/p" + std::to_string(i) + ".jpg");
        EXPECT_FALSE(album.entries[i].marked);
        EXPECT_EQ(album.entries[i].display.size(), 40u + 96 * 3 * 72);
    }
}

TEST_F(AlbumModelTest, DuplicatesAreTheSameFileNotTheSameLetters) {
    Album album;
    const std::string photo = Picture("photo.bmp");
    const std::string Photo = Picture("Photo.bmp");
    ASSERT_EQ(AddImageFile(&album, photo, sources_), kMsgNone);
    EXPECT_EQ(AddImageFile(&album, photo, sources_), kMsgDuplicate);
    // Another spelling of the same file, and a hard link to it: the same picture.
    EXPECT_EQ(AddImageFile(&album, dir_.path() + "/./photo.bmp", sources_), kMsgDuplicate);
    ASSERT_EQ(link(photo.c_str(), dir_.Path("linked.bmp").c_str()), 0);
    EXPECT_EQ(AddImageFile(&album, dir_.Path("linked.bmp"), sources_), kMsgDuplicate);
    // On this file system Photo.bmp is another picture.
    EXPECT_EQ(AddImageFile(&album, Photo, sources_), kMsgNone);
    // Missing files are compared by their paths.
    const Dib pic = MakeDib(8, 6, 24, albumtest::Where);
    ASSERT_EQ(AddEntry(&album, "/gone/x.jpg", pic, sources_), kMsgNone);
    EXPECT_EQ(AddEntry(&album, "/gone/x.jpg", pic, sources_), kMsgDuplicate);
    EXPECT_EQ(AddEntry(&album, "/gone/X.jpg", pic, sources_), kMsgNone);
    EXPECT_EQ(AddImageFile(&album, dir_.Path("none.bmp"), sources_), kMsgFileMissing);
    EXPECT_EQ(Paths(album), (std::vector<std::string>{photo, Photo, "/gone/x.jpg", "/gone/X.jpg"}));
}

TEST_F(AlbumModelTest, GridSizesScrollingAndArrowKeys) {
    struct Case {
        int n;
        Size size;
    };
    for (const Case& c : {Case{0, {140, 160}}, Case{1, {140, 160}}, Case{4, {545, 160}},
                          Case{5, {680, 160}}, Case{6, {680, 315}}, Case{100, {680, 3105}}}) {
        EXPECT_TRUE(PreferredClientSize(c.n) == c.size) << c.n;
    }
    EXPECT_EQ(ButtonPosition(0).x, 5);
    EXPECT_EQ(ButtonPosition(0).y, 5);
    EXPECT_EQ(ButtonPosition(6).x, 140);
    EXPECT_EQ(ButtonPosition(6).y, 160);
    EXPECT_EQ(ButtonPosition(9, 10, 20).x, 135 * 4 + 5 - 10);
    EXPECT_EQ(ButtonPosition(9, 10, 20).y, 155 + 5 - 20);
    EXPECT_EQ(ScrollRange(315, 300, 16), 30);
    EXPECT_EQ(ScrollRange(315, 315, 16), 0);
    // Keys over 12 entries (rows 0-4, 5-9, 10-11).
    EXPECT_EQ(MoveCurrent(3, 12, Key::Up), 3);
    EXPECT_EQ(MoveCurrent(0, 12, Key::Left), 0);
    EXPECT_EQ(MoveCurrent(11, 12, Key::Right), 11);
    EXPECT_EQ(MoveCurrent(8, 12, Key::Down), 8);
    EXPECT_EQ(MoveCurrent(7, 12, Key::Down), 7);
    EXPECT_EQ(MoveCurrent(6, 12, Key::Down), 11);
    EXPECT_EQ(MoveCurrent(6, 12, Key::Up), 1);
    EXPECT_EQ(MoveCurrent(4, 12, Key::Right), 5);
    EXPECT_EQ(MoveCurrent(5, 12, Key::Left), 4);
    EXPECT_EQ(MoveCurrent(-1, 12, Key::Right), -1);
    // Removing mends the current entry.
    Album album;
    const Dib pic = MakeDib(8, 6, 24, albumtest::Where);
    for (int i = 0; i < 3; ++i)
        AddEntry(&album, "/n/" + std::to_string(i), pic, sources_);
    album.current = 2;
    album.modified = false;
    RemoveEntry(&album, 2);
    EXPECT_EQ(album.current, 1);
    RemoveEntry(&album, 0);
    EXPECT_EQ(album.current, 0);
    EXPECT_EQ(Paths(album), std::vector<std::string>{"/n/1"});
    EXPECT_TRUE(album.modified);
    RemoveEntry(&album, 0);
    EXPECT_EQ(album.current, -1);
}

TEST_F(AlbumModelTest, DatesUseTheCatalogueMonthsAndTitlesCountNewAlbums) {
    auto months = [] {
        std::array<std::string, 12> m;
        for (int i = 0; i < 12; ++i) {
            char text[VOK_MSG_BUFFER];
            VokDsc_Msg_GetString(kMsgMonthFirst + i, text, sizeof text);
            m[size_t(i)] = text;
        }
        return m;
    };
    EXPECT_EQ(DateText(Date{2000, 1, 5}, months()), "5 JAN.,2000");
    EXPECT_EQ(DateText(Date{1999, 12, 31}, months()), "31 DEC.,1999");
    EXPECT_EQ(DateText(Date{}, months()), "");
    EXPECT_EQ(DateText(Date{2000, 13, 1}, months()), "");
    {
        voktest::ScopedEnv german("LANG", "de_DE.UTF-8");
        const std::string de = DateText(Date{2001, 3, 2}, months());
        EXPECT_EQ(de.substr(0, 2), "2 ");
        EXPECT_EQ(de.substr(de.size() - 6), ".,2001");
    }
    AlbumNumbering numbering;
    EXPECT_EQ(NewAlbumTitle(&numbering), "Album 1");
    EXPECT_EQ(NewAlbumTitle(&numbering), "Album 2");
    EXPECT_EQ(WithAlbumExtension("/a/holiday"), "/a/holiday.alb");
    EXPECT_EQ(WithAlbumExtension("/a.b/holiday"), "/a.b/holiday.alb");
    EXPECT_EQ(WithAlbumExtension("/a/holiday.old"), "/a/holiday.old");
    EXPECT_EQ(ShownName("/x/" + std::string(60, 'n') + ".jpg"), std::string(50, 'n'));
}

TEST_F(AlbumModelTest, RenamingChecksEveryRuleThenMovesTheFileAndSavesTheAlbum) {
    Album album;
    const std::string photo = Picture("photo.jpg.bmp");
    ASSERT_EQ(AddImageFile(&album, photo, sources_), kMsgNone);
    const std::string albumPath = dir_.Path("r.alb");
    ASSERT_EQ(SaveAlbum(&album, albumPath), kMsgNone);
    // Unchanged, no period, forbidden characters, a path too long.
    EXPECT_EQ(RenameEntry(&album, 0, "photo.jpg.bmp").message, kMsgNone);
    RenamePlan noDot = RenameEntry(&album, 0, "photo2");
    EXPECT_EQ(noDot.message, kMsgExtractError);
    EXPECT_TRUE(noDot.restoreOldName);
    for (char c : std::string("\"*/:<>?\\|")) {
        RenamePlan bad = RenameEntry(&album, 0, std::string("a") + c + ".bmp");
        EXPECT_EQ(bad.message, kMsgBadNameChars) << c;
        EXPECT_FALSE(bad.restoreOldName);
    }
    EXPECT_EQ(BadNameCharsText("Filename cannot contain the following characters.\n"),
              "Filename cannot contain the following characters.\n\n\t\\ / : * ? \" < > |");
    EXPECT_EQ(RenameEntry(&album, 0, std::string(300, 'x') + ".bmp").message, kMsgRenameTooLong);
    // photo -> photo2 keeps the extension; a name that ends in it (any case) takes none.
    EXPECT_EQ(PlanRename("/p/photo.jpg", "photo2.x").newPath, "/p/photo2.x.jpg");
    EXPECT_EQ(PlanRename("/p/photo.jpg", "photo2.JPG").newPath, "/p/photo2.JPG");
    EXPECT_EQ(PlanRename("/p/photo.jpg", "photo.").newPath, "/p/photo..jpg");
    // A name already taken, and a file that went away.
    Picture("taken.bmp");
    EXPECT_EQ(RenameEntry(&album, 0, "taken.bmp").message, kMsgRenameExists);
    RenamePlan done = RenameEntry(&album, 0, "holiday.1");
    EXPECT_EQ(done.message, kMsgNone);
    EXPECT_EQ(done.newPath, dir_.Path("holiday.1.bmp"));
    EXPECT_EQ(album.entries[0].path, done.newPath);
    EXPECT_EQ(access(done.newPath.c_str(), F_OK), 0);
    EXPECT_NE(access(photo.c_str(), F_OK), 0);
    // The album was saved under its name with the new path.
    EXPECT_FALSE(album.modified);
    AlbumFileResult saved = ReadAlbumFile(albumPath.c_str());
    ASSERT_EQ(saved.entries.size(), 1u);
    EXPECT_EQ(saved.entries[0].path, done.newPath);
    unlink(done.newPath.c_str());
    EXPECT_EQ(RenameEntry(&album, 0, "again.bmp").message, kMsgFileMissing);
    EXPECT_EQ(RenameImageFile(dir_.Path("no-such"), dir_.Path("x")), kMsgFileMissing);
}

TEST_F(AlbumModelTest, ClipboardDropSaveAndReopenKeepEverything) {
    Album first;
    first.title = "Album 1";
    std::vector<std::string> pics;
    for (int i = 0; i < 6; ++i) {
        pics.push_back(Picture("p" + std::to_string(i) + ".bmp", 60 + 10 * uint32_t(i), 40));
        ASSERT_EQ(AddImageFile(&first, pics.back(), sources_), kMsgNone);
    }
    first.entries[1].marked = true;
    first.entries[3].marked = true;
    // Copy and paste into another album.
    ClipboardPayload clip = MakeClipboardPayload(first.entries[2]);
    EXPECT_EQ(clip.text.size(), 260u);
    EXPECT_EQ(clip.text.c_str(), pics[2]);
    PasteData paste = ReadClipboardPayload(clip.dib, clip.text);
    ASSERT_EQ(paste.message, kMsgNone);
    Album second;
    ASSERT_EQ(AddEntry(&second, paste.path, paste.dib, sources_), kMsgNone);
    EXPECT_EQ(second.entries[0].stored, first.entries[2].stored);
    EXPECT_EQ(ReadClipboardPayload(Dib(), clip.text).message, kMsgClipboardEmpty);
    EXPECT_EQ(ReadClipboardPayload(clip.dib, std::string(260, '\0')).message, kMsgClipboardEmpty);
    // Dropping onto its own album does nothing; onto another it copies.
    EXPECT_FALSE(DropAddsEntry(&first, &first));
    EXPECT_TRUE(DropAddsEntry(&first, &second));
    EXPECT_EQ(AddEntry(&second, first.entries[2].path, first.entries[2].stored, sources_),
              kMsgDuplicate);
    // Save, reopen: order, marks, thumbnails and the title.
    const std::string path = dir_.Path("six.alb");
    ASSERT_EQ(SaveAlbum(&first, path), kMsgNone);
    EXPECT_EQ(first.title, "six.alb");
    OpenResult back = OpenAlbum(path, sources_);
    ASSERT_TRUE(back.ok()) << back.message;
    EXPECT_EQ(Paths(back.album), pics);
    EXPECT_FALSE(back.album.modified);
    EXPECT_EQ(back.album.title, "six.alb");
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(back.album.entries[i].marked, i == 1 || i == 3) << i;
        EXPECT_EQ(back.album.entries[i].stored, first.entries[i].stored) << i;
        EXPECT_EQ(back.album.entries[i].display, first.entries[i].display) << i;
    }
    // A file that holds one picture twice, or 101 of them, does not open.
    AlbumFileResult raw = ReadAlbumFile(path.c_str());
    std::vector<FileEntry> twice = raw.entries;
    twice.push_back(twice[0]);
    ASSERT_EQ(WriteAlbumFile(path.c_str(), twice), kMsgNone);
    EXPECT_EQ(OpenAlbum(path, sources_).message, kMsgDuplicate);
    std::vector<uint8_t> big;
    std::vector<FileEntry> many;
    for (int i = 0; i < 101; ++i)
        many.push_back(FileEntry{"/m/" + std::to_string(i), raw.entries[0].thumbnail, false});
    many.resize(100);
    ASSERT_EQ(SerializeAlbum(many, &big), kMsgNone);
    // The 101st entry is spliced in by hand: the writer never makes such a file.
    std::vector<uint8_t> extra(264, 0);
    std::memcpy(extra.data(), "/m/100", 6);
    vokc::PutLe32(extra.data() + 260, uint32_t(raw.entries[0].thumbnail.size()));
    extra.insert(extra.end(), raw.entries[0].thumbnail.begin(), raw.entries[0].thumbnail.end());
    big.insert(big.end() - 124, extra.begin(), extra.end());
    vokc::PutLe16(big.data() + 24, 101);
    ASSERT_TRUE(voktest::WriteFile(path, std::string(big.begin(), big.end())));
    EXPECT_EQ(OpenAlbum(path, sources_).message, kMsgAlbumFull);
    EXPECT_EQ(OpenAlbum(dir_.Path("none.alb"), sources_).message, kMsgOpenFailed);
}

} // namespace
