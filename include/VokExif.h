/* VokExif: the image file library. This header is its whole contract. The reading side
 * recognises image files, cuts JPEG headers, walks JPEG markers and TIFF/Exif directories,
 * reads CIFF heaps, frame layouts, Huffman tables and dates; later sections add writing. */
#ifndef VOK_EXIF_H
#define VOK_EXIF_H

#include "VokPlatform.h"

/* Kinds of image files (IsImageFileType). */
#define VOK_IMG_KIND_NONE 0 /* not recognised, or unreadable */
#define VOK_IMG_KIND_EXIF 1 /* JPEG with an Exif APP1 and no CIFF APP0 */
#define VOK_IMG_KIND_CIFF 2 /* JPEG whose APP0 is a CIFF heap, without Exif */
#define VOK_IMG_KIND_JPEG 3 /* plain JPEG */
#define VOK_IMG_KIND_BMP 4  /* Windows bitmap */
#define VOK_IMG_KIND_TIFF 5 /* TIFF, "II" or "MM" */

/* Classes of JPEG headers (CheckJpegHeaderFormat). */
#define VOK_JPEG_CLASS_NONE (-1)   /* no SOI, or unreadable */
#define VOK_JPEG_CLASS_CIFF 0      /* CIFF without Exif */
#define VOK_JPEG_CLASS_EXIF 1      /* Exif without CIFF */
#define VOK_JPEG_CLASS_PLAIN 2     /* neither */
#define VOK_JPEG_CLASS_CIFF_EXIF 3 /* both */

/* ImageInfo.thumbnailState when the Exif data holds no thumbnail pointer. */
#define VOK_IMG_NO_THUMBNAIL 999

/* Capacity of the text fields of ImageInfo, terminator included. */
#define VOK_IMG_TEXT 100

/* Frame layout of a JPEG: eleven 32-bit words. sampling holds h1 v1 h2 v2 h3 v3 h4 v4;
 * the words of absent components stay 0, components beyond the fourth are not recorded. */
typedef struct JpegFrameInfo {
    uint32_t width;
    uint32_t height;
    uint32_t components;
    uint32_t sampling[8];
} JpegFrameInfo;

/* The facts of one image file, in the order and widths of the record. */
typedef struct ImageInfo {
    uint32_t width;
    uint32_t height;
    char dateTaken[VOK_IMG_TEXT];   /* "YYYY:MM:DD HH:MM:SS" */
    char dateChanged[VOK_IMG_TEXT]; /* Exif DateTime (tag 306) */
    char fileName[VOK_MAX_PATH];    /* name with extension */
    char folder[VOK_MAX_PATH];      /* directory with trailing "/", empty when none given */
    uint32_t kind;                  /* 1 after a good Exif read, 5 after a TIFF read */
    JpegFrameInfo thumbnail;        /* frame of the Exif thumbnail */
    uint32_t compression;           /* TIFF tag 259 */
    uint32_t photometric;           /* TIFF tag 262 */
    char make[VOK_IMG_TEXT];
    char model[VOK_IMG_TEXT];
    char exifVersion[VOK_IMG_TEXT];  /* the four bytes of ExifVersion, e.g. "0220" */
    char interopIndex[VOK_IMG_TEXT]; /* e.g. "R98" */
    uint32_t thumbnailState;         /* VOK_IMG_NO_THUMBNAIL when there is no thumbnail */
} ImageInfo;

/* A calendar day. */
typedef struct ExifDate {
    int32_t year;
    int32_t month;
    int32_t day;
} ExifDate;

/* A memory block: bytes and their count. Blocks returned by the library are one
 * allocation each and belong to the caller, who frees them with VokImg_FreeBlock.
 * A caller may also describe its own bytes with a VokImgBlock (never freed by the library). */
typedef struct VokImgBlock {
    unsigned char* data;
    uint32_t size;
} VokImgBlock;

VOK_BEGIN_DECLS

/* Frees a block returned by this library; a null block is ignored. */
VOK_API void VokImg_FreeBlock(VokImgBlock* block);

/* ---- Files and JPEG headers ---- */

/* Kind of the file at path (VOK_IMG_KIND_*); 0 when it cannot be read. */
VOK_API int IsImageFileType(const char* path);

/* The file's bytes from its start through the start-of-scan marker and its length field;
 * null when the walk finds no start of scan. Reads only the header. */
VOK_API VokImgBlock* GetJpegHeaderFromFile(const char* path);

/* Class of a JPEG header block (VOK_JPEG_CLASS_*). */
VOK_API int CheckJpegHeaderFormat(const VokImgBlock* header);

/* segment points at an APP0 marker with available readable bytes from there on:
 * 1 when the segment is a CIFF heap, else 0. */
VOK_API int CheckCiffFormat(const unsigned char* segment, uint32_t available);

/* segment points at an APP1 marker: 1 when the segment holds "Exif", else 0. */
VOK_API int CheckExifFormat(const unsigned char* segment, uint32_t available);

/* Copy of the first APP1 segment (marker, length and payload) of the file's header, or
 * of a header block; null when there is none. The TIFF header begins 10 bytes in. */
VOK_API VokImgBlock* GetExifDataFromFile(const char* path);
VOK_API VokImgBlock* GetExifDataFromJpegHeader(const VokImgBlock* header);

/* Bytes of a JPEG stream up to and including the first FF D9, or the block size. */
VOK_API uint32_t GetJpegMemoryHandleSize(const VokImgBlock* stream);

/* ---- TIFF and Exif directories ----
 * tiff points at the byte-order mark; dataSize is the number of readable bytes from there.
 * bigEndian is nonzero for "MM". Offsets count from the byte-order mark. fieldType may be
 * null; it receives the entry's own TIFF field type. */

/* Searches directory 0 and its chain, the Exif directory and its chain, then the
 * interoperability directory and its chain; 1 on the first hit with its value's place. */
VOK_API int ScanTargetTag(const unsigned char* tiff, uint32_t tag, int bigEndian, uint32_t dataSize,
                          uint32_t* valueOffset, uint32_t* valueSize, uint32_t* fieldType);

/* Searches one directory; 1 on a hit. On a miss nextIfd receives the offset of the next
 * directory (0 for none). */
VOK_API int ScanIFDFromData(const unsigned char* tiff, uint32_t ifdOffset, uint32_t tag,
                            int bigEndian, uint32_t dataSize, uint32_t* valueOffset,
                            uint32_t* valueSize, uint32_t* fieldType, uint32_t* nextIfd);

/* Up to four bytes as a number in host order (reversed for "MM"). */
VOK_API uint32_t GetDataFromByte(const unsigned char* source, uint32_t length, int bigEndian);

/* The value place of the 12-byte entry at entryOffset: 1 when the value lies outside the
 * entry, 0 when inside, -1 when the entry itself is not within dataSize. */
VOK_API int GetTagDataAddress(const unsigned char* tiff, uint32_t dataSize, uint32_t entryOffset,
                              int bigEndian, uint32_t* valueOffset, uint32_t* valueSize);

/* Reads a value by its entry's field type: types 2 and 7 as text (at most textSize bytes
 * with the terminator; a type 2 value's last byte is dropped only when it is a NUL), 5 and 10 not
 * at all (empty text, number 0), 1 and 6 one byte, 3 and 8 two bytes, others four bytes. text or
 * number may be null. 0 when the value does not lie within dataSize. */
VOK_API int GetTargetTag(const unsigned char* tiff, uint32_t dataSize, uint32_t valueOffset,
                         uint32_t fieldType, uint32_t valueSize, int bigEndian, char* text,
                         uint32_t textSize, uint32_t* number);

/* One tag of an Exif block (isExifBlock nonzero: TIFF header 10 bytes in) or of a whole
 * TIFF file block, found with ScanTargetTag. The entry's own type decides how the value is
 * read; fieldType is kept for callers and not used. */
VOK_API int GetExif_MemberData(const VokImgBlock* block, uint32_t tag, uint32_t fieldType,
                               int isExifBlock, char* text, uint32_t textSize, uint32_t* number);

/* As GetExif_MemberData, but only in the chain of the directory that pointerTag (34665)
 * of directory 0 points to. */
VOK_API int GetExif_MemberData_ExifIFD(const VokImgBlock* block, uint32_t pointerTag, uint32_t tag,
                                       uint32_t fieldType, int isExifBlock, char* text,
                                       uint32_t textSize, uint32_t* number);

/* ---- Records ---- */

/* Exif fields, thumbnail frame, file name and folder of a JPEG file; 0 without an Exif
 * block or without an interoperability index (the other fields are filled even then). */
VOK_API int Get_Exif_Info(const char* path, ImageInfo* info);

/* Text and size fields from an Exif block; 0 without an interoperability index. */
VOK_API int Get_Exif_Info_Sub(const VokImgBlock* exif, ImageInfo* info);

/* Thumbnail frame from an Exif block, or thumbnailState = 999 without a thumbnail. */
VOK_API int Get_Exif_Thumbnail_Info(const VokImgBlock* exif, ImageInfo* info);

/* Frame layout from the first baseline frame header (FF C0) within count bytes. */
VOK_API int Get_Jpeg_Info(const unsigned char* bytes, uint32_t count, JpegFrameInfo* frame);

/* Frame layout from a segment at FF C0 with available readable bytes; 0 elsewhere. */
VOK_API int GetJpegHVSample(const unsigned char* segment, uint32_t available, JpegFrameInfo* frame);

/* Frame layout of the main image of a JPEG file (reads its header only). */
VOK_API int Get_Jpeg_HvSamp_Main(const char* path, JpegFrameInfo* frame);

/* 1 when the first DHT segment of the file's header holds the four typical tables of
 * the JPEG standard (counts compared, symbols not), else 0. */
VOK_API int VOK_Check_Jpeg_HuffmanTable(const char* path);

/* Everything the file's kind allows. The record is cleared first. 1 when the file
 * exists and can be opened, 0 otherwise. */
VOK_API int GetExifData(const char* path, ImageInfo* info);

/* Width and height from a CIFF heap in the header's APP0. */
VOK_API int Get_Image_Ciff_Info(const char* path, ImageInfo* info);

/* Width and height from a bitmap file header. */
VOK_API int Get_Image_Bitmap_Info(const char* path, ImageInfo* info);

/* Width and height from libjpeg's header reading; a codec error only fails this call. */
VOK_API int Get_Normal_Jpeg_Format(const char* path, ImageInfo* info);

/* TIFF fields of a TIFF file; 0 without an interoperability index (the other fields are
 * filled even then). */
VOK_API int VokImg_Tiff_GetTagInfo(const char* path, ImageInfo* info);

/* File name and folder fields from path. */
VOK_API int Get_Filename_Path(const char* path, ImageInfo* info);

/* ---- Dates ---- */

/* date receives the file's last-write day; with a record, dateTaken receives the creation
 * time and dateChanged the last-write time, as "%d:%d:%d %d:%d:%d". 0 when unreadable. */
VOK_API int Get_Image_Time_Stamp2(const char* path, ExifDate* date, ImageInfo* info);

/* Year, month and day of the record's date-taken text; 0 when it holds no year. */
VOK_API int SetStructExifDate(ImageInfo info, ExifDate* date);

/* The current local time as "YYYY:MM:DD HH:MM:SS" into buffer (20 bytes suffice). */
VOK_API int GetTodayTime(char* buffer, uint32_t size);

/* An Exif date text in display form, with month names in the user's language.
 * Mode 0 "JAN.05.2000 13:45:10", mode 3 the input, other modes "05 JAN.,2000 13:45:10".
 * An empty input leaves output unchanged; a text that is no Exif date is copied. */
VOK_API int ChangeDisplayMode(const char* date, char* output, uint32_t outputSize, int mode);

VOK_END_DECLS

/* ======== Writing side: Exif and TIFF writing, camera form, bitmaps, preview ========
 * Bitmaps cross this interface as packed DIBs in a VokImgBlock: the 40-byte header, the
 * colour table when the bit count needs one, then bottom-up rows padded to four bytes.
 * New bitmaps and blocks belong to the caller (VokImg_FreeBlock). Conversions that
 * replace a destination never leave it half-written: it changes only by the final copy. */

/* Results of the two camera conversions. */
#define VOK_IMG_WRITTEN 1
#define VOK_IMG_FAILED 0
#define VOK_IMG_NO_SPACE (-1)

/* Bytes an ExifTagEntry carries inline for ASCII and UNDEFINED values. */
#define VOK_EXIF_TAG_BYTES 32

/* One entry of a tag template, and of the override lists that callers pass. Overrides
 * must come in template order; a tag that is not in the template stops the matching of
 * the ones after it. An override's bytes replace the template's only when value and
 * second are both 0. */
typedef struct ExifTagEntry {
    uint16_t tag;
    uint16_t type;   /* 2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL, 7 UNDEFINED */
    uint32_t count;  /* number of values; ASCII counts its terminator */
    uint32_t value;  /* the number; RATIONAL numerator */
    uint32_t second; /* RATIONAL denominator, else 0 */
    unsigned char bytes[VOK_EXIF_TAG_BYTES];
} ExifTagEntry;

/* A rectangle as left, top, right, bottom. */
typedef struct VokRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
} VokRect;

VOK_BEGIN_DECLS

/* ---- Camera form ---- */

/* 1 when the JPEG can go to the camera unchanged: Exif with version 0210 and index R98,
 * 64..2048 x 48..1536, thumbnail and main image sampled 2x1 or 2x2 / 1x1, standard
 * Huffman tables. */
VOK_API int VokImg_IsCameraReady(const char* path);

/* The source JPEG in camera form at dst: Exif block from the template with the overrides
 * (may be null with count 0), a 160 x 120 thumbnail, one DQT, one DHT, no APPn or COM.
 * The source's image data is kept bit for bit when it is baseline, sampled 2x1 or 2x2 /
 * 1x1 / 1x1, and its Huffman tables (over all its DHT segments) are the standard ones;
 * any other decodable JPEG (progressive too) is recompressed at quality 75 with 2x1
 * sampling. A corrupt source fails before anything is written.
 * VOK_IMG_WRITTEN, VOK_IMG_FAILED, or VOK_IMG_NO_SPACE (dst then unchanged). */
VOK_API int ChangeFormatToExifAndSave(const char* src, const char* dst,
                                      const ExifTagEntry* overrides, uint32_t count);

/* As above with the image always new: decoded, passed through CreateAdjustSizeToDSC
 * with the largest width and height (0 x 0: no scaling, only the rounding up with black
 * borders) and compressed at quality 75 with 2x1 sampling. */
VOK_API int ChangeFormatToExifAndSave_Size(const char* src, const char* dst,
                                           const ExifTagEntry* overrides, uint32_t count,
                                           uint32_t maxWidth, uint32_t maxHeight);

/* Nonzero when src needs no conversion (header class 1, 3 or -1), or after a class 0 or
 * 2 source was converted to dst; 0 when the header cannot be cut or the conversion fails
 * (also for missing disk space). */
VOK_API int ImageFormat_Check(const char* src, const char* dst);

/* A JPEG in Exif form from a bitmap at path. smallFile asks for a main image of at most
 * 15,360 bytes less the thumbnail (best effort down to quality 5). */
VOK_API int VokImg_Jpeg_CreateAndSaveFromDIB(const VokImgBlock* dib, const char* path,
                                             const ExifTagEntry* overrides, uint32_t count,
                                             int smallFile);

/* An uncompressed RGB TIFF (one strip, top-down) with the 20-entry tag template. */
VOK_API int VokImg_Tiff_CreateTiffAndSave(const VokImgBlock* dib, const char* path,
                                          const ExifTagEntry* overrides, uint32_t count);

/* ---- Bitmaps ---- */

/* A new 24-bit bitmap whose width is a multiple of 16 and height a multiple of 8: with
 * both limits, the picture fitted to maxWidth x maxHeight by its aspect and resampled
 * (bilinear) to the rounded size; with a zero limit, the picture unscaled and centred on
 * black. height and width must match the bitmap. Null on failure, or when the host's
 * quit request ended the resampling. */
VOK_API VokImgBlock* CreateAdjustSizeToDSC(const VokImgBlock* dib, uint32_t height, uint32_t width,
                                           uint32_t maxWidth, uint32_t maxHeight);

/* The bitmap as a BMP file; 1 when written. */
VOK_API int SaveThumbNail(const VokImgBlock* dib, const char* path);

/* Height and width of a bitmap (0 and 0 when it cannot be read); 1 when readable. */
VOK_API int GetImageDimension(const VokImgBlock* dib, uint32_t* height, uint32_t* width);

/* A BMP file (40-byte or 12-byte header; larger Windows headers are read as the 40-byte
 * form) as a packed bitmap, or null. */
VOK_API VokImgBlock* VokImg_ReadBmpFile(const char* path);

/* A JPEG file decoded to a 24-bit packed bitmap, or null on any codec error. */
VOK_API VokImgBlock* VokImg_Jpeg_ReadDIB(const char* path);

/* Called by the coding calls below after each row with the rows done so far and the
 * picture's rows; returning 0 stops the call. */
typedef int (*VokImgProgress)(void* context, uint32_t rowsDone, uint32_t rows);

/* Results of the coding calls with progress. */
#define VOK_IMG_CODEC_DONE 1
#define VOK_IMG_CODEC_CANNOT_OPEN 0  /* the file cannot be read or the codec cannot start */
#define VOK_IMG_CODEC_FAILED (-1)    /* the codec failed on the rows, or writing failed */
#define VOK_IMG_CODEC_CANCELLED (-2) /* progress returned 0 */

/* As VokImg_Jpeg_ReadDIB, calling progress (may be null) after each decoded row; *dib gets
 * the bitmap on VOK_IMG_CODEC_DONE and null otherwise. Warnings (a cut stream) do not fail. */
VOK_API int VokImg_Jpeg_ReadDIBProgress(const char* path, VokImgBlock** dib,
                                        VokImgProgress progress, void* context);

/* The bitmap (24-bit, or 8-bit with a palette) compressed as a plain JPEG file at path with
 * baseline quality scaling at quality (1..100) and the sampling text (for example
 * "2x1,1x1,1x1"), calling progress (may be null) after each row. path changes only when the
 * whole file is written. VOK_IMG_CODEC_CANNOT_OPEN for a bitmap or sampling that cannot be
 * coded. */
VOK_API int VokImg_Jpeg_SaveDIBProgress(const VokImgBlock* dib, const char* path, int quality,
                                        const char* sampling, VokImgProgress progress,
                                        void* context);

/* The JPEG file decoded to a 24-bit packed bitmap at the smallest of libjpeg's scales 1/8,
 * 1/4, 1/2 and 1 whose picture still covers minWidth x minHeight (the whole picture when
 * even full scale is smaller): the cheap source of a thumbnail. width and height (may be
 * null) receive the picture's full size. Null on any codec error. */
VOK_API VokImgBlock* VokImg_Jpeg_ReadScaledDIB(const char* path, uint32_t minWidth,
                                               uint32_t minHeight, uint32_t* width,
                                               uint32_t* height);

/* The JPEG decoded into a BMP file; colors 8..256 quantises with libjpeg (its
 * quantisers need at least two levels per channel), 0 is 24-bit; other counts fail. */
VOK_API int jpg2bmp(const char* jpegPath, const char* bmpPath, int colors);

/* The 24-bit bitmap reduced to an 8-bit bitmap of at most 256 colours, or null. */
VOK_API VokImgBlock* VokDIB_Reduce256(const VokImgBlock* dib);

/* ---- Tags ---- */

/* Overwrites one tag's value in place in an Exif block (isExifBlock nonzero) or a TIFF
 * block: a text with its terminator, cut to the value's size; a number in the width of
 * the entry's type and the block's byte order. 1 when the tag was found. */
VOK_API int ChangeExif_MemberData(VokImgBlock* block, uint32_t tag, const char* text,
                                  uint32_t number, int isExifBlock);

/* Overwrites the value at valueOffset (of valueSize bytes, within dataSize). */
VOK_API int ChangeTargetTag(unsigned char* tiff, uint32_t dataSize, uint32_t valueOffset,
                            uint32_t fieldType, uint32_t valueSize, const char* text,
                            uint32_t number, int bigEndian);

/* Fills one entry. bytes (may be null) is read for types 2 (up to its terminator) and 7
 * (count bytes), at most VOK_EXIF_TAG_BYTES. */
VOK_API void SetExifStructInfoMember(ExifTagEntry* entry, uint16_t tag, uint16_t type,
                                     uint32_t count, uint32_t value, uint32_t second,
                                     const void* bytes);

/* ---- Files ---- */

/* 1 when a file of newFile's size can replace dst on dst's file system. The environment
 * value VOK_TEST_FREE_BYTES, when set, stands in for the free space (tests). */
VOK_API int CheckDiskFreeSpace(const char* dst, const char* newFile);

/* Size of the file in bytes, 0 when it cannot be opened. */
VOK_API uint64_t VokGetFileSize(const char* path);

/* Copies an existing file to a new temporary file named in backup (VOK_MAX_PATH bytes);
 * backup is empty when there was no file. 0 when the copy failed. */
VOK_API int Vok_SaveOrgFileData(const char* path, char* backup);

/* Puts the backup back over path when the write failed; always deletes the backup and
 * empties the buffer. 0 when a needed restore failed. */
VOK_API int Vok_RestoreKeepFile(char* backup, const char* path, int writeSucceeded);

/* Creates an empty temporary file "VOK..." in the temporary folder (TMPDIR, else /tmp)
 * and names it in path (VOK_MAX_PATH bytes). */
VOK_API int GetTmpFile(char* path);

/* Deletes the named file and empties the buffer; an empty buffer is left alone. */
VOK_API int DeleteTmpFile(char* path);

/* ---- Messages, dialog, preview ---- */

/* From now on failures show the library's own text in an error box owned by owner with
 * that caption; a null or empty caption makes the library silent again. */
VOK_API void KeepTargetApplicationHandle(VokOwner owner, const char* caption);

/* The library's own text number (1..14) in the current language, or "" */
VOK_API const char* VokImg_LibraryText(int number);

/* Runs the "Image Information" dialog (Exif_Dialog) for path. module is ignored. 1 after
 * OK or Cancel, 0 when the file's information cannot be read. */
VOK_API int ShowImageInfoDialog(VokOwner owner, void* module, const char* path);

/* 1 when path (VOK_MAX_PATH bytes) can be previewed: BMP or TIFF stay, a JPEG is decoded
 * into tempPath, which then replaces path. */
VOK_API int VokDIB_GetPrevFile(void* ignored, char* path, const char* tempPath);

/* Draws the BMP file with painter (a QPainter*) into rect less 10 pixels, aspect kept,
 * centred. 1 when drawn. */
VOK_API int VokDIB_PrevImage(void* painter, const char* bmpPath, const VokRect* rect);

/* Both rectangles set to 0, 0, width, height of the JPEG; 0 on success, 1 when the file
 * cannot be read. */
VOK_API int GetJpegRect(const char* path, VokRect* first, VokRect* second);

VOK_END_DECLS

#endif
