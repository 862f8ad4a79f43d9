/* VokDscMsg: the message catalogue (numbers 1 to 476 in English, German and French)
 * and the one message box of the suite. Every box of every program and library goes
 * through VokDsc_Msg_Box, so that the test hooks VOK_MSG_LOG and VOK_MSG_ANSWER hold
 * everywhere. */
#ifndef VOK_DSC_MSG_H
#define VOK_DSC_MSG_H

#include "VokPlatform.h"

#define VOK_MSG_FIRST 1
#define VOK_MSG_LAST 476
#define VOK_MSG_TEXT_MAX 219 /* characters of the longest text */
#define VOK_MSG_BUFFER 520   /* display buffer, terminator included */

/* Box results, with the platform's values. */
#define VOK_IDOK 1
#define VOK_IDCANCEL 2
#define VOK_IDYES 6
#define VOK_IDNO 7

/* Language codes of the suite. */
#define VOK_LANG_FRENCH 1
#define VOK_LANG_GERMAN 2
#define VOK_LANG_ENGLISH 4

/* Box kinds: they name the line of the VOK_MSG_LOG hook and choose icon and buttons. */
typedef enum VokBoxKind {
    VOK_BOX_ERROR = 0,       /* stop icon, OK */
    VOK_BOX_QUERY = 1,       /* question icon, Yes and No */
    VOK_BOX_MESSAGE = 2,     /* no icon, OK */
    VOK_BOX_YESNOCANCEL = 3, /* question icon, Yes, No and Cancel */
    VOK_BOX_OTHER = 4        /* icon and buttons from the style flags */
} VokBoxKind;

/* Style flags for VOK_BOX_OTHER (and the default button of any kind). */
#define VOK_MB_OK 0x0000u
#define VOK_MB_OKCANCEL 0x0001u
#define VOK_MB_YESNOCANCEL 0x0003u
#define VOK_MB_YESNO 0x0004u
#define VOK_MB_ICONERROR 0x0010u
#define VOK_MB_ICONQUESTION 0x0020u
#define VOK_MB_ICONWARNING 0x0030u
#define VOK_MB_ICONINFORMATION 0x0040u
#define VOK_MB_DEFBUTTON2 0x0100u
#define VOK_MB_DEFBUTTON3 0x0200u

VOK_BEGIN_DECLS

/* The four operations of the catalogue. Error: stop icon, OK. Query: question icon, Yes
 * and No (returns VOK_IDYES or VOK_IDNO). Message: no icon, OK. A number outside 1..476
 * shows an empty text. */
VOK_API int VokDsc_Msg_Error(VokOwner owner, int number, const char* caption);
VOK_API int VokDsc_Msg_Query(VokOwner owner, int number, const char* caption);
VOK_API int VokDsc_Msg_Message(VokOwner owner, int number, const char* caption);

/* Copies the entry in the current language (UTF-8, line breaks as '\n') into buffer.
 * capacity counts the terminator; a text that does not fit is cut before a whole
 * character and terminated. Returns the bytes copied; 0 for a number outside 1..476
 * (buffer then holds ""), a null buffer or capacity <= 0 (buffer untouched). */
VOK_API int VokDsc_Msg_GetString(int number, char* buffer, int capacity);

/* The one box function. number is the catalogue number the text came from, or -1
 * for a text that has none (it is logged as "-"). style adds VOK_MB_DEFBUTTON2/3 to
 * any kind, and gives buttons and icon for VOK_BOX_OTHER. owner is a QWidget* or null;
 * one that is not a live widget gives a box without owner. With a QApplication the box
 * is application-modal and shown by the GUI thread (a worker thread waits for it);
 * without one it is printed to standard error and gives its default button. Returns
 * VOK_IDOK, VOK_IDCANCEL, VOK_IDYES or VOK_IDNO. */
VOK_API int VokDsc_Msg_Box(VokOwner owner, VokBoxKind kind, int number, const char* text,
                           const char* caption, unsigned style);

/* The active language (VOK_LANG_*): the first of LC_ALL, LC_MESSAGES, LANG that is set
 * and not empty; "de..." German, "fr..." French, else English. Read on every call. */
VOK_API int VokDsc_Msg_Language(void);

VOK_END_DECLS

#endif
