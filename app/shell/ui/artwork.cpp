/* Drawing the program's pictures. Everything here is our own simple geometry. */
#include "artwork.h"

#include "commands.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace qubex {
namespace {

const QColor kInk(40, 48, 64);
const QColor kBlue(52, 110, 190);
const QColor kAmber(232, 160, 40);
const QColor kPaper(250, 250, 245);

/* A camera body with lens and flash, fitted to rect. */
void DrawCamera(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kInk, r.width() / 40));
    p.setBrush(QColor(70, 78, 96));
    const QRectF body(r.left(), r.top() + r.height() * 0.2, r.width(), r.height() * 0.8);
    p.drawRoundedRect(body, r.width() * 0.08, r.width() * 0.08);
    p.drawRect(QRectF(r.left() + r.width() * 0.15, r.top(), r.width() * 0.3, r.height() * 0.22));
    p.setBrush(QColor(30, 34, 44));
    const QPointF c = body.center();
    const double radius = body.height() * 0.36;
    p.drawEllipse(c, radius, radius);
    QRadialGradient glass(c - QPointF(radius / 3, radius / 3), radius);
    glass.setColorAt(0, QColor(150, 200, 255));
    glass.setColorAt(1, kBlue.darker(160));
    p.setBrush(glass);
    p.drawEllipse(c, radius * 0.7, radius * 0.7);
    p.setBrush(kAmber);
    p.drawRect(QRectF(body.right() - r.width() * 0.2, body.top() + r.height() * 0.08,
                      r.width() * 0.12, r.height() * 0.1));
}

QPixmap Canvas(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    return pm;
}

void DrawPage(QPainter& p, const QRectF& r) {
    p.setBrush(kPaper);
    p.drawRect(r);
    p.drawLine(QPointF(r.left() + r.width() * 0.2, r.top() + r.height() * 0.35),
               QPointF(r.right() - r.width() * 0.2, r.top() + r.height() * 0.35));
    p.drawLine(QPointF(r.left() + r.width() * 0.2, r.top() + r.height() * 0.6),
               QPointF(r.right() - r.width() * 0.2, r.top() + r.height() * 0.6));
}

void DrawArrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    p.drawLine(to, to - d * 4 + n * 3);
    p.drawLine(to, to - d * 4 - n * 3);
}

void DrawBook(QPainter& p, const QRectF& r) {
    p.setBrush(kBlue);
    p.drawRect(r);
    p.setBrush(kPaper);
    p.drawRect(QRectF(r.left() + r.width() * 0.25, r.top() + r.height() * 0.2, r.width() * 0.55,
                      r.height() * 0.4));
}

void DrawWindow(QPainter& p, const QRectF& r) {
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setBrush(kBlue);
    p.drawRect(QRectF(r.left(), r.top(), r.width(), 3));
}

} // namespace

QImage StartupBitmap() {
    QImage img(400, 300, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(24, 44, 88));
    sky.setColorAt(0.65, QColor(70, 120, 190));
    sky.setColorAt(1, QColor(236, 176, 92));
    p.fillRect(img.rect(), sky);
    // Hills and a sun behind the camera.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 120));
    p.drawEllipse(QPointF(300, 190), 46, 46);
    QPainterPath hills;
    hills.moveTo(0, 300);
    hills.cubicTo(90, 200, 170, 250, 240, 230);
    hills.cubicTo(310, 210, 350, 240, 400, 220);
    hills.lineTo(400, 300);
    p.setBrush(QColor(34, 70, 60));
    p.drawPath(hills);
    DrawCamera(p, QRectF(40, 70, 150, 110));
    p.setPen(kPaper);
    QFont title("Sans", 40, QFont::Bold);
    title.setPixelSize(54);
    p.setFont(title);
    p.drawText(QRectF(205, 60, 190, 70), Qt::AlignLeft | Qt::AlignVCenter, "qubex");
    QFont sub("Sans");
    sub.setPixelSize(18);
    p.setFont(sub);
    p.drawText(QRectF(208, 125, 190, 30), Qt::AlignLeft | Qt::AlignVCenter, "RT70");
    p.end();
    return img.convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
}

QIcon ButtonIcon(int button) {
    QIcon icon;
    for (int size : {16, 32}) {
        QPixmap pm = Canvas(size);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        p.setPen(QPen(kInk, 1));
        switch (button) {
        case BTN_NEW_ALBUM:
            DrawBook(p, QRectF(3, 1.5, 10, 13));
            p.setPen(QPen(kAmber, 2));
            p.drawLine(QPointF(11, 10), QPointF(15, 10));
            p.drawLine(QPointF(13, 8), QPointF(13, 12));
            break;
        case BTN_FILE_OPEN: {
            p.setBrush(kAmber);
            QPolygonF folder({{1, 4}, {6, 4}, {7.5, 5.5}, {14, 5.5}, {14, 13.5}, {1, 13.5}});
            p.drawPolygon(folder);
            p.setBrush(kAmber.lighter(130));
            p.drawPolygon(QPolygonF({{3, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1, 13.5}}));
            break;
        }
        case BTN_SAVE_AS:
            p.setBrush(kBlue);
            p.drawRect(QRectF(2, 2, 12, 12));
            p.setBrush(kPaper);
            p.drawRect(QRectF(4.5, 2, 7, 5));
            p.drawRect(QRectF(4, 9.5, 8, 4.5));
            break;
        case BTN_DATA_IN:
            DrawCamera(p, QRectF(1, 1, 10, 8));
            DrawArrow(p, QPointF(12.5, 6), QPointF(12.5, 15), kBlue);
            break;
        case BTN_DATA_OUT:
            DrawCamera(p, QRectF(1, 1, 10, 8));
            DrawArrow(p, QPointF(12.5, 15), QPointF(12.5, 5), kAmber);
            break;
        case BTN_PRINT:
            DrawPage(p, QRectF(4, 1, 8, 6));
            p.setBrush(QColor(150, 156, 170));
            p.drawRoundedRect(QRectF(1, 6, 14, 6), 1.5, 1.5);
            DrawPage(p, QRectF(4, 10, 8, 5));
            break;
        case BTN_ADD_TO_ALBUM:
            DrawBook(p, QRectF(1, 1.5, 10, 13));
            DrawArrow(p, QPointF(15, 8), QPointF(8, 8), kAmber);
            break;
        case BTN_SEND_MAIL:
            p.setBrush(kPaper);
            p.drawRect(QRectF(1, 3.5, 14, 9));
            p.drawPolyline(QPolygonF({{1, 3.5}, {8, 9}, {15, 3.5}}));
            break;
        case BTN_CUT:
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(4.5, 12), 2.5, 2.5);
            p.drawEllipse(QPointF(11.5, 12), 2.5, 2.5);
            p.setPen(QPen(kInk, 1.3));
            p.drawLine(QPointF(6, 10), QPointF(11.5, 1.5));
            p.drawLine(QPointF(10, 10), QPointF(4.5, 1.5));
            break;
        case BTN_COPY:
            DrawPage(p, QRectF(1.5, 1.5, 8.5, 10));
            DrawPage(p, QRectF(6, 5, 8.5, 10));
            break;
        case BTN_PASTE:
            p.setBrush(QColor(176, 130, 80));
            p.drawRoundedRect(QRectF(2, 2.5, 10, 12.5), 1, 1);
            p.setBrush(QColor(150, 156, 170));
            p.drawRect(QRectF(4.5, 1, 5, 3));
            DrawPage(p, QRectF(7, 6.5, 8, 8.5));
            break;
        case BTN_CASCADE:
            DrawWindow(p, QRectF(1, 1, 9, 7));
            DrawWindow(p, QRectF(3.5, 4, 9, 7));
            DrawWindow(p, QRectF(6, 7.5, 9, 7));
            break;
        case BTN_TILE:
            DrawWindow(p, QRectF(1, 1, 6.5, 14));
            DrawWindow(p, QRectF(8.5, 1, 6.5, 14));
            break;
        case BTN_HELP: {
            p.setBrush(kBlue);
            p.drawEllipse(QRectF(1, 1, 14, 14));
            p.setPen(kPaper);
            QFont f("Sans");
            f.setBold(true);
            f.setPixelSize(11);
            p.setFont(f);
            p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, "?");
            break;
        }
        default:
            break;
        }
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QImage ProgramIconImage(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient back(0, 0, 0, 64);
    back.setColorAt(0, QColor(70, 120, 190));
    back.setColorAt(1, QColor(24, 44, 88));
    p.setPen(Qt::NoPen);
    p.setBrush(back);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    DrawCamera(p, QRectF(10, 14, 44, 36));
    p.end();
    return img;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(ProgramIconImage(size)));
    return icon;
}

} // namespace qubex
