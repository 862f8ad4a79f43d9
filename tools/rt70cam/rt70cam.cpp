// rt70cam: the camera from the command line. Each command opens a connection through the
// connection library exactly as the image program does, prints its facts and closes it.
// Failures print the catalogue's message on standard error and end with a non-zero status.
#include <stdio.h>
#include <string.h>

#include <vector>

#include "VokComRT70.h"
#include "VokDscMsg.h"
#include "cam_browse.h"
#include "cam_common.h"
#include "cam_get.h"
#include "cam_put.h"
#include "cam_watch.h"

namespace {

const char kTitle[] = "rt70cam";

int usage() {
    fprintf(stderr,
            "usage: rt70cam identify | ls | get-all | get | thumb | browse | put | rm | clock |\n"
            "               reset-button | watch\n"
            "  identify  print the camera variant\n"
            "  ls        one line per image: folder image kind size\n"
            "%s%s%s%s",
            kCamGetUsage, kCamBrowseUsage, kCamPutUsage, kCamWatchUsage);
    return 2;
}

int failed(int result) {
    return Cam_Failed(result, kTitle);
}

int listImages() {
    int32_t folders = 0;
    int result = VokDscCom_CountFolders(&folders);
    if (result != DSC_OK)
        return result;
    std::vector<uint16_t> folderNumbers(folders > 0 ? folders : 0);
    if (folders > 0)
        result = VokDscCom_GetFolderNumbers(folderNumbers.data(), folders);
    for (size_t f = 0; result == DSC_OK && f < folderNumbers.size(); ++f) {
        uint16_t folder = folderNumbers[f];
        int32_t images = 0;
        result = VokDscCom_CountImages(folder, &images);
        if (result == DSC_ERR_NOITEM) { // a folder the camera does not know holds nothing
            result = DSC_OK;
            continue;
        }
        if (result != DSC_OK || images <= 0)
            continue;
        std::vector<uint16_t> imageNumbers(images);
        result = VokDscCom_GetImageNumbers(folder, imageNumbers.data(), images);
        for (size_t i = 0; result == DSC_OK && i < imageNumbers.size(); ++i) {
            int32_t kind = 0;
            uint32_t size = 0;
            result = VokDscCom_GetImageInfo(folder, imageNumbers[i], &kind, &size);
            if (result == DSC_ERR_SIZE0)
                result = DSC_OK;
            if (result == DSC_OK)
                printf("%u %u %d %u\n", folder, imageNumbers[i], kind, size);
            // Deleted on the camera since it was listed: the others still are there.
            if (result == DSC_ERR_NOITEM) {
                fflush(stdout);
                fprintf(stderr, "rt70cam: image %u:%u is no longer on the camera\n", folder,
                        imageNumbers[i]);
                result = DSC_OK;
            }
        }
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (strcmp(argv[1], "get-all") == 0 || strcmp(argv[1], "get") == 0))
        return CamGet_Main(argc, argv, kTitle);
    if (argc >= 2 && (strcmp(argv[1], "thumb") == 0 || strcmp(argv[1], "browse") == 0))
        return CamBrowse_Main(argc, argv, kTitle);
    if (argc >= 2 && strcmp(argv[1], "watch") == 0)
        return CamWatch_Main(argc, argv);
    if (argc >= 2 && CamPut_Handles(argv[1]))
        return CamPut_Main(argc, argv, kTitle);
    if (argc != 2)
        return usage();
    bool identify = strcmp(argv[1], "identify") == 0;
    bool list = strcmp(argv[1], "ls") == 0;
    if (!identify && !list)
        return usage();

    VokDscCom_SetApplicationInfo(nullptr, kTitle, 1, 5, "");
    int result = VokDscCom_Connect();
    if (result != DSC_OK)
        return failed(result);
    if (identify)
        printf("%d\n", VokDscCom_GetCameraVariant());
    else
        result = listImages();
    fflush(stdout);
    VokDscCom_Disconnect();
    return result == DSC_OK ? 0 : failed(result);
}
