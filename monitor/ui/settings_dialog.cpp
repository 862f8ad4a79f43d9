/* The settings dialog's controls, each with the identifier tests find it by, labelled from the
 * monitor's string table. */
#include "settings_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include <string.h>

#include "VokSHUtil.h"
#include "monitor_strings.h"

namespace qubexmon {
namespace {

template <class W> W* Named(W* widget, int id) {
    widget->setObjectName(QString::number(id));
    return widget;
}

} // namespace

SettingsDialog::SettingsDialog(std::string ownFolder, std::function<void(bool)> onOk, int language)
    : ownFolder_(std::move(ownFolder)), onOk_(std::move(onOk)) {
    auto text = [language](int id) { return QString::fromUtf8(MonString(id, language)); };
    setObjectName("DLG_EVENT_CONFIG");
    setWindowTitle(text(kMonSettingsTitle));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    interruption_ = Named(new QCheckBox(text(kMonInterruption)), 1007);
    layout->addWidget(interruption_);

    auto* folders = new QGridLayout;
    int row = 0;
    auto addFolder = [&](int label, int textId, int browse, int browseId) {
        auto* path = Named(new QLineEdit, textId);
        path->setMinimumWidth(320);
        auto* button = Named(new QPushButton(text(browse)), browseId);
        folders->addWidget(new QLabel(text(label)), row++, 0, 1, 2);
        folders->addWidget(path, row, 0);
        folders->addWidget(button, row++, 1);
        connect(button, &QPushButton::clicked, this, [this, path] { Browse(path); });
        return path;
    };
    application_ = addFolder(kMonApplicationFolder, 1011, kMonBrowseApplication, 1008);
    image_ = addFolder(kMonImageFolder, 1012, kMonBrowseImage, 1009);
    mail_ = addFolder(kMonMailFolder, 1013, kMonBrowseMail, 1010);
    layout->addLayout(folders);

    auto* resizeBox = new QGroupBox;
    auto* resizeLayout = new QHBoxLayout(resizeBox);
    resize_ = Named(new QCheckBox(text(kMonResize)), 1016);
    vga_ = Named(new QRadioButton(text(kMonVga)), 1017);
    qvga_ = Named(new QRadioButton(text(kMonQvga)), 1018);
    resizeLayout->addWidget(resize_);
    resizeLayout->addWidget(vga_);
    resizeLayout->addWidget(qvga_);
    resizeLayout->addStretch();
    layout->addWidget(resizeBox);
    connect(resize_, &QCheckBox::toggled, this, [this](bool on) {
        vga_->setEnabled(on);
        qvga_->setEnabled(on);
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    Named(buttons->button(QDialogButtonBox::Ok), 1)->setText(text(kMonOk));
    Named(buttons->button(QDialogButtonBox::Cancel), 2)->setText(text(kMonCancel));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::Accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    // F1 while the dialog has the focus opens help, once per press.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setAutoRepeat(false);
    connect(f1, &QShortcut::activated, this, &SettingsDialog::HelpRequested);
}

void SettingsDialog::ShowWith(bool interrupted) {
    const MonSettings s = MonReadSettings(ownFolder_);
    interruption_->setChecked(interrupted);
    application_->setText(QString::fromStdString(s.application));
    image_->setText(QString::fromStdString(s.image));
    mail_->setText(QString::fromStdString(s.mail));
    resize_->setChecked(s.flagResize != 0);
    (s.modeResize == 1 ? qvga_ : vga_)->setChecked(true);
    vga_->setEnabled(s.flagResize != 0);
    qvga_->setEnabled(s.flagResize != 0);
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    activateWindow();
}

void SettingsDialog::SetInterrupted(bool interrupted) {
    interruption_->setChecked(interrupted);
}

void SettingsDialog::Browse(QLineEdit* path) {
    char buffer[VOK_MAX_PATH] = {};
    const QByteArray current = path->text().toUtf8();
    strncpy(buffer, current.constData(), sizeof buffer - 1);
    if (VokSHBrowseFolder(this, buffer))
        path->setText(QString::fromUtf8(buffer));
}

void SettingsDialog::Accept() {
    MonSettings s;
    s.application = application_->text().toStdString();
    s.image = image_->text().toStdString();
    s.mail = mail_->text().toStdString();
    s.flagResize = resize_->isChecked() ? 1 : 0;
    s.modeResize = qvga_->isChecked() ? 1 : 0;
    MonWriteSettings(s);
    hide();
    if (onOk_)
        onOk_(interruption_->isChecked());
}

} // namespace qubexmon
