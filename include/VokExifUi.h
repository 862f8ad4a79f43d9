/* VokExifUi: the widget side of the image file library, a plugin that libVokExif opens by file
 * name from its own folder the first time it needs Qt in a process that already has it: event
 * processing in long loops, the arrow cursor before a library box, the information dialog and
 * the preview's drawing. Programs never call it: they use the operations of VokExif.h. */
#ifndef VOK_EXIF_UI_H
#define VOK_EXIF_UI_H

#include "VokExif.h"

#include <stddef.h>

/* A packed bitmap ready to draw: 24-bit (blue, green, red) or 8-bit with its colour table
 * (blue, green, red, 0 per entry). rows points at the top row; stride steps to the row below. */
typedef struct VokExifUiBitmap {
    uint32_t width;
    uint32_t height;
    uint32_t bits;
    uint32_t colors;
    const unsigned char* palette;
    const unsigned char* rows;
    ptrdiff_t stride;
} VokExifUiBitmap;

VOK_BEGIN_DECLS

/* Processes the pending events of the application's thread when called there. 0 when a quit
 * request was seen (it is posted again for the application), else 1. */
VOK_API int VokExifUi_ProcessEvents(void);

/* Before a library box: the arrow cursor in place of the host's override cursor, the owner's
 * window raised when it is a live widget. Nothing without a QApplication. */
VOK_API void VokExifUi_PrepareBox(VokOwner owner);

/* The information dialog "Exif_Dialog": labels are the title, the eight field names and the
 * button text; fields the eight texts. 1 after OK or Cancel, 0 without a QApplication. */
VOK_API int VokExifUi_ShowInfoDialog(VokOwner owner, const char* const labels[10],
                                     const char* const fields[8]);

/* 1 when the display is a 256-colour (8-bit) one. */
VOK_API int VokExifUi_PaletteDisplay(void);

/* Draws the bitmap stretched into target with painter (a QPainter*). 1 when drawn. */
VOK_API int VokExifUi_DrawBitmap(void* painter, const VokExifUiBitmap* bitmap,
                                 const VokRect* target);

VOK_END_DECLS

#endif
