// The selection dialog's bitmaps drawn with QPainter at their original sizes, and the painting
// of one grid button: everything goes into a pixmap first so the button is copied whole.
#include "DscSelectionArt.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

namespace {

const QColor kFace(212, 208, 200);
const QColor kShadow(128, 128, 128);
const QColor kDark(64, 64, 64);

} // namespace

QImage DscArt_ButtonFace() {
    QImage face(48, 48, QImage::Format_RGB32);
    face.fill(kFace);
    QPainter p(&face);
    p.setPen(Qt::white);
    p.drawLine(0, 0, 46, 0);
    p.drawLine(0, 0, 0, 46);
    p.setPen(QColor(235, 233, 228));
    p.drawLine(1, 1, 45, 1);
    p.drawLine(1, 1, 1, 45);
    p.setPen(kShadow);
    p.drawLine(1, 46, 46, 46);
    p.drawLine(46, 1, 46, 46);
    p.setPen(kDark);
    p.drawLine(0, 47, 47, 47);
    p.drawLine(47, 0, 47, 47);
    return face;
}

QImage DscArt_NoThumbnail() {
    QImage img(48, 48, QImage::Format_RGB32);
    img.fill(QColor(236, 236, 236));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A framed landscape, struck through: "no picture".
    p.setPen(QPen(QColor(150, 150, 150), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 11.5, 33, 25));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(180, 180, 180));
    QPolygonF hills;
    hills << QPointF(8, 36) << QPointF(18, 22) << QPointF(24, 29) << QPointF(30, 20)
          << QPointF(40, 36);
    p.drawPolygon(hills);
    p.drawEllipse(QPointF(15, 18), 3, 3);
    p.setPen(QPen(QColor(200, 40, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 38), QPointF(38, 10));
    return img;
}

QImage DscArt_KindIcon(int kind) {
    if (kind < 2 || kind > 4)
        return QImage();
    QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    if (kind == 2) {
        // A page with a folded corner and a "T".
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        QPolygon page;
        page << QPoint(2, 0) << QPoint(10, 0) << QPoint(14, 4) << QPoint(14, 15) << QPoint(2, 15);
        p.drawPolygon(page);
        p.drawLine(10, 0, 10, 4);
        p.drawLine(10, 4, 14, 4);
        p.fillRect(QRect(5, 6, 7, 2), QColor(0, 64, 192));
        p.fillRect(QRect(7, 8, 3, 6), QColor(0, 64, 192));
    } else if (kind == 3) {
        // A strip of film with its sprocket holes.
        p.fillRect(QRect(0, 2, 16, 12), Qt::black);
        for (int x = 1; x < 16; x += 4) {
            p.fillRect(QRect(x, 3, 2, 2), Qt::white);
            p.fillRect(QRect(x, 11, 2, 2), Qt::white);
        }
        p.fillRect(QRect(2, 6, 5, 4), QColor(90, 160, 230));
        p.fillRect(QRect(9, 6, 5, 4), QColor(90, 160, 230));
    } else {
        // A loudspeaker with sound waves.
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        QPolygonF speaker;
        speaker << QPointF(1, 5.5) << QPointF(4.5, 5.5) << QPointF(8.5, 1.5) << QPointF(8.5, 14.5)
                << QPointF(4.5, 10.5) << QPointF(1, 10.5);
        p.drawPolygon(speaker);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 96, 0), 1.3));
        p.drawArc(QRectF(6.5, 4.5, 6, 7), -60 * 16, 120 * 16);
        p.drawArc(QRectF(5.5, 1.5, 10, 13), -60 * 16, 120 * 16);
    }
    return img;
}

DscButtonLayout DscArt_Layout(int width, int height) {
    DscButtonLayout l;
    int tw = width * 4 / 5;
    int th = tw * 3 / 4;
    int x0 = (width - tw) / 2;
    int y0 = (height - th - 22) / 2;
    if (y0 < 3)
        y0 = 3;
    l.thumbArea = QRect(x0, y0, tw, th);
    int labelTop = y0 + th + 3;
    l.icon = QRect(x0, labelTop + 1, 16, 16);
    l.label = QRect(x0 + 18, labelTop, tw - 36, 18);
    return l;
}

QPixmap DscArt_PaintButton(int width, int height, const DscButtonLook& look) {
    static const QImage face = DscArt_ButtonFace();
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    p.drawImage(QRect(0, 0, width, height), face, QRect(0, 0, 48, 48));
    if (look.record) {
        DscButtonLayout l = DscArt_Layout(width, height);
        if (look.thumbnail && !look.thumbnail->isNull()) {
            QSize s = look.thumbnail->size();
            QPoint at(l.thumbArea.x() + (l.thumbArea.width() - s.width()) / 2,
                      l.thumbArea.y() + (l.thumbArea.height() - s.height()) / 2);
            p.drawPixmap(at, *look.thumbnail);
            p.setPen(Qt::black);
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRect(at - QPoint(1, 1), s + QSize(1, 1)));
        }
        if (look.record->selected)
            p.fillRect(l.label, QColor(255, 0, 0));
        QFont font = p.font();
        font.setPixelSize(11);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(l.label, Qt::AlignCenter | Qt::TextSingleLine, look.labelText);
        QImage icon = DscArt_KindIcon(look.record->kind);
        if (!icon.isNull())
            p.drawImage(l.icon, icon);
    }
    if (look.focused) {
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(3, 3, width - 7, height - 7));
    }
    return pixmap;
}
