/* The camera's housekeeping as plain rules: the clock dialog's field forms and validation,
 * the clock registers, and the deletion walk over the selection dialog's records. No widget
 * and no camera code: the dialogs and the tool operations drive these, and so do the tests.
 * Internal to VokComRT70 (C++ linkage), exported only so that the tests can reach them. */
#ifndef DSC_HOUSEKEEPING_H
#define DSC_HOUSEKEEPING_H

#include <stdint.h>

#include <string>
#include <vector>

#include "../selection/DscSelection.h"
#include "VokComRT70.h"

/* ---- Clock ---- */

/* The five fields as the dialog shows them: the hour in 12-hour form with AM or PM. */
struct DscClockFields {
    int32_t year, month, day, hour12, minute;
    int32_t pm;
};

/* The register values in dialog form. Hours 0-11 are AM, every later hour PM less 12, so an
 * impossible hour read from the camera stays impossible and the validation refuses it. */
DscClockFields DscClock_ToFields(const VokClock& clock);
/* The clock to write: the hour plus 12 with PM. */
VokClock DscClock_FromFields(const DscClockFields& fields);
/* The texts of the fields: year, month and day "%d", hour and minute "%02d". */
void DscClock_FieldTexts(const DscClockFields& fields, std::string texts[5]);
/* A field's text read the way the camera's program reads it: each character's low four bits
 * as one decimal digit. */
int32_t DscClock_FieldValue(const char* text);
/* An edit leaves too many characters in a field (year: 5 or more, others: 3 or more), so the
 * remembered text is put back. field is a DSC_CLOCK_* identifier. */
int DscClock_TooLong(int32_t field, size_t length);
int DscClock_IsLeapYear(int32_t year);
/* Days of the month, 0 for a month outside 1 to 12. */
int32_t DscClock_DaysInMonth(int32_t year, int32_t month);
/* The clock register addresses of a camera variant: which 0 year, 1 date, 2 time. */
uint16_t DscClock_Register(int32_t variant, int which);
uint16_t DscClock_DateValue(int32_t month, int32_t day);
uint16_t DscClock_TimeValue(int32_t hour, int32_t minute);
/* The registers' values into a clock (no range checks: what was read is shown). */
VokClock DscClock_FromRegisters(uint16_t year, uint16_t date, uint16_t time);

/* ---- Deletion ---- */

/* The answers of the question VOKDLGCOM_DELETESTATUS2. */
enum DscDeleteAnswer { DSC_DELETE_YES, DSC_DELETE_ALL, DSC_DELETE_NO, DSC_DELETE_CANCEL };

/* What the walk asks of its caller; index is a record index. */
struct DscDeleteSteps {
    void* context;
    /* The question about one image; a DscDeleteAnswer. */
    int (*ask)(void* context, int32_t index);
    /* Shows the "deleting" line and sends the delete command; its result. */
    int (*remove)(void* context, int32_t index);
    /* Delete All begins: its Cancel is offered from now on. */
    void (*beginAll)(void* context);
    /* The owner's cancel request (poll), and clearing it. */
    int (*cancelRequested)(void* context);
    void (*clearCancel)(void* context);
    /* The question "Cancel Delete Really?"; nonzero for Yes. */
    int (*confirmCancel)(void* context);
    void (*showMessage)(void* context, int number);
    void (*pause)(void* context, int milliseconds);
};

/* Walks the selected records from the last to the first. With ask set, each image is asked
 * about first; without, the walk is a Delete All from the start. Answers and results
 * deselect as the deletion rules say; the images deleted stay selected, so the caller can
 * drop exactly those. Returns DSC_OK, 90, 112 or the result that ended the walk. */
int DscDel_Walk(std::vector<DscImageRecord>* records, const DscDeleteSteps& steps, int ask);

/* After a run: the indices of the records that stay (those not selected) and the index,
 * among them, of the image that becomes the top one: the old top image, else the first
 * one numbered above it, else the last one; 0 when none stays. */
std::vector<int32_t> DscDel_Remaining(const std::vector<DscImageRecord>& records, int32_t topIndex,
                                      int32_t* newTop);

/* ---- camera side (through the engine; the connection must be open) ---- */

struct DscConnection;

/* One clock register: command 53 with a one-byte address on variant 2, two bytes on the
 * others; command 52 with address and value. */
int DscClock_ReadRegister(uint16_t address, uint16_t* value);
int DscClock_WriteRegister(uint16_t address, uint16_t value);
/* The three registers, waiting 100 ms before each read; a failure ends the read. */
int DscClock_Read(VokClock* clock);
/* Year, date, time in that order; a failed write skips the rest. */
int DscClock_Write(const VokClock& clock);
/* Command 17 for one image. */
int DscDel_DeleteImage(uint16_t folder, uint16_t image);

/* The clock dialog, registered by the dialog layer: runs VOKDLGCOM_TIME modally over the
 * open connection and returns once it has ended; nonzero when it could not be shown. */
typedef int (*DscClockDialogHook)(DscConnection* connection);
void DscClock_SetDialogHook(DscClockDialogHook hook);

/* ---- the deletion's dialogs (dsccom/dialogs/DscDeleteDialogs.cpp) ---- */

/* Deletes the selected records of a camera folder with the status dialog
 * VOKDLGCOM_DELETESTATUS and the question VOKDLGCOM_DELETESTATUS2 over parent (a QWidget).
 * The records deleted stay selected. Returns what DscDel_Walk returns. */
int DscDel_RunDialogs(void* parent, uint16_t folder, std::vector<DscImageRecord>* records);

#endif
