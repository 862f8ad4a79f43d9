/* The rules that enable and gray menu items and toolbar buttons, as plain functions of what
 * the frame sees: the active child and a few facts about the clipboard and mail. The frame
 * applies them before a drop-down opens and after every event. */
#ifndef QUBEX_ENABLE_RULES_H
#define QUBEX_ENABLE_RULES_H

#include <map>
#include <string>

namespace qubex {

/* Child kinds (window extra slot 1). */
enum ChildKind : int {
    KIND_NONE = 0,
    KIND_IMAGE = 1, /* image or calendar window */
    KIND_ALBUM = 2,
    KIND_ALBUM_BUTTON = 3,
    KIND_MOVIE = 4,
};

struct ChildView {
    int kind = KIND_NONE;
    bool hasDocument = false;
    bool modified = false;        /* image windows */
    std::string displayName;      /* image windows: the name in the title */
    int sourceType = 0;           /* image windows: file-type code of the source */
    bool undoHere = false;        /* image windows: made the last undoable change */
    bool monthlyCalendar = false; /* its calendar settings start with 131 */
    bool albumSelection = false;  /* album windows: an image is selected */
    std::string albumSelectedName;
    int albumMarkedForMail = 0;
};

struct FrameView {
    bool hasActive = false;
    ChildView active;
    bool anyIconic = false;           /* some child (not an owned window) is iconic */
    bool clipboardTextAndDib = false; /* the clipboard holds text and a bitmap */
    bool mailAvailable = false;
    bool mailPreparing = false; /* between the mail preparation start and end */
};

/* Whether a menu item is enabled; items without a rule are always enabled. */
bool MenuItemEnabled(int command, const FrameView& view);
/* Whether the drop-down at position (1 Edit, 2 Image, 3 View) is enabled; others always are. */
bool DropDownEnabled(int position, const FrameView& view);

enum class ButtonState { Enabled, Indeterminate };
/* The button states the refresh sets; buttons without a rule are left out (they keep what
 * they have: the camera commands change theirs themselves). */
std::map<int, ButtonState> ToolbarStates(const FrameView& view);

/* The catalogue text that field 0 shows for a highlighted menu item (the second text when it
 * is grayed), MSG_READY for anything without one. */
int MenuHelpText(int command, bool grayed);

/* A display name ending in jpg, bmp, tif, mov or avi, all lower or all upper case. */
bool HasInformationSuffix(const std::string& name);

} // namespace qubex

#endif
