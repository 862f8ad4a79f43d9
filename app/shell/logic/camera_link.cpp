/* The camera link's plain answers and the Data out file rules. */
#include "camera_link.h"

#include "VokComRT70.h"

#include <cassert>

namespace qubex::camera {

intptr_t AnswerPlain(CameraLink* link, unsigned message, uintptr_t code, intptr_t value,
                     bool* handled) {
    assert(link && handled);
    *handled = true;
    if (message == WM_DSC_CANCEL) {
        switch (code) {
        case DSC_CANCEL_SET:
            link->cancelRequest = static_cast<int32_t>(value);
            return 0;
        case DSC_CANCEL_POLL:
            return link->cancelRequest != 0 ? 1 : 0;
        case DSC_CANCEL_DELETE_COUNT:
            link->markedForDeletion = static_cast<int32_t>(value);
            return 0;
        case DSC_CANCEL_DELETE_ALL:
            return link->markedForDeletion;
        default:
            break;
        }
    } else if (message == WM_DSC_STATUS) {
        switch (code) {
        case DSC_STATUS_BUSY_QUERY:
            return link->communicating ? 1 : 0;
        case DSC_STATUS_DIALOG:
            link->libraryDialog = reinterpret_cast<void*>(value);
            link->libraryDialogShown = value != 0;
            return 0;
        case DSC_STATUS_MODELESS_OPEN:
            link->modelessDialogs.push_back(reinterpret_cast<void*>(value));
            return 0;
        case DSC_STATUS_MODELESS_CLOSED:
            if (!link->modelessDialogs.empty())
                link->modelessDialogs.pop_back();
            return 0;
        default:
            break;
        }
    }
    *handled = false;
    return 0;
}

std::string JoinFolder(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::vector<std::string> SendingOrder(const std::string& folder,
                                      const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names)
        paths.push_back(JoinFolder(folder, name));
    if (paths.size() > 1)
        std::swap(paths.front(), paths.back());
    return paths;
}

std::vector<std::string> UploadFilters(bool movies) {
    if (movies)
        return {"All Files(jpg;tif;mov) (*.JPG *.jpg *.TIF *.tif *.MOV *.mov)",
                "JPEG Files(*.JPG) (*.JPG *.jpg)", "Tiff Files(*.Tif) (*.TIF *.tif)",
                "QuickTime Files(*.MOV) (*.MOV *.mov)"};
    return {"All Files(jpg;tif) (*.JPG *.jpg *.TIF *.tif)", "JPEG Files(*.JPG) (*.JPG *.jpg)",
            "Tiff Files(*.Tif) (*.TIF *.tif)"};
}

std::string StillPathOf(const std::string& moviePath) {
    const size_t slash = moviePath.rfind('/');
    const size_t dot = moviePath.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? moviePath.substr(0, dot) : moviePath) + ".jpg";
}

} // namespace qubex::camera
