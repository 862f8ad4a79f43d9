/* What a document window tells the frame about itself: properties on the widget inside its
 * MDI sub-window, set by the window's own subsystem. The frame's enable rules and the state
 * dump read them; nothing else is shared. */
#ifndef QUBEX_CHILD_RECORD_H
#define QUBEX_CHILD_RECORD_H

namespace qubex::child {

constexpr const char* kKind = "vokKind";               /* int: 1 image/calendar, 2 album, 4 movie */
constexpr const char* kClass = "vokClass";             /* window class name, e.g. VOKNormalChild */
constexpr const char* kPath = "vokPath";               /* the document's file path */
constexpr const char* kHasDocument = "vokHasDocument"; /* bool: slot 0 holds a document */
constexpr const char* kModified = "vokModified";       /* bool */
constexpr const char* kDisplayName = "vokDisplayName"; /* the name shown in the title */
constexpr const char* kSourceType = "vokSourceType";   /* int: file-type code of the source */
constexpr const char* kMonthly = "vokMonthlyCalendar"; /* bool */
constexpr const char* kAlbumSelection = "vokAlbumSelection"; /* bool */
constexpr const char* kAlbumSelectedName = "vokAlbumSelectedName";
constexpr const char* kAlbumMarked = "vokAlbumMarked"; /* int: images marked for mail */
constexpr const char* kOwned = "vokOwnedWindow";       /* bool: not closed by Close All */
constexpr const char* kDumpExtra = "vokDumpExtra";     /* QJsonObject: the window's own dump keys */
constexpr const char* kZoom = "vokZoom";               /* int: zoom in quarters (image windows) */
constexpr const char* kUndoHere = "vokUndoHere";       /* bool: this window made the last change */

} // namespace qubex::child

#endif
