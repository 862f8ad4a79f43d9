/* vokalbum as a user runs it: make an album of camera-size JPEGs and bitmaps, list it, mark and
 * unmark entries; refusals with the catalogue's text and no file left behind; damaged albums;
 * bad usage. */
#include <gtest/gtest.h>

#include "album_model.h"
#include "album_test_util.h"
#include "vok_test_env.h"

namespace {

using namespace qubex::album;
using voktest::RunShell;
using voktest::ShellQuote;

class VokalbumTest : public ::testing::Test {
  protected:
    voktest::TempDir dir_{"vokalbum"};

    voktest::ProgramRun Tool(const std::string& args) {
        return RunShell("cd " + ShellQuote(dir_.path()) + " && LANG=C " +
                            ShellQuote(voktest::TestBin("vokalbum")) + " " + args,
                        dir_.path());
    }
    std::string Bmp(const std::string& name, uint32_t w, uint32_t h) {
        const std::string path = dir_.Path(name);
        EXPECT_TRUE(voktest::WriteFile(
            path, albumtest::BmpFile(albumtest::MakeDib(w, h, 24, albumtest::Where))));
        return path;
    }
    std::string Jpeg(const std::string& name, uint32_t w, uint32_t h) {
        const std::string path = dir_.Path(name);
        Dib pic = albumtest::MakeDib(w, h, 24, albumtest::Where);
        VokImgBlock view{pic.data(), uint32_t(pic.size())};
        EXPECT_EQ(VokImg_Jpeg_CreateAndSaveFromDIB(&view, path.c_str(), nullptr, 0, 0), 1);
        return path;
    }
    std::vector<std::string> Names() {
        std::vector<std::string> n;
        for (const std::string& name : voktest::Names(dir_.path()))
            if (name != ".stderr")
                n.push_back(name);
        return n;
    }
};

TEST_F(VokalbumTest, MakeListMarkAndUnmark) {
    const std::string a = Jpeg("a.jpg", 2048, 1536);
    const std::string b = Bmp("b.bmp", 900, 1600);
    const std::string c = Jpeg("c.jpg", 1600, 900);
    // Relative names are stored as full paths.
    voktest::ProgramRun r = Tool("make album.alb a.jpg b.bmp " + ShellQuote(c));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    r = Tool("ls album.alb");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\t0\t96x72\t" + a + "\n2\t0\t40x72\t" + b + "\n3\t0\t96x54\t" + c + "\n");
    ASSERT_EQ(Tool("mark album.alb 3 1").status, 0);
    ASSERT_EQ(Tool("unmark album.alb 1").status, 0);
    r = Tool("ls album.alb");
    EXPECT_EQ(r.out, "1\t0\t96x72\t" + a + "\n2\t0\t40x72\t" + b + "\n3\t1\t96x54\t" + c + "\n");
    // The album opens in the program's logic with the same entries and marks.
    OpenResult back = OpenAlbum(dir_.Path("album.alb"), albumtest::LibrarySources());
    ASSERT_TRUE(back.ok());
    ASSERT_EQ(back.album.entries.size(), 3u);
    EXPECT_TRUE(back.album.entries[2].marked);
    // make replaces an album that was there.
    ASSERT_EQ(Tool("make album.alb b.bmp").status, 0);
    EXPECT_EQ(Tool("ls album.alb").out, "1\t0\t40x72\t" + b + "\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.jpg", "album.alb", "b.bmp", "c.jpg"}));
}

TEST_F(VokalbumTest, RefusalsShowTheCatalogueTextAndLeaveNoFile) {
    Bmp("b.bmp", 64, 48);
    ASSERT_TRUE(voktest::WriteFile(dir_.Path("notes.txt"), "no picture"));
    ASSERT_TRUE(voktest::WriteFile(dir_.Path("old.alb"), "keep me"));
    struct Case {
        std::string args;
        std::string text;
    };
    for (const Case& c :
         {Case{"make new.alb b.bmp b.bmp", "This image is registered already to this album."},
          Case{"make new.alb missing.jpg", "File does not exist."},
          Case{"make new.alb notes.txt", "Unexpected error occurred during file extraction."},
          Case{"make old.alb b.bmp notes.txt", "extraction"},
          Case{"make no/such/dir.alb b.bmp", "File cannot be opened."}}) {
        voktest::ProgramRun r = Tool(c.args);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_NE(r.err.find(c.text), std::string::npos) << c.args << ": " << r.err;
    }
    EXPECT_EQ(voktest::ReadFile(dir_.Path("old.alb")), "keep me");
    EXPECT_EQ(Names(), (std::vector<std::string>{"b.bmp", "notes.txt", "old.alb"}));
    // The 101st picture: message 102.
    std::string many;
    for (int i = 0; i < 101; ++i)
        many += " " + ShellQuote(Bmp("p" + std::to_string(i) + ".bmp", 8, 6));
    voktest::ProgramRun full = Tool("make full.alb" + many);
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("This album is full."), std::string::npos) << full.err;
    EXPECT_NE(full.err.find("p100.bmp"), std::string::npos) << full.err;
    EXPECT_NE(access(dir_.Path("full.alb").c_str(), F_OK), 0);
}

TEST_F(VokalbumTest, DamagedAlbumsAreRefusedAndKeptAsTheyAre) {
    Bmp("b.bmp", 64, 48);
    ASSERT_EQ(Tool("make good.alb b.bmp").status, 0);
    const std::string good = voktest::ReadFile(dir_.Path("good.alb"));
    // Cut inside the thumbnail, a length beyond the file, a changed signature.
    std::string cut = good.substr(0, 400);
    std::string length = good;
    length[32 + 260 + 3] = '\x7F';
    std::string sig = good;
    sig[13] = '_';
    ASSERT_TRUE(voktest::WriteFile(dir_.Path("cut.alb"), cut));
    ASSERT_TRUE(voktest::WriteFile(dir_.Path("length.alb"), length));
    ASSERT_TRUE(voktest::WriteFile(dir_.Path("sig.alb"), sig));
    for (const char* name : {"cut.alb", "length.alb"}) {
        voktest::ProgramRun r = Tool(std::string("ls ") + name);
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Failed to read the file."), std::string::npos) << r.err;
        EXPECT_EQ(Tool(std::string("mark ") + name + " 1").status, 1);
    }
    voktest::ProgramRun r = Tool("ls sig.alb");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("This file is not album file."), std::string::npos) << r.err;
    EXPECT_EQ(voktest::ReadFile(dir_.Path("cut.alb")), cut);
    EXPECT_EQ(voktest::ReadFile(dir_.Path("length.alb")), length);
    EXPECT_EQ(Tool("ls none.alb").status, 1);
}

TEST_F(VokalbumTest, BadUsageExitsTwoAndHelpExitsZero) {
    Bmp("b.bmp", 64, 48);
    ASSERT_EQ(Tool("make a.alb b.bmp").status, 0);
    const std::string before = voktest::ReadFile(dir_.Path("a.alb"));
    for (const char* args : {"", "ls", "ls a.alb extra", "make a.alb", "mark a.alb", "mark a.alb 0",
                             "mark a.alb 2", "mark a.alb x", "unmark a.alb -1", "frob a.alb"}) {
        voktest::ProgramRun r = Tool(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage: vokalbum"), std::string::npos) << args;
    }
    EXPECT_EQ(voktest::ReadFile(dir_.Path("a.alb")), before);
    voktest::ProgramRun help = Tool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("vokalbum make ALBUM FILE..."), std::string::npos);
}

} // namespace
