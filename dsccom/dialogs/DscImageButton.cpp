// The selection dialog's grid button. A press selects at once (the dialog tells a double
// click apart), so the button keeps no pressed state of its own.
#include "DscImageButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

DscImageButton::DscImageButton(QWidget* parent, int width, int height) : QAbstractButton(parent) {
    setFixedSize(width, height);
    setFocusPolicy(Qt::StrongFocus);
}

void DscImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (render)
        p.drawPixmap(0, 0, render(hasFocus()));
}

void DscImageButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && clicked)
        clicked(e->modifiers(), false);
}

void DscImageButton::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && clicked)
        clicked(e->modifiers(), true);
}

void DscImageButton::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Space && !e->isAutoRepeat() && clicked)
        clicked(Qt::NoModifier, false);
    else
        QAbstractButton::keyPressEvent(e);
}

void DscImageButton::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() != Qt::Key_Space)
        QAbstractButton::keyReleaseEvent(e);
}
