/* The Qt side of thumbnail rendering: the rendered bitmap as a QImage or QPixmap, the fixed
 * palette as a Qt colour table, and the display depth of an owner window. */
#ifndef VOK_THUMB_QT_H
#define VOK_THUMB_QT_H

#include "ThumbRender.h"

#include <QImage>
#include <QPixmap>
#include <QVector>

namespace vokthumb {

/* The fixed palette as 256 opaque colours (index r*32 + g*4 + b). */
QVector<QRgb> FixedPaletteColours();

/* A top-down QImage of the bitmap: RGB888 for 24 bits, Indexed8 with the fixed palette for
 * 8 bits; a null image for an empty or inconsistent bitmap. */
QImage ToQImage(const ThumbBitmap& bitmap);

/* Bits per pixel of the screen that shows owner (a QWidget* or null: the primary screen);
 * 24 without any screen. */
int DisplayDepth(VokOwner owner);

/* RenderThumbnail for owner's display, with the wait cursor shown while it works; the pixmap
 * and its size on success. Without a QGuiApplication only the size is given. */
bool RenderThumbnailPixmap(const char* jpegPath, int areaWidth, int areaHeight, VokOwner owner,
                           const char* caption, QPixmap* pixmap, int* width, int* height);

} // namespace vokthumb

#endif
