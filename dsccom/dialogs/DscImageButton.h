/* One owner-drawn grid button of the selection dialog: it paints what the dialog renders for
 * it and reports clicks, double clicks and the space bar with the keys held. */
#ifndef DSC_IMAGE_BUTTON_H
#define DSC_IMAGE_BUTTON_H

#include <QAbstractButton>
#include <QPixmap>

#include <functional>

class DscImageButton : public QAbstractButton {
  public:
    std::function<QPixmap(bool focused)> render;
    std::function<void(Qt::KeyboardModifiers, bool doubleClick)> clicked;

    DscImageButton(QWidget* parent, int width, int height);

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent*) override {}
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
};

#endif
