/* The catalogue numbers that the album file, the album model and vokalbum report, and the
 * packed bitmap type they share with the image windows. */
#ifndef QUBEX_ALBUM_MESSAGES_H
#define QUBEX_ALBUM_MESSAGES_H

#include "image_dib.h"

namespace qubex::album {

using image::Dib;
using image::DibResult;

enum Message : int {
    kMsgNone = 0,
    kMsgFileMissing = 40,    // "File does not exist."
    kMsgReadFailed = 41,     // "Failed to read the file."
    kMsgOpenFailed = 42,     // "File cannot be opened."
    kMsgExtractError = 46,   // "Unexpected error occurred during file extraction."
    kMsgNoMemory = 51,       // "Memory cannot be allocated."
    kMsgNotAlbum = 80,       // "This file is not album file."
    kMsgBitmapFailed = 91,   // "It failed in the creating the bitmap."
    kMsgNoBitmap = 92,       // "It failed in the getting bitmap."
    kMsgClipboardOpen = 98,  // "Cannot open the Clip board."
    kMsgClipboardEmpty = 99, // "No available data exists in the Clip board."
    kMsgWriteFailed = 100,   // "It failed in the writing of the file."
    kMsgDuplicate = 101,     // "This image is registered already to this album."
    kMsgAlbumFull = 102,     // "This album is full."
    kMsgAlreadyOpen = 183,   // "File with same name has already been opened."
    kMsgBadNameChars = 198,  // "Filename cannot contain the following characters.\n"
    kMsgRenameTooLong = 199, // "Cannot change filename.\nPlease rename again."
    kMsgRenameExists = 200,  // "File with same name already exists.\nPlease rename again."
    kMsgRenameFailed = 201,  // "Filename change failed."
    kMsgMonthFirst = 230,    // "JAN" ... 241 "DEC"
};

} // namespace qubex::album

#endif
