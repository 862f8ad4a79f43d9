/* JPEG decoding into a BMP file and BMP compression into a JPEG file with the meter dialog:
 * the frame takes no input meanwhile, the bar follows the rows, and waiting events other than
 * user input run between rows. */
#ifndef QUBEX_JPEG_METER_H
#define QUBEX_JPEG_METER_H

#include <QString>

#include <cstdint>
#include <vector>

class QWidget;

namespace qubex {

/* When cameraDialog (the connection library's progress dialog; by default the one the
 * library reported) is on screen its progress bar is used and no meter dialog opens. Message 42
 * when the JPEG cannot be opened or the decoder cannot start, 105 when decoding fails; true when
 * the BMP file was written. */
bool ExtractJpegToBmp(QWidget* frame, const QString& jpegPath, const QString& bmpPath,
                      const QString& displayName, QWidget* cameraDialog = nullptr);

/* The same decoding into a packed bitmap in memory, for a window that shows it at once. */
bool ExtractJpegToDib(QWidget* frame, const QString& jpegPath, const QString& displayName,
                      std::vector<uint8_t>* dib);

/* The BMP file compressed at quality with 2x1 sampling. Message 42 when the BMP cannot be
 * read, 105 when compressing or writing fails; true when the JPEG file was written. */
bool CompressBmpToJpeg(QWidget* frame, const QString& bmpPath, const QString& jpegPath, int quality,
                       const QString& displayName, QWidget* cameraDialog = nullptr);

} // namespace qubex

#endif
