/* Album facts used by the frame. */
#include "album_facts.h"

namespace qubex::album {

bool ClipboardPastable(bool hasText, bool hasBitmap) {
    return hasText && hasBitmap;
}

} // namespace qubex::album
