/* The selection dialog's bitmaps, drawn by code: the button face VOKDLG_IMGBTN, the
 * no-thumbnail picture VOKDLG_NOTTHUMB and the kind icons VOKDLG_TIFF, VOKDLG_MOVIE and
 * VOKDLG_AUDIO; and the painting of one grid button from them. */
#ifndef DSC_SELECTION_ART_H
#define DSC_SELECTION_ART_H

#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>

#include "DscSelection.h"

/* 48 x 48 face of a grid button; its left 48 x 48 pixels are stretched over the button. */
QImage DscArt_ButtonFace();
/* 48 x 48 picture for an image without a thumbnail. */
QImage DscArt_NoThumbnail();
/* 16 x 16 icon of a kind (2 TIFF, 3 movie, 4 audio memo); a null image for other kinds. */
QImage DscArt_KindIcon(int kind);

/* The rectangles inside a button of the given size. */
struct DscButtonLayout {
    QRect thumbArea; /* 4/5 of the width wide, 3/4 of that high, centred horizontally */
    QRect label;
    QRect icon;
};
DscButtonLayout DscArt_Layout(int width, int height);

/* What one button shows. record null: an empty button (plain face). */
struct DscButtonLook {
    const DscImageRecord* record;
    const QPixmap* thumbnail; /* null or null pixmap: nothing drawn in the area */
    QString labelText;
    bool focused;
};
/* Paints the button into a pixmap of that size (face, framed thumbnail, label with the red
 * selection, kind icon, focus frame). */
QPixmap DscArt_PaintButton(int width, int height, const DscButtonLook& look);

#endif
