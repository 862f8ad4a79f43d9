// The download against the virtual camera through the real camera link: modes 1 and 2 of the
// export with their notifications and folders, the picked run of mode 0, the numbering and
// room rules, cancellation, and every fault that must end a run without a truncated file.
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "DscTransfer.h"
#include "FakeCamera.h"
#include "sim_camera.h"
#include "transfer_env.h"

using voktest::MakeDemoCard;
using voktest::ReadBytes;
using voktest::SimCamera;

namespace {

std::vector<uint8_t> Slice(const std::vector<uint8_t>& v, size_t n) {
    return std::vector<uint8_t>(v.begin(), v.begin() + std::min(n, v.size()));
}

class Download : public ::testing::Test {
  protected:
    TempHome home;
    voktest::ScopedEnv logVar{"VOK_MSG_LOG", home.dir + "/messages.log"};
    voktest::ScopedEnv answer{"VOK_MSG_ANSWER", "yes"};
    voktest::ScopedEnv freeBytes{"VOK_TEST_FREE_BYTES", nullptr};
    Observer observer;
    std::string dest;
    bool cancelFlag = false;
    std::function<void(int, int, int, int)> onProgress;

    void SetUp() override {
        VokDscCom_SetApplicationInfo(nullptr, "test", 1, 5, "");
        dest = MakeFolder(home.dir, "dest");
        observer.answer = [this](unsigned m, uintptr_t code, intptr_t value) -> intptr_t {
            if (m == WM_DSC_CANCEL && code == DSC_CANCEL_SET)
                cancelFlag = value != 0;
            if (m == WM_DSC_CANCEL && code == DSC_CANCEL_POLL)
                return cancelFlag;
            return 0;
        };
        DscTransfer_SetProgress(progress, this);
    }
    void TearDown() override {
        DscTransfer_SetProgress(nullptr, nullptr);
        VokDscCom_Disconnect();
    }
    static void progress(void* ctx, int index, int total, int done, int blocks) {
        auto* self = static_cast<Download*>(ctx);
        if (self->onProgress)
            self->onProgress(index, total, done, blocks);
    }
    // The codes of WM_DSC_STATUS that concern written files, in order.
    std::vector<uintptr_t> fileCodes() const {
        std::vector<uintptr_t> codes;
        for (auto& n : observer.notes)
            if (n.first == WM_DSC_STATUS && (n.second == 1 || n.second == 2 || n.second == 3 ||
                                             n.second == 8 || n.second == 10 || n.second == 11))
                codes.push_back(n.second);
        return codes;
    }
    std::vector<intptr_t> valuesOf(uintptr_t code) const {
        std::vector<intptr_t> out;
        for (size_t i = 0; i < observer.notes.size(); ++i)
            if (observer.notes[i].first == WM_DSC_STATUS && observer.notes[i].second == code)
                out.push_back(observer.values[i]);
        return out;
    }
    std::string log() { return voktest::ReadFile(home.dir + "/messages.log"); }
    bool connectionClosed() const { return DscCom_Record()->sendBuffer == nullptr; }
};

const std::vector<std::string> kDemoFiles = {"100/0001.jpg", "100/0002.jpg", "100/0003.jpg",
                                             "100/0004.tif", "101/0001.mov", "101/0002.wav"};
const std::vector<std::string> kDemoNames = {"DSC00001.jpg", "DSC00002.jpg", "DSC00003.jpg",
                                             "DSC00004.tif", "DSC00005.mov", "DSC00006.mov"};

TEST_F(Download, Mode1CopiesEveryImageByteForByte) {
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    SetFolderValue("Event_App", "Path_Image", dest);
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_TRUE(connectionClosed());
    ASSERT_EQ(Names(dest), kDemoNames);
    for (size_t i = 0; i < kDemoFiles.size(); ++i)
        EXPECT_EQ(ReadBytes(dest + "/" + kDemoNames[i]), ReadBytes(card + "/" + kDemoFiles[i]))
            << kDemoNames[i];
    // Several images: codes 1 and 2 for each, the record with code 2.
    std::vector<uintptr_t> want;
    for (size_t i = 0; i < kDemoFiles.size(); ++i) {
        want.push_back(1);
        want.push_back(2);
    }
    EXPECT_EQ(fileCodes(), want);
    for (intptr_t v : valuesOf(2))
        EXPECT_EQ(v, reinterpret_cast<intptr_t>(DscCom_Record()));
    char path[VOK_MAX_PATH];
    VokComUtil_CopyStructData(path, 1);
    EXPECT_EQ(std::string(path), dest + "/DSC00006.mov");
    EXPECT_EQ(FolderValue("Event_App", "Path_Image"), dest);
    EXPECT_TRUE(observer.messages.empty());
    EXPECT_EQ(log(), "");
}

TEST_F(Download, Mode1SingleStillSendsCode3AndSingleMemoDoesNot) {
    {
        std::string card = MakeSizedCard(home.dir, {5000});
        SimCamera camera(home.dir, card);
        SetFolderValue("Event_App", "Path_Image", dest);
        EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
        EXPECT_EQ(fileCodes(), (std::vector<uintptr_t>{3}));
        EXPECT_EQ(valuesOf(3),
                  (std::vector<intptr_t>{reinterpret_cast<intptr_t>(DscCom_Record())}));
        EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));
    }
    observer.notes.clear();
    observer.values.clear();
    std::string memoHome = MakeFolder(home.dir, "memo");
    std::string card = MakeSizedCard(memoHome, {3000}, "wav");
    SimCamera camera(memoHome, card);
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(fileCodes(), (std::vector<uintptr_t>{1, 2}));
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg", "DSC00002.mov"}));
}

TEST_F(Download, Mode2UsesTheMailFolderAndTheMailJob) {
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    std::string images = MakeFolder(home.dir, "images");
    SetFolderValue("Event_App", "Path_Mail", dest);
    SetFolderValue("Event_App", "Path_Image", images);
    auto base = observer.answer;
    observer.answer = [base](unsigned m, uintptr_t code, intptr_t value) -> intptr_t {
        if (m == WM_DSC_STATUS && code == DSC_STATUS_MAIL_START)
            return 77;
        return base(m, code, value);
    };
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(2), 1);
    // A TIFF is fetched as its JPEG still (selector 0) and saved as .jpg.
    ASSERT_EQ(Names(dest),
              (std::vector<std::string>{"DSC00001.jpg", "DSC00002.jpg", "DSC00003.jpg",
                                        "DSC00004.jpg", "DSC00005.mov", "DSC00006.mov"}));
    EXPECT_TRUE(Names(images).empty());
    std::vector<uint8_t> still = ReadBytes(card + "/100/0004.thm");
    std::vector<uint8_t> got = ReadBytes(dest + "/DSC00004.jpg");
    ASSERT_GE(got.size(), still.size());
    EXPECT_EQ(Slice(got, still.size()), still);
    EXPECT_EQ(got.size(), ReadBytes(card + "/100/0004.tif").size());
    EXPECT_EQ(ReadBytes(dest + "/DSC00005.mov"), ReadBytes(card + "/101/0001.mov"));
    std::vector<uintptr_t> want = {11, 8, 8, 8, 8, 8, 8, 10};
    EXPECT_EQ(fileCodes(), want);
    for (intptr_t v : valuesOf(8))
        EXPECT_EQ(v, 77);
    EXPECT_EQ(valuesOf(10), (std::vector<intptr_t>{77}));
    char path[VOK_MAX_PATH], name[VOK_MAX_PATH];
    uint32_t size = 0;
    int32_t kind = 0;
    VokComUtil_CopyMailFileData(path, name, &size, &kind);
    EXPECT_EQ(std::string(path), dest + "/DSC00006.mov");
    EXPECT_STREQ(name, "DSC00006.mov");
    EXPECT_EQ(size, ReadBytes(card + "/101/0002.wav").size());
    EXPECT_EQ(kind, 4);
    EXPECT_EQ(FolderValue("Event_App", "Path_Mail"), dest);
    EXPECT_EQ(FolderValue("Event_App", "Path_Image"), images);
}

TEST_F(Download, Mode2MailJobAnswer50EndsAtOnce) {
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    SetFolderValue("Event_App", "Path_Mail", dest);
    observer.answer = [](unsigned m, uintptr_t code, intptr_t) -> intptr_t {
        return m == WM_DSC_STATUS && code == DSC_STATUS_MAIL_START ? 50 : 0;
    };
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(2), 1);
    EXPECT_TRUE(connectionClosed());
    EXPECT_TRUE(Names(dest).empty());
    EXPECT_EQ(fileCodes(), (std::vector<uintptr_t>{11}));
}

TEST_F(Download, NumberingContinuesAfterHighestWhateverTheKind) {
    std::string card = MakeSizedCard(home.dir, {1000, 2000});
    SimCamera camera(home.dir, card);
    Touch(dest + "/DSC00041.jpg");
    Touch(dest + "/dsc00007.MOV");
    SetFolderValue("Event_App", "Path_Image", dest);
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00041.jpg", "DSC00042.jpg", "DSC00043.jpg",
                                                     "dsc00007.MOV"}));
    EXPECT_EQ(ReadBytes(dest + "/DSC00043.jpg"), ReadBytes(card + "/100/0002.jpg"));
    // A second run goes on from there.
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(Names(dest).size(), 6u);
    EXPECT_EQ(ReadBytes(dest + "/DSC00045.jpg"), ReadBytes(card + "/100/0002.jpg"));
}

TEST_F(Download, FullFolderIsRefusedWithoutCopying) {
    std::string card = MakeSizedCard(home.dir, {1000});
    SimCamera camera(home.dir, card);
    Touch(dest + "/DSC99999.jpg");
    SetFolderValue("Event_App", "Path_Image", dest);
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(observer.messages, (std::vector<int>{55}));
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC99999.jpg"}));
    EXPECT_TRUE(connectionClosed());
}

TEST_F(Download, RoomForThreeAfter99996ButNotFour) {
    Touch(dest + "/DSC99996.jpg");
    SetFolderValue("Event_App", "Path_Image", dest);
    {
        std::string four = MakeFolder(home.dir, "four");
        SimCamera camera(four, MakeSizedCard(four, {100, 100, 100, 100}));
        EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
        EXPECT_EQ(observer.messages, (std::vector<int>{55}));
        EXPECT_EQ(Names(dest).size(), 1u);
    }
    observer.messages.clear();
    std::string three = MakeFolder(home.dir, "three");
    SimCamera camera(three, MakeSizedCard(three, {100, 100, 100}));
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_TRUE(observer.messages.empty());
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC99996.jpg", "DSC99997.jpg", "DSC99998.jpg",
                                                     "DSC99999.jpg"}));
}

TEST_F(Download, EmptyCameraSaysSo) {
    std::string card = MakeFolder(home.dir, "empty");
    SimCamera camera(home.dir, card);
    SetFolderValue("Event_App", "Path_Image", dest);
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 0);
    EXPECT_EQ(observer.messages, (std::vector<int>{53}));
    EXPECT_TRUE(connectionClosed());
}

TEST_F(Download, CancelYesStopsAfterTheFileAndNoGoesOn) {
    std::string card = MakeSizedCard(home.dir, {40000, 40000, 40000});
    SimCamera camera(home.dir, card);
    SetFolderValue("Event_App", "Path_Image", dest);
    // The user presses Cancel during every file.
    onProgress = [this](int, int, int done, int) {
        if (done == 1)
            cancelFlag = true;
    };
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));
    EXPECT_NE(log().find("query 124 "), std::string::npos) << log();

    setenv("VOK_MSG_ANSWER", "no", 1);
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(Names(dest).size(),
              4u); // two questions, both answered No; the last file is never asked
    EXPECT_EQ(ReadBytes(dest + "/DSC00004.jpg"), ReadBytes(card + "/100/0003.jpg"));
}

TEST_F(Download, LastFileCannotBeCancelled) {
    std::string card = MakeSizedCard(home.dir, {40000});
    SimCamera camera(home.dir, card);
    SetFolderValue("Event_App", "Path_Image", dest);
    onProgress = [this](int, int, int, int) { cancelFlag = true; };
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));
    EXPECT_EQ(log(), "");
}

// Faults: the run ends with its message, earlier files stay whole, nothing truncated stays.
TEST_F(Download, CameraThatStopsAnsweringMidFile) {
    std::string card = MakeSizedCard(home.dir, {70000, 70000, 70000});
    SimCamera camera(home.dir, card);
    SetFolderValue("Event_App", "Path_Image", dest);
    onProgress = [&camera](int index, int, int done, int) {
        if (index == 1 && done == 1)
            camera.Stop(SIGKILL);
    };
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));
    EXPECT_EQ(ReadBytes(dest + "/DSC00001.jpg"), ReadBytes(card + "/100/0001.jpg"));
    ASSERT_FALSE(observer.messages.empty());
    EXPECT_EQ(observer.messages.back(), DSC_MSG_ACCESS);
    EXPECT_TRUE(connectionClosed());
}

TEST_F(Download, GarbageRepliesEndTheRunWithDataError) {
    std::string card = MakeSizedCard(home.dir, {70000, 70000});
    // File 1 takes block reads 1 to 3; every attempt at file 2's first block is garbage.
    SimCamera camera(home.dir, card,
                     {"--fault", "133:4:type", "--fault", "133:5:type", "--fault", "133:6:type"});
    SetFolderValue("Event_App", "Path_Image", dest);
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));
    EXPECT_EQ(ReadBytes(dest + "/DSC00001.jpg"), ReadBytes(card + "/100/0001.jpg"));
    EXPECT_EQ(observer.messages, (std::vector<int>{DSC_MSG_DATA}));
}

TEST_F(Download, SingleSpoiltBlockIsRetried) {
    std::string card = MakeSizedCard(home.dir, {70000, 70000});
    SimCamera camera(home.dir, card, {"--fault", "133:2:checksum", "--fault", "133:5:drop"});
    SetFolderValue("Event_App", "Path_Image", dest);
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(ReadBytes(dest + "/DSC00001.jpg"), ReadBytes(card + "/100/0001.jpg"));
    EXPECT_EQ(ReadBytes(dest + "/DSC00002.jpg"), ReadBytes(card + "/100/0002.jpg"));
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(Download, SizeZeroStopsWithMessage57) {
    std::string card = MakeSizedCard(home.dir, {3000, 0, 3000});
    SimCamera camera(home.dir, card);
    SetFolderValue("Event_App", "Path_Image", dest);
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(observer.messages, (std::vector<int>{57}));
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));
}

TEST_F(Download, DestinationThatVanishesMidRun) {
    std::string card = MakeSizedCard(home.dir, {3000, 3000, 3000});
    SimCamera camera(home.dir, card);
    SetFolderValue("Event_App", "Path_Image", dest);
    auto base = observer.answer;
    std::string folder = dest;
    observer.answer = [base, folder](unsigned m, uintptr_t code, intptr_t value) -> intptr_t {
        if (m == WM_DSC_STATUS && code == DSC_STATUS_FILE_WRITTEN) {
            std::error_code ec;
            std::filesystem::remove_all(folder, ec);
            EXPECT_FALSE(ec) << ec.message();
        }
        return base(m, code, value);
    };
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(observer.messages, (std::vector<int>{49}));
    EXPECT_EQ(valuesOf(2).size(), 1u);
    EXPECT_TRUE(connectionClosed());
}

TEST_F(Download, FullDiskBeforeAFile) {
    std::string card = MakeSizedCard(home.dir, {100000, 100000, 1000});
    SimCamera camera(home.dir, card);
    SetFolderValue("Event_App", "Path_Image", dest);
    setenv("VOK_TEST_FREE_BYTES", "150000", 1);
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(observer.messages, (std::vector<int>{100}));
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));
    EXPECT_EQ(ReadBytes(dest + "/DSC00001.jpg"), ReadBytes(card + "/100/0001.jpg"));
}

TEST_F(Download, WriteFailureMidFileLeavesNoTruncatedFile) {
    std::string card = MakeSizedCard(home.dir, {50000, 200000, 1000});
    SimCamera camera(home.dir, card);
    SetFolderValue("Event_App", "Path_Image", dest);
    // Files beyond 100000 bytes cannot be written: the write fails part way through.
    struct rlimit old;
    getrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = {100000, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    int result = VokDscCom_RT70_DSC2PC(1);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(observer.messages, (std::vector<int>{100}));
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00001.jpg"}));
    EXPECT_EQ(ReadBytes(dest + "/DSC00001.jpg"), ReadBytes(card + "/100/0001.jpg"));
}

TEST_F(Download, ExistingFileIsNeverReplaced) {
    std::string card = MakeSizedCard(home.dir, {3000, 3000});
    SimCamera camera(home.dir, card);
    SetFolderValue("Event_App", "Path_Image", dest);
    // Another program takes the next name while the first file is on its way.
    onProgress = [this](int index, int, int done, int) {
        if (index == 0 && done == 1)
            WriteBytes(dest + "/DSC00001.jpg", {1, 2, 3});
    };
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 1);
    EXPECT_EQ(ReadBytes(dest + "/DSC00001.jpg"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(Names(dest),
              (std::vector<std::string>{"DSC00001.jpg", "DSC00002.jpg", "DSC00003.jpg"}));
    EXPECT_EQ(ReadBytes(dest + "/DSC00002.jpg"), ReadBytes(card + "/100/0001.jpg"));
}

// Mode 0: the export hands the open connection to the selection dialog.
int g_hookCalls = 0;
int acceptingHook(DscConnection* c) {
    ++g_hookCalls;
    EXPECT_NE(c->sendBuffer, nullptr);
    return 0;
}

TEST_F(Download, Mode0WithoutSelectionDialogFailsCleanly) {
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    DscTransfer_SetSelectionHook(nullptr);
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(0), 0);
    EXPECT_EQ(observer.messages, (std::vector<int>{129}));
    EXPECT_TRUE(connectionClosed());
}

TEST_F(Download, Mode0PickedTransfer) {
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    DscTransfer_SetSelectionHook(acceptingHook);
    g_hookCalls = 0;
    ASSERT_EQ(VokDscCom_RT70_DSC2PC(0), 1);
    EXPECT_EQ(g_hookCalls, 1);
    EXPECT_FALSE(connectionClosed()); // the dialog holds it
    DscTransfer_SetSelectionHook(nullptr);
    EXPECT_EQ(DscTransfer_RunPicked(nullptr, 0, nullptr), DSC_ERR_NOTHING);

    SetFolderValue("Application", "Path_dir", dest);
    Touch(dest + "/DSC00009.jpg");
    DscPickedImage picks[] = {{100, 2, 1, 0}, {100, 4, 2, 0}, {101, 1, 0, 0}, {101, 2, 4, 0}};
    EXPECT_EQ(DscTransfer_RunPicked(picks, 4, nullptr), DSC_OK);
    EXPECT_EQ(Names(dest), (std::vector<std::string>{"DSC00009.jpg", "DSC00010.jpg", "DSC00011.tif",
                                                     "DSC00012.mov", "DSC00013.mov"}));
    EXPECT_EQ(ReadBytes(dest + "/DSC00010.jpg"), ReadBytes(card + "/100/0002.jpg"));
    EXPECT_EQ(ReadBytes(dest + "/DSC00011.tif"), ReadBytes(card + "/100/0004.tif"));
    EXPECT_EQ(ReadBytes(dest + "/DSC00012.mov"), ReadBytes(card + "/101/0001.mov"));
    EXPECT_EQ(ReadBytes(dest + "/DSC00013.mov"), ReadBytes(card + "/101/0002.wav"));
    EXPECT_EQ(fileCodes(), (std::vector<uintptr_t>{1, 2, 1, 2, 1, 2, 1, 2}));
    EXPECT_EQ(FolderValue("Application", "Path_dir"), dest);
    EXPECT_TRUE(observer.messages.empty());

    // A folder without room is refused with message 55.
    Touch(dest + "/DSC99998.jpg");
    EXPECT_EQ(DscTransfer_RunPickedInto(picks, 2, dest.c_str(), nullptr, nullptr),
              DSC_ERR_REPORTED);
    EXPECT_EQ(observer.messages, (std::vector<int>{55}));
    EXPECT_EQ(DscTransfer_RunPickedInto(picks, 1, dest.c_str(), nullptr, nullptr), DSC_OK);
    EXPECT_EQ(ReadBytes(dest + "/DSC99999.jpg"), ReadBytes(card + "/100/0002.jpg"));

    // An image the camera does not have ends the run; the selection dialog reports it.
    observer.messages.clear();
    std::string other = MakeFolder(home.dir, "other");
    DscPickedImage missing[] = {{100, 1, 1, 0}, {100, 9, 1, 0}};
    EXPECT_NE(DscTransfer_RunPickedInto(missing, 2, other.c_str(), nullptr, nullptr), DSC_OK);
    EXPECT_EQ(Names(other), (std::vector<std::string>{"DSC00001.jpg"}));
}

// The image request of the picked run names the kind the thumbnail gave: a camera that refuses
// any other kind byte still hands over the TIFF, the movie and the memo.
TEST_F(Download, Mode0AsksForEachImageWithItsKind) {
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card, {"--strict-kinds"});
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    DscPickedImage picks[] = {{100, 4, 2, 0}, {101, 1, 3, 0}, {101, 2, 4, 0}};
    EXPECT_EQ(DscTransfer_RunPickedInto(picks, 3, dest.c_str(), nullptr, nullptr), DSC_OK);
    EXPECT_EQ(Names(dest),
              (std::vector<std::string>{"DSC00001.tif", "DSC00002.mov", "DSC00003.mov"}));
    EXPECT_EQ(ReadBytes(dest + "/DSC00002.mov"), ReadBytes(card + "/101/0001.mov"));
    EXPECT_EQ(ReadBytes(dest + "/DSC00003.mov"), ReadBytes(card + "/101/0002.wav"));
    EXPECT_TRUE(observer.messages.empty());

    // The strict camera does refuse a movie asked for as a still: a status reply where the
    // information was due, three times, and the run ends with message 14.
    DscPickedImage asStill[] = {{101, 1, 1, 0}};
    EXPECT_EQ(DscTransfer_RunPickedInto(asStill, 1, dest.c_str(), nullptr, nullptr),
              DSC_ERR_REPORTED);
    EXPECT_EQ(observer.messages, std::vector<int>{14});
    EXPECT_EQ(Names(dest).size(), 3u);
}

} // namespace
