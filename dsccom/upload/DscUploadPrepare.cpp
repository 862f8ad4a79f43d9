// Preparing a file for the camera, the owner's answer to the upload's kind question: a
// camera-ready JPEG goes as it is, any other JPEG becomes a camera-form copy, an RGB TIFF goes
// with a camera-form still, and a movie with the still of its first picture.
// The image library is loaded by file name when first needed and bound by name, so that the
// connection library never loads it at start.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "DscGuard.h"
#include "DscUpload.h"
#include "VokExif.h"
#include "vok_bytes.h"
#include "vok_dl.h"
#include "tiff_reader.h"
#include "vok_tag_overrides.h"

namespace {

const char kImageLibrary[] = "libVokExif.so";
const char kProductName[] = "qubex";
const uint32_t kCameraWidth = 2048;
const uint32_t kCameraHeight = 1536;
const uint32_t kOrientationTag = 274;

struct ImageLibrary {
    int (*IsImageFileType)(const char*);
    int (*VokImg_IsCameraReady)(const char*);
    int (*Get_Normal_Jpeg_Format)(const char*, ImageInfo*);
    int (*VokImg_Tiff_GetTagInfo)(const char*, ImageInfo*);
    VokImgBlock* (*GetExifDataFromFile)(const char*);
    int (*GetExif_MemberData)(const VokImgBlock*, uint32_t, uint32_t, int, char*, uint32_t,
                              uint32_t*);
    int (*ChangeFormatToExifAndSave_Size)(const char*, const char*, const ExifTagEntry*, uint32_t,
                                          uint32_t, uint32_t);
    VokImgBlock* (*VokImg_Jpeg_ReadDIB)(const char*);
    VokImgBlock* (*CreateAdjustSizeToDSC)(const VokImgBlock*, uint32_t, uint32_t, uint32_t,
                                          uint32_t);
    int (*VokImg_Jpeg_CreateAndSaveFromDIB)(const VokImgBlock*, const char*, const ExifTagEntry*,
                                            uint32_t, int);
    void (*VokImg_FreeBlock)(VokImgBlock*);
};

// The library stays loaded for the life of the process once bound.
const ImageLibrary* imageLibrary() {
    static ImageLibrary lib;
    static int state = 0; // 0 not tried, 1 bound, -1 failed
    if (state)
        return state > 0 ? &lib : nullptr;
    void* module =
        vokc::OpenBeside(reinterpret_cast<void*>(&VokDscCom_PrepareUploadFile), kImageLibrary);
    if (!module)
        module = dlopen(kImageLibrary, RTLD_NOW | RTLD_LOCAL);
    bool ok =
        module && vokc::Bind(module, "IsImageFileType", lib.IsImageFileType) &&
        vokc::Bind(module, "VokImg_IsCameraReady", lib.VokImg_IsCameraReady) &&
        vokc::Bind(module, "Get_Normal_Jpeg_Format", lib.Get_Normal_Jpeg_Format) &&
        vokc::Bind(module, "VokImg_Tiff_GetTagInfo", lib.VokImg_Tiff_GetTagInfo) &&
        vokc::Bind(module, "GetExifDataFromFile", lib.GetExifDataFromFile) &&
        vokc::Bind(module, "GetExif_MemberData", lib.GetExif_MemberData) &&
        vokc::Bind(module, "ChangeFormatToExifAndSave_Size", lib.ChangeFormatToExifAndSave_Size) &&
        vokc::Bind(module, "VokImg_Jpeg_ReadDIB", lib.VokImg_Jpeg_ReadDIB) &&
        vokc::Bind(module, "CreateAdjustSizeToDSC", lib.CreateAdjustSizeToDSC) &&
        vokc::Bind(module, "VokImg_Jpeg_CreateAndSaveFromDIB",
                   lib.VokImg_Jpeg_CreateAndSaveFromDIB) &&
        vokc::Bind(module, "VokImg_FreeBlock", lib.VokImg_FreeBlock);
    state = ok ? 1 : -1;
    return ok ? &lib : nullptr;
}

// Size of a regular file that fits the record's 32-bit field, else false.
bool regularSize(const char* path, uint32_t* size) {
    struct stat st;
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
        static_cast<uint64_t>(st.st_size) > 0xFFFFFFFFull)
        return false;
    *size = static_cast<uint32_t>(st.st_size);
    return true;
}

// Maker bytes of the camera form: what the still stands for.
const uint8_t kMakerPicture = 0;
const uint8_t kMakerTiffStill = 6;
const uint8_t kMakerMotionStill = 5;
const char kMakerText[] = "VOKD";

bool newTempFile(const char* folder, char* path) {
    const char* base = folder && *folder ? folder : getenv("TMPDIR");
    if (!base || !*base)
        base = "/tmp";
    int n = snprintf(path, VOK_MAX_PATH, "%s/VOKXXXXXX", base);
    if (n <= 0 || n >= VOK_MAX_PATH)
        return false;
    int fd = mkostemp(path, O_CLOEXEC);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

uint32_t orientationOf(const ImageLibrary& lib, const char* path) {
    uint32_t value = 1;
    VokImgBlock* exif = lib.GetExifDataFromFile(path);
    if (exif && !lib.GetExif_MemberData(exif, kOrientationTag, 3, 1, nullptr, 0, &value))
        value = 1;
    lib.VokImg_FreeBlock(exif);
    return value;
}

// A bitmap of our own into the camera form: fitted or padded, then written with its tags.
bool writeBitmap(const ImageLibrary& lib, std::vector<uint8_t>& dib, const char* dst,
                 const ExifTagEntry overrides[2]) {
    uint32_t width = vokc::GetLe32(dib.data() + 4);
    uint32_t height = vokc::GetLe32(dib.data() + 8);
    VokImgBlock block = {dib.data(), static_cast<uint32_t>(dib.size())};
    bool fit = !DscUpload_WithinCameraSize(width, height);
    VokImgBlock* sized = lib.CreateAdjustSizeToDSC(&block, height, width, fit ? kCameraWidth : 0,
                                                   fit ? kCameraHeight : 0);
    bool ok = sized && lib.VokImg_Jpeg_CreateAndSaveFromDIB(sized, dst, overrides, 2, 0) != 0;
    lib.VokImg_FreeBlock(sized);
    return ok;
}

bool convertJpeg(const ImageLibrary& lib, const char* src, const char* dst,
                 const ExifTagEntry overrides[2]) {
    ImageInfo info;
    memset(&info, 0, sizeof info);
    if (!lib.Get_Normal_Jpeg_Format(src, &info))
        return false;
    uint32_t orientation = orientationOf(lib, src);
    if (orientation >= 2 && orientation <= 8) {
        // The camera form has no orientation tag: the pixels themselves are turned upright.
        VokImgBlock* decoded = lib.VokImg_Jpeg_ReadDIB(src);
        std::vector<uint8_t> upright;
        bool ok = decoded && DscDib_Orient(decoded->data, decoded->size,
                                           static_cast<int>(orientation), &upright);
        lib.VokImg_FreeBlock(decoded);
        return ok && writeBitmap(lib, upright, dst, overrides);
    }
    bool fit = !DscUpload_WithinCameraSize(info.width, info.height);
    return lib.ChangeFormatToExifAndSave_Size(src, dst, overrides, 2, fit ? kCameraWidth : 0,
                                              fit ? kCameraHeight : 0) == VOK_IMG_WRITTEN;
}

bool acceptableTiff(const ImageLibrary& lib, const char* path) {
    ImageInfo info;
    memset(&info, 0, sizeof info);
    lib.VokImg_Tiff_GetTagInfo(path, &info);
    return DscUpload_WithinCameraSize(info.width, info.height) &&
           (info.compression == 1 || info.compression == 32771) && info.photometric == 2;
}

// The program's TIFF reader, the one the image windows open TIFF files with.
bool convertTiff(const ImageLibrary& lib, const char* src, const char* dst,
                 const ExifTagEntry overrides[2]) {
    qubex::image::DibResult tiff = qubex::image::ReadTiffFile(src);
    return tiff.ok() && writeBitmap(lib, tiff.dib, dst, overrides);
}

} // namespace

int32_t VokDscCom_PrepareUploadFile(VokUploadRecord* r, const char* tempFolder) {
    return DscCom_Guarded<int32_t>(DSC_UPLOAD_SKIP, [&]() -> int32_t {
        if (!r)
            return DSC_UPLOAD_SKIP;
        r->pathA[VOK_MAX_PATH - 1] = 0;
        r->sizeA = r->sizeB = 0;
        r->pathB[0] = 0;
        const ImageLibrary* lib = imageLibrary();
        uint32_t size = 0;
        if (!lib || !regularSize(r->pathA, &size))
            return DSC_UPLOAD_SKIP;
        int type = lib->IsImageFileType(r->pathA);
        bool jpeg =
            type == VOK_IMG_KIND_EXIF || type == VOK_IMG_KIND_CIFF || type == VOK_IMG_KIND_JPEG;
        if (!jpeg && (type != VOK_IMG_KIND_TIFF || !acceptableTiff(*lib, r->pathA)))
            return DSC_UPLOAD_SKIP;
        r->sizeA = size;
        if (type == VOK_IMG_KIND_EXIF && lib->VokImg_IsCameraReady(r->pathA))
            return DSC_UPLOAD_A;
        char temp[VOK_MAX_PATH];
        if (!newTempFile(tempFolder, temp)) {
            r->sizeA = 0;
            return DSC_UPLOAD_SKIP;
        }
        // A TIFF goes whole, after a still that the camera shows for it.
        ExifTagEntry overrides[2];
        vokc::MakeTagOverrides(overrides, kProductName, kMakerText,
                               jpeg ? kMakerPicture : kMakerTiffStill, 0);
        bool ok = jpeg ? convertJpeg(*lib, r->pathA, temp, overrides)
                       : convertTiff(*lib, r->pathA, temp, overrides);
        uint32_t converted = 0;
        if (!ok || !regularSize(temp, &converted)) {
            unlink(temp);
            r->sizeA = 0;
            return DSC_UPLOAD_SKIP;
        }
        snprintf(r->pathB, sizeof r->pathB, "%s", temp);
        r->sizeB = converted;
        return jpeg ? DSC_UPLOAD_B : DSC_UPLOAD_TIFF;
    });
}

int32_t VokDscCom_PrepareUploadMovie(VokUploadRecord* r, const char* tempFolder, const void* still,
                                     uint32_t stillSize, int32_t motion, int32_t sound) {
    return DscCom_Guarded<int32_t>(DSC_UPLOAD_SKIP, [&]() -> int32_t {
        if (!r)
            return DSC_UPLOAD_SKIP;
        r->pathA[VOK_MAX_PATH - 1] = 0;
        r->sizeA = r->sizeB = 0;
        r->pathB[0] = 0;
        const ImageLibrary* lib = imageLibrary();
        uint32_t size = 0;
        if (!lib || !still || stillSize < 40 || !regularSize(r->pathA, &size))
            return DSC_UPLOAD_SKIP;
        char temp[VOK_MAX_PATH];
        if (!newTempFile(tempFolder, temp))
            return DSC_UPLOAD_SKIP;
        ExifTagEntry overrides[2];
        vokc::MakeTagOverrides(overrides, kProductName, kMakerText,
                               motion ? kMakerMotionStill : kMakerPicture, sound ? 1 : 0);
        const uint8_t* bytes = static_cast<const uint8_t*>(still);
        std::vector<uint8_t> dib(bytes, bytes + stillSize);
        uint32_t written = 0;
        if (!writeBitmap(*lib, dib, temp, overrides) || !regularSize(temp, &written)) {
            unlink(temp);
            return DSC_UPLOAD_SKIP;
        }
        r->sizeA = size;
        snprintf(r->pathB, sizeof r->pathB, "%s", temp);
        r->sizeB = written;
        return DSC_UPLOAD_MOVIE;
    });
}
