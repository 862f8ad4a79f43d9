// The connection library against the virtual camera through the real camera link library:
// listings of a demo card, identify digits, paging at 49/50/51, and every retry rule
// provoked by the camera's fault injection.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include "FakeCamera.h"
#include "sim_camera.h"

using voktest::MakeCard;
using voktest::MakeDemoCard;
using voktest::ReadBytes;
using voktest::SimCamera;
using voktest::TestBin;

namespace {

// One --fault option for each of the comma-separated rules.
std::vector<std::string> FaultOptions(const std::string& rules) {
    std::vector<std::string> args;
    size_t start = 0;
    while (start <= rules.size()) {
        size_t comma = rules.find(',', start);
        if (comma == std::string::npos)
            comma = rules.size();
        args.push_back("--fault");
        args.push_back(rules.substr(start, comma - start));
        start = comma + 1;
    }
    return args;
}

// A fault rule for the camera, what the call then gives and the messages shown.
struct FaultCase {
    const char* fault;
    int result;
    std::vector<int> messages;
};

class Sim : public ::testing::Test {
  protected:
    TempHome home;
    Observer observer;

    void SetUp() override { VokDscCom_SetApplicationInfo(nullptr, "test", 1, 5, ""); }
    void TearDown() override { VokDscCom_Disconnect(); }

    std::vector<uint16_t> folders() {
        int32_t n = 0;
        EXPECT_EQ(VokDscCom_CountFolders(&n), DSC_OK);
        std::vector<uint16_t> out(n);
        if (n > 0) {
            EXPECT_EQ(VokDscCom_GetFolderNumbers(out.data(), n), DSC_OK);
        }
        return out;
    }
    std::vector<uint16_t> images(uint16_t folder) {
        int32_t n = 0;
        EXPECT_EQ(VokDscCom_CountImages(folder, &n), DSC_OK);
        std::vector<uint16_t> out(n);
        if (n > 0) {
            EXPECT_EQ(VokDscCom_GetImageNumbers(folder, out.data(), n), DSC_OK);
        }
        return out;
    }
};

TEST_F(Sim, DemoCardIsListedWithKindsAndSizes) {
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    EXPECT_EQ(VokDscCom_GetCameraVariant(), 1);
    std::vector<uint16_t> f = folders();
    ASSERT_EQ(f, (std::vector<uint16_t>{100, 101}));
    ASSERT_EQ(images(100), (std::vector<uint16_t>{1, 2, 3, 4}));
    ASSERT_EQ(images(101), (std::vector<uint16_t>{1, 2}));
    struct {
        uint16_t folder, image;
        int kind;
        const char* file;
    } want[] = {{100, 1, 1, "100/0001.jpg"},
                {100, 4, 2, "100/0004.tif"},
                {101, 1, 3, "101/0001.mov"},
                {101, 2, 4, "101/0002.wav"}};
    for (auto w : want) {
        int32_t kind = 0;
        uint32_t size = 0;
        ASSERT_EQ(VokDscCom_GetImageInfo(w.folder, w.image, &kind, &size), DSC_OK) << w.file;
        EXPECT_EQ(kind, w.kind) << w.file;
        EXPECT_EQ(size, ReadBytes(card + "/" + w.file).size()) << w.file;
    }
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(Sim, IdentifyDigits) {
    std::string card = MakeCard(home.dir, 1, 1);
    struct {
        const char* digit;
        int variant;
    } good[] = {{"1", 1}, {"2", 2}, {"3", 4}, {"6", 5}};
    for (auto g : good) {
        SimCamera camera(home.dir, card, {"--variant", g.digit});
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK) << g.digit;
        EXPECT_EQ(VokDscCom_GetCameraVariant(), g.variant);
        VokDscCom_Disconnect();
    }
    EXPECT_TRUE(observer.messages.empty());
    {
        SimCamera camera(home.dir, card, {"--variant", "4"});
        EXPECT_EQ(VokDscCom_Connect(), DSC_ERR_FRAME);
        EXPECT_EQ(observer.messages, std::vector<int>{8});
        EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
    }
    observer.messages.clear();
    SimCamera camera(home.dir, card, {"--letters", "DSX"});
    EXPECT_EQ(VokDscCom_Connect(), DSC_ERR_FRAME);
    EXPECT_EQ(observer.messages, std::vector<int>{8});
}

TEST_F(Sim, PagingAt49And50And51) {
    for (int n : {49, 50, 51}) {
        std::string dir = home.dir + "/p" + std::to_string(n);
        mkdir(dir.c_str(), 0700);
        std::string card = MakeCard(dir, 1, n);
        SimCamera camera(dir, card);
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
        std::vector<uint16_t> got = images(100);
        ASSERT_EQ(got.size(), static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(got[i], i + 1);
        VokDscCom_Disconnect();
    }
    std::string dir = home.dir + "/folders";
    mkdir(dir.c_str(), 0700);
    SimCamera camera(dir, MakeCard(dir, 51, 1));
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    std::vector<uint16_t> f = folders();
    ASSERT_EQ(f.size(), 51u);
    EXPECT_EQ(f.front(), 100);
    EXPECT_EQ(f.back(), 150);
    EXPECT_TRUE(observer.messages.empty());
}

// Faults the ordinary command recovers from on its next attempt.
TEST_F(Sim, RetriedFaults) {
    std::string card = MakeCard(home.dir, 1, 3);
    struct {
        const char* fault;
        std::vector<int> messages;
    } cases[] = {{"2:1:drop", {}},         {"2:1:checksum", {}}, {"2:1:code", {}},
                 {"2:1:short", {15}},      {"10:1:status3", {}}, {"10:1:drop", {}},
                 {"7:1:drop", {}},         {"7:2:checksum", {}}, {"14:1:short", {15}},
                 {"2:1:drop,2:2:drop", {}}};
    for (auto k : cases) {
        SimCamera camera(home.dir, card, FaultOptions(k.fault));
        observer.messages.clear();
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK) << k.fault;
        EXPECT_EQ(folders(), std::vector<uint16_t>{100}) << k.fault;
        EXPECT_EQ(images(100), (std::vector<uint16_t>{1, 2, 3})) << k.fault;
        EXPECT_EQ(observer.messages, k.messages) << k.fault;
        VokDscCom_Disconnect();
    }
}

TEST_F(Sim, FramingFaultsEndTheCommand) {
    std::string card = MakeCard(home.dir, 1, 1);
    for (const char* fault : {"2:1:seq", "2:1:complement", "2:1:type"}) {
        SimCamera camera(home.dir, card, {"--fault", fault});
        observer.messages.clear();
        EXPECT_EQ(VokDscCom_Connect(), DSC_ERR_FRAME) << fault;
        EXPECT_EQ(observer.messages, std::vector<int>{8}) << fault;
    }
}

TEST_F(Sim, CameraThatNeverAnswersGivesUpAfterThreeAttempts) {
    SimCamera camera(home.dir, MakeCard(home.dir, 1, 1), {"--fault", "2:*:drop"});
    EXPECT_EQ(VokDscCom_Connect(), DSC_ERR_NOANSWER);
    EXPECT_EQ(observer.messages, std::vector<int>{14});
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
}

TEST_F(Sim, FailuresLeaveTheConnectionUsableAndEndIt) {
    SimCamera camera(home.dir, MakeCard(home.dir, 1, 2), {"--fault", "10:*:drop"});
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    int32_t n = 0;
    EXPECT_EQ(VokDscCom_CountFolders(&n), DSC_ERR_NOANSWER);
    EXPECT_EQ(images(100), (std::vector<uint16_t>{1, 2}));
    observer.notes.clear();
    observer.values.clear();
    VokDscCom_Disconnect();
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
    ASSERT_EQ(observer.values.size(), 1u);
    EXPECT_EQ(observer.values[0], 0);
}

TEST_F(Sim, ThumbnailBlockRetryRules) {
    std::string card = MakeDemoCard(home.dir);
    uint8_t ref[4] = {100, 0, 4, 0};
    std::vector<uint8_t> clean(32768);
    uint32_t size = 0;
    {
        SimCamera camera(home.dir, card);
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
        int32_t kind = 0;
        ASSERT_EQ(DscCom_ThumbnailInfo(100, 4, &kind, &size), DSC_OK);
        EXPECT_EQ(kind, 2);
        ASSERT_GT(size, 0u);
        ASSERT_LE(size, 32768u);
        ASSERT_EQ(DscCom_ReadBlock(DSC_BLOCK_THUMBNAIL, DSC_CMD_READ_BLOCK, ref, 4, 0, 0,
                                   clean.data(), 32768),
                  DSC_OK);
        EXPECT_EQ(clean[0], 0xFF);
        EXPECT_EQ(clean[1], 0xD8);
        VokDscCom_Disconnect();
    }
    FaultCase cases[] = {
        {"30:1:checksum", DSC_OK, {}},        {"30:1:drop", DSC_OK, {}},
        {"30:1:short", DSC_OK, {15}},         {"30:1:seq", DSC_OK, {}},
        {"30:*:seq", DSC_ERR_FRAME, {8, 14}}, {"30:*:drop", DSC_ERR_NOANSWER, {14}}};
    for (auto k : cases) {
        SimCamera camera(home.dir, card, {"--fault", k.fault});
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
        observer.messages.clear();
        int32_t kind = 0;
        uint32_t again = 0;
        ASSERT_EQ(DscCom_ThumbnailInfo(100, 4, &kind, &again), DSC_OK) << k.fault;
        EXPECT_EQ(again, size);
        std::vector<uint8_t> block(32768);
        EXPECT_EQ(DscCom_ReadBlock(DSC_BLOCK_THUMBNAIL, DSC_CMD_READ_BLOCK, ref, 4, 0, 0,
                                   block.data(), 32768),
                  k.result)
            << k.fault;
        if (k.result == DSC_OK) {
            EXPECT_TRUE(std::equal(clean.begin(), clean.begin() + size, block.begin())) << k.fault;
        }
        EXPECT_EQ(observer.messages, k.messages) << k.fault;
        VokDscCom_Disconnect();
    }
}

TEST_F(Sim, ImageBlockRetryRules) {
    std::string card = MakeDemoCard(home.dir);
    std::vector<uint8_t> file = ReadBytes(card + "/100/0001.jpg");
    ASSERT_FALSE(file.empty());
    ASSERT_LE(file.size(), 32768u);
    uint8_t ref[4] = {100, 0, 1, 0};
    FaultCase cases[] = {{"30:1:drop", DSC_OK, {}},
                         {"30:1:checksum", DSC_OK, {}},
                         {"30:1:code", DSC_OK, {}},
                         {"30:1:short", DSC_ERR_REPLY, {15}},
                         {"30:*:checksum", DSC_ERR_FRAME, {8}}};
    for (auto k : cases) {
        SimCamera camera(home.dir, card, {"--fault", k.fault});
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
        observer.messages.clear();
        int32_t kind = 0;
        uint32_t size = 0;
        ASSERT_EQ(DscCom_ImageInfo(100, 1, 0, &kind, &size), DSC_OK) << k.fault;
        EXPECT_EQ(size, file.size());
        std::vector<uint8_t> block(32768);
        EXPECT_EQ(DscCom_ReadBlock(DSC_BLOCK_IMAGE, DSC_CMD_READ_BLOCK, ref, 4, 0, 0, block.data(),
                                   32768),
                  k.result)
            << k.fault;
        if (k.result == DSC_OK) {
            EXPECT_TRUE(std::equal(file.begin(), file.end(), block.begin())) << k.fault;
        }
        EXPECT_EQ(observer.messages, k.messages) << k.fault;
        VokDscCom_Disconnect();
    }
}

TEST_F(Sim, BlockSendRetryRules) {
    std::string card = MakeDemoCard(home.dir);
    std::vector<uint8_t> file = ReadBytes(card + "/100/0002.jpg");
    ASSERT_FALSE(file.empty());
    ASSERT_LE(file.size(), 32768u);
    FaultCase cases[] = {{"5:1:drop", DSC_OK, {}},
                         {"5:1:status2", DSC_OK, {}},
                         {"5:*:status2", DSC_ERR_STATUS2, {14}},
                         {"5:1:status5", DSC_ERR_STATUS5, {6}}};
    for (auto k : cases) {
        SimCamera camera(home.dir, card, {"--fault", k.fault});
        ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
        observer.messages.clear();
        uint32_t size = static_cast<uint32_t>(file.size());
        Bytes announce = Cat(Cat({0}, U32(size)), U32(0));
        ASSERT_EQ(DscCom_Command(DSC_CMD_ANNOUNCE, 0, announce.data(), 9, DSC_REPLY_STATUS), DSC_OK)
            << k.fault;
        EXPECT_EQ(DscCom_SendBlock(0, file.data(), size), k.result) << k.fault;
        EXPECT_EQ(observer.messages, k.messages) << k.fault;
        VokDscCom_Disconnect();
    }
}

TEST_F(Sim, OpenFileTwiceGivesTheSamePipe) {
    SimCamera camera(home.dir, MakeCard(home.dir, 1, 1));
    void* link = dlopen(TestBin("libVokUsb01.so").c_str(), RTLD_NOW);
    ASSERT_NE(link, nullptr);
    auto openFile = reinterpret_cast<VokUsbHandle (*)(const char*)>(dlsym(link, "open_file"));
    auto closeHandle = reinterpret_cast<int (*)(VokUsbHandle)>(dlsym(link, "VokUsb_CloseHandle"));
    ASSERT_TRUE(openFile && closeHandle);
    for (int round = 0; round < 2; ++round) {
        VokUsbHandle a = openFile("PIPE00");
        VokUsbHandle b = openFile("PIPE00");
        EXPECT_NE(a, VOKUSB_INVALID_HANDLE);
        EXPECT_NE(b, VOKUSB_INVALID_HANDLE);
        closeHandle(a);
        closeHandle(b);
    }
    // The pipes still lead to the camera afterwards.
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    EXPECT_EQ(folders(), std::vector<uint16_t>{100});
    dlclose(link);
}

TEST_F(Sim, MissingCameraCannotBeWritten) {
    voktest::ScopedEnv nowhere("VOKUSB_SIM", home.dir + "/nothing.sock");
    EXPECT_EQ(VokDscCom_Connect(), DSC_ERR_WRITE);
    EXPECT_EQ(observer.messages, std::vector<int>{14});
}

} // namespace
