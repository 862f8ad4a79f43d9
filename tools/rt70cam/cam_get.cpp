// rt70cam get-all and get: the whole-camera run (running index, DSC numbering continued from
// the folder, room check) and the run of picked images, through the connection library's own
// transfer. Each written file's path goes to standard output; progress to a terminal's stderr.
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "DscTransfer.h"
#include "VokComRT70.h"
#include "cam_get.h"

const char kCamGetUsage[] =
    "  get-all DIR             copy every image into DIR as DSC00001.jpg onward\n"
    "  get FOLDER:IMAGE... DIR copy the named images into DIR\n";

namespace {

volatile sig_atomic_t g_interrupted = 0;
int g_cancelRequest = 0;
bool g_bar = false;

void onInterrupt(int) {
    g_interrupted = 1;
}

// The owner side of the library's notifications: print each file, hold the cancel request.
intptr_t onNotify(void*, unsigned message, uintptr_t code, intptr_t value) {
    if (message == WM_DSC_STATUS &&
        (code == DSC_STATUS_FILE_WRITTEN || code == DSC_STATUS_SINGLE_IMAGE ||
         code == DSC_STATUS_MAIL_FILE)) {
        char path[VOK_MAX_PATH];
        VokComUtil_CopyStructData(path, 1);
        if (g_bar)
            fputs("\r\033[K", stderr);
        printf("%s\n", path);
        fflush(stdout);
    } else if (message == WM_DSC_CANCEL && code == DSC_CANCEL_SET) {
        g_cancelRequest = value != 0;
        if (!value)
            g_interrupted = 0;
    } else if (message == WM_DSC_CANCEL && code == DSC_CANCEL_POLL) {
        return g_cancelRequest || g_interrupted;
    }
    return 0;
}

void onProgress(void*, int index, int total, int done, int blocks) {
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

// "FOLDER:IMAGE", both decimal numbers of 16 bits.
bool parsePick(const char* text, DscPickedImage* out) {
    unsigned long values[2];
    const char* p = text;
    for (int i = 0; i < 2; ++i) {
        if (*p < '0' || *p > '9')
            return false;
        char* end = nullptr;
        values[i] = strtoul(p, &end, 10);
        if (values[i] > 0xFFFF || end - p > 5)
            return false;
        p = end;
        if (i == 0 && *p++ != ':')
            return false;
    }
    if (*p)
        return false;
    *out = DscPickedImage{static_cast<uint32_t>(values[0]), static_cast<uint16_t>(values[1]), 0, 0};
    return true;
}

int badArguments(const char* why) {
    fprintf(stderr, "rt70cam: %s\nusage:\n%s", why, kCamGetUsage);
    return 2;
}

} // namespace

int CamGet_Main(int argc, char** argv, const char* title) {
    bool all = strcmp(argv[1], "get-all") == 0;
    if (all && argc != 3)
        return badArguments("get-all takes one folder");
    if (!all && argc < 4)
        return badArguments("get takes FOLDER:IMAGE arguments and a folder");
    std::vector<DscPickedImage> picks;
    for (int i = 2; !all && i < argc - 1; ++i) {
        DscPickedImage pick;
        if (!parsePick(argv[i], &pick))
            return badArguments((std::string("not FOLDER:IMAGE: ") + argv[i]).c_str());
        picks.push_back(pick);
    }
    const char* folder = argv[argc - 1];

    g_bar = isatty(STDERR_FILENO) != 0;
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESETHAND; // a second interrupt ends the program at once
    sigaction(SIGINT, &action, nullptr);
    VokDscCom_SetApplicationInfo(nullptr, title, 1, 5, "");
    VokDscCom_SetNotifyHandler(onNotify, nullptr);
    DscTransfer_SetProgress(onProgress, nullptr);
    int result = VokDscCom_Connect();
    if (result != DSC_OK) {
        if (result != 1)
            VokDscCom_ReportResult(result);
        return 1;
    }
    if (all)
        result = DscTransfer_RunAllInto(1, folder, nullptr);
    else
        result = DscTransfer_RunPickedInto(picks.data(), static_cast<int>(picks.size()), folder,
                                           nullptr);
    if (g_bar)
        fputs("\r\033[K", stderr);
    fflush(stdout);
    VokDscCom_Disconnect();
    DscTransfer_SetProgress(nullptr, nullptr);
    // The transfer has shown its messages already.
    return result == DSC_OK ? 0 : 1;
}
