// rt70cam get-all and get against the virtual camera: byte-for-byte copies numbered from
// DSC00001 and continued by a second run, picked images, full and missing folders, a camera
// that stops answering, and the usage errors.
#include <gtest/gtest.h>

#include "cam_env.h"
#include "transfer_env.h"

namespace {

struct GetHome : CamHome {
    std::string dest = MakeFolder(dir, "dest");
};

const char* const kDemo[] = {"100/0001.jpg", "100/0002.jpg", "100/0003.jpg",
                             "100/0004.tif", "101/0001.mov", "101/0002.wav"};

std::string dscName(int number, const char* cardFile) {
    std::string ending = std::string(cardFile).substr(9); // after "100/0001."
    if (ending == "wav")
        ending = "mov";
    char name[32];
    snprintf(name, sizeof name, "DSC%05d.%s", number, ending.c_str());
    return name;
}

TEST(CamGet, AllImagesByteForByteAndASecondRunContinues) {
    GetHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    for (int run = 0; run < 2; ++run) {
        ProgramRun r = home.rt70cam("get-all '" + home.dest + "'");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.log, "");
        std::string want;
        for (int i = 0; i < 6; ++i) {
            std::string name = dscName(run * 6 + i + 1, kDemo[i]);
            want += home.dest + "/" + name + "\n";
            EXPECT_EQ(ReadBytes(home.dest + "/" + name), ReadBytes(card + "/" + kDemo[i])) << name;
        }
        EXPECT_EQ(r.out, want);
        EXPECT_EQ(r.err.find("[#"), std::string::npos); // no bar when stderr is no terminal
    }
    EXPECT_EQ(Names(home.dest).size(), 12u);
}

TEST(CamGet, PickedImages) {
    GetHome home;
    std::string card = MakeDemoCard(home.dir);
    SimCamera camera(home.dir, card);
    Touch(home.dest + "/dsc00041.JPG");
    ProgramRun r = home.rt70cam("get 100:4 101:2 100:1 '" + home.dest + "/'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Names(home.dest), (std::vector<std::string>{"DSC00042.tif", "DSC00043.mov",
                                                          "DSC00044.jpg", "dsc00041.JPG"}));
    EXPECT_EQ(ReadBytes(home.dest + "/DSC00042.tif"), ReadBytes(card + "/100/0004.tif"));
    EXPECT_EQ(ReadBytes(home.dest + "/DSC00043.mov"), ReadBytes(card + "/101/0002.wav"));
    EXPECT_EQ(ReadBytes(home.dest + "/DSC00044.jpg"), ReadBytes(card + "/100/0001.jpg"));
}

TEST(CamGet, FullOrMissingFolderIsRefused) {
    GetHome home;
    SimCamera camera(home.dir, MakeDemoCard(home.dir));
    Touch(home.dest + "/DSC99999.jpg");
    ProgramRun full = home.rt70cam("get-all '" + home.dest + "'");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.log.rfind("error 55 rt70cam\t", 0), 0u) << full.log;
    EXPECT_EQ(Names(home.dest).size(), 1u);
    ProgramRun missing = home.rt70cam("get-all '" + home.dir + "/missing'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.log.rfind("error 55 rt70cam\t", 0), 0u) << missing.log;
    ProgramRun picked = home.rt70cam("get 100:1 '" + home.dir + "/missing'");
    EXPECT_EQ(picked.status, 1);
    EXPECT_EQ(picked.log.rfind("error 50 rt70cam\t", 0), 0u) << picked.log;
}

TEST(CamGet, CameraThatStopsAnsweringLeavesNoPartialFile) {
    GetHome home;
    std::string card = MakeSizedCard(home.dir, {70000, 70000});
    // The second file's second block never gets an answer.
    SimCamera camera(home.dir, card,
                     {"--fault", "133:5:drop", "--fault", "133:6:drop", "--fault", "133:7:drop"});
    ProgramRun r = home.rt70cam("get-all '" + home.dest + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log.rfind("error 14 rt70cam\t", 0), 0u) << r.log;
    EXPECT_EQ(Names(home.dest), (std::vector<std::string>{"DSC00001.jpg"}));
    EXPECT_EQ(ReadBytes(home.dest + "/DSC00001.jpg"), ReadBytes(card + "/100/0001.jpg"));
    EXPECT_EQ(r.out, home.dest + "/DSC00001.jpg\n");
}

TEST(CamGet, EmptyCamera) {
    GetHome home;
    SimCamera camera(home.dir, MakeFolder(home.dir, "card"));
    ProgramRun r = home.rt70cam("get-all '" + home.dest + "'");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.log.rfind("error 53 rt70cam\t", 0), 0u) << r.log;
}

TEST(CamGet, UsageErrors) {
    GetHome home;
    for (const char* args :
         {"get-all", "get-all a b", "get 100:1", "get", "get 1x:1 d", "get 100: d", "get :1 d",
          "get 70000:1 d", "get 100:65536 d", "get 100:1:2 d", "get -1:2 d"}) {
        ProgramRun r = home.rt70cam(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage"), std::string::npos) << args;
        EXPECT_EQ(r.log, "") << args;
    }
}

} // namespace
