/* The program's own strings in English, German and French: the product name, menu labels
 * with their mnemonics, toolbar tooltips, the File Open filters. Catalogue texts (messages
 * and status-bar help) come from the message catalogue instead. */
#ifndef QUBEX_PROGRAM_STRINGS_H
#define QUBEX_PROGRAM_STRINGS_H

#include <string>
#include <vector>

namespace qubex {

enum ProgramString : int {
    STR_PRODUCT = 40005,      /* "qubex": frame title, caption of every box */
    STR_MODEL = 40007,        /* "qubex": the Model tag of pictures written for the camera */
    STR_MAKER = 40008,        /* "VOKD": the maker note's text in those pictures */
    STR_UPLOAD_TITLE = 40009, /* "PC to DSC File": the Data out dialog's title */
    STR_MENU_FILE = 1010,
    STR_MENU_EDIT,
    STR_MENU_IMAGE,
    STR_MENU_VIEW,
    STR_MENU_WINDOW,
    STR_MENU_HELP,
    STR_MENU_CALENDAR = 1020,
    STR_MENU_SLIDESHOW,
    STR_MENU_CAPTURE,
    STR_MENU_MAIL,
    STR_MENU_COMMUNICATION,
    STR_MENU_ROTATE,
    STR_PREVIEW = 1030, /* the Open dialog's preview box */
    STR_ABOUT_TITLE,
    STR_ABOUT_TEXT,
    STR_METER_CANCEL,
};

/* language: 1 French, 2 German, anything else English. */
std::string MenuLabel(int command, int language);
/* Program strings: the ids above and the toolbar tooltips (string id = button id). */
std::string ProgramText(int id, int language);

/* The File Open filters as Qt name filters ("All Files(...) (*.jpg *.bmp ...)"), the first
 * being "all", without the movie entries when movie playback is unavailable. */
std::vector<std::string> OpenFilters(int language, bool movies);
/* True for a filter entry beginning with "Album" or "Calendar" in any language: preview is
 * impossible there. */
bool FilterForbidsPreview(const std::string& filter);

} // namespace qubex

#endif
