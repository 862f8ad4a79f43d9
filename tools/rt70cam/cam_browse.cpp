// rt70cam thumb and browse. thumb fetches one thumbnail the way the selection dialog does
// and writes it whole beside its destination first; browse needs a display and is the only
// command that creates a Qt application.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include "VokComRT70.h"
#include "VokDscMsg.h"
#include "VokMsgNumbers.h"
#include "cam_common.h"
#include "cam_browse.h"
#include "vok_files.h"

const char kCamBrowseUsage[] =
    "  thumb FOLDER:IMAGE FILE write the camera's thumbnail of that image (a JPEG) to FILE\n"
    "  browse                  open the image selection dialog and transfer picked images\n";

namespace {

int badArguments(const char* why) {
    fprintf(stderr, "rt70cam: %s\n%s", why, kCamBrowseUsage);
    return 2;
}

int thumb(const char* imageText, const char* file, const char* title) {
    VokDscImage image;
    if (!CamArgs_ParseImage(imageText, &image))
        return badArguments((std::string("not FOLDER:IMAGE: ") + imageText).c_str());
    VokDscCom_SetApplicationInfo(nullptr, title, 1, 5, "");
    int result = VokDscCom_Connect();
    if (result != DSC_OK)
        return Cam_Failed(result, title);
    char path[VOK_MAX_PATH] = {};
    result = VokDscCom_FetchThumbnail(image.folder, image.image, path);
    VokDscCom_Disconnect();
    if (result == DSC_ERR_NOITEM) {
        fprintf(stderr, "rt70cam: the camera has no thumbnail of %u:%u\n", image.folder,
                image.image);
        return 1;
    }
    if (result != DSC_OK)
        return Cam_Failed(result, title);
    // Written whole through a temporary file beside it, so that a failure never leaves a
    // partial thumbnail under the wanted name; a new file gets the mode the umask gives.
    std::string bytes;
    bool ok = vokc::ReadWholeFile(path, &bytes, UINT32_MAX);
    unlink(path);
    if (!ok || !vokc::ReplaceFile(file, bytes.data(), bytes.size())) {
        fprintf(stderr, "rt70cam: cannot write %s: %s\n", file, strerror(errno));
        return 1;
    }
    return 0;
}

struct BrowseState {
    QApplication* app;
    QLabel* line;
    bool ended = false;
};

intptr_t onNotify(void* context, unsigned message, uintptr_t code, intptr_t value) {
    auto* s = static_cast<BrowseState*>(context);
    if (message != WM_DSC_STATUS)
        return 0;
    if (code == DSC_STATUS_FILE_WRITTEN) {
        char path[VOK_MAX_PATH] = {};
        VokComUtil_CopyStructData(path, 1);
        printf("%s\n", path);
        fflush(stdout);
        s->line->setText(QStringLiteral("Written: %1").arg(QString::fromUtf8(path)));
    } else if (code == DSC_STATUS_CONNECTION && value == 0) {
        // The selection dialog has ended the connection: so ends browse.
        s->ended = true;
        s->app->quit();
    }
    return 0;
}

int browse(int argc, char** argv, const char* title) {
    QApplication app(argc, argv);
    QWidget owner;
    owner.setObjectName(QStringLiteral("rt70cam"));
    owner.setWindowTitle(QStringLiteral("rt70cam"));
    auto* layout = new QVBoxLayout(&owner);
    auto* heading = new QLabel(QStringLiteral("Pick images in the Image Preview dialog and press "
                                              "Transfer; Exit ends rt70cam."),
                               &owner);
    heading->setWordWrap(true);
    auto* line = new QLabel(QStringLiteral("Connecting to the camera..."), &owner);
    line->setObjectName(QStringLiteral("lastFile"));
    layout->addWidget(heading);
    layout->addWidget(line);
    owner.resize(360, 90);
    owner.move(16, 16);
    owner.show();

    BrowseState state = {&app, line};
    VokDscCom_SetNotifyHandler(onNotify, &state);
    VokDscCom_SetApplicationInfo(&owner, title, 1, 5, "");
    const uint32_t shownBefore = VokDscCom_MessagesShown();
    int32_t started = VokDscCom_RT70_DSC2PC(0);
    int status = 0;
    // A dialog already gone (the connection ended) could not list the camera; it has said why.
    if (!started || state.ended)
        status = 1;
    else {
        line->setText(QStringLiteral("Connected."));
        app.exec();
        // A session in which the camera side reported an error (a transfer that failed, a
        // camera that stopped answering) is not a success, though the user ended it.
        if (VokDscCom_MessagesShown() != shownBefore)
            status = 1;
    }
    // A start refused without a word (the button monitor kept the camera) still is told.
    if (status != 0 && VokDscCom_MessagesShown() == shownBefore)
        VokDsc_Msg_Error(nullptr, VOK_MSG_UNEXPECTED_ERROR, title);
    VokDscCom_SetNotifyHandler(nullptr, nullptr);
    return status;
}

} // namespace

int CamBrowse_Main(int argc, char** argv, const char* title) {
    if (strcmp(argv[1], "thumb") == 0) {
        if (argc != 4)
            return badArguments("thumb takes FOLDER:IMAGE and a file");
        return thumb(argv[2], argv[3], title);
    }
    if (argc != 2)
        return badArguments("browse takes no arguments");
    return browse(argc, argv, title);
}
