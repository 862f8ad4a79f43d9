// Helpers for driving the selection dialog VOKDLGCOM_RT70 with QTest: its controls by
// identifier, what a grid button shows, and answers to the modal dialogs of a transfer.
#ifndef DSCCOM_SELECTION_DIALOG_ENV_H
#define DSCCOM_SELECTION_DIALOG_ENV_H

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>

#include "DscEngine.h"
#include "DscSelectionArt.h"

inline QDialog* SelectionDialog() {
    return static_cast<QDialog*>(DscCom_Record()->selectDialog);
}

template <typename T> T* Control(QWidget* dialog, int id) {
    return dialog ? dialog->findChild<T*>(QString::number(id)) : nullptr;
}

inline QAbstractButton* GridButton(QWidget* dialog, int index) {
    return Control<QAbstractButton>(dialog, 1000 + index);
}

// What a grid button shows, read back from its pixels.
struct ButtonLook {
    bool picture = false; // something other than the plain face in the thumbnail area
    bool red = false;     // the label is marked selected
    bool icon = false;    // a kind icon is drawn
};

inline ButtonLook Look(QAbstractButton* button) {
    ButtonLook look;
    if (!button)
        return look;
    QImage image = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    DscButtonLayout l = DscArt_Layout(image.width(), image.height());
    QRgb face = DscArt_ButtonFace().pixel(24, 24);
    auto any = [&](const QRect& r, const std::function<bool(QRgb)>& test) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (test(image.pixel(x, y)))
                    return true;
        return false;
    };
    look.picture = any(l.thumbArea, [&](QRgb p) { return p != face; });
    look.red = image.pixel(l.label.left() + 1, l.label.top() + 1) == qRgb(255, 0, 0);
    look.icon = any(l.icon, [&](QRgb p) { return p != face; });
    return look;
}

// Accepts the folder browser and fills the transfer path dialog with folder, as a user would.
struct TransferPathAnswerer {
    QTimer timer;
    std::string folder;
    int browsers = 0, pathDialogs = 0;
    explicit TransferPathAnswerer(const std::string& target) : folder(target) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] { poke(); });
        timer.start();
    }
    void poke() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (modal->objectName() == QLatin1String("VOKBROWSE")) {
            if (auto* ok = modal->findChild<QAbstractButton*>(QStringLiteral("okButton"))) {
                ++browsers;
                ok->click();
            }
        } else if (modal->objectName() == QLatin1String("VOKDLGCOM_FOLDER_STATUS")) {
            auto* edit = Control<QLineEdit>(modal, 1034);
            auto* ok = Control<QPushButton>(modal, 1);
            if (edit && ok) {
                ++pathDialogs;
                edit->setText(QString::fromStdString(folder));
                ok->click();
            }
        }
    }
};

#endif
