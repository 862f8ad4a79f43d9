/* Drawing a preview bitmap with a QPainter, in the image library's widget plugin: the bitmap as
 * a QImage stretched into the target the library chose, and the display's depth, which decides
 * whether the library reduces the bitmap to 256 colours first. */
#include "VokExifUi.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>

#include <cstring>

namespace {

// The bitmap (24-bit or 8-bit with its colour table) as a QImage, rows top first.
QImage image_of(const VokExifUiBitmap& v) {
    QImage::Format format = v.bits == 24 ? QImage::Format_BGR888 : QImage::Format_Indexed8;
    QImage image(int(v.width), int(v.height), format);
    if (image.isNull())
        return image;
    size_t rowBytes = v.bits == 24 ? size_t(v.width) * 3 : v.width;
    for (uint32_t y = 0; y < v.height; ++y)
        std::memcpy(image.scanLine(int(y)), v.rows + v.stride * ptrdiff_t(y), rowBytes);
    if (v.bits == 8) {
        QList<QRgb> table;
        for (uint32_t i = 0; i < 256; ++i) {
            const unsigned char* e = i < v.colors ? v.palette + 4 * i : nullptr;
            table.push_back(e ? qRgb(e[2], e[1], e[0]) : qRgb(0, 0, 0));
        }
        image.setColorTable(table);
    }
    return image;
}

} // namespace

extern "C" int VokExifUi_PaletteDisplay(void) {
    // Asked once, as the display's depth does not change while the program runs.
    static const bool eightBits = [] {
        QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                              ? QGuiApplication::primaryScreen()
                              : nullptr;
        return screen && screen->depth() == 8;
    }();
    return eightBits ? 1 : 0;
}

extern "C" int VokExifUi_DrawBitmap(void* painter, const VokExifUiBitmap* bitmap,
                                    const VokRect* target) {
    QPainter* p = static_cast<QPainter*>(painter);
    if (!p || !p->isActive() || !bitmap || !target || (bitmap->bits != 24 && bitmap->bits != 8))
        return 0;
    QImage image = image_of(*bitmap);
    if (image.isNull() || target->right <= target->left || target->bottom <= target->top)
        return 0;
    p->save();
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->drawImage(QRect(target->left, target->top, target->right - target->left,
                       target->bottom - target->top),
                 image);
    p->restore();
    return 1;
}
