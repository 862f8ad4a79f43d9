/* The image windows' plain data: the packed bitmap as a byte block, the results of the
 * readers and converters (a bitmap or the catalogue message that explains the refusal), and
 * the message numbers this part of the program shows. */
#ifndef QUBEX_IMAGE_DIB_H
#define QUBEX_IMAGE_DIB_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qubex::image {

/* A packed DIB: 40-byte header, colour table, rows padded to four bytes. */
using Dib = std::vector<uint8_t>;

/* Message numbers of the catalogue that image opening, conversion and saving report. */
enum Message : int {
    kMsgNone = 0,
    kMsgFileMissing = 40,   // "File does not exist."
    kMsgReadFailed = 41,    // "Failed to read the file."
    kMsgOpenFailed = 42,    // "File cannot be opened."
    kMsgExtractError = 46,  // "Unexpected error occurred during file extraction."
    kMsgNoMemory = 51,      // "Memory cannot be allocated."
    kMsgNotBmp = 52,        // "This BMP file cannot be allocated."
    kMsgBitmapFailed = 91,  // "It failed in the creating the bitmap."
    kMsgWriteFailed = 100,  // "It failed in the writing of the file."
    kMsgCannotParse = 117,  // "This image cannot be opened. ..."
    kMsgUnexpected = 129,   // "Unexpected error has occurred."
    kMsgSaveQuestion = 152, // "(%s) was updated!! Do you want to save?"
    kMsgAlreadyOpen = 183,  // "File with same name has already been opened."
    kMsgPathInUse = 184,    // "Could not be saved on %s. ..."
    kMsgUndoQuestion = 196, // "Back before photo image. Really?"
};

/* A bitmap, or the message that says why there is none. */
struct DibResult {
    Dib dib;
    int message = kMsgNone;
    bool ok() const { return message == kMsgNone; }
};

/* No picture whose pixel rows would take more than this is allocated. */
constexpr uint64_t kMaxPixelBytes = uint64_t(256) << 20;

/* Header facts of a packed DIB after the bounds checks of DibFacts. */
struct DibInfo {
    uint32_t width = 0;
    uint32_t height = 0;  // rows, whatever the stored direction
    bool topDown = false; // negative stored height
    uint32_t bits = 0;
    uint32_t compression = 0;
    uint32_t colors = 0; // colour-table entries (3 masks for 16/32-bit bit fields)
    uint32_t stride = 0; // bytes per stored row
    size_t pixelOffset = 0;
    size_t pixelBytes = 0; // bytes of the row area as the header describes it
};

/* Reads and checks the header of a packed DIB against its size; false when the header or
 * the colour table does not fit, or when the rows of an uncompressed DIB do not. */
bool DibFacts(const Dib& dib, DibInfo* info);

} // namespace qubex::image

#endif
