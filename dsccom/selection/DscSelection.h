/* The selection dialog's rules as plain functions: the image records of the current folder,
 * the four button states, mouse selection, scrolling by grid rows, the thumbnail cache trim,
 * and the camera side (folder list with its leading empty folders skipped, thumbnail fetch).
 * No widget code: the dialog calls these, and so do the tests. Internal to VokComRT70
 * (C++ linkage), exported only so that the tests can reach them. */
#ifndef DSC_SELECTION_H
#define DSC_SELECTION_H

#include <stdint.h>

#include <string>
#include <vector>

#include "VokPlatform.h"

/* The grid: 4 columns by 4 rows of image buttons. */
#define DSC_GRID_COLUMNS 4
#define DSC_GRID_ROWS 4
#define DSC_GRID_BUTTONS 16
/* A camera with this many folders or more is refused. */
#define DSC_MAX_FOLDERS 1000
/* Most images a folder can hold: their numbers are 16-bit. */
#define DSC_MAX_FOLDER_IMAGES 65536
/* Largest thumbnail the dialog accepts from the camera (a thumbnail is a few kilobytes). */
#define DSC_MAX_THUMB_BYTES (4u * 1024u * 1024u)

/* One image of the current folder. The thumbnail itself lives with the dialog; the record
 * only says whether there is one. */
struct DscImageRecord {
    char label[20];       /* the image number as decimal text */
    uint32_t number;      /* number within the folder */
    int32_t hasThumbnail; /* a rendered thumbnail (or the no-thumbnail picture) is held */
    int32_t selected;     /* 1 when the image is selected */
    int32_t thumbWidth;   /* size of the rendered thumbnail */
    int32_t thumbHeight;
    uint8_t kind;          /* 1 JPEG, 2 TIFF, 3 movie, 4 audio memo; 0 while unknown */
    int32_t drawnSelected; /* the selection state last painted */
};

/* One camera folder, in the camera's order. */
struct DscFolderRecord {
    uint32_t number;
    int32_t imageCount;
    int32_t counted; /* the images were counted */
};

/* Button states of the dialog and which controls each enables. */
enum DscButtonState {
    DSC_STATE_IDLE = 0,
    DSC_STATE_BUSY = 1,
    DSC_STATE_EMPTY = 3,
    DSC_STATE_SELECTION = 4
};
struct DscControlsEnabled {
    int folderList, exitButton, preview, transfer, deleteButton;
};

/* Keys held with a click. */
enum DscClickKeys { DSC_CLICK_PLAIN = 0, DSC_CLICK_SHIFT = 1, DSC_CLICK_CONTROL = 2 };

/* Scroll requests, as a scroll bar sends them. */
enum DscScrollAction {
    DSC_SCROLL_LINE_UP,
    DSC_SCROLL_LINE_DOWN,
    DSC_SCROLL_PAGE_UP,
    DSC_SCROLL_PAGE_DOWN,
    DSC_SCROLL_TO, /* the box was released (or dragged) to a position */
    DSC_SCROLL_TOP,
    DSC_SCROLL_BOTTOM
};

/* The scroll bar of the grid: one position per grid row, positions from 1; a page is one
 * grid (4 rows), so the last position shows the last full grid. */
struct DscScroll {
    int32_t rows;     /* rows of images: ceil(count / 4), at least 1 */
    int32_t position; /* 1 .. DscSel_ScrollLast() */
    int32_t enabled;  /* more than one grid of images */
    int32_t pending;  /* a deferred refetch has been requested and not yet run */
};

DscControlsEnabled DscSel_Controls(int state);

/* Fills records for image numbers (labels "%u", everything else cleared). */
void DscSel_InitRecords(std::vector<DscImageRecord>* records, const uint16_t* numbers,
                        int32_t count);
int32_t DscSel_SelectedCount(const std::vector<DscImageRecord>& records);
/* Index of the record with that number, or -1. */
int32_t DscSel_IndexOf(const std::vector<DscImageRecord>& records, uint32_t number);

/* Preview reads the image numbers again: each fresh record takes the thumbnail facts, the kind
 * and the selection of the old record with the same number (a camera whose images changed
 * gets no picture on the wrong number). Returns, for each fresh record, the index of the old
 * record it took them from, or -1, so that the caller moves its pictures along. Old records
 * of number 0 without a thumbnail are placeholders from before the first Preview. */
VOK_API std::vector<int32_t> DscSel_CarryOver(const std::vector<DscImageRecord>& old,
                                              std::vector<DscImageRecord>* fresh);
/* Index of the first record of the grid row holding the image number; 0 when it is gone. */
VOK_API int32_t DscSel_RowStartOf(const std::vector<DscImageRecord>& records, uint32_t number);

/* A click on record index (keys DSC_CLICK_*, doubleClick for the second click of a double
 * click). Updates the selection and the anchor (an image number; *hasAnchor says whether
 * one is set). Returns nonzero when the selection of some record changed. */
int DscSel_Click(std::vector<DscImageRecord>* records, int32_t index, int keys, int doubleClick,
                 uint32_t* anchor, int* hasAnchor);
/* The state after a selection change: 4 when anything is selected, else 0. */
int DscSel_StateForSelection(const std::vector<DscImageRecord>& records);

/* Scrolling. */
void DscSel_ScrollReset(DscScroll* scroll, int32_t imageCount);
int32_t DscSel_ScrollLast(const DscScroll* scroll);
/* Moves the box for one request and returns the new position; nothing is fetched yet. */
int32_t DscSel_ScrollRequest(DscScroll* scroll, int action, int32_t target);
/* The scroll action ended: returns 1 when a deferred refetch is to be posted now (at most
 * one is outstanding). */
int DscSel_ScrollEnded(DscScroll* scroll);
/* The deferred refetch runs: clears the outstanding request and gives the index of the new
 * top image. */
int32_t DscSel_ScrollTakeRefetch(DscScroll* scroll);
/* The top index for a scroll position. */
int32_t DscSel_TopIndexForPosition(int32_t position);
/* Arrows at the ends of the range are disabled. */
int DscSel_CanScrollUp(const DscScroll* scroll);
int DscSel_CanScrollDown(const DscScroll* scroll);

/* The thumbnail cache trim: indices of the records whose thumbnails are to be freed (the
 * caller frees them and clears hasThumbnail). topIndex is the index of the top image. */
std::vector<int32_t> DscSel_TrimCache(const std::vector<DscImageRecord>& records, int32_t topIndex);

/* ---- camera side (through the engine; the connection must be open) ---- */

/* Reads the folder list: count (10), refusal of 0 (message 53) and of DSC_MAX_FOLDERS or
 * more, the numbers (12), then the leading empty folders are dropped (7 on each, waiting
 * 300 ms after each count). *allEmpty is set when no folder holds images (nothing is then
 * dropped). Returns DSC_OK or a result; every failure has shown its message. */
int DscSel_ReadFolderList(std::vector<DscFolderRecord>* folders, int* allEmpty);

/* Counts the images of a folder (7); a camera without such a folder (102) counts 0; a count
 * above DSC_MAX_FOLDER_IMAGES is a data error (DSC_ERR_FRAME, count 0). */
int DscSel_CountFolderImages(uint16_t folder, int32_t* count);

/* Reads the image numbers of a folder (14) into records (count entries). */
int DscSel_ReadImageNumbers(uint16_t folder, int32_t count, std::vector<DscImageRecord>* records);

/* Fetches one thumbnail (22, then blocks 30 with the thumbnail retry rule) into a new
 * temporary file (prefix "VOK"). DSC_OK: *path names the file (the caller deletes it) and
 * *kind holds the kind the camera gave. DSC_ERR_NOITEM: the camera has no thumbnail.
 * Other results end the fetch; no file is left behind. */
int DscSel_FetchThumbnail(uint16_t folder, uint16_t image, std::string* path, uint8_t* kind);

/* ---- the dialog (dsccom/dialogs/DscSelectionDialog.cpp) ---- */

struct DscConnection;
/* Opens the selection dialog VOKDLGCOM_RT70 over the connection's owner with the connection
 * open. 0: shown (it reads the folders, and closes the connection when it ends, even when
 * the folder list fails); nonzero: not opened (no graphical application), connection left
 * open. Also registered as the mode-0 hand-over of the transfer export. */
int DscSel_OpenDialog(DscConnection* connection);

#endif
