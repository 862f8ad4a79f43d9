/* The bridge: the only place where qubex calls the suite's libraries (message catalogue,
 * settings store, camera connection). Returned blocks get owners, catalogue texts get their
 * fields filled, and the connection library's notifications become calls of one Qt-side
 * handler on the user-interface thread. */
#ifndef QUBEX_BRIDGE_H
#define QUBEX_BRIDGE_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qubex::bridge {

/* ---- Message catalogue ---- */
/* The active language code (1 French, 2 German, 4 English). */
int Language();
/* Catalogue text number in the current language. */
std::string Text(int number);
/* The text with its "%s" fields filled in order (never used as a printf format). */
std::string TextWith(int number, const std::string& field);
/* The catalogue's boxes, with the product name as caption; owner is a QWidget* or null. */
int ShowError(void* owner, int number, const std::string& caption);
int ShowMessage(void* owner, int number, const std::string& caption);
int ShowQuery(void* owner, int number, const std::string& caption);
/* A box of the catalogue's kind 0 (error) with a text built by the caller from entry number. */
int ShowErrorText(void* owner, int number, const std::string& text, const std::string& caption);
/* Yes, No and Cancel with the warning icon (a save prompt filled by the caller): 6 yes, 7 no,
 * 2 cancel. */
int AskYesNoCancel(void* owner, int number, const std::string& text, const std::string& caption);
/* true when a query box was answered Yes. */
bool QueryYes(void* owner, int number, const std::string& caption);

/* ---- The shared settings key ---- */
/* Active = 1 and APP_HANDLE = pid under Event_App (an event start or an open connection). */
void MarkActive(long long pid);
/* Active and APP_HANDLE back to 0. */
void ClearActive();
/* Resizeing and Resize_Handle for a mail job started with the Sending Mail command. */
void MarkResizing(bool on, long long pid);
/* A number under Event_App (0 when missing). */
int32_t EventValue(const char* name);

/* ---- The camera connection ---- */
/* What the frame answers to the library's notifications (message, code, value). */
using NotifyFunction = std::function<intptr_t(unsigned message, uintptr_t code, intptr_t value)>;
/* Registers the frame's handler for the connection library's notifications; an empty
 * function removes it. */
void SetNotifyHandler(NotifyFunction handler);
/* SetApplicationInfo with the frame, the product name, the USB link, variant 5 and the ini. */
void SetApplicationInfo(void* frame, const std::string& title, const std::string& iniPath);
/* The automatic download of an event (mode 1 or 2); 0 when the connection could not start. */
int DownloadForEvent(int event);
/* Releases the camera's button after an event start that cannot go on. */
void ResetButtonStatus();
/* Data in from Camera: the library's selection dialog. */
void DownloadPicked();
/* Data out to Camera with the chosen files, in sending order; the prepared copies the
 * owner named in the records, which the caller removes. */
std::vector<std::string> Upload(const std::vector<std::string>& paths);
/* Clock Setup: the library's clock dialog. */
void ClockSetup();
/* The full path of the file the library wrote last (empty when none). */
std::string LastWrittenPath();

/* What the owner answers to the upload's kind question (WM_DSC_QUERYFILE 9), for the upload
 * record the library handed over: the shared preparation of pictures, or of a movie with its
 * first picture (a packed bitmap) and whether it is a motion movie and has sound. */
int PrepareUploadPicture(intptr_t record, const std::string& tempFolder);
int PrepareUploadMovie(intptr_t record, const std::string& tempFolder,
                       const std::vector<uint8_t>& still, bool motion, bool sound);
/* The path the user chose in an upload record. */
std::string UploadRecordPath(intptr_t record);

/* ---- Image coding ---- */
/* Told the rows done of rows after each row; false stops the coding. */
using RowsFunction = std::function<bool(uint32_t done, uint32_t rows)>;
enum class Coded { Done, CannotOpen, Failed, Stopped };
/* The JPEG decoded into a 24-bit BMP file (written whole or not at all). CannotOpen when the
 * file cannot be read or the decoder cannot start on it; Failed when decoding or writing
 * fails. */
Coded DecodeJpegToBmp(const std::string& jpegPath, const std::string& bmpPath,
                      const RowsFunction& rows);
/* The BMP file compressed to a JPEG file at quality with the sampling text. CannotOpen when
 * the BMP cannot be read. */
Coded CompressBmpToJpeg(const std::string& bmpPath, const std::string& jpegPath, int quality,
                        const std::string& sampling, const RowsFunction& rows);

/* ---- Album pictures ---- */
/* The day an album shows for an image file: for a JPEG its Exif date, else the file's
 * last-write day; none (false) for any other file. */
bool ImageDate(const char* path, int* year, int* month, int* day);
/* The JPEG decoded at libjpeg's smallest scale still covering minWidth x minHeight, as a
 * 24-bit packed bitmap, with the picture's full size; empty on any failure. */
std::vector<uint8_t> JpegScaledDib(const char* path, uint32_t minWidth, uint32_t minHeight,
                                   uint32_t* width, uint32_t* height);
/* The packed bitmap written as a camera-form Exif JPEG whose Model is model and whose maker
 * note is maker and the two bytes. */
bool SaveCameraJpeg(const std::vector<uint8_t>& dib, const std::string& path,
                    const std::string& model, const std::string& maker, uint8_t byte1,
                    uint8_t byte2);

/* ---- Image windows ---- */
/* The JPEG decoded whole into a 24-bit packed bitmap in memory, with the rows reported. */
Coded DecodeJpeg(const std::string& jpegPath, std::vector<uint8_t>* dib, const RowsFunction& rows);
/* The picture's full size from the JPEG's frame header; false when it has none. */
bool JpegSize(const std::string& jpegPath, uint32_t* width, uint32_t* height);
/* A plain JPEG turned into the final Exif JPEG at target (written whole or not at all). */
bool SaveAsExif(const std::string& jpegPath, const std::string& targetPath);
/* A bitmap written as a TIFF file by the image library (written whole or not at all). */
bool SaveAsTiff(const std::vector<uint8_t>& dib, const std::string& targetPath);

/* A block the libraries hand over that the caller frees with free(). */
struct FreeDeleter {
    void operator()(void* p) const;
};
template <class T> using Owned = std::unique_ptr<T, FreeDeleter>;

} // namespace qubex::bridge

#endif
