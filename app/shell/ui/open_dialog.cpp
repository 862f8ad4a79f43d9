/* The File Open dialog with its preview. */
#include "open_dialog.h"

#include "ini_table.h"
#include "program_strings.h"
#include "settings_file.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>

namespace qubex {
namespace {

constexpr int kPreviewSide = 160;

/* The box and the frame beside the file list. */
class Preview : public QObject {
  public:
    Preview(QFileDialog* dialog, int language, int prevOn) : QObject(dialog), dialog_(dialog) {
        box_ = new QCheckBox(QString::fromStdString(ProgramText(STR_PREVIEW, language)), dialog);
        box_->setObjectName("240");
        frame_ = new QLabel(dialog);
        frame_->setObjectName("241");
        frame_->setFixedSize(kPreviewSide, kPreviewSide);
        frame_->setAlignment(Qt::AlignCenter);
        frame_->setFrameShape(QFrame::StyledPanel);
        frame_->setAutoFillBackground(true);
        box_->setCheckState(prevOn ? Qt::PartiallyChecked : Qt::Unchecked);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout())) {
            const int column = grid->columnCount();
            grid->addWidget(box_, 0, column);
            grid->addWidget(frame_, 1, column, 2, 1, Qt::AlignTop);
        }
        connect(box_, &QCheckBox::clicked, this, [this] { Toggle(); });
        connect(dialog, &QFileDialog::currentChanged, this, [this](const QString& path) {
            current_ = path;
            if (box_->checkState() != Qt::Unchecked)
                Show();
        });
        connect(dialog, &QFileDialog::filterSelected, this, [this](const QString&) {
            if (box_->checkState() != Qt::Unchecked)
                Show();
        });
    }
    int State() const {
        switch (box_->checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        default:
            return 0;
        }
    }

  private:
    /* A click toggles between previewing now and off; the third state is the program's. */
    void Toggle() {
        if (last_ == Qt::Unchecked) {
            box_->setCheckState(Qt::Checked);
            Show();
        } else {
            box_->setCheckState(Qt::Unchecked);
            Clear();
        }
        last_ = box_->checkState();
    }
    void Clear() {
        frame_->clear();
        QPalette pal = frame_->palette();
        pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
        frame_->setPalette(pal);
    }
    void Show() {
        QImage image;
        if (!FilterForbidsPreview(dialog_->selectedNameFilter().toStdString()) &&
            QFileInfo(current_).isFile()) {
            QImageReader reader(current_);
            reader.setAutoTransform(false);
            const QSize size = reader.size();
            if (size.isValid())
                reader.setScaledSize(size.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio));
            QApplication::setOverrideCursor(Qt::WaitCursor);
            image = reader.read();
            QApplication::restoreOverrideCursor();
        }
        if (image.isNull()) {
            box_->setCheckState(Qt::PartiallyChecked);
            Clear();
        } else {
            box_->setCheckState(Qt::Checked);
            frame_->setPixmap(QPixmap::fromImage(image));
        }
        last_ = box_->checkState();
    }

    QFileDialog* dialog_;
    QCheckBox* box_;
    QLabel* frame_;
    QString current_;
    Qt::CheckState last_ = Qt::Unchecked;
};

} // namespace

std::optional<OpenChoice> ChooseFileToOpen(QWidget* frame, const SettingsFile& ini, int language,
                                           bool movies, const std::optional<QString>& answer) {
    QString path;
    int prevOn = ini.ReadInt(QUBEX_SEC_APP, "PrevOn", 0);
    if (answer) {
        path = *answer;
    } else {
        const QString folder = QString::fromStdString(
            ini.ReadText(QUBEX_SEC_APP, "dir", QDir::currentPath().toStdString().c_str(), 260));
        QFileDialog dialog(frame);
        dialog.setObjectName("FILEOPEN");
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setOption(QFileDialog::ReadOnly);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setDirectory(folder);
        QStringList filters;
        for (const std::string& f : OpenFilters(language, movies))
            filters << QString::fromStdString(f);
        dialog.setNameFilters(filters);
        auto* preview = new Preview(&dialog, language, prevOn);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        path = dialog.selectedFiles().first();
        prevOn = preview->State();
        ini.WriteInt(QUBEX_SEC_APP, "PrevOn", prevOn);
    }
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    ini.WriteText(QUBEX_SEC_APP, "dir", info.absolutePath().toStdString());
    return OpenChoice{info.absoluteFilePath(), info.fileName()};
}

QStringList ChooseFilesToSend(QWidget* frame, const SettingsFile& ini, int language,
                              const QString& title, const QStringList& filters) {
    QFileDialog dialog(frame, title);
    dialog.setObjectName("FILEOPEN");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setDirectory(QString::fromStdString(
        ini.ReadText(QUBEX_SEC_APP, "dir", QDir::currentPath().toStdString().c_str(), 260)));
    dialog.setNameFilters(filters);
    auto* preview = new Preview(&dialog, language, ini.ReadInt(QUBEX_SEC_APP, "PrevOn", 0));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    ini.WriteInt(QUBEX_SEC_APP, "PrevOn", preview->State());
    return dialog.selectedFiles();
}

} // namespace qubex
