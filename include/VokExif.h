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
 * with the terminator), 5 and 10 not at all (empty text, number 0), 1 and 6 one byte,
 * 3 and 8 two bytes, others four bytes. text or number may be null. 0 when the value does
 * not lie within dataSize. */
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

#endif
