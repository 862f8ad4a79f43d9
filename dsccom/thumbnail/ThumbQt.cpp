/* Converts rendered thumbnails into Qt images and runs the rendering for an owner window's
 * display. Kept apart so the rendering itself needs no Qt GUI. */
#include "ThumbQt.h"
#include "vok_owner.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <cstring>

namespace vokthumb {

QVector<QRgb> FixedPaletteColours() {
    LogPalette palette;
    FillFixedPalette(&palette);
    QVector<QRgb> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[i] =
            qRgb(palette.entries[i].red, palette.entries[i].green, palette.entries[i].blue);
    return colours;
}

QImage ToQImage(const ThumbBitmap& bitmap) {
    if (bitmap.width <= 0 || bitmap.height <= 0 ||
        (bitmap.bitsPerPixel != 24 && bitmap.bitsPerPixel != 8) ||
        bitmap.bits.size() < bitmap.Stride() * static_cast<std::size_t>(bitmap.height))
        return QImage();
    const bool indexed = bitmap.bitsPerPixel == 8;
    QImage image(bitmap.width, bitmap.height,
                 indexed ? QImage::Format_Indexed8 : QImage::Format_RGB888);
    if (image.isNull())
        return image;
    if (indexed)
        image.setColorTable(FixedPaletteColours());
    for (int y = 0; y < bitmap.height; ++y) {
        // stored row 0 is the bottom one
        const std::uint8_t* in =
            &bitmap.bits[static_cast<std::size_t>(bitmap.height - 1 - y) * bitmap.Stride()];
        uchar* out = image.scanLine(y);
        if (indexed) {
            std::memcpy(out, in, static_cast<std::size_t>(bitmap.width));
            continue;
        }
        for (int x = 0; x < bitmap.width; ++x) {
            out[3 * x] = in[3 * x + 2];
            out[3 * x + 1] = in[3 * x + 1];
            out[3 * x + 2] = in[3 * x];
        }
    }
    return image;
}

int DisplayDepth(VokOwner owner) {
    QScreen* screen = nullptr;
    // An owner that is not a live widget counts as none.
    if (QWidget* widget = vokc::LiveWidget(owner))
        screen = widget->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 24;
}

bool RenderThumbnailPixmap(const char* jpegPath, int areaWidth, int areaHeight, VokOwner owner,
                           const char* caption, QPixmap* pixmap, int* width, int* height) {
    const bool gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (gui)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    ThumbBitmap bitmap;
    const bool ok = RenderThumbnail(jpegPath, areaWidth, areaHeight, DisplayDepth(owner), owner,
                                    caption, &bitmap);
    if (ok) {
        if (pixmap && gui)
            *pixmap = QPixmap::fromImage(ToQImage(bitmap));
        if (width)
            *width = bitmap.width;
        if (height)
            *height = bitmap.height;
    }
    if (gui)
        QGuiApplication::restoreOverrideCursor();
    return ok;
}

} // namespace vokthumb
