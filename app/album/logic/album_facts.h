/* What the frame needs to know of an album before the album window exists: its capacity and
 * the clipboard form that Paste takes. */
#ifndef QUBEX_ALBUM_FACTS_H
#define QUBEX_ALBUM_FACTS_H

namespace qubex::album {

constexpr int kAlbumCapacity = 100;

/* Paste takes a clipboard that holds both a text (the name) and a bitmap. */
bool ClipboardPastable(bool hasText, bool hasBitmap);

} // namespace qubex::album

#endif
