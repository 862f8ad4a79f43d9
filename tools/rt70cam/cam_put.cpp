// rt70cam put, rm, clock and reset-button through the connection library's declared
// operations: files prepared exactly as the image program prepares them (camera-form copies
// in a private folder that is always removed), deletion as "Delete All" does it, the clock
// in ISO form and the dialog's validation, and the button reset.
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "VokComRT70.h"
#include "VokDscMsg.h"
#include "VokMsgNumbers.h"
#include "cam_common.h"
#include "cam_put.h"
#include "movie_facts.h"

const char kCamPutUsage[] =
    "  put FILE...             send JPEG and TIFF files and camera movies into the camera\n"
    "  rm FOLDER:IMAGE...      delete the named images from the camera\n"
    "  clock [--set now|\"YYYY-MM-DD HH:MM\"]\n"
    "                          print the camera's clock, or set it\n"
    "  reset-button            clear the camera's pending button event\n";

namespace {

const int kMsgInvalidInput = 205;

const char* g_title = "rt70cam";
std::string g_tempFolder;
std::vector<std::string> g_skipped;
volatile sig_atomic_t g_interrupted = 0;
int g_cancelRequest = 0;

void onInterrupt(int) {
    g_interrupted = 1;
}

int badUsage(const char* why) {
    fprintf(stderr, "rt70cam: %s\nusage:\n%s", why, kCamPutUsage);
    return 2;
}

bool wantsHelp(int argc, char** argv) {
    for (int i = 2; i < argc; ++i)
        if (strcmp(argv[i], "--help") == 0 || strcmp(argv[i], "-h") == 0)
            return true;
    return false;
}

// A movie is asked first, because the JPEG detection finds the start mark inside a Motion-JPEG
// movie; one unfit for the camera is skipped as the image program skips it.
int32_t prepare(VokUploadRecord* record) {
    if (!qubex::media::IsMovieFile(record->pathA))
        return VokDscCom_PrepareUploadFile(record, g_tempFolder.c_str());
    qubex::media::MovieUpload upload;
    if (!qubex::media::ReadMovieUpload(record->pathA, &upload))
        return DSC_UPLOAD_SKIP;
    return VokDscCom_PrepareUploadMovie(record, g_tempFolder.c_str(), upload.still.data(),
                                        static_cast<uint32_t>(upload.still.size()),
                                        upload.motion ? 1 : 0, upload.sound ? 1 : 0);
}

// The owner side of the upload: each record is prepared when the library asks for it.
intptr_t onNotify(void*, unsigned message, uintptr_t code, intptr_t value) {
    if (message == WM_DSC_QUERYFILE && code == DSC_QUERYFILE_KIND) {
        auto* record = reinterpret_cast<VokUploadRecord*>(value);
        int32_t kind = prepare(record);
        if (kind == DSC_UPLOAD_SKIP) {
            g_skipped.push_back(record->pathA);
            VokDsc_Msg_Error(nullptr, VOK_MSG_FILE_OPEN_FAILED, g_title);
            fprintf(stderr, "rt70cam: %s was not sent\n", record->pathA);
        }
        return kind;
    }
    if (message == WM_DSC_CANCEL && code == DSC_CANCEL_SET) {
        g_cancelRequest = value != 0;
        if (!value)
            g_interrupted = 0;
    } else if (message == WM_DSC_CANCEL && code == DSC_CANCEL_POLL) {
        return g_cancelRequest || g_interrupted;
    }
    return 0;
}

int connect() {
    VokDscCom_SetApplicationInfo(nullptr, g_title, 1, 5, "");
    int result = VokDscCom_Connect();
    if (result != DSC_OK)
        Cam_Failed(result, g_title);
    return result;
}

int put(int argc, char** argv) {
    if (argc < 3)
        return badUsage("put takes one or more files");
    std::vector<VokUploadRecord> records(static_cast<size_t>(argc - 2));
    for (int i = 2; i < argc; ++i) {
        if (strlen(argv[i]) >= VOK_MAX_PATH)
            return badUsage((std::string("path too long: ") + argv[i]).c_str());
        memset(&records[i - 2], 0, sizeof records[i - 2]);
        snprintf(records[i - 2].pathA, VOK_MAX_PATH, "%s", argv[i]);
    }
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/rt70cam-XXXXXX";
    std::vector<char> folder(pattern.begin(), pattern.end());
    folder.push_back(0);
    if (!mkdtemp(folder.data())) {
        VokDsc_Msg_Error(nullptr, VOK_MSG_FILE_CREATE_FAILED, g_title);
        return 1;
    }
    g_tempFolder = folder.data();
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESETHAND; // a second interrupt ends the program at once
    sigaction(SIGINT, &action, nullptr);
    VokDscCom_SetNotifyHandler(onNotify, nullptr);
    int result = connect();
    int32_t sent = 0;
    if (result == DSC_OK) {
        result = VokDscCom_Upload(records.data(), static_cast<int32_t>(records.size()), &sent);
        VokDscCom_Disconnect();
    }
    for (const VokUploadRecord& r : records)
        if (r.pathB[0])
            unlink(r.pathB);
    rmdir(g_tempFolder.c_str());
    bool all =
        result == DSC_OK && g_skipped.empty() && sent == static_cast<int32_t>(records.size());
    return all ? 0 : 1;
}

int remove(int argc, char** argv) {
    if (argc < 3)
        return badUsage("rm takes FOLDER:IMAGE arguments");
    std::vector<std::pair<uint16_t, uint16_t>> picks;
    for (int i = 2; i < argc; ++i) {
        VokDscImage pick;
        if (!CamArgs_ParseImage(argv[i], &pick))
            return badUsage((std::string("not FOLDER:IMAGE: ") + argv[i]).c_str());
        picks.emplace_back(pick.folder, pick.image);
    }
    // The camera's order, walked from the last image as the dialog walks its selection.
    std::sort(picks.begin(), picks.end());
    picks.erase(std::unique(picks.begin(), picks.end()), picks.end());
    std::vector<uint16_t> folders, images;
    for (const auto& p : picks) {
        folders.push_back(p.first);
        images.push_back(p.second);
    }
    int result = connect();
    if (result != DSC_OK)
        return 1;
    result = VokDscCom_DeleteImages(folders.data(), images.data(),
                                    static_cast<int32_t>(picks.size()), nullptr);
    VokDscCom_Disconnect();
    // Refusals (messages 4 and 19) were shown by the deletion itself.
    if (result == DSC_ERR_STATUS2 || result == DSC_ERR_PROTECTED)
        return 1;
    return result == DSC_OK ? 0 : Cam_Failed(result, g_title);
}

// "now" or "YYYY-MM-DD HH:MM" into a clock; false when the text has another shape.
bool parseClock(const char* text, VokClock* clock) {
    if (strcmp(text, "now") == 0) {
        time_t t = time(nullptr);
        struct tm local;
        if (!localtime_r(&t, &local))
            return false;
        *clock = VokClock{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min};
        return true;
    }
    static const char shape[] = "dddd-dd-dd dd:dd";
    if (strlen(text) != sizeof shape - 1)
        return false;
    for (size_t i = 0; i < sizeof shape - 1; ++i) {
        bool digit = text[i] >= '0' && text[i] <= '9';
        if (shape[i] == 'd' ? !digit : text[i] != shape[i])
            return false;
    }
    *clock = VokClock{atoi(text), atoi(text + 5), atoi(text + 8), atoi(text + 11), atoi(text + 14)};
    return true;
}

int clockCommand(int argc, char** argv) {
    bool set = argc == 4 && strcmp(argv[2], "--set") == 0;
    if (argc != 2 && !set)
        return badUsage("clock takes nothing, or --set now or --set \"YYYY-MM-DD HH:MM\"");
    VokClock clock = {};
    if (set) {
        if (!parseClock(argv[3], &clock))
            return badUsage("the time is \"now\" or \"YYYY-MM-DD HH:MM\"");
        // The dialog's rules: the hour goes in 12-hour form with AM or PM.
        int32_t hour12 = clock.hour >= 12 ? clock.hour - 12 : clock.hour;
        if (clock.hour > 23 ||
            VokDscCom_CheckClockFields(clock.year, clock.month, clock.day, hour12, clock.minute)) {
            char text[VOK_MSG_BUFFER] = {};
            VokDsc_Msg_GetString(kMsgInvalidInput, text, sizeof text);
            fprintf(stderr, "rt70cam: %s\n", text);
            return 2;
        }
    }
    int result = connect();
    if (result != DSC_OK)
        return 1;
    result = set ? VokDscCom_WriteClock(&clock) : VokDscCom_ReadClock(&clock);
    VokDscCom_Disconnect();
    if (result != DSC_OK)
        return Cam_Failed(result, g_title);
    if (!set)
        printf("%04d-%02d-%02d %02d:%02d\n", clock.year, clock.month, clock.day, clock.hour,
               clock.minute);
    return 0;
}

} // namespace

bool CamPut_Handles(const char* command) {
    return strcmp(command, "put") == 0 || strcmp(command, "rm") == 0 ||
           strcmp(command, "clock") == 0 || strcmp(command, "reset-button") == 0;
}

int CamPut_Main(int argc, char** argv, const char* title) {
    g_title = title;
    const char* command = argv[1];
    if (wantsHelp(argc, argv)) {
        printf("usage:\n%s", kCamPutUsage);
        return 0;
    }
    if (strcmp(command, "put") == 0)
        return put(argc, argv);
    if (strcmp(command, "rm") == 0)
        return remove(argc, argv);
    if (strcmp(command, "clock") == 0)
        return clockCommand(argc, argv);
    if (argc != 2)
        return badUsage("reset-button takes no arguments");
    VokDscCom_SetApplicationInfo(nullptr, g_title, 1, 5, "");
    return VokDscCom_ResetButtonStatus() ? 0 : 1;
}
