// The camera command line rt70cam against the virtual camera: what identify and ls print,
// and the catalogue message and exit status of every kind of failure.
#include <algorithm>
#include <gtest/gtest.h>

#include "VokReged.h"
#include "transfer_env.h"
#include "cam_env.h"

namespace {

std::string demoListing(const std::string& card) {
    struct {
        int folder, image, kind;
        const char* file;
    } items[] = {{100, 1, 1, "100/0001.jpg"}, {100, 2, 1, "100/0002.jpg"},
                 {100, 3, 1, "100/0003.jpg"}, {100, 4, 2, "100/0004.tif"},
                 {101, 1, 3, "101/0001.mov"}, {101, 2, 4, "101/0002.wav"}};
    std::string text;
    for (auto i : items)
        text += std::to_string(i.folder) + " " + std::to_string(i.image) + " " +
                std::to_string(i.kind) + " " +
                std::to_string(ReadBytes(card + "/" + i.file).size()) + "\n";
    return text;
}

TEST(Rt70cam, IdentifyAndListTheDemoCard) {
    CamHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card, {"--variant", "6"});
    ProgramRun id = home.rt70cam("identify");
    EXPECT_EQ(id.status, 0) << id.err;
    EXPECT_EQ(id.out, "5\n");
    ProgramRun ls = home.rt70cam("ls");
    EXPECT_EQ(ls.status, 0) << ls.err;
    EXPECT_EQ(ls.out, demoListing(card));
    EXPECT_EQ(ls.log, "");
}

TEST(Rt70cam, ListingSurvivesRetriedFaults) {
    CamHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card,
                     {"--fault", "22:2:drop", "--fault", "26:3:code", "--fault", "12:1:checksum"});
    ProgramRun ls = home.rt70cam("ls");
    EXPECT_EQ(ls.status, 0) << ls.err;
    EXPECT_EQ(ls.out, demoListing(card));
}

TEST(Rt70cam, DamagedInformationReplyIsADataError) {
    CamHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card, {"--fault", "26:3:checksum"});
    ProgramRun ls = home.rt70cam("ls");
    EXPECT_NE(ls.status, 0);
    EXPECT_EQ(ls.out, demoListing(card).substr(0, ls.out.size()));
    EXPECT_EQ(ls.log.rfind("error 8 rt70cam\t", 0), 0u) << ls.log;
}

TEST(Rt70cam, ImageThatVanishesWhileListingIsNamed) {
    CamHome home;
    std::string card = MakeDemoCard(home.dir);
    // The second image's information request finds it gone.
    SimCamera camera(home.dir, card, {"--fault", "26:2:status6"});
    ProgramRun ls = home.rt70cam("ls");
    EXPECT_EQ(ls.status, 0) << ls.err;
    std::string want = demoListing(card);
    size_t second = want.find('\n') + 1;
    want.erase(second, want.find('\n', second) + 1 - second);
    EXPECT_EQ(ls.out, want);
    EXPECT_NE(ls.err.find("100:2"), std::string::npos) << ls.err;
    EXPECT_EQ(ls.log, "");
}

TEST(Rt70cam, ListsEveryPage) {
    CamHome home;
    SimCamera camera(home.dir, MakeCard(home.dir, 2, 51));
    ProgramRun ls = home.rt70cam("ls");
    EXPECT_EQ(ls.status, 0) << ls.err;
    std::string want;
    for (int f = 100; f <= 101; ++f)
        for (int i = 1; i <= 51; ++i)
            want += std::to_string(f) + " " + std::to_string(i) + " 1 8\n";
    EXPECT_EQ(ls.out, want);
}

TEST(Rt70cam, NoCameraFailsWithTheCatalogueMessage) {
    CamHome home;
    ProgramRun r;
    {
        voktest::ScopedEnv nowhere("VOKUSB_SIM", home.dir + "/none.sock");
        r = home.rt70cam("ls");
    }
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Cannot access Camera."), std::string::npos) << r.err;
    // One box: the result the exchange reported is not told again as a data error.
    EXPECT_EQ(r.log.rfind("error 14 rt70cam\t", 0), 0u) << r.log;
    EXPECT_EQ(std::count(r.log.begin(), r.log.end(), '\n'), 1) << r.log;
}

TEST(Rt70cam, UnknownCameraIsADataError) {
    CamHome home;
    SimCamera camera(home.dir, MakeCard(home.dir, 1, 1), {"--variant", "4"});
    ProgramRun r = home.rt70cam("identify");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Data error has occurred."), std::string::npos) << r.err;
    EXPECT_EQ(r.log.rfind("error 8 rt70cam\t", 0), 0u) << r.log;
    EXPECT_EQ(std::count(r.log.begin(), r.log.end(), '\n'), 1) << r.log;
}

TEST(Rt70cam, MonitorHoldingTheCameraIsReported) {
    CamHome home;
    SimCamera camera(home.dir, MakeCard(home.dir, 1, 1));
    SetEventValue("Now_Toking", 1);
    ProgramRun r = home.rt70cam("identify");
    EXPECT_NE(r.status, 0);
    EXPECT_EQ(r.log.rfind("error 149 rt70cam\t", 0), 0u) << r.log;
}

TEST(Rt70cam, UsageErrors) {
    CamHome home;
    for (const char* args : {"", "frobnicate", "ls extra"}) {
        ProgramRun r = home.rt70cam(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage"), std::string::npos) << args;
    }
}

} // namespace
