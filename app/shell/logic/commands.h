/* The command surface of the frame: every command id with its toolbar twin, the subsystem
 * that carries it out and its status-bar help texts; the six drop-down menus in order; the
 * toolbar's 21 positions; the status bar's five fields. Texts are in program_strings. */
#ifndef QUBEX_COMMANDS_H
#define QUBEX_COMMANDS_H

#include <vector>

namespace qubex {

enum Command : int {
    CMD_FILE_OPEN = 100,
    CMD_SAVE = 101,
    CMD_PRINT = 102,
    CMD_EXIT = 103,
    CMD_ABOUT = 104,
    CMD_NEW_ALBUM = 105,
    CMD_CLOSE = 106,
    CMD_SAVE_AS = 107,
    CMD_HELP = 108,
    CMD_NOTHING = 120,
    CMD_DATA_IN = 121,
    CMD_DATA_OUT = 122,
    CMD_PRINT_SETUP = 123,
    CMD_CLOCK = 125,
    CMD_CALENDAR_MONTH = 131,
    CMD_CALENDAR_YEAR = 132,
    CMD_SCHEDULE = 133,
    CMD_COPY = 140,
    CMD_PASTE = 141,
    CMD_CUT = 142,
    CMD_ADD_TO_ALBUM = 143,
    CMD_TILE = 160,
    CMD_CASCADE = 161,
    CMD_ARRANGE = 162,
    CMD_CLOSE_ALL = 163,
    CMD_TOOLBAR = 164,
    CMD_STATUSBAR = 165,
    CMD_ADJUST = 170,
    CMD_ZOOM_25 = 171,
    CMD_ZOOM_50 = 172,
    CMD_ZOOM_100 = 173,
    CMD_ZOOM_200 = 174,
    CMD_ZOOM_400 = 175,
    CMD_ROTATE_RIGHT = 176,
    CMD_ROTATE_LEFT = 177,
    CMD_UNDO = 178,
    CMD_CUTOUT = 179,
    CMD_SIZE = 180,
    CMD_CAPTURE_DISPLAY = 182,
    CMD_CAPTURE_WINDOW = 183,
    CMD_TOOL = 184,
    CMD_SLIDE_OPTION = 470,
    CMD_SLIDE_START = 500,
    CMD_IMAGE_INFO = 570,
    CMD_SEND_MAIL = 40002,
    CMD_MAIL_OPTION = 40003,
    CMD_EVENT_1 = 40004,
    CMD_EVENT_2 = 40005,
};

enum ToolButton : int {
    BTN_FILE_OPEN = 400,
    BTN_SAVE_AS = 401,
    BTN_PRINT = 402,
    BTN_NEW_ALBUM = 405,
    BTN_DATA_IN = 421,
    BTN_DATA_OUT = 422,
    BTN_COPY = 440,
    BTN_PASTE = 441,
    BTN_CUT = 442,
    BTN_ADD_TO_ALBUM = 443,
    BTN_TILE = 460,
    BTN_CASCADE = 461,
    BTN_HELP = 462,
    BTN_SEND_MAIL = 463,
};

/* Who carries a command out: each subsystem has one dispatch place. Camera commands are the
 * shell's side of the camera link. */
enum class Owner { Shell, Camera, Image, Album, Calendar, Media, Mail };

struct CommandInfo {
    int id;
    int button; /* toolbar twin or 0 */
    Owner owner;
    int help;     /* catalogue text while highlighted */
    int helpGray; /* the text while grayed, 0: the same */
};

const std::vector<CommandInfo>& CommandTable();
/* The row of a menu command or toolbar button id, or null. */
const CommandInfo* FindCommand(int id);
/* The menu command a toolbar button does (463 is Sending Mail, 40002). */
int CommandOfButton(int button);

/* Help texts of toolbar buttons (enabled / disabled); 0 for an unknown id. */
int ButtonHelp(int button, bool enabled);

/* One entry of a drop-down: a command, a separator or a submenu with its own entries. */
struct MenuEntry {
    enum Kind { Item, Separator, Submenu } kind;
    int id; /* Item: the command; Submenu: its title string */
    bool checkable;
    std::vector<MenuEntry> entries;
};
struct DropDown {
    int title; /* program string of the title */
    bool startsGrayed;
    std::vector<MenuEntry> entries;
};
/* DscMenu: File, Edit, Image, View, Window, Help. Position 4 is the MDI window list. */
const std::vector<DropDown>& MenuBar();
constexpr int kWindowMenuPosition = 4;

/* The toolbar: 21 positions, 0 marks a separator. */
const std::vector<int>& ToolbarLayout();
/* Enabled at creation; the others start indeterminate. */
bool ButtonInitiallyEnabled(int button);
/* Buttons with the system's standard images rather than the program's own strip. */
bool ButtonHasStandardImage(int button);

/* The status bar's five right edges for a client width and language code. */
std::vector<int> StatusFieldEdges(int clientWidth, int language);

/* The zoom item of a zoom in quarters (1, 2, 4, 8, 16 give 171 to 175), 0 otherwise. */
int ZoomCommand(int quarters);

/* The meter dialog's bar position (0 to 25) after done of rows rows. */
int MeterPosition(long done, long rows);

/* Catalogue numbers the frame uses. */
enum Message : int {
    MSG_NO_MOVIE = 59,
    MSG_UNEXPECTED = 129,
    MSG_COMMUNICATING = 130,
    MSG_STILL_ACTIVE = 150,
    MSG_EXTRACTING = 178,
    MSG_COMPRESSING = 179,
    MSG_FILE_NAME = 181,
    MSG_ALREADY_OPEN = 183,
    MSG_READY = 365,
    MSG_OPEN_FAILED = 42,
    MSG_BITMAP_FAILED = 105,
    MSG_NOT_FULL_COLOUR = 116,
    MSG_UNKNOWN_TYPE = 46,
};

} // namespace qubex

#endif
