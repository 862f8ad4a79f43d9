/* The image information dialog (Exif_Dialog): eight read-only fields filled from the
 * file's record, dates in display form, sizes only when known; clicking into a field
 * selects nothing. The texts come from plain functions that tests call directly. */
#include "img_internal.h"
#include "img_write.h"

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

QLineEdit* read_only_field(const std::string& text, const char* name, QWidget* parent) {
    QLineEdit* field = new QLineEdit(QString::fromStdString(text), parent);
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

VOK_EXTERN_C int ShowImageInfoDialog(VokOwner owner, void* module, const char* path) {
    (void)module;
    std::string fields[8];
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()) ||
        !vokimg::exif_dialog_fields(path, fields))
        return 0;
    QWidget* parent = vokc::LiveWidget(owner);
    const char* const* labels = vokimg::exif_dialog_labels();
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
