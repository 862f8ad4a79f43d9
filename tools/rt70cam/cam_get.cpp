// rt70cam get-all and get: the whole-camera run (running index, DSC numbering continued from
// the folder, room check) and the run of picked images, through the connection library's own
// transfer. Each written file's path goes to standard output; progress to a terminal's stderr.
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "VokComRT70.h"
#include "VokDscMsg.h"
#include "VokMsgNumbers.h"
#include "cam_common.h"
#include "cam_get.h"

const char kCamGetUsage[] =
    "  get-all DIR             copy every image into DIR as DSC00001.jpg onward\n"
    "  get FOLDER:IMAGE... DIR copy the named images into DIR\n";

namespace {

// Interrupts counted by the handler; the run takes them in at its cancel polls.
volatile sig_atomic_t g_interrupts = 0;
sig_atomic_t g_interruptsTaken = 0;
bool g_lastImage = false; // the run copies its last image, which cannot be cancelled
bool g_toldFinishing = false;
bool g_bar = false;

void onInterrupt(int) {
    g_interrupts = g_interrupts + 1;
}

// Said once an interrupt meets the last image, from the run's own thread.
void tellFinishing() {
    if (g_interrupts == 0 || g_toldFinishing)
        return;
    g_toldFinishing = true;
    if (g_bar)
        fputs("\r\033[K", stderr);
    fputs("rt70cam: finishing the last image\n", stderr);
    fflush(stderr);
}

// The owner side of the library's notifications: print each file, answer the cancel poll.
intptr_t onNotify(void*, unsigned message, uintptr_t code, intptr_t) {
    if (message == WM_DSC_STATUS &&
        (code == DSC_STATUS_FILE_WRITTEN || code == DSC_STATUS_SINGLE_IMAGE ||
         code == DSC_STATUS_MAIL_FILE)) {
        char path[VOK_MAX_PATH];
        VokComUtil_CopyStructData(path, 1);
        if (g_bar)
            fputs("\r\033[K", stderr);
        printf("%s\n", path);
        fflush(stdout);
    } else if (message == WM_DSC_CANCEL && code == DSC_CANCEL_POLL) {
        // An interrupt counts once, whenever it came (also while connecting).
        sig_atomic_t seen = g_interrupts;
        if (seen == g_interruptsTaken)
            return 0;
        g_interruptsTaken = seen;
        return 1;
    }
    return 0;
}

void onProgress(void*, int32_t index, int32_t total, int32_t done, int32_t blocks) {
    if (index == total - 1) {
        g_lastImage = true;
        tellFinishing();
    }
    if (!g_bar)
        return;
    const int width = 30;
    int filled = blocks > 0 ? done * width / blocks : width;
    char bar[width + 1];
    for (int i = 0; i < width; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[width] = 0;
    fprintf(stderr, "\r[%s] image %d/%d %3d%%", bar, index + 1, total,
            blocks > 0 ? done * 100 / blocks : 100);
    fflush(stderr);
}

int badArguments(const char* why) {
    fprintf(stderr, "rt70cam: %s\nusage:\n%s", why, kCamGetUsage);
    return 2;
}

// A picked image the run could not copy and nobody has spoken of: the selection dialog's
// message, and which image it was.
void reportPickFailure(int result, const VokDscImage& image, const char* title) {
    VokDsc_Msg_Error(nullptr, VOK_MSG_TRANSFER_ERROR, title);
    if (result == DSC_ERR_NOITEM)
        fprintf(stderr, "rt70cam: the camera has no image %u:%u\n", image.folder, image.image);
    else
        fprintf(stderr, "rt70cam: image %u:%u was not copied\n", image.folder, image.image);
}

} // namespace

int CamGet_Main(int argc, char** argv, const char* title) {
    bool all = strcmp(argv[1], "get-all") == 0;
    if (all && argc != 3)
        return badArguments("get-all takes one folder");
    if (!all && argc < 4)
        return badArguments("get takes FOLDER:IMAGE arguments and a folder");
    std::vector<VokDscImage> picks;
    for (int i = 2; !all && i < argc - 1; ++i) {
        VokDscImage pick;
        if (!CamArgs_ParseImage(argv[i], &pick))
            return badArguments((std::string("not FOLDER:IMAGE: ") + argv[i]).c_str());
        picks.push_back(pick);
    }
    const char* folder = argv[argc - 1];

    g_bar = isatty(STDERR_FILENO) != 0;
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    // A second interrupt ends the program at once; the first one leaves I/O running.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    VokDscCom_SetApplicationInfo(nullptr, title, 1, 5, "");
    VokDscCom_SetNotifyHandler(onNotify, nullptr);
    VokDscCom_SetProgress(onProgress, nullptr);
    int result = VokDscCom_Connect();
    if (result != DSC_OK)
        return Cam_Failed(result, title);
    int32_t written = 0;
    if (all)
        result = VokDscCom_DownloadAll(folder, &written);
    else
        result = VokDscCom_DownloadImages(picks.data(), static_cast<int32_t>(picks.size()), folder,
                                          &written);
    if (g_bar)
        fputs("\r\033[K", stderr);
    fflush(stdout);
    VokDscCom_Disconnect();
    VokDscCom_SetProgress(nullptr, nullptr);
    if (result == DSC_ERR_REPORTED)
        return 1;
    if (result != DSC_OK) {
        if (!all && written >= 0 && static_cast<size_t>(written) < picks.size())
            reportPickFailure(result, picks[static_cast<size_t>(written)], title);
        else
            Cam_Failed(result, title);
        return 1;
    }
    // An interrupt after the last image's last progress report is told here.
    if (g_lastImage)
        tellFinishing();
    // A script must see that the user stopped it, even when the last image was still finished.
    if (g_interrupts != 0) {
        fprintf(stderr, "rt70cam: interrupted; %d %s written\n", written,
                written == 1 ? "file" : "files");
        return 130;
    }
    return 0;
}
