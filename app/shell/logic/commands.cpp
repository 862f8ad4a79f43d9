/* The command table, menus, toolbar and status-bar layout. */
#include "commands.h"

#include "program_strings.h"

namespace qubex {

const std::vector<CommandInfo>& CommandTable() {
    static const std::vector<CommandInfo> table = {
        {CMD_FILE_OPEN, BTN_FILE_OPEN, Owner::Shell, 368, 0},
        {CMD_SAVE, 0, Owner::Image, 370, 418},
        {CMD_PRINT, BTN_PRINT, Owner::Image, 384, 422},
        {CMD_EXIT, 0, Owner::Shell, 386, 0},
        {CMD_ABOUT, 0, Owner::Shell, 416, 0},
        {CMD_NEW_ALBUM, BTN_NEW_ALBUM, Owner::Album, 367, 0},
        {CMD_CLOSE, 0, Owner::Shell, 369, 417},
        {CMD_SAVE_AS, BTN_SAVE_AS, Owner::Image, 371, 419},
        {CMD_HELP, BTN_HELP, Owner::Shell, 415, 0},
        {CMD_NOTHING, 0, Owner::Shell, 377, 0},
        {CMD_DATA_IN, BTN_DATA_IN, Owner::Camera, 375, 0},
        {CMD_DATA_OUT, BTN_DATA_OUT, Owner::Camera, 376, 0},
        {CMD_PRINT_SETUP, 0, Owner::Image, 385, 0},
        {CMD_CLOCK, 0, Owner::Camera, 378, 0},
        {CMD_CALENDAR_MONTH, 0, Owner::Calendar, 379, 0},
        {CMD_CALENDAR_YEAR, 0, Owner::Calendar, 380, 0},
        {CMD_SCHEDULE, 0, Owner::Calendar, 381, 421},
        {CMD_COPY, BTN_COPY, Owner::Album, 390, 427},
        {CMD_PASTE, BTN_PASTE, Owner::Album, 391, 428},
        {CMD_CUT, BTN_CUT, Owner::Album, 389, 426},
        {CMD_ADD_TO_ALBUM, BTN_ADD_TO_ALBUM, Owner::Album, 388, 425},
        {CMD_TILE, BTN_TILE, Owner::Shell, 408, 432},
        {CMD_CASCADE, BTN_CASCADE, Owner::Shell, 407, 431},
        {CMD_ARRANGE, 0, Owner::Shell, 409, 433},
        {CMD_CLOSE_ALL, 0, Owner::Shell, 410, 434},
        {CMD_TOOLBAR, 0, Owner::Shell, 411, 0},
        {CMD_STATUSBAR, 0, Owner::Shell, 412, 0},
        {CMD_ADJUST, 0, Owner::Image, 394, 0},
        {CMD_ZOOM_25, 0, Owner::Image, 401, 0},
        {CMD_ZOOM_50, 0, Owner::Image, 402, 0},
        {CMD_ZOOM_100, 0, Owner::Image, 403, 0},
        {CMD_ZOOM_200, 0, Owner::Image, 404, 0},
        {CMD_ZOOM_400, 0, Owner::Image, 405, 0},
        {CMD_ROTATE_RIGHT, 0, Owner::Image, 396, 0},
        {CMD_ROTATE_LEFT, 0, Owner::Image, 397, 0},
        {CMD_UNDO, 0, Owner::Image, 392, 429},
        {CMD_CUTOUT, 0, Owner::Image, 398, 430},
        {CMD_SIZE, 0, Owner::Image, 399, 0},
        {CMD_CAPTURE_DISPLAY, 0, Owner::Image, 382, 0},
        {CMD_CAPTURE_WINDOW, 0, Owner::Image, 383, 0},
        {CMD_TOOL, 0, Owner::Image, 413, 0},
        {CMD_SLIDE_OPTION, 0, Owner::Media, 374, 0},
        {CMD_SLIDE_START, 0, Owner::Media, 373, 0},
        {CMD_IMAGE_INFO, 0, Owner::Image, 372, 420},
        {CMD_SEND_MAIL, BTN_SEND_MAIL, Owner::Mail, 436, 435},
        {CMD_MAIL_OPTION, 0, Owner::Mail, 437, 0},
        {CMD_EVENT_1, 0, Owner::Camera, 0, 0},
        {CMD_EVENT_2, 0, Owner::Camera, 0, 0},
    };
    return table;
}

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& c : CommandTable())
        if (c.id == id)
            return &c;
    const int command = CommandOfButton(id);
    return command ? FindCommand(command) : nullptr;
}

int CommandOfButton(int button) {
    for (const CommandInfo& c : CommandTable())
        if (c.button != 0 && c.button == button)
            return c.id;
    return 0;
}

int ButtonHelp(int button, bool enabled) {
    struct Row {
        int button, on, off;
    };
    static const Row rows[] = {{400, 368, 368}, {401, 371, 419}, {402, 384, 422}, {405, 367, 367},
                               {421, 375, 423}, {422, 376, 424}, {440, 390, 427}, {441, 391, 428},
                               {442, 389, 426}, {443, 388, 425}, {460, 408, 432}, {461, 407, 431},
                               {462, 415, 415}, {463, 436, 435}};
    for (const Row& r : rows)
        if (r.button == button)
            return enabled ? r.on : r.off;
    return 0;
}

namespace {

MenuEntry Item(int id, bool checkable = false) {
    return {MenuEntry::Item, id, checkable, {}};
}
MenuEntry Separator() {
    return {MenuEntry::Separator, 0, false, {}};
}
MenuEntry Submenu(int title, std::vector<MenuEntry> entries) {
    return {MenuEntry::Submenu, title, false, std::move(entries)};
}

} // namespace

const std::vector<DropDown>& MenuBar() {
    static const std::vector<DropDown> bar = {
        {STR_MENU_FILE,
         false,
         {Item(CMD_FILE_OPEN),
          Item(CMD_NEW_ALBUM),
          Item(CMD_CLOSE),
          Separator(),
          Item(CMD_SAVE),
          Item(CMD_SAVE_AS),
          Separator(),
          Item(CMD_IMAGE_INFO),
          Separator(),
          Submenu(STR_MENU_CALENDAR, {Item(CMD_CALENDAR_MONTH), Item(CMD_CALENDAR_YEAR)}),
          Item(CMD_SCHEDULE),
          Submenu(STR_MENU_SLIDESHOW, {Item(CMD_SLIDE_START), Item(CMD_SLIDE_OPTION)}),
          Submenu(STR_MENU_CAPTURE, {Item(CMD_CAPTURE_DISPLAY), Item(CMD_CAPTURE_WINDOW)}),
          Submenu(STR_MENU_MAIL, {Item(CMD_SEND_MAIL), Item(CMD_MAIL_OPTION)}),
          Separator(),
          Submenu(STR_MENU_COMMUNICATION, {Item(CMD_DATA_IN), Item(CMD_DATA_OUT), Item(CMD_CLOCK)}),
          Separator(),
          Item(CMD_PRINT),
          Item(CMD_PRINT_SETUP),
          Separator(),
          Item(CMD_EXIT)}},
        {STR_MENU_EDIT,
         true,
         {Item(CMD_UNDO), Separator(), Item(CMD_CUT), Item(CMD_COPY), Item(CMD_PASTE), Separator(),
          Item(CMD_ADD_TO_ALBUM)}},
        {STR_MENU_IMAGE,
         true,
         {Item(CMD_ADJUST),
          Submenu(STR_MENU_ROTATE, {Item(CMD_ROTATE_RIGHT), Item(CMD_ROTATE_LEFT)}),
          Item(CMD_CUTOUT), Item(CMD_SIZE)}},
        {STR_MENU_VIEW,
         true,
         {Item(CMD_ZOOM_25, true), Item(CMD_ZOOM_50, true), Item(CMD_ZOOM_100, true),
          Item(CMD_ZOOM_200, true), Item(CMD_ZOOM_400, true)}},
        {STR_MENU_WINDOW,
         false,
         {Item(CMD_TILE), Item(CMD_CASCADE), Item(CMD_ARRANGE), Item(CMD_CLOSE_ALL), Separator(),
          Item(CMD_TOOLBAR, true), Item(CMD_STATUSBAR, true), Item(CMD_TOOL, true)}},
        {STR_MENU_HELP, false, {Item(CMD_HELP), Separator(), Item(CMD_ABOUT)}},
    };
    return bar;
}

const std::vector<int>& ToolbarLayout() {
    static const std::vector<int> layout = {BTN_NEW_ALBUM,
                                            BTN_FILE_OPEN,
                                            BTN_SAVE_AS,
                                            0,
                                            BTN_DATA_IN,
                                            BTN_DATA_OUT,
                                            0,
                                            BTN_PRINT,
                                            0,
                                            BTN_ADD_TO_ALBUM,
                                            0,
                                            BTN_SEND_MAIL,
                                            0,
                                            BTN_CUT,
                                            BTN_COPY,
                                            BTN_PASTE,
                                            0,
                                            BTN_CASCADE,
                                            BTN_TILE,
                                            0,
                                            BTN_HELP};
    return layout;
}

bool ButtonInitiallyEnabled(int button) {
    return button == BTN_NEW_ALBUM || button == BTN_FILE_OPEN || button == BTN_DATA_IN ||
           button == BTN_DATA_OUT || button == BTN_HELP;
}

bool ButtonHasStandardImage(int button) {
    return button == BTN_FILE_OPEN || button == BTN_PRINT || button == BTN_CUT ||
           button == BTN_COPY || button == BTN_PASTE;
}

std::vector<int> StatusFieldEdges(int w, int language) {
    if (language == 1 || language == 2)
        return {w - 364, w - 262, w - 187, w - 85, w - 10};
    return {w - 332, w - 246, w - 171, w - 85, w - 10};
}

int ZoomCommand(int quarters) {
    switch (quarters) {
    case 1:
        return CMD_ZOOM_25;
    case 2:
        return CMD_ZOOM_50;
    case 4:
        return CMD_ZOOM_100;
    case 8:
        return CMD_ZOOM_200;
    case 16:
        return CMD_ZOOM_400;
    default:
        return 0;
    }
}

int MeterPosition(long done, long rows) {
    if (rows <= 0)
        return 0;
    const long position = (done * 25 + rows / 2) / rows;
    return static_cast<int>(position > 25 ? 25 : position < 0 ? 0 : position);
}

} // namespace qubex
