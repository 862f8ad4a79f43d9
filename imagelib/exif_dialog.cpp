/* The image information dialog (Exif_Dialog), in the image library's widget plugin: eight
 * read-only fields; clicking into a field selects nothing. The library hands over the texts,
 * made by plain functions that tests call directly. */
#include "VokExifUi.h"

#include "vok_owner.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Names of the fields, as tests and the host find them.
const char* const kFieldNames[8] = {"FileName", "Location", "Manufacture", "Model",
                                    "Created",  "Modified", "ImageWidth",  "ImageHeight"};

QLineEdit* read_only_field(const char* text, const char* name, QWidget* parent) {
    QLineEdit* field = new QLineEdit(QString::fromUtf8(text ? text : ""), parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setCursorPosition(0);
    QObject::connect(field, &QLineEdit::selectionChanged, field, [field] {
        if (field->hasSelectedText())
            field->deselect();
    });
    return field;
}

} // namespace

extern "C" int VokExifUi_ShowInfoDialog(VokOwner owner, const char* const labels[10],
                                        const char* const fields[8]) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) || !labels || !fields)
        return 0;
    QWidget* parent = vokc::LiveWidget(owner);
    QDialog dialog(parent);
    dialog.setObjectName("Exif_Dialog");
    dialog.setWindowTitle(QString::fromUtf8(labels[0]));
    QVBoxLayout* layout = new QVBoxLayout(&dialog);
    QFormLayout* form = new QFormLayout;
    for (int i = 0; i < 8; ++i)
        form->addRow(QString::fromUtf8(labels[i + 1]),
                     read_only_field(fields[i], kFieldNames[i], &dialog));
    layout->addLayout(form);
    QDialogButtonBox* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8(labels[9]));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.resize(420, dialog.sizeHint().height());
    // OK and Cancel (Escape, closing the window) both end the dialog normally.
    dialog.exec();
    return 1;
}
