/* Drawing a BMP preview (VokDIB_PrevImage) with a QPainter: the bitmap as a QImage, reduced to 256
 * colours on an 8-bit display, placed by preview_target. */
#include "img_internal.h"
#include "img_write.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>

#include <cstring>

namespace {

// Asked once, as the display's depth does not change while the program runs.
bool palette_display() {
    static const bool eightBits = [] {
        QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                              ? QGuiApplication::primaryScreen()
                              : nullptr;
        return screen && screen->depth() == 8;
    }();
    return eightBits;
}

// The bitmap (24-bit or 8-bit with its colour table) as a QImage, rows top first.
QImage image_of(const vokimg::DibView& v) {
    QImage::Format format = v.bits == 24 ? QImage::Format_BGR888 : QImage::Format_Indexed8;
    QImage image(int(v.width), int(v.height), format);
    if (image.isNull())
        return image;
    size_t rowBytes = v.bits == 24 ? size_t(v.width) * 3 : v.width;
    for (uint32_t y = 0; y < v.height; ++y)
        std::memcpy(image.scanLine(int(y)), v.row(y), rowBytes);
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

VOK_EXTERN_C int VokDIB_PrevImage(void* painter, const char* bmpPath, const VokRect* rect) {
    QPainter* p = static_cast<QPainter*>(painter);
    if (!p || !p->isActive() || !rect || vokimg::preview_kind(bmpPath) != vokimg::PreviewKind::Bmp)
        return 0;
    VokImgBlock* dib = VokImg_ReadBmpFile(bmpPath);
    vokimg::DibView view;
    if (!dib || !vokimg::dib_view(dib, &view)) {
        VokImg_FreeBlock(dib);
        return 0;
    }
    VokImgBlock* shown = nullptr;
    if (view.bits != 24 && view.bits != 8) {
        shown = vokimg::dib_to_24(view);
    } else if (view.bits == 24 && palette_display()) {
        shown = VokDIB_Reduce256(dib); // on failure the 24-bit bitmap is drawn
    }
    if (shown)
        vokimg::dib_view(shown, &view);
    QImage image = image_of(view);
    VokRect target = vokimg::preview_target(view.width, view.height, *rect);
    bool drawn = !image.isNull() && target.right > target.left && target.bottom > target.top;
    if (drawn) {
        p->save();
        p->setRenderHint(QPainter::SmoothPixmapTransform, false);
        p->drawImage(
            QRect(target.left, target.top, target.right - target.left, target.bottom - target.top),
            image);
        p->restore();
    }
    VokImg_FreeBlock(shown);
    VokImg_FreeBlock(dib);
    return drawn ? 1 : 0;
}
