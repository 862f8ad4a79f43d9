/* The frame's camera link state and the parts of its side of the connection library that
 * need no window: the plain answers to the library's notifications (cancel flag, deletion
 * count, busy query, the library's dialogs), the order and paths of the files sent by Data
 * out, that dialog's filters, and the name of a movie's still. */
#ifndef QUBEX_CAMERA_LINK_H
#define QUBEX_CAMERA_LINK_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qubex::camera {

struct CameraLink {
    std::string settingsPath;
    bool communicating = false;
    int32_t cancelRequest = 0;
    void* libraryDialog = nullptr; /* the library's progress dialog while it shows */
    int32_t markedForDeletion = 0;
    /* (The download album window is held by the frame's side as a guarded pointer.) */
    bool libraryDialogShown = false;
    /* Modeless dialogs of the message loop: the current one last, the previous before it. */
    std::vector<void*> modelessDialogs;
};

/* The answer to a notification that only touches the record (cancel set and poll, deletion
 * count and query, busy query, the library's dialog and the modeless dialogs). false in
 * *handled for every other notification. */
intptr_t AnswerPlain(CameraLink* link, unsigned message, uintptr_t code, intptr_t value,
                     bool* handled);

/* A folder and a file name as one path, without a doubled separator after the root. */
std::string JoinFolder(const std::string& folder, const std::string& name);

/* The files of a multi-selection (the folder, then the names as the dialog lists them) in
 * sending order: full paths with the first and the last exchanged. */
std::vector<std::string> SendingOrder(const std::string& folder,
                                      const std::vector<std::string>& names);

/* The Data out dialog's filters as Qt name filters, the first being "all"; movies only when
 * movie playback is available. */
std::vector<std::string> UploadFilters(bool movies);

/* The still written beside a downloaded picture-with-sound movie: the same name with the
 * extension "jpg". */
std::string StillPathOf(const std::string& moviePath);

} // namespace qubex::camera

#endif
