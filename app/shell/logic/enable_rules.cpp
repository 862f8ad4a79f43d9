/* The enable rules of the menus and the toolbar. */
#include "enable_rules.h"

#include "commands.h"

namespace qubex {

bool HasInformationSuffix(const std::string& name) {
    if (name.size() < 3)
        return false;
    const std::string end = name.substr(name.size() - 3);
    for (const char* suffix :
         {"jpg", "bmp", "tif", "mov", "avi", "JPG", "BMP", "TIF", "MOV", "AVI"})
        if (end == suffix)
            return true;
    return false;
}

bool MenuItemEnabled(int command, const FrameView& v) {
    const ChildView& c = v.active;
    const bool withDoc = v.hasActive && c.hasDocument;
    const bool image = v.hasActive && c.kind == KIND_IMAGE;
    const bool album = v.hasActive && c.kind == KIND_ALBUM;
    switch (command) {
    case CMD_CLOSE:
        return withDoc;
    case CMD_SAVE_AS:
        return withDoc && c.kind != KIND_MOVIE;
    case CMD_SAVE:
        return (image && c.modified) || album;
    case CMD_PRINT:
        return withDoc && (image || album);
    case CMD_SCHEDULE:
        return image && c.monthlyCalendar;
    case CMD_IMAGE_INFO:
        if (image)
            return HasInformationSuffix(c.displayName);
        if (album)
            return c.albumSelection && HasInformationSuffix(c.albumSelectedName);
        return v.hasActive && c.kind == KIND_MOVIE;
    case CMD_SEND_MAIL:
        return album && c.albumMarkedForMail > 0 && v.mailAvailable && !v.mailPreparing;
    case CMD_ADD_TO_ALBUM:
        return album;
    case CMD_COPY:
    case CMD_CUT:
        return album && c.albumSelection;
    case CMD_PASTE:
        return album && v.clipboardTextAndDib;
    case CMD_UNDO:
        return image;
    case CMD_TILE:
    case CMD_CASCADE:
    case CMD_CLOSE_ALL:
        return withDoc;
    case CMD_ARRANGE:
        return v.anyIconic;
    case CMD_TOOL:
        return image && c.sourceType != 3 && c.sourceType != 4 && c.sourceType != 6;
    default:
        return true;
    }
}

bool DropDownEnabled(int position, const FrameView& v) {
    const int kind = v.hasActive ? v.active.kind : KIND_NONE;
    switch (position) {
    case 1:
        return (kind == KIND_IMAGE && v.active.undoHere) || kind == KIND_ALBUM;
    case 2:
        // Grayed for TIFF pictures and calendars.
        return kind == KIND_IMAGE && (v.active.sourceType == 1 || v.active.sourceType == 2);
    case 3:
        return kind == KIND_IMAGE;
    default:
        return true;
    }
}

std::map<int, ButtonState> ToolbarStates(const FrameView& v) {
    auto state = [](bool on) { return on ? ButtonState::Enabled : ButtonState::Indeterminate; };
    const ChildView& c = v.active;
    const bool withDoc = v.hasActive && c.hasDocument;
    const bool albumDoc = withDoc && c.kind == KIND_ALBUM;
    std::map<int, ButtonState> s;
    s[BTN_SAVE_AS] = state(withDoc);
    s[BTN_PRINT] = state(withDoc && (c.kind == KIND_IMAGE || c.kind == KIND_ALBUM));
    s[BTN_ADD_TO_ALBUM] = state(albumDoc);
    s[BTN_CUT] = state(albumDoc && c.albumSelection);
    s[BTN_COPY] = state(albumDoc && c.albumSelection);
    s[BTN_PASTE] = state(albumDoc && v.clipboardTextAndDib);
    s[BTN_SEND_MAIL] =
        state(albumDoc && c.albumMarkedForMail > 0 && v.mailAvailable && !v.mailPreparing);
    s[BTN_TILE] = state(withDoc);
    s[BTN_CASCADE] = state(withDoc);
    return s;
}

int MenuHelpText(int command, bool grayed) {
    const CommandInfo* info = FindCommand(command);
    if (!info || info->help == 0 || info->id != command)
        return MSG_READY;
    return grayed && info->helpGray ? info->helpGray : info->help;
}

} // namespace qubex
