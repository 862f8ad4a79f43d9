// Connection start checks: the owner's busy answer, the registry interlock with another
// qubex program, the wait for the button monitor, identify, and the notifications that
// tell the owner when buffers are held.
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <new>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "FakeCamera.h"
#include "VokReged.h"
#include "transfer_env.h"

namespace {

// A running process whose program file is called qubex (a copy of sleep).
struct FakeQubex {
    pid_t pid = -1;
    explicit FakeQubex(const std::string& dir, const char* name = "qubex") {
        std::string path = dir + "/" + name;
        std::error_code ec;
        if (!std::filesystem::copy_file("/bin/sleep", path, ec))
            return;
        pid = fork();
        if (pid == 0) {
            execl(path.c_str(), name, "30", static_cast<char*>(nullptr));
            _exit(127);
        }
        // Until the exec has replaced the child's program.
        std::string comm = "/proc/" + std::to_string(pid) + "/comm";
        for (int i = 0; i < 400; ++i) {
            FILE* f = fopen(comm.c_str(), "r");
            char text[64] = {};
            if (f) {
                if (!fgets(text, sizeof text, f))
                    text[0] = 0;
                fclose(f);
            }
            if (strncmp(text, name, strlen(name)) == 0)
                break;
            usleep(5000);
        }
    }
    ~FakeQubex() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

class Start : public ::testing::Test {
  protected:
    TempHome home;
    FakeCamera camera;
    Observer observer;

    void SetUp() override {
        VokDscCom_SetApplicationInfo(nullptr, "test", 1, 5, "");
        camera.responder = [](const Bytes& rq) {
            if (rq[3] == DSC_CMD_IDENTIFY)
                return Answer{Packet(8, 0, 3, {'D', 'S', 'C', '3'})};
            if (rq[3] == DSC_CMD_COUNT_ALL) {
                uint32_t n = rq[1] == 0 ? 7 : 0xFFFFFFFFu;
                return Answer{Packet(8, rq[1], 131, U32(n))};
            }
            return Answer{Status(rq[1], 0)};
        };
    }
    void TearDown() override { DscCom_ReleaseBuffers(); }

    bool bufferNotes(std::vector<intptr_t> want) {
        std::vector<intptr_t> got;
        for (size_t i = 0; i < observer.notes.size(); ++i)
            if (observer.notes[i] == std::make_pair(WM_DSC_STATUS, uintptr_t(0)))
                got.push_back(observer.values[i]);
        return got == want;
    }
};

// Nothing thrown inside the library leaves an export: one message, the failure value.
TEST_F(Start, ExceptionsStopAtTheExport) {
    observer.answer = [](unsigned m, uintptr_t code, intptr_t) -> intptr_t {
        if (m == WM_DSC_STATUS && code == DSC_STATUS_BUSY_QUERY)
            throw std::bad_alloc();
        return 0;
    };
    EXPECT_EQ(VokDscCom_Connect(), DSC_ERR_REPORTED);
    EXPECT_EQ(observer.messages, std::vector<int>{51});
    observer.messages.clear();
    observer.answer = [](unsigned m, uintptr_t code, intptr_t) -> intptr_t {
        if (m == WM_DSC_STATUS && code == DSC_STATUS_BUSY_QUERY)
            throw std::runtime_error("owner failed");
        return 0;
    };
    EXPECT_EQ(VokDscCom_RT70_DSC2PC(1), 0);
    EXPECT_EQ(observer.messages, std::vector<int>{129});
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
}

TEST_F(Start, BusyOwnerTouchesNeitherRegistryNorCamera) {
    FakeQubex other(home.dir);
    ASSERT_GT(other.pid, 0);
    SetEventValue("Active", 1);
    SetEventValue("APP_HANDLE", other.pid);
    SetEventValue("Now_Toking", 1);
    observer.answer = [](unsigned m, uintptr_t code, intptr_t) {
        return m == WM_DSC_STATUS && code == 13 ? 1 : 0;
    };
    EXPECT_EQ(DscCom_StartConnection(1, nullptr), 1);
    // Had the registry been read, message 149 would have come.
    EXPECT_TRUE(observer.messages.empty());
    ASSERT_EQ(observer.notes.size(), 1u);
    EXPECT_EQ(observer.notes[0], std::make_pair(WM_DSC_STATUS, uintptr_t(13)));
    EXPECT_EQ(camera.deviceOpens, 0);
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
}

TEST_F(Start, AnotherQubexHoldingTheCameraRefuses) {
    FakeQubex other(home.dir);
    ASSERT_GT(other.pid, 0);
    SetEventValue("Active", 1);
    SetEventValue("APP_HANDLE", other.pid);
    EXPECT_EQ(DscCom_IsQubexProcess(other.pid), 1);
    EXPECT_EQ(DscCom_StartConnection(1, nullptr), DSC_ERR_REPORTED);
    EXPECT_EQ(observer.messages, std::vector<int>{149});
    EXPECT_EQ(camera.deviceOpens, 0);
    EXPECT_TRUE(bufferNotes({}));
}

TEST_F(Start, StaleOrForeignOrOwnHandleDoesNotRefuse) {
    SetEventValue("Active", 1);
    FakeQubex foreign(home.dir, "notqubex");
    ASSERT_GT(foreign.pid, 0);
    EXPECT_EQ(DscCom_IsQubexProcess(foreign.pid), 0);
    pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    waitpid(dead, nullptr, 0);
    for (int32_t pid : {int32_t(foreign.pid), int32_t(dead), int32_t(getpid()), 0, -5}) {
        SetEventValue("APP_HANDLE", pid);
        observer.messages.clear();
        EXPECT_EQ(DscCom_StartConnection(1, nullptr), DSC_OK) << pid;
        EXPECT_TRUE(observer.messages.empty()) << pid;
        DscCom_CloseConnection();
    }
}

TEST_F(Start, ActiveZeroIgnoresTheHandle) {
    FakeQubex other(home.dir);
    SetEventValue("Active", 0);
    SetEventValue("APP_HANDLE", other.pid);
    EXPECT_EQ(DscCom_StartConnection(1, nullptr), DSC_OK);
    DscCom_CloseConnection();
}

TEST_F(Start, SuccessfulStartIdentifiesAndHoldsBuffers) {
    EXPECT_EQ(DscCom_StartConnection(1, nullptr), DSC_OK);
    EXPECT_EQ(VokDscCom_GetCameraVariant(), 4);
    EXPECT_NE(DscCom_Record()->sendBuffer, nullptr);
    EXPECT_TRUE(bufferNotes({1}));
    ASSERT_EQ(camera.requests.size(), 1u);
    EXPECT_EQ(camera.requests[0], Packet(8, 0, 2));
    DscCom_CloseConnection();
    EXPECT_TRUE(bufferNotes({1, 0}));
    EXPECT_EQ(camera.requests.back(), Packet(8, 0, 31));
    EXPECT_EQ(camera.openHandles, 0);
}

TEST_F(Start, ModesOneAndTwoCountEveryImage) {
    DscCom_Record()->mode = 1;
    int32_t total = 0;
    EXPECT_EQ(DscCom_StartConnection(1, &total), DSC_OK);
    EXPECT_EQ(total, 7);
    EXPECT_EQ(camera.count(DSC_CMD_COUNT_ALL), 2);
    DscCom_CloseConnection();
}

TEST_F(Start, FailedIdentifyReleasesEverything) {
    camera.responder = [](const Bytes&) { return Answer{Packet(8, 0, 3, {'X', 'Y', 'Z', '1'})}; };
    EXPECT_EQ(DscCom_StartConnection(1, nullptr), DSC_ERR_FRAME);
    EXPECT_EQ(observer.messages, std::vector<int>{8});
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
    EXPECT_TRUE(bufferNotes({1, 0}));
    EXPECT_EQ(camera.count(DSC_CMD_END), 0);
}

TEST_F(Start, MonitorTalkingTimesOutSilently) {
    SetEventValue("Now_Toking", 1);
    EXPECT_EQ(DscCom_StartConnection(1, nullptr), DSC_ERR_INTERLOCK);
    EXPECT_TRUE(observer.messages.empty());
    EXPECT_TRUE(camera.requests.empty());
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
    EXPECT_TRUE(bufferNotes({1, 0}));
}

TEST_F(Start, DownloadExportGivesUpSilentlyWhileTheMonitorTalks) {
    SetEventValue("Now_Toking", 1);
    for (int32_t mode : {0, 1}) {
        observer.messages.clear();
        EXPECT_EQ(VokDscCom_RT70_DSC2PC(mode), 0) << mode;
        EXPECT_TRUE(observer.messages.empty()) << mode;
    }
    EXPECT_TRUE(camera.requests.empty());
    EXPECT_EQ(DscCom_Record()->sendBuffer, nullptr);
}

TEST_F(Start, MonitorLettingGoInTimeIsWaitedFor) {
    int result;
    {
        // A slower clock gives the clearing thread a wide margin: 500 ms + up to 550 ms.
        voktest::ScopedEnv slower("VOK_TIME_SCALE", "0.1");
        SetEventValue("Now_Toking", 1);
        std::thread monitor([] {
            usleep(150000);
            SetEventValue("Now_Toking", 0);
        });
        result = DscCom_StartConnection(1, nullptr);
        monitor.join();
    }
    EXPECT_EQ(result, DSC_OK);
    DscCom_CloseConnection();
}

TEST_F(Start, ToolConnectionListsAndDisconnects) {
    camera.responder = [](const Bytes& rq) {
        switch (rq[3]) {
        case DSC_CMD_IDENTIFY:
            return Answer{Packet(8, 0, 3, {'D', 'S', 'C', '6'})};
        case DSC_CMD_COUNT_FOLDERS:
            return Answer{Packet(8, rq[1], 11, U32(1))};
        case DSC_CMD_LIST_FOLDERS:
            return Answer{Packet(16, rq[1], 13, U16(100))};
        case DSC_CMD_COUNT_IMAGES:
            return Answer{Packet(8, rq[1], 8, U16(2))};
        case DSC_CMD_LIST_IMAGES:
            return Answer{Packet(16, rq[1], 15, Cat(U16(1), U16(2)))};
        case DSC_CMD_THUMB_INFO: // image 2 has no thumbnail
            return rq[6] == 2 ? Answer{Status(0, 6)} : Answer{Packet(8, 0, 29, Cat({2}, U32(9)))};
        case DSC_CMD_IMAGE_INFO:
            return Answer{Packet(8, 0, 29, Cat({rq[8] == 1 ? uint8_t(2) : uint8_t(0)}, U32(777)))};
        default:
            return Answer{Status(rq[1], 0)};
        }
    };
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    EXPECT_EQ(VokDscCom_GetCameraVariant(), 5);
    int32_t folders = 0, images = 0;
    ASSERT_EQ(VokDscCom_CountFolders(&folders), DSC_OK);
    ASSERT_EQ(folders, 1);
    uint16_t folder = 0;
    ASSERT_EQ(VokDscCom_GetFolderNumbers(&folder, 1), DSC_OK);
    EXPECT_EQ(folder, 100);
    ASSERT_EQ(VokDscCom_CountImages(folder, &images), DSC_OK);
    ASSERT_EQ(images, 2);
    uint16_t numbers[2] = {};
    ASSERT_EQ(VokDscCom_GetImageNumbers(folder, numbers, 2), DSC_OK);
    int32_t kind = 0;
    uint32_t size = 0;
    // A TIFF thumbnail asks for the TIFF (kind request 1).
    ASSERT_EQ(VokDscCom_GetImageInfo(folder, numbers[0], &kind, &size), DSC_OK);
    EXPECT_EQ(kind, 2);
    EXPECT_EQ(size, 777u);
    EXPECT_EQ(camera.requests.back(), Packet(8, 0, 26, {100, 0, 1, 0, 1}));
    // Without a thumbnail the kind is unknown: request 0, and a reported 0 reads as a still.
    ASSERT_EQ(VokDscCom_GetImageInfo(folder, numbers[1], &kind, &size), DSC_OK);
    EXPECT_EQ(kind, 1);
    EXPECT_EQ(camera.requests.back(), Packet(8, 0, 26, {100, 0, 2, 0, 0}));
    VokDscCom_Disconnect();
    EXPECT_EQ(camera.requests.back(), Packet(8, 0, 31));
    EXPECT_EQ(VokDscCom_CountFolders(&folders), DSC_ERR_REPORTED);
    EXPECT_TRUE(observer.messages.empty());
}

TEST_F(Start, ToolCountsNoListingCouldDeliverAreRefused) {
    // One page claims nearly 2^31 folders (or 60000 images), the next ends the count.
    camera.responder = [](const Bytes& rq) {
        switch (rq[3]) {
        case DSC_CMD_IDENTIFY:
            return Answer{Packet(8, 0, 3, {'D', 'S', 'C', '6'})};
        case DSC_CMD_COUNT_FOLDERS:
            return Answer{Packet(8, rq[1], 11, U32(rq[1] == 0 ? 0x7FFFFFF0u : 0))};
        case DSC_CMD_COUNT_IMAGES:
            return Answer{Packet(8, rq[1], 8, U16(rq[1] == 0 ? 60000 : 0))};
        default:
            return Answer{Status(rq[1], 0)};
        }
    };
    ASSERT_EQ(VokDscCom_Connect(), DSC_OK);
    int32_t count = -1;
    EXPECT_EQ(VokDscCom_CountFolders(&count), DSC_ERR_FRAME);
    EXPECT_EQ(count, 0);
    count = -1;
    EXPECT_EQ(VokDscCom_CountImages(100, &count), DSC_ERR_FRAME);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(observer.messages, (std::vector<int>{8, 8}));
    VokDscCom_Disconnect();
}

TEST_F(Start, ApplicationInfoLeavesAnOpenConnectionAlone) {
    ASSERT_EQ(DscCom_StartConnection(1, nullptr), DSC_OK);
    uint8_t* buffer = DscCom_Record()->sendBuffer;
    VokDscCom_SetApplicationInfo(nullptr, "other", 1, 5, "");
    EXPECT_EQ(DscCom_Record()->sendBuffer, buffer);
    EXPECT_STREQ(DscCom_Record()->appTitle, "test");
    DscCom_CloseConnection();
    VokDscCom_SetApplicationInfo(nullptr, "other", 1, 5, "/x/qubex.ini");
    EXPECT_STREQ(DscCom_Record()->appTitle, "other");
    EXPECT_STREQ(DscCom_Record()->settingsPath, "/x/qubex.ini");
}

} // namespace
