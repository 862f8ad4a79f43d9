/* qubex's camera commands as processes against the virtual camera: an event-1 start copies
 * every image whole into the image folder, lists them in a download album and leaves the
 * button released; event 2 fills the mail folder and hands the files to the mail workflow;
 * the 101st image of one connection starts a second album; Data out converts a phone's 4:2:0
 * picture, sends a camera-ready one unchanged and sends a selection with its first and last
 * exchanged; Clock Setup during a download is refused without touching the camera. */
#include "VokReged.h"
#include "VokSharedKeys.h"
#include "VokUsb01.h"
#include "VokExif.h"
#include "demo_card.h"
#include "image_builders.h"
#include "qubex_driver.h"
#include "sim_camera.h"
#include "vok_test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>

using namespace voktest;

namespace {

class CameraProcess : public QubexProcessTest {
  protected:
    // No to the save question of the download albums at exit; other boxes take their default.
    CameraProcess() : QubexProcessTest("qubexcam", "no") {}
    std::string Folder(const char* name) const {
        const std::string f = Path(name);
        ::mkdir(f.c_str(), 0700);
        return f;
    }
    static void SetShared(const char* name, const std::string& text) {
        char value[VOK_MAX_PATH] = {};
        std::snprintf(value, sizeof value, "%s", text.c_str());
        ASSERT_TRUE(VokReg_Set_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, name, VOK_REG_TEXT, value));
    }
    static int32_t Shared(const char* name) {
        int32_t value = -1;
        VokReg_Query_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, name, VOK_REG_NUMBER, &value);
        return value;
    }
    /* qubex with its dump and drive socket; args after the program name. */
    pid_t Start(const std::vector<std::string>& args) {
        ScopedEnv d("VOK_STATE_DUMP", dump_), s("VOK_DRIVE", drive_);
        std::vector<std::string> all = {Qubex()};
        all.insert(all.end(), args.begin(), args.end());
        return SpawnQuiet(all);
    }
    QJsonObject Camera() const { return ReadDump(dump_)["camera"].toObject(); }
    void Quit(pid_t pid) {
        EXPECT_EQ(Drive(drive_, "quit"), "ok");
        EXPECT_EQ(WaitExit(pid), 0);
    }
    std::string Log() const { return ReadFile(Path("messages.log")); }

    ScopedEnv tmp_{"TMPDIR", Folder("tmp")};
    std::string dump_ = home_.dir + "/state.json";
    std::string drive_ = home_.dir + "/drive.sock";
};

/* The camera's pending button event, asked over the link as the monitor asks it. */
uint16_t ButtonEvent() {
    VokUsbHandle device = open_dev();
    uint16_t event = 0xFFFF;
    EXPECT_NE(device, VOKUSB_INVALID_HANDLE);
    EXPECT_TRUE(getBulkButtonStatus(device, &event));
    VokUsb_CloseHandle(device);
    return event;
}

/* The card's images in download order (folders, then images, by number). */
std::vector<std::string> CardImages(const std::string& card) {
    std::vector<std::string> images;
    for (const std::string& folder : Names(card))
        for (const std::string& name : Names(card + "/" + folder))
            if (name.size() > 4 && name.substr(name.size() - 4) != ".thm")
                images.push_back(card + "/" + folder + "/" + name);
    return images;
}

/* A movie made like the camera's: count Photo-JPEG pictures at fps with a second of sound. */
std::string CameraMovie(const std::string& path, int count, int fps) {
    std::vector<rt70sim::Bytes> frames;
    for (int i = 0; i < count; ++i) {
        rt70sim::Bytes jpeg;
        EXPECT_TRUE(
            rt70sim::encodeJpeg(rt70sim::demoPicture(160, 120, i + 1), 75, true, nullptr, &jpeg));
        frames.push_back(jpeg);
    }
    const rt70sim::Bytes movie =
        rt70sim::movieFile(frames, 160, 120, fps, rt70sim::Bytes(8000, 0x80));
    WriteFile(path, std::string(movie.begin(), movie.end()));
    return path;
}

bool Idle(const QJsonObject& d) {
    return StartedUp(d) && !d["camera"].toObject()["communicating"].toBool(true);
}

/* The album windows of the dump, in Window-menu order. */
QJsonArray Albums(const QJsonObject& d) {
    QJsonArray albums;
    for (const QJsonValue& c : d["children"].toArray())
        if (c.toObject()["kind"].toInt() == 2)
            albums.append(c);
    return albums;
}

QStringList EntryNames(const QJsonObject& album) {
    QStringList names;
    for (const QJsonValue& e : album["entries"].toArray())
        names << e.toObject()["name"].toString();
    return names;
}

TEST_F(CameraProcess, EventOneCopiesEveryImageWholeIntoAnAlbumAndReleasesTheButton) {
    const std::string card = MakeDemoCard(home_.dir);
    CameraMovie(card + "/101/0003.mov", 1, 1); // a picture with sound
    SimCamera camera(home_.dir, card, {"--button", "1"});
    const std::string images = Folder("images");
    SetShared(VOK_VALUE_PATH_IMAGE, images);
    ASSERT_EQ(ButtonEvent(), 1);
    const pid_t pid = Start({"VOK_EVNT_NO=1"});
    const QJsonObject d =
        WaitForDump(dump_, [](const QJsonObject& d) { return Idle(d) && !Albums(d).isEmpty(); });
    // Every file whole, in the camera's order; the picture with sound has its still beside it.
    const std::vector<std::string> sources = CardImages(card);
    std::vector<std::string> written = Names(images);
    ASSERT_EQ(written.size(), sources.size() + 1) << ReadFile(dump_);
    EXPECT_EQ(written[6], "DSC00007.jpg");
    EXPECT_EQ(VokImg_IsCameraReady((images + "/DSC00007.jpg").c_str()), 1);
    written.erase(written.begin() + 6);
    for (size_t i = 0; i < sources.size(); ++i) {
        EXPECT_EQ(ReadBytes(images + "/" + written[i]), ReadBytes(sources[i])) << written[i];
        EXPECT_EQ(written[i].substr(0, 8), "DSC0000" + std::to_string(i + 1));
    }
    // Every picture and movie in one album window, the still of the picture with sound after
    // its movie; a sound memo is no picture.
    const QJsonArray albums = Albums(d);
    ASSERT_EQ(albums.size(), 1);
    EXPECT_EQ(albums[0].toObject()["title"].toString(), "Album 1");
    EXPECT_EQ(albums[0].toObject()["class"].toString(), "VOKAlbumChild");
    EXPECT_EQ(EntryNames(albums[0].toObject()),
              (QStringList{"DSC00001.jpg", "DSC00002.jpg", "DSC00003.jpg", "DSC00004.tif",
                           "DSC00005.mov", "DSC00007.mov", "DSC00007.jpg"}));
    EXPECT_EQ(ButtonEvent(), 0) << "the connection's end released the button";
    EXPECT_EQ(Shared(VOK_VALUE_ACTIVE), 0);
    EXPECT_EQ(Shared(VOK_VALUE_APP_HANDLE), 0);
    // The Communication drop-down and the transfer buttons are back.
    for (const QJsonValue& b : d["toolbar"].toArray()) {
        if (b.toObject()["id"].toInt() == 421 || b.toObject()["id"].toInt() == 422) {
            EXPECT_TRUE(b.toObject()["enabled"].toBool()) << b.toObject()["id"].toInt();
        }
    }
    EXPECT_TRUE(d["menus"].toObject()["122"].toObject()["enabled"].toBool());
    EXPECT_EQ(Log(), "");
    Quit(pid);
}

TEST_F(CameraProcess, TheOneImageOfAnEventOneRunOpensInAWindow) {
    const std::string card = MakeCard(home_.dir, 1, 0);
    const imgtest::Bytes jpeg = imgtest::make_jpeg(64, 48);
    WriteFile(card + "/100/0001.jpg", std::string(jpeg.begin(), jpeg.end()));
    SimCamera camera(home_.dir, card);
    const std::string images = Folder("images");
    SetShared(VOK_VALUE_PATH_IMAGE, images);
    const pid_t pid = Start({"VOK_EVNT_NO=1"});
    const QJsonObject d = WaitForDump(dump_, [](const QJsonObject& d) {
        return Idle(d) && !d["camera"].toObject()["opened_singly"].toArray().isEmpty();
    });
    EXPECT_EQ(d["camera"].toObject()["opened_singly"].toArray()[0].toString().toStdString(),
              images + "/DSC00001.jpg");
    EXPECT_TRUE(Albums(d).isEmpty());
    EXPECT_EQ(ReadBytes(images + "/DSC00001.jpg"), jpeg);
    Quit(pid);
}

TEST_F(CameraProcess, AnEventStartWithoutACameraLeavesTheSharedKeyClear) {
    ScopedEnv noCamera("VOKUSB_SIM", Path("no-camera.sock"));
    SetShared(VOK_VALUE_PATH_IMAGE, Folder("images"));
    const pid_t pid = Start({"VOK_EVNT_NO=1"});
    WaitForDump(dump_, [this](const QJsonObject& d) { return Idle(d) && !Log().empty(); });
    EXPECT_EQ(Log().rfind("error ", 0), 0u) << Log();
    // The monitor must not wait for a program that holds no camera.
    EXPECT_EQ(Shared(VOK_VALUE_ACTIVE), 0);
    EXPECT_EQ(Shared(VOK_VALUE_APP_HANDLE), 0);
    Quit(pid);
}

TEST_F(CameraProcess, EventTwoFillsTheMailFolderAndHandsTheFilesToTheMail) {
    const std::string card = MakeDemoCard(home_.dir);
    SimCamera camera(home_.dir, card, {"--button", "2"});
    const std::string mail = Folder("mail");
    SetShared(VOK_VALUE_PATH_MAIL, mail);
    SetShared(VOK_VALUE_PATH_IMAGE, Folder("images"));
    const pid_t pid = Start({"VOK_EVNT_NO=2"});
    const QJsonObject d = WaitForDump(dump_, [](const QJsonObject& d) {
        return Idle(d) && !d["camera"].toObject()["mails_handed_over"].toArray().isEmpty();
    });
    const std::vector<std::string> written = Names(mail);
    EXPECT_EQ(written.size(), CardImages(card).size());
    EXPECT_TRUE(Names(Path("images")).empty());
    const QJsonArray mails = d["camera"].toObject()["mails_handed_over"].toArray();
    ASSERT_EQ(mails.size(), 1);
    QStringList handed;
    for (const QJsonValue& f : mails[0].toArray())
        handed << f.toString();
    QStringList expected;
    for (const std::string& name : written)
        expected << QString::fromStdString(mail + "/" + name);
    EXPECT_EQ(handed, expected);
    EXPECT_TRUE(Albums(d).isEmpty());
    EXPECT_EQ(ButtonEvent(), 0);
    Quit(pid);
}

TEST_F(CameraProcess, TheHundredAndFirstImageStartsASecondAlbum) {
    // 101 small camera pictures in one folder.
    const std::string card = Path("card");
    ::mkdir(card.c_str(), 0700);
    ::mkdir((card + "/100").c_str(), 0700);
    const imgtest::Bytes jpeg = imgtest::make_jpeg(64, 48);
    for (int i = 1; i <= 101; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/100/%04d.jpg", i);
        WriteFile(card + name, std::string(jpeg.begin(), jpeg.end()));
    }
    SimCamera camera(home_.dir, card);
    const std::string images = Folder("images");
    SetShared(VOK_VALUE_PATH_IMAGE, images);
    const pid_t pid = Start({"VOK_EVNT_NO=1"});
    const QJsonObject d = WaitForDump(dump_, [](const QJsonObject& d) {
        return Idle(d) && Albums(d).size() == 2 &&
               Albums(d)[1].toObject()["entries"].toArray().size() == 1;
    });
    EXPECT_EQ(Names(images).size(), 101u);
    const QJsonArray albums = Albums(d);
    ASSERT_EQ(albums.size(), 2);
    EXPECT_EQ(albums[0].toObject()["entries"].toArray().size(), 100);
    EXPECT_EQ(EntryNames(albums[1].toObject()), QStringList{"DSC00101.jpg"});
    EXPECT_EQ(albums[1].toObject()["title"].toString(), "Album 2");
    Quit(pid);
}

TEST_F(CameraProcess, DataInShowsTheSelectionDialogAsTheLoopsModelessDialog) {
    const std::string card = MakeDemoCard(home_.dir);
    SimCamera camera(home_.dir, card);
    const pid_t pid = Start({});
    WaitForDump(dump_, StartedUp);
    const std::string answer = Drive(drive_, "command 121");
    EXPECT_EQ(answer.rfind("ok", 0), 0u) << answer;
    QJsonObject d = WaitForDump(dump_, [](const QJsonObject& d) {
        for (const QJsonValue& dialog : d["dialogs"].toArray())
            if (dialog.toObject()["objectName"].toString() == "VOKDLGCOM_RT70")
                return d["camera"].toObject()["communicating"].toBool();
        return false;
    });
    EXPECT_TRUE(d["camera"].toObject()["modeless_dialog"].toBool());
    EXPECT_FALSE(d["menus"].toObject()["121"].toObject()["enabled"].toBool(true));
    EXPECT_EQ(Drive(drive_, "reject"), "ok");
    d = WaitForDump(dump_, Idle);
    EXPECT_FALSE(d["camera"].toObject()["modeless_dialog"].toBool(true));
    EXPECT_EQ(Shared(VOK_VALUE_ACTIVE), 0);
    EXPECT_EQ(Log(), "");
    Quit(pid);
}

TEST_F(CameraProcess, DataOutConvertsAPhonePictureAndSendsReadyOnesUnchangedLastFirst) {
    const std::string card = Path("card");
    ::mkdir(card.c_str(), 0700);
    SimCamera camera(home_.dir, card);
    imgtest::JpegOptions phone;
    phone.sampling = imgtest::Sampling::S2x2;
    phone.jfif = true;
    const imgtest::Bytes bytes = imgtest::make_jpeg(640, 480, phone);
    const std::string phonePath = Path("phone.jpg");
    WriteFile(phonePath, std::string(bytes.begin(), bytes.end()));
    ASSERT_EQ(VokImg_IsCameraReady(phonePath.c_str()), 0);
    const pid_t pid = Start({});
    WaitForDump(dump_, StartedUp);

    EXPECT_EQ(Drive(drive_, "file " + phonePath), "ok");
    EXPECT_EQ(Drive(drive_, "command 122"), "ok");
    WaitForDump(dump_, Idle);
    ASSERT_EQ(Names(card + "/100"), (std::vector<std::string>{"0001.jpg"}));
    const std::string sent = card + "/100/0001.jpg";
    EXPECT_EQ(VokImg_IsCameraReady(sent.c_str()), 1);
    ImageInfo info = {};
    ASSERT_TRUE(Get_Normal_Jpeg_Format(sent.c_str(), &info));
    EXPECT_EQ(info.width, 640u);

    // Three camera-ready files chosen A, B, C go C, B, A, each byte for byte.
    const std::vector<uint8_t> ready = ReadBytes(sent);
    std::string chosen;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        std::vector<uint8_t> marked = ready;
        marked.push_back(static_cast<uint8_t>(name[0])); // bytes after the end mark tell them apart
        WriteFile(Path(name), std::string(marked.begin(), marked.end()));
        ASSERT_EQ(VokImg_IsCameraReady(Path(name).c_str()), 1);
        chosen += (chosen.empty() ? "" : "\t") + Path(name);
    }
    EXPECT_EQ(Drive(drive_, "file " + chosen), "ok");
    EXPECT_EQ(Drive(drive_, "command 422"), "ok");
    WaitForDump(dump_, Idle);
    ASSERT_EQ(Names(card + "/100").size(), 4u);
    EXPECT_EQ(ReadBytes(card + "/100/0002.jpg"), ReadBytes(Path("c.jpg")));
    EXPECT_EQ(ReadBytes(card + "/100/0003.jpg"), ReadBytes(Path("b.jpg")));
    EXPECT_EQ(ReadBytes(card + "/100/0004.jpg"), ReadBytes(Path("a.jpg")));
    // A movie made like the camera's goes after the still of its first picture.
    const std::string movie = CameraMovie(Path("clip.mov"), 10, 10);
    EXPECT_EQ(Drive(drive_, "file " + movie), "ok");
    EXPECT_EQ(Drive(drive_, "command 122"), "ok");
    WaitForDump(dump_, Idle);
    EXPECT_EQ(ReadBytes(card + "/100/0005.mov"), ReadBytes(movie));
    const std::string still = card + "/100/0005.thm";
    EXPECT_EQ(VokImg_IsCameraReady(still.c_str()), 1);
    const std::vector<uint8_t> stillBytes = ReadBytes(still);
    EXPECT_NE(
        std::string(stillBytes.begin(), stillBytes.end()).find(std::string("VOKD\x05\x01", 6)),
        std::string::npos)
        << "the still of a motion movie with sound";
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(Names(Path("tmp")).empty()) << "no prepared copy is left behind";
    const std::string ini = ReadFile(home_.dir + "/config/qubex/qubex.ini");
    EXPECT_NE(ini.find("dir=" + home_.dir), std::string::npos) << ini;
    Quit(pid);
}

TEST_F(CameraProcess, ClockSetupDuringADownloadIsRefusedWithoutTouchingTheCamera) {
    // The first block read goes unanswered, so the download waits through the library's real
    // retry pauses; any clock register read would fail loudly.
    const std::string card = MakeDemoCard(home_.dir);
    SimCamera camera(home_.dir, card, {"--fault", "133:1:drop", "--fault", "53:*:status2"});
    const std::string images = Folder("images");
    SetShared(VOK_VALUE_PATH_IMAGE, images);
    pid_t pid;
    {
        ScopedEnv t("VOK_TIME_SCALE", "0.3");
        pid = Start({"VOK_EVNT_NO=1"});
    }
    WaitForDump(dump_, [](const QJsonObject& d) {
        return d["camera"].toObject()["communicating"].toBool();
    });
    const QJsonObject during = ReadDump(dump_);
    for (const QJsonValue& b : during["toolbar"].toArray()) {
        if (b.toObject()["id"].toInt() == 421 || b.toObject()["id"].toInt() == 422) {
            EXPECT_FALSE(b.toObject()["enabled"].toBool(true));
        }
    }
    EXPECT_FALSE(during["menus"].toObject()["125"].toObject()["enabled"].toBool(true))
        << "the Communication drop-down is grayed";
    EXPECT_EQ(Drive(drive_, "command 125"), "ok");
    WaitForDump(dump_, [](const QJsonObject& d) { return Idle(d) && !Albums(d).isEmpty(); });
    EXPECT_EQ(Names(images).size(), CardImages(card).size());
    EXPECT_EQ(Log(), "") << "no clock dialog, no failed register read";
    Quit(pid);
}

} // namespace
