/* The meter runs of JPEG decoding and compression: the coding itself is the bridge's, this
 * file keeps the interface alive and shows where it is. */
#include "jpeg_meter.h"

#include "camera_commands.h"

#include "bridge.h"
#include "commands.h"
#include "meter_dialog.h"
#include "program_strings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>

#include <memory>

namespace qubex {

namespace {

/* Runs one coding with the meter; returns the coding's result. */
bridge::Coded RunWithMeter(QWidget* frame, int message, const QString& displayName,
                           QWidget* cameraDialog,
                           const std::function<bridge::Coded(const bridge::RowsFunction&)>& code) {
    QPointer<QProgressBar> cameraBar;
    if (cameraDialog && cameraDialog->isVisible())
        cameraBar = cameraDialog->findChild<QProgressBar*>();
    std::unique_ptr<MeterDialog> meter;
    QPointer<QWidget> owner(frame);
    if (owner)
        owner->setEnabled(false);
    if (cameraBar) {
        cameraBar->setRange(0, 25);
        cameraBar->setValue(0);
    } else {
        meter = std::make_unique<MeterDialog>(
            frame, QString::fromStdString(ProgramText(STR_PRODUCT, bridge::Language())));
        // A window is not held back by its disabled owner.
        meter->setEnabled(true);
        meter->setProperty("vokSelfClosing", true);
        meter->SetTexts(message, displayName);
        meter->SetRows(0, 1);
        meter->show();
    }
    const bridge::RowsFunction rows = [&](uint32_t done, uint32_t total) {
        if (meter)
            meter->SetRows(done, total);
        else if (cameraBar)
            cameraBar->setValue(MeterPosition(done, total));
        // Input stays queued until the coding ends; a quit request is left to the main loop,
        // which this nested dispatch does not consume.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    };
    const bridge::Coded result = code(rows);
    meter.reset();
    if (owner) {
        owner->setEnabled(true);
        owner->activateWindow();
        owner->setFocus();
    }
    return result;
}

bool Report(QWidget* frame, bridge::Coded result) {
    if (result == bridge::Coded::Done)
        return true;
    const std::string caption = ProgramText(STR_PRODUCT, bridge::Language());
    bridge::ShowError(
        frame, result == bridge::Coded::CannotOpen ? MSG_OPEN_FAILED : MSG_BITMAP_FAILED, caption);
    return false;
}

} // namespace

bool ExtractJpegToBmp(QWidget* frame, const QString& jpegPath, const QString& bmpPath,
                      const QString& displayName, QWidget* cameraDialog) {
    const std::string jpeg = jpegPath.toStdString();
    const std::string bmp = bmpPath.toStdString();
    // The camera library's progress dialog, while it shows, is the meter unless one is given.
    if (!cameraDialog)
        cameraDialog = camera::LibraryDialog();
    return Report(frame, RunWithMeter(frame, MSG_EXTRACTING, displayName, cameraDialog,
                                      [&](const bridge::RowsFunction& rows) {
                                          return bridge::DecodeJpegToBmp(jpeg, bmp, rows);
                                      }));
}

bool ExtractJpegToDib(QWidget* frame, const QString& jpegPath, const QString& displayName,
                      std::vector<uint8_t>* dib) {
    const std::string jpeg = jpegPath.toStdString();
    return Report(frame, RunWithMeter(frame, MSG_EXTRACTING, displayName, nullptr,
                                      [&](const bridge::RowsFunction& rows) {
                                          return bridge::DecodeJpeg(jpeg, dib, rows);
                                      }));
}

bool CompressBmpToJpeg(QWidget* frame, const QString& bmpPath, const QString& jpegPath, int quality,
                       const QString& displayName, QWidget* cameraDialog) {
    const std::string bmp = bmpPath.toStdString();
    const std::string jpeg = jpegPath.toStdString();
    return Report(frame, RunWithMeter(frame, MSG_COMPRESSING, displayName, cameraDialog,
                                      [&](const bridge::RowsFunction& rows) {
                                          return bridge::CompressBmpToJpeg(bmp, jpeg, quality,
                                                                           "2x1,1x1,1x1", rows);
                                      }));
}

} // namespace qubex
