// The file side of the download without a camera: DSC numbering of a folder (letter case,
// digits, the full folder), names and endings, kinds and selectors, the room check, and the
// paths handed to the owner.
#include <gtest/gtest.h>

#include "FakeCamera.h"
#include "DscTransfer.h"
#include "transfer_env.h"

namespace {

class Files : public ::testing::Test {
  protected:
    TempHome home;
    std::string dest;
    void SetUp() override { dest = MakeFolder(home.dir, "dest"); }
};

TEST_F(Files, EmptyFolderStartsAtZero) {
    EXPECT_EQ(FindLastJpegFile(dest.c_str()), 0);
}

TEST_F(Files, HighestNumberWhateverTheKind) {
    Touch(dest + "/DSC00041.jpg");
    Touch(dest + "/DSC00007.mov");
    EXPECT_EQ(FindLastJpegFile(dest.c_str()), 41);
    Touch(dest + "/DSC00050.tif");
    EXPECT_EQ(FindLastJpegFile(dest.c_str()), 50);
}

TEST_F(Files, LetterCaseDoesNotMatter) {
    Touch(dest + "/dsc00041.JPG");
    Touch(dest + "/Dsc00043.Mov");
    EXPECT_EQ(FindLastJpegFile(dest.c_str()), 43);
}

TEST_F(Files, NonDigitsCountZeroAndOtherShapesAreIgnored) {
    Touch(dest + "/DSC0A123.jpg");
    EXPECT_EQ(FindLastJpegFile(dest.c_str()), 0);
    Touch(dest + "/DSC00060.jpeg"); // four-letter ending
    Touch(dest + "/XDSC00061.jpg"); // does not start with DSC
    Touch(dest + "/DSC0006.jpg");   // four digits
    Touch(dest + "/DSC00062_jpg");  // no dot
    Touch(dest + "/IMG00063.jpg");
    EXPECT_EQ(FindLastJpegFile(dest.c_str()), 0);
    Touch(dest + "/DSC00012.xyz"); // any three-character ending counts
    EXPECT_EQ(FindLastJpegFile(dest.c_str()), 12);
}

TEST_F(Files, FullFolder) {
    Touch(dest + "/DSC99999.jpg");
    EXPECT_EQ(FindLastJpegFile(dest.c_str()), 99999);
    std::string other = MakeFolder(home.dir, "other");
    Touch(other + "/dsc99999.MOV");
    EXPECT_EQ(FindLastJpegFile(other.c_str()), 99999);
}

TEST_F(Files, MissingFolderCountsAsFull) {
    EXPECT_EQ(FindLastJpegFile((home.dir + "/missing").c_str()), 99999);
    EXPECT_EQ(FindLastJpegFile(nullptr), 99999);
}

TEST_F(Files, NumberingLeavesNoTraceInTheFolder) {
    Touch(dest + "/DSC00003.jpg");
    EXPECT_EQ(FindLastJpegFile(dest.c_str()), 3);
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00003.jpg"}));
}

TEST(TransferRules, RoomCheck) {
    EXPECT_TRUE(DscTransfer_HasRoom(3, 99996));
    EXPECT_FALSE(DscTransfer_HasRoom(4, 99996));
    EXPECT_TRUE(DscTransfer_HasRoom(99999, 0));
    EXPECT_FALSE(DscTransfer_HasRoom(1, 99999));
    EXPECT_FALSE(DscTransfer_HasRoom(0x7FFFFFFF, 2));
}

TEST(TransferRules, NamesAndEndings) {
    char name[16];
    DscTransfer_FileName(42, 1, name);
    EXPECT_STREQ(name, "DSC00042.jpg");
    DscTransfer_FileName(1, 2, name);
    EXPECT_STREQ(name, "DSC00001.tif");
    DscTransfer_FileName(99999, 3, name);
    EXPECT_STREQ(name, "DSC99999.mov");
    DscTransfer_FileName(7, 4, name); // audio memos are movies on the PC
    EXPECT_STREQ(name, "DSC00007.mov");
}

TEST(TransferRules, KindAndSelector) {
    struct {
        int mode, k, kind, selector;
    } cases[] = {{0, 0, 1, 0}, {0, 1, 1, 0}, {0, 2, 2, 1}, {0, 3, 3, 2}, {0, 4, 4, 2},
                 {1, 2, 2, 1}, {1, 4, 4, 2}, {2, 2, 1, 0}, {2, 1, 1, 0}, {2, 3, 3, 2}};
    for (auto c : cases) {
        uint8_t kind = 0, selector = 9;
        ASSERT_TRUE(DscTransfer_KindSelector(c.mode, c.k, &kind, &selector)) << c.mode << c.k;
        EXPECT_EQ(kind, c.kind) << c.mode << " " << c.k;
        EXPECT_EQ(selector, c.selector) << c.mode << " " << c.k;
    }
    for (int k : {5, 6, 255, -1})
        EXPECT_FALSE(DscTransfer_KindSelector(1, k, nullptr, nullptr)) << k;
}

TEST(TransferRules, FileNameFromFullPath) {
    char out[VOK_MAX_PATH];
    VokUtil_GetFileNameFromFullPath("/home/a/pictures/DSC00012.jpg", out);
    EXPECT_STREQ(out, "DSC00012.jpg");
    VokUtil_GetFileNameFromFullPath("DSC00013.mov", out);
    EXPECT_STREQ(out, "DSC00013.mov");
    VokUtil_GetFileNameFromFullPath("/home/a/", out);
    EXPECT_STREQ(out, "");
    VokUtil_GetFileNameFromFullPath(nullptr, out);
    EXPECT_STREQ(out, "");
}

TEST(TransferRules, PathsOfTheLastFile) {
    VokDscCom_SetApplicationInfo(nullptr, "test", 1, 5, "");
    DscConnection* c = DscCom_Record();
    char path[VOK_MAX_PATH] = "untouched";
    VokComUtil_CopyStructData(path, 1);
    EXPECT_STREQ(path, ""); // nothing written yet
    snprintf(c->destFolder, sizeof c->destFolder, "/tmp/pics");
    snprintf(c->destName, sizeof c->destName, "DSC00005.mov");
    c->fileSize = 1234;
    c->imageKind = 4;
    snprintf(path, sizeof path, "untouched");
    VokComUtil_CopyStructData(path, 0);
    EXPECT_STREQ(path, "untouched");
    VokComUtil_CopyStructData(path, 1);
    EXPECT_STREQ(path, "/tmp/pics/DSC00005.mov");
    snprintf(c->destFolder, sizeof c->destFolder, "/tmp/pics/");
    char name[VOK_MAX_PATH];
    uint32_t size = 0;
    int32_t kind = 0;
    VokComUtil_CopyMailFileData(path, name, &size, &kind);
    EXPECT_STREQ(path, "/tmp/pics/DSC00005.mov");
    EXPECT_STREQ(name, "DSC00005.mov");
    EXPECT_EQ(size, 1234u);
    EXPECT_EQ(kind, 4);
    VokComUtil_CopyMailFileData(nullptr, nullptr, nullptr, nullptr);
    VokComUtil_CopyStructData(nullptr, 1);
}

} // namespace
