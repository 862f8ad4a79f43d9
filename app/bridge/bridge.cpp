/* The bridge's calls into VokDscMsg, VokReged, VokComRT70 and VokExif. */
#include "bridge.h"

#include "VokComRT70.h"
#include "VokDscMsg.h"
#include "VokExif.h"
#include "VokReged.h"
#include "VokSharedKeys.h"

#include "vok_dib.h"
#include "vok_tag_overrides.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qubex::bridge {

void FreeDeleter::operator()(void* p) const {
    std::free(p);
}

int Language() {
    return VokDsc_Msg_Language();
}

std::string Text(int number) {
    char buffer[VOK_MSG_BUFFER] = {};
    VokDsc_Msg_GetString(number, buffer, sizeof buffer);
    return buffer;
}

std::string TextWith(int number, const std::string& field) {
    std::string pattern = Text(number);
    const size_t at = pattern.find("%s");
    if (at != std::string::npos)
        pattern.replace(at, 2, field);
    return pattern;
}

int ShowError(void* owner, int number, const std::string& caption) {
    return VokDsc_Msg_Error(owner, number, caption.c_str());
}

int ShowMessage(void* owner, int number, const std::string& caption) {
    return VokDsc_Msg_Message(owner, number, caption.c_str());
}

int ShowQuery(void* owner, int number, const std::string& caption) {
    return VokDsc_Msg_Query(owner, number, caption.c_str());
}

int ShowErrorText(void* owner, int number, const std::string& text, const std::string& caption) {
    return VokDsc_Msg_Box(owner, VOK_BOX_ERROR, number, text.c_str(), caption.c_str(), 0);
}

int AskYesNoCancel(void* owner, int number, const std::string& text, const std::string& caption) {
    return VokDsc_Msg_Box(owner, VOK_BOX_YESNOCANCEL, number, text.c_str(), caption.c_str(),
                          VOK_MB_ICONWARNING);
}

bool QueryYes(void* owner, int number, const std::string& caption) {
    return VokDsc_Msg_Query(owner, number, caption.c_str()) == VOK_IDYES;
}

namespace {

void SetEventNumber(const char* name, int32_t value) {
    // A failing write is ignored: the monitor treats a stale value as such.
    VokReg_Set_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, name, VOK_REG_NUMBER, &value);
}

NotifyFunction& Handler() {
    static NotifyFunction handler;
    return handler;
}

intptr_t Forward(void*, unsigned message, uintptr_t code, intptr_t value) {
    const NotifyFunction& handler = Handler();
    return handler ? handler(message, code, value) : 0;
}

} // namespace

void MarkActive(long long pid) {
    SetEventNumber(VOK_VALUE_ACTIVE, 1);
    SetEventNumber(VOK_VALUE_APP_HANDLE, static_cast<int32_t>(pid));
}

void ClearActive() {
    SetEventNumber(VOK_VALUE_ACTIVE, 0);
    SetEventNumber(VOK_VALUE_APP_HANDLE, 0);
}

void MarkResizing(bool on, long long pid) {
    SetEventNumber(VOK_VALUE_RESIZING, on ? 1 : 0);
    SetEventNumber(VOK_VALUE_RESIZE_HANDLE, on ? static_cast<int32_t>(pid) : 0);
}

int32_t EventValue(const char* name) {
    int32_t value = 0;
    VokReg_Query_KeyValue(VOK_KEY_PATH, VOK_SUBKEY_EVENT, name, VOK_REG_NUMBER, &value);
    return value;
}

void SetNotifyHandler(NotifyFunction handler) {
    Handler() = std::move(handler);
    VokDscCom_SetNotifyHandler(Handler() ? Forward : nullptr, nullptr);
}

void SetApplicationInfo(void* frame, const std::string& title, const std::string& iniPath) {
    VokDscCom_SetApplicationInfo(frame, title.c_str(), 1, 5, iniPath.c_str());
}

int DownloadForEvent(int event) {
    return VokDscCom_RT70_DSC2PC(event == 2 ? 2 : 1);
}

void ResetButtonStatus() {
    VokDscCom_ResetButtonStatus();
}

void DownloadPicked() {
    VokDscCom_RT70_DSC2PC(0);
}

std::vector<std::string> Upload(const std::vector<std::string>& paths) {
    std::vector<VokUploadRecord> records(paths.size());
    for (size_t i = 0; i < paths.size(); ++i) {
        std::memset(&records[i], 0, sizeof records[i]);
        std::snprintf(records[i].pathA, sizeof records[i].pathA, "%s", paths[i].c_str());
    }
    if (!records.empty())
        VokDscCom_RT70_PC2DSC(static_cast<int32_t>(records.size()), records.data());
    std::vector<std::string> companions;
    for (const VokUploadRecord& r : records)
        if (r.pathB[0])
            companions.emplace_back(r.pathB, strnlen(r.pathB, sizeof r.pathB));
    return companions;
}

void ClockSetup() {
    VokDscCom_RT70_TimeSetup();
}

std::string LastWrittenPath() {
    char path[VOK_MAX_PATH] = {};
    VokComUtil_CopyStructData(path, 1);
    return path;
}

int PrepareUploadPicture(intptr_t record, const std::string& tempFolder) {
    return VokDscCom_PrepareUploadFile(reinterpret_cast<VokUploadRecord*>(record),
                                       tempFolder.c_str());
}

int PrepareUploadMovie(intptr_t record, const std::string& tempFolder,
                       const std::vector<uint8_t>& still, bool motion, bool sound) {
    return VokDscCom_PrepareUploadMovie(
        reinterpret_cast<VokUploadRecord*>(record), tempFolder.c_str(), still.data(),
        static_cast<uint32_t>(still.size()), motion ? 1 : 0, sound ? 1 : 0);
}

std::string UploadRecordPath(intptr_t record) {
    const auto* r = reinterpret_cast<const VokUploadRecord*>(record);
    return r ? std::string(r->pathA, strnlen(r->pathA, sizeof r->pathA)) : std::string();
}

namespace {

int ReportRows(void* context, uint32_t done, uint32_t rows) {
    const RowsFunction& report = *static_cast<const RowsFunction*>(context);
    return !report || report(done, rows) ? 1 : 0;
}

Coded FromLibrary(int result) {
    switch (result) {
    case VOK_IMG_CODEC_DONE:
        return Coded::Done;
    case VOK_IMG_CODEC_CANNOT_OPEN:
        return Coded::CannotOpen;
    case VOK_IMG_CODEC_CANCELLED:
        return Coded::Stopped;
    default:
        return Coded::Failed;
    }
}

struct BlockDeleter {
    void operator()(VokImgBlock* block) const { VokImg_FreeBlock(block); }
};

} // namespace

Coded DecodeJpegToBmp(const std::string& jpegPath, const std::string& bmpPath,
                      const RowsFunction& rows) {
    VokImgBlock* raw = nullptr;
    const Coded result = FromLibrary(VokImg_Jpeg_ReadDIBProgress(jpegPath.c_str(), &raw, ReportRows,
                                                                 const_cast<RowsFunction*>(&rows)));
    std::unique_ptr<VokImgBlock, BlockDeleter> dib(raw);
    if (result != Coded::Done)
        return result;
    return SaveThumbNail(dib.get(), bmpPath.c_str()) ? Coded::Done : Coded::Failed;
}

Coded CompressBmpToJpeg(const std::string& bmpPath, const std::string& jpegPath, int quality,
                        const std::string& sampling, const RowsFunction& rows) {
    std::unique_ptr<VokImgBlock, BlockDeleter> dib(VokImg_ReadBmpFile(bmpPath.c_str()));
    if (!dib)
        return Coded::CannotOpen;
    return FromLibrary(VokImg_Jpeg_SaveDIBProgress(dib.get(), jpegPath.c_str(), quality,
                                                   sampling.c_str(), ReportRows,
                                                   const_cast<RowsFunction*>(&rows)));
}

bool ImageDate(const char* path, int* year, int* month, int* day) {
    // Only a file with a JPEG header has a date; the header read also classifies it, and an
    // Exif file's record comes from the same bytes.
    std::unique_ptr<VokImgBlock, BlockDeleter> header(GetJpegHeaderFromFile(path));
    if (!header)
        return false;
    const int cls = CheckJpegHeaderFormat(header.get());
    ExifDate date{};
    bool found = false;
    if (cls == VOK_JPEG_CLASS_EXIF || cls == VOK_JPEG_CLASS_CIFF_EXIF) {
        std::unique_ptr<VokImgBlock, BlockDeleter> exif(GetExifDataFromJpegHeader(header.get()));
        ImageInfo info{};
        // The record's date counts even when the block has no interoperability index.
        if (exif) {
            Get_Exif_Info_Sub(exif.get(), &info);
            found = SetStructExifDate(info, &date) != 0;
        }
    }
    if (!found && !Get_Image_Time_Stamp2(path, &date, nullptr))
        return false;
    *year = date.year;
    *month = date.month;
    *day = date.day;
    return true;
}

std::vector<uint8_t> JpegScaledDib(const char* path, uint32_t minWidth, uint32_t minHeight,
                                   uint32_t* width, uint32_t* height) {
    std::vector<uint8_t> dib;
    std::unique_ptr<VokImgBlock, BlockDeleter> block(
        VokImg_Jpeg_ReadScaledDIB(path, minWidth, minHeight, width, height));
    if (block)
        dib.assign(block->data, block->data + block->size);
    return dib;
}

bool SaveCameraJpeg(const std::vector<uint8_t>& dib, const std::string& path,
                    const std::string& model, const std::string& maker, uint8_t byte1,
                    uint8_t byte2) {
    if (dib.size() < vokc::kDibHeaderSize || dib.size() > UINT32_MAX)
        return false;
    ExifTagEntry overrides[2];
    vokc::MakeTagOverrides(overrides, model.c_str(), maker.c_str(), byte1, byte2);
    std::vector<uint8_t> copy = dib;
    const VokImgBlock block = {copy.data(), static_cast<uint32_t>(copy.size())};
    return VokImg_Jpeg_CreateAndSaveFromDIB(&block, path.c_str(), overrides, 2, 0) != 0;
}

namespace {

void TakeBlock(std::unique_ptr<VokImgBlock, BlockDeleter> block, std::vector<uint8_t>* out) {
    out->assign(block->data, block->data + block->size);
}

} // namespace

Coded DecodeJpeg(const std::string& jpegPath, std::vector<uint8_t>* dib, const RowsFunction& rows) {
    VokImgBlock* raw = nullptr;
    const Coded result = FromLibrary(VokImg_Jpeg_ReadDIBProgress(jpegPath.c_str(), &raw, ReportRows,
                                                                 const_cast<RowsFunction*>(&rows)));
    std::unique_ptr<VokImgBlock, BlockDeleter> block(raw);
    if (result == Coded::Done && block)
        TakeBlock(std::move(block), dib);
    return result;
}

bool JpegSize(const std::string& jpegPath, uint32_t* width, uint32_t* height) {
    JpegFrameInfo frame{};
    if (!Get_Jpeg_HvSamp_Main(jpegPath.c_str(), &frame) || frame.width == 0 || frame.height == 0)
        return false;
    *width = frame.width;
    *height = frame.height;
    return true;
}

bool SaveAsExif(const std::string& jpegPath, const std::string& targetPath) {
    return ChangeFormatToExifAndSave(jpegPath.c_str(), targetPath.c_str(), nullptr, 0) ==
           VOK_IMG_WRITTEN;
}

bool SaveAsTiff(const std::vector<uint8_t>& dib, const std::string& targetPath) {
    if (dib.size() > UINT32_MAX)
        return false;
    VokImgBlock block{const_cast<unsigned char*>(dib.data()), uint32_t(dib.size())};
    return VokImg_Tiff_CreateTiffAndSave(&block, targetPath.c_str(), nullptr, 0) != 0;
}

} // namespace qubex::bridge
